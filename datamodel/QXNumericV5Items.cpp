#include "datamodel/QXNumericV5Items.h"

#include "datamodel/QXItemNames.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kYData = "Y=Data";

std::string text(const char* s) { return s ? s : ""; }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

void CQXNamedNumericArray::LoadFields(COrvoArchive& ar) { LoadNameField(ar, m_nameField, &m_name); }

void CQXNamedNumericArray::StoreFields(COrvoArchive& ar) { StoreNameField(ar, m_nameField, m_name); }

// --- Matrix -------------------------------------------------------------------

char CQXMatrixV5Item::GetLetter() const {
  const std::string& name = GetName();
  return name.size() > 4 && name[4] >= 'A' && name[4] <= 'Z' ? name[4] : 0;
}

void CQXMatrixV5Item::GetDisplayName(char* buffer, UINT size) {
  const char letter = GetLetter();
  DisplayString(10304, letter ? std::string(1, letter) : std::string(), buffer, size);
}

BOOL CQXMatrixV5Item::GetDetailText(CQXDetailTextRecord* record) {
  return RowsColumnsDetail(record, GetRows(), GetColumns());
}

BOOL CQXMatrixV5Item::TakeNameFromPath(const char* path) {
  const std::string p = text(path);
  if (p.empty() || p.back() < 'A' || p.back() > 'Z') return FALSE;
  SetStoredName(std::string("MAT_") + p.back());
  return TRUE;
}

BOOL CQXMatrixV5Item::SetName(const char* name) {
  if (!name || !NameFits(name)) return FALSE;
  SetStoredName(name);
  return TRUE;
}

int CQXMatrixV5Item::GetHeaderName(char* buffer, UINT size) const {
  return CopyTextOut(GetName(), buffer, size) ? int(GetName().size()) + 1 : 0;
}

BOOL CQXMatrixV5Item::GetDocName(char* buffer, UINT size) const {
  const char letter = GetLetter();
  return letter && CopyTextOut(std::string("Mat_") + letter, buffer, size);
}

// --- List ---------------------------------------------------------------------

namespace {

// The list number at the end of `name`: its last digit, or its last two when
// the one before it is one of `tens`.
std::string listNumber(const std::string& name, const char* tens) {
  if (name.empty() || name.back() < '0' || name.back() > '9') return {};
  if (name.size() >= 2 && std::strchr(tens, name[name.size() - 2])) return name.substr(name.size() - 2);
  return name.substr(name.size() - 1);
}

bool isFileChar(char c) { return c >= '1' && c <= '9'; }

}  // namespace

std::string CQXListV5Item::number() const {
  const std::string& name = GetName();
  return startsWith(name, "List") && IsDigits(name.substr(4), 2) ? name.substr(4) : std::string();
}

void CQXListV5Item::GetDisplayName(char* buffer, UINT size) { DisplayString(10306, number(), buffer, size); }

BOOL CQXListV5Item::GetDetailText(CQXDetailTextRecord* record) { return RowsDetail(record, GetRows()); }

BOOL CQXListV5Item::SetNameFromHeader(const char* variable, const char* group) {
  const std::string n = listNumber(text(variable), "12");
  const std::string g = text(group);
  if (n.empty() || (!g.empty() && !isFileChar(g.back()))) return FALSE;
  SetStoredName("List" + n);
  m_fileChar = g.empty() ? 0 : BYTE(g.back());
  return TRUE;
}

BOOL CQXListV5Item::TakeNameFromPath(const char* path) {
  std::string folder;
  const std::string n = listNumber(ItemPathLeaf(path, &folder), "012");
  if (n.empty()) return FALSE;
  SetStoredName("List" + n);
  // A folder other than "File<c>" holds plain lists.
  m_fileChar = folder != "List" && !folder.empty() && isFileChar(folder.back()) ? BYTE(folder.back()) : 0;
  return TRUE;
}

