#include "verify/pantandialog.h"
#include "core/named.h"
#include "core/session.h"
#include "core/msgservice.h"
#include "verify/pantancommon.h"
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace qel {

PanTanDialog::PanTanDialog(QWidget* parent) : QDialog(parent) {}

void PanTanDialog::InitData(Session* session)
{
    ClsObj = session;
    if (ClsObj)
        ClsObj->Resize_For_Resolution(this, false);
}

QString PanTanDialog::status() const { return ClsObj ? ClsObj->PANTAN_Status() : QString(); }

void PanTanDialog::setStatus(const QString& s)
{
    if (ClsObj)
        ClsObj->setPANTAN_Status(s);
}

void PanTanDialog::busy(bool on)
{
    if (on)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void PanTanDialog::begin()
{
    m_running = true;
    m_cancel = false;
    busy(true);
}

void PanTanDialog::finish(const QString& result)
{
    setStatus(result);
    busy(false);
    m_running = false;
    done(0);
}

void PanTanDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_first) {
        m_first = false;
        // After the window is up, so that it shows its wait state while the pages load.
        QTimer::singleShot(0, this, &PanTanDialog::firstActivation);
    }
}

void PanTanDialog::firstActivation()
{
    const QString request = status();
    m_code = pantan::serviceCode(request);
    if (m_code.isEmpty()) {
        setStatus(QStringLiteral("Invalid Parameter."));
        done(0);
        return;
    }
    m_id = request.mid(4);
    setStatus(QString());
    start();
}

void PanTanDialog::cancel()
{
    if (waitingForCode()) {
        if (MessageService::ask(ClsObj, this, QStringLiteral("Do you really want to Cancel?"), MessageService::No)) {
            setStatus(QStringLiteral("Cancelled by User."));
            done(0);
        }
        return;
    }
    m_cancel = true;
    if (m_running)
        stopWaiting();
}

void PanTanDialog::reject() { cancel(); }

bool PanTanDialog::haveCode(QLineEdit* box)
{
    if (!box->text().isEmpty())
        return true;
    MessageService::inform(ClsObj, this, QStringLiteral("Please Enter Code as shown in Image."));
    box->setFocus();
    return false;
}

void PanTanDialog::closeEvent(QCloseEvent* e)
{
    // While a run waits, closing the window stops it the way Cancel does; the run then ends the
    // dialog with its result.
    if (m_running) {
        m_cancel = true;
        stopWaiting();
        e->ignore();
        return;
    }
    // Closed from its title bar: no result, so the caller gets an empty answer.
    e->accept();
    done(0);
}

void PanTanDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (!pressFocusedButton())
            focusNextChild();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace qel
