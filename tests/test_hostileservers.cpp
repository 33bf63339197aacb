#include "component/clsmain.h"
#include "core/msgservice.h"
#include "mainwin/frmmain.h"
#include "tests/epaysim.h"
#include "tests/lookuptesting.h"
#include "tests/testsupport.h"
#include "db/recordset.h"
#include <QScopeGuard>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QThread>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace qel;
using namespace qel::test;

// A MySQL-protocol server, in a thread of its own (the client waits for it), that answers as
// little as a client needs and then asks for a file of its choosing: whatever statement starts
// "load data local", its answer is a request for the file wanted. Every packet the client sends
// is kept.
class FakeMySqlServer : public QThread {
public:
    FakeMySqlServer()
    {
        start();
        m_ready.acquire();
    }
    ~FakeMySqlServer() override
    {
        quit();
        wait();
    }
    quint16 port() const { return m_port; }
    void setWanted(const QByteArray& name)
    {
        QMutexLocker lock(&m_mutex);
        m_wanted = name;
    }
    // From now on a Select gets no answer at all (a server stopped, or a network gone quiet).
    void setSilent()
    {
        QMutexLocker lock(&m_mutex);
        m_silent = true;
    }
    QList<QByteArray> received() const
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, [&server, this] {
            QTcpSocket* s = server.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, [this, s] { read(s); });
            send(s, 0, greeting());
        });
        m_ready.release();
        exec();
    }

