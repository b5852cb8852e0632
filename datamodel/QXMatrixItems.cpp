#include "datamodel/QXMatrixItems.h"

#include "datamodel/QXItemNames.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstring>

void CQXValueHeaderRecord::Load(COrvoArchive& ar) {
  ExpectDword(ar, kTag);
  name.Load(ar);
  group.Load(ar);
  EndRecord(ar, kTag);
}

void CQXValueHeaderRecord::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(kTag);
  name.Store(ar);
  group.Store(ar);
  WriteRecordEnd(ar, kTag);
}

void BuildTableHeader(BYTE* header, const char* code, int rows, int columns) {
  StartOldHeader(header, "VAL");
  std::memcpy(header + 5, code, 2);
  PutBigEndian16(header + 7, unsigned(rows));
  PutBigEndian16(header + 9, unsigned(columns));
  header[27] = 'R';
  header[28] = 0x0A;
}

BOOL CheckTableHeader(const BYTE* header, int length, const char* code, int* rows, int* columns) {
  if (!IsOldHeader(header, length) || !HasOldHeaderKind(header, "VAL") || std::memcmp(header + 5, code, 2) != 0)
    return FALSE;
  if (header[27] != 'R' || header[28] != 0x0A) return FALSE;
  *rows = int(GetBigEndian16(header + 7));
  *columns = int(GetBigEndian16(header + 9));
  return TRUE;
}

// --- Matrix -----------------------------------------------------------------

void CQXMatrixItem::GetDisplayName(char* buffer, UINT size) {
  const char letter = GetLetter();
  DisplayString(10304, letter ? std::string(1, letter) : std::string(), buffer, size);
}

BOOL CQXMatrixItem::GetDetailText(CQXDetailTextRecord* record) {
  return RowsColumnsDetail(record, DWORD(m_values.GetFirstCount()), DWORD(m_values.GetSecondCount()));
}

BOOL CQXMatrixItem::TakeNameFromPath(const char* path) {
  const std::string name = ItemPathLeaf(path, nullptr);
  return !name.empty() && SetLetter(name.back());
}

BOOL CQXMatrixItem::SetLetter(char letter) {
  if (letter < 'A' || letter > 'Z') return FALSE;
  const char name[] = {'M', 'a', 't', ' ', letter, '\0'};
  return m_header.name.SetName(name);
}

char CQXMatrixItem::GetLetter() const {
  const BYTE c = m_header.name.GetByte(4);
  return c >= 'A' && c <= 'Z' ? char(c) : '\0';
}

BOOL CQXMatrixItem::GetDocName(char* buffer, UINT size) const {
  const char letter = GetLetter();
  return letter && CopyTextOut(std::string("Mat") + letter, buffer, size);
}

DWORD CQXMatrixItem::GetStoredSize() {
  return kRecordFrameSize + m_header.GetStoredSize() + m_values.GetStoredSize();
}

void CQXMatrixItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_header.Load(ar);
  m_values.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXMatrixItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_header.Store(ar);
  m_values.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXMatrixItem::BuildHeader(BYTE* header, int size) {
  if (!IsOldHeader(header, size)) return FALSE;
  BuildTableHeader(header, "MT", m_values.GetFirstCount(), m_values.GetSecondCount());
  return m_header.name.WriteHeader(header, size) && m_header.group.WriteHeader(header, size);
}

BOOL CQXMatrixItem::ParseHeader(const BYTE* header, int size) {
  int rows = 0, columns = 0;
  if (!CheckTableHeader(header, size, "MT", &rows, &columns)) return FALSE;
  if (rows > CQXValueGrid::kMaxCount || columns > CQXValueGrid::kMaxCount || (rows == 0) != (columns == 0))
    return FALSE;
  CQXStoredNameField name;
  if (!name.ReadHeader(header, size)) return FALSE;
  CQXValueGrid values;
  if (!values.SetSize(rows, columns)) return FALSE;
  m_header.name = name;
  m_values = std::move(values);
  return TRUE;
}

// --- List -------------------------------------------------------------------

void CQXListItem::GetDisplayName(char* buffer, UINT size) {
  const char number = GetListNumber();
  DisplayString(GetFileNumber() ? 10342 : 10306, number ? std::string(1, number) : std::string(), buffer, size);
}

BOOL CQXListItem::GetDetailText(CQXDetailTextRecord* record) {
  return RowsDetail(record, DWORD(m_values.GetFirstCount()));
}

BOOL CQXListItem::TakeNameFromPath(const char* path) {
  std::string parent;
  const std::string name = ItemPathLeaf(path, &parent);
  if (name.empty() || !SetListNumber(name.back())) return FALSE;
  if (parent.size() == 5 && parent.compare(0, 4, "File") == 0 && parent[4] >= '1' && parent[4] <= '6') {
    const char group[] = {'F', 'i', 'l', 'e', ' ', parent[4], '\0'};
    m_header.group.SetName(group);
  } else {
    m_header.group.SetName("");
  }
  return TRUE;
}

BOOL CQXListItem::SetListNumber(char number) {
  if (number < '1' || number > '6') return FALSE;
  const char name[] = {'L', 'i', 's', 't', ' ', number, '\0'};
  return m_name.SetName(name);
}

