#include "core/msgservice.h"
#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <cstdio>

namespace qel {

namespace {
MessageService::Responder& responder()
{
    static MessageService::Responder r;
    return r;
}

// No screen to show a box on (an installation script, a service, the data tool: a process
// without a widget application, or on the "minimal" platform): nobody could answer it, so the
// text goes to the terminal and the default answer is taken.
bool headless()
{
    return !qobject_cast<QApplication*>(QCoreApplication::instance()) || QGuiApplication::platformName() == u"minimal";
}

MessageService::Answer show(QWidget* parent, const MessageService::Message& m)
{
    if (responder())
        return responder()(m);
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
std::function<void(const QString&)>& busyObserver()
{
    static std::function<void(const QString&)> o;
    return o;
}
} // namespace

BusyNotice::BusyNotice(QWidget* parent, const QString& text)
{
    if (busyObserver()) {
        busyObserver()(text);
        return;
    }
    if (headless())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_dialog = new QProgressDialog(text, QString(), 0, 0, parent);
    m_dialog->setObjectName(QStringLiteral("frmBusy"));
    m_dialog->setWindowTitle(MessageService::defaultTitle());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->show();
    // Painted before the work blocks the window.
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyNotice::~BusyNotice()
{
    if (!m_dialog)
        return;
    delete m_dialog;
    QApplication::restoreOverrideCursor();
}

void BusyNotice::setObserver(std::function<void(const QString&)> observer) { busyObserver() = std::move(observer); }

QString MessageService::defaultTitle() { return QStringLiteral("QELRefDesk"); }

void MessageService::setResponder(Responder r) { responder() = std::move(r); }

void MessageService::inform(QWidget* parent, const QString& text) { show(parent, {Information, text}); }

bool MessageService::ask(QWidget* parent, const QString& text, Answer defaultAnswer)
{
    return show(parent, {Question, text, defaultAnswer}) == Yes;
}

} // namespace qel
