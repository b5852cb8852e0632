#include "datamodel/QXRecursionItem.h"

#include <cstring>

namespace {

constexpr const char* kYData = "Y=Data";

}  // namespace

CQXRecursionItem::CQXRecursionItem() : m_range("RR"), m_formulas(2) {
  SetRecursionType(1);
  m_range.GetGroupField().SetName(kYData);
}

std::vector<std::string> CQXRecursionItem::RangeNames(int type) {
  switch (type) {
    case 1: return {"R Start", "R End"};
    case 2: return {"R Start", "R End", "a0", "a1", "anStart", "b0", "b1", "bnStart"};
    case 3: return {"R Start", "R End", "a0", "a1", "a2", "b0", "b1", "b2"};
    default: return {};
  }
}

std::string CQXRecursionItem::FormulaName(int type, int n) {
  std::string name = n == 0 ? "an" : "bn";
  if (type == 2) name += "\x89" "1";
  if (type == 3) name += "\x89" "2";
  return name;
}

BOOL CQXRecursionItem::SetRecursionType(int type) {
  if (type < 1 || type > 3) return FALSE;
  const std::vector<std::string> names = RangeNames(type);
  std::vector<CQXGraphFuncRecord> formulas(2);
  for (int n = 0; n < 2; ++n)
    if (!formulas[size_t(n)].SetDefaults("RF", FormulaName(type, n).c_str())) return FALSE;
  m_rangeNames.assign(names.size(), CQXStoredNameField());
  for (size_t i = 0; i < names.size(); ++i) m_rangeNames[i].SetName(names[i].c_str());
  m_range.SetEntries(int(m_rangeNames.size()), m_rangeNames.data());
  m_range.ResizeValues();
  m_formulas = std::move(formulas);
  m_type = type;
  return TRUE;
}

BOOL CQXRecursionItem::ParseRecursionType(const BYTE* header, int size, int* type) {
  if (type) *type = 0;
  if (!IsOldHeader(header, size)) return FALSE;
  CQXShortNameField name;
  name.ReadHeader(header, size);
  for (int t = 1; t <= 3; ++t)
    for (int n = 0; n < 2; ++n)
      if (name.Equals(FormulaName(t, n).c_str())) {
        if (type) *type = t;
        return TRUE;
      }
  return FALSE;
}

const CQXGraphFuncRecord* CQXRecursionItem::formula(int n) const {
  return n >= 0 && n < 2 ? &m_formulas[size_t(n)] : nullptr;
}

BOOL CQXRecursionItem::BuildFormulaHeader(int n, BYTE* header, int size) {
  if (!formula(n) || !m_formulas[size_t(n)].BuildHeader(header, size)) return FALSE;
  return m_range.GetGroupField().WriteHeader(header, size);
}

BOOL CQXRecursionItem::ParseFormulaHeader(int n, const BYTE* header, int size) {
  int type = 0;
  if (!formula(n) || !ParseRecursionType(header, size, &type)) return FALSE;
  if (n == 1 && type != m_type) return FALSE;
  CQXGraphFuncRecord received;
  received.SetDefaults("RF", FormulaName(type, n).c_str());
  if (!received.ParseHeader(header, size) || !received.GetNameField().Equals(FormulaName(type, n).c_str()))
    return FALSE;
  if (n == 0 && type != m_type) SetRecursionType(type);
  received.SetText(m_formulas[size_t(n)].GetText(), m_formulas[size_t(n)].GetTextLength());
  m_formulas[size_t(n)] = received;
  return TRUE;
}

BOOL CQXRecursionItem::GetFormulaBytes(int n, BYTE* buffer, DWORD size) const {
  return formula(n) && formula(n)->CopyText(buffer, size);
}

BOOL CQXRecursionItem::SetFormulaBytes(int n, const BYTE* data, DWORD length) {
  if (!formula(n) || (length && !data)) return FALSE;
  m_formulas[size_t(n)].SetText(data, length);
  return TRUE;
}

DWORD CQXRecursionItem::GetFormulaLength(int n) const { return formula(n) ? formula(n)->GetTextLength() : 0; }

BOOL CQXRecursionItem::GetFormulaStyle(int n, BYTE* buffer, UINT size) const {
  return formula(n) && formula(n)->GetStyleField().Get(buffer, size);
}

BOOL CQXRecursionItem::SetFormulaStyle(int n, const BYTE* style) {
  return formula(n) && m_formulas[size_t(n)].GetStyleField().Set(style);
}

std::string CQXRecursionItem::GetRangeName(int i) const {
  const CQXStoredNameField* name = m_range.GetEntryName(i);
  return name ? name->GetText() : std::string();
}

BOOL CQXRecursionItem::ParseRangeHeader(const BYTE* header, int size) {
  return m_range.AcceptHeader(m_range.FindEntry(header, size), header, size);
}

BOOL CQXRecursionItem::GetDocName(char* buffer, UINT size) const {
  if (GetGroup() != kYData || !buffer || size <= std::strlen(kYData)) return FALSE;
  std::memcpy(buffer, kYData, std::strlen(kYData) + 1);
  return TRUE;
}

DWORD CQXRecursionItem::GetStoredSize() {
  DWORD size = kRecordFrameSize + 8 + 12 * DWORD(m_rangeNames.size()) + m_range.GetStoredSize() + 4;
  for (CQXGraphFuncRecord& f : m_formulas) size += f.GetStoredSize();
  return size;
}

void CQXRecursionItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  const DWORD type = ar.ReadDwordValue();
  if (type < 1 || type > 3) ThrowArchiveException(kArchiveBadRecord);
  SetRecursionType(int(type));
  ExpectDword(ar, DWORD(m_rangeNames.size()));
  for (CQXStoredNameField& name : m_rangeNames) name.Load(ar);
  m_range.Load(ar);
  ExpectDword(ar, 2);
  for (CQXGraphFuncRecord& f : m_formulas) f.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXRecursionItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  ar.WriteDwordValue(DWORD(m_type));
  ar.WriteDwordValue(DWORD(m_rangeNames.size()));
  for (CQXStoredNameField& name : m_rangeNames) name.Store(ar);
  m_range.Store(ar);
  ar.WriteDwordValue(2);
  for (CQXGraphFuncRecord& f : m_formulas) f.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}
