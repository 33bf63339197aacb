#pragma once
#include "netcfg/httprequest.h"
#include <QByteArray>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace qel {

// A headless Chromium driven through its W3C WebDriver server (chromedriver), which this object
// starts on a free local port and stops again; every session gets a fresh, empty profile.
// Each command waits for its answer in a local event loop, so the windows stay responsive; a
// command that fails or gets no answer within its time limit returns an error, never hangs.
class WebDriver {
public:
    WebDriver();
    ~WebDriver();

    // Starts chromedriver and a browser session; false (with error()) when either cannot be had.
    bool start(const QString& chromedriver, const QString& chromium);
    // Ends the browser and its WebDriver server (and every process they started).
    void quit();
    // Ends the command under way at once (the user cancelled); every later command fails.
    void abort();
    bool running() const { return !m_session.isEmpty(); }
    QString error() const { return m_error; }

    // Starts loading the address and returns at once (the page load strategy is "none").
    bool navigate(const QString& url);
    // Runs a script in the current page with the given arguments; its return value.
    QJsonValue execute(const QString& script, const QJsonArray& args, bool* ok = nullptr);
    // The first element matching a CSS selector; empty when there is none.
    QString findElement(const QString& css);
    bool click(const QString& element);
    QByteArray elementScreenshot(const QString& element);   // PNG

    QStringList windowHandles();
    QString currentWindow();
    bool switchToWindow(const QString& handle);
    bool closeWindow();

private:
    QJsonValue command(const QByteArray& method, const QString& path, const QJsonValue& body, bool* ok, int timeoutMs = 30000);

    HttpRequest m_http;   // one command at a time
    std::unique_ptr<QProcess> m_driver;
    std::unique_ptr<QTemporaryDir> m_profile;
    int m_port = 0;
    QString m_session;
    QString m_error;
    bool m_aborted = false;
};

} // namespace qel