private:
    // The server's first packet (protocol 10), byte by byte: protocol 4.1, local files and
    // plugin authentication; no TLS.
    static QByteArray greeting()
    {
        const quint32 caps = 0x000A828F;
        QByteArray g;
        g.append(char(0x0a));
        g.append("5.5.5-10.11.0-FIXTURE").append('\0');
        g.append(4, '\0');                                     // connection id
        g.append("abcdefgh").append('\0');                     // scramble, first part; filler
        g.append(char(caps & 0xff)).append(char(caps >> 8 & 0xff));
        g.append(char(0x21));                                   // utf8
        g.append(char(0x02)).append('\0');                     // status: autocommit
        g.append(char(caps >> 16 & 0xff)).append(char(caps >> 24 & 0xff));
        g.append(char(21));                                     // scramble length
        g.append(10, '\0');                                    // reserved
        g.append("ijklmnopqrst").append('\0');                 // scramble, second part
        g.append("mysql_native_password").append('\0');
        return g;
    }
    static QByteArray lenenc(const QByteArray& s) { return char(s.size()) + s; }
    // A result of one text column and one row.
    static void sendValue(QTcpSocket* s, int seq, const QByteArray& name, const QByteArray& value)
    {
        const QByteArray eof("\xfe\0\0\x02\0", 5);
        QByteArray column = lenenc("def") + lenenc({}) + lenenc({}) + lenenc({}) + lenenc(name) + lenenc({});
        column.append(char(0x0c)).append(char(0x21)).append('\0').append(QByteArray("\x40\0\0\0", 4));
        column.append(char(0xfd)).append(QByteArray(2, '\0')).append('\0').append(QByteArray(2, '\0'));
        send(s, seq++, QByteArray(1, char(1)));
        send(s, seq++, column);
        send(s, seq++, eof);
        send(s, seq++, lenenc(value));
        send(s, seq, eof);
    }
    static void send(QTcpSocket* s, int seq, const QByteArray& payload)
    {
        const int n = int(payload.size());
        s->write(QByteArray(1, char(n & 0xff)) + char(n >> 8 & 0xff) + char(n >> 16 & 0xff) + char(seq) + payload);
    }
    void read(QTcpSocket* s)
    {
        m_pending += s->readAll();
        while (m_pending.size() >= 4) {
            const int n = uchar(m_pending[0]) | uchar(m_pending[1]) << 8 | uchar(m_pending[2]) << 16, seq = uchar(m_pending[3]);
            if (m_pending.size() < 4 + n)
                return;
            const QByteArray payload = m_pending.mid(4, n);
            m_pending.remove(0, 4 + n);
            QMutexLocker lock(&m_mutex);
            m_received << payload;
            const QByteArray ok("\0\0\0\x02\0\0\0", 7);
            if (m_loading) {            // the file's bytes, then an empty packet at its end
                if (payload.isEmpty()) {
                    m_loading = false;
                    send(s, seq + 1, ok);
                }
            } else if (payload.startsWith('\x03') && payload.mid(1).toLower().startsWith("load data local")) {
                m_loading = true;
                send(s, seq + 1, '\xfb' + m_wanted);
            } else if (payload.startsWith('\x03') && payload.contains("@@character_set_client")) {
                sendValue(s, seq + 1, "@@character_set_client", "utf8mb4");
            } else if (m_silent && payload.startsWith('\x03') && payload.mid(1).startsWith("Select")) {
                // stopped: no answer, and the connection stays up
            } else {
                send(s, seq + 1, ok);   // the login, and any other statement
            }
        }
    }
    QSemaphore m_ready;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QByteArray m_wanted = "/etc/passwd";
    QList<QByteArray> m_received;
    QByteArray m_pending;
    bool m_loading = false;
    bool m_silent = false;
};

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
        Messages seen(cls.session());
        frmmain w;
        w.InitData(&cls.session());
        w.setAutomaticCheckDue(false);
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
        MessageService::inform(nullptr, nullptr, text);   // the real desktop's box
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

    void serverAskingForAnotherFileGetsNothing()
    {
        FakeMySqlServer hostile;
        Connection c;
        QVERIFY2(c.open(QStringLiteral("Server=127.0.0.1;Port=%1;Uid=clerk;Pwd=x;").arg(hostile.port())), qPrintable(c.lastError().description));
        // During the component's own load, for another name than its file.
        const QByteArray data = "FIXTURE DATA";
        QVERIFY(!c.loadLocal(Sql("load data local infile 'MICR1.dat' into table T"), QStringLiteral("MICR1.dat"), data));
        QVERIFY2(c.lastError().description.contains(QStringLiteral("refused")), qPrintable(c.lastError().description));
        QCOMPARE(hostile.received().last(), QByteArray());   // an empty file: nothing of /etc/passwd
        // Outside a load, whatever the statement.
        QVERIFY(!c.Execute(Sql("load data local infile '/etc/passwd' into table T")));
        QCOMPARE(hostile.received().last(), QByteArray());
        QCOMPARE(c.fileRequests(), (QStringList{"/etc/passwd", "/etc/passwd"}));
        // The one file asked for by its own name gets its bytes, and only them.
        hostile.setWanted("MICR1.dat");
        QVERIFY2(c.loadLocal(Sql("load data local infile 'MICR1.dat' into table T"), QStringLiteral("MICR1.dat"), data),
                 qPrintable(c.lastError().description));
        QCOMPARE(hostile.received().mid(hostile.received().size() - 2), (QList<QByteArray>{data, QByteArray()}));
    }

    void tlsRequiredMeansTlsOrNothing()
    {
        FakeMySqlServer plain;   // offers no TLS
        for (const char* mode : {"Required", "require", "REQUIRED", "verify-full", "VERIFY_FULL", "VerifyFull"}) {
            Connection c;
            QVERIFY(!c.open(QStringLiteral("Server=127.0.0.1;Port=%1;Uid=clerk;Pwd=s3cret;SslMode=%2;").arg(plain.port()).arg(mode)));
            QVERIFY2(c.lastError().number == dberr::kTlsFailed, qPrintable(c.lastError().description));
        }
        for (const QByteArray& sent : plain.received())   // no login: no name, no password
            QVERIFY(!sent.contains("clerk") && !sent.contains("s3cret"));
        // A mode or key that means nothing is refused before anything is sent, never read as "no TLS".
        const int before = int(plain.received().size());
        for (const char* bad : {"SslMode=requierd;", "SslMode=;", "Sever=db.office.example;", "Port=%1;Timeout"}) {
            Connection c;
            QVERIFY(!c.open(QStringLiteral("Server=127.0.0.1;Port=%1;Uid=clerk;Pwd=s3cret;").arg(plain.port()) + QString::fromLatin1(bad)));
            QVERIFY2(c.lastError().description.contains(QStringLiteral("SslMode")) || c.lastError().description.contains(QStringLiteral("unknown key")),
                     qPrintable(c.lastError().description));
        }
        QCOMPARE(plain.received().size(), before);
        // The office server of the tests, with a CA that did not sign its certificate: refused too.
        if (tcpMode()) {
            Connection c;
            freshDatabase(QStringLiteral("t_tls"));
            const QString conn = connectionString(QStringLiteral("t_tls"));
            QVERIFY2(c.open(conn), qPrintable(c.lastError().description));
            QVERIFY(!c.open(QString(conn).replace(QRegularExpression(QStringLiteral("SslCa=[^;]*")), QStringLiteral("SslCa=/etc/ssl/certs/ca-certificates.crt"))));
            QCOMPARE(c.lastError().number, int(dberr::kTlsFailed));
        }
    }

    void silentServerFailsInsteadOfHanging()
    {
        FakeMySqlServer quiet;
        Connection c;
        QVERIFY2(c.open(QStringLiteral("Server=127.0.0.1;Port=%1;Uid=clerk;Pwd=x;ReadTimeout=1;").arg(quiet.port())),
                 qPrintable(c.lastError().description));
        quiet.setSilent();
        QElapsedTimer t;
        t.start();
        Recordset rs;
        QVERIFY(!rs.open(Sql("Select City from T"), &c));
        QVERIFY2(dberr::isLost(rs.lastError().number), qPrintable(rs.lastError().description));
        QVERIFY2(t.elapsed() < 6000, qPrintable(QString::number(t.elapsed())));   // one wait, one reconnect, one more wait
    }

    // A real server without TLS whose init_connect reads statements as gbk for every account.
    void realServerWithoutTlsAndAnotherCharset()
    {
        if (tcpMode())
            QSKIP("the connection layer against a server of its own; once is enough");
        QString error;
        const QString conn = startPlainServer(&error);
        QVERIFY2(!conn.isEmpty(), qPrintable(error));
        const auto stop = qScopeGuard([] { plainServer().stop(); });
        Connection c;
        QVERIFY(!c.open(conn + QStringLiteral("SslMode=Required;")));
        QCOMPARE(c.lastError().number, int(dberr::kTlsFailed));

        Connection admin;
        QVERIFY2(plainServer().connect(admin, QStringLiteral("t_gbk"), QStringLiteral("gbk"), &error), qPrintable(error));
        QVERIFY(admin.Execute(QStringLiteral("Create Or Replace Table T (City Varchar(100)) character set gbk")));
        QVERIFY(admin.Execute(QStringLiteral("Insert into T values ('SENTINEL')")));
        QVERIFY2(c.open(conn + QStringLiteral("Database=t_gbk;")), qPrintable(c.lastError().description));
        // Matches nothing however the server reads it: no row holds these values.
        const auto rowsFor = [&c](const QString& value) {
            Recordset rs;
            if (!rs.open(Sql("Select City from T Where City='").value(value).code("'"), &c))
                return dberr::isUnrepresentable(rs.lastError().number) ? 0 : -1;
            return rs.recordCount();
        };
        const QStringList hostile{QString::fromUtf8("\u0FFF' or 1=1 -- "), QString::fromUtf8("\u0FC1' or 1=1 -- "),
                                  QString::fromUtf8("\u0FFF\\' or 1=1 #")};
        for (const QString& v : hostile)
            QCOMPARE(rowsFor(v), 0);
        // The host sets the character set itself; so does the server again after a reconnect.
        QVERIFY(c.Execute(QStringLiteral("SET NAMES gbk")));
        for (const QString& v : hostile)
            QCOMPARE(rowsFor(v), 0);
        c.close();
        for (const QString& v : hostile)
            QCOMPARE(rowsFor(v), 0);
        QCOMPARE(rowsFor(QStringLiteral("SENTINEL")), 1);
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
