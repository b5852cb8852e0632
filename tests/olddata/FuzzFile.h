// The fuzz input as a file the library can open by path: an anonymous
// in-memory file, reached through /proc/self/fd.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tallix::test {

class FuzzFile {
 public:
  FuzzFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("qxl16-fuzz", MFD_CLOEXEC)) {
    if (fd_ < 0) __builtin_trap();
    for (std::size_t done = 0; done < size;) {
      const ssize_t n = write(fd_, data + done, size - done);
      if (n <= 0) __builtin_trap();
      done += std::size_t(n);
    }
    std::snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
  }
  ~FuzzFile() { close(fd_); }
  FuzzFile(const FuzzFile&) = delete;
  FuzzFile& operator=(const FuzzFile&) = delete;

  const char* path() const { return path_; }

 private:
  int fd_;
  char path_[48];
};

}  // namespace tallix::test
