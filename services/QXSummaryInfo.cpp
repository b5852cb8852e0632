#include "services/QXSummaryInfo.h"

#include "platform/ByteOrder.h"
#include "platform/storage/CompoundFile.h"
#include "platform/storage/ElementTree.h"

#include <cstdio>
#include <cstring>

using namespace tallix::propset;

namespace {

// The platform version in the low word (major 10, minor 0) and 2, a 32-bit
// Windows system, in the high word.
constexpr DWORD kOsVersion = 0x0002000A;
constexpr WORD kAnsiCodePage = 1252;
constexpr std::size_t kSetHeaderSize = 28;
constexpr std::size_t kSectionEntrySize = 20;

std::uint64_t now() {
  const FILETIME t = tallix::cfb::fileTimeNow();
  return std::uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

}  // namespace

CQXSummaryInfo::CQXSummaryInfo() : m_osVersion(kOsVersion), m_classId(FMTID_SummaryInformation) {
  auto section = std::make_unique<CQXPropertySection>(FMTID_SummaryInformation);
  m_summary = section.get();
  m_sections.push_back(std::move(section));

  BYTE codePage[2];
  PutLittleEndian16(codePage, kAnsiCodePage);
  m_summary->Set(PIDSI_CODEPAGE, codePage, VT_I2);
  for (DWORD id = PIDSI_TITLE; id <= PIDSI_LASTAUTHOR; ++id) SetText(id, "");
  SetText(PIDSI_REVNUMBER, "0");
  for (DWORD id : {PIDSI_EDITTIME, PIDSI_LASTPRINTED, PIDSI_LASTSAVE_DTM, PIDSI_CREATE_DTM}) SetFileTime(id, 0);
  for (DWORD id : {PIDSI_PAGECOUNT, PIDSI_WORDCOUNT, PIDSI_CHARCOUNT}) SetLong(id, 0);
  SetText(PIDSI_APPNAME, "");
  SetLong(PIDSI_EXTRA_VALUE, 0);
}

BOOL CQXSummaryInfo::SetText(DWORD id, const char* text) {
  return m_summary && m_summary->Set(id, text ? text : "", VT_LPSTR);
}

BOOL CQXSummaryInfo::GetText(DWORD id, std::string* out) const {
  out->clear();
  const CQXProperty* p = m_summary ? m_summary->Find(id) : nullptr;
  DWORD length = 0;
  const BYTE* text = p && p->GetType() == VT_LPSTR ? p->Get(&length) : nullptr;
  if (!text) return FALSE;
  out->assign(reinterpret_cast<const char*>(text), length);
  out->resize(std::strlen(out->c_str()));  // up to the NUL
  return TRUE;
}

BOOL CQXSummaryInfo::SetLong(DWORD id, LONG value) {
  BYTE bytes[4];
  PutLittleEndian32(bytes, DWORD(value));
  return m_summary && m_summary->Set(id, bytes, VT_I4);
}

BOOL CQXSummaryInfo::SetFileTime(DWORD id, std::uint64_t value) {
  BYTE bytes[8];
  PutLittleEndian32(bytes, DWORD(value));
  PutLittleEndian32(bytes + 4, DWORD(value >> 32));
  return m_summary && m_summary->Set(id, bytes, VT_FILETIME);
}

std::uint64_t CQXSummaryInfo::GetFileTime(DWORD id) const {
  const CQXProperty* p = m_summary ? m_summary->Find(id) : nullptr;
  DWORD size = 0;
  const BYTE* v = p && p->GetType() == VT_FILETIME ? p->Get(&size) : nullptr;
  return v ? std::uint64_t(GetLittleEndian32(v + 4)) << 32 | GetLittleEndian32(v) : 0;
}

BOOL CQXSummaryInfo::IncrementRevision() {
  std::string text;
  GetText(PIDSI_REVNUMBER, &text);
  unsigned long revision = 0;
  std::sscanf(text.c_str(), "%lu", &revision);
  char buf[24];
  std::snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(DWORD(revision + 1)));
  return SetText(PIDSI_REVNUMBER, buf);
}

BOOL CQXSummaryInfo::ResetRevision() { return SetText(PIDSI_REVNUMBER, "0"); }

void CQXSummaryInfo::StartEditTimer() { m_editTimerStart = now(); }

