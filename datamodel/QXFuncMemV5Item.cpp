#include "datamodel/QXFuncMemV5Item.h"

#include <cstring>
#include <new>

void CQXFuncMemEntry::Load(COrvoArchive& ar) { m_bytes = ar.ReadBytes(ar.ReadDwordValue()); }

void CQXFuncMemEntry::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(GetLength());
  if (!m_bytes.empty()) ar.Write(m_bytes.data(), GetLength());
}

void CQXFuncMemEntry::SetBytes(const BYTE* data, DWORD length) {
  if (!data || length <= 1)
    m_bytes.clear();
  else
    m_bytes.assign(data, data + length - 1);
}

void CQXFuncMemEntry::Assign(const BYTE* data, DWORD length) {
  if (!data || length == 0)
    m_bytes.clear();
  else
    m_bytes.assign(data, data + length);
}

BOOL CQXFuncMemEntry::GetBytes(BYTE* buffer, DWORD size) const {
  if (!buffer || size < GetBufferSize()) return FALSE;
  if (!m_bytes.empty()) std::memcpy(buffer, m_bytes.data(), m_bytes.size());
  buffer[m_bytes.size()] = 0;
  return TRUE;
}

BOOL CQXFuncMemV5Item::InitEntries() {
  try {
    m_entries.assign(kCount, CQXFuncMemEntry());
  } catch (const std::bad_alloc&) {
    m_entries.clear();
    return FALSE;
  }
  return TRUE;
}

CQXFuncMemEntry* CQXFuncMemV5Item::GetEntry(int i) {
  return i >= 0 && i < int(m_entries.size()) ? &m_entries[size_t(i)] : nullptr;
}

DWORD CQXFuncMemV5Item::GetStoredSize() {
  DWORD size = kRecordFrameSize + 8;
  for (CQXFuncMemEntry& e : m_entries) size += e.GetStoredSize();
  return size;
}

void CQXFuncMemV5Item::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  ExpectDword(ar, kCount);
  ExpectDword(ar, kCount);
  std::vector<CQXFuncMemEntry> entries(kCount);
  for (CQXFuncMemEntry& e : entries) e.Load(ar);
  EndRecord(ar, kTypeId);
  m_entries = std::move(entries);
}

void CQXFuncMemV5Item::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  ar.WriteDwordValue(kCount);
  ar.WriteDwordValue(kCount);
  for (CQXFuncMemEntry& e : m_entries) e.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}
