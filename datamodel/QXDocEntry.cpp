#include "datamodel/QXDocEntry.h"

#include "services/ProgramServices.h"
#include "datamodel/QXItemFactory.h"

#include <cstring>

CQXDocEntry::~CQXDocEntry() {
  if (m_ownsObjects) {
    delete m_item;
    delete m_description;
  }
}

void CQXDocEntry::SetItem(CQXCalcItem* item) {
  if (m_ownsObjects && m_item != item) delete m_item;
  m_item = item;
}

CQXCalcItem* CQXDocEntry::DetachItem() {
  CQXCalcItem* item = m_item;
  m_item = nullptr;
  return item;
}

void CQXDocEntry::SetDescription(CQXDescription* description) {
  if (m_ownsObjects && m_description != description) delete m_description;
  m_description = description;
}

int CQXDocEntry::SetPath(const char* path) {
  m_path = path ? path : "";
  if (m_path.size() > 255) m_path.resize(255);
  return int(m_path.size()) + 1;
}

UINT CQXDocEntry::GetPath(char* buffer, UINT size) const {
  if (!buffer || m_path.size() >= size) return 0;
  std::memcpy(buffer, m_path.c_str(), m_path.size() + 1);
  return UINT(m_path.size());
}

UINT CQXDocEntry::GetFolder(char* buffer, UINT size) const { return GetItemFolderPath(m_path.c_str(), buffer, size); }

UINT CQXDocEntry::GetName(char* buffer, UINT size) const { return GetItemNameFromPath(m_path.c_str(), buffer, size); }

DWORD CQXDocEntry::GetStoredSize() {
  const DWORD itemSize = m_item ? m_item->GetStoredSize() : 0;
  const DWORD descriptionSize = m_description ? m_description->GetStoredSize() : 0;
  return 16 + 16 + itemSize + descriptionSize + 4;
}

void CQXDocEntry::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTag);
  ar.ReadDwordValue();  // total: not compared with what follows
  const DWORD itemSize = ar.ReadDwordValue();
  const DWORD descriptionSize = ar.ReadDwordValue();
  const int typeId = int(ar.ReadDwordValue());
  if (itemSize != 0) {
    ar.RequireBytes(itemSize);
    CQXCalcItem* item = CreateItemByTypeId(typeId);
    if (!item) ThrowArchiveException(kArchiveBadRecord);
    SetItem(item);
    item->Load(ar);
  }
  if (descriptionSize != 0) {
    ar.RequireBytes(descriptionSize);
    auto* description = new CQXDescription;
    SetDescription(description);
    description->Load(ar);
  }
  EndRecord(ar, kTag);
}

void CQXDocEntry::Store(COrvoArchive& ar) {
  if (!m_item) return;
  const DWORD itemSize = m_item->GetStoredSize();
  const DWORD descriptionSize = m_description ? m_description->GetStoredSize() : 0;
  ar.SetLength(GetStoredSize());
  WriteRecordStart(ar, kTag);
  ar.WriteDwordValue(itemSize + descriptionSize + 16);
  ar.WriteDwordValue(itemSize);
  ar.WriteDwordValue(descriptionSize);
  ar.WriteDwordValue(DWORD(m_item->GetTypeId()));
  m_item->Store(ar);
  if (m_description) m_description->Store(ar);
  WriteRecordEnd(ar, kTag);
}
