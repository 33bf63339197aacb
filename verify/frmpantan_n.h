#pragma once
#include "verify/pantandialog.h"
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qel {

class HttpRequest;

// Verifies a PAN or TAN by walking the e-payment service's pages with its own requests: the
// payment form's action, the challan page with its captcha, then the dummy payment form with
// the typed code, whose confirmation page names the holder. The request comes in and the one
// result text goes out through the facade's PANTAN_Status.
class frmPANTAN_N : public PanTanDialog {
    Q_OBJECT
public:
    explicit frmPANTAN_N(QWidget* parent = nullptr);
    ~frmPANTAN_N() override;

    Q_INVOKABLE void STEP1();   // up to the captcha on screen
    Q_INVOKABLE void STEP2();   // the submission and its answer

    // The submission string (form action and body) for a code typed on a given day.
    QString submission(const QString& code, const QDate& day) const;
    QString SaveCaptchaFile(const QString& path);
    int state() const { return m_state; }
    bool waitingForCode() const override { return m_state == 2; }

protected:
    void start() override { STEP1(); }

private:
    void ShowState(int state);
    void cmdok_Click();
    // Waits for the reply in one-second steps; false (the result set to cancelResult) once the
    // user cancelled.
    bool waitReply(const QString& cancelResult);
    // Posts to the base address: the part of action before "?" is the page, the rest the body.
    // Posts a form action (its query as the body); the answer is searched for searchKeys.
    void post(const QString& action, const QList<QByteArray>& searchKeys);
    void endRun();
    // Ends the run with this result.
    void endWith(const QString& result);
    // The phases of STEP1; false: the run has ended.
    bool openFirstPage(const QString& base);
    bool requestCaptcha(const QString& base);
    bool showCaptcha();

    std::unique_ptr<HttpRequest> WHR;
    QString m_result;
    QString m_submitAction;   // the answer form's action, from the challan page
    int m_state = 0;

    QLabel* ImgCap;
    QLabel* Label1;
    QLineEdit* txtcode;
    QPushButton* cmdrefresh;
    QPushButton* cmdok;
    QPushButton* cmdcancel;
    QLabel* lblpg;
};

} // namespace qel
