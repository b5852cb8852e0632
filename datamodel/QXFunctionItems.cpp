#include "datamodel/QXFunctionItems.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CQXGraphFunctionInfo NewGraphFunctionInfo(int index) {
  CQXGraphFunctionInfo info;
  info.index = DWORD(index);
  return info;
}

void AppendGraphTypePrefix(std::string* text, char typeLetter, BOOL firstPart) {
  if (!text) return;
  switch (typeLetter) {
    case 'X': *text += "X"; break;
    case 'Y': *text += "Y"; break;
    case 'f': *text += firstPart ? "Xt" : "Yt"; break;
    case 'r': *text += "r"; break;
    default: break;
  }
}

void AppendRelationText(std::string* text, BYTE relation) {
  if (!text) return;
  switch (relation) {
    case 0x10: *text += "<="; break;
    case 0x12: *text += ">="; break;
    case '<': case '=': case '>': *text += char(relation); break;
    default: break;
  }
}

// --- Graph functions ------------------------------------------------------

CQXGraphFuncItem::CQXGraphFuncItem(int count) : m_count(count) { InitFunctions(); }

BOOL CQXGraphFuncItem::InitFunctions() {
  std::vector<CQXGraphFuncRecord> functions(static_cast<size_t>(m_count));
  for (int i = 0; i < m_count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Y%d", i + 1);
    if (!functions[size_t(i)].SetDefaults("GF", name)) return FALSE;
  }
  m_functions = std::move(functions);
  return TRUE;
}

const CQXGraphFuncRecord* CQXGraphFuncItem::function(int n) const {
  return n >= 0 && n < int(m_functions.size()) ? &m_functions[size_t(n)] : nullptr;
}

CQXGraphFuncRecord* CQXGraphFuncItem::GetFunction(int n) { return const_cast<CQXGraphFuncRecord*>(function(n)); }

DWORD CQXGraphFuncItem::GetStoredSize() {
  DWORD size = 4 + 4 + 4;
  for (CQXGraphFuncRecord& f : m_functions) size += f.GetStoredSize();
  return size;
}

void CQXGraphFuncItem::Load(COrvoArchive& ar) {
  ExpectDword(ar, DWORD(GetTypeId()));
  ExpectDword(ar, DWORD(m_count));
  std::vector<CQXGraphFuncRecord> functions(static_cast<size_t>(m_count));
  for (CQXGraphFuncRecord& f : functions) f.Load(ar);
  EndRecord(ar, DWORD(GetTypeId()));
  m_functions = std::move(functions);
}

void CQXGraphFuncItem::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(DWORD(GetTypeId()));
  ar.WriteDwordValue(DWORD(m_functions.size()));
  for (CQXGraphFuncRecord& f : m_functions) f.Store(ar);
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}

BOOL CQXGraphFuncItem::BuildHeader(int n, BYTE* header, int size) {
  CQXGraphFuncRecord* f = GetFunction(n);
  if (!f || !f->BuildHeader(header, size)) return FALSE;
  CQXGroupField group;
  group.SetName("Y=Data");
  return group.WriteHeader(header, size);
}

BOOL CQXGraphFuncItem::ParseHeader(int n, const BYTE* header, int size) {
  CQXGraphFuncRecord* f = GetFunction(n);
  return f && f->ParseHeader(header, size);
}

BOOL CQXGraphFuncItem::GetFunctionBytes(int n, BYTE* buffer, DWORD size) const {
  const CQXGraphFuncRecord* f = function(n);
  return f && f->CopyText(buffer, size);
}

BOOL CQXGraphFuncItem::SetFunctionBytes(int n, const BYTE* data, DWORD length) {
  CQXGraphFuncRecord* f = GetFunction(n);
  if (!f || (length && !data)) return FALSE;
  f->SetText(data, length);
  return TRUE;
}

DWORD CQXGraphFuncItem::GetFunctionLength(int n) const {
  const CQXGraphFuncRecord* f = function(n);
  return f ? f->GetTextLength() : 0;
}

const BYTE* CQXGraphFuncItem::GetFunctionData(int n) const {
  const CQXGraphFuncRecord* f = function(n);
  return f ? f->GetText() : nullptr;
}

int CQXGraphFuncItem::GetFunctionForm(int n) const {
  const CQXGraphFuncRecord* f = function(n);
  if (!f || !f->GetText()) return 1;
  const BYTE* text = f->GetText();
  return std::find(text, text + f->GetTextLength(), BYTE(0xF6)) != text + f->GetTextLength() ? 2 : 1;
}

