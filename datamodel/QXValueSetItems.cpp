#include "datamodel/QXValueSetItems.h"

#include "datamodel/QXItemNames.h"

#include <cstdio>
#include <cstring>

namespace {

const std::vector<std::string> kVWindowNames = {"Xmin", "Xmax", "Xscl", "Ymin", "Ymax", "Yscl",
                                                "T\xCEmin", "T\xCEmax", "T\xCEptch"};
const std::vector<std::string> kZoomNames = {"Xfct", "Yfct"};
const std::vector<std::string> kTableNames = {"F Start", "F End", "F pitch"};
constexpr const char* kYData = "Y=Data";

}  // namespace

CQXValueSetItem::CQXValueSetItem(const char* code, const char* group, const std::vector<std::string>& names)
    : m_set(code) {
  SetNames(names);
  if (group) SetGroup(group);
}

BOOL CQXValueSetItem::SetNames(const std::vector<std::string>& names) {
  m_names.assign(names.size(), CQXStoredNameField());
  for (size_t i = 0; i < names.size(); ++i) m_names[i].SetName(names[i].c_str());
  m_set.SetEntries(int(m_names.size()), m_names.data());
  return m_set.ResizeValues();
}

std::string CQXValueSetItem::GetEntryName(int entry) const {
  const CQXStoredNameField* name = m_set.GetEntryName(entry);
  return name ? name->GetText() : std::string();
}

BOOL CQXValueSetItem::ParseHeader(const BYTE* header, int size) {
  return m_set.AcceptHeader(m_set.FindEntry(header, size), header, size);
}

DWORD CQXValueSetItem::GetStoredSize() {
  return kRecordFrameSize + 4 + 12 * DWORD(m_names.size()) + m_set.GetStoredSize();
}

void CQXValueSetItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(GetTypeId()));
  ExpectDword(ar, DWORD(m_names.size()));
  for (CQXStoredNameField& name : m_names) name.Load(ar);
  m_set.Load(ar);
  EndRecord(ar, DWORD(GetTypeId()));
}

void CQXValueSetItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(GetTypeId()));
  ar.WriteDwordValue(DWORD(m_names.size()));
  for (CQXStoredNameField& name : m_names) name.Store(ar);
  m_set.Store(ar);
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}

CQXVWindowItem::CQXVWindowItem() : CQXValueSetItem("WD", nullptr, kVWindowNames) {}

void CQXVWindowItem::GetDisplayName(char* buffer, UINT size) {
  const std::string group = GetGroup();
  std::string suffix;
  if (!group.empty() && group != kYData && group.size() > 5) suffix = group.substr(5, 1);
  DisplayString(10312, suffix, buffer, size);
}

BOOL CQXVWindowItem::TakeNameFromPath(const char* path) {
  if (!path) return FALSE;
  const char* name = std::strrchr(path, '\\');
  SetGroupFromName(name ? name + 1 : path);
  return TRUE;
}

void CQXVWindowItem::SetGroupFromName(const char* name) {
  const size_t n = name ? std::strlen(name) : 0;
  const char last = n ? name[n - 1] : '\0';
  if (last >= '1' && last <= '6') {
    const char group[] = {'V', '\x99', 'W', 'i', 'n', last, '\0'};
    SetGroup(group);
  } else {
    SetGroup(kYData);
  }
}

BOOL CQXVWindowItem::GetDocFolder(char* buffer, UINT size) const {
  const std::string group = GetGroup();
  if (group.empty()) return FALSE;
  return CopyTextOut(group == kYData ? kYData : "VWin", buffer, size);
}

BOOL CQXVWindowItem::GetDocName(char* buffer, UINT size) const {
  const std::string group = GetGroup();
  if (group.empty()) return FALSE;
  if (group == kYData) return CopyTextOut("VWin", buffer, size);
  const char digit = group.size() > 5 ? group[5] : '\0';
  if (digit < '1' || digit > '6') return FALSE;
  char name[16];
  std::snprintf(name, sizeof name, "%s%c", "VWin", digit);
  return CopyTextOut(name, buffer, size);
}

CQXZoomFactorItem::CQXZoomFactorItem() : CQXValueSetItem("FT", kYData, kZoomNames) {}

BOOL CQXZoomFactorItem::GetDocFolder(char* buffer, UINT size) const {
  return GetGroup() == kYData && CopyTextOut(kYData, buffer, size);
}

CQXTableRangeItem::CQXTableRangeItem() : CQXValueSetItem("TR", kYData, kTableNames) {}

BOOL CQXTableRangeItem::GetDocFolder(char* buffer, UINT size) const {
  return GetGroup() == kYData && CopyTextOut(kYData, buffer, size);
}

std::vector<std::string> CQXVariableItem::Names(int count) {
  std::vector<std::string> names;
  for (char c = 'A'; c <= 'Z'; ++c) names.emplace_back(1, c);
  if (count == 28) {
    names.emplace_back(1, '\xCD');
    names.emplace_back(1, '\xCE');
  }
  return names;
}

CQXVariableItem::CQXVariableItem(int count) : CQXValueSetItem("VM", "Variable", Names(count)) {}

BOOL CQXVariableItem::InitNames() { return SetNames(Names(GetCount())); }
