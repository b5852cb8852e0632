// The storage and stream objects handed to callers. A storage works on a node
// of an element tree: its own copy when transacted, its parent's node when
// direct. Each storage knows what is open below it, to refuse a second open
// and to revert what is open when the storage goes away or is reverted.
#pragma once

#include "platform/storage/CompoundFile.h"
#include "platform/storage/ElementTree.h"
#include "platform/storage/Storage.h"

#include <map>
#include <memory>

namespace tallix::cfb {

class StorageImpl;

// A stream or storage opened through a storage.
class OpenElement {
 public:
  // Its element is gone, or the view it worked on was discarded: every call
  // but Release gives STG_E_REVERTED from now on.
  virtual void revertOpen() = 0;

 protected:
  virtual ~OpenElement() = default;
  void leaveParent();

  StorageImpl* parent_ = nullptr;
  NameKey key_{Name16()};
  // Whether releasing it sends changes on towards the file (direct mode).
  bool flushOnRelease_ = false;
  friend class StorageImpl;
};

class StreamImpl final : public IStream, public OpenElement {
 public:
  StreamImpl(StorageImpl* parent, const NameKey& key, Node* node, DWORD mode);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
  HRESULT SetSize(std::uint64_t newSize) override;
  HRESULT Commit(DWORD grfCommitFlags) override;
  HRESULT Revert() override;
  HRESULT Stat(STATSTG* out, DWORD grfStatFlag) override;

  void revertOpen() override;
  // Gives the stream new bytes at once (copying between storages).
  void replaceData(std::shared_ptr<StreamData> data);

 private:
  HRESULT makeWritable();
  void changed();

  ULONG refs_ = 1;
  Node* node_;
  DWORD mode_;
  std::uint64_t pos_ = 0;
};

class StorageImpl final : public IStorage, public OpenElement {
 public:
  // The root storage of an open file, working on `tree`.
  StorageImpl(std::shared_ptr<CompoundFile> file, std::unique_ptr<Node> tree, DWORD mode);
  // A storage below `parent`, working on `element`.
  StorageImpl(StorageImpl* parent, const NameKey& key, Node* element, DWORD mode);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT CreateStream(const char* name, DWORD grfMode, DWORD reserved1, DWORD reserved2, IStream** out) override;
  HRESULT OpenStream(const char* name, void* reserved1, DWORD grfMode, DWORD reserved2, IStream** out) override;
  HRESULT CreateStorage(const char* name, DWORD grfMode, DWORD reserved1, DWORD reserved2, IStorage** out) override;
  HRESULT OpenStorage(const char* name, IStorage* priority, DWORD grfMode, void* exclude, DWORD reserved,
                      IStorage** out) override;
  HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, const char* const* excludeNames,
                 IStorage* dest) override;
  HRESULT DestroyElement(const char* name) override;
  HRESULT RenameElement(const char* oldName, const char* newName) override;
  HRESULT EnumElements(std::vector<STATSTG>* out) override;
  HRESULT SetElementTimes(const char* name, const FILETIME* ctime, const FILETIME* atime,
                          const FILETIME* mtime) override;
  HRESULT SetClass(REFCLSID clsid) override;
  HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) override;
  HRESULT Stat(STATSTG* out, DWORD grfStatFlag) override;
  HRESULT Commit(DWORD grfCommitFlags) override;
  HRESULT Revert() override;

  void revertOpen() override;

  // Whether this is the root storage of the file that `path` names.
  bool isFileAt(const char* path) const;

  // Used by the open streams and storages below.
  void markDirty();
  HRESULT flushDirect();
  // Before a change of this storage's elements: a transacted storage that
  // still sees its parent's elements takes them as its own (the parent
  // gets a copy); a direct one asks its parent.
  HRESULT prepareChange();
  void forget(const NameKey& key) { open_.erase(key); }
  bool canWrite() const;

 private:
  ~StorageImpl() override;
  HRESULT createElement(const Name16& name, bool storage, DWORD grfMode, OpenElement** out);
  HRESULT openElement(const NameKey& key, bool storage, DWORD grfMode, OpenElement** out);
  HRESULT copyInto(const Node& source, StorageImpl& dest, const char* const* excludeNames);
  HRESULT writeFile();
  void revertChildren();
  HRESULT changedStructure();

  std::shared_ptr<CompoundFile> file_;
  ULONG refs_ = 1;
  DWORD mode_;
  bool root_;
  unsigned depth_ = 0;
  bool transacted_;
  bool dirty_ = false;
  Node* node_ = nullptr;             // what this storage works on; null once reverted
  std::unique_ptr<Node> own_;        // root: the tree; transacted: the private copy once changed
  Node* base_ = nullptr;             // transacted sub-storage: its element in the parent
  bool shared_ = false;              // transacted sub-storage unchanged: node_ is base_
  std::map<NameKey, OpenElement*> open_;
};

// Checks of open modes shared by the file functions and the storages.
bool validModeBits(DWORD mode);
inline DWORD accessOf(DWORD mode) { return mode & 3; }
inline DWORD shareOf(DWORD mode) { return mode & 0x70; }
inline bool modeReads(DWORD mode) { return accessOf(mode) != STGM_WRITE; }
inline bool modeWrites(DWORD mode) { return accessOf(mode) != STGM_READ; }

// The largest stream: what version 3 of the format can hold.
constexpr std::uint64_t kMaxStreamSize = 0x7FFFFFFF;

}  // namespace tallix::cfb
