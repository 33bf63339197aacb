#pragma once
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qel {

class ClsMain;

// "Configure Proxy Settings": the proxy mode of the online verification (0 no proxy, 1 the
// browser's proxy, 2 a manual proxy), kept per user under "VoxWHR"/"ProxySettings". The facade
// loads it unseen to apply the stored choice to a request object (SetProxyForWH), or shows it
// when a first connection failed.
class frmProxy : public QDialog {
    Q_OBJECT
public:
    explicit frmProxy(QWidget* parent = nullptr);

    Q_INVOKABLE void InitData(QObject* cls);
    // Applies the loaded settings to a request object (anything with SetProxy(int, QString, QString)).
    Q_INVOKABLE void SetProxyForWH(QObject* ObjWHR);

    int mode() const;
    // Starts the system-wide proxy utility with one argument line ("-d", "-u", "-p host:port")
    // and does not wait for it; silent when no utility is configured or it is missing.
    static void runUtility(const QStringList& args);

private:
    void optproxy_Click();
    void cmdok_Click();

    QPointer<ClsMain> ClsObj;
    QRadioButton* optproxy[3];
    QLineEdit* txtserver;
    QLineEdit* txtport;
    QCheckBox* chkcmdline;
    QPushButton* cmdok;
    QPushButton* cmdcancel;
};

} // namespace qel