BOOL CQXSummaryInfo::AddEditTime() {
  return SetFileTime(PIDSI_EDITTIME, GetFileTime(PIDSI_EDITTIME) + (now() - m_editTimerStart));
}

BOOL CQXSummaryInfo::SetCreateTime() { return SetFileTime(PIDSI_CREATE_DTM, now()); }

BOOL CQXSummaryInfo::SetLastSaveTime() { return SetFileTime(PIDSI_LASTSAVE_DTM, now()); }

BOOL CQXSummaryInfo::WriteToStream(IStream* stream) {
  std::uint64_t start = 0;
  if (!stream || !Tell(stream, &start)) return FALSE;
  const DWORD count = DWORD(m_sections.size());
  // Header and section table are written last, over placeholders.
  std::vector<BYTE> head(kSetHeaderSize + kSectionEntrySize * count);
  PutLittleEndian16(&head[0], m_byteOrder);
  PutLittleEndian16(&head[2], m_format);
  PutLittleEndian32(&head[4], m_osVersion);
  tallix::cfb::writeClsid(&head[8], m_classId);
  PutLittleEndian32(&head[24], count);
  if (!WriteExact(stream, head.data(), ULONG(head.size()))) return FALSE;
  for (DWORD i = 0; i < count; ++i) {
    std::uint64_t at = 0;
    if (!Tell(stream, &at) || !m_sections[i]->Write(stream)) return FALSE;
    BYTE* entry = &head[kSetHeaderSize + kSectionEntrySize * i];
    tallix::cfb::writeClsid(entry, m_sections[i]->GetFormatId());
    PutLittleEndian32(entry + 16, DWORD(at - start));
  }
  std::uint64_t end = 0;
  return Tell(stream, &end) && SeekTo(stream, start) && WriteExact(stream, head.data(), ULONG(head.size())) &&
         SeekTo(stream, end);
}

BOOL CQXSummaryInfo::ReadFromStream(IStream* stream) {
  std::uint64_t left = 0;
  BYTE header[kSetHeaderSize];
  if (!stream || !SeekTo(stream, 0) || !BytesLeft(stream, &left) || !ReadExact(stream, header, sizeof header))
    return FALSE;
  // Value blocks of a sound set lie side by side in the stream: a set that
  // claims more bytes than that reuses them and is refused.
  PropertyReadBudget budget = left;
  const DWORD count = GetLittleEndian32(header + 24);
  if (!BytesLeft(stream, &left) || count > left / kSectionEntrySize) return FALSE;
  std::vector<BYTE> table(kSectionEntrySize * count);
  if (!ReadExact(stream, table.data(), ULONG(table.size()))) return FALSE;

  std::vector<std::unique_ptr<CQXPropertySection>> sections;
  CQXPropertySection* summary = nullptr;
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* entry = &table[kSectionEntrySize * i];
    auto section = std::make_unique<CQXPropertySection>(tallix::cfb::readClsid(entry));
    if (!section->Read(stream, GetLittleEndian32(entry + 16), &budget)) return FALSE;
    if (!summary && section->GetFormatId() == FMTID_SummaryInformation) summary = section.get();
    sections.push_back(std::move(section));
  }
  if (!summary) return FALSE;
  m_byteOrder = GetLittleEndian16(header);
  m_format = GetLittleEndian16(header + 2);
  m_osVersion = GetLittleEndian32(header + 4);
  m_classId = tallix::cfb::readClsid(header + 8);
  m_sections = std::move(sections);
  m_summary = summary;
  return TRUE;
}

BOOL CQXSummaryInfo::WriteToStorage(IStorage* storage) {
  if (!storage) return FALSE;
  ComPtr<IStream> stream;
  if (FAILED(storage->CreateStream(kSummaryInformationStream, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   0, stream.put())))
    return FALSE;
  return WriteToStream(stream.get()) && SUCCEEDED(stream->Commit(STGC_DEFAULT));
}

BOOL CQXSummaryInfo::ReadFromStorage(IStorage* storage) {
  if (!storage) return FALSE;
  ComPtr<IStream> stream;
  if (FAILED(storage->OpenStream(kSummaryInformationStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                 stream.put())))
    return FALSE;
  return ReadFromStream(stream.get());
}
