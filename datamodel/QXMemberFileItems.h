// Items of the newer family whose whole content is a run of raw members
// (dynamic graph memory, data backup, CAS and ALGEBRA memories, add-ins, and
// the differential-equation and data-logger items built on the same base),
// and the single-block memory item.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXRawBlock.h"

#include <memory>

// Stored: record header (tag = type id), the block list, end mark
// 0xFEEF0000 | type id.
class CQXMemberFileItem : public CQXCalcItem {
 public:
  int GetTypeId() const override { return m_typeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(m_stringId, {}, buffer, size); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return kRecordFrameSize + m_blocks.GetStoredSize(); }

  // The members, which a receiver fills and a sender walks in order.
  CQXRawBlockList& GetBlockList() { return m_blocks; }
  const CQXRawBlockList& GetBlockList() const { return m_blocks; }
  // The first block whose variable name (bytes 11-18 up to 0x00 or 0xFF)
  // equals `name` exactly; null when none.
  CQXRawBlock* FindBlock(const char* name) const;
  int FindBlockIndex(const char* name) const;
  // Removes and deletes the first block of that name; TRUE when one was.
  BOOL RemoveBlock(const char* name);

 protected:
  CQXMemberFileItem(int typeId, UINT stringId) : m_typeId(typeId), m_stringId(stringId) {}

 private:
  int m_typeId;
  UINT m_stringId;
  CQXRawBlockList m_blocks;
};

class CQXDynaGraphMemItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5016;
  CQXDynaGraphMemItem() : CQXMemberFileItem(kTypeId, 10336) {}
};

class CQXBackupItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5018;
  CQXBackupItem() : CQXMemberFileItem(kTypeId, 10340) {}
};

class CQXCasMemItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5023;
  CQXCasMemItem() : CQXMemberFileItem(kTypeId, 10348) {}
};

class CQXAlgebraMemItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5024;
  CQXAlgebraMemItem() : CQXMemberFileItem(kTypeId, 10349) {}
};

// An add-in: named by the group of its first block.
class CQXAddInItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5990;
  CQXAddInItem() : CQXMemberFileItem(kTypeId, 10357) {}
  // The group of the first block (at most 8 characters); FALSE without one.
  BOOL GetName(char* buffer, UINT size) const;
  // The name, or string 10357 when there is none.
  void GetDisplayName(char* buffer, UINT size) override;
};

// A new, empty item for the members of a run of newer headers of `kind`
// (5017, 5020-5024, 5026: dynamic graph memory, CAS, ALGEBRA, differential
// equations, data logger, backup, add-in); null for any other kind.
std::unique_ptr<CQXMemberFileItem> NewMemberFileItem(int kind);

// One raw block (type 5019). Stored: record header (tag 5019), the block,
// end mark 0xFEEF139B. Named by the block's variable name.
class CQXMemoryItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 5019;
  int GetTypeId() const override { return kTypeId; }
  // The block's variable name, or string 10334.
  void GetDisplayName(char* buffer, UINT size) override;
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return kRecordFrameSize + m_block.GetStoredSize(); }

  CQXRawBlock& GetBlock() { return m_block; }
  const CQXRawBlock& GetBlock() const { return m_block; }

 private:
  CQXRawBlock m_block;
};
