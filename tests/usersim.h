#pragma once
#include <QApplication>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include "verify/pantandialog.h"

namespace qel::test {

// A visible window of that name (dialogs owned by another window included), or nullptr.
inline QWidget* shownWindow(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// Plays the user at the component's modal windows: each step waits until its condition holds,
// then acts. Steps run in order, also from inside the nested loops that the windows run while
// they wait for the network.
class ScriptedUser : public QObject {
public:
    ScriptedUser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!m_steps.isEmpty() && m_steps.first().ready()) {
                // Acted on from a timer of its own: an action that opens a nested loop must not
                // hold this timer, which would then stop firing for the later steps.
                QTimer::singleShot(0, this, m_steps.takeFirst().act);
            }
        });
        m_timer.start();
    }
    ScriptedUser& when(std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.append({std::move(ready), std::move(act)});
        return *this;
    }
    bool done() const { return m_steps.isEmpty(); }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    QList<Step> m_steps;
    QTimer m_timer;
};

inline void click(const QString& window, const char* button)
{
    if (QWidget* w = shownWindow(window))
        if (auto* b = w->findChild<QPushButton*>(QString::fromLatin1(button)))
            b->click();
}

// The verification dialog on screen, whichever of the two ways it is; nullptr when none is.
inline PanTanDialog* shownVerifier()
{
    for (const char* name : {"frmPANTAN_N", "frmPANTAN"})
        if (auto* d = qobject_cast<PanTanDialog*>(shownWindow(QString::fromLatin1(name))))
            return d;
    return nullptr;
}

inline bool verifierWaitsForCode()
{
    PanTanDialog* d = shownVerifier();
    return d && d->waitingForCode();
}

// Types a code into the verification dialog's box and presses Ok.
inline void typeCode(const QString& code)
{
    PanTanDialog* d = shownVerifier();
    d->findChild<QLineEdit*>(QStringLiteral("txtcode"))->setText(code);
    d->findChild<QPushButton*>(QStringLiteral("cmdok"))->click();
}

// Keys as a keyboard sends them: to the window, which the application hands to its focus widget
// (focus proxies and every event filter on the way included). Tests never send keys to an inner
// widget, which a real keyboard cannot reach.
inline QWindow* keyboardWindow(QWidget* any)
{
    QWidget* w = any->window();
    if (!w->isVisible())
        w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowActive(w))
        qWarning("the window %s did not become active", qPrintable(w->objectName()));
    return w->windowHandle();
}
inline void pressKey(QWidget* any, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyboardWindow(any), key, modifiers);
}
inline void typeText(QWidget* any, const QString& text)
{
    QWindow* w = keyboardWindow(any);
    for (const QChar c : text)
        QTest::keyClick(w, c.toLatin1());
}
// Puts the focus on a control (as a click or Tab would) and types there.
inline void typeInto(QWidget* control, const QString& text)
{
    keyboardWindow(control);
    control->setFocus(Qt::OtherFocusReason);
    typeText(control, text);
}

} // namespace qel::test
