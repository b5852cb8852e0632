// The tree operations, enumeration and item streams of the item store.
#include "datamodel/OrvoItemStore.h"


#include <algorithm>
#include <cstring>

namespace {

std::string pathOf(const OrvoNodeInfo* info) { return std::string(info->path, strnlen(info->path, sizeof info->path)); }

std::string descriptionOf(const OrvoNodeInfo* info) {
  return std::string(info->description, strnlen(info->description, sizeof info->description));
}

void fill(OrvoNodeInfo* out, const COrvoStoreNode& node) {
  out->flags = node.flags;
  out->SetPath(node.name.c_str());
  out->SetDescription(node.description.c_str());
  out->valueA = node.valueA;
  out->valueB = node.valueB;
}

bool isUnder(const COrvoStoreNode* node, const COrvoStoreNode* ancestor) {
  for (; node; node = node->parent)
    if (node == ancestor) return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------- paths

bool COrvoItemStore::SplitPath(const std::string& path, char separator, std::string* folder, std::string* leaf) {
  const size_t cut = path.rfind(separator);
  if (cut == std::string::npos) return false;
  *folder = path.substr(0, cut);
  *leaf = path.substr(cut + 1);
  if (folder->empty() && !path.empty() && path[0] == separator) *folder = std::string(1, separator);
  return !folder->empty() && !leaf->empty();
}

COrvoStoreNode* COrvoItemStore::FindFolder(const std::string& path) const {
  COrvoStoreNode* node = const_cast<COrvoStoreNode*>(&m_rootNode);
  if (path == std::string(1, m_separator)) return node;
  size_t pos = (!path.empty() && path[0] == m_separator) ? 1 : 0;
  while (pos <= path.size()) {
    size_t end = path.find(m_separator, pos);
    if (end == std::string::npos) end = path.size();
    node = node->FindFolderChild(path.substr(pos, end - pos));
    if (!node) return nullptr;
    pos = end + 1;
  }
  return node;
}

COrvoStoreNode* COrvoItemStore::FindNode(const std::string& path) const {
  std::string folder, leaf;
  if (!SplitPath(path, m_separator, &folder, &leaf)) return nullptr;
  COrvoStoreNode* parent = FindFolder(folder);
  return parent ? parent->FindChild(leaf) : nullptr;
}

// ---------------------------------------------------------------- nodes

COrvoStoreNode* COrvoItemStore::NewNode(const OrvoNodeInfo* info, const std::string& leaf) {
  auto* node = new COrvoStoreNode;
  node->id = m_nextFreeId++;
  node->flags = info->flags;
  node->name = leaf;
  node->description = descriptionOf(info);
  node->valueA = info->valueA;
  node->valueB = info->valueB;
  return node;
}

BOOL COrvoItemStore::AddNodeChecked(const OrvoNodeInfo* info, COrvoStoreNode** created) {
  *created = nullptr;
  if (!info) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  std::string folder, leaf;
  if (!SplitPath(pathOf(info), m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  const bool isFolder = (info->flags & kNodeFolder) != 0;
  const bool underRoot = folder == std::string(1, m_separator);
  if (isFolder && underRoot && m_rootNode.FindFolderChild(leaf)) return Fail(ORVO_E_ROOTFOLDEREXISTS);
  COrvoStoreNode* parent = FindFolder(folder);
  if (!parent) return Fail(ORVO_E_PATHNOTFOUND);
  if (!isFolder && parent->FindChild(leaf)) return Fail(ORVO_E_NODEEXISTS);

  *created = parent->InsertChild(std::unique_ptr<COrvoStoreNode>(NewNode(info, leaf)));
  return TRUE;
}

BOOL COrvoItemStore::AddNode(const OrvoNodeInfo* info) {
  m_lastError = 0;
  COrvoStoreNode* created = nullptr;
  if (!AddNodeChecked(info, &created)) return FALSE;
  return TreeChanged();
}

void COrvoItemStore::DestroyItemElement(DWORD id) {
  if (m_items) m_items->DestroyElement(ItemStreamName(id).c_str());
}

BOOL COrvoItemStore::DeleteNode(const char* path) {
  m_lastError = 0;
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  std::string folder, leaf;
  if (!path || !SplitPath(path, m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  COrvoStoreNode* node = FindNode(path);
  if (!node) return FALSE;
  // Enumerations of the removed folders end.
  for (auto& h : m_findHandles)
    if (h->folder && isUnder(h->folder, node)) h->folder = nullptr;
  // Descendants deepest first, with their data streams (failures ignored).
  struct Walk {
    COrvoItemStore* store;
    void operator()(COrvoStoreNode* n) {
      while (!n->Children().empty()) {
        COrvoStoreNode* child = n->Children().back().get();
        (*this)(child);
        store->DestroyItemElement(child->id);
        n->Unlink(child);
      }
    }
  };
  Walk{this}(node);
  if (node->id != 1 && node->parent) {
    DestroyItemElement(node->id);
    node->parent->Unlink(node);
  }
  return TreeChanged();
}

BOOL COrvoItemStore::SetNodeInfo(const char* path, const OrvoNodeInfo* info, int mask) {
  m_lastError = 0;
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  if (!info) return Fail(ORVO_E_BADPATH);
  std::string folder, leaf;
  if (!path || !SplitPath(path, m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  COrvoStoreNode* node = FindNode(path);
  if (!node) return FALSE;
  if (mask & ORVO_SET_NAME) node->SetName(pathOf(info));
  if (mask & ORVO_SET_DESCRIPTION) node->SetDescription(descriptionOf(info));
  if (mask & ORVO_SET_VALUEA) node->valueA = info->valueA;
  if (mask & ORVO_SET_VALUEB) node->valueB = info->valueB;
  if (mask & ORVO_SET_ADDFLAGS) node->SetFlags(node->flags | info->flags);
  if (mask & ORVO_SET_CLEARFLAGS) node->SetFlags(node->flags & ~info->flags);
  return TreeChanged();
}

BOOL COrvoItemStore::GetNodeInfo(const char* path, OrvoNodeInfo* out) {
  m_lastError = 0;
  if (!out) return Fail(ORVO_E_BADPATH);
  std::string folder, leaf;
  if (!path || !SplitPath(path, m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  COrvoStoreNode* node = FindNode(path);
  if (!node) return Fail(ORVO_E_PATHNOTFOUND);
  out->size = sizeof(OrvoNodeInfo);
  fill(out, *node);
  return TRUE;
}

BOOL COrvoItemStore::FindChildByDescription(const char* folderPath, const char* description, OrvoNodeInfo* out) {
  m_lastError = 0;
  if (!out || !description) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  const COrvoStoreNode* folder = folderPath ? FindFolder(folderPath) : nullptr;
  if (!folder) return Fail(ORVO_E_PATHNOTFOUND);
  const COrvoStoreNode* child = folder->FindChildByDescription(description);
  if (!child) return Fail(ORVO_E_NOTFOUND);
  *out = OrvoNodeInfo{};
  fill(out, *child);
  return TRUE;
}

// ---------------------------------------------------------------- enumeration

BOOL COrvoItemStore::FindFirst(const char* folderPath, OrvoFindHandle* out) {
  m_lastError = 0;
  if (!out) return Fail(ORVO_E_BADPATH);
  *out = nullptr;
  COrvoStoreNode* folder = folderPath ? FindFolder(folderPath) : nullptr;
  if (!folder || folder->Children().empty()) return FALSE;
  auto data = std::make_unique<OrvoFindData>();
  data->folder = folder;
  *out = data.get();
  m_findHandles.push_back(std::move(data));
  return TRUE;
}

BOOL COrvoItemStore::FindNext(OrvoFindHandle handle) {
  m_lastError = 0;
  if (!handle || !handle->folder) return FALSE;
  if (handle->position + 1 >= handle->folder->Children().size()) return FALSE;
  ++handle->position;
  return TRUE;
}

BOOL COrvoItemStore::GetFoundInfo(OrvoFindHandle handle, OrvoNodeInfo* out) {
  m_lastError = 0;
  if (!handle || !out || !handle->folder || handle->position >= handle->folder->Children().size())
    return Fail(ORVO_E_BADPATH);
  *out = OrvoNodeInfo{};
  fill(out, *handle->folder->Children()[handle->position]);
  return TRUE;
}

BOOL COrvoItemStore::FindClose(OrvoFindHandle handle) {
  m_lastError = 0;
  for (auto it = m_findHandles.begin(); it != m_findHandles.end(); ++it) {
    if (it->get() == handle) {
      m_findHandles.erase(it);
      return TRUE;
    }
  }
  return Fail(ORVO_E_BADPATH);
}

// ---------------------------------------------------------------- item streams

BOOL COrvoItemStore::OpenItemStream(const OrvoNodeInfo* info, IStream** out, int flags) {
  m_lastError = 0;
  if (!out) return Fail(ORVO_E_BADPATH);
  *out = nullptr;
  if (!info) return Fail(ORVO_E_BADPATH);
  std::string folder, leaf;
  if (!SplitPath(pathOf(info), m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  COrvoStoreNode* node = FindNode(pathOf(info));
  bool created = false;
  if (node) {
    if ((flags & ORVO_STREAM_CREATENODE) && (flags & ORVO_STREAM_NEWNODEONLY)) return Fail(ORVO_E_NODEEXISTS);
  } else {
    if (!(flags & ORVO_STREAM_CREATENODE)) return FALSE;
    if (!AddNodeChecked(info, &node)) return FALSE;
    created = true;
  }
  DWORD mode = (flags & ORVO_STREAM_READ) ? STGM_READ : (flags & ORVO_STREAM_WRITE) ? STGM_WRITE : STGM_READWRITE;
  mode |= STGM_SHARE_EXCLUSIVE;
  const std::string name = ItemStreamName(node->id);
  HRESULT hr = (flags & ORVO_STREAM_CREATE) ? m_items->CreateStream(name.c_str(), mode | STGM_CREATE, 0, 0, out)
                                            : m_items->OpenStream(name.c_str(), nullptr, mode, 0, out);
  if (FAILED(hr) || !*out) {
    if (*out) (*out)->Release();
    *out = nullptr;
    // A node made for this stream goes again: no item without data is left.
    if (created) {
      node->parent->Unlink(node);
      --m_nextFreeId;
    }
    return FailHr(hr);
  }
  if (created) return TreeChanged();
  return TRUE;
}

BOOL COrvoItemStore::CloseItemStream(IStream* stream) {
  m_lastError = 0;
  if (!stream) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  stream->Release();
  return TRUE;
}

BOOL COrvoItemStore::DeleteItemStream(const OrvoNodeInfo* info) {
  m_lastError = 0;
  if (!info) return Fail(ORVO_E_BADPATH);
  std::string folder, leaf;
  if (!SplitPath(pathOf(info), m_separator, &folder, &leaf)) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  COrvoStoreNode* node = FindNode(pathOf(info));
  if (!node) return Fail(ORVO_E_PATHNOTFOUND);
  const HRESULT hr = m_items->DestroyElement(ItemStreamName(node->id).c_str());
  if (FAILED(hr) && DWORD(hr) != 0x80030002) return FailHr(hr);  // already missing counts as done
  m_dirty = TRUE;
  return TRUE;
}

BOOL COrvoItemStore::Read(IStream* stream, void* buffer, DWORD count) {
  m_lastError = 0;
  if (!stream) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  ULONG read = 0;
  const HRESULT hr = stream->Read(buffer, count, &read);
  if (FAILED(hr)) return FailHr(hr);
  return read == count ? TRUE : Fail(ORVO_E_FAIL);
}

BOOL COrvoItemStore::Write(IStream* stream, const void* buffer, DWORD count) {
  m_lastError = 0;
  if (!stream) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  ULONG written = 0;
  const HRESULT hr = stream->Write(buffer, count, &written);
  if (written) m_dirty = TRUE;
  if (FAILED(hr)) return FailHr(hr);
  return written == count ? TRUE : Fail(ORVO_E_FAIL);
}

BOOL COrvoItemStore::GetStreamLength(IStream* stream, DWORD* out) {
  m_lastError = 0;
  if (!stream || !out) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  STATSTG stat{};
  const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return FailHr(hr);
  *out = DWORD(stat.cbSize);
  return TRUE;
}

BOOL COrvoItemStore::SetStreamLength(IStream* stream, DWORD length) {
  m_lastError = 0;
  if (!stream) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  const HRESULT hr = stream->SetSize(length);
  if (FAILED(hr)) return FailHr(hr);
  m_dirty = TRUE;
  return TRUE;
}

BOOL COrvoItemStore::Seek(IStream* stream, DWORD position) {
  m_lastError = 0;
  if (!stream) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  const HRESULT hr = stream->Seek(position, STREAM_SEEK_SET, nullptr);
  return FAILED(hr) ? FailHr(hr) : TRUE;
}

BOOL COrvoItemStore::GetStreamPosition(IStream* stream, DWORD* out) {
  m_lastError = 0;
  if (!stream || !out) return Fail(ORVO_E_BADPATH);
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  std::uint64_t position = 0;
  const HRESULT hr = stream->Seek(0, STREAM_SEEK_CUR, &position);
  if (FAILED(hr)) return FailHr(hr);
  *out = DWORD(position);
  return TRUE;
}
