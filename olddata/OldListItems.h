// The stored classes of an old document: list items (programs, screen copies,
// transfer items, the calculator information) and the memory blocks they
// carry. Serialize reads or writes each in the archive's direction; the
// storing direction fixes the layout that loading reads.
#pragma once

#include "olddata/OldArchive.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qxl16 {

// One item of a document's lists.
class COrvoQXListItem : public CObject {
 public:
  static const OldRuntimeClass classCOrvoQXListItem;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoQXListItem; }
  void Serialize(COldArchive& ar) override;

  WORD m_wAttrA = 0;
  WORD m_wAttrB = 0;
  int m_nKind = -1;
  DWORD m_dwFlags = 0;
  int m_nModel = 0;  // in the calculator information: the model code
  std::string m_strName;
  int m_nLast = 0;
  std::vector<BYTE> m_data;  // at most 65535 bytes are stored
  DWORD m_dwReserved = 0;
};

// One block of memory holding groups of items: a 32-bit total of the bytes
// that follow it, a 32-bit group count, then each group as its 32-bit size
// and its items; an item is a 32-bit length and its bytes, padded with zeros
// to a multiple of 4.
class COrvoGDF2Data : public CObject {
 public:
  static const OldRuntimeClass classCOrvoGDF2Data;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoGDF2Data; }
  // A 32-bit byte count and the whole block.
  void Serialize(COldArchive& ar) override { ar.Bytes32(m_block); }

  // Address and length of item `item` of group `group`; false when the block
  // holds no such item (also when its sizes run past the block).
  bool GetItem(std::size_t group, std::size_t item, const BYTE** address, std::size_t* length) const;
  bool GetFirstItem(const BYTE** address, std::size_t* length) const { return GetItem(0, 0, address, length); }

  std::vector<BYTE> m_block;
};

// One header block: the marker 0xFFFFFFFE, a 32-bit length L, L bytes. Read
// and kept whole; nothing in it is used.
class COrvoGDF2Header : public CObject {
 public:
  static const OldRuntimeClass classCOrvoGDF2Header;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoGDF2Header; }
  // A 32-bit byte count (L + 8) and the whole block.
  void Serialize(COldArchive& ar) override { ar.Bytes32(m_block); }

  std::vector<BYTE> m_block;
};

// The same blocks stored in place, without a class tag: never created by
// name.
class COrvoGDF2StaticData : public COrvoGDF2Data {
 public:
  static const OldRuntimeClass classCOrvoGDF2StaticData;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoGDF2StaticData; }
};
class COrvoGDF2StaticHeader : public COrvoGDF2Header {
 public:
  static const OldRuntimeClass classCOrvoGDF2StaticHeader;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoGDF2StaticHeader; }
};

// One block record of a program or transfer item: raw bytes or one data
// block, never both; neither when the record's kind was unknown.
struct OrvoBlockRecord {
  std::vector<BYTE> bytes;
  std::unique_ptr<COrvoGDF2StaticData> data;

  // The bytes the record carries: its raw bytes when there are any, else the
  // first item of its data block. False when it carries none.
  bool GetSource(const BYTE** address, std::size_t* length) const;
};

// A list item whose blocks carry link headers with their data: the older
// family's 50-byte headers (NP) or the newer family's 40-byte ones (MCS).
class COrvoQXListItemBlocks : public COrvoQXListItem {
 public:
  void Serialize(COldArchive& ar) override;

  BYTE m_text1[32] = {};
  BYTE m_text2[32] = {};
  std::vector<OrvoBlockRecord> m_records;
};

class COrvoQXListItemNP : public COrvoQXListItemBlocks {
 public:
  static const OldRuntimeClass classCOrvoQXListItemNP;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoQXListItemNP; }
};

class COrvoQXListItemMCS : public COrvoQXListItemBlocks {
 public:
  static const OldRuntimeClass classCOrvoQXListItemMCS;
  const OldRuntimeClass* GetRuntimeClass() const override { return &classCOrvoQXListItemMCS; }
};

}  // namespace qxl16
