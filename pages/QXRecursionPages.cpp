#include "pages/QXRecursionPages.h"

#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXRecursionItem.h"
#include "pages/QXFunctionFieldBytes.h"
#include "pages/QXSimpleDataView.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"
#include "tokens/QXTokenField.h"

#include <QComboBox>

#include <cstring>
#include <new>

namespace {

constexpr UINT kOutOfMemory = 61706, kCommandFailed = 61705;
constexpr size_t kStyleSize = 18;
constexpr int kStartByte = 7;

// Recursion code or order of a type index, and back.
int typeIndexOf(int code) { return code == 2 ? 1 : code == 3 ? 2 : 0; }

// The recursion of `entry` to store into: a new one for an entry without
// item; null (after 61705) for an item of another kind.
template <class Item>
Item* storeTarget(CQXDocEntry* entry) {
  if (!entry) return nullptr;
  if (!entry->GetItem()) entry->SetItem(new Item);
  auto* item = dynamic_cast<Item*>(entry->GetItem());
  if (!item) AfxMessageBox(kCommandFailed, MB_ICONSTOP);
  return item;
}

}  // namespace

// ---------------------------------------------------------------- older page

CQXRecursionDataPage::CQXRecursionDataPage() : CQXRecursionCtrlDataPage(630, 2) {}

CQXRecursionDataPage::~CQXRecursionDataPage() = default;

CQXGraphFunctionInfo* CQXRecursionDataPage::GetFieldInfo(int field) const {
  return field >= 0 && field < int(m_info.size()) ? m_info[size_t(field)].get() : nullptr;
}

