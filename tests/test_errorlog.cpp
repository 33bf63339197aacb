#include "component/clsmain.h"
#include "core/errlog.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace qel;

class TestErrorLog : public QObject {
    Q_OBJECT

    static QStringList lines(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString all = QString::fromUtf8(f.readAll());
        QStringList out = all.split(QStringLiteral("\r\n"));
        out.removeLast();   // every line ends with CR LF
        return out;
    }

private slots:
    void noPendingErrorWritesNothing()
    {
        QTemporaryDir dir;
        ClsMain c;
        c.InitMe(dir.path(), nullptr, QStringLiteral("host.log"), 1, 1, 1);
        c.setProc_Name(QStringLiteral("frmmicr\tLOADGRID"));
        c.DoErrorLogEntry();
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("host.log"))));
    }

    void lineHoldsSixTabSeparatedFields()
    {
        QTemporaryDir dir;
        ClsMain c;
        c.InitMe(dir.path(), nullptr, QStringLiteral("host.log"), 1, 1, 1);
        c.setProc_Name(QStringLiteral("frmmicr\tLOADGRID"));
        c.session().raiseError({-2147467259, QStringLiteral("Table 'x' doesn't exist"), QStringLiteral("MariaDB Connector/C")});
        c.DoErrorLogEntry();
        QCOMPARE(c.session().pendingError().number, -2147467259);   // reading the error leaves it pending
        const QStringList l = lines(dir.filePath(QStringLiteral("host.log")));
        QCOMPARE(l.size(), 1);
        const QStringList f = l[0].split(u'\t');
        QCOMPARE(f.size(), 6);
        QVERIFY(f[0].contains(u' '));   // date, a space, time
        QCOMPARE(f.mid(1), (QStringList{"-2147467259", "Table 'x' doesn't exist", "MariaDB Connector/C", "frmmicr", "LOADGRID"}));
    }

    void handlerLogsEachFailureAndGoesOn()
    {
        QTemporaryDir dir;
        ClsMain c;
        c.InitMe(dir.path(), nullptr, QStringLiteral("host.log"), 1, 1, 1);
        const ErrHandler eh(&c.session(), QStringLiteral("frmIFSC"), "LOADDATA");
        QVERIFY(eh(true, {}));
        QVERIFY(!eh(false, {1146, QStringLiteral("first\tfailure\r\nwith a break"), QStringLiteral("src")}));
        QVERIFY(!eh(false, {1064, QStringLiteral("second"), QStringLiteral("src")}));
        QCOMPARE(c.session().pendingError().number, 0);   // going on clears it
        const QString text = QString::fromUtf8([&] { QFile f(dir.filePath(QStringLiteral("host.log"))); f.open(QIODevice::ReadOnly); return f.readAll(); }());
        // The driver's description is written unchanged, tab and line break included.
        QVERIFY(text.contains(QStringLiteral("\t1146\tfirst\tfailure\r\nwith a break\tsrc\tfrmIFSC\tLOADDATA\r\n")));
        QVERIFY(text.endsWith(QStringLiteral("\t1064\tsecond\tsrc\tfrmIFSC\tLOADDATA\r\n")));
    }

    void unwritableLogIsContained()
    {
        // A log that cannot be written costs the user nothing: no message, no folder made, and
        // the error is cleared for the next statement, as after a line that was written.
        ClsMain c;
        test::Messages seen(c.session());
        c.InitMe(QStringLiteral("/nonexistent/dir/for/sure"), nullptr, QStringLiteral("host.log"), 1, 1, 1);
        const ErrHandler eh(&c.session(), QStringLiteral("frmmicr"), "LOADGRID");
        for (int i = 0; i < 3; ++i)
            eh.fail(1, QStringLiteral("x"), QStringLiteral("y"));
        QCOMPARE(c.Proc_Name(), QStringLiteral("frmmicr\tLOADGRID"));
        QCOMPARE(c.session().pendingError().number, 0);
        QVERIFY(seen.seen.isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/nonexistent/dir")));
    }
};

QEL_TEST(TestErrorLog);
#include "test_errorlog.moc"
