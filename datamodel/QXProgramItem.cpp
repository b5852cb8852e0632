#include "datamodel/QXProgramItem.h"

#include "platform/LanguageLibrary.h"

#include <cstdio>

void CQXProgramItem::GetDisplayName(char* buffer, UINT size) {
  CopyText(m_record.GetNameField().GetText(), buffer, size);
}

BOOL CQXProgramItem::GetDetailText(CQXDetailTextRecord* record) {
  if (!record || !(record->mask & 1) || !record->buffer || record->size == 0) return FALSE;
  const DWORD length = GetLength() ? GetLength() - 1 : 0;
  const std::string lengthText = CLanguageLibrary::LoadStringA(10662);
  const std::string byteText = CLanguageLibrary::LoadStringA(10209);
  std::snprintf(record->buffer, record->size, "%u %s (%s) %c %c", unsigned(length), lengthText.c_str(),
                byteText.c_str(), HasPassword() ? '*' : ' ', IsBaseN() ? 'B' : ' ');
  return TRUE;
}

void CQXProgramItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_record.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXProgramItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_record.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXProgramItem::HasPassword() const {
  char password[32];
  return m_record.GetPasswordField().GetName(password, sizeof password) && password[0] != '\0';
}

BOOL CQXProgramItem::GetPassword(char* buffer, int size) const {
  return size > 0 && m_record.GetPasswordField().GetName(buffer, UINT(size));
}

BOOL CQXProgramItem::GetDataBlock(BYTE* buffer, int size) const {
  return size >= 0 && m_record.CopyText(buffer, DWORD(size));
}

BOOL CQXProgramItem::SetDataBlock(const BYTE* data, int length) {
  if (length < 0 || (length > 0 && !data)) return FALSE;
  m_record.SetText(data, DWORD(length));
  return TRUE;
}
