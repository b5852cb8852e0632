#include "platform/OutsideFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix {
namespace {

// The first buffer of a read whose size is not known (a file that tells no
// size, such as those of /proc).
constexpr std::uint64_t kFirstBuffer = 4096;

}  // namespace

OutsideFile::OutsideFile(const char* path, std::uint64_t bound, Access access) : bound_(bound) {
  error_ = open(path, access);
}

OutsideFileError OutsideFile::open(const char* path, Access access) {
  auto failed = [this](int number) {
    errno_ = number;
    return number == ENOENT || number == ENOTDIR ? OutsideFileError::Missing : OutsideFileError::CannotOpen;
  };
  if (!path || !*path) return failed(ENOENT);
  // The name first: a FIFO or a device is never opened.
  struct stat st {};
  if (::stat(path, &st) != 0) return failed(errno);
  if (!S_ISREG(st.st_mode)) return OutsideFileError::NotRegular;
  if (std::uint64_t(st.st_size) > bound_) return OutsideFileError::TooLarge;
  // Then the descriptor, opened without waiting: the name may have been
  // given to something else meanwhile.
  const int fd = ::open(path, (access == ReadWrite ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failed(errno);
  OutsideFileError error = OutsideFileError::None;
  int flags = -1;
  if (::fstat(fd, &st) != 0) error = failed(errno);
  else if (!S_ISREG(st.st_mode)) error = OutsideFileError::NotRegular;
  else if (std::uint64_t(st.st_size) > bound_) error = OutsideFileError::TooLarge;
  else if ((flags = ::fcntl(fd, F_GETFL)) < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = failed(errno);
  if (error != OutsideFileError::None) {
    ::close(fd);
    return error;
  }
  fd_ = fd;
  size_ = std::uint64_t(st.st_size);
  return OutsideFileError::None;
}

OutsideFile::~OutsideFile() {
  if (fd_ >= 0) ::close(fd_);
}

OutsideFile& OutsideFile::operator=(OutsideFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
    size_ = other.size_;
    bound_ = other.bound_;
    error_ = other.error_;
    errno_ = other.errno_;
  }
  return *this;
}

OutsideFileError readToEnd(int fd, std::uint64_t bound, std::uint64_t sizeHint, void* buffer, ResizeBytes resize) {
  // One byte beyond the bound is enough to know that the file passes it.
  const std::uint64_t limit =
      std::min<std::uint64_t>(bound == kUnboundedFile ? bound : bound + 1, std::size_t(-1));
  std::uint64_t capacity = sizeHint >= limit ? limit : std::min(limit, std::max(sizeHint + 1, kFirstBuffer));
  char* data = resize(buffer, std::size_t(capacity));
  std::uint64_t got = 0;
  for (;;) {
    if (got == capacity) {
      if (capacity >= limit) break;
      capacity = capacity > limit / 2 ? limit : capacity * 2;
      data = resize(buffer, std::size_t(capacity));
    }
    const ssize_t n = ::read(fd, data + got, std::size_t(capacity - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      resize(buffer, 0);
      return OutsideFileError::ReadFailed;
    }
    if (n == 0) break;
    got += std::uint64_t(n);
  }
  if (got > bound) {
    resize(buffer, 0);
    return OutsideFileError::TooLarge;
  }
  resize(buffer, std::size_t(got));
  return OutsideFileError::None;
}

}  // namespace tallix
