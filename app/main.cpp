#include "app/hostwindow.h"
#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QELRefDesk"));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("Demo host for the QELRefDesk component."));
    args.addHelpOption();
    args.addOption({QStringLiteral("connection"),
                    QStringLiteral("Use this MySQL-compatible server instead of the private one, e.g. "
                                   "\"Server=127.0.0.1;Port=3306;Database=tax;Uid=user;Pwd=secret;\"."),
                    QStringLiteral("string")});
    args.process(app);
    HostWindow w(args.value(QStringLiteral("connection")));
    w.show();
    return app.exec();
}
