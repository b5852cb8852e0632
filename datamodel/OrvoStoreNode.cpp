#include "datamodel/OrvoStoreNode.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kDamaged = 0x20000010;
constexpr DWORD kBadVersion = 0x2000000E;
constexpr DWORD kBadLayout = 0x2000000F;
// Item paths are at most 255 characters, so no real tree is deeper than this.
constexpr int kMaxDepth = 256;

void put(std::vector<BYTE>& out, DWORD v) {
  for (int i = 0; i < 4; ++i) out.push_back(BYTE(v >> (8 * i)));
}

void putString(std::vector<BYTE>& out, const std::string& s) {
  put(out, DWORD(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

DWORD recordSize(const COrvoStoreNode& n) {
  return 52 + DWORD(n.name.size()) + DWORD(n.description.size()) + 4 * DWORD(n.Children().size());
}

void encodeNode(std::vector<BYTE>& out, const COrvoStoreNode& n) {
  put(out, recordSize(n));
  put(out, kNodeHeaderSize);
  put(out, kNodeMagic);
  out.insert(out.end(), 12, 0);
  put(out, n.id);
  put(out, n.flags);
  putString(out, n.name);
  putString(out, n.description);
  put(out, n.valueA);  // value A is stored before value B
  put(out, n.valueB);
  put(out, DWORD(n.Children().size()));
  for (const auto& c : n.Children()) put(out, c->id);
  for (const auto& c : n.Children()) encodeNode(out, *c);
}

DWORD subtreeSize(const COrvoStoreNode& n) {
  DWORD size = recordSize(n);
  for (const auto& c : n.Children()) size += subtreeSize(*c);
  return size;
}

class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  size_t left() const { return size_ - pos_; }
  bool dword(DWORD* v) {
    if (left() < 4) return false;
    const BYTE* p = data_ + pos_;
    *v = GetLittleEndian32(p);
    pos_ += 4;
    return true;
  }
  bool bytes(size_t n, std::string* out) {
    if (left() < n) return false;
    out->assign(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return true;
  }
  bool skip(size_t n) {
    if (left() < n) return false;
    pos_ += n;
    return true;
  }

 private:
  const BYTE* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct Decoder {
  Reader r;
  std::vector<DWORD> ids;  // every record's id, checked for repeats at the end
  DWORD nextFreeId = 0;

  void noteId(DWORD id) {
    if (id != 0xFFFFFFFFu && nextFreeId < id + 1) nextFreeId = id + 1;
  }

  // Reads the record of `node`, whose id and parent its placeholder carries.
  bool readNode(COrvoStoreNode* node, int depth) {
    if (depth > kMaxDepth) return false;
    DWORD size = 0, headerSize = 0, magic = 0, id = 0;
    if (!r.dword(&size) || !r.dword(&headerSize) || !r.dword(&magic)) return false;
    if (headerSize != kNodeHeaderSize || magic != kNodeMagic || !r.skip(12)) return false;
    if (!r.dword(&id) || !r.dword(&node->flags)) return false;
    // The record's own id must be the one its parent listed.
    if (node->parent && id != node->id) return false;
    node->id = id;
    ids.push_back(id);
    noteId(id);
    DWORD length = 0;
    if (!r.dword(&length) || !r.bytes(length, &node->name)) return false;
    if (!r.dword(&length) || !r.bytes(length, &node->description)) return false;
    DWORD count = 0;
    if (!r.dword(&node->valueA) || !r.dword(&node->valueB) || !r.dword(&count)) return false;
    // Each child needs at least its id here and a whole record later.
    if (count > r.left() / (4 + 52)) return false;
    node->ReserveChildren(count);
    for (DWORD i = 0; i < count; ++i) {
      auto child = std::make_unique<COrvoStoreNode>();
      if (!r.dword(&child->id)) return false;
      noteId(child->id);
      node->AppendChild(std::move(child));
    }
    for (auto& c : node->Children())
      if (!readNode(c.get(), depth + 1)) return false;
    return true;
  }
};

}  // namespace

DWORD DirectorySize(const COrvoStoreNode& root) { return kDirectoryHeaderSize + subtreeSize(root); }

std::vector<BYTE> EncodeDirectory(const COrvoStoreNode& root, DWORD nextFreeId, char separator) {
  std::vector<BYTE> out;
  out.reserve(DirectorySize(root));
  put(out, DirectorySize(root));
  put(out, kDirectoryHeaderSize);
  put(out, kDirectoryVersion);
  put(out, nextFreeId);
  put(out, kDirectoryLayout);
  out.push_back(BYTE(separator));
  out.resize(kDirectoryHeaderSize, 0);
  encodeNode(out, root);
  return out;
}

DWORD DecodeDirectory(const BYTE* data, size_t size, COrvoStoreNode* root, DWORD* nextFreeId, char* separator) {
  if (!data || size < kDirectoryHeaderSize) return kDamaged;
  Reader header(data, kDirectoryHeaderSize);
  DWORD total = 0, headerSize = 0, version = 0, next = 0, layout = 0;
  header.dword(&total);
  header.dword(&headerSize);
  header.dword(&version);
  header.dword(&next);
  header.dword(&layout);
  if (headerSize != kDirectoryHeaderSize) return kDamaged;
  if (version != kDirectoryVersion) return kBadVersion;
  const char sep = char(data[20]);
  if (layout != kDirectoryLayout) return kBadLayout;

  Decoder d{Reader(data + kDirectoryHeaderSize, size - kDirectoryHeaderSize), {}, next};
  root->parent = nullptr;
  bool read = d.readNode(root, 0);
  if (read) {
    std::sort(d.ids.begin(), d.ids.end());
    read = std::adjacent_find(d.ids.begin(), d.ids.end()) == d.ids.end();
  }
  if (!read) {
    root->ClearChildren();
    return kDamaged;
  }
  *nextFreeId = d.nextFreeId;
  *separator = sep;
  return 0;
}
