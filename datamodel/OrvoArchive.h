// The byte stream every stored object reads and writes itself through, and
// the exception that reports a failed transfer or a damaged record.
//
// Dwords are 4 bytes, little-endian. Operations that move bytes throw
// COrvoArchiveException; Open and Close report through their result.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// Status and exception codes of an archive.
enum OrvoArchiveCode : int {
  kArchiveOk = 0,
  kArchiveNotSupported = 1,   // operation not supported by this archive
  kArchiveStoreNotOpen = 5,   // Open, Create (status only)
  kArchiveNoPath = 6,         // Open, Create (status only)
  kArchiveBadRecord = 7,      // bad tag, count, length or end mark of a stored record
  kArchiveOpenFailed = 8,     // the store could not open the item's stream
  kArchiveCreateFailed = 9,   // the store could not create the item or its stream
  kArchiveReadFailed = 11,    // read failed or short
  kArchiveWriteFailed = 12,   // write failed or short
  kArchiveSeekFailed = 13,    // length, size, seek or position failed
};

class COrvoArchiveException {
 public:
  explicit COrvoArchiveException(int code) : m_nError(code) {}
  int GetErrorCode() const { return m_nError; }

 private:
  int m_nError;
};

// Throws a COrvoArchiveException with `code`; never returns.
[[noreturn]] void ThrowArchiveException(int code);

class COrvoArchive {
 public:
  virtual ~COrvoArchive() = default;

  virtual BOOL Open(const char* path, int mode, BOOL create) = 0;
  virtual BOOL Close() = 0;

  // The base versions throw code 1: this archive cannot do that.
  virtual void ReadDword(DWORD* out);
  virtual void Read(void* buffer, UINT count);
  virtual void WriteDword(const DWORD* value);
  virtual void Write(const void* buffer, UINT count);
  virtual void GetLength(DWORD* out);
  virtual void SetLength(DWORD length);
  virtual void Seek(DWORD position);
  virtual void GetPosition(DWORD* out);

  int GetErrorCode() const { return m_nStatus; }
  int GetOpenMode() const { return m_nMode; }

  // Helpers over the slots above, for the record layer.
  DWORD ReadDwordValue() {
    DWORD v = 0;
    ReadDword(&v);
    return v;
  }
  void WriteDwordValue(DWORD v) { WriteDword(&v); }
  // The bytes between the position and the end of the stream.
  DWORD BytesLeft();
  // Throws code 7 when fewer than `count` bytes are left: a length read from a
  // record is checked with this before anything is allocated or read.
  void RequireBytes(DWORD count);
  // Reads `count` bytes after checking that they are there.
  std::vector<BYTE> ReadBytes(DWORD count);

 protected:
  int m_nStatus = 0;
  int m_nMode = 0;
};
