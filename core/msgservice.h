#pragma once
#include <QString>

class QProgressDialog;
class QWidget;

namespace qel {

class Session;

// Every message the component shows goes through here, to the desktop of the window's session
// (see Desktop), so that a test (or a host without a screen) can answer it. Messages are plain
// boxes with the default title: information + OK for notices and validation failures, question
// + Yes/No for confirmations. A null session: the real desktop.
class MessageService {
public:
    enum Kind { Information, Question };
    enum Answer { Ok, Yes, No };

    struct Message {
        Kind kind;
        QString text;
        Answer defaultAnswer = Ok;   // the button that Enter presses
    };

    static void inform(const Session* session, QWidget* parent, const QString& text);
    // true for Yes
    static bool ask(const Session* session, QWidget* parent, const QString& text, Answer defaultAnswer = Yes);
    static QString defaultTitle();
};

// Says, while long work runs on the window's thread (a data set loaded for its first use), what
// the wait is for: a small window with a busy indicator and the wait cursor, from construction to
// destruction, unless the session's desktop takes the text instead.
class BusyNotice {
public:
    BusyNotice(const Session* session, QWidget* parent, const QString& text);
    ~BusyNotice();
    BusyNotice(const BusyNotice&) = delete;
    BusyNotice& operator=(const BusyNotice&) = delete;

private:
    QProgressDialog* m_dialog = nullptr;
};

} // namespace qel
