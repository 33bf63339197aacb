#pragma once
#include <QDialog>
#include <QPointer>
#include "core/session.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qel {

class HttpRequest;

// "Configure Proxy Settings": the proxy mode of the online verification (0 no proxy, 1 the
// browser's proxy, 2 a manual proxy), kept per user under "VoxWHR"/"ProxySettings". The facade
// loads it unseen to apply the stored choice to a request object (SetProxyForWH), or shows it
// when a first connection failed.
class frmProxy : public QDialog {
    Q_OBJECT
public:
    // session: whose desktop gives the browser's proxy, which the window shows from the start.
    explicit frmProxy(Session* session, QWidget* parent = nullptr);

    void InitData(Session* session);
    // Applies the loaded settings to a request object: the component's own, or a host's object
    // with SetProxy(int, QString, QString).
    void SetProxyForWH(QObject* ObjWHR);

    int mode() const;
    // Starts the system-wide proxy utility with one argument line ("-d", "-u", "-p host:port")
    // and does not wait for it; a utility that is missing or cannot run is told and logged.
    void runUtility(const QStringList& args);

private:
    void optproxy_Click();
    void cmdok_Click();

    QPointer<Session> ClsObj;
    QRadioButton* optproxy[3];
    QLineEdit* txtserver;
    QLineEdit* txtport;
    QCheckBox* chkcmdline;
    QPushButton* cmdok;
    QPushButton* cmdcancel;
    int m_shownMode = -1;   // the option the fields were last set up for
};

// SetProxyForWHR: the stored proxy settings applied to a request object (a proxy dialog loaded
// unseen does it).
void setProxyForRequest(Session* session, QObject* WHR);
// GetProxyForWHR: the proxy dialog shown, owned by owner; true when the user confirmed it.
bool askForProxy(Session* session, QWidget* owner);

} // namespace qel
