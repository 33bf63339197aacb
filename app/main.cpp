#include "hostwindow.h"
#include <QELRefDesk/connection.h>
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QELRefDesk"));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "Demo host for the QELRefDesk component. Without a connection it uses the user's private database server.\n"
        "A connection string with a password belongs in a file only you can read (--connection-file, mode 600) or in\n"
        "the environment variable QELREFDESK_CONNECTION: on the command line every user of the machine can read it."));
    args.addHelpOption();
    args.addOption({QStringLiteral("connection"),
                    QStringLiteral("Use this MySQL-compatible server instead of the private one, e.g. "
                                   "\"Server=db.office.lan;Database=tax;Uid=user;SslMode=VerifyFull;SslCa=/etc/ssl/office-ca.pem;\"."),
                    QStringLiteral("string")});
    args.addOption({QStringLiteral("connection-file"), QStringLiteral("Read the connection string from this file (mode 600)."),
                    QStringLiteral("file")});
    args.process(app);
    QString connection = qEnvironmentVariable("QELREFDESK_CONNECTION");
    if (args.isSet(QStringLiteral("connection-file"))) {
        QString error;
        if (!qel::ConnectionOptions::readFile(args.value(QStringLiteral("connection-file")), &connection, &error)) {
            fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
    }
    if (args.isSet(QStringLiteral("connection"))) {
        connection = args.value(QStringLiteral("connection"));
        if (!qel::ConnectionOptions::parse(connection).password.isEmpty())
            fprintf(stderr, "Warning: a password on the command line can be read by every user of this machine; "
                            "use --connection-file or QELREFDESK_CONNECTION instead.\n");
    }
    HostWindow w(connection);
    w.show();
    return app.exec();
}
