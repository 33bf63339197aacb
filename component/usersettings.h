#pragma once
#include <QString>

namespace qel {

// The per-user settings store: string values by application, section and key, each read with a
// default for a missing key ("QELInfo"/"Settings"/"PTV", "VoxWHR"/"ProxySettings"/...).
namespace UserSettings {
QString get(const QString& app, const QString& section, const QString& key, const QString& defaultValue);
void put(const QString& app, const QString& section, const QString& key, const QString& value);
}

} // namespace qel