char CQXListItem::GetListNumber() const {
  const BYTE c = m_name.GetByte(5);
  return c != kUnsetByte && c != 0 ? char(c) : '\0';
}

char CQXListItem::GetFileNumber() const {
  const std::string group = m_header.group.GetText();
  return group.size() == 6 && group.compare(0, 5, "File ") == 0 ? group[5] : '\0';
}

BOOL CQXListItem::GetDocName(char* buffer, UINT size) const {
  const char number = GetListNumber();
  return number >= '1' && number <= '6' && CopyTextOut(std::string("List") + number, buffer, size);
}

BOOL CQXListItem::GetDocFolder(char* buffer, UINT size) const {
  const char file = GetFileNumber();
  return CopyTextOut(file ? std::string("File\\File") + file : std::string("List"), buffer, size);
}

std::string CQXListItem::GetTransferTitle() const {
  const char file = GetFileNumber();
  return file ? CLanguageLibrary::LoadStringA(10342) + ' ' + file : std::string();
}

DWORD CQXListItem::GetStoredSize() {
  return kRecordFrameSize + m_name.GetStoredSize() + m_header.GetStoredSize() + m_values.GetStoredSize();
}

void CQXListItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_name.Load(ar);
  m_header.Load(ar);
  m_values.Load(ar);
  if (m_values.GetSecondCount() > 1) ThrowArchiveException(kArchiveBadRecord);
  EndRecord(ar, kTypeId);
}

void CQXListItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_name.Store(ar);
  m_header.Store(ar);
  m_values.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXListItem::BuildHeader(BYTE* header, int size) {
  if (!IsOldHeader(header, size)) return FALSE;
  BuildTableHeader(header, "LT", m_values.GetFirstCount(), m_values.GetSecondCount());
  return m_name.WriteHeader(header, size) && m_header.group.WriteHeader(header, size);
}

BOOL CQXListItem::ParseHeader(const BYTE* header, int size) {
  int rows = 0, columns = 0;
  if (!CheckTableHeader(header, size, "LT", &rows, &columns)) return FALSE;
  if (rows > CQXValueGrid::kMaxCount || columns > 1) return FALSE;
  CQXStoredNameFieldB name;
  CQXGroupField group;
  if (!name.ReadHeader(header, size) || !group.ReadHeader(header, size)) return FALSE;
  CQXValueGrid values;
  values.SetSize(rows, rows ? 1 : 0);
  m_name = name;
  m_header.group = group;
  m_values = std::move(values);
  return TRUE;
}

// --- Equations --------------------------------------------------------------

CQXEquationItem::CQXEquationItem(int kind) : m_defaultKind(kind) { SetEquationKind(kind); }

void CQXEquationItem::GetDisplayName(char* buffer, UINT size) {
  DisplayString(m_kind == 2 ? 10329 : 10328, {}, buffer, size);
}

BOOL CQXEquationItem::SetEquationKind(int kind) {
  if (kind != 1 && kind != 2) return FALSE;
  m_kind = kind;
  m_name.SetName(kind == 1 ? "Mat Siml" : "Mat Poly");
  m_values.SetSize(0, 0);
  return TRUE;
}

BOOL CQXEquationItem::BuildHeader(BYTE* header, int size) {
  if (!IsOldHeader(header, size) || (m_kind != 1 && m_kind != 2)) return FALSE;
  BuildTableHeader(header, m_kind == 1 ? "SE" : "PE", m_values.GetFirstCount(), m_values.GetSecondCount());
  return m_name.WriteHeader(header, size);
}

BOOL CQXEquationItem::ParseHeader(const BYTE* header, int size) {
  if (!IsOldHeader(header, size) || !HasOldHeaderKind(header, "VAL")) return FALSE;
  CQXNameField name;
  name.ReadHeader(header, size);
  const int kind = name.Equals("Mat Siml") ? 1 : name.Equals("Mat Poly") ? 2 : 0;
  if (kind == 0 || std::memcmp(header + 5, kind == 1 ? "SE" : "PE", 2) != 0) return FALSE;
  const int rows = int(GetBigEndian16(header + 7));
  const int columns = int(GetBigEndian16(header + 9));
  CQXValueGrid values;
  if (columns != 0 && !values.SetSize(rows, columns)) return FALSE;
  if (rows > CQXValueGrid::kMaxCount) return FALSE;
  m_kind = kind;
  m_name = name;
  m_values = std::move(values);
  return TRUE;
}

void CQXEquationItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(GetTypeId()));
  const DWORD kindTag = ar.ReadDwordValue();
  const int kind = kindTag == 1306 ? 1 : kindTag == 1307 ? 2 : 0;
  if (kind == 0) ThrowArchiveException(kArchiveBadRecord);
  BYTE header[kOldHeaderLength];
  ar.Read(header, kOldHeaderLength);
  if (!ParseHeader(header, kOldHeaderLength) || m_kind != kind) ThrowArchiveException(kArchiveBadRecord);
  m_values.Load(ar);
  EndRecord(ar, DWORD(GetTypeId()));
}

void CQXEquationItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(GetTypeId()));
  ar.WriteDwordValue(m_kind == 2 ? 1307 : 1306);
  BYTE header[kOldHeaderLength];
  BuildHeader(header, kOldHeaderLength);
  ar.Write(header, kOldHeaderLength);
  m_values.Store(ar);
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}
