#pragma once
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include "core/session.h"

class QCheckBox;
class QIODevice;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qel {


// The component's menu window: a button per lookup dialog, the PAN/TAN structure check with
// online name verification, and the update check link.
class frmmain : public QWidget {
    Q_OBJECT
public:
    explicit frmmain(QWidget* parent = nullptr);
    ~frmmain() override;

    void InitData(Session* session);
    Q_INVOKABLE static bool IsValidPAN(const QString& text);
    Q_INVOKABLE static bool IsValidTAN(const QString& text);

    void Command1_Click(int index);
    void cmdokPT_Click();
    QPushButton* menuButton(int index) const;
    // Its designed size, scaled to the screen: what a host's MDI area gives the window.
    QSize sizeHint() const override { return m_designed; }

    // The update check: the version-information file from the update site, its record for this
    // product against the installed file's date, and the offer to download. Automatic (silent
    // unless there is an update) while the tag of lblchkup is "Y", manual otherwise.
    Q_INVOKABLE void CHECKFORUPDATE();
    // Whether the next CHECKFORUPDATE is the automatic one of the first activation (set by
    // InitData, cleared once that check ran); a click on the label is not.
    bool automaticCheckDue() const { return m_autoCheckDue; }
    void setAutomaticCheckDue(bool due) { m_autoCheckDue = due; }
    Q_INVOKABLE void DOWNLOAD(const QString& address, const QString& path);
    Session* clsObj() const { return ClsObj; }

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
    void buildMenu();
    void buildPanTanFrame();
    bool releaseIsNewer(const QStringList& rec, const QString& docPath, const QString& sys);
    void offerUpdate(const QString& date, const QString& link);
    void activated();
    void lblchkup_Click();
    void openFind();

    QPointer<Session> ClsObj;
    QFrame* Frame1;
    QFrame* famPANTAN;
    QRadioButton* optpantan[2];
    QLineEdit* txtpantan;
    QCheckBox* chkaltmeth;
    QPushButton* cmdokPT;
    QPushButton* cmdcancelPT;
    QLabel* lblchkup;
    static constexpr int kMenuButtons = 14;   // Index 0..13
    QPushButton* Command1[kMenuButtons] = {};
    QSize m_designed;
    bool m_closing = false;
    bool m_autoCheckQueued = false;
    // The update check of the first activation is still to come (then CHECKFORUPDATE is the
    // automatic one, which stays silent when there is nothing new).
    bool m_autoCheckDue = false;
    QString m_storedMethod;   // the verification method as stored ("Y": the browser), to save only a change
};

// The fields of the version-information file's record for this product: records of nine
// comma-separated fields (double quotes around a field are not part of it; a line end ends a
// field too), the first whose code is "KMX" in any case; nine empty fields when there is none.
// The file is read a piece at a time, so that no more than one record is held.
QStringList versionRecord(QIODevice& file);
QStringList versionRecord(const QByteArray& file);

} // namespace qel
