#pragma once
#include "verify/pantandialog.h"
#include <QJsonObject>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qel {

class WebDriver;

// The alternate way of verifying a PAN or TAN: a hidden browser walks the e-payment service's
// pages as a person would, the captcha element's picture is copied into the dialog, and the
// browser fills and submits the payment form with the typed code and reads the confirmation
// page. Request and result travel through the facade's PANTAN_Status, as with frmPANTAN_N.
class frmPANTAN : public PanTanDialog {
    Q_OBJECT
public:
    explicit frmPANTAN(QWidget* parent = nullptr);
    ~frmPANTAN() override;

    Q_INVOKABLE void DOCUMENTCOMPLETE1();
    Q_INVOKABLE void SETPIC();
    Q_INVOKABLE void DOCUMENTCOMPLETE2();
    Q_INVOKABLE void CloseRegWindows();

    bool waitingForCode() const override;   // the captcha frame is up and filled

protected:
    void start() override { DOCUMENTCOMPLETE1(); }
    void stopWaiting() override;

private:
    enum class Wait { Met, Cancelled, EndRun };
    // Polls the loaded page until check says 1 (met) or 2 (end the run); a cancel, a browser
    // that went away or a page the browser could not reach end the wait as well.
    Wait waitFor(const std::function<int(const QJsonObject& page)>& check, bool closeRegistration = false);
    // What the answer page said: its PAN or TAN and name, or that the typed code was wrong.
    struct Answer {
        bool wrongCode = false;
        QString id, name;
    };
    // A page seen while waiting for the answer: 0 not yet, 1 the answer, 2 a refusal.
    int judgeAnswer(const QJsonObject& page, const QString& answer, const QString& challan, Answer* out);
    QJsonObject page(bool* ok);
    void cmdok_Click();
    void endRun();
    void showFrame(int which);

    std::unique_ptr<WebDriver> browser;

    QFrame* Frame1;
    QLabel* lblpg;
    QPushButton* cmdcancel;
    QFrame* Frame2;
    QLabel* PicImg;
    QLabel* Label1;
    QLineEdit* txtcode;
    QPushButton* cmdok;
    QPushButton* cmdcan;
};

} // namespace qel
