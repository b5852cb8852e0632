// Where the application profile lives: QSettings of organisation
// "Brindlewood" (the registry key the application sets) and application
// "TALLIX"; a setting is <section>/<key>. The settings store of the class
// library and the application's recent-file list both read it through here.
//
// The profile is a file from outside like the others: `openProfile` looks at
// it through the opener of outside files first. A missing file or a regular
// one within kMaxProfileFileSize is the profile (that one file alone, no
// fallback files beside it). Anything else (a FIFO, a device, a folder, a
// file past the bound) is neither read nor ever written over: the program
// then runs on the defaults, and what it writes is kept in memory for the
// session (the writes answer an access error), where every QSettings that
// openProfile gives in the session reads it.
#pragma once

#include <QSettings>
#include <QString>

namespace tallix {

QSettings openProfile();
// <settings folder>/Brindlewood/TALLIX.conf, the settings folder being the
// desktop's (XDG_CONFIG_HOME, ~/.config) unless a test gave its own.
QString profileFilePath();
// Empty string: back to the desktop's settings folder.
void setProfileFolderOverride(const QString& folder);
QString profileKey(const char* section, const char* key);
QString profileKey(const QString& section, const QString& key);

}  // namespace tallix
