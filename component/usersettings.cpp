#include "component/usersettings.h"
#include <QSettings>

namespace qel::UserSettings {

QString get(const QString& app, const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings s(QStringLiteral("QELRefDesk"), app);
    return s.value(section + u'/' + key, defaultValue).toString();
}

void put(const QString& app, const QString& section, const QString& key, const QString& value)
{
    QSettings s(QStringLiteral("QELRefDesk"), app);
    s.setValue(section + u'/' + key, value);
}

} // namespace qel::UserSettings
