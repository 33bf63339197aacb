#pragma once
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qel {

class ClsMain;

// The component's menu window: a button per lookup dialog, the PAN/TAN structure check with
// online name verification, and the update check link.
class frmmain : public QWidget {
    Q_OBJECT
public:
    explicit frmmain(QWidget* parent = nullptr);
    ~frmmain() override;

    Q_INVOKABLE void InitData(QObject* cls);
    Q_INVOKABLE static bool IsValidPAN(const QString& text);
    Q_INVOKABLE static bool IsValidTAN(const QString& text);

    void Command1_Click(int index);
    void cmdokPT_Click();
    QPushButton* menuButton(int index) const;

    // Runs the update check; plugged in by the update module (manual: the user clicked the link).
    using UpdateCheck = void (*)(frmmain& window, bool manual);
    static void setUpdateCheck(UpdateCheck check);
    ClsMain* clsObj() const { return ClsObj; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void showMenuFrame();
    void showCheckFrame();
    void escape();
    void layoutFrames();
    void activated();

    QPointer<ClsMain> ClsObj;
    QFrame* Frame1;
    QFrame* famPANTAN;
    QRadioButton* optpantan[2];
    QLineEdit* txtpantan;
    QCheckBox* chkaltmeth;
    QPushButton* cmdokPT;
    QPushButton* cmdcancelPT;
    QLabel* lblchkup;
    QPushButton* Command1[14] = {};
    bool m_closing = false;
};

} // namespace qel
