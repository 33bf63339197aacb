#include "db/privateserver.h"
#include "db/connection.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QElapsedTimer>
#include <unistd.h>
#include <pwd.h>

namespace qel {

namespace {

QString findProgram(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                                     QStringLiteral("/usr/bin")});
    return path;
}

QString userName()
{
    if (const passwd* pw = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("root");
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

PrivateServer::Options PrivateServer::defaultOptions()
{
    Options o;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    o.dataDir = base + QStringLiteral("/QELRefDesk/mariadb");
    o.socketPath = QStringLiteral("/tmp/qelrd-%1/mysqld.sock").arg(geteuid());
    return o;
}

PrivateServer::PrivateServer(Options options) : m_options(std::move(options)) {}

QString PrivateServer::connectionString(const QString& database) const
{
    QString s = QStringLiteral("Socket=%1;Uid=root;").arg(m_options.socketPath);
    if (!database.isEmpty())
        s += QStringLiteral("Database=%1;").arg(database);
    return s;
}

bool PrivateServer::isAnswering() const
{
    if (!QFileInfo::exists(m_options.socketPath))
        return false;
    Connection probe;
    return probe.open(connectionString());
}

bool PrivateServer::initialise(QString* error)
{
    if (QFileInfo::exists(m_options.dataDir + QStringLiteral("/mysql")))
        return true;
    const QString installer = findProgram(QStringLiteral("mariadb-install-db"));
    if (installer.isEmpty()) {
        setError(error, QStringLiteral("mariadb-install-db was not found; install the mariadb-server package."));
        return false;
    }
    QDir().mkpath(m_options.dataDir);
    QProcess p;
    p.start(installer, {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + m_options.dataDir,
                        QStringLiteral("--user=") + userName(), QStringLiteral("--auth-root-authentication-method=normal"),
                        QStringLiteral("--skip-test-db")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        setError(error, QStringLiteral("Could not initialise the database directory %1: %2")
                            .arg(m_options.dataDir, QString::fromLocal8Bit(p.readAllStandardError())));
        QDir(m_options.dataDir + QStringLiteral("/mysql")).removeRecursively();
        return false;
    }
    return true;
}

bool PrivateServer::ensureRunning(QString* error)
{
    if (isAnswering())
        return true;
    const QString socketDir = QFileInfo(m_options.socketPath).absolutePath();
    QDir().mkpath(socketDir);
    QFile::setPermissions(socketDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(m_options.dataDir);

    // One starter at a time; a second caller finds the server answering once it holds the lock.
    QLockFile lock(m_options.dataDir + QStringLiteral("/../qelrefdesk-server.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(180000)) {
        setError(error, QStringLiteral("Timed out waiting for another process starting the database server."));
        return false;
    }
    if (isAnswering())
        return true;
    if (!initialise(error))
        return false;

    const QString server = findProgram(QStringLiteral("mariadbd"));
    if (server.isEmpty()) {
        setError(error, QStringLiteral("mariadbd was not found; install the mariadb-server package."));
        return false;
    }
    QFile::remove(m_options.socketPath);
    const QStringList args = {
        QStringLiteral("--no-defaults"),
        QStringLiteral("--datadir=") + m_options.dataDir,
        QStringLiteral("--socket=") + m_options.socketPath,
        QStringLiteral("--pid-file=") + m_options.dataDir + QStringLiteral("/mariadbd.pid"),
        QStringLiteral("--log-error=") + m_options.dataDir + QStringLiteral("/server.err"),
        QStringLiteral("--user=") + userName(),
        QStringLiteral("--skip-networking"),
        QStringLiteral("--secure-file-priv="),
        QStringLiteral("--innodb-buffer-pool-size=32M"),
        QStringLiteral("--innodb-log-file-size=16M"),
        QStringLiteral("--key-buffer-size=1M"),
        QStringLiteral("--max-connections=32"),
        QStringLiteral("--open-files-limit=1024"),
        QStringLiteral("--performance-schema=OFF"),
        QStringLiteral("--skip-log-bin"),
        QStringLiteral("--character-set-server=utf8mb4"),
        QStringLiteral("--collation-server=utf8mb4_general_ci"),
    };
    if (!QProcess::startDetached(server, args, m_options.dataDir)) {
        setError(error, QStringLiteral("Could not start %1.").arg(server));
        return false;
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        if (isAnswering())
            return true;
        QThread::msleep(100);
    }
    QFile log(m_options.dataDir + QStringLiteral("/server.err"));
    log.open(QIODevice::ReadOnly);
    setError(error, QStringLiteral("The database server did not start: %1").arg(QString::fromLocal8Bit(log.readAll().right(2000))));
    return false;
}

bool PrivateServer::stop(QString* error)
{
    if (!isAnswering())
        return true;
    Connection c;
    if (!c.open(connectionString())) {
        setError(error, c.lastError().description);
        return false;
    }
    c.Execute(QStringLiteral("SHUTDOWN"));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        if (!isAnswering() && !QFileInfo::exists(m_options.dataDir + QStringLiteral("/mariadbd.pid")))
            return true;
        QThread::msleep(100);
    }
    setError(error, QStringLiteral("The database server did not stop."));
    return false;
}

bool PrivateServer::connect(Connection& db, const QString& database, const QString& charset, QString* error)
{
    if (!ensureRunning(error))
        return false;
    Connection admin;
    if (!admin.open(connectionString())) {
        setError(error, admin.lastError().description);
        return false;
    }
    if (!admin.Execute(QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1` CHARACTER SET %2").arg(database, charset))) {
        setError(error, admin.lastError().description);
        return false;
    }
    if (!db.open(connectionString(database))) {
        setError(error, db.lastError().description);
        return false;
    }
    return true;
}

} // namespace qel
