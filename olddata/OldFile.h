// The file classes of the old-data reader: a plain file over an operating
// system handle, and the masked file through which old documents pass.
//
// Failures of a read or write throw OldDataError; Open reports through its
// result.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace qxl16 {

// The one error type inside the library: the result code the failure ends
// in. It never crosses the library's C interface.
struct OldDataError {
  int code;
};
[[noreturn]] void ThrowOldData(int code);

// Largest file the library reads: the older version's files are small, and
// anything beyond this is not one of them.
constexpr std::size_t kMaxOldFileSize = 64u << 20;

class CFile {
 public:
  enum OpenFlags { modeRead = 0, modeCreate = 1 };

  CFile() = default;
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens a regular file for reading, or creates (truncates) one for writing.
  bool Open(const char* path, int flags);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }

  // A new file object on a duplicate of the handle.
  virtual std::unique_ptr<CFile> Duplicate() const;
  // Reads up to `count` bytes; fewer only at the end of the file.
  virtual std::size_t Read(void* buffer, std::size_t count);
  // Writes all `count` bytes or throws.
  virtual void Write(const void* buffer, std::size_t count);

  std::size_t GetLength() const;
  // Reads the whole file from its current position, within kMaxOldFileSize;
  // a larger file (also one that grows past it while read) or a failed read
  // throws code 2.
  virtual std::vector<BYTE> ReadAll();

 protected:
  int DuplicateHandle() const;
  explicit CFile(int fd) : m_fd(fd) {}

 private:
  int m_fd = -1;
};

// A file whose bytes pass through a one-byte mask while the flag is set.
class COrvoFile : public CFile {
 public:
  static constexpr BYTE kMask = 0x9D;

  COrvoFile() = default;
  void SetMask(bool on) { m_bMask = on ? 1 : 0; }
  bool IsMasked() const { return m_bMask != 0; }

  std::unique_ptr<CFile> Duplicate() const override;
  std::vector<BYTE> ReadAll() override;
  // The mask is applied to exactly the bytes that were read.
  std::size_t Read(void* buffer, std::size_t count) override;
  // The bytes go out masked; the caller's buffer is left as it was, also
  // when the write fails.
  void Write(const void* buffer, std::size_t count) override;

  static void ApplyMask(BYTE* bytes, std::size_t count);

 protected:
  int m_bMask = 0;

 private:
  COrvoFile(int fd, int mask) : CFile(fd), m_bMask(mask) {}
};

}  // namespace qxl16
