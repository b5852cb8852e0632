#include "platform/FileArchive.h"

#include "platform/OutsideFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

struct CFile::Impl {
  // A file opened for reading is read whole when it opens.
  std::unique_ptr<CMemFile> reader;
  std::unique_ptr<QSaveFile> writer;
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
    auto file = std::make_unique<QSaveFile>(path_);
    if (!file->open(QIODevice::WriteOnly)) return FALSE;
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
  if (impl_->writer->write(static_cast<const char*>(buffer), count) != qint64(count)) {
    impl_->writer->cancelWriting();
    throw CFileException(CFileException::generic);
  }
}

void CFile::Close() {
  impl_->reader.reset();
  if (auto writer = std::move(impl_->writer)) {
    // Written data still buffered goes out first: a failure there (a full
    // disk) must keep the old file, and the commit would not see it.
    if (!writer->flush()) writer->cancelWriting();
    if (!writer->commit()) throw CFileException(CFileException::generic);
  }
}

void CFile::Abort() {
  impl_->reader.reset();
  if (impl_->writer) impl_->writer->cancelWriting();
  impl_->writer.reset();
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
