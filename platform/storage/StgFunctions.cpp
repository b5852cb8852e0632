// Opening and creating compound files: the file, its share locks, and the
// root storage over its elements.
#include "platform/OutsideFile.h"
#include "platform/storage/MemoryStorage.h"
#include "platform/storage/ShareLocks.h"
#include "platform/storage/StorageObjects.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace tallix::cfb;

namespace {

HRESULT resultOfErrno(int error, const char* path) {
  switch (error) {
    case ENOENT: {
      // A missing folder on the way is a path not found, as on the platform.
      std::string dir(path);
      const auto slash = dir.find_last_of('/');
      if (slash == std::string::npos) return STG_E_FILENOTFOUND;
      dir.resize(slash == 0 ? 1 : slash);
      struct stat st {};
      return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
    }
    case ENOTDIR: return STG_E_PATHNOTFOUND;
    case ENAMETOOLONG: return STG_E_INVALIDNAME;
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: return STG_E_ACCESSDENIED;
    case EMFILE: case ENFILE: return STG_E_TOOMANYOPENFILES;
    case ENOMEM: return STG_E_INSUFFICIENTMEMORY;
    case ENOSPC: case EDQUOT: return STG_E_MEDIUMFULL;
    case EEXIST: return STG_E_FILEALREADYEXISTS;
    default: return STG_E_UNKNOWN;
  }
}

// The descriptor of an existing file, through the opener of outside files:
// what is no regular file, or is larger than `bound`, is refused unopened.
// `number` (when given) receives the system's error of a failed open.
int openExisting(const char* path, std::uint64_t bound, bool writing, HRESULT* failure, int* number = nullptr) {
  tallix::OutsideFile file(path, bound, writing ? tallix::OutsideFile::ReadWrite : tallix::OutsideFile::Read);
  if (number) *number = file.errorNumber();
  switch (file.error()) {
    case tallix::OutsideFileError::None: return file.release();
    case tallix::OutsideFileError::Missing:
    case tallix::OutsideFileError::CannotOpen: *failure = resultOfErrno(file.errorNumber(), path); break;
    default: *failure = STG_E_ACCESSDENIED; break;
  }
  return -1;
}

ShareRequest shareRequestOf(DWORD mode) {
  ShareRequest r;
  r.read = modeReads(mode);
  r.write = modeWrites(mode);
  const DWORD share = shareOf(mode);
  r.denyRead = share == STGM_SHARE_EXCLUSIVE || share == STGM_SHARE_DENY_READ;
  r.denyWrite = share == STGM_SHARE_EXCLUSIVE || share == STGM_SHARE_DENY_WRITE;
  return r;
}

// A regular file; one that has no write permission at all counts as
// read-only even for a user allowed to write anything.
HRESULT checkFile(int fd, bool writing) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return STG_E_ACCESSDENIED;
  if (!S_ISREG(st.st_mode)) return STG_E_ACCESSDENIED;
  if (writing && (st.st_mode & 0222) == 0) return STG_E_ACCESSDENIED;
  return S_OK;
}

HRESULT makeRoot(const std::shared_ptr<CompoundFile>& file, std::unique_ptr<Node> tree, DWORD mode,
                 IStorage** out) {
  try {
    *out = new StorageImpl(file, std::move(tree), mode);
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  return S_OK;
}

std::string temporaryTemplate() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir && *dir ? dir : "/tmp";
  if (path.back() != '/') path.push_back('/');
  return path + "~stgXXXXXX";
}

}  // namespace

HRESULT StgCreateDocfile(const char* path, DWORD grfMode, DWORD, IStorage** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  if (!validModeBits(grfMode) || !modeWrites(grfMode) ||
      (grfMode & (STGM_CONVERT | STGM_PRIORITY | STGM_SIMPLE | STGM_NOSNAPSHOT | STGM_DIRECT_SWMR)))
    return STG_E_INVALIDFLAG;

  std::string name;
  bool created = true;
  int fd;
  if (!path) {
    name = temporaryTemplate();
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return resultOfErrno(errno, name.c_str());
  } else {
    name = path;
    fd = ::open(path, O_RDWR | O_CLOEXEC | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST && (grfMode & STGM_CREATE)) {
      created = false;
      HRESULT failure = S_OK;
      fd = openExisting(path, tallix::kUnboundedFile, true, &failure);
      if (fd < 0) return failure;
    }
    if (fd < 0) return resultOfErrno(errno, path);
  }
  auto fail = [&](HRESULT hr) {
    if (created) ::unlink(name.c_str());
    return hr;
  };
  if (const HRESULT hr = checkFile(fd, !created); FAILED(hr)) {
    ::close(fd);
    return fail(hr);
  }
  if (const HRESULT hr = acquireShareLocks(fd, shareRequestOf(grfMode)); FAILED(hr)) {
    ::close(fd);
    return fail(hr);
  }
  auto file = std::make_shared<CompoundFile>(makePosixFileIo(fd));
  file->path = name;
  file->mode = grfMode;
  file->deleteOnRelease = grfMode & STGM_DELETEONRELEASE;
  std::unique_ptr<Node> tree;
  if (const HRESULT hr = file->create(&tree); FAILED(hr)) {
    file->close();
    return fail(hr);
  }
  return makeRoot(file, std::move(tree), grfMode, out);
}

