#include "platform/storage/FileIo.h"

#include "platform/storage/StorageTestHooks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix::cfb {
namespace {

struct Injection {
  bool armed = false;
  int remaining = 0;
  int error = 0;
  bool torn = false;
  int count = 0;
} g_injection;

class PosixFileIo : public FileIo {
 public:
  explicit PosixFileIo(int fd) : fd_(fd) {}
  ~PosixFileIo() override { close(); }
  void close() override {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  bool readAt(std::uint64_t offset, void* buf, std::size_t n) override {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
      const ssize_t got = ::pread(fd_, p, n, off_t(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      p += got;
      offset += std::uint64_t(got);
      n -= std::size_t(got);
    }
    return true;
  }

  int writeAt(std::uint64_t offset, const void* buf, std::size_t n) override {
    bool torn = false;
    if (const int e = injectedWriteFailure(&torn)) {
      if (torn && offset != 0) rawWrite(offset, buf, n / 2);
      return e;
    }
    return rawWrite(offset, buf, n);
  }

  int sync() override {
    bool torn = false;
    if (const int e = injectedWriteFailure(&torn)) return e;
    return ::fdatasync(fd_) == 0 ? 0 : errno;
  }

  int truncate(std::uint64_t size) override {
    bool torn = false;
    if (const int e = injectedWriteFailure(&torn)) return e;
    return ::ftruncate(fd_, off_t(size)) == 0 ? 0 : errno;
  }

  std::uint64_t size() override {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? std::uint64_t(st.st_size) : 0;
  }

  int fd() const override { return fd_; }

 private:
  int rawWrite(std::uint64_t offset, const void* buf, std::size_t n) {
    const auto* p = static_cast<const char*>(buf);
    while (n > 0) {
      const ssize_t put = ::pwrite(fd_, p, n, off_t(offset));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return errno;
      if (put == 0) return ENOSPC;
      p += put;
      offset += std::uint64_t(put);
      n -= std::size_t(put);
    }
    return 0;
  }

  int fd_;
};

class MemoryFileIo : public FileIo {
 public:
  explicit MemoryFileIo(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool readAt(std::uint64_t offset, void* buf, std::size_t n) override {
    if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
    if (n) std::memcpy(buf, bytes_.data() + offset, n);
    return true;
  }
  int writeAt(std::uint64_t offset, const void* buf, std::size_t n) override {
    bool torn = false;
    if (const int e = injectedWriteFailure(&torn)) {
      if (torn && offset != 0) rawWrite(offset, buf, n / 2);
      return e;
    }
    return rawWrite(offset, buf, n);
  }
  int sync() override {
    bool torn = false;
    return injectedWriteFailure(&torn);
  }
  int truncate(std::uint64_t size) override {
    bool torn = false;
    if (const int e = injectedWriteFailure(&torn)) return e;
    bytes_.resize(std::size_t(size));
    return 0;
  }
  std::uint64_t size() override { return bytes_.size(); }

  std::vector<std::uint8_t> bytes_;

 private:
  int rawWrite(std::uint64_t offset, const void* buf, std::size_t n) {
    if (offset + n > bytes_.size()) bytes_.resize(std::size_t(offset + n));
    if (n) std::memcpy(bytes_.data() + offset, buf, n);
    return 0;
  }
};

}  // namespace

std::shared_ptr<FileIo> makePosixFileIo(int fd) { return std::make_shared<PosixFileIo>(fd); }

std::shared_ptr<FileIo> makeMemoryFileIo(std::vector<std::uint8_t> bytes,
                                         std::vector<std::uint8_t>** contents) {
  auto io = std::make_shared<MemoryFileIo>(std::move(bytes));
  if (contents) *contents = &io->bytes_;
  return io;
}

int injectedWriteFailure(bool* torn) {
  *torn = false;
  Injection& in = g_injection;
  if (!in.armed) {
    ++in.count;
    return 0;
  }
  if (in.remaining > 0) {
    --in.remaining;
    ++in.count;
    return 0;
  }
  *torn = std::exchange(in.torn, false);
  return in.error;
}

namespace testhooks {

void failWritesAfter(int writesBeforeFailure, int error, bool tornWrite) {
  g_injection = Injection{true, std::max(0, writesBeforeFailure), error, tornWrite, 0};
}
void clearWriteFailures() { g_injection.armed = false; }
int writeCount() { return g_injection.count; }
void resetWriteCount() { g_injection.count = 0; }

}  // namespace testhooks
}  // namespace tallix::cfb
