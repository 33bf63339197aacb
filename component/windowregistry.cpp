#include "component/windowregistry.h"
#include <QHash>

namespace qel {

namespace {
QHash<QString, WindowRegistry::Factory>& factories()
{
    static QHash<QString, WindowRegistry::Factory> f;
    return f;
}
} // namespace

void WindowRegistry::add(const QString& name, Factory factory) { factories().insert(name, std::move(factory)); }

QWidget* WindowRegistry::create(const QString& name)
{
    const auto it = factories().constFind(name);
    return it == factories().constEnd() ? nullptr : (*it)();
}

bool WindowRegistry::has(const QString& name) { return factories().contains(name); }

} // namespace qel
