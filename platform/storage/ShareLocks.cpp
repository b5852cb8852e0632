#include "platform/storage/ShareLocks.h"

#include "platform/storage/StorageTypes.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tallix::cfb {
namespace {

#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kSetLockWait = F_OFD_SETLKW;
constexpr int kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK;
constexpr int kSetLockWait = F_SETLKW;
constexpr int kGetLock = F_GETLK;
#endif

constexpr off_t kLockBase = 0x7FFFFF00;
enum LockByte : off_t { kFirst, kCommit, kReadAccess, kWriteAccess, kDenyRead, kDenyWrite, kWriter };

struct flock lockAt(LockByte byte, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockBase + byte;
  fl.l_len = 1;
  return fl;
}

bool setLock(int fd, LockByte byte, short type, bool wait) {
  struct flock fl = lockAt(byte, type);
  while (::fcntl(fd, wait ? kSetLockWait : kSetLock, &fl) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Whether another opener holds a lock on the byte.
bool heldByOthers(int fd, LockByte byte) {
  struct flock fl = lockAt(byte, F_WRLCK);
  if (::fcntl(fd, kGetLock, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

}  // namespace

HRESULT acquireShareLocks(int fd, const ShareRequest& r) {
  // Each opener shows its access and its denials first and looks at the
  // others' afterwards, so that of two openers racing each other at least one
  // sees the other.
  if (r.read) setLock(fd, kReadAccess, F_RDLCK, false);
  if (r.write) setLock(fd, kWriteAccess, F_RDLCK, false);
  if (r.denyRead) setLock(fd, kDenyRead, F_RDLCK, false);
  if (r.denyWrite) setLock(fd, kDenyWrite, F_RDLCK, false);
  HRESULT hr = S_OK;
  if ((r.read && heldByOthers(fd, kDenyRead)) || (r.write && heldByOthers(fd, kDenyWrite)) ||
      (r.denyRead && heldByOthers(fd, kReadAccess)) || (r.denyWrite && heldByOthers(fd, kWriteAccess)))
    hr = STG_E_SHAREVIOLATION;
  // A second writer is refused even where the share modes would let it in;
  // testing and taking this lock is one step.
  else if (r.write && !setLock(fd, kWriter, F_WRLCK, false) && (errno == EAGAIN || errno == EACCES))
    hr = STG_E_LOCKVIOLATION;
  if (FAILED(hr)) {
    struct flock all = lockAt(kFirst, F_UNLCK);
    all.l_len = 16;
    ::fcntl(fd, kSetLock, &all);
  }
  return hr;
}

CommitLock::CommitLock(int fd, bool exclusive) : fd_(fd) {
  if (fd_ >= 0 && !setLock(fd_, kCommit, exclusive ? F_WRLCK : F_RDLCK, true)) fd_ = -1;
}

CommitLock::~CommitLock() {
  if (fd_ >= 0) setLock(fd_, kCommit, F_UNLCK, false);
}

}  // namespace tallix::cfb
