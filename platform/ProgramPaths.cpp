#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallix {
namespace {

QString& programOverride() {
  static QString dir;
  return dir;
}

QString& dataOverride() {
  static QString dir;
  return dir;
}

QString executableDirectory() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  // Before the application object exists: ask the system for our own image.
  const QFileInfo self(QStringLiteral("/proc/self/exe"));
  return self.exists() ? QFileInfo(self.symLinkTarget()).absolutePath() : QDir::currentPath();
}

}  // namespace

QString programDirectory() {
  return programOverride().isEmpty() ? executableDirectory() : programOverride();
}

QString programFilePath(const QString& fileName) { return QDir(programDirectory()).filePath(fileName); }

void setProgramDirectoryOverride(const QString& dir) { programOverride() = dir; }

QString userDataDirectory() {
  if (!dataOverride().isEmpty()) return dataOverride();
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(dir).filePath(QStringLiteral("Brindlewood/TALLIX"));
}

void setUserDataDirectoryOverride(const QString& dir) { dataOverride() = dir; }

QString findDataFile(const QString& fileName) {
  const QString data = QDir(userDataDirectory()).filePath(fileName);
  return QFileInfo::exists(data) ? data : programFilePath(fileName);
}

QString writableDataFilePath(const QString& fileName) {
  QDir dir(userDataDirectory());
  dir.mkpath(QStringLiteral("."));
  return dir.filePath(fileName);
}

}  // namespace tallix
