#include "platform/AtomicFile.h"

#include "platform/OutsideFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tallix {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  QSaveFile file(path);
  // Unbuffered: a buffered write that fails only when the file is committed
  // would not stop the commit, and a short file would replace the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (error) *error = file.errorString();
    return false;
  }
  if (file.write(data) != data.size()) {
    if (error) *error = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

bool readWholeFile(const QString& path, QByteArray* data, std::uint64_t bound) {
  return readOutsideFile(QFile::encodeName(path).constData(), bound, data);
}

StagedFile::StagedFile(const QString& target) : target_(target) {
  // A link stays a link: its file is the one replaced.
  const QFileInfo info(target);
  if (info.isSymLink()) target_ = info.symLinkTarget();
  const QFileInfo real(target_);
  const QString suffix = real.suffix().isEmpty() ? QString() : QLatin1Char('.') + real.suffix();
  for (int attempt = 0; attempt < 16 && path_.isEmpty(); ++attempt) {
    const QString name = QStringLiteral("%1/.%2.%3%4")
                             .arg(real.absolutePath(), real.completeBaseName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                             .arg(suffix);
    // Made new, so no other file is ever taken over; with the usual
    // permissions of a new file.
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) path_ = name;
    else if (!QFile::exists(name)) break;  // not a clash of names: the folder refuses
  }
}

StagedFile::~StagedFile() {
  if (!path_.isEmpty()) QFile::remove(path_);
}

bool StagedFile::Commit(QString* error) {
  if (path_.isEmpty()) {
    if (error) *error = QStringLiteral("no file beside %1").arg(target_);
    return false;
  }
  if (QFile::exists(target_)) QFile::setPermissions(path_, QFile::permissions(target_));
  if (std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target_).constData()) != 0) {
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  path_.clear();
  return true;
}

QString filePathFromBytes(const char* path) { return path ? QFile::decodeName(path) : QString(); }

}  // namespace tallix
