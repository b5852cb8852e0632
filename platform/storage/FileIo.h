// The byte store under a compound file: a file on disk, or a buffer in memory
// (for the fuzz target and for tests). Writes can be made to fail on purpose
// (see StorageTestHooks.h) to prove that a failed write loses nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tallix::cfb {

class FileIo {
 public:
  virtual ~FileIo() = default;
  // Reads exactly `n` bytes; false on an error or a short read.
  virtual bool readAt(std::uint64_t offset, void* buf, std::size_t n) = 0;
  // These return 0 or an errno value.
  virtual int writeAt(std::uint64_t offset, const void* buf, std::size_t n) = 0;
  virtual int sync() = 0;
  virtual int truncate(std::uint64_t size) = 0;
  virtual std::uint64_t size() = 0;
  // The descriptor for locks, or -1.
  virtual int fd() const { return -1; }
  // Closes the file (releasing its locks); later reads and writes fail.
  virtual void close() {}
};

// Owns the descriptor and closes it when destroyed.
std::shared_ptr<FileIo> makePosixFileIo(int fd);
std::shared_ptr<FileIo> makeMemoryFileIo(std::vector<std::uint8_t> bytes,
                                         std::vector<std::uint8_t>** contents = nullptr);

// The injected failure for the next write, sync or truncate: 0 to go on.
// `torn` is set when a failing write should still write half of its bytes.
int injectedWriteFailure(bool* torn);

}  // namespace tallix::cfb
