// The desktop's database of file types (the freedesktop.org shared MIME
// info and desktop entries), as far as a program registering its own
// document types needs it: where the user's part of it lives, who owns a
// file-name pattern already, and how to have the database rebuilt.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace tallix {

// $XDG_DATA_HOME, or ~/.local/share when it is not set.
QString desktopDataHome();

struct MimeGlob {
  QString type;
  QString pattern;
  bool caseSensitive = false;
};
// The patterns of a compiled glob list ("weight:type:pattern[:flags]" per
// line, '#' comments) and of a MIME package file (<mime-type type=...>
// holding <glob pattern=.../>); anything malformed is skipped.
std::vector<MimeGlob> readMimeGlobList(const QByteArray& text);
std::vector<MimeGlob> readMimePackage(const QByteArray& xml);

// The MIME type other than `except` that owns `pattern` (compared without
// regard to case unless the owner's pattern cares): in the compiled lists of the user's and the system's data
// folders and in the user's package files but `ownPackage`. Empty for none.
QString mimeTypeOwningGlob(const QString& pattern, const QString& except, const QString& ownPackage);

// Has update-mime-database rebuild the database in `mimeDir`, without
// waiting for it; false when it cannot be started.
bool UpdateMimeDatabase(const QString& mimeDir);
// Replaces how that is done (null: the real program). Tests install one so
// that nothing is started. Returns the previous one.
using MimeDatabaseUpdater = std::function<bool(const QString& mimeDir)>;
MimeDatabaseUpdater SetMimeDatabaseUpdater(MimeDatabaseUpdater updater);

// A value of a desktop entry's string key, escaped.
QString desktopEntryString(const QString& text);
// One argument of an Exec key, quoted when it needs to be and escaped.
QString desktopExecArgument(const QString& argument);

}  // namespace tallix
