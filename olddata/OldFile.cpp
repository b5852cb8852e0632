#include "olddata/OldFile.h"

#include "platform/OutsideFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qxl16 {

void ThrowOldData(int code) { throw OldDataError{code}; }

CFile::~CFile() { Close(); }

bool CFile::Open(const char* path, int flags) {
  Close();
  if (!path) return false;
  if (flags == modeCreate) {
    // Made without waiting: a FIFO without a reader fails at once, one with
    // a reader is refused as no regular file.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) ::close(fd);
    else m_fd = fd;
    return m_fd >= 0;
  }
  // Reading never takes more than the read permission, so a file another
  // program holds or a read-only medium still opens. Only a regular file
  // within kMaxOldFileSize is opened, never a FIFO or a device.
  m_fd = tallix::OutsideFile(path, kMaxOldFileSize).release();
  return m_fd >= 0;
}

void CFile::Close() {
  if (m_fd >= 0) ::close(m_fd);  // a failed close changes nothing for a reader
  m_fd = -1;
}

int CFile::DuplicateHandle() const {
  const int fd = m_fd >= 0 ? ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0) : -1;
  if (fd < 0) ThrowOldData(1);
  return fd;
}

std::unique_ptr<CFile> CFile::Duplicate() const { return std::unique_ptr<CFile>(new CFile(DuplicateHandle())); }

std::size_t CFile::Read(void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowOldData(2);
    if (n == 0) break;
    done += std::size_t(n);
  }
  return done;
}

void CFile::Write(const void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(m_fd, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ThrowOldData(2);
    done += std::size_t(n);
  }
}

std::size_t CFile::GetLength() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) ThrowOldData(2);
  return std::size_t(st.st_size);
}

std::vector<BYTE> CFile::ReadAll() {
  std::vector<BYTE> bytes;
  if (m_fd < 0 || tallix::readToEnd(m_fd, kMaxOldFileSize, GetLength(), &bytes) != tallix::OutsideFileError::None)
    ThrowOldData(2);
  return bytes;
}

void COrvoFile::ApplyMask(BYTE* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] ^= kMask;
}

std::unique_ptr<CFile> COrvoFile::Duplicate() const {
  return std::unique_ptr<CFile>(new COrvoFile(DuplicateHandle(), m_bMask));
}

std::vector<BYTE> COrvoFile::ReadAll() {
  std::vector<BYTE> bytes = CFile::ReadAll();
  if (m_bMask) ApplyMask(bytes.data(), bytes.size());
  return bytes;
}

std::size_t COrvoFile::Read(void* buffer, std::size_t count) {
  const std::size_t n = CFile::Read(buffer, count);
  if (m_bMask) ApplyMask(static_cast<BYTE*>(buffer), n);
  return n;
}

void COrvoFile::Write(const void* buffer, std::size_t count) {
  if (!m_bMask) return CFile::Write(buffer, count);
  // The masked bytes go out from a copy, so the caller's buffer stays as it
  // was whatever happens to the write (and may live in read-only memory).
  std::vector<BYTE> masked(static_cast<const BYTE*>(buffer), static_cast<const BYTE*>(buffer) + count);
  ApplyMask(masked.data(), masked.size());
  CFile::Write(masked.data(), masked.size());
}

}  // namespace qxl16
