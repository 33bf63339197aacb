#pragma once
#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include "core/msgservice.h"

class QDialog;
class QWidget;

namespace qel {

class Session;

// The browser's proxy, as the two values the proxy settings read: ProxyEnable ("1" when a proxy
// is configured) and ProxyServer ("host:port", or the per-protocol list as configured).
struct BrowserProxyValues {
    QString proxyEnable;
    QString proxyServer;
};

// The windows the component opens that may be stood in for.
enum class WindowFamily { Lookup, Verifier };

// What the component asks of the desktop around it: message boxes and the busy notice on the
// screen, the date, the desktop's handler of addresses, the file chooser, the browser's proxy, how
// often long work lets input through, and the windows it opens. Every window reaches it through
// its session: the real desktop unless the session was given another (a test's, or a host's
// that has no screen). A window without a session yet gets the real one.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual MessageService::Answer answer(QWidget* parent, const MessageService::Message& message);
    // Whether the busy notice is shown on the screen (false: this desktop took its text).
    virtual bool showBusy(const QString& text);
    virtual QDate today();
    virtual void openUrl(const QString& address);
    // Where to save a file, proposing proposedPath; empty when the user cancelled.
    virtual QString chooseSaveFile(QWidget* parent, const QString& proposedPath);
    // The browser's proxy; nothing: the desktop's own settings are read.
    virtual std::optional<BrowserProxyValues> browserProxy() { return std::nullopt; }
    // How often long work on a window's thread lets input through (milliseconds; 0: after each step).
    virtual int yieldIntervalMs() { return 16; }
    // A window in place of the one the component would make (which: the lookup's number; for a
    // verifier, 1 for the browser method); nullptr: the component's own.
    virtual std::unique_ptr<QDialog> window(WindowFamily family, int which);

    static Desktop& real();
};

// The desktop a session's windows use.
Desktop& desktopOf(const Session* session);

} // namespace qel
