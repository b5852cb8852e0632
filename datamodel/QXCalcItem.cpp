#include "datamodel/QXCalcItem.h"

#include "platform/LanguageLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void CopyText(const std::string& text, char* buffer, UINT size) {
  if (!buffer || size == 0) return;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

BOOL CQXCalcItem::GetDetailText(CQXDetailTextRecord*) { return FALSE; }

BOOL CQXCalcItem::TakeNameFromPath(const char*) { return TRUE; }

BOOL CQXCalcItem::TakeNewScreen(const ScreenFormat&, const BYTE*, DWORD) { return FALSE; }

void CQXCalcItem::DisplayString(UINT id, const std::string& suffix, char* buffer, UINT size) {
  std::string text = CLanguageLibrary::LoadStringA(id);
  if (!suffix.empty()) text += " " + suffix;
  CopyText(text, buffer, size);
}

void CQXGraphFuncEntry::GetDisplayName(char* buffer, UINT size) { DisplayString(10310, {}, buffer, size); }

void CQXGraphFuncEntry::Load(COrvoArchive& ar) {
  m_type = ar.ReadDwordValue();
  m_option = ar.ReadDwordValue();
  m_style = ar.ReadDwordValue();
  m_expression = ar.ReadBytes(ar.ReadDwordValue());
}

void CQXGraphFuncEntry::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(m_type);
  ar.WriteDwordValue(m_option);
  ar.WriteDwordValue(m_style);
  ar.WriteDwordValue(DWORD(m_expression.size()));
  if (!m_expression.empty()) ar.Write(m_expression.data(), DWORD(m_expression.size()));
}

void CQXGraphFuncEntry::SetExpression(const BYTE* bytes, DWORD length) {
  if (!bytes || length == 0)
    m_expression.clear();
  else
    m_expression.assign(bytes, bytes + length);
}

BOOL CQXGraphFuncEntry::SetFromRecord(const BYTE* record, DWORD length) {
  if (!record || length < 4) return FALSE;
  m_type = DWORD(record[0]) << 8 | record[1];
  m_option = record[2];
  m_style = record[3];
  DWORD end = length;
  if (end > 4 && record[end - 1] == 0) --end;  // the terminating zero
  SetExpression(record + 4, end - 4);
  return TRUE;
}

std::vector<BYTE> CQXGraphFuncEntry::GetRecord() const {
  std::vector<BYTE> record;
  record.reserve(GetRecordSize());
  const DWORD type = GetType();
  record.push_back(BYTE(type >> 8));
  record.push_back(BYTE(type));
  record.push_back(BYTE(m_option));
  record.push_back(BYTE(GetStyle()));
  record.insert(record.end(), m_expression.begin(), m_expression.end());
  record.push_back(0);
  return record;
}

void FormatGraphFuncLabel(int n, DWORD typeCode, std::string* label, std::string* secondLabel) {
  const char* format = "Y%d=";
  const char* second = nullptr;
  switch (typeCode) {
    case 392: format = "Y%d<"; break;
    case 408: format = "Y%d>"; break;
    case 424: format = "Y%d<="; break;
    case 440: format = "Y%d>="; break;
    case 521: format = "X%d="; break;
    case 1033: format = "Xt%d="; second = "Yt%d="; break;
    case 1034: format = "r%d="; break;
    default: break;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, format, n);
  if (label) *label = buf;
  if (secondLabel) {
    secondLabel->clear();
    if (second) {
      std::snprintf(buf, sizeof buf, second, n);
      *secondLabel = buf;
    }
  }
}
