#include "datamodel/QXTextRecords.h"

DWORD GetHeaderDataLength(const BYTE* header, int length) {
  return IsOldHeader(header, length) ? GetBigEndian32(header + 7) : 0;
}

void CQXTextRecord::StartHeader(BYTE* header, const char* kind, DWORD dataLength) {
  StartOldHeader(header, kind);
  PutBigEndian32(header + 7, dataLength);
}

void CQXTextRecord::Load(COrvoArchive& ar) {
  ExpectDword(ar, m_tag);
  ar.ReadDwordValue();  // data length + 50: the data record says it again
  ExpectDword(ar, 1);
  BYTE header[kOldHeaderLength];
  ar.Read(header, kOldHeaderLength);
  ParseHeader(header, kOldHeaderLength);
  Data().Load(ar);
  EndRecord(ar, m_tag);
}

void CQXTextRecord::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(m_tag);
  ar.WriteDwordValue(DataLength() + 50);
  ar.WriteDwordValue(1);
  BYTE header[kOldHeaderLength];
  BuildHeader(header, kOldHeaderLength);
  ar.Write(header, kOldHeaderLength);
  Data().Store(ar);
  WriteRecordEnd(ar, m_tag);
}

CQXProgramRecord::CQXProgramRecord() : CQXTextRecord(kTag) {
  m_fields.mode.Set("NL");
  m_fields.kind.Set("TXT", "PG");
}

int CQXProgramRecord::BuildHeader(BYTE* header, int length) {
  if (!IsOldHeader(header, length)) return 0;
  StartHeader(header, "TXT", DataLength() + 2);
  m_fields.kind.WriteHeader(header, length);
  m_fields.name.WriteHeader(header, length);
  m_fields.mode.WriteHeader(header, length);
  m_fields.password.WriteHeader(header, length);
  return 1;
}

int CQXProgramRecord::ParseHeader(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !HasOldHeaderKind(header, "TXT") || !m_fields.kind.Matches(header, length))
    return 0;
  Fields read = m_fields;
  if (!read.mode.ReadHeader(header, length) || !read.kind.ReadHeader(header, length) ||
      !read.name.ReadHeader(header, length) || !read.password.ReadHeader(header, length))
    return 0;
  m_fields = read;
  return 1;
}

CQXGraphFuncRecord::CQXGraphFuncRecord() : CQXTextRecord(kTag) { SetDefaults("GF", ""); }

BOOL CQXGraphFuncRecord::SetDefaults(const char* code, const char* name) {
  Fields fields;
  if (!fields.style.SetDefault(code) || !fields.kind.Set("FNC", code) || !fields.name.SetName(name) ||
      !fields.relation.Set('='))
    return FALSE;
  m_fields = fields;
  return TRUE;
}

int CQXGraphFuncRecord::BuildHeader(BYTE* header, int length) {
  if (!IsOldHeader(header, length)) return 0;
  StartHeader(header, "FNC", DataLength() + 2);
  m_fields.kind.WriteHeader(header, length);
  m_fields.name.WriteHeader(header, length);
  m_fields.relation.WriteHeader(header, length);
  m_fields.style.WriteHeader(header, length);
  return 1;
}

int CQXGraphFuncRecord::ParseHeader(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !HasOldHeaderKind(header, "FNC") || !m_fields.kind.Matches(header, length))
    return 0;
  Fields read = m_fields;
  if (!read.style.ReadHeader(header, length) || !read.kind.ReadHeader(header, length) ||
      !read.name.ReadHeader(header, length) || !read.relation.ReadHeader(header, length))
    return 0;
  m_fields = read;
  return 1;
}

CQXFuncMemRecord::CQXFuncMemRecord() : CQXTextRecord(kTag) { m_fields.kind.Set("TXT", "FM"); }

int CQXFuncMemRecord::BuildHeader(BYTE* header, int length) {
  if (!IsOldHeader(header, length)) return 0;
  StartHeader(header, "TXT", DataLength() ? DataLength() + 2 : 3);
  m_fields.kind.WriteHeader(header, length);
  m_fields.name.WriteHeader(header, length);
  m_fields.mode.WriteHeader(header, length);
  return 1;
}

int CQXFuncMemRecord::ParseHeader(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !HasOldHeaderKind(header, "TXT") || !m_fields.kind.Matches(header, length) ||
      !m_fields.name.Matches(header, length))
    return 0;
  Fields read = m_fields;
  if (!read.mode.ReadHeader(header, length) || !read.kind.ReadHeader(header, length)) return 0;
  m_fields = read;
  return 1;
}
