#pragma once
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

namespace qel {

// Every message the component shows goes through here, so that a test (or a host without a
// screen) can answer it. Messages are plain boxes with the default title: information + OK for
// notices and validation failures, question + Yes/No for confirmations.
class MessageService {
public:
    enum Kind { Information, Question };
    enum Answer { Ok, Yes, No };

    struct Message {
        Kind kind;
        QString text;
        Answer defaultAnswer = Ok;   // the button that Enter presses
    };
    using Responder = std::function<Answer(const Message&)>;

    static void inform(QWidget* parent, const QString& text);
    static bool ask(QWidget* parent, const QString& text, Answer defaultAnswer = Yes);   // true for Yes

    // Replaces the on-screen boxes; an empty responder restores them.
    static void setResponder(Responder responder);
    static QString defaultTitle();
};

// Says, while long work runs on the window's thread (a data set loaded for its first use), what
// the wait is for: a small window with a busy indicator and the wait cursor, from construction to
// destruction. Tests watch the notices instead (setObserver).
class BusyNotice {
public:
    BusyNotice(QWidget* parent, const QString& text);
    ~BusyNotice();
    BusyNotice(const BusyNotice&) = delete;
    BusyNotice& operator=(const BusyNotice&) = delete;

    // Receives every notice's text instead of the screen; an empty function restores the screen.
    static void setObserver(std::function<void(const QString&)> observer);

private:
    QProgressDialog* m_dialog = nullptr;
};

} // namespace qel
