// Structured storage on compound files (the public MS-CFB format): storages
// and streams with reference counts, transacted and direct modes, share modes
// between processes, and nameless temporary files.
//
// Files are written in version 3 (512-byte sectors); versions 3 and 4 are
// read, and a version-4 file keeps its version when changed.
//
// Modes:
// - Transacted (STGM_TRANSACTED): a storage works on its own copy of its
//   elements. Commit publishes the copy to the parent (for the root: to the
//   file); Revert or the last Release without Commit discards it. A transacted
//   sub-storage commits into its parent, which may itself be transacted.
// - Direct: changes go straight into the parent's elements. They reach the
//   file (when every storage up to the root is direct) when the stream or
//   storage through which they were made is released or committed; destroying,
//   renaming, SetClass, SetStateBits and SetElementTimes reach it at once; the
//   root's last Release writes whatever is left.
// - Each write to the file is safe: new sectors are written and flushed before
//   the header that points at them, so a failure or crash at any point leaves
//   the file as it was after the previous write.
// - Share modes are enforced between processes with advisory locks; a second
//   writer is refused (STG_E_LOCKVIOLATION) even where share modes would let
//   it in, because two writers would overwrite each other's sectors.
// - Sub-storages and streams must be opened STGM_SHARE_EXCLUSIVE and only once
//   at a time. Releasing or reverting a storage, or destroying an element,
//   reverts what is open below it: further calls give STG_E_REVERTED.
//
// Element names are 8-bit (Windows-1252) strings of 1 to 31 characters
// without '\', '/', ':' or '!'; they are stored as UTF-16 and compared
// without regard to case.
#pragma once

#include "platform/storage/StorageTypes.h"

#include <cstdint>
#include <utility>
#include <vector>

class IUnknownBase {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknownBase() = default;
};

class IStream : public IUnknownBase {
 public:
  // Reads up to `cb` bytes; fewer at the end of the stream (S_OK all the same).
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  // Writes `cb` bytes at the seek position, extending the stream as needed.
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
  virtual HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(std::uint64_t newSize) = 0;
  // Streams have no transaction of their own: Commit sends a direct-mode
  // stream's changes on to the file, Revert does nothing.
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT Stat(STATSTG* out, DWORD grfStatFlag) = 0;
};

class IStorage : public IUnknownBase {
 public:
  virtual HRESULT CreateStream(const char* name, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                               IStream** out) = 0;
  virtual HRESULT OpenStream(const char* name, void* reserved1, DWORD grfMode, DWORD reserved2,
                             IStream** out) = 0;
  virtual HRESULT CreateStorage(const char* name, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                                IStorage** out) = 0;
  virtual HRESULT OpenStorage(const char* name, IStorage* priority, DWORD grfMode, void* exclude,
                              DWORD reserved, IStorage** out) = 0;
  // Copies every element (and the class id) into `dest`: streams of the same
  // name are replaced, storages of the same name receive the contents.
  // `excludeNames` is null or a null-terminated list of names not to copy.
  virtual HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, const char* const* excludeNames,
                         IStorage* dest) = 0;
  virtual HRESULT DestroyElement(const char* name) = 0;
  virtual HRESULT RenameElement(const char* oldName, const char* newName) = 0;
  // The elements in the order the file keeps them.
  virtual HRESULT EnumElements(std::vector<STATSTG>* out) = 0;
  virtual HRESULT SetElementTimes(const char* name, const FILETIME* ctime, const FILETIME* atime,
                                  const FILETIME* mtime) = 0;
  virtual HRESULT SetClass(REFCLSID clsid) = 0;
  virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;
  virtual HRESULT Stat(STATSTG* out, DWORD grfStatFlag) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
};

// Creates a compound file. `path` null: a nameless temporary file (in
// $TMPDIR or /tmp), normally with STGM_DELETEONRELEASE. Needs write access.
// Without STGM_CREATE an existing file gives STG_E_FILEALREADYEXISTS.
HRESULT StgCreateDocfile(const char* path, DWORD grfMode, DWORD reserved, IStorage** out);

// The largest compound file opened: a document or a backup may be large,
// and a file read whole (shared for reading) is held in memory. A commit
// that would make a file larger is refused with STG_E_DOCFILETOOLARGE before
// it writes anything.
inline constexpr std::uint64_t kMaxCompoundFileSize = std::uint64_t(1) << 30;

// Opens a compound file. A file that is not a compound file gives
// STG_E_FILEALREADYEXISTS; an empty, truncated or damaged one
// STG_E_DOCFILECORRUPT; a file with no write permission at all, opened for
// writing, STG_E_ACCESSDENIED, and so does what is no regular file (never
// opened, so a FIFO cannot hold up the caller) and a file larger than
// kMaxCompoundFileSize. `priority` and `exclude` must be null.
HRESULT StgOpenStorage(const char* path, IStorage* priority, DWORD grfMode, void* exclude,
                       DWORD reserved, IStorage** out);

// Whether `path` names the very file that the root storage `root` has open
// (the same file of the same device): false once that file was removed or
// moved away, or another was put at its name, and for storages in memory.
bool StgIsFileAt(IStorage* root, const char* path);

// Keeps every other opener (in any process) off the compound file at `path`
// while the caller replaces it by renaming a new file over it, since the
// platform replaces no file that is open: `Result()` is STG_E_ACCESSDENIED
// when an opener holds the file now, S_OK otherwise (also when there is no
// file of that name). The hold ends with the object.
class StgReplaceHold {
 public:
  explicit StgReplaceHold(const char* path);
  ~StgReplaceHold();
  StgReplaceHold(const StgReplaceHold&) = delete;
  StgReplaceHold& operator=(const StgReplaceHold&) = delete;
  HRESULT Result() const { return result_; }

 private:
  int fd_ = -1;
  HRESULT result_ = S_OK;
};

// A reference-holding pointer for our own code: releases what it holds.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns.
  explicit ComPtr(T* p) : p_(p) {}
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Releases what is held and gives the slot to an out-parameter.
  T** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // Gives up the reference without releasing it.
  T* detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};
