// An archive over bytes in memory, for tests of stored records: it behaves
// like an item stream (short reads and writes throw 11 and 12) and can be
// told to fail writes after a number of bytes.
#pragma once

#include "datamodel/OrvoArchive.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace tallix::test {

class MemoryArchive : public COrvoArchive {
 public:
  MemoryArchive() = default;
  explicit MemoryArchive(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  std::vector<BYTE> bytes_;
  size_t position_ = 0;
  size_t failWritesAfter_ = size_t(-1);  // bytes written before writes fail

  BOOL Open(const char*, int mode, BOOL) override {
    m_nMode = mode;
    position_ = 0;
    return TRUE;
  }
  BOOL Close() override {
    m_nMode = 0;
    m_nStatus = 0;
    return TRUE;
  }
  void ReadDword(DWORD* out) override {
    BYTE b[4];
    Read(b, 4);
    *out = GetLittleEndian32(b);
  }
  void Read(void* buffer, UINT count) override {
    m_nStatus = 0;
    if (count > bytes_.size() - std::min(position_, bytes_.size())) fail(kArchiveReadFailed);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
  }
  void WriteDword(const DWORD* value) override {
    BYTE b[4];
    PutLittleEndian32(b, *value);
    Write(b, 4);
  }
  void Write(const void* buffer, UINT count) override {
    m_nStatus = 0;
    if (written_ + count > failWritesAfter_) fail(kArchiveWriteFailed);
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    written_ += count;
  }
  void GetLength(DWORD* out) override { *out = DWORD(bytes_.size()); }
  void SetLength(DWORD length) override { bytes_.resize(length); }
  void Seek(DWORD position) override { position_ = position; }
  void GetPosition(DWORD* out) override { *out = DWORD(position_); }

 private:
  [[noreturn]] void fail(int code) {
    m_nStatus = code;
    ThrowArchiveException(code);
  }
  size_t written_ = 0;
};

// The code of the archive exception `f` throws, or 0 when it throws none.
inline int archiveErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const COrvoArchiveException& e) {
    return e.GetErrorCode();
  }
  return 0;
}

// Little-endian dwords appended to a byte vector, for hand-assembled records.
inline void putDword(std::vector<BYTE>& v, DWORD d) {
  for (int i = 0; i < 4; ++i) v.push_back(BYTE(d >> (8 * i)));
}
inline void putBytes(std::vector<BYTE>& v, const char* s) {
  v.insert(v.end(), s, s + std::strlen(s));
}

}  // namespace tallix::test
