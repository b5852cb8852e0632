#include "datamodel/QXVariableSet.h"

CQXVariableSet::CQXVariableSet(const char* code) { m_kind.Set("VAL", code); }

const CQXStoredNameField* CQXVariableSet::GetEntryName(int i) const {
  return m_names && i >= 0 && i < m_count ? &m_names[i] : nullptr;
}

void CQXVariableSet::SetEntries(int count, const CQXStoredNameField* names) {
  m_count = names && count > 0 ? count : 0;
  m_names = m_count ? names : nullptr;
}

int CQXVariableSet::FindEntry(const char* name) const {
  for (int i = 0; i < m_count; ++i)
    if (m_names[i].Equals(name)) return i;
  return -1;
}

int CQXVariableSet::FindEntry(const BYTE* header, int length) const {
  for (int i = 0; i < m_count; ++i)
    if (m_names[i].Matches(header, length)) return i;
  return -1;
}

BOOL CQXVariableSet::BuildHeader(const char* name, BYTE* header, int length) {
  return BuildHeader(FindEntry(name), header, length);
}

BOOL CQXVariableSet::BuildHeader(int entry, BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !GetEntryName(entry)) return FALSE;
  StartOldHeader(header, "VAL");
  m_group.WriteHeader(header, length);
  m_kind.WriteHeader(header, length);
  CQXStoredNameField name = m_names[entry];
  name.WriteHeader(header, length);
  const CQXNumberCell* cell = m_values.GetCell(entry + 1, 1);
  const unsigned count = cell && !cell->IsEmpty() ? 1 : 0;
  PutBigEndian16(header + 7, count);
  PutBigEndian16(header + 9, count);
  header[27] = cell && cell->GetKind() == CQXNumberCell::kComplex ? 'C' : 'R';
  header[28] = 0x0A;
  m_reserved.WriteHeader(header, length);
  return TRUE;
}

BOOL CQXVariableSet::AcceptHeader(const char* name, const BYTE* header, int length) {
  return AcceptHeader(FindEntry(name), header, length);
}

BOOL CQXVariableSet::AcceptHeader(int entry, const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !GetEntryName(entry)) return FALSE;
  if (!HasOldHeaderKind(header, "VAL") || !m_kind.Matches(header, length)) return FALSE;
  if ((header[27] != 'R' && header[27] != 'C') || header[28] != 0x0A) return FALSE;
  if (GetBigEndian16(header + 7) >= 2 || GetBigEndian16(header + 9) >= 2) return FALSE;
  if (!m_group.IsSet() && !m_group.ReadHeader(header, length)) return FALSE;
  return TRUE;
}

UINT CQXVariableSet::GetDataSize(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || GetBigEndian16(header + 7) == 0 || GetBigEndian16(header + 9) == 0) return 0;
  return header[27] == 'C' ? CQXNumberCell::kComplexRecordSize : CQXNumberCell::kRealRecordSize;
}

UINT CQXVariableSet::GetValueRecord(const char* name, BYTE* out, UINT size) const {
  return GetValueRecord(FindEntry(name), out, size);
}

UINT CQXVariableSet::GetValueRecord(int entry, BYTE* out, UINT size) const {
  const CQXNumberCell* cell = GetEntryName(entry) ? m_values.GetCell(entry + 1, 1) : nullptr;
  if (!cell || cell->IsEmpty()) return 0;
  return cell->GetRecord(out, size, 1, 1);
}

BOOL CQXVariableSet::SetValueRecord(const char* name, const BYTE* record, UINT size) {
  return SetValueRecord(FindEntry(name), record, size);
}

BOOL CQXVariableSet::SetValueRecord(int entry, const BYTE* record, UINT size) {
  return GetEntryName(entry) ? m_values.SetCellRecord(entry + 1, 1, record, size) : FALSE;
}

BOOL CQXVariableSet::SetFromHeader(const BYTE* header, const BYTE* record, UINT size) {
  return SetValueRecord(FindEntry(header, kOldHeaderLength), record, size);
}

void CQXVariableSet::Load(COrvoArchive& ar) {
  ExpectDword(ar, kTag);
  CQXGroupField group;
  group.Load(ar);
  CQXValueGrid values;
  values.Load(ar);
  // The grid holds one value per entry; an empty grid is the set before
  // its first value.
  if (values.IsEmpty()) {
    values.SetSize(m_count, m_count ? 1 : 0);
  } else if (values.GetFirstCount() != m_count || values.GetSecondCount() != 1) {
    ThrowArchiveException(kArchiveBadRecord);
  }
  EndRecord(ar, kTag);
  m_group = group;
  m_values = std::move(values);
}

void CQXVariableSet::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(kTag);
  m_group.Store(ar);
  m_values.Store(ar);
  WriteRecordEnd(ar, kTag);
}
