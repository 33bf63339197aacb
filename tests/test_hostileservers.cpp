#include "component/clsmain.h"
#include "core/msgservice.h"
#include "mainwin/frmmain.h"
#include "tests/epaysim.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace qel;
using namespace qel::test;

// What a server on the other end (or anyone on the path of plain HTTP) could send.
class TestHostileServers : public QObject {
    Q_OBJECT
    QTemporaryDir sysdir, docs;

    // A manual update check against the given version-file handler; the messages it showed.
    QStringList manualCheck(EpaySim& site, const EpaySim::Reply& reply, qint64* ms)
    {
        site.pages[QStringLiteral("Updates/QELVerInf.Txt")] = [reply](const EpaySim::Request&) { return reply; };
        [&] {
            QVERIFY(writeSystemConfig(sysdir.path(), QStringLiteral("[Updates]\nVersionAddress=http://127.0.0.1:%1/Updates/QELVerInf.Txt\n"
                                                                    "SiteName=fixture.site\nTimeoutSeconds=2\n")
                                                         .arg(site.port())));
        }();
        ClsMain cls;
        cls.InitMe(docs.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
        Messages seen;
        frmmain w;
        w.InitData(&cls.session());
        w.findChild<QLabel*>(QStringLiteral("lblchkup"))->setProperty("Tag", QStringLiteral("N"));
        QElapsedTimer t;
        t.start();
        w.CHECKFORUPDATE();
        *ms = t.elapsed();
        return seen.seen;
    }

    static long peakKb()
    {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        return u.ru_maxrss;
    }

private slots:
    void initTestCase() { qputenv("QELREFDESK_SYSTEM_DIR", sysdir.path().toUtf8()); }

    void markupIsShownAsText()
    {
        // A holder's name from the service reaches the user inside a message.
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    format = box->textFormat();
                    shown = box->text();
                    box->accept();
                }
        });
        const QString text = QStringLiteral("Valid PAN in Name of '<b>EVIL</b><img src=x onerror=alert(1)>'.");
        MessageService::inform(nullptr, text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }

    void versionFileIsReadInBoundedPieces()
    {
        // 40 MB of commas, made as they are read.
        class Commas : public QIODevice {
        public:
            qint64 left = 40 * 1024 * 1024;
            qint64 readData(char* data, qint64 max) override
            {
                const qint64 n = std::min(max, left);
                memset(data, ',', size_t(n));
                left -= n;
                return n;
            }
            qint64 writeData(const char*, qint64) override { return -1; }
            bool isSequential() const override { return true; }
            qint64 bytesAvailable() const override { return left + QIODevice::bytesAvailable(); }
        } commas;
        commas.open(QIODevice::ReadOnly);
        const long before = peakKb();
        QCOMPARE(versionRecord(commas), QStringList(9, QString()));
        QVERIFY2(peakKb() - before < 64 * 1024, qPrintable(QString::number(peakKb() - before)));
    }

    void updateCheckEndsWithinItsLimits()
    {
        EpaySim site;
        qint64 ms = 0;
        const QString failed = QStringLiteral("Either you are not connected to Internet or Could not connect to fixture.site");
        // Larger than any version file.
        QCOMPARE(manualCheck(site, {EpaySim::Reply::Page, QByteArray(3 * 1024 * 1024, ','), "text/plain"}, &ms), QStringList{failed});
        // A byte now and then: the check ends at its time limit (2 s), not with the last byte.
        QCOMPARE(manualCheck(site, {EpaySim::Reply::Drip, QByteArray(200, ','), "text/plain"}, &ms), QStringList{failed});
        QVERIFY2(ms < 4000, qPrintable(QString::number(ms)));
        QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("QELVerInf.Txt"))));
    }
};

QEL_TEST(TestHostileServers);
#include "test_hostileservers.moc"
