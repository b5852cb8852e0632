#include "datamodel/QXMemberFileItems.h"

#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDiffEqItem.h"

#include "datamodel/QXItemNames.h"

#include <cstring>

void CQXMemberFileItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(m_typeId));
  m_blocks.Load(ar);
  EndRecord(ar, DWORD(m_typeId));
}

void CQXMemberFileItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(m_typeId));
  m_blocks.Store(ar);
  WriteRecordEnd(ar, DWORD(m_typeId));
}

int CQXMemberFileItem::FindBlockIndex(const char* name) const {
  if (!name) return -1;
  // The name ends at 0x00 or 0xFF like GetName, so an 8-character name is
  // not run into the group that follows it.
  for (int i = 0; i < m_blocks.GetCount(); ++i)
    if (m_blocks.GetAt(i)->Name() == name) return i;
  return -1;
}

CQXRawBlock* CQXMemberFileItem::FindBlock(const char* name) const { return m_blocks.GetAt(FindBlockIndex(name)); }

BOOL CQXMemberFileItem::RemoveBlock(const char* name) { return m_blocks.RemoveAt(FindBlockIndex(name)) != nullptr; }

BOOL CQXAddInItem::GetName(char* buffer, UINT size) const {
  const CQXRawBlock* first = GetBlockList().GetAt(0);
  return first && first->GetGroup(buffer, size);
}

void CQXAddInItem::GetDisplayName(char* buffer, UINT size) {
  const CQXRawBlock* first = GetBlockList().GetAt(0);
  const std::string name = first ? first->Group() : std::string();
  if (name.empty())
    CQXMemberFileItem::GetDisplayName(buffer, size);
  else
    CopyText(name, buffer, size);
}

void CQXMemoryItem::GetDisplayName(char* buffer, UINT size) {
  const std::string name = m_block.Name();
  if (name.empty())
    DisplayString(10334, {}, buffer, size);
  else
    CopyText(name, buffer, size);
}

void CQXMemoryItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_block.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXMemoryItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_block.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

std::unique_ptr<CQXMemberFileItem> NewMemberFileItem(int kind) {
  switch (kind) {
    case kKindDynamicGraphMemoryV5: return std::make_unique<CQXDynaGraphMemItem>();
    case kKindCasMemory: return std::make_unique<CQXCasMemItem>();
    case kKindAlgebraMemory: return std::make_unique<CQXAlgebraMemItem>();
    case kKindDifferentialEquations: return std::make_unique<CQXDiffEqItem>();
    case kKindDataLoggerSetUp: return std::make_unique<CQXDataLoggerItem>();
    case kKindBackupV5: return std::make_unique<CQXBackupItem>();
    case kKindOtherMemory: return std::make_unique<CQXAddInItem>();
    default: return nullptr;
  }
}
