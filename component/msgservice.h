#pragma once
#include <QString>
#include <functional>

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

} // namespace qel
