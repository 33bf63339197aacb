// A host application using QELRefDesk as a host does: it opens its database connection, creates
// ClsMain, hands over its session and calls a lookup by name. Here the user is played by a timer
// that picks the first row the lookup lists and presses Select.
//
//   QELREFDESK_CONNECTION="Server=...;Database=...;Uid=...;" example-host
#include <QELRefDesk/clsmain.h>
#include <QELRefDesk/connection.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    qel::Connection db;
    if (!db.open(qEnvironmentVariable("QELREFDESK_CONNECTION"))) {
        fprintf(stderr, "database: %s\n", qPrintable(db.lastError().description));
        return 1;
    }
    qel::ClsMain cls;
    QMetaObject::invokeMethod(&cls, "InitMe", Q_ARG(QString, QDir::tempPath()), Q_ARG(QObject*, &db), Q_ARG(QString, QStringLiteral("example.log")),
                              Q_ARG(float, 1.f), Q_ARG(float, 1.f), Q_ARG(float, 1.f));
    short version = 0;
    QMetaObject::invokeMethod(&cls, "MyDllVer", Q_RETURN_ARG(short, version));

    // Once the lookup dialog is up (its first use loads the data first), the "user" picks.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&user] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* select = dialog ? dialog->findChild<QPushButton*>(QStringLiteral("cmdselect")) : nullptr;
        if (!select || !dialog->isVisible())
            return;
        user.stop();
        auto* grid = dialog->findChild<QAbstractItemView*>(QStringLiteral("vsf"));
        if (grid && grid->model()->rowCount() > 0)
            grid->setCurrentIndex(grid->model()->index(0, 0));
        select->click();
    });
    user.start(50);
    qel::StrArray ifsc(0, 0);
    QMetaObject::invokeMethod(&cls, "GetIFSCCode", Q_ARG(qel::StrArray*, &ifsc), Q_ARG(QString, QStringLiteral("PUNE")), Q_ARG(QString, QString()));
    printf("QELRefDesk %d; the first IFSC code of Pune: %s\n", version, qPrintable(ifsc.at(0)));
    return version == 1 && ifsc.at(0).size() == 11 ? 0 : 1;
}
