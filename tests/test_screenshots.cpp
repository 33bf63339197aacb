#include "component/clsmain.h"
#include "lookups/frmmicr.h"
#include "mainwin/frmmain.h"
#include "refdata/resourcestore.h"
#include "tests/fixtures.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>

using namespace qel;

// Pictures of the windows for the documentation, made offscreen from fixture data. Written only
// when QELREFDESK_SCREENSHOT_DIR names a directory.
class TestScreenshots : public QObject {
    Q_OBJECT
    QString outDir;
    QTemporaryDir resDir, docDir;
    std::unique_ptr<Connection> db;
    ClsMain cls;

private slots:
    void initTestCase()
    {
        outDir = QString::fromLocal8Bit(qgetenv("QELREFDESK_SCREENSHOT_DIR"));
        if (outDir.isEmpty())
            QSKIP("set QELREFDESK_SCREENSHOT_DIR to write the documentation's screenshots");
        ResourceStore::setOverrideDir(resDir.path());
        test::writeResource(resDir.path(), QStringLiteral("MICR"), test::micrFixture(2000));
        db = test::freshDatabase(QStringLiteral("t_screenshots"));
        cls.InitMe(docDir.path(), db.get(), QStringLiteral("host.log"), 1, 1, 1);
    }
    void cleanupTestCase() { ResourceStore::setOverrideDir(QString()); }

    void micrDialogWithResults()
    {
        frmmicr d;
        d.InitData(&cls);
        d.LoadData(QStringLiteral(" "), QStringLiteral("FIXTURE CITY 16 "));
        d.show();
        test::child<FlexGrid>(&d, "vsf")->setRow(2);
        QApplication::processEvents();
        QVERIFY(d.grab().save(outDir + QStringLiteral("/micr-dialog.png")));
    }

    void mainWindow()
    {
        frmmain w;
        w.InitData(&cls);
        w.show();
        QApplication::processEvents();
        QVERIFY(w.grab().save(outDir + QStringLiteral("/main-window.png")));
    }
};

QEL_TEST(TestScreenshots);
#include "test_screenshots.moc"
