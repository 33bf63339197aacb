#include "core/msgservice.h"
#include "core/desktop.h"
#include <QApplication>
#include <QProgressDialog>

namespace qel {

BusyNotice::BusyNotice(const Session* session, QWidget* parent, const QString& text)
{
    if (!desktopOf(session).showBusy(text))
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

QString MessageService::defaultTitle() { return QStringLiteral("QELRefDesk"); }

void MessageService::inform(const Session* session, QWidget* parent, const QString& text)
{
    desktopOf(session).answer(parent, {Information, text});
}

bool MessageService::ask(const Session* session, QWidget* parent, const QString& text, Answer defaultAnswer)
{
    return desktopOf(session).answer(parent, {Question, text, defaultAnswer}) == Yes;
}

} // namespace qel
