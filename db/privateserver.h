#pragma once
#include <QString>

namespace qel {

class Connection;

// A MariaDB server of the user's own: data under the user's data directory, reachable only
// through a unix socket in a private directory. Started on first use, left running for later
// runs, and reused while its socket answers.
class PrivateServer {
public:
    struct Options {
        QString dataDir;     // the server's data directory
        QString socketPath;  // kept short: unix socket paths are limited to about 100 bytes
    };

    static Options defaultOptions();
    explicit PrivateServer(Options options = defaultOptions());

    // Initialises the data directory when needed and starts the server unless one already
    // answers on the socket. Waits until it accepts connections.
    bool ensureRunning(QString* error = nullptr);
    bool isAnswering() const;
    // Asks the server to shut down and waits until its socket is gone.
    bool stop(QString* error = nullptr);

    QString connectionString(const QString& database = QString()) const;
    // Opens db on this server (starting it when needed), creating the database when missing.
    bool connect(Connection& db, const QString& database, const QString& charset = QStringLiteral("utf8mb4"),
                 QString* error = nullptr);

    const Options& options() const { return m_options; }

private:
    bool initialise(QString* error);
    Options m_options;
};

} // namespace qel
