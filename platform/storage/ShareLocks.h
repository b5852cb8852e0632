// Share modes between processes, kept with advisory byte-range locks on the
// compound file (open-file-description locks, so that two opens in one
// process are two openers as well). The locks lie far beyond the data and
// end with the descriptor.
#pragma once

#include "platform/WinTypes.h"

namespace tallix::cfb {

struct ShareRequest {
  bool read = true;
  bool write = false;
  bool denyRead = false;
  bool denyWrite = false;
};

// Takes the locks for an opener. STG_E_SHAREVIOLATION when an opener's share
// mode refuses this one or this one's refuses an opener; STG_E_LOCKVIOLATION
// when another writer has the file.
HRESULT acquireShareLocks(int fd, const ShareRequest& request);

// While writing a new header and its sectors (exclusive), or while reading the
// whole file for an opener that lets others write (shared).
class CommitLock {
 public:
  CommitLock(int fd, bool exclusive);
  ~CommitLock();
  CommitLock(const CommitLock&) = delete;
  CommitLock& operator=(const CommitLock&) = delete;

 private:
  int fd_;
};

}  // namespace tallix::cfb
