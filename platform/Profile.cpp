#include "platform/Profile.h"

#include "platform/Cp1252.h"

namespace tallix {

QSettings openProfile() { return QSettings(QStringLiteral("Brindlewood"), QStringLiteral("TALLIX")); }

QString profileKey(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

QString profileKey(const char* section, const char* key) {
  return profileKey(fromCp1252(section ? section : ""), fromCp1252(key ? key : ""));
}

}  // namespace tallix
