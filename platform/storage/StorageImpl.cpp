#include "platform/storage/StorageObjects.h"

#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix::cfb {

bool validModeBits(DWORD mode) {
  constexpr DWORD kKnown = 0x3 | 0x70 | STGM_TRANSACTED | STGM_SIMPLE | STGM_PRIORITY | STGM_DELETEONRELEASE |
                           STGM_NOSCRATCH | STGM_CREATE | STGM_CONVERT | STGM_NOSNAPSHOT | STGM_DIRECT_SWMR;
  return (mode & ~kKnown) == 0 && accessOf(mode) != 3 && shareOf(mode) <= STGM_SHARE_DENY_NONE;
}

namespace {

// Modes of elements below a storage: exclusive, no transaction for streams,
// nothing that only a file can have.
HRESULT checkElementMode(DWORD mode, bool storage, bool creating) {
  if (!validModeBits(mode) || shareOf(mode) != STGM_SHARE_EXCLUSIVE) return STG_E_INVALIDFLAG;
  DWORD refused = STGM_PRIORITY | STGM_CONVERT | STGM_SIMPLE | STGM_NOSNAPSHOT | STGM_DIRECT_SWMR;
  if (!storage) refused |= STGM_TRANSACTED;
  if (!creating) refused |= STGM_CREATE;
  if (mode & refused) return STG_E_INVALIDFLAG;
  if (mode & STGM_DELETEONRELEASE) return STG_E_INVALIDFUNCTION;
  return S_OK;
}

}  // namespace

StorageImpl::StorageImpl(std::shared_ptr<CompoundFile> file, std::unique_ptr<Node> tree, DWORD mode)
    : file_(std::move(file)), mode_(mode), root_(true), transacted_(mode & STGM_TRANSACTED) {
  own_ = std::move(tree);
  node_ = own_.get();
}

StorageImpl::StorageImpl(StorageImpl* parent, const NameKey& key, Node* element, DWORD mode)
    : file_(parent->file_), mode_(mode), root_(false), depth_(parent->depth_ + 1), transacted_(mode & STGM_TRANSACTED) {
  parent_ = parent;
  key_ = key;
  // A transacted storage sees its element as it is until it changes it.
  base_ = transacted_ ? element : nullptr;
  shared_ = transacted_;
  node_ = element;
}

StorageImpl::~StorageImpl() = default;

ULONG StorageImpl::Release() {
  if (--refs_) return refs_;
  if (node_ && !transacted_ && (dirty_ || flushOnRelease_)) flushDirect();
  else if (parent_ && flushOnRelease_) parent_->flushDirect();
  revertChildren();
  leaveParent();
  if (root_) {
    own_.reset();
    file_->close();
    if (file_->deleteOnRelease && !file_->path.empty()) ::unlink(file_->path.c_str());
  }
  delete this;
  return 0;
}

void StorageImpl::revertChildren() {
  auto open = std::move(open_);
  open_.clear();
  for (auto& [key, element] : open) element->revertOpen();
}

void StorageImpl::revertOpen() {
  revertChildren();
  node_ = nullptr;
  base_ = nullptr;
  own_.reset();
  parent_ = nullptr;
}

