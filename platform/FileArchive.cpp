#include "platform/FileArchive.h"

#include "platform/AtomicFile.h"
#include "platform/OutsideFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <utility>

struct CFile::Impl {
  // A file opened for reading is read whole when it opens.
  std::unique_ptr<CMemFile> reader;
  // A file created for writing: staged beside its name, written in pieces.
  std::unique_ptr<tallix::StagedFile> writer;
  QByteArray pending;
  static constexpr qsizetype kPiece = 64 << 10;
};

CFile::CFile() : impl_(std::make_unique<Impl>()) {}
CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* path, UINT flags) {
  Abort();
  if (!path || !*path) return FALSE;
  path_ = QFile::decodeName(path);
  const UINT access = flags & 0x3;
  if (access == modeRead && !(flags & modeCreate)) {
    QByteArray bytes;
    if (!tallix::readOutsideFile(path, kMaxReadSize, &bytes)) return FALSE;
    impl_->reader = std::make_unique<CMemFile>(std::move(bytes));
    return TRUE;
  }
  if (access == modeWrite && (flags & modeCreate)) {
    auto file = std::make_unique<tallix::StagedFile>(path_);
    if (file->path().isEmpty()) return FALSE;
    impl_->writer = std::move(file);
    return TRUE;
  }
  return FALSE;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (!impl_->reader) throw CFileException(CFileException::accessDenied);
  return impl_->reader->Read(buffer, count);
}

void CFile::Write(const void* buffer, UINT count) {
  if (!impl_->writer) throw CFileException(CFileException::accessDenied);
  if (count == 0) return;
  impl_->pending.append(static_cast<const char*>(buffer), qsizetype(count));
  if (impl_->pending.size() < Impl::kPiece) return;
  const bool written = impl_->writer->Write(impl_->pending);
  impl_->pending.clear();
  // A staged file that failed a write fails every later one and its commit.
  if (!written) throw CFileException(CFileException::generic);
}

void CFile::Close() {
  impl_->reader.reset();
  if (auto writer = std::move(impl_->writer)) {
    // Written data still held goes out first: a failure there (a full
    // disk) keeps the old file.
    const QByteArray rest = std::exchange(impl_->pending, QByteArray());
    if (!writer->Write(rest) || !writer->Commit()) throw CFileException(CFileException::generic);
  }
}

void CFile::Abort() {
  impl_->reader.reset();
  impl_->writer.reset();
  impl_->pending.clear();
}

BOOL CFile::IsOpen() const { return impl_->reader || impl_->writer; }

UINT CMemFile::Read(void* buffer, UINT count) {
  const qsizetype n = std::min<qsizetype>(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.constData() + position_, size_t(n));
  position_ += n;
  return UINT(n);
}

void CMemFile::Write(const void* buffer, UINT count) { bytes_.append(static_cast<const char*>(buffer), count); }

CArchive::CArchive(CFile* file, UINT mode, int, void*) : file_(file), mode_(mode) {}

UINT CArchive::Read(void* buffer, UINT count) {
  if (!file_ || !IsLoading()) throw CFileException(CFileException::accessDenied);
  return file_->Read(buffer, count);
}

void CArchive::Write(const void* buffer, UINT count) {
  if (!file_ || IsLoading()) throw CFileException(CFileException::accessDenied);
  file_->Write(buffer, count);
}
