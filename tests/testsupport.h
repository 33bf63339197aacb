#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include "core/session.h"
#include "db/connection.h"
#include "db/privateserver.h"

namespace qel::test {

// Test classes register themselves by name; the test binary runs the one named on its command line.
using TestFactory = std::function<QObject*()>;
void registerTest(const char* name, TestFactory f);
struct RegisterTest {
    RegisterTest(const char* name, TestFactory f) { registerTest(name, std::move(f)); }
};
#define QEL_TEST(Class) static ::qel::test::RegisterTest qel_reg_##Class(#Class, [] { return new Class; })

// A process-wide replacement (a file chooser, a resource folder) for as long as this lives; the
// default (or after) comes back when it goes, also when a failed assertion leaves the test early.
class Scoped {
public:
    template <typename Set, typename Value>
    Scoped(Set set, Value value) : m_restore([set] { set({}); })
    {
        set(std::move(value));
    }
    template <typename Set, typename Value>
    Scoped(Set set, Value value, Value after) : m_restore([set, after] { set(after); })
    {
        set(std::move(value));
    }
    ~Scoped() { m_restore(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

private:
    std::function<void()> m_restore;
};

// The tests' own private server (not the user's).
PrivateServer& server();
// Their second server, for the runs of a shared office server (QELREFDESK_TEST_SERVER=tcp): TCP on
// 127.0.0.1 with TLS (a CA made for the tests), a password account with rights on the tests'
// databases only, and a load folder the component cannot write to.
PrivateServer& tcpServer();
bool startTcpServer(QString* error);
bool tcpMode();
// Against a server the runner gives (QELREFDESK_TEST_SERVER=external): over TCP like tcpMode().
bool externalMode();
// A third server, started by the tests that need it and stopped by them: TCP on 127.0.0.1 without
// TLS, whose init_connect sets the character set to gbk for every account but its own. Returns
// the connection string of a password account on it (empty, and error set, when it did not start).
PrivateServer& plainServer();
QString startPlainServer(QString* error);
// A database's connection string on the server of this run.
QString connectionString(const QString& database);
// The folder from which that server loads files; document folders made below it
// (QTemporaryDir(docsRoot() + "/docs-XXXXXX")) are read by the server as a host's would be.
QString docsRoot();
// A fresh, empty database of that name and character set, and a connection to it.
std::unique_ptr<Connection> freshDatabase(const QString& name, const QString& charset = QStringLiteral("utf8mb4"));
// A single value of a query, for assertions.
QString scalar(Connection& db, const QString& sql);
// Writes a file anew with these bytes (a fixture: a CSV list, a connection file, a script).
bool writeFile(const QString& path, const QByteArray& bytes);
// Writes a resource file into dir as TYPE + "1.dat".
void writeResource(const QString& dir, const QString& type, const QByteArray& bytes);
// Writes the machine-wide configuration file QELCONFIG.INI into dir (the tests' system folder).
bool writeSystemConfig(const QString& dir, const QString& ini);

} // namespace qel::test
