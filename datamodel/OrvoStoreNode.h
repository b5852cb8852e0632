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

class COrvoStoreNode {
 public:
  DWORD id = 0;
  DWORD flags = 0;
  std::string name;         // empty: none
  std::string description;  // empty: none
  DWORD valueB = 0;
  DWORD valueA = 0;
  std::vector<std::unique_ptr<COrvoStoreNode>> children;  // folders before items
  COrvoStoreNode* parent = nullptr;

  bool IsFolder() const { return (flags & kNodeFolder) != 0; }
  // The child named `name`: folders are tried before items.
  COrvoStoreNode* FindChild(const std::string& childName) const;
  COrvoStoreNode* FindFolderChild(const std::string& childName) const;
  // Takes the child out of the list and hands it back.
  std::unique_ptr<COrvoStoreNode> Unlink(COrvoStoreNode* child);
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
