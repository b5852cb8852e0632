#include "datamodel/QXGraphFuncSets.h"

#include <cstring>
#include <new>

namespace {
constexpr DWORD kEntryMinSize = 16;  // an entry's stored size without its expression
}

CQXGraphFuncSet::CQXGraphFuncSet(DWORD count, DWORD value) : m_expectedCount(count) { Init(count, value); }

BOOL CQXGraphFuncSet::Init(DWORD count, DWORD value) {
  m_value = value;
  try {
    std::vector<std::unique_ptr<CQXGraphFuncEntry>> entries;
    entries.reserve(count);
    for (DWORD i = 0; i < count; ++i) entries.push_back(std::make_unique<CQXGraphFuncEntry>());
    m_entries = std::move(entries);
  } catch (const std::bad_alloc&) {
    m_entries.clear();
    return FALSE;
  }
  return TRUE;
}

CQXGraphFuncEntry* CQXGraphFuncSet::GetEntry(int i) const {
  return i >= 0 && i < GetCount() ? m_entries[size_t(i)].get() : nullptr;
}

DWORD CQXGraphFuncSet::GetSetSize() {
  DWORD size = kRecordFrameSize + 8;
  for (auto& entry : m_entries) size += entry->GetStoredSize();
  return size;
}

DWORD CQXGraphFuncSet::GetStoredSize() {
  return GetSetSize() + (GetTypeId() == kTypeId ? 0 : kRecordFrameSize);
}

void CQXGraphFuncSet::Load(COrvoArchive& ar) {
  const bool wrapped = GetTypeId() != kTypeId;
  if (wrapped) BeginRecord(ar, DWORD(GetTypeId()));
  BeginRecord(ar, kSetTag);
  const DWORD count = ar.ReadDwordValue();
  const DWORD value = ar.ReadDwordValue();
  if ((m_expectedCount && count != m_expectedCount) || count > ar.BytesLeft() / kEntryMinSize)
    ThrowArchiveException(kArchiveBadRecord);
  if (!Init(count, value)) throw std::bad_alloc();
  for (auto& entry : m_entries) entry->Load(ar);
  EndRecord(ar, kSetTag);
  if (wrapped) EndRecord(ar, DWORD(GetTypeId()));
}

void CQXGraphFuncSet::Store(COrvoArchive& ar) {
  const bool wrapped = GetTypeId() != kTypeId;
  if (wrapped) WriteRecordStart(ar, DWORD(GetTypeId()));
  WriteRecordStart(ar, kSetTag);
  ar.WriteDwordValue(DWORD(m_entries.size()));
  ar.WriteDwordValue(m_value);
  for (auto& entry : m_entries) entry->Store(ar);
  WriteRecordEnd(ar, kSetTag);
  if (wrapped) WriteRecordEnd(ar, DWORD(GetTypeId()));
}

// --- Recursion ----------------------------------------------------------------

BOOL CQXRecursionV5Item::InitValues() { return m_formulas.InitFormulas() && m_range.InitValues(); }

DWORD CQXRecursionV5Item::GetStoredSize() {
  return kRecordFrameSize + 4 + m_formulas.GetStoredSize() + m_range.GetStoredSize();
}

void CQXRecursionV5Item::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_type = ar.ReadDwordValue();
  m_formulas.Load(ar);
  m_range.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXRecursionV5Item::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  ar.WriteDwordValue(m_type);
  m_formulas.Store(ar);
  m_range.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXRecursionV5Item::ParseSetupHeader(const BYTE* packet, int length) {
  if (!packet || length < kSetupHeaderSize) return FALSE;
  if (packet[5] != '0' || std::memcmp(packet + 7, "Y=Data", 6) != 0) return FALSE;
  m_type = packet[6];
  return TRUE;
}

BOOL CQXRecursionV5Item::BuildSetupHeader(BYTE* buffer, int n) const {
  if (!buffer || n < kSetupHeaderSize) return FALSE;
  std::memset(buffer, 0xFF, size_t(n));
  std::memcpy(buffer + 1, "SET1", 4);
  buffer[5] = '0';
  buffer[6] = BYTE(m_type);
  std::memcpy(buffer + 7, "Y=Data", 6);
  return TRUE;
}

int CQXRecursionV5Item::GetRecursionOrder() const {
  return m_type == 1 || m_type == 2 ? 2 : m_type == 3 || m_type == 4 ? 3 : 1;
}

char CQXRecursionV5Item::GetStartIndexChar() const { return m_type == 2 || m_type == 4 ? '1' : '0'; }

void CQXRecursionV5Item::SetRecursionType(int order, char startChar) {
  const DWORD second = startChar == '1' ? 1 : 0;
  m_type = order == 2 ? 1 + second : order == 3 ? 3 + second : 0;
}