BOOL CQXListV5Item::GetHeaderNames(std::string* variable, std::string* group) const {
  const std::string n = number();
  if (n.empty() || !variable || !group) return FALSE;
  *variable = std::string(1, m_fileChar ? char(m_fileChar) : '1') + "LIST" + n;
  *group = m_fileChar ? std::string("FILE0") + char(m_fileChar) : std::string();
  return TRUE;
}

BOOL CQXListV5Item::GetDocPath(char* buffer, UINT size) const {
  if (number().empty() || (m_fileChar && !isFileChar(char(m_fileChar)))) return FALSE;
  const std::string path =
      m_fileChar ? std::string("File\\File") + char(m_fileChar) + "\\" + GetName() : "List\\" + GetName();
  return CopyTextOut(path, buffer, size);
}

BOOL CQXListV5Item::GetListNumber(char* buffer, UINT size) const {
  const std::string n = number();
  return !n.empty() && CopyTextOut(n, buffer, size);
}

void CQXListV5Item::LoadFields(COrvoArchive& ar) {
  CQXNamedNumericArray::LoadFields(ar);
  m_fileChar = BYTE(ar.ReadDwordValue());
}

void CQXListV5Item::StoreFields(COrvoArchive& ar) {
  CQXNamedNumericArray::StoreFields(ar);
  ar.WriteDwordValue(m_fileChar);
}

// --- V-Window -----------------------------------------------------------------

std::string CQXVWindowV5Item::memoryNumber() const {
  const std::string& name = GetName();
  return startsWith(name, "VMem") && IsDigits(name.substr(4), 5) ? name.substr(4) : std::string();
}

BOOL CQXVWindowV5Item::SetName(const char* name) {
  const std::string n = text(name);
  const bool memory = startsWith(n, "VMem") && IsDigits(n.substr(4), 5);
  if (!memory && n != "VWin" && n != "VWinRight") return FALSE;
  SetStoredName(n);
  return TRUE;
}

BOOL CQXVWindowV5Item::SetNameFromHeader(const char* variable, const char* group) {
  const std::string v = text(variable);
  if (text(group) == kYData) {
    if (v == "VWIN") return SetName("VWin");
    if (v == "VWINR") return SetName("VWinRight");
    return FALSE;
  }
  return v.size() > 4 && SetName(("VMem" + v.substr(4)).c_str());
}

BOOL CQXVWindowV5Item::TakeNameFromPath(const char* path) {
  std::string folder;
  const std::string leaf = ItemPathLeaf(path, &folder);
  if (folder == "VWin") return leaf.size() > 4 && SetName(("VMem" + leaf.substr(4)).c_str());
  if (folder == kYData) return (leaf == "VWin" || leaf == "VWinRight") && SetName(leaf.c_str());
  return FALSE;
}

