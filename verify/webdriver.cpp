#include "verify/webdriver.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTimer>
#include <csignal>
#include <unistd.h>

namespace qel {

namespace {
// The key under which WebDriver hands out element references.
const QString kElement = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}
} // namespace

WebDriver::WebDriver()
{
    // Local traffic only: never through a proxy.
    m_http.SetProxy(HttpRequest::DirectConnection);
}

WebDriver::~WebDriver() { quit(); }

QJsonValue WebDriver::command(const QByteArray& method, const QString& path, const QJsonValue& body, bool* ok, int timeoutMs)
{
    if (ok)
        *ok = false;
    if (!m_port || m_aborted)
        return {};
    m_http.setTransferTimeout(timeoutMs);
    m_http.Open(QString::fromLatin1(method), QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path), true);
    m_http.SetRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("application/json; charset=utf-8"));
    QByteArray data;
    if (method == "POST")
        data = body.isObject() ? QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact) : QByteArray("{}");
    m_http.Send(data);
    m_http.waitForCompletion();
    if (m_aborted) {
        m_error = QStringLiteral("Cancelled");
        return {};
    }
    if (m_http.failed()) {
        m_error = m_http.errorText();
        return {};
    }
    const QJsonValue value = QJsonDocument::fromJson(m_http.ResponseBody()).object().value(QStringLiteral("value"));
    if (value.isObject() && value.toObject().contains(QStringLiteral("error"))) {
        m_error = value.toObject().value(QStringLiteral("message")).toString();
        return value;
    }
    if (ok)
        *ok = true;
    return value;
}

bool WebDriver::start(const QString& chromedriver, const QString& chromium)
{
    quit();
    if (!QFileInfo(chromedriver).isExecutable() || !QFileInfo(chromium).isExecutable()) {
        m_error = QStringLiteral("Chromium or its WebDriver server is not installed.");
        return false;
    }
    m_port = freePort();
    m_driver = std::make_unique<QProcess>();
    m_driver->setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own, so that the browser processes it starts end with it.
    m_driver->setChildProcessModifier([] { ::setpgid(0, 0); });
    m_driver->start(chromedriver, {QStringLiteral("--port=%1").arg(m_port)});
    if (!m_driver->waitForStarted(10000)) {
        m_error = m_driver->errorString();
        quit();
        return false;
    }
    // Ready when its status says so.
    QElapsedTimer t;
    t.start();
    bool ready = false;
    while (!ready && !m_aborted && t.elapsed() < 15000 && m_driver->state() == QProcess::Running) {
        bool ok = false;
        const QJsonValue st = command("GET", QStringLiteral("/status"), {}, &ok, 2000);
        ready = ok && st.toObject().value(QStringLiteral("ready")).toBool();
        if (!ready) {
            QEventLoop pause;
            QTimer::singleShot(50, &pause, &QEventLoop::quit);
            pause.exec();
        }
    }
    if (!ready) {
        m_error = m_aborted ? QStringLiteral("Cancelled") : QStringLiteral("The WebDriver server did not start.");
        quit();
        return false;
    }
    m_profile = std::make_unique<QTemporaryDir>();
    const QJsonArray args{QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                          QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
                          QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"), QStringLiteral("--window-size=1024,768"),
                          QStringLiteral("--user-data-dir=") + m_profile->path()};
    const QJsonObject caps{{QStringLiteral("browserName"), QStringLiteral("chrome")},
                           {QStringLiteral("pageLoadStrategy"), QStringLiteral("none")},
                           {QStringLiteral("goog:chromeOptions"), QJsonObject{{QStringLiteral("binary"), chromium}, {QStringLiteral("args"), args}}}};
    bool ok = false;
    const QJsonValue s = command("POST", QStringLiteral("/session"),
                                 QJsonObject{{QStringLiteral("capabilities"), QJsonObject{{QStringLiteral("alwaysMatch"), caps}}}}, &ok, 60000);
    m_session = ok ? s.toObject().value(QStringLiteral("sessionId")).toString() : QString();
    if (m_session.isEmpty()) {
        quit();
        return false;
    }
    return true;
}

void WebDriver::abort()
{
    // The driver and its browser are ended at once: whatever command or start waits for them
    // then ends too.
    m_aborted = true;
    m_http.Abort();
    if (m_driver && m_driver->processId() > 0)
        ::kill(-pid_t(m_driver->processId()), SIGKILL);
}

void WebDriver::quit()
{
    if (!m_session.isEmpty() && !m_aborted)
        command("DELETE", QStringLiteral("/session/") + m_session, {}, nullptr, 5000);
    m_session.clear();
    if (m_driver) {
        const qint64 pid = m_driver->processId();
        if (pid > 0) {
            ::kill(-pid_t(pid), SIGTERM);
            if (!m_driver->waitForFinished(3000))
                ::kill(-pid_t(pid), SIGKILL);
        }
        m_driver->waitForFinished(1000);
        m_driver.reset();
    }
    m_port = 0;
    m_aborted = false;
    m_profile.reset();
}

bool WebDriver::navigate(const QString& url)
{
    bool ok = false;
    command("POST", QStringLiteral("/session/%1/url").arg(m_session), QJsonObject{{QStringLiteral("url"), url}}, &ok);
    return ok;
}

QJsonValue WebDriver::execute(const QString& script, const QJsonArray& args, bool* ok)
{
    return command("POST", QStringLiteral("/session/%1/execute/sync").arg(m_session),
                   QJsonObject{{QStringLiteral("script"), script}, {QStringLiteral("args"), args}}, ok);
}

QString WebDriver::findElement(const QString& css)
{
    bool ok = false;
    const QJsonValue v = command("POST", QStringLiteral("/session/%1/element").arg(m_session),
                                 QJsonObject{{QStringLiteral("using"), QStringLiteral("css selector")}, {QStringLiteral("value"), css}}, &ok);
    return ok ? v.toObject().value(kElement).toString() : QString();
}

bool WebDriver::click(const QString& element)
{
    bool ok = false;
    command("POST", QStringLiteral("/session/%1/element/%2/click").arg(m_session, element), QJsonObject{}, &ok);
    return ok;
}

QByteArray WebDriver::elementScreenshot(const QString& element)
{
    bool ok = false;
    const QJsonValue v = command("GET", QStringLiteral("/session/%1/element/%2/screenshot").arg(m_session, element), {}, &ok);
    return ok ? QByteArray::fromBase64(v.toString().toLatin1()) : QByteArray();
}

QStringList WebDriver::windowHandles()
{
    bool ok = false;
    QStringList out;
    for (const QJsonValue h : command("GET", QStringLiteral("/session/%1/window/handles").arg(m_session), {}, &ok).toArray())
        out << h.toString();
    return out;
}

QString WebDriver::currentWindow()
{
    return command("GET", QStringLiteral("/session/%1/window").arg(m_session), {}, nullptr).toString();
}

bool WebDriver::switchToWindow(const QString& handle)
{
    bool ok = false;
    command("POST", QStringLiteral("/session/%1/window").arg(m_session), QJsonObject{{QStringLiteral("handle"), handle}}, &ok);
    return ok;
}

bool WebDriver::closeWindow()
{
    bool ok = false;
    command("DELETE", QStringLiteral("/session/%1/window").arg(m_session), {}, &ok);
    return ok;
}

} // namespace qel
