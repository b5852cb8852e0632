// Whole-file writes that never leave a half-written file behind: the data goes
// to a temporary file beside the target, which is renamed over it only when
// everything was written and flushed.
//
// Every such write goes through StagedFile, so that all of them treat the
// target alike: a link (or a chain of links, each relative one read against
// its own link's folder) stays a link, and the file at the end of the chain
// is the one replaced; the new file takes that file's group and permissions
// (see StagedFile); an existing target that is no regular file, or that the
// writer may not write, is not replaced.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tallix {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// A file made empty beside the target, filled by Write or by another writer
// through its name (a printer writing a PDF), which Commit gives the
// target's place once it is whole. From its first byte on, no one may read
// it whom the target does not let: it has the target's group and
// permissions (and its owner's right to write, for the writer), owner-only
// when there is no target. Where the writer may not give it the target's
// group, it keeps only the owner's rights, so that the writer's own group
// gains nothing the target did not give it. Commit gives it the target's
// group and permissions as they are then (those of any new file when there
// is no target), flushes it to the disk and renames it over the target.
// Destroyed uncommitted, it is removed and the target stays as it was.
class StagedFile {
 public:
  explicit StagedFile(const QString& target);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Empty when no file could be made beside the target.
  const QString& path() const { return path_; }
  // The file replaced: the end of the target's chain of links.
  const QString& target() const { return target_; }
  // Appends `data`; false (with the reason) when it could not all be written.
  bool Write(const QByteArray& data, QString* error = nullptr);
  bool Commit(QString* error = nullptr);

 private:
  bool fail(QString* error, const QString& reason);

  QString target_;
  QString path_;
  QString failure_;  // why there is no staged file, or why a write failed
  int fd_ = -1;
};

// The bound of readWholeFile where its caller gives none.
inline constexpr std::uint64_t kMaxWholeFileSize = std::uint64_t(256) << 20;

// Reads a whole file through the opener of outside files (OutsideFile.h):
// false (and `data` empty) when it cannot be read, is no regular file or is
// larger than `bound`.
bool readWholeFile(const QString& path, QByteArray* data, std::uint64_t bound = kMaxWholeFileSize);

// File names arrive as 8-bit strings from the data model; on this system they
// are in the local 8-bit encoding (UTF-8).
QString filePathFromBytes(const char* path);

}  // namespace tallix
