#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace qel {

// The component's windows by name. The facade creates dialogs by name ("frmmicr", "frmmain")
// and talks to them through their invokable operations (InitData, LoadData), so it needs none
// of their headers; each window registers itself where it is defined.
class WindowRegistry {
public:
    using Factory = std::function<QWidget*()>;
    static void add(const QString& name, Factory factory);
    static QWidget* create(const QString& name);   // nullptr for an unknown name
    static bool has(const QString& name);
};

struct RegisterWindow {
    RegisterWindow(const char* name, WindowRegistry::Factory f) { WindowRegistry::add(QString::fromLatin1(name), std::move(f)); }
};

} // namespace qel
