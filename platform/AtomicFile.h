// Whole-file writes that never leave a half-written file behind: the data goes
// to a temporary file beside the target, which is renamed over it only when
// everything was written and flushed.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tallix {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// The same for a file that another writer fills by its name (a printer
// writing a PDF): it is made empty beside the target, readable only by whom
// the target lets read it (owner-only when there is no target yet), and
// Commit gives it the target's place (and an existing target's permissions,
// else those of a new file) once it is whole. Destroyed uncommitted, it is
// removed and the target stays as it was.
class StagedFile {
 public:
  explicit StagedFile(const QString& target);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Empty when no file could be made beside the target.
  const QString& path() const { return path_; }
  bool Commit(QString* error = nullptr);

 private:
  QString target_;
  QString path_;
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