HRESULT StgOpenStorage(const char* path, IStorage* priority, DWORD grfMode, void* exclude, DWORD,
                       IStorage** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  if (!path || !*path) return STG_E_INVALIDNAME;
  if (priority || exclude) return STG_E_INVALIDPARAMETER;
  if (!validModeBits(grfMode) || (grfMode & (STGM_CREATE | STGM_CONVERT | STGM_DELETEONRELEASE | STGM_PRIORITY |
                                             STGM_SIMPLE | STGM_NOSNAPSHOT | STGM_DIRECT_SWMR)))
    return STG_E_INVALIDFLAG;

  const bool writing = modeWrites(grfMode);
  HRESULT failure = S_OK;
  const int fd = openExisting(path, kMaxCompoundFileSize, writing, &failure);
  if (fd < 0) return failure;
  if (const HRESULT hr = checkFile(fd, writing); FAILED(hr)) {
    ::close(fd);
    return hr;
  }
  const ShareRequest share = shareRequestOf(grfMode);
  if (const HRESULT hr = acquireShareLocks(fd, share); FAILED(hr)) {
    ::close(fd);
    return hr;
  }
  auto file = std::make_shared<CompoundFile>(makePosixFileIo(fd));
  file->path = path;
  file->mode = grfMode;
  // Another process may write the file while it is open here: read it whole now.
  file->loadAll = !share.write && !share.denyWrite;
  std::unique_ptr<Node> tree;
  if (const HRESULT hr = file->load(file->loadAll, &tree); FAILED(hr)) {
    file->close();
    return hr;
  }
  return makeRoot(file, std::move(tree), grfMode, out);
}

namespace tallix::cfb {

HRESULT openMemoryStorage(std::vector<std::uint8_t> bytes, DWORD grfMode, IStorage** out,
                          std::vector<std::uint8_t>** contents) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  if (!validModeBits(grfMode)) return STG_E_INVALIDFLAG;
  auto file = std::make_shared<CompoundFile>(makeMemoryFileIo(std::move(bytes), contents));
  file->mode = grfMode;
  std::unique_ptr<Node> tree;
  if (const HRESULT hr = file->load(false, &tree); FAILED(hr)) return hr;
  return makeRoot(file, std::move(tree), grfMode, out);
}

HRESULT createMemoryStorage(DWORD grfMode, IStorage** out, std::vector<std::uint8_t>** contents) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  if (!validModeBits(grfMode)) return STG_E_INVALIDFLAG;
  auto file = std::make_shared<CompoundFile>(makeMemoryFileIo({}, contents));
  file->mode = grfMode;
  std::unique_ptr<Node> tree;
  if (const HRESULT hr = file->create(&tree); FAILED(hr)) return hr;
  return makeRoot(file, std::move(tree), grfMode, out);
}

}  // namespace tallix::cfb

bool StgIsFileAt(IStorage* root, const char* path) {
  const auto* storage = dynamic_cast<const StorageImpl*>(root);
  return storage && path && *path && storage->isFileAt(path);
}

StgReplaceHold::StgReplaceHold(const char* path) {
  if (!path || !*path) return;
  HRESULT failure = S_OK;
  int number = 0;
  fd_ = openExisting(path, tallix::kUnboundedFile, true, &failure, &number);
  if (fd_ < 0) {
    if (number != ENOENT) result_ = failure;
    return;
  }
  ShareRequest all;
  all.write = all.denyRead = all.denyWrite = true;
  if (FAILED(acquireShareLocks(fd_, all))) result_ = STG_E_ACCESSDENIED;
}

StgReplaceHold::~StgReplaceHold() {
  if (fd_ >= 0) ::close(fd_);
}
