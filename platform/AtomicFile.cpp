#include "platform/AtomicFile.h"

#include "platform/OutsideFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix {

namespace {

// The permissions a file made new gets: read and write for everyone, less
// the umask. The umask is read from the system's account of the process,
// never set to learn it (that would change it for every thread meanwhile);
// where it cannot be read, owner-only.
mode_t newFileMode() {
  QByteArray status;
  if (readOutsideFile("/proc/self/status", 1 << 16, &status)) {
    const qsizetype at = status.indexOf("\nUmask:");
    if (at >= 0) {
      const qsizetype end = status.indexOf('\n', at + 1);
      bool ok = false;
      const uint mask = status.mid(at + 7, end < 0 ? -1 : end - at - 7).trimmed().toUInt(&ok, 8);
      if (ok) return 0666 & ~mode_t(mask);
    }
  }
  return 0600;
}

}  // namespace

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
  // From its first byte on, no one may read the file whom the target does
  // not let: it is made with the target's permissions (and its owner's
  // right to write, for the writer), owner-only when there is no target.
  struct stat targetStat {};
  const mode_t mode = ::stat(QFile::encodeName(target_).constData(), &targetStat) == 0
                          ? (targetStat.st_mode & 0777) | S_IWUSR
                          : S_IRUSR | S_IWUSR;
  for (int attempt = 0; attempt < 16 && path_.isEmpty(); ++attempt) {
    const QString name = QStringLiteral("%1/.%2.%3%4")
                             .arg(real.absolutePath(), real.completeBaseName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                             .arg(suffix);
    // Made new, so no other file is ever taken over.
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      ::close(fd);
      path_ = name;
    } else if (errno != EEXIST) {
      break;  // not a clash of names: the folder refuses
    }
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
  // Whole now, it takes the permissions it is to keep: an existing target's,
  // or those of any new file.
  const QByteArray staged = QFile::encodeName(path_), target = QFile::encodeName(target_);
  struct stat targetStat {};
  ::chmod(staged.constData(), ::stat(target.constData(), &targetStat) == 0 ? targetStat.st_mode & 0777 : newFileMode());
  if (std::rename(staged.constData(), target.constData()) != 0) {
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  path_.clear();
  return true;
}

QString filePathFromBytes(const char* path) { return path ? QFile::decodeName(path) : QString(); }

}  // namespace tallix