BOOL CQXGraphFuncItem::GetFunctionInfo(int n, CQXGraphFunctionInfo* info) const {
  const CQXGraphFuncRecord* f = function(n);
  if (!f || !info) return FALSE;
  *info = NewGraphFunctionInfo(n);
  info->form = DWORD(GetFunctionForm(n));
  info->relation = f->GetRelationField().Get();
  info->typeLetter = info->form == 2 ? 'f' : 'Y';
  f->GetStyleField().Get(info->style, sizeof info->style);
  return TRUE;
}

BOOL CQXGraphFuncItem::SetFunctionInfo(const CQXGraphFunctionInfo& info) {
  CQXGraphFuncRecord* f = GetFunction(int(info.index));
  if (!f || !CQXRelationField::IsRelation(info.relation)) return FALSE;
  CQXGraphStyleField style = f->GetStyleField();
  if (!style.Set(info.style)) return FALSE;
  f->GetRelationField().Set(info.relation);
  f->GetStyleField() = style;
  return TRUE;
}

BOOL CQXGraphFuncItem::GetFunctionLabels(int n, std::string* label, std::string* second) const {
  CQXGraphFunctionInfo info;
  if (!GetFunctionInfo(n, &info)) return FALSE;
  const std::string number = std::to_string(n + 1);
  if (label) {
    label->clear();
    AppendGraphTypePrefix(label, char(info.typeLetter), TRUE);
    *label += number;
    AppendRelationText(label, info.relation);
  }
  if (second) {
    second->clear();
    if (info.typeLetter == 'f') {
      AppendGraphTypePrefix(second, 'f', FALSE);
      *second += number;
      AppendRelationText(second, info.relation);
    }
  }
  return TRUE;
}

// --- Function memory ------------------------------------------------------

CQXFuncMemItem::CQXFuncMemItem() : m_functions(kCount) {
  for (int i = 0; i < kCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%d", i + 1);
    m_functions[size_t(i)].SetName(name);
  }
}

const CQXFuncMemRecord* CQXFuncMemItem::function(int n) const {
  return n >= 0 && n < kCount ? &m_functions[size_t(n)] : nullptr;
}

DWORD CQXFuncMemItem::GetStoredSize() {
  DWORD size = kRecordFrameSize + 4;
  for (CQXFuncMemRecord& f : m_functions) size += f.GetStoredSize();
  return size;
}

void CQXFuncMemItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  ExpectDword(ar, kCount);
  std::vector<CQXFuncMemRecord> functions = m_functions;  // each keeps its own name
  for (CQXFuncMemRecord& f : functions) f.Load(ar);
  EndRecord(ar, kTypeId);
  m_functions = std::move(functions);
}

void CQXFuncMemItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  ar.WriteDwordValue(kCount);
  for (CQXFuncMemRecord& f : m_functions) f.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXFuncMemItem::BuildHeader(int n, BYTE* header, int size) {
  return n >= 0 && n < kCount && m_functions[size_t(n)].BuildHeader(header, size);
}

BOOL CQXFuncMemItem::ParseHeader(int n, const BYTE* header, int size) {
  return n >= 0 && n < kCount && m_functions[size_t(n)].ParseHeader(header, size);
}

DWORD CQXFuncMemItem::GetFunctionLength(int n) const {
  const CQXFuncMemRecord* f = function(n);
  return f ? f->GetTextLength() : 0;
}

const BYTE* CQXFuncMemItem::GetFunctionData(int n) const {
  const CQXFuncMemRecord* f = function(n);
  return f ? f->GetText() : nullptr;
}

DWORD CQXFuncMemItem::GetFunctionDataSize(int n) const {
  const CQXFuncMemRecord* f = function(n);
  return f ? std::max<DWORD>(f->GetTextLength(), 1) : 0;
}

BOOL CQXFuncMemItem::GetFunctionBytes(int n, BYTE* buffer, DWORD size) const {
  const CQXFuncMemRecord* f = function(n);
  if (!f || !buffer || size < GetFunctionDataSize(n)) return FALSE;
  if (f->GetTextLength() == 0) {
    buffer[0] = kTextEndByte;
    return TRUE;
  }
  return f->CopyText(buffer, size);
}

BOOL CQXFuncMemItem::SetFunctionBytes(int n, const BYTE* data, DWORD length) {
  if (n < 0 || n >= kCount || (length && !data)) return FALSE;
  m_functions[size_t(n)].SetText(data, length);
  return TRUE;
}