BOOL CQXVWindowV5Item::GetHeaderNames(std::string* variable, std::string* group) const {
  if (!variable || !group) return FALSE;
  const std::string n = memoryNumber();
  if (!n.empty()) {
    *variable = "VMEM" + n;
    group->clear();
  } else if (GetName() == "VWin" || GetName() == "VWinRight") {
    *variable = GetName() == "VWin" ? "VWIN" : "VWINR";
    *group = kYData;
  } else {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXVWindowV5Item::GetDocPath(char* buffer, UINT size) const {
  if (GetName() == "VWin" || GetName() == "VWinRight") return CopyTextOut(std::string(kYData) + "\\" + GetName(), buffer, size);
  if (!memoryNumber().empty()) return CopyTextOut("VWin\\" + GetName(), buffer, size);
  return FALSE;
}

void CQXVWindowV5Item::GetDisplayName(char* buffer, UINT size) {
  if (GetName() == "VWinRight")
    DisplayString(10315, {}, buffer, size);
  else
    DisplayString(10312, memoryNumber(), buffer, size);
}

// --- Alpha memory ---------------------------------------------------------------

BOOL CQXAlphaMemItem::GetVariableName(int n, char* buffer, UINT size) const {
  if (n < 0 || DWORD(n) >= GetRows() || n > 27) return FALSE;
  const char name = n < 26 ? char('A' + n) : n == 26 ? char(0xCD) : char(0xCE);
  return CopyTextOut(std::string(1, name), buffer, size);
}

int CQXAlphaMemItem::FindVariable(const char* name) const {
  char candidate[4];
  for (int n = 0; name && GetVariableName(n, candidate, sizeof candidate); ++n)
    if (std::strcmp(candidate, name) == 0) return n;
  return -1;
}

// --- Equation result ------------------------------------------------------------

void CQXEquationResultItem::SetKindFromHeaderName(const char* variable) {
  const std::string v = text(variable);
  SetStoredName(v == "SIMLRSLT" ? "SimlEquationResult" : v == "POLYRSLT" ? "PolyEquationResult" : v);
}

BOOL CQXEquationResultItem::GetHeaderName(char* buffer, UINT size) const {
  const int kind = GetResultKind();
  return kind && CopyTextOut(kind == 10 ? "SIMLRSLT" : "POLYRSLT", buffer, size);
}

BOOL CQXEquationResultItem::CopyTextOutName(char* buffer, UINT size) const {
  return !GetName().empty() && CopyTextOut(GetName(), buffer, size);
}

int CQXEquationResultItem::GetResultKind() const {
  return GetName() == "SimlEquationResult" ? 10 : GetName() == "PolyEquationResult" ? 20 : 0;
}

void CQXEquationResultItem::GetDisplayName(char* buffer, UINT size) {
  const int kind = GetResultKind();
  DisplayString(kind == 10 ? 10346 : kind == 20 ? 10347 : 10326, {}, buffer, size);
}

BOOL CQXEquationResultItem::GetDetailText(CQXDetailTextRecord* record) {
  return RowsColumnsDetail(record, GetRows(), GetColumns());
}

// --- Equation coefficients ------------------------------------------------------

std::unique_ptr<CQXEquationCoefItem> NewEquationCoefItem(bool simultaneous, const char* variable) {
  std::unique_ptr<CQXEquationCoefItem> item;
  if (simultaneous)
    item = std::make_unique<CQXSimlCoefItem>();
  else
    item = std::make_unique<CQXPolyCoefItem>();
  if (!item->InitNew()) return nullptr;
  item->SetNameFromHeader(variable);
  return item;
}

BOOL CQXEquationCoefItem::InitNew() {
  SetStoredName(m_defaultName);
  return InitValues();
}

void CQXEquationCoefItem::SetNameFromHeader(const char* variable) {
  const std::string v = text(variable);
  SetStoredName(v == "SIMLCOEF" ? "SimlEquation" : v == "POLYCOEF" ? "PolyEquation" : v);
}

BOOL CQXEquationCoefItem::GetHeaderName(char* buffer, UINT size) const {
  const int kind = GetEquationKind();
  return kind && CopyTextOut(kind == 1 ? "SIMLCOEF" : "POLYCOEF", buffer, size);
}

int CQXEquationCoefItem::GetEquationKind() const {
  return GetName() == "SimlEquation" ? 1 : GetName() == "PolyEquation" ? 2 : 0;
}

void CQXEquationCoefItem::GetDisplayName(char* buffer, UINT size) {
  const int kind = GetEquationKind();
  DisplayString(kind == 1 ? 10344 : kind == 2 ? 10345 : 10326, {}, buffer, size);
}

BOOL CQXEquationCoefItem::GetDetailText(CQXDetailTextRecord* record) {
  if (!WantsDetail(record)) return FALSE;
  std::string detail = CLanguageLibrary::LoadStringA(10660);
  const size_t at = detail.find("%1");
  if (at != std::string::npos) detail.replace(at, 2, std::to_string(GetRows()));
  CopyText(detail, record->buffer, record->size);
  return TRUE;
}
