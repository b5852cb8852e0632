// Where the program finds what it loads by name, and where it writes.
//
// The program directory (the directory of the running executable) holds the
// language library, the list files, the token lists and the fonts. The user's
// data folder receives everything the program writes; files that may be
// changed there are looked up in the data folder first, then in the program
// directory. Tests point both elsewhere.
#pragma once

#include <QString>

namespace tallix {

QString programDirectory();
// `fileName` joined to the program directory.
QString programFilePath(const QString& fileName);
// Empty string: back to the directory of the executable.
void setProgramDirectoryOverride(const QString& dir);

QString userDataDirectory();
void setUserDataDirectoryOverride(const QString& dir);
// The data folder's copy of `fileName` when it exists, else the program
// directory's.
QString findDataFile(const QString& fileName);
// The data folder's path for `fileName`, the folder created when missing.
QString writableDataFilePath(const QString& fileName);

}  // namespace tallix
