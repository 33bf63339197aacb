#include "component/clsmain.h"
#include "core/settings.h"
#include "mainwin/frmmain.h"
#include "tests/epaysim.h"
#include "tests/lookuptesting.h"
#include "tests/testdesktop.h"
#include "tests/testsupport.h"
#include <QLabel>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

class TestUpdate : public QObject {
    Q_OBJECT
    QTemporaryDir sysdir, docs;
    std::unique_ptr<EpaySim> site;
    ClsMain cls;
    test::TestDesktop desk{cls.session()};   // the windows' desktop, for every test
    QString installed;

    void config(const QString& extra = QString(), const QString& address = QString())
    {
        QVERIFY(writeSystemConfig(
            sysdir.path(), QStringLiteral("[Updates]\nVersionAddress=%1\nSiteName=fixture.site\nTimeoutSeconds=5\n%2")
                               .arg(address.isEmpty() ? QStringLiteral("http://127.0.0.1:%1/Updates/QELVerInf.Txt").arg(site->port()) : address, extra)));
    }
    void serve(const QByteArray& file)
    {
        site->pages[QStringLiteral("Updates/QELVerInf.Txt")] = [file](const EpaySim::Request&) {
            return EpaySim::Reply{EpaySim::Reply::Page, file, "text/plain"};
        };
    }
    void installedAt(const QDateTime& when)
    {
        QFile f(installed);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    // One check of the given kind; the messages it showed.
    QStringList check(bool automatic, bool answerYes = true)
    {
        Messages& msgs = desk.fresh(answerYes);
        frmmain w;
        w.InitData(&cls.session());
        w.setAutomaticCheckDue(automatic);
        w.CHECKFORUPDATE();
        return msgs.seen;
    }
    static QByteArray record(const QString& code, const QString& date)
    {
        return QStringLiteral("\"%1\",\"x\",\"%2\",\"\",\"\",\"\",\"\",\"http://fixture.site/upd, 1.zip\",\"%APPPATH%/FIXTURE-installed.so\"\r\n")
            .arg(code, date)
            .toLatin1();
    }

private slots:
    void initTestCase()
    {
        qputenv("QELREFDESK_SYSTEM_DIR", sysdir.path().toUtf8());
        cls.InitMe(docs.path(), nullptr, QStringLiteral("err.log"), 1, 1, 1);
        installed = docs.path() + QStringLiteral("/FIXTURE-installed.so");
    }
    void init()
    {
        site = std::make_unique<EpaySim>();
        config();
        desk.opened.clear();
        installedAt(QDateTime(QDate(2010, 4, 5), QTime(15, 0)));
    }

    void readmeListsEveryConfigurationKey()
    {
        // The README's QELCONFIG.INI, key by key with its default, is the table the code reads.
        QFile readme(QStringLiteral(QEL_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        const QStringList block = text.section(QStringLiteral("Every key has\na default:\n\n"), 1).section(QStringLiteral("\n\n"), 0, 0).split(u'\n');
        QStringList listed, known;
        QString section;
        for (const QString& line : block) {
            const QString l = line.section(QStringLiteral(" ; "), 0, 0).trimmed();
            if (l.startsWith(u'['))
                section = l.mid(1, l.size() - 2);
            else
                listed << section + u'/' + QString(l).replace(QStringLiteral("<prefix>"), QStringLiteral(QEL_INSTALL_PREFIX));
        }
        for (const ConfigKey* k : Config::keys())
            known << QStringLiteral("%1/%2=%3").arg(QLatin1String(k->section), QLatin1String(k->key), QString::fromUtf8(k->defaultValue));
        QCOMPARE(listed, known);
    }

    void records()
    {
        const QByteArray file = "ABC,1,01/01/2001,4,5,6,7,link,path\n"
                                "\"kmx\",\"a,b\",\"05/04/2010 10:30:00\",,,,,\"http://x/y\",\"%SYSPATH%/f\"\n";
        QCOMPARE(versionRecord(file), (QStringList{"kmx", "a,b", "05/04/2010 10:30:00", "", "", "", "", "http://x/y", "%SYSPATH%/f"}));
        QCOMPARE(versionRecord("ABC,1,2,3,4,5,6,7,8\n"), QStringList(9, QString()));
        QCOMPARE(versionRecord("KMX,1,2\n3,4,5\r\n6,7,8\n"), (QStringList{"KMX", "1", "2", "3", "4", "5", "6", "7", "8"}));   // line ends end fields
        QCOMPARE(versionRecord("KMX,1,2,3"), QStringList(9, QString()));   // cut short
    }

    void dateOnlyComparesDays()
    {
        serve(record(QStringLiteral("kmx"), QStringLiteral("05/04/2010")));
        QCOMPARE(check(false), QStringList{QStringLiteral("No Update Available.")});
        serve(record(QStringLiteral("KMX"), QStringLiteral("06/04/2010")));
        const QStringList seen = check(false);
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], QStringLiteral("New Update Available\r\n\r\nDate : 06/04/2010\r\nLink : http://fixture.site/upd, 1.zip\r\n\r\n"
                                         "Do you want to Download it Now ?"));
        QVERIFY(seen[1].startsWith(QStringLiteral("Instructions for Updating the Software:\r\n\r\n  1) Download")));
        QVERIFY(seen[1].endsWith(QStringLiteral("  4) Run \"UpdateVox.exe\" File from the Extracted Folder.")));
        QCOMPARE(desk.opened, QStringList{QStringLiteral("http://fixture.site/upd, 1.zip")});
        // Declined: nothing opened. The temporary file is gone either way.
        QCOMPARE(check(false, false).size(), 1);
        QCOMPARE(desk.opened.size(), 1);
        QVERIFY(!QFile::exists(docs.path() + QStringLiteral("/QELVerInf.Txt")));
        const auto req = site->requestsFor(QStringLiteral("Updates/QELVerInf.Txt")).value(0);
        QCOMPARE(req.headers.value("user-agent"), QByteArray("QEL Check Updates"));
        QCOMPARE(req.headers.value("cache-control"), QByteArray("no-cache"));
        QVERIFY(!req.headers.contains("cookie"));
    }

    void dateAndTimeComparesTimes()
    {
        installedAt(QDateTime(QDate(2010, 4, 5), QTime(9, 0)));
        serve(record(QStringLiteral("KMX"), QStringLiteral("05/04/2010 10:30:00")));
        QCOMPARE(check(true).size(), 2);   // offered, also to the automatic check
        serve(record(QStringLiteral("KMX"), QStringLiteral("05/04/2010 08:59:59")));
        QCOMPARE(check(false), QStringList{QStringLiteral("No Update Available.")});
    }

    void nothingToCompare_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("no record") << QByteArray("ABC,1,05/04/2099,,,,,l,%APPPATH%/FIXTURE-installed.so\n");
        QTest::newRow("short date") << record(QStringLiteral("KMX"), QStringLiteral("5/4/2099"));
        QTest::newRow("no installed file") << QByteArray("KMX,1,05/04/2099,,,,,l,%APPPATH%/missing.so\n");
        QTest::newRow("empty file") << QByteArray();
    }
    void nothingToCompare()
    {
        QFETCH(QByteArray, file);
        serve(file);
        QCOMPARE(check(false), QStringList{QStringLiteral("No Update Available.")});
        QCOMPARE(check(true), QStringList());
    }

