#include "datamodel/QXMemImageItems.h"

#include "datamodel/QXTextRecords.h"

#include <cstring>
#include <string>

namespace {

constexpr BYTE kCalcMemChar = 0x99;  // the calculator character between 'G' and "Mem"
constexpr int kNumberAt = 5;

}  // namespace

CQXMemImageItem::CQXMemImageItem(const char* code) : m_code(code) { m_record.kind.Set("MEM", code); }

DWORD CQXMemImageItem::GetStoredSize() {
  return kRecordFrameSize + m_record.GetStoredSize() + 4 + kOldHeaderLength + m_record.data.GetStoredSize();
}

void CQXMemImageItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(GetTypeId()));
  m_record.Load(ar);
  ExpectDword(ar, 1);
  BYTE header[kOldHeaderLength];
  ar.Read(header, sizeof header);
  if (!ParseHeader(header, kOldHeaderLength)) ThrowArchiveException(kArchiveBadRecord);
  m_record.data.Load(ar);
  EndRecord(ar, DWORD(GetTypeId()));
}

void CQXMemImageItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(GetTypeId()));
  m_record.Store(ar);
  ar.WriteDwordValue(1);
  BYTE header[kOldHeaderLength];
  BuildHeader(header, kOldHeaderLength);
  ar.Write(header, sizeof header);
  m_record.data.Store(ar);
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}

BOOL CQXMemImageItem::BuildHeader(BYTE* header, int size) {
  if (!IsOldHeader(header, size)) return FALSE;
  StartOldHeader(header, "MEM");
  m_record.kind.WriteHeader(header, size);
  PutBigEndian32(header + 7, GetLength() + 2);
  m_record.name.WriteHeader(header, size);
  m_record.seven.WriteHeader(header, size);
  m_record.eight.WriteHeader(header, size);
  return TRUE;
}

BOOL CQXMemImageItem::ParseHeader(const BYTE* header, int size) {
  if (!IsOldHeader(header, size) || !HasOldHeaderKind(header, "MEM") || std::memcmp(header + 5, m_code, 2) != 0 ||
      GetHeaderDataLength(header, size) < 2)
    return FALSE;
  CQXMemHeaderRecord fields;
  if (!fields.kind.ReadHeader(header, size) || !fields.name.ReadHeader(header, size) ||
      !fields.seven.ReadHeader(header, size) || !fields.eight.ReadHeader(header, size))
    return FALSE;
  m_record.kind = fields.kind;
  m_record.name = fields.name;
  m_record.seven = fields.seven;
  m_record.eight = fields.eight;
  return TRUE;
}

BOOL CQXMemImageItem::GetBytes(BYTE* buffer, int size) const {
  return size >= 0 && m_record.data.CopyTo(buffer, DWORD(size));
}

BOOL CQXMemImageItem::SetBytes(const BYTE* bytes, int length) {
  if (length < 0 || (length > 0 && !bytes)) return FALSE;
  m_record.data.SetData(bytes, DWORD(length));
  return TRUE;
}

void CQXGraphMemItem::GetDisplayName(char* buffer, UINT size) {
  const BYTE number = m_record.name.GetByte(kNumberAt);
  DisplayString(10335, number != kUnsetByte ? std::string(1, char(number)) : std::string(), buffer, size);
}

BOOL CQXGraphMemItem::TakeNameFromPath(const char* path) {
  const size_t n = path ? std::strlen(path) : 0;
  if (n == 0) return FALSE;
  const BYTE name[] = {'G', kCalcMemChar, 'M', 'e', 'm', BYTE(path[n - 1])};
  return m_record.name.Set(name, sizeof name);
}

BOOL CQXGraphMemItem::GetDocName(char* buffer, UINT size) const {
  const BYTE number = m_record.name.GetByte(kNumberAt);
  if (number < '1' || number > '6' || !buffer || size < 6) return FALSE;
  std::memcpy(buffer, "GMem", 4);
  buffer[4] = char(number);
  buffer[5] = '\0';
  return TRUE;
}

void CQXDynaGraphMemV4Item::GetDisplayName(char* buffer, UINT size) { DisplayString(10336, {}, buffer, size); }

void CQXBackupV4Item::GetDisplayName(char* buffer, UINT size) { DisplayString(10340, {}, buffer, size); }