BOOL CQXRecursionDataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXRecursionItem*>(entry->GetItem()) : nullptr;
  if (!item) return FALSE;
  ResetRangeTable();
  m_typeIndex = typeIndexOf(item->GetRecursionType());
  BYTE style[kStyleSize] = {};
  item->GetFormulaStyle(0, style, sizeof style);
  m_startIndex = style[kStartByte] == '1' ? 1 : 0;
  for (int i = 0; i < item->GetRangeCount(); ++i) {
    BYTE record[24] = {};
    const UINT size = item->GetRangeValue(i, record, sizeof record);
    if (size >= 14) LoadRangeValue(item->GetRangeName(i).c_str(), 1, record + 4, size >= 24);
  }
  SetRecursionTypeIndex(m_typeIndex);
  RebuildRangeGrid(FALSE);
  if (GetTypeCombo()) GetTypeCombo()->setCurrentIndex(m_typeIndex);
  for (int j = 0; j < 2; ++j) {
    std::vector<BYTE> stored(item->GetFormulaLength(j));
    if (!stored.empty()) item->GetFormulaBytes(j, stored.data(), DWORD(stored.size()));
    // The stored end byte is not a token.
    const std::string text = WithoutEndByte(stored.data(), DWORD(stored.size()));
    SetFieldTokens(j, reinterpret_cast<const BYTE*>(text.data()), int(text.size()));
    auto info = std::make_unique<CQXGraphFunctionInfo>(NewGraphFunctionInfo(j));
    item->GetFormulaStyle(j, info->style, kStyleSize);
    GetFieldList().SetFieldData(j, reinterpret_cast<std::uintptr_t>(info.get()));
    m_info[size_t(j)] = std::move(info);
  }
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXRecursionDataPage::StoreToItem(CQXDocEntry* entry) {
  if (m_typeIndex < 0 || m_typeIndex > 2 || !ApplyRangeTable()) return FALSE;
  auto* item = storeTarget<CQXRecursionItem>(entry);
  if (!item) return FALSE;
  const int code = m_typeIndex + 1;
  try {
    // Every value converted before the item changes.
    CQXRecursionItem names;
    if (!names.SetRecursionType(code)) return FALSE;
    std::vector<std::vector<BYTE>> records;
    for (int i = 0; i < names.GetRangeCount(); ++i) {
      std::vector<BYTE> bytes;
      bool complex = false;
      if (!RangeValueBytes(names.GetRangeName(i).c_str(), 1, &bytes, &complex)) {
        ShowInvalidNumber();
        return FALSE;
      }
      // Row 1, column 1 (big-endian), then the number.
      std::vector<BYTE> record(4 + bytes.size());
      record[1] = record[3] = 1;
      std::copy(bytes.begin(), bytes.end(), record.begin() + 4);
      records.push_back(std::move(record));
    }
    if (item->GetRecursionType() != code && !item->SetRecursionType(code)) return FALSE;
    for (int i = 0; i < int(records.size()); ++i)
      item->SetRangeValue(i, records[size_t(i)].data(), UINT(records[size_t(i)].size()));
    for (int f = 0; f < 2; ++f) {
      if (const CQXGraphFunctionInfo* info = GetFieldInfo(f)) item->SetFormulaStyle(f, info->style);
      std::vector<BYTE> text = GetFieldTokens(f);
      text.push_back(0xFF);
      item->SetFormulaBytes(f, text.data(), DWORD(text.size()));
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXRecursionDataPage::OnStartIndexChanged() {
  for (auto& info : m_info)
    if (info) info->style[kStartByte] = BYTE(m_startIndex ? '1' : '0');
}

namespace {
const char* colourCode(UINT command) {
  return command == CQXRecursionCtrlDataPage::kCmdBlue ? "BL" : command == CQXRecursionCtrlDataPage::kCmdOrange ? "OR" : "GN";
}
}  // namespace

void CQXRecursionDataPage::SetRecordColour(void* record, UINT command) {
  std::memcpy(static_cast<CQXGraphFunctionInfo*>(record)->style + 2, colourCode(command), 2);
}

BOOL CQXRecursionDataPage::IsRecordColour(const void* record, UINT command) const {
  return std::memcmp(static_cast<const CQXGraphFunctionInfo*>(record)->style + 2, colourCode(command), 2) == 0;
}

void CQXRecursionDataPage::ToggleRecordDrawn(void* record) {
  BYTE* flag = static_cast<CQXGraphFunctionInfo*>(record)->style + 4;
  std::memcpy(flag, std::memcmp(flag, "SL", 2) == 0 ? "NS" : "SL", 2);
}

BOOL CQXRecursionDataPage::IsRecordDrawn(const void* record) const {
  return std::memcmp(static_cast<const CQXGraphFunctionInfo*>(record)->style + 4, "SL", 2) == 0;
}

// ---------------------------------------------------------------- newer page

CQXRecursionV5DataPage::CQXRecursionV5DataPage() : CQXRecursionCtrlDataPage(630, 3) {}

CQXRecursionV5DataPage::~CQXRecursionV5DataPage() = default;

CQXRecursionV5DataPage::FormulaRecord* CQXRecursionV5DataPage::GetFieldRecord(int field) const {
  return field >= 0 && field < int(m_records.size()) ? m_records[size_t(field)].get() : nullptr;
}

BOOL CQXRecursionV5DataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXRecursionV5Item*>(entry->GetItem()) : nullptr;
  if (!item) return FALSE;
  try {
    ResetRangeTable();
    m_typeIndex = typeIndexOf(item->GetRecursionOrder());
    m_startIndex = item->GetStartIndexChar() == '1' ? 1 : 0;
    CQXRecursionRangeItem& range = item->GetRange();
    for (int i = 0; i < int(range.GetRows()) && i < kRangeValues; ++i) {
      BYTE bytes[9] = {};
      if (range.GetReal(DWORD(i + 1), 1, bytes, sizeof bytes)) LoadRangeValue(GetRangeItemName(i), 2, bytes, false);
    }
    SetRecursionTypeIndex(m_typeIndex);
    RebuildRangeGrid(FALSE);
    if (GetTypeCombo()) GetTypeCombo()->setCurrentIndex(m_typeIndex);
    for (int d = 0; d < 3; ++d) {
      const CQXGraphFuncEntry* formula = item->GetFormula(d);
      const std::vector<BYTE> empty;
      const std::vector<BYTE>& expression = formula ? formula->GetExpression() : empty;
      SetFieldTokens(d, expression.data(), int(expression.size()));
      auto record = std::make_unique<FormulaRecord>();
      record->entry = d + 1;
      if (formula) {
        record->type = int(formula->GetType());
        record->option = int(formula->GetOption());
        record->colour = int(formula->GetStyle());
      }
      GetFieldList().SetFieldData(d, reinterpret_cast<std::uintptr_t>(record.get()));
      m_records[size_t(d)] = std::move(record);
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXRecursionV5DataPage::StoreToItem(CQXDocEntry* entry) {
  if (m_typeIndex < 0 || m_typeIndex > 2 || !ApplyRangeTable()) return FALSE;
  auto* item = storeTarget<CQXRecursionV5Item>(entry);
  if (!item) return FALSE;
  try {
    // Every value converted before the item changes; the range holds reals.
    std::vector<std::vector<BYTE>> values;
    for (int i = 0; i < kRangeValues; ++i) {
      std::vector<BYTE> bytes;
      bool complex = false;
      if (!RangeValueBytes(GetRangeItemName(i), 2, &bytes, &complex) || complex) {
        ShowInvalidNumber();
        return FALSE;
      }
      values.push_back(std::move(bytes));
    }
    CQXRecursionRangeItem& range = item->GetRange();
    if ((range.GetRows() < DWORD(kRangeValues) || item->GetFormulas().GetCount() < 3) && !item->InitValues())
      return FALSE;
    item->SetRecursionType(m_typeIndex + 1, m_startIndex == 1 ? '1' : '0');
    for (int i = 0; i < kRangeValues; ++i) range.SetReal(DWORD(i + 1), 1, values[size_t(i)].data(), 9);
    for (int d = 0; d < 3; ++d) {
      CQXGraphFuncEntry* formula = item->GetFormula(d);
      if (!formula) continue;
      if (const FormulaRecord* record = GetFieldRecord(d)) {
        formula->SetType(DWORD(record->type));
        formula->SetOption(DWORD(record->option));
        formula->SetStyle(DWORD(record->colour));
      }
      const std::vector<BYTE> tokens = GetFieldTokens(d);
      formula->SetExpression(tokens.data(), DWORD(tokens.size()));
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

namespace {
int colourValue(UINT command) {
  return command == CQXRecursionCtrlDataPage::kCmdBlue ? 2 : command == CQXRecursionCtrlDataPage::kCmdOrange ? 1 : 4;
}
}  // namespace

void CQXRecursionV5DataPage::SetRecordColour(void* record, UINT command) {
  static_cast<FormulaRecord*>(record)->colour = colourValue(command);
}

BOOL CQXRecursionV5DataPage::IsRecordColour(const void* record, UINT command) const {
  return static_cast<const FormulaRecord*>(record)->colour == colourValue(command);
}

void CQXRecursionV5DataPage::ToggleRecordDrawn(void* record) { static_cast<FormulaRecord*>(record)->option ^= 0x10; }

BOOL CQXRecursionV5DataPage::IsRecordDrawn(const void* record) const {
  return (static_cast<const FormulaRecord*>(record)->option & 0x10) != 0;
}

// ---------------------------------------------------------------- views

QX_SIMPLE_DATA_VIEW(CQXRecursionDataView, CQXRecursionDataPage, 630, 10029)
QX_SIMPLE_DATA_VIEW(CQXRecursionV5DataView, CQXRecursionV5DataPage, 630, 10029)

void RegisterRecursionPageClasses() {
  for (const CRuntimeClass* cls : {RUNTIME_CLASS(CQXRecursionCtrlDataPage), RUNTIME_CLASS(CQXRecursionDataPage),
                                   RUNTIME_CLASS(CQXRecursionV5DataPage), RUNTIME_CLASS(CQXRecursionDataView),
                                   RUNTIME_CLASS(CQXRecursionV5DataView)})
    RegisterRuntimeClass(cls);
}
