#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>
#include "core/session.h"

class QLineEdit;

namespace qel {


// What the two verification dialogs share: the request they take from the facade's
// PANTAN_Status and the result they leave there, the first activation that starts the run, the
// cancel request that a running wait polls, and the keys and closing rules.
class PanTanDialog : public QDialog {
    Q_OBJECT
public:
    void InitData(Session* session);
    // Whether the captcha is up and the dialog waits for the user's code.
    virtual bool waitingForCode() const = 0;

protected:
    explicit PanTanDialog(QWidget* parent);

    // Runs once, after the window is up, with the service code and identifier of a valid request.
    virtual void start() = 0;
    // A cancel while a run waits: ends what the run is waiting for, so that it stops at once.
    virtual void stopWaiting() {}

    // A run: begin() before its first request; finish() stores the result and closes.
    void begin();
    void finish(const QString& result);
    void pause() { m_running = false; }   // waiting for the user
    bool running() const { return m_running; }
    bool cancelRequested() const { return m_cancel; }   // the tag of cmdcancel is "Y"

    // Cancel, Escape: while a run waits, asks it to stop (it ends within one pass of its wait);
    // at the captcha, asks the user and closes with "Cancelled by User." on Yes.
    void cancel();
    // Ok with an empty code box: says what is wanted, focuses the box and answers false.
    bool haveCode(QLineEdit* box);

    QString status() const;
    void setStatus(const QString& s);
    void busy(bool on);

    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

    QPointer<Session> ClsObj;
    QString m_code;   // "280" for a PAN, "281" for a TAN
    QString m_id;     // the identifier after the prefix

private:
    void firstActivation();

    bool m_first = true;
    bool m_running = false;
    bool m_cancel = false;
};

// GetPanTanName: the verification dialog that the stored method names ("N": frmPANTAN_N, its own
// HTTP requests; anything else: frmPANTAN, the browser), given the request ("PAN:" or "TAN:" and
// the identifier) through the session's PANTAN_Status, shown modally; its one-line result.
QString getPanTanName(Session* session, const QString& PANTAN);

} // namespace qel
