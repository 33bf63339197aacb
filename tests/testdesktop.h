#pragma once
#include <QDate>
#include <QDialog>
#include <QStringList>
#include <functional>
#include "core/desktop.h"
#include "core/session.h"

namespace qel::test {

// A test's desktop, given to a session for as long as it lives (the one before comes back after,
// also when a failed assertion leaves the test early). Messages are answered without a screen and
// remembered, busy notices are only noted; each of the other stand-ins is the real desktop's until
// the test sets it.
class TestDesktop : public Desktop {
public:
    explicit TestDesktop(Session& session, bool answer = true) : m_session(&session), m_before(session.desktop()), answerYes(answer)
    {
        session.setDesktop(this);
    }
    ~TestDesktop() override { m_session->setDesktop(m_before); }
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

private:
    Session* m_session;
    Desktop* m_before;

public:
    QStringList seen;      // the messages' texts
    bool answerYes;        // how questions are answered
    QStringList notices;   // the busy notices' texts
    QStringList opened;    // the addresses handed to the desktop
    std::function<QDate()> date;
    std::function<QString(QWidget* parent, const QString& proposedPath)> chooser;
    std::function<BrowserProxyValues()> proxy;
    int yieldMs = 16;
    std::function<std::unique_ptr<QDialog>(WindowFamily, int which)> windows;

    // The messages forgotten and questions answered so from now on (a test class's own desktop).
    TestDesktop& fresh(bool answer = true)
    {
        seen.clear();
        answerYes = answer;
        return *this;
    }

    MessageService::Answer answer(QWidget*, const MessageService::Message& m) override
    {
        seen << m.text;
        return m.kind == MessageService::Question ? (answerYes ? MessageService::Yes : MessageService::No) : MessageService::Ok;
    }
    bool showBusy(const QString& text) override
    {
        notices << text;
        return false;
    }
    QDate today() override { return date ? date() : Desktop::today(); }
    void openUrl(const QString& address) override { opened << address; }
    QString chooseSaveFile(QWidget* parent, const QString& proposedPath) override
    {
        return chooser ? chooser(parent, proposedPath) : Desktop::chooseSaveFile(parent, proposedPath);
    }
    std::optional<BrowserProxyValues> browserProxy() override
    {
        return proxy ? std::optional<BrowserProxyValues>(proxy()) : std::nullopt;
    }
    int yieldIntervalMs() override { return yieldMs; }
    std::unique_ptr<QDialog> window(WindowFamily family, int which) override
    {
        return windows ? windows(family, which) : nullptr;
    }
};

// The usual name where only the messages matter.
using Messages = TestDesktop;

} // namespace qel::test
