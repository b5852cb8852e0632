#include "datamodel/QXStorable.h"

#include <algorithm>
#include <cstring>

int CQXHeaderField::ReadHeader(const BYTE*, int) { return 0; }
int CQXHeaderField::WriteHeader(BYTE*, int) { return 0; }

void CQXRecordHeader::Store(COrvoArchive& ar) const {
  ar.WriteDword(&m_tag);
  for (DWORD r : m_reserved) ar.WriteDword(&r);
}

void CQXRecordHeader::Load(COrvoArchive& ar) {
  ar.ReadDword(&m_tag);
  for (DWORD& r : m_reserved) ar.ReadDword(&r);
}

void BeginRecord(COrvoArchive& ar, DWORD tag) {
  CQXRecordHeader header;
  header.Load(ar);
  if (!header.IsTag(tag)) ThrowArchiveException(kArchiveBadRecord);
}

void EndRecord(COrvoArchive& ar, DWORD tag) { ExpectDword(ar, EndMarkOf(tag)); }

void WriteRecordStart(COrvoArchive& ar, DWORD tag) { CQXRecordHeader(tag).Store(ar); }

void WriteRecordEnd(COrvoArchive& ar, DWORD tag) { ar.WriteDwordValue(EndMarkOf(tag)); }

void ExpectDword(COrvoArchive& ar, DWORD expected) {
  if (ar.ReadDwordValue() != expected) ThrowArchiveException(kArchiveBadRecord);
}

std::vector<BYTE> ReadLeafRecord(COrvoArchive& ar, DWORD tag) {
  ExpectDword(ar, tag);
  const DWORD count = ar.ReadDwordValue();
  return ar.ReadBytes(count);
}

void WriteLeafRecord(COrvoArchive& ar, DWORD tag, const void* bytes, DWORD count) {
  ar.WriteDwordValue(tag);
  ar.WriteDwordValue(count);
  if (count) ar.Write(bytes, count);
}

void CQXText::Load(COrvoArchive& ar) {
  const std::vector<BYTE> bytes = ReadLeafRecord(ar, kTag);
  m_text.assign(bytes.begin(), bytes.end());
}

void CQXText::Store(COrvoArchive& ar) { WriteLeafRecord(ar, kTag, m_text.data(), DWORD(m_text.size())); }

void CQXText::GetText(char* buffer, UINT size) const {
  if (!buffer || size == 0) return;
  const size_t n = std::min<size_t>(m_text.size(), size - 1);
  std::memcpy(buffer, m_text.data(), n);
  buffer[n] = '\0';
}

void CQXDescription::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTag);
  m_format = ar.ReadDwordValue();
  const DWORD count = ar.ReadDwordValue();
  m_bytes = ar.ReadBytes(count);
  EndRecord(ar, kTag);
}

void CQXDescription::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTag);
  ar.WriteDwordValue(m_format);
  ar.WriteDwordValue(DWORD(m_bytes.size()));
  if (!m_bytes.empty()) ar.Write(m_bytes.data(), DWORD(m_bytes.size()));
  WriteRecordEnd(ar, kTag);
}
