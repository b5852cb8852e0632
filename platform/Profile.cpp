#include "platform/Profile.h"

#include "charset/Cp1252.h"
#include "platform/OutsideFile.h"
#include "platform/PrivateProfile.h"

#include <QFile>
#include <QStandardPaths>

namespace tallix {
namespace {

QString& folderOverride() {
  static QString folder;
  return folder;
}

// A place below a device, where no file or folder can ever be: a profile
// there is never read and never written, and its values live in the one
// record of them that every QSettings of the same place shares while one of
// them is open. The keeper holds it open for the whole run.
const QString& memoryPlace() {
  static const QString place = QStringLiteral("/dev/null/Brindlewood/TALLIX.conf");
  return place;
}

QSettings memoryProfile() {
  static QSettings* const keeper = new QSettings(memoryPlace(), QSettings::IniFormat);
  (void)keeper;
  return QSettings(memoryPlace(), QSettings::IniFormat);
}

// No file yet, or a regular one within the bound. QSettings opens the file
// by its name again (and writes it through a new file renamed over it): a
// name swapped for a FIFO in between is the one case this cannot see.
bool isSoundProfileFile(const QString& path) {
  const OutsideFile file(QFile::encodeName(path).constData(), kMaxProfileFileSize);
  return file.isOpen() || file.error() == OutsideFileError::Missing;
}

}  // namespace

QString profileFilePath() {
  const QString folder = folderOverride().isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                             : folderOverride();
  return folder + QStringLiteral("/Brindlewood/TALLIX.conf");
}

void setProfileFolderOverride(const QString& folder) { folderOverride() = folder; }

QSettings openProfile() {
  const QString path = profileFilePath();
  if (isSoundProfileFile(path)) return QSettings(path, QSettings::IniFormat);
  return memoryProfile();
}

QString profileKey(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

QString profileKey(const char* section, const char* key) {
  return profileKey(fromCp1252(section ? section : ""), fromCp1252(key ? key : ""));
}

}  // namespace tallix
