#include "db/privateserver.h"
#include "db/connection.h"
#include "db/recordset.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool alive(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

QString tail(const QString& file)
{
    QFile log(file);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    if (log.size() > 3000)
        log.seek(log.size() - 3000);
    return QString::fromLocal8Bit(log.readAll()).trimmed();
}

} // namespace

bool PrivateServer::privateFolder(const QString& folder, QString* error)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return setError(error, QStringLiteral("Could not create %1: %2").arg(folder, QString::fromLocal8Bit(strerror(errno))));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return setError(error, QStringLiteral("%1 is not a folder (a link or a file stands there); remove it.").arg(folder));
    if (st.st_uid != geteuid())
        return setError(error, QStringLiteral("%1 belongs to another user; it cannot hold this user's database socket.").arg(folder));
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return setError(error, QStringLiteral("%1 is open to other users (mode %2); it must be 700.").arg(folder).arg(st.st_mode & 0777, 3, 8));
    return true;
}

PrivateServer::Options PrivateServer::defaultOptions()
{
    Options o;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    o.dataDir = base + QStringLiteral("/QELRefDesk/mariadb");
    // The session's own runtime folder when it has a usable one (the user's, mode 700).
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat st {};
    const bool usable = !runtime.isEmpty() && runtime.size() < 60 && ::stat(QFile::encodeName(runtime).constData(), &st) == 0
                        && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & (S_IRWXG | S_IRWXO));
    o.runDir = usable ? runtime + QStringLiteral("/qelrefdesk") : QStringLiteral("/tmp/qelrd-%1").arg(geteuid());
    return o;
}

PrivateServer::PrivateServer(Options options) : m_options(std::move(options)) {}

QString PrivateServer::connectionString(const QString& database) const
{
    QString s = QStringLiteral("Socket=%1;Uid=%2;").arg(m_options.socketPath(), userName());
    if (!database.isEmpty())
        s += QStringLiteral("Database=%1;").arg(database);
    return s;
}

bool PrivateServer::isAnswering() const
{
    if (!QFileInfo::exists(m_options.socketPath()))
        return false;
    // A server that turns this account away still answers (one made by an earlier version).
    Connection probe;
    return probe.open(connectionString()) || dberr::isAccessDenied(probe.lastError().number);
}

