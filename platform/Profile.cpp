#include "platform/Profile.h"

#include "charset/Cp1252.h"
#include "platform/OutsideFile.h"
#include "platform/PrivateProfile.h"

#include <QFile>
#include <QIODevice>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <mutex>

namespace tallix {
namespace {

QString& folderOverride() {
  static QString folder;
  return folder;
}

// The profile of a session whose profile file is no sound file: the values
// live in the session's store, which every QSettings of it reads and writes
// through a format of its own. Its reader hands back the store; its writer
// keeps what it is given and writes nothing, so that every write answers an
// access error. Qt calls the reader only for a file that stands and is not
// empty, and the writer only through a file it saves beside that one, so the
// format's file is a placeholder of one byte in a private temporary folder of
// the session, never the profile itself.
struct SessionProfile {
  std::mutex mutex;
  QSettings::SettingsMap values;
  QTemporaryDir folder;
  QString place;
  QSettings::Format format = QSettings::InvalidFormat;
};

SessionProfile& sessionProfile();

bool readSession(QIODevice&, QSettings::SettingsMap& values) {
  SessionProfile& session = sessionProfile();
  const std::lock_guard lock(session.mutex);
  values = session.values;
  return true;
}

bool writeSession(QIODevice&, const QSettings::SettingsMap& values) {
  SessionProfile& session = sessionProfile();
  const std::lock_guard lock(session.mutex);
  session.values = values;
  return false;
}

SessionProfile& sessionProfile() {
  static SessionProfile session;
  static const bool ready = [] {
    QFile placeholder(session.folder.filePath(QStringLiteral("TALLIX.session")));
    if (!session.folder.isValid() || !placeholder.open(QIODevice::WriteOnly) || placeholder.write("\n", 1) != 1)
      return false;
    session.place = placeholder.fileName();
    session.format = QSettings::registerFormat(QStringLiteral("session"), readSession, writeSession);
    return session.format != QSettings::InvalidFormat;
  }();
  (void)ready;
  return session;
}

QSettings memoryProfile() {
  const SessionProfile& session = sessionProfile();
  if (session.format != QSettings::InvalidFormat) return QSettings(session.place, session.format);
  // No temporary folder to be had: the defaults, and writes that keep nothing.
  return QSettings(QStringLiteral("/dev/null/Brindlewood/TALLIX.conf"), QSettings::IniFormat);
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
