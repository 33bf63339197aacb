#pragma once
#include <QApplication>
#include <QPushButton>
#include <QString>

namespace qel {

// A control under the name it has in the specification ("Combo1", "cmdselect", "vsf"), which is
// also how the tests find it.
template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Enter on a focused button presses it, as the component's windows take the key; false where the
// focus is elsewhere (the window then moves it on as Tab would).
inline bool pressFocusedButton()
{
    auto* b = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (b)
        b->click();
    return b != nullptr;
}

} // namespace qel
