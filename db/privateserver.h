#pragma once
#include <QString>
#include <QStringList>
#include "qelrefdesk_export.h"

namespace qel {

class Connection;

// A MariaDB server of the user's own: data under the user's data directory, reachable only
// through a unix socket in a folder that only the user can enter, and only by the user's own
// account (the server asks the operating system who connects). It loads files only from its
// own load folder, beside the socket. Started on first use, left running for later runs, and
// reused while its socket answers.
class QELREFDESK_EXPORT PrivateServer {
public:
    struct Options {
        QString dataDir;   // the server's data directory
        QString runDir;    // the private folder of the socket; kept short (socket paths are limited to about 100 bytes)
        QString loadDir;   // the one folder the server reads load files from; runDir + "/load" when empty
        // A server that also listens on the network, with these further options (port, address,
        // TLS); empty: the socket alone.
        QStringList networkArguments;
        QString socketPath() const { return runDir + QStringLiteral("/mysqld.sock"); }
        QString loadFolder() const { return loadDir.isEmpty() ? runDir + QStringLiteral("/load") : loadDir; }
    };

    // $XDG_RUNTIME_DIR/qelrefdesk when the session has such a folder, else /tmp/qelrd-<uid>.
    static Options defaultOptions();
    explicit PrivateServer(Options options = defaultOptions());

    // Initialises the data directory when needed and starts the server unless one already
    // answers on the socket. Waits until it accepts connections; a server that exits while
    // starting is reported at once, with the server's own words.
    bool ensureRunning(QString* error = nullptr);
    bool isAnswering() const;
    // Asks the server to shut down and waits until its socket is gone.
    bool stop(QString* error = nullptr);

    // The user's own account on the socket.
    QString connectionString(const QString& database = QString()) const;
    // Opens db on this server (starting it when needed), creating the database when missing.
    bool connect(Connection& db, const QString& database, const QString& charset = QStringLiteral("utf8mb4"),
                 QString* error = nullptr);

    const Options& options() const { return m_options; }

    // Creates folder (mode 700) when missing and checks that it is a real folder of this user's
    // that nobody else can enter; false, with the reason, when it is not.
    static bool privateFolder(const QString& folder, QString* error);

private:
    bool initialise(QString* error);
    // Starts the server program and waits until it answers or stops.
    bool start(const QString& server, const QString& loadDir, QString* error);
    QStringList serverArguments(const QString& loadDir, const QString& errorLog) const;
    bool harden(QString* error);
    bool endOrphan(QString* error);
    Options m_options;
};

} // namespace qel
