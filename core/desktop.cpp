#include "core/desktop.h"
#include "core/session.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>

namespace qel {

namespace {
// No screen to show a box on (an installation script, a service, the data tool: a process
// without a widget application, or on the "minimal" platform): nobody could answer it, so the
// text goes to the terminal and the default answer is taken.
bool headless()
{
    return !qobject_cast<QApplication*>(QCoreApplication::instance()) || QGuiApplication::platformName() == u"minimal";
}
} // namespace

MessageService::Answer Desktop::answer(QWidget* parent, const MessageService::Message& m)
{
    if (headless()) {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return m.kind == MessageService::Question ? m.defaultAnswer : MessageService::Ok;
    }
    // Texts may carry what a server or a file said: they are shown as they are, never as markup.
    QMessageBox box(m.kind == MessageService::Question ? QMessageBox::Question : QMessageBox::Information,
                    MessageService::defaultTitle(), m.text,
                    m.kind == MessageService::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (m.kind != MessageService::Question)
        return box.exec(), MessageService::Ok;
    box.setDefaultButton(m.defaultAnswer == MessageService::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? MessageService::Yes : MessageService::No;
}

bool Desktop::showBusy(const QString&) { return !headless(); }

QDate Desktop::today() { return QDate::currentDate(); }

void Desktop::openUrl(const QString& address) { QDesktopServices::openUrl(QUrl::fromUserInput(address)); }

QString Desktop::chooseSaveFile(QWidget* parent, const QString& proposedPath)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export to CSV"), proposedPath, QStringLiteral("CSV files (*.csv)"));
}

std::unique_ptr<QDialog> Desktop::window(WindowFamily, int) { return nullptr; }

Desktop& Desktop::real()
{
    static Desktop d;
    return d;
}

Desktop& desktopOf(const Session* session)
{
    Desktop* d = session ? session->desktop() : nullptr;
    return d ? *d : Desktop::real();
}

} // namespace qel