    void unreachableSiteTellsOnlyAManualCheck()
    {
        const quint16 port = site->port();
        site.reset();
        config(QString(), QStringLiteral("http://127.0.0.1:%1/Updates/QELVerInf.Txt").arg(port));
        QCOMPARE(check(false), QStringList{QStringLiteral("Either you are not connected to Internet or Could not connect to fixture.site")});
        QCOMPARE(check(true), QStringList());
    }

    void switchStopsOnlyTheAutomaticCheck()
    {
        serve(record(QStringLiteral("KMX"), QStringLiteral("06/04/2010")));
        config(QStringLiteral("[Settings]\nQELUPDCHK=0\n"));
        QCOMPARE(check(true), QStringList());
        QVERIFY(site->requests.isEmpty());
        QCOMPARE(check(false).size(), 2);
        // The first activation of the window runs the automatic check once.
        config(QStringLiteral("[Settings]\nQELUPDCHK=1\n"));
        Messages& msgs = desk.fresh(false);
        frmmain w;
        w.InitData(&cls.session());
        w.show();
        QTRY_COMPARE(site->requests.size(), 2);
        QTRY_VERIFY(!w.automaticCheckDue());
        QCOMPARE(msgs.seen.size(), 1);
    }
};

QEL_TEST(TestUpdate);
#include "test_update.moc"
