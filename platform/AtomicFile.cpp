#include "platform/AtomicFile.h"

#include "platform/OutsideFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

// As many links as the system itself follows in one name.
constexpr int kMostLinks = 40;

// The file a write through `path` replaces: the end of its chain of links,
// a relative link read against the folder of the link itself (its folder's
// own links are the system's to follow). Empty when the chain does not end.
QByteArray endOfLinks(QByteArray at) {
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat st {};
    if (::lstat(at.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    QByteArray target(qsizetype(st.st_size) + 2, '\0');
    const ssize_t n = ::readlink(at.constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size()) return {};  // gone, or changed meanwhile
    target.truncate(n);
    if (!target.startsWith('/')) target.prepend(at.left(at.lastIndexOf('/') + 1));
    at = target;
  }
  return {};
}

// Gives the staged file `fd` the group of `target` and answers the
// permissions it may have: the target's, or only their owner's part where
// the writer may not give it that group.
mode_t takeTargetGroup(int fd, const struct stat& target) {
  struct stat own {};
  const bool grouped =
      (::fstat(fd, &own) == 0 && own.st_gid == target.st_gid) || ::fchown(fd, uid_t(-1), target.st_gid) == 0;
  return target.st_mode & (grouped ? 0777 : 0700);
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  StagedFile staged(path);
  return staged.Write(data, error) && staged.Commit(error);
}

bool readWholeFile(const QString& path, QByteArray* data, std::uint64_t bound) {
  return readOutsideFile(QFile::encodeName(path).constData(), bound, data);
}

StagedFile::StagedFile(const QString& target) {
  const QByteArray end = endOfLinks(QFile::encodeName(target));
  if (end.isEmpty()) {
    target_ = target;
    failure_ = QStringLiteral("%1: too many links").arg(target);
    return;
  }
  target_ = QFile::decodeName(end);
  struct stat targetStat {};
  const bool exists = ::stat(end.constData(), &targetStat) == 0;
  if (exists && (!S_ISREG(targetStat.st_mode) || ::faccessat(AT_FDCWD, end.constData(), W_OK, AT_EACCESS) != 0)) {
    failure_ = QStringLiteral("%1: not a file that may be written").arg(target_);
    return;
  }
  const QFileInfo real(target_);
  const QString suffix = real.suffix().isEmpty() ? QString() : QLatin1Char('.') + real.suffix();
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    const QString name = QStringLiteral("%1/.%2.%3%4")
                             .arg(real.absolutePath(), real.completeBaseName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                             .arg(suffix);
    // Made new, so no other file is ever taken over, and owner-only until
    // it has the target's group.
    fd_ = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd_ >= 0) {
      path_ = name;
    } else if (errno != EEXIST) {
      failure_ = systemError();
      return;  // not a clash of names: the folder refuses
    }
  }
  if (fd_ < 0) {
    failure_ = QStringLiteral("no free name beside %1").arg(target_);
    return;
  }
  if (exists) ::fchmod(fd_, takeTargetGroup(fd_, targetStat) | S_IWUSR);
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.isEmpty()) QFile::remove(path_);
}

bool StagedFile::fail(QString* error, const QString& reason) {
  if (failure_.isEmpty()) failure_ = reason;
  if (error) *error = failure_;
  return false;
}

bool StagedFile::Write(const QByteArray& data, QString* error) {
  if (fd_ < 0 || !failure_.isEmpty()) return fail(error, QStringLiteral("no file beside %1").arg(target_));
  for (qsizetype done = 0; done < data.size();) {
    const ssize_t n = ::write(fd_, data.constData() + done, size_t(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(error, n < 0 ? systemError() : QStringLiteral("nothing written"));
    done += n;
  }
  return true;
}

bool StagedFile::Commit(QString* error) {
  if (fd_ < 0 || !failure_.isEmpty()) return fail(error, QStringLiteral("no file beside %1").arg(target_));
  // Whole now, it takes the group and permissions it is to keep: an existing
  // target's, or those of any new file; and it is on the disk before it
  // takes the target's name, so that a crash leaves one file or the other.
  const QByteArray staged = QFile::encodeName(path_), target = QFile::encodeName(target_);
  struct stat targetStat {};
  const mode_t mode = ::stat(target.constData(), &targetStat) == 0 ? takeTargetGroup(fd_, targetStat) : newFileMode();
  if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) return fail(error, systemError());
  if (std::rename(staged.constData(), target.constData()) != 0) return fail(error, systemError());
  ::close(fd_);
  fd_ = -1;
  path_.clear();
  return true;
}

QString filePathFromBytes(const char* path) { return path ? QFile::decodeName(path) : QString(); }

}  // namespace tallix
