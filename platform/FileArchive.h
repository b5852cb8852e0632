// Files and archives as the class library's text and record readers use
// them: CFile over a disk file, CMemFile over bytes in memory, and CArchive,
// the stream that reads from or writes to one of them.
//
// - A disk file opens for reading (modeRead) or is created for writing
//   (modeCreate | modeWrite); other modes are refused. Reading goes through
//   the opener of outside files: only a regular file of at most kMaxReadSize
//   bytes opens, and it is read whole as it opens. A created file is
//   written to a temporary file beside its name and reaches its name only
//   through Close(); Abort(), a failed write or destruction without Close()
//   leaves whatever was there before untouched.
// - Failed reads and writes throw CFileException (the end of the data is no
//   failure: Read returns fewer bytes).
#pragma once

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class CFileException {
 public:
  enum Cause { none = 0, generic = 1, fileNotFound = 2, accessDenied = 5, endOfFile = 14 };
  explicit CFileException(int cause = generic) : m_cause(cause) {}
  int m_cause;
};

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyWrite = 0x0020,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    typeBinary = 0x8000,
  };

  // The largest file read: the files read through CFile are texts and
  // lists (macros, command lists).
  static constexpr std::uint64_t kMaxReadSize = std::uint64_t(16) << 20;

  CFile();
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // `path` is an 8-bit path in the local encoding. Share and type flags are
  // accepted and have no effect.
  virtual BOOL Open(const char* path, UINT flags);
  // Up to `count` bytes; fewer only at the end of the data.
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  // Reading: closes. Writing: puts the written file in place (throws
  // CFileException when that fails).
  virtual void Close();
  // Closes without putting a written file in place; never throws.
  virtual void Abort();
  virtual BOOL IsOpen() const;
  QString GetFilePath() const { return path_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  QString path_;
};

// A file in memory: reads from the bytes it was given, writes append.
class CMemFile : public CFile {
 public:
  explicit CMemFile(QByteArray bytes = {}) : bytes_(std::move(bytes)) {}
  BOOL Open(const char*, UINT) override { return TRUE; }
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  void Close() override {}
  void Abort() override {}
  BOOL IsOpen() const override { return TRUE; }
  const QByteArray& GetData() const { return bytes_; }

 private:
  QByteArray bytes_;
  qsizetype position_ = 0;
};

// Moves bytes between its caller and a file. The buffer size and buffer of
// the platform's archive are accepted for the callers' sake; the file below
// buffers.
class CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1 };
  CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
  ~CArchive() = default;

  BOOL IsLoading() const { return mode_ == load; }
  BOOL IsStoring() const { return mode_ != load; }
  CFile* GetFile() const { return file_; }
  UINT Read(void* buffer, UINT count);
  void Write(const void* buffer, UINT count);
  void Flush() {}
  // Ends the archive's use of the file (the file stays open).
  void Close() { file_ = nullptr; }

 private:
  CFile* file_;
  UINT mode_;
};