bool PrivateServer::initialise(QString* error)
{
    if (QFileInfo::exists(m_options.dataDir + QStringLiteral("/mysql")))
        return true;
    const QString installer = findProgram(QStringLiteral("mariadb-install-db"));
    if (installer.isEmpty())
        return setError(error, QStringLiteral("mariadb-install-db was not found; install the mariadb-server package."));
    QDir().mkpath(m_options.dataDir);
    QFile::setPermissions(m_options.dataDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess p;
    // The only account: the user's own, proved by the operating system on the socket.
    p.start(installer, {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + m_options.dataDir,
                        QStringLiteral("--user=") + userName(), QStringLiteral("--auth-root-authentication-method=socket"),
                        QStringLiteral("--auth-root-socket-user=") + userName(), QStringLiteral("--skip-test-db")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        QDir(m_options.dataDir + QStringLiteral("/mysql")).removeRecursively();
        return setError(error, QStringLiteral("Could not initialise the database directory %1: %2")
                                   .arg(m_options.dataDir, QString::fromLocal8Bit(p.readAllStandardError())));
    }
    return true;
}

bool PrivateServer::harden(QString* error)
{
    // A data directory made by an earlier version has a root account without a password (and
    // maybe anonymous ones). Every account that anyone could use without a password goes, but
    // the user's own, which the operating system authenticates.
    const QString me = userName();
    Connection c;
    if (!c.open(connectionString()) && !c.open(QStringLiteral("Socket=%1;Uid=root;").arg(m_options.socketPath())))
        return setError(error, c.lastError().description);
    const Sql others = Sql("from mysql.user Where User <> 'mariadb.sys' and (authentication_string = '' or User = '') "
                           "and not (User = '")
                           .value(me)
                           .code("' and Host = 'localhost' and plugin = 'unix_socket')");
    Recordset rs;
    if (!rs.open(Sql("Select User, Host ") + others, &c))
        return setError(error, rs.lastError().description);
    if (rs.recordCount() == 0)
        return true;
    QList<Sql> statements{Sql("Create User If Not Exists '").value(me).code("'@'localhost' Identified Via unix_socket"),
                          Sql("Alter User '").value(me).code("'@'localhost' Identified Via unix_socket"),
                          Sql("Grant All Privileges On *.* To '").value(me).code("'@'localhost' With Grant Option")};
    for (; !rs.eof(); rs.moveNext())
        if (!(rs.value(0) == me && rs.value(1) == u"localhost"))
            statements << Sql("Drop User '").value(rs.value(0)).code("'@'").value(rs.value(1)).code("'");
    for (const Sql& s : statements)
        if (!c.Execute(s))
            return setError(error, c.lastError().description);
    return true;
}

bool PrivateServer::endOrphan(QString* error)
{
    // A server of this data directory that lost its socket (a runtime folder cleared at logout)
    // still holds the directory: it is asked to end before a new one starts.
    QFile pidFile(m_options.dataDir + QStringLiteral("/mariadbd.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return true;
    const qint64 pid = pidFile.readAll().trimmed().toLongLong();
    if (!alive(pid))
        return true;
    ::kill(pid_t(pid), SIGTERM);
    QElapsedTimer t;
    t.start();
    while (alive(pid) && t.elapsed() < 60000)
        QThread::msleep(100);
    return !alive(pid) || setError(error, QStringLiteral("A database server (process %1) still holds %2.").arg(pid).arg(m_options.dataDir));
}

bool PrivateServer::ensureRunning(QString* error)
{
    if (!privateFolder(m_options.runDir, error))
        return false;
    if (isAnswering())
        return harden(error);
    QDir().mkpath(m_options.dataDir);

    // One starter at a time; a second caller finds the server answering once it holds the lock.
    QLockFile lock(m_options.dataDir + QStringLiteral("/../qelrefdesk-server.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(180000))
        return setError(error, QStringLiteral("Timed out waiting for another process starting the database server."));
    if (isAnswering())
        return harden(error);
    if (!initialise(error) || !endOrphan(error))
        return false;
    const QString loadDir = m_options.loadFolder();
    if (m_options.loadDir.isEmpty() && !privateFolder(loadDir, error))
        return false;

    const QString server = findProgram(QStringLiteral("mariadbd"));
    if (server.isEmpty())
        return setError(error, QStringLiteral("mariadbd was not found; install the mariadb-server package."));
    return start(server, loadDir, error);
}

QStringList PrivateServer::serverArguments(const QString& loadDir, const QString& errorLog) const
{
    QStringList args = {
        QStringLiteral("--no-defaults"),
        QStringLiteral("--datadir=") + m_options.dataDir,
        QStringLiteral("--socket=") + m_options.socketPath(),
        QStringLiteral("--pid-file=") + m_options.dataDir + QStringLiteral("/mariadbd.pid"),
        QStringLiteral("--log-error=") + errorLog,
        QStringLiteral("--user=") + userName(),
        QStringLiteral("--secure-file-priv=") + loadDir,
        // Room for the reference tables that are in use (MICR, IFSC, PIN and their indexes), so
        // that a search over a whole table reads memory, not the disk; taken only as used.
        QStringLiteral("--innodb-buffer-pool-size=128M"),
        QStringLiteral("--innodb-log-file-size=16M"),
        QStringLiteral("--key-buffer-size=1M"),
        QStringLiteral("--max-connections=32"),
        QStringLiteral("--open-files-limit=1024"),
        QStringLiteral("--performance-schema=OFF"),
        QStringLiteral("--skip-log-bin"),
        QStringLiteral("--character-set-server=utf8mb4"),
        QStringLiteral("--collation-server=utf8mb4_general_ci"),
    };
    return args + (m_options.networkArguments.isEmpty() ? QStringList{QStringLiteral("--skip-networking")} : m_options.networkArguments);
}

bool PrivateServer::start(const QString& server, const QString& loadDir, QString* error)
{
    QFile::remove(m_options.socketPath());
    const QString errorLog = m_options.dataDir + QStringLiteral("/server.err");
    const qint64 logStart = QFileInfo(errorLog).size();
    // What the server says before it opens its own log goes there too.
    QProcess starter;
    starter.setProgram(server);
    starter.setArguments(serverArguments(loadDir, errorLog));
    starter.setWorkingDirectory(m_options.dataDir);
    starter.setStandardOutputFile(errorLog, QIODevice::Append);
    starter.setStandardErrorFile(errorLog, QIODevice::Append);
    qint64 pid = 0;
    if (!starter.startDetached(&pid))
        return setError(error, QStringLiteral("Could not start %1.").arg(server));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 120000) {
        if (isAnswering())
            return harden(error);
        if (!alive(pid)) {
            QString said = tail(errorLog);
            if (QFileInfo(errorLog).size() > logStart)
                said = said.right(int(QFileInfo(errorLog).size() - logStart));
            return setError(error, QStringLiteral("The database server stopped while starting:\n%1").arg(said.trimmed()));
        }
        QThread::msleep(50);
    }
    return setError(error, QStringLiteral("The database server did not start: %1").arg(tail(errorLog)));
}

bool PrivateServer::stop(QString* error)
{
    if (!isAnswering())
        return true;
    Connection c;
    if (!c.open(connectionString()))
        return setError(error, c.lastError().description);
    c.Execute(Sql("SHUTDOWN"));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        if (!isAnswering() && !QFileInfo::exists(m_options.dataDir + QStringLiteral("/mariadbd.pid")))
            return true;
        QThread::msleep(100);
    }
    return setError(error, QStringLiteral("The database server did not stop."));
}

bool PrivateServer::connect(Connection& db, const QString& database, const QString& charset, QString* error)
{
    if (!ensureRunning(error))
        return false;
    if (database.contains(u'`') || charset.contains(u'`'))
        return setError(error, QStringLiteral("Not a database name: %1").arg(database));
    Connection admin;
    if (!admin.open(connectionString()))
        return setError(error, admin.lastError().description);
    if (!admin.Execute(Sql(QStringLiteral("CREATE DATABASE IF NOT EXISTS `%1` CHARACTER SET %2").arg(database, charset))))
        return setError(error, admin.lastError().description);
    if (!db.open(connectionString(database)))
        return setError(error, db.lastError().description);
    return true;
}

} // namespace qel
