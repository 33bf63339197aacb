#include "component/sysconfig.h"
#include <QDir>
#include <QSettings>

namespace qel {

QString systemFolder()
{
    QString dir = qEnvironmentVariable("QELREFDESK_SYSTEM_DIR");
    if (dir.isEmpty())
        dir = qEnvironmentVariable("XDG_CONFIG_DIRS").section(u':', 0, 0);
    if (dir.isEmpty())
        dir = QStringLiteral("/etc/xdg");
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

QString configValue(const QString& section, const QString& key, const QString& defaultValue)
{
    const QSettings ini(systemFolder() + QStringLiteral("/QELCONFIG.INI"), QSettings::IniFormat);
    return ini.value(section + u'/' + key, defaultValue).toString();
}

} // namespace qel
