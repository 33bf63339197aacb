#include "netcfg/frmproxy.h"
#include "core/named.h"
#include "core/session.h"
#include "core/errlog.h"
#include "core/msgservice.h"
#include "core/settings.h"
#include "netcfg/browserproxy.h"
#include "netcfg/httprequest.h"
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qel {

namespace {
const QString kApp = QStringLiteral("VoxWHR");
const QString kSection = QStringLiteral("ProxySettings");

QString setting(const char* key, const char* def)
{
    return UserSettings::get(kApp, kSection, QString::fromLatin1(key), QString::fromLatin1(def));
}
void store(const char* key, const QString& v) { UserSettings::put(kApp, kSection, QString::fromLatin1(key), v); }
} // namespace

frmProxy::frmProxy(Session* session, QWidget* parent) : QDialog(parent), ClsObj(session)
{
    setObjectName(QStringLiteral("frmProxy"));
    setWindowTitle(QStringLiteral("Configure Proxy Settings"));
    auto* v = new QVBoxLayout(this);
    const char* captions[3] = {"No Proxy", "Use Web Proxy Settings", "Manual Proxy Settings"};
    for (int i = 0; i < 3; ++i) {
        optproxy[i] = named(new QRadioButton(QString::fromLatin1(captions[i]), this), "optproxy");
        optproxy[i]->setProperty("Index", i);
        v->addWidget(optproxy[i]);
        connect(optproxy[i], &QRadioButton::clicked, this, &frmProxy::optproxy_Click);
    }
    auto* g = new QGridLayout;
    txtserver = named(new QLineEdit(this), "txtserver");
    txtport = named(new QLineEdit(this), "txtport");
    g->addWidget(new QLabel(QStringLiteral("Server"), this), 0, 0);
    g->addWidget(txtserver, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Port"), this), 0, 2);
    g->addWidget(txtport, 0, 3);
    v->addLayout(g);
    chkcmdline = named(new QCheckBox(QStringLiteral("Config &Using Command Line Utility"), this), "chkcmdline");
    v->addWidget(chkcmdline);
    auto* h = new QHBoxLayout;
    cmdok = named(new QPushButton(QStringLiteral("&Ok"), this), "cmdok");
    cmdok->setDefault(true);
    cmdcancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdcancel");
    h->addStretch();
    h->addWidget(cmdok);
    h->addWidget(cmdcancel);
    v->addLayout(h);
    connect(cmdok, &QPushButton::clicked, this, &frmProxy::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &QDialog::reject);

    // Loading: every instance, shown or not, starts from the stored settings.
    chkcmdline->setChecked(setting("FlagCMDLINE", "0").toInt() == 1);
    const int opt = setting("ProxyOpt", "1").toInt();
    optproxy[opt >= 0 && opt <= 2 ? opt : 1]->setChecked(true);
    if (mode() == 2) {
        txtserver->setText(setting("ProxyServer", ""));
        txtport->setText(setting("ProxyPort", ""));
    }
    m_shownMode = -1;
    optproxy_Click();
}

int frmProxy::mode() const { return optproxy[0]->isChecked() ? 0 : optproxy[1]->isChecked() ? 1 : 2; }

void frmProxy::InitData(Session* session)
{
    ClsObj = session;
    if (ClsObj)
        ClsObj->Resize_For_Resolution(this, false);
}

void frmProxy::optproxy_Click()
{
    const int m = mode();
    if (m == m_shownMode)
        return;
    m_shownMode = m;
    if (m == 1) {
        txtserver->clear();
        txtport->clear();
        const BrowserProxyValues b = BrowserProxy::read(ClsObj);
        if (b.proxyEnable == u"1") {
            const int colon = b.proxyServer.indexOf(u':');
            if (colon < 0) {
                txtserver->setText(b.proxyServer);
            } else {
                txtserver->setText(b.proxyServer.left(colon));
                txtport->setText(b.proxyServer.mid(colon + 1));
            }
        }
    }
    txtserver->setEnabled(m == 2);
    txtport->setEnabled(m == 2);
}

void frmProxy::SetProxyForWH(QObject* ObjWHR)
{
    if (!ObjWHR)
        return;
    // With the utility ticked the system-wide proxy is already what the user chose.
    const bool named = !chkcmdline->isChecked() && mode() != 0 && !txtserver->text().isEmpty() && !txtport->text().isEmpty();
    const QString server = named ? txtserver->text() + u':' + txtport->text() : QString();
    if (auto* own = qobject_cast<HttpRequest*>(ObjWHR)) {
        own->SetProxy(HttpRequest::PreconfiguredProxy);
        if (named)
            own->SetProxy(HttpRequest::NamedProxy, server);
        return;
    }
    // A host's request object, reached by name as the host's own code would.
    QMetaObject::invokeMethod(ObjWHR, "SetProxy", Q_ARG(int, 0), Q_ARG(QString, QString()), Q_ARG(QString, QString()));
    if (named)
        QMetaObject::invokeMethod(ObjWHR, "SetProxy", Q_ARG(int, 2), Q_ARG(QString, server), Q_ARG(QString, QString()));
}

void frmProxy::cmdok_Click()
{
    const int m = mode();
    if (m == 2) {
        if (txtserver->text().isEmpty()) {
            MessageService::inform(ClsObj, this, QStringLiteral("Please Specify Proxy Server."));
            txtserver->setFocus();
            return;
        }
        if (txtport->text().isEmpty()) {
            MessageService::inform(ClsObj, this, QStringLiteral("Please Specify Proxy Port."));
            txtport->setFocus();
            return;
        }
    }
    store("FlagCMDLINE", chkcmdline->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    store("ProxyOpt", QString::number(m));
    store("ProxyServer", m == 2 ? txtserver->text() : QString());
    store("ProxyPort", m == 2 ? txtport->text() : QString());
    if (chkcmdline->isChecked()) {
        if (m == 0)
            runUtility({QStringLiteral("-d")});
        else if (m == 1)
            runUtility({QStringLiteral("-u")});
        else
            runUtility({QStringLiteral("-p"), txtserver->text() + u':' + txtport->text()});
    }
    if (ClsObj)
        ClsObj->setAltProxySett(true);
    accept();
}

void frmProxy::runUtility(const QStringList& args)
{
    const QString utility = Config::value(Config::ProxyUtility);
    const QFileInfo f(utility);
    if (f.isFile() && f.isExecutable() && QProcess::startDetached(utility, args))
        return;
    const QString why = QStringLiteral("The proxy could not be set for the whole system: the command line utility %1 %2.")
                            .arg(utility, !f.exists() ? QStringLiteral("is not installed")
                                          : !f.isFile() || !f.isExecutable() ? QStringLiteral("is not an executable file")
                                                                               : QStringLiteral("could not be started"));
    ErrHandler(ClsObj, objectName(), "CMDOK_CLICK").fail(53, why, QStringLiteral("QELRefDesk"));
    MessageService::inform(ClsObj, this, why);
}

void setProxyForRequest(Session* session, QObject* WHR)
{
    frmProxy w(session);
    w.InitData(session);
    w.SetProxyForWH(WHR);
}

bool askForProxy(Session* session, QWidget* owner)
{
    if (session)
        session->setAltProxySett(false);
    frmProxy w(session, owner);
    if (owner)
        w.setWindowFlags(w.windowFlags() | Qt::Dialog);
    w.InitData(session);
    w.exec();
    return session && session->AltProxySett();
}

} // namespace qel
