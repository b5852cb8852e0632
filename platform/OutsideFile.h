// Opening a file that comes from outside the program: a document, a list or
// settings file, a file another file names, anything a user or another
// program can put where the program looks.
//
// - Only a regular file is opened. A FIFO, a device or a directory is refused
//   before it is opened at all (its type is looked at first), so that no open
//   waits for a partner and nothing is read from a source without an end; the
//   open itself does not wait either (it is made non-blocking and the file is
//   looked at once more through the descriptor, in case the name was swapped
//   meanwhile), and the descriptor is then made blocking again for reading.
// - Each caller gives the bound that fits its kind of file. A file larger
//   than its bound is refused whole, never cut: one that is larger when it is
//   opened is not read at all, and one that grows past the bound while it is
//   read is refused as soon as the bound is passed.
//
// Plain C++ over the system's calls: the program, the old-data library and
// the download library all link it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace tallix {

enum class OutsideFileError {
  None,
  Missing,     // no such file (or a folder on its way is missing)
  CannotOpen,  // the system refused to open it (see errorNumber())
  NotRegular,  // a FIFO, a device, a socket or a directory
  TooLarge,    // larger than the caller's bound
  ReadFailed,  // a read failed
};

// No bound at all, for a caller that only opens (to lock or to write) and
// never reads the file whole.
inline constexpr std::uint64_t kUnboundedFile = ~std::uint64_t(0);

class OutsideFile {
 public:
  enum Access { Read, ReadWrite };

  OutsideFile() = default;
  // Opens `path` as described above; isOpen() tells whether it succeeded.
  OutsideFile(const char* path, std::uint64_t bound, Access access = Read);
  ~OutsideFile();
  OutsideFile(OutsideFile&& other) noexcept { *this = std::move(other); }
  OutsideFile& operator=(OutsideFile&& other) noexcept;
  OutsideFile(const OutsideFile&) = delete;
  OutsideFile& operator=(const OutsideFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // The descriptor, now the caller's to close.
  int release() { return std::exchange(fd_, -1); }
  // The file's size when it was opened.
  std::uint64_t size() const { return size_; }
  std::uint64_t bound() const { return bound_; }
  OutsideFileError error() const { return error_; }
  // The system's error number of a failed open (0 otherwise).
  int errorNumber() const { return errno_; }

  // Reads the rest of the file from the descriptor's position into `out`
  // (anything with resize() and data() of bytes); false, `out` empty and
  // error() set when the bound is passed or a read fails.
  template <class Bytes>
  bool readAll(Bytes* out);

 private:
  OutsideFileError open(const char* path, Access access);

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t bound_ = 0;
  OutsideFileError error_ = OutsideFileError::None;
  int errno_ = 0;
};

// Reads what is left of the open file `fd` (any descriptor, also a pipe), at
// most `bound` bytes: false, `out` emptied, when there is more or a read
// fails. `sizeHint` is what the caller expects, for the first allocation.
// `resize` makes the caller's buffer `n` bytes long and returns its start.
using ResizeBytes = char* (*)(void* buffer, std::size_t n);
OutsideFileError readToEnd(int fd, std::uint64_t bound, std::uint64_t sizeHint, void* buffer, ResizeBytes resize);

template <class Bytes>
OutsideFileError readToEnd(int fd, std::uint64_t bound, std::uint64_t sizeHint, Bytes* out) {
  return readToEnd(fd, bound, sizeHint, out, [](void* buffer, std::size_t n) {
    auto* bytes = static_cast<Bytes*>(buffer);
    bytes->resize(static_cast<decltype(bytes->size())>(n));
    return reinterpret_cast<char*>(bytes->data());
  });
}

template <class Bytes>
bool OutsideFile::readAll(Bytes* out) {
  error_ = fd_ < 0 ? OutsideFileError::ReadFailed : readToEnd(fd_, bound_, size_, out);
  return error_ == OutsideFileError::None;
}

// The whole file at `path`, within `bound` bytes: false, `out` empty, when it
// cannot be opened or read, is no regular file or is larger than the bound;
// `error` (when given) tells which.
template <class Bytes>
bool readOutsideFile(const char* path, std::uint64_t bound, Bytes* out, OutsideFileError* error = nullptr) {
  OutsideFile file(path, bound);
  const bool read = file.isOpen() && file.readAll(out);
  if (!read) out->resize(0);
  if (error) *error = file.error();
  return read;
}

}  // namespace tallix
