// The tree of an item store: folders and items with ids, flags, names,
// descriptions and two values, and its stored form, the "Directory" stream.
//
// "Directory" (dwords little-endian): a 1024-byte header {total size, header
// size 1024, version 1, next free id, layout value 2, separator '\', zeros},
// then one record per node, depth first in pre-order:
//   record size (52 + name length + description length + 4 x children),
//   node header size 24, magic 0xAB01DE02, 12 zero bytes, id, flags,
//   name length + name, description length + description, value A, value B,
//   child count, child ids.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

// Node flags.
enum : DWORD {
  kNodeFolder = 0x1,
  kNodeSortAscending = 0x20,   // items kept in ascending order of description
  kNodeSortDescending = 0x40,  // items kept in descending order (0x20 wins)
};

// A node of the tree. A folder keeps its children in the order the
// Directory records: folders first, in their order of creation, then the
// items; in a sorted folder (0x20/0x40) an item goes before the first item
// whose non-empty description lies beyond its own in the order of
// tallix::CompareTextLocale (after its equals). Each description's
// comparison key is made once, when the child comes or changes, and while the
// items stand in that order the place is found by binary search. Large
// folders find children by name and description through an index.
class COrvoStoreNode {
 public:
  using ChildList = std::vector<std::unique_ptr<COrvoStoreNode>>;

  DWORD id = 0;
  DWORD flags = 0;
  std::string name;         // empty: none
  std::string description;  // empty: none
  DWORD valueB = 0;
  DWORD valueA = 0;
  COrvoStoreNode* parent = nullptr;

  COrvoStoreNode();
  ~COrvoStoreNode();
  COrvoStoreNode(const COrvoStoreNode&) = delete;
  COrvoStoreNode& operator=(const COrvoStoreNode&) = delete;

  bool IsFolder() const { return (flags & kNodeFolder) != 0; }
  const ChildList& Children() const { return children_; }
  // The child named `name`: folders are tried before items; the first in
  // order among equals.
  COrvoStoreNode* FindChild(const std::string& childName) const;
  COrvoStoreNode* FindFolderChild(const std::string& childName) const;
  // The first child in order whose description is exactly `text`.
  COrvoStoreNode* FindChildByDescription(const std::string& text) const;

  // Appends a child as the last one (reading a stored tree).
  COrvoStoreNode* AppendChild(std::unique_ptr<COrvoStoreNode> child);
  void ReserveChildren(size_t count) { children_.reserve(count); }
  // Files a new child at its place (see above).
  COrvoStoreNode* InsertChild(std::unique_ptr<COrvoStoreNode> child);
  // Takes the child out of the list and hands it back.
  std::unique_ptr<COrvoStoreNode> Unlink(COrvoStoreNode* child);
  void ClearChildren();
  // Changes of what the order and the look-ups rest on: a child's name,
  // description or flags, and a folder's own flags.
  void SetName(std::string text);
  void SetDescription(std::string text);
  void SetFlags(DWORD value);

 private:
  struct Index;
  Index& index() const;
  void PrepareOrder();
  size_t FirstItem() const;
  size_t SortedPlace(const std::string& key, size_t first) const;
  bool Beyond(const COrvoStoreNode& child, const std::string& key) const;

  ChildList children_;
  mutable std::unique_ptr<Index> index_;  // large folders, made when first needed
  std::string sortKey_;         // in a sorted folder: the key of the description
  bool keysReady_ = false;      // sorted folder: every child has its key
  bool orderChecked_ = false;   // and inOrder_ is known:
  bool inOrder_ = false;        // the items stand in order (binary search)
};

constexpr DWORD kDirectoryHeaderSize = 1024;
constexpr DWORD kDirectoryVersion = 1;
constexpr DWORD kDirectoryLayout = 2;
constexpr DWORD kNodeHeaderSize = 24;
constexpr DWORD kNodeMagic = 0xAB01DE02;

// The bytes of "Directory" for the tree below `root`.
std::vector<BYTE> EncodeDirectory(const COrvoStoreNode& root, DWORD nextFreeId, char separator);
DWORD DirectorySize(const COrvoStoreNode& root);

// Reads "Directory" into `root` (whose children must be empty). Returns 0 or
// one of the store's error codes: 0x20000010 damaged, 0x2000000E unknown
// version, 0x2000000F unknown layout. Every length, count and id is checked
// against the bytes present; ids must be unique and the tree not absurdly
// deep. `nextFreeId` ends above every id read.
DWORD DecodeDirectory(const BYTE* data, size_t size, COrvoStoreNode* root, DWORD* nextFreeId, char* separator);
