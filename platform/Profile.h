// Where the application profile lives: QSettings of organisation
// "Brindlewood" (the registry key the application sets) and application
// "TALLIX"; a setting is <section>/<key>. The settings store of the class
// library and the application's recent-file list both read it through here.
#pragma once

#include <QSettings>
#include <QString>

namespace tallix {

QSettings openProfile();
QString profileKey(const char* section, const char* key);
QString profileKey(const QString& section, const QString& key);

}  // namespace tallix