HRESULT StorageImpl::prepareChange() {
  if (!transacted_) return parent_ ? parent_->prepareChange() : S_OK;
  if (!shared_) return S_OK;
  // The elements as they are stay with this storage, since what is open
  // below points into them; the parent keeps a copy of them.
  try {
    std::unique_ptr<Node> copy = base_->clone();
    auto own = std::make_unique<Node>();
    own->name = base_->name;
    own->storage = true;
    own->clsid = base_->clsid;
    own->stateBits = base_->stateBits;
    own->ctime = base_->ctime;
    own->mtime = base_->mtime;
    own->children = std::move(base_->children);
    base_->children = std::move(copy->children);
    own_ = std::move(own);
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  node_ = own_.get();
  shared_ = false;
  return S_OK;
}

bool StorageImpl::canWrite() const { return modeWrites(mode_); }

void StorageImpl::markDirty() {
  dirty_ = true;
  if (!transacted_ && parent_) parent_->markDirty();
}

HRESULT StorageImpl::flushDirect() {
  if (transacted_ || !node_) return S_OK;
  if (parent_) return parent_->flushDirect();
  if (root_ && dirty_ && file_->holdWrites == 0) return writeFile();
  return S_OK;
}

HRESULT StorageImpl::writeFile() {
  const HRESULT hr = file_->commit(*own_);
  if (FAILED(hr)) return hr;
  dirty_ = false;
  return S_OK;
}

HRESULT StorageImpl::changedStructure() {
  node_->mtime = fileTimeNow();
  markDirty();
  return flushDirect();
}

HRESULT StorageImpl::createElement(const Name16& name, bool storage, DWORD grfMode, OpenElement** out) {
  if (!node_) return STG_E_REVERTED;
  const NameKey key(name);
  if (const HRESULT hr = checkElementMode(grfMode, storage, true); FAILED(hr)) return hr;
  if (!canWrite() || (modeReads(grfMode) && !modeReads(mode_))) return STG_E_ACCESSDENIED;
  if (storage && depth_ >= kMaxStorageDepth) return STG_E_INVALIDFUNCTION;
  if (node_->find(key)) {
    if (!(grfMode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
    if (open_.count(key)) return STG_E_ACCESSDENIED;
  }
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  try {
    auto element = std::make_unique<Node>();
    element->name = name;
    element->storage = storage;
    if (storage) element->ctime = element->mtime = fileTimeNow();
    else element->data = std::make_shared<StreamData>();
    Node* added = element.get();
    node_->children.erase(key);
    node_->children.emplace(key, std::move(element));
    OpenElement* object;
    if (storage) object = new StorageImpl(this, key, added, grfMode);
    else object = new StreamImpl(this, key, added, grfMode);
    object->flushOnRelease_ = true;
    open_[key] = object;
    *out = object;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  node_->mtime = fileTimeNow();
  markDirty();
  return S_OK;
}

HRESULT StorageImpl::openElement(const NameKey& key, bool storage, DWORD grfMode, OpenElement** out) {
  if (!node_) return STG_E_REVERTED;
  if (const HRESULT hr = checkElementMode(grfMode, storage, false); FAILED(hr)) return hr;
  Node* element = node_->find(key);
  if (!element || element->storage != storage) return STG_E_FILENOTFOUND;
  if ((modeWrites(grfMode) && !canWrite()) || (modeReads(grfMode) && !modeReads(mode_))) return STG_E_ACCESSDENIED;
  if (open_.count(key)) return STG_E_ACCESSDENIED;
  try {
    OpenElement* object;
    if (storage) object = new StorageImpl(this, key, element, grfMode);
    else object = new StreamImpl(this, key, element, grfMode);
    open_[key] = object;
    *out = object;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  return S_OK;
}

HRESULT StorageImpl::CreateStream(const char* name, DWORD grfMode, DWORD, DWORD, IStream** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  Name16 key;
  if (const HRESULT hr = nameFromCaller(name, &key); FAILED(hr)) return hr;
  OpenElement* object = nullptr;
  const HRESULT hr = createElement(key, false, grfMode, &object);
  if (SUCCEEDED(hr)) *out = static_cast<StreamImpl*>(object);
  return hr;
}

HRESULT StorageImpl::OpenStream(const char* name, void*, DWORD grfMode, DWORD, IStream** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  Name16 key;
  if (const HRESULT hr = nameFromCaller(name, &key); FAILED(hr)) return hr;
  OpenElement* object = nullptr;
  const HRESULT hr = openElement(NameKey(key), false, grfMode, &object);
  if (SUCCEEDED(hr)) *out = static_cast<StreamImpl*>(object);
  return hr;
}

HRESULT StorageImpl::CreateStorage(const char* name, DWORD grfMode, DWORD, DWORD, IStorage** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  Name16 key;
  if (const HRESULT hr = nameFromCaller(name, &key); FAILED(hr)) return hr;
  OpenElement* object = nullptr;
  const HRESULT hr = createElement(key, true, grfMode, &object);
  if (SUCCEEDED(hr)) *out = static_cast<StorageImpl*>(object);
  return hr;
}

HRESULT StorageImpl::OpenStorage(const char* name, IStorage* priority, DWORD grfMode, void* exclude, DWORD,
                                 IStorage** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  if (priority || exclude) return STG_E_INVALIDPARAMETER;
  Name16 key;
  if (const HRESULT hr = nameFromCaller(name, &key); FAILED(hr)) return hr;
  OpenElement* object = nullptr;
  const HRESULT hr = openElement(NameKey(key), true, grfMode, &object);
  if (SUCCEEDED(hr)) *out = static_cast<StorageImpl*>(object);
  return hr;
}

HRESULT StorageImpl::CopyTo(DWORD ciidExclude, const IID*, const char* const* excludeNames, IStorage* dest) {
  if (!node_) return STG_E_REVERTED;
  if (!dest) return STG_E_INVALIDPOINTER;
  if (ciidExclude != 0) return STG_E_INVALIDPARAMETER;
  auto* target = dynamic_cast<StorageImpl*>(dest);
  if (!target) return STG_E_INVALIDPARAMETER;
  if (!modeReads(mode_)) return STG_E_ACCESSDENIED;
  try {
    // A fixed picture of the source, so that copying into one of its own
    // sub-storages ends.
    const std::unique_ptr<Node> source = node_->clone();
    // Direct-mode writes wait until the whole copy is there.
    ++target->file_->holdWrites;
    const HRESULT hr = copyInto(*source, *target, excludeNames);
    --target->file_->holdWrites;
    const HRESULT flushed = target->flushDirect();
    return FAILED(hr) ? hr : flushed;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

HRESULT StorageImpl::copyInto(const Node& source, StorageImpl& dest, const char* const* excludeNames) {
  if (HRESULT hr = dest.SetClass(source.clsid); FAILED(hr)) return hr;
  if (HRESULT hr = dest.SetStateBits(source.stateBits, ~DWORD(0)); FAILED(hr)) return hr;
  constexpr DWORD kMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
  for (const auto& [key, child] : source.children) {
    bool excluded = false;
    for (const char* const* n = excludeNames; n && *n && !excluded; ++n) {
      Name16 name;
      excluded = SUCCEEDED(nameFromCaller(*n, &name)) && NameKey(name) == key;
    }
    if (excluded) continue;
    OpenElement* object = nullptr;
    if (!child->storage) {
      if (HRESULT hr = dest.createElement(child->name, false, kMode | STGM_CREATE, &object); FAILED(hr)) return hr;
      ComPtr<StreamImpl> stream(static_cast<StreamImpl*>(object));
      auto data = std::make_shared<StreamData>();
      data->size = child->data ? child->data->size : 0;
      data->bytes.resize(std::size_t(data->size));
      if (data->size) {
        if (HRESULT hr = child->data->read(0, data->bytes.data(), data->bytes.size()); FAILED(hr)) return hr;
      }
      stream->replaceData(std::move(data));
      continue;
    }
    const Node* existing = dest.node_->find(key);
    HRESULT hr = existing && existing->storage ? dest.openElement(key, true, kMode, &object)
                                               : dest.createElement(child->name, true, kMode | STGM_CREATE, &object);
    if (FAILED(hr)) return hr;
    ComPtr<StorageImpl> sub(static_cast<StorageImpl*>(object));
    if (hr = copyInto(*child, *sub.get(), nullptr); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT StorageImpl::DestroyElement(const char* name) {
  if (!node_) return STG_E_REVERTED;
  Name16 caller;
  if (const HRESULT hr = nameFromCaller(name, &caller); FAILED(hr)) return hr;
  if (!canWrite()) return STG_E_ACCESSDENIED;
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  const NameKey key(caller);
  const auto it = node_->children.find(key);
  if (it == node_->children.end()) return STG_E_FILENOTFOUND;
  if (const auto open = open_.find(key); open != open_.end()) {
    OpenElement* element = open->second;
    open_.erase(open);
    element->revertOpen();
  }
  node_->children.erase(it);
  return changedStructure();
}

HRESULT StorageImpl::RenameElement(const char* oldName, const char* newName) {
  if (!node_) return STG_E_REVERTED;
  Name16 from, to;
  if (const HRESULT hr = nameFromCaller(oldName, &from); FAILED(hr)) return hr;
  if (const HRESULT hr = nameFromCaller(newName, &to); FAILED(hr)) return hr;
  if (!canWrite()) return STG_E_ACCESSDENIED;
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  const NameKey fromKey(from), toKey(to);
  auto it = node_->children.find(fromKey);
  if (it == node_->children.end()) return STG_E_FILENOTFOUND;
  if (!(fromKey == toKey) && node_->find(toKey)) return STG_E_FILEALREADYEXISTS;
  if (open_.count(fromKey)) return STG_E_ACCESSDENIED;
  std::unique_ptr<Node> element = std::move(it->second);
  node_->children.erase(it);
  element->name = to;
  node_->children.emplace(toKey, std::move(element));
  return changedStructure();
}

HRESULT StorageImpl::EnumElements(std::vector<STATSTG>* out) {
  if (!out) return STG_E_INVALIDPOINTER;
  out->clear();
  if (!node_) return STG_E_REVERTED;
  for (const auto& [key, child] : node_->children) {
    STATSTG s;
    s.pwcsName = nameToCaller(child->name);
    s.type = child->storage ? STGTY_STORAGE : STGTY_STREAM;
    s.cbSize = child->data ? child->data->size : 0;
    s.ctime = child->ctime;
    s.mtime = child->mtime;
    s.clsid = child->clsid;
    s.grfStateBits = child->stateBits;
    out->push_back(std::move(s));
  }
  return S_OK;
}

HRESULT StorageImpl::SetElementTimes(const char* name, const FILETIME* ctime, const FILETIME*,
                                     const FILETIME* mtime) {
  if (!node_) return STG_E_REVERTED;
  if (!canWrite()) return STG_E_ACCESSDENIED;
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  Node* target = node_;
  if (name) {
    Name16 key;
    if (const HRESULT hr = nameFromCaller(name, &key); FAILED(hr)) return hr;
    target = node_->find(NameKey(key));
    if (!target) return STG_E_FILENOTFOUND;
  }
  if (ctime) target->ctime = *ctime;
  if (mtime) target->mtime = *mtime;
  markDirty();
  return flushDirect();
}

HRESULT StorageImpl::SetClass(REFCLSID clsid) {
  if (!node_) return STG_E_REVERTED;
  if (!canWrite()) return STG_E_ACCESSDENIED;
  if (node_->clsid == clsid) return S_OK;
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  node_->clsid = clsid;
  markDirty();
  return flushDirect();
}

HRESULT StorageImpl::SetStateBits(DWORD grfStateBits, DWORD grfMask) {
  if (!node_) return STG_E_REVERTED;
  if (!canWrite()) return STG_E_ACCESSDENIED;
  const DWORD bits = (node_->stateBits & ~grfMask) | (grfStateBits & grfMask);
  if (bits == node_->stateBits) return S_OK;
  if (const HRESULT hr = prepareChange(); FAILED(hr)) return hr;
  node_->stateBits = bits;
  markDirty();
  return flushDirect();
}

bool StorageImpl::isFileAt(const char* path) const {
  struct stat open {}, named {};
  return root_ && file_->io()->fd() >= 0 && ::fstat(file_->io()->fd(), &open) == 0 && ::stat(path, &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

HRESULT StorageImpl::Stat(STATSTG* out, DWORD grfStatFlag) {
  if (!out) return STG_E_INVALIDPOINTER;
  if (!node_) return STG_E_REVERTED;
  *out = STATSTG{};
  out->type = STGTY_STORAGE;
  out->grfMode = mode_;
  out->clsid = node_->clsid;
  out->grfStateBits = node_->stateBits;
  out->ctime = node_->ctime;
  out->mtime = node_->mtime;
  if (root_) {
    struct stat st {};
    if (file_->io()->fd() >= 0 && ::fstat(file_->io()->fd(), &st) == 0) {
      out->mtime = out->ctime = fileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
      out->atime = fileTimeFromUnix(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    }
    if (!(grfStatFlag & STATFLAG_NONAME)) out->pwcsName = file_->path;
  } else if (!(grfStatFlag & STATFLAG_NONAME)) {
    out->pwcsName = nameToCaller(node_->name);
  }
  return S_OK;
}

HRESULT StorageImpl::Commit(DWORD grfCommitFlags) {
  if (!node_) return STG_E_REVERTED;
  if (grfCommitFlags & ~DWORD(0xF)) return STG_E_INVALIDFLAG;
  if (!canWrite()) return S_OK;
  if (!transacted_) return root_ ? writeFile() : flushDirect();
  if (root_) return writeFile();
  if (!shared_) {
    // The elements become the parent's (under the name the parent has), and
    // this storage sees them there from now on: nothing is copied.
    if (const HRESULT hr = parent_->prepareChange(); FAILED(hr)) return hr;
    base_->clsid = own_->clsid;
    base_->stateBits = own_->stateBits;
    base_->ctime = own_->ctime;
    base_->mtime = own_->mtime;
    base_->children = std::move(own_->children);
    own_.reset();
    node_ = base_;
    shared_ = true;
  }
  dirty_ = false;
  parent_->markDirty();
  return parent_->flushDirect();
}

HRESULT StorageImpl::Revert() {
  if (!node_) return STG_E_REVERTED;
  if (!transacted_) return S_OK;
  revertChildren();
  if (root_) {
    // The state last committed is the file's.
    std::unique_ptr<Node> tree;
    if (const HRESULT hr = file_->reload(&tree); FAILED(hr)) return hr;
    own_ = std::move(tree);
    node_ = own_.get();
  } else {
    own_.reset();
    node_ = base_;
    shared_ = true;
  }
  dirty_ = false;
  return S_OK;
}

}  // namespace tallix::cfb
