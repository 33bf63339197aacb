#include <QApplication>
#include "app/hostwindow.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QELRefDesk Demo Host"));
    HostWindow w;
    w.show();
    return app.exec();
}
