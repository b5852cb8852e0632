#include "pages/QXECONSetupPage.h"

#include "charset/CalcCharset.h"
#include "charset/Cp1252.h"
#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXECONRecords.h"
#include "pages/QXECONView.h"
#include "pages/QXSensorList.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"

#include <cstdio>

namespace {

constexpr UINT kNoData = 10160, kOverwrite = 10157, kConfirmDelete = 10158, kCannotDelete = 10159;
constexpr UINT kCurrentSetupText = 10979, kUnknownSensor = 10700;
constexpr UINT kOutOfMemory = 61706, kCommandFailed = 61705;
constexpr int kNumberBytes = 9;
constexpr int kTitleWidth = 19, kTitleLimit = 18;

// What a row shows and how it goes into the record.
enum class Row {
  Number,    // the memory number: the record's name, not a field
  Title,     // text
  Calc,      // a calculator number of 9 bytes
  Int,       // an integer within minimum..maximum
  OptInt,    // the same, or empty for 0
  Sensor,    // a sensor code of the sensor list
  Choice,    // a value of an option table
};

struct SetupRow {
  UINT label;
  Row kind;
  int field;
  int table;  // option table of a choice row
  int minimum, maximum;
};

constexpr SetupRow kRows[CQXECONSetupDataPage::kRowCount] = {
    {10984, Row::Number, -1, -1, 1, 99},  {10200, Row::Title, 0, -1, 0, 0},    {10951, Row::Calc, 19, -1, 0, 0},
    {10952, Row::Int, 28, -1, 1, 255},    {10953, Row::Sensor, 30, 0, 0, 0},  {10954, Row::Sensor, 32, 0, 0, 0},
    {10955, Row::Sensor, 34, 0, 0, 0},    {10956, Row::Choice, 36, 1, 0, 0},  {10957, Row::Int, 38, -1, 1, 20},
    {10958, Row::Int, 39, -1, 1, 20},     {10959, Row::Int, 40, -1, 1, 20},   {10960, Row::Int, 41, -1, 1, 20},
    {10961, Row::Choice, 46, 10, 0, 0},   {10962, Row::Choice, 48, 2, 0, 0},  {10963, Row::Choice, 50, 3, 0, 0},
    {10964, Row::OptInt, 51, -1, 1, 20},  {10965, Row::Choice, 52, 4, 0, 0},  {10966, Row::Choice, 54, 5, 0, 0},
    {10967, Row::Calc, 56, -1, 0, 0},     {10968, Row::Calc, 65, -1, 0, 0},   {10969, Row::Choice, 74, 6, 0, 0},
    {10970, Row::Choice, 76, 7, 0, 0},    {10971, Row::Calc, 78, -1, 0, 0},   {10972, Row::Calc, 87, -1, 0, 0},
    {10973, Row::Choice, 96, 8, 0, 0},    {10974, Row::Choice, 98, 8, 0, 0},  {10978, Row::Choice, 100, 9, 0, 0},
};
constexpr int kFirstSensorRow = 4;

// The option tables; the texts are the language library's, as stored.
constexpr EconOptionTable kSensors[] = {
    {0, 10800},   {1, 10701},   {2, 10702},   {7, 10707},   {8, 10708},   {9, 10709},   {11, 10711},
    {12, 10712},  {13, 10713},  {14, 10714},  {15, 10715},  {16, 10716},  {17, 10717},  {18, 10718},
    {19, 10719},  {20, 10720},  {21, 10721},  {22, 10722},  {23, 10723},  {24, 10724},  {25, 10725},
    {26, 10726},  {27, 10727},  {30, 10730},  {31, 10731},  {32, 10732},  {33, 10733},  {34, 10734},
    {35, 10735},  {-1, 0}};
constexpr EconOptionTable kSonic[] = {{0, 10800}, {102, 10801}, {103, 10802}, {-1, 0}};
constexpr EconOptionTable kRecordTime[] = {{0, 10840}, {1, 10841}, {2, 10842}, {3, 10843}, {4, 10844}, {-1, 0}};
constexpr EconOptionTable kChannel[] = {{1, 10850}, {2, 10851}, {3, 10852}, {4, 10853}, {-1, 0}};
constexpr EconOptionTable kFilter[] = {{0, 10840}, {1, 10860}, {2, 10861}, {3, 10862},
                                       {4, 10863}, {5, 10864}, {6, 10865}, {-1, 0}};
constexpr EconOptionTable kViewWindow[] = {{0, 10870}, {1, 10871}, {2, 10872}, {-1, 0}};
constexpr EconOptionTable kTrigger[] = {{10, 10880}, {0, 10881}, {1, 10882}, {2, 10883}, {3, 10884},
                                        {4, 10885},  {5, 10886}, {6, 10887}, {7, 10888}, {-1, 0}};
constexpr EconOptionTable kClock[] = {{0, 10890}, {1, 10891}, {12, 10892}, {-1, 0}};
constexpr EconOptionTable kEdge[] = {{1, 10900}, {0, 10901}, {-1, 0}};
constexpr EconOptionTable kPhotogate[] = {{0, 10904}, {1, 10905}, {-1, 0}};
constexpr EconOptionTable kYesNo[] = {{1, 10906}, {0, 10907}, {-1, 0}};
constexpr const EconOptionTable* kTables[] = {kSensors, kSonic,       kRecordTime, kChannel, kFilter, kViewWindow,
                                              kTrigger, kClock,       kEdge,       kPhotogate, kYesNo};

QString numberText(int number) { return QString::number(number); }

}  // namespace

const EconOptionTable* CQXECONSetupDataPage::GetOptionTable(int index) {
  return index >= 0 && index < int(std::size(kTables)) ? kTables[index] : nullptr;
}

const CMessageMap& CQXECONSetupDataPage::messageMap() {
  using P = CQXECONSetupDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXPropertyListDataPage::messageMap())
                                     .command(kOpen, &P::OnOpen)
                                     .command(kSave, &P::OnSave)
                                     .command(kDelete, &P::OnDelete);
  return map;
}

CQXECONSetupDataPage::CQXECONSetupDataPage(CQXECONDataView* view) : CQXPropertyListDataPage(kPageId), m_view(view) {}

CQXECONSetupDataPage::~CQXECONSetupDataPage() = default;

CQXDataLoggerItem* CQXECONSetupDataPage::workingItem() const { return m_view ? m_view->GetWorkingItem() : nullptr; }

BOOL CQXECONSetupDataPage::OnInitDialog() {
  CQXPropertyListDataPage::OnInitDialog();
  m_combo = GetDlgItemAs<QComboBox>(int(kCombo));
  buildRows();
  fillCombo();
  LoadFromItem(nullptr);
  m_initialised = TRUE;
  return FALSE;
}

void CQXECONSetupDataPage::buildRows() {
  for (const SetupRow& def : kRows) {
    COrvoPropertyItem row;
    row.label = CLanguageLibrary::LoadString(def.label);
    const bool dropDown = def.kind == Row::Sensor || def.kind == Row::Choice;
    row.kind = dropDown ? COrvoPropertyItem::DropDownList : COrvoPropertyItem::EditField;
    row.style = dropDown ? CBS_DROPDOWNLIST | WS_VSCROLL
                : def.kind == Row::Int || def.kind == Row::OptInt || def.kind == Row::Number ? ES_NUMBER
                                                                                            : 0;
    if (def.kind == Row::Title) row.textLimit = kTitleLimit;
    m_list.AddItem(row);
  }
  for (int r = 0; r < kRowCount; ++r) {
    if (kRows[r].kind == Row::Sensor) {
      RefreshSensorChoices(r);
    } else if (const EconOptionTable* table = kRows[r].kind == Row::Choice ? GetOptionTable(kRows[r].table) : nullptr) {
      for (; table->value != -1; ++table)
        m_list.InsertChoice(r, CLanguageLibrary::LoadString(table->stringId), -1, DWORD(table->value));
      m_list.SetChoiceIndex(r, 0);
    }
  }
  m_list.FitLabelColumn();
  m_list.SelectItem(0);
}

void CQXECONSetupDataPage::fillCombo() {
  if (!m_combo) return;
  m_combo->clear();
  CQXDataLoggerItem* item = workingItem();
  if (!item) return;
  const CQXRawBlockList& records = item->GetBlockList();
  for (int i = 0; i < records.GetCount(); ++i) {
    const CQXRawBlock* record = records.GetAt(i);
    if (const int n = EconRecordNumber(record, "10"))
      InsertSortedEntry(m_combo, FormatEconEntry("%02d: %s", n, ReadEconText(record, 0, kTitleWidth)), n);
    else if (record->Name() == "cda_mem")
      InsertSortedEntry(m_combo, m_currentName, 0);
  }
}

void CQXECONSetupDataPage::selectCombo(int number) {
  if (m_combo) m_combo->setCurrentIndex(FindEntryByData(m_combo, number));
}

BOOL CQXECONSetupDataPage::LoadFromItem(CQXDocEntry*) {
  ShowSetup(EconSetupRecordName(0), 0);
  selectCombo(0);
  m_list.SetModified(FALSE);
  return TRUE;
}

void CQXECONSetupDataPage::chooseSensor(int row, DWORD code) {
  int& unknown = m_unknownSensor[row - kFirstSensorRow];
  if (unknown >= 0) {
    m_list.DeleteChoice(row, unknown);
    unknown = -1;
  }
  if (m_list.SetChoiceByData(row, code)) return;
  char text[128];
  std::snprintf(text, sizeof text, "%s (%d)", CLanguageLibrary::LoadStringA(kUnknownSensor).c_str(), int(code));
  unknown = m_list.InsertChoice(row, tallix::fromCp1252(text), -1, code);
  m_list.SetChoiceIndex(row, unknown);
}

BOOL CQXECONSetupDataPage::ShowSetup(const std::string& name, int number) {
  CQXDataLoggerItem* item = workingItem();
  if (!item) return FALSE;
  const CQXRawBlock* record = item->FindBlock(name.c_str());
  if (!record) {
    if (number >= 1 && number <= 99)
      AfxMessageBox(CLanguageLibrary::FormatMessage(kNoData, numberText(number)), MB_ICONQUESTION);
    return FALSE;
  }
  for (int r = 0; r < kRowCount; ++r) {
    const SetupRow& def = kRows[r];
    DWORD value = 0;
    const bool hasValue = def.field >= 0 && CQXDataLoggerItem::GetIntField(record, def.field, &value) == 1;
    switch (def.kind) {
      case Row::Number: SetRowText(r, std::to_string(number)); break;
      case Row::Title: SetRowText(r, ReadEconText(record, def.field, kTitleWidth)); break;
      case Row::Calc: {
        BYTE bytes[kNumberBytes] = {};
        std::string text;
        if (CQXDataLoggerItem::GetBytesField(record, def.field, bytes, sizeof bytes) == 1)
          NumberToText(bytes, sizeof bytes, FALSE, &text);
        SetRowText(r, text);
        break;
      }
      case Row::Int: SetRowText(r, hasValue ? std::to_string(value) : std::string()); break;
      case Row::OptInt: SetRowText(r, hasValue && value != 0 ? std::to_string(value) : std::string()); break;
      case Row::Sensor:
        if (hasValue) chooseSensor(r, value);
        break;
      case Row::Choice:
        if (hasValue) m_list.SetChoiceByData(r, value);  // an unknown value keeps the current entry
        break;
    }
  }
  m_list.SelectItem(0);
  m_list.update();
  // What is shown is not an edit of the rows.
  m_list.SetModified(FALSE);
  return TRUE;
}

BOOL CQXECONSetupDataPage::ValidateSetupRows(BOOL withNumberAndTitle) {
  if (withNumberAndTitle && (!CheckIntRange(0, kRows[0].minimum, kRows[0].maximum) || !CheckNotEmpty(1)))
    return FALSE;
  for (int r = 0; r < kRowCount; ++r) {
    const SetupRow& def = kRows[r];
    switch (def.kind) {
      case Row::Int:
        if (!CheckIntRange(r, def.minimum, def.maximum)) return FALSE;
        break;
      case Row::OptInt:
        // Empty stands for 0, "no list".
        if (!GetRowText(r).empty() && !CheckIntRange(r, def.minimum, def.maximum)) return FALSE;
        break;
      case Row::Calc:
        if (!CheckNumber(r)) return FALSE;
        break;
      default: break;
    }
  }
  return TRUE;
}

BOOL CQXECONSetupDataPage::WriteSetupRecord(const std::string& name, int number) {
  CQXDataLoggerItem* item = workingItem();
  CQXRawBlock* record = item ? item->FindBlock(name.c_str()) : nullptr;
  if (!record) return FALSE;
  for (int r = 0; r < kRowCount; ++r) {
    const SetupRow& def = kRows[r];
    DWORD choice = 0;
    switch (def.kind) {
      case Row::Number: break;
      case Row::Title:
        WriteEconText(record, def.field, number != 0 ? GetRowText(r) : std::string("--"), kTitleWidth);
        break;
      case Row::Calc: {
        BYTE bytes[kNumberBytes];
        TextToNumber(bytes, sizeof bytes, FALSE, GetRowText(r));
        CQXDataLoggerItem::SetBytesField(record, def.field, bytes, sizeof bytes);
        break;
      }
      case Row::Int:
      case Row::OptInt: CQXDataLoggerItem::SetIntField(record, def.field, DWORD(GetRowInt(r))); break;
      case Row::Sensor:
      case Row::Choice:
        if (GetRowChoice(r, &choice)) CQXDataLoggerItem::SetIntField(record, def.field, choice);
        break;
    }
  }
  return TRUE;
}

void CQXECONSetupDataPage::RefreshSensorChoices(int row) {
  if (row < kFirstSensorRow || row >= kFirstSensorRow + 3) return;
  DWORD current = 0;
  const BOOL chosen = GetRowChoice(row, &current);
  m_list.ResetChoices(row);
  m_unknownSensor[row - kFirstSensorRow] = -1;
  for (const EconOptionTable* t = GetOptionTable(0); t->value != -1; ++t)
    m_list.InsertChoice(row, CLanguageLibrary::LoadString(t->stringId), -1, DWORD(t->value));
  for (const QXSensor& sensor : ReadSensorList())
    m_list.InsertChoice(row, tallix::fromCp1252(sensor.name), -1, DWORD(sensor.number));
  if (CQXDataLoggerItem* item = workingItem()) {
    const CQXRawBlockList& records = item->GetBlockList();
    for (int i = 0; i < records.GetCount(); ++i) {
      const CQXRawBlock* record = records.GetAt(i);
      if (const int n = EconRecordNumber(record, "20")) {
        const std::string text = ReadEconText(record, 2000, 19) + ": " + ReadEconText(record, 2019, 9);
        m_list.InsertChoice(row, CalcPlainText(text), -1, DWORD(2000 + n));
      }
    }
  }
  if (chosen)
    chooseSensor(row, current);  // a code no entry carries any more stays, as unknown
  else
    m_list.SetChoiceIndex(row, 0);
}

void CQXECONSetupDataPage::ReloadWorkingItem() {
  if (!m_initialised) return;
  for (int r = kFirstSensorRow; r < kFirstSensorRow + 3; ++r) RefreshSensorChoices(r);
  fillCombo();
  LoadFromItem(nullptr);
}

void CQXECONSetupDataPage::DoDataExchange(CDataExchange* pDX) {
  CQXPropertyListDataPage::DoDataExchange(pDX);
  if (pDX->m_bSaveAndValidate || !m_initialised || !m_view || !m_view->GetProbesChanged()) return;
  for (int r = kFirstSensorRow; r < kFirstSensorRow + 3; ++r) RefreshSensorChoices(r);
  m_view->SetProbesChanged(FALSE);
}

BOOL CQXECONSetupDataPage::Validate(TreeItemInfo*) {
  // Rows are written only when they were edited.
  return !m_list.IsModified() || ValidateSetupRows(FALSE);
}

void CQXECONSetupDataPage::OnOpen() {
  int number = 0;
  if (GetSelectedEntryData(m_combo, &number)) ShowSetup(EconSetupRecordName(number), number);
}

void CQXECONSetupDataPage::OnSave() {
  CQXDataLoggerItem* item = workingItem();
  if (!item) return;
  const int number = GetRowInt(0);
  if (!ValidateSetupRows(number != 0)) return;
  const std::string name = EconSetupRecordName(number);
  if (const CQXRawBlock* record = item->FindBlock(name.c_str()); record && number != 0) {
    const std::string entry = FormatEconEntry("%2d: %s", number, ReadEconText(record, 0, kTitleWidth));
    if (AfxMessageBox(CLanguageLibrary::FormatMessage(kOverwrite, CalcPlainText(entry)),
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
      return;
  } else if (!record && !item->AddSetupRecord(0, number)) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return;
  }
  WriteSetupRecord(name, number);
  if (m_combo && number != 0) ReplaceSortedEntry(m_combo, FormatEconEntry("%02d: %s", number, GetRowText(1)), number);
  m_modified = TRUE;
  // The rows are stored now: the commit leaves "cda_mem" alone.
  m_list.SetModified(FALSE);
}

void CQXECONSetupDataPage::OnDelete() {
  CQXDataLoggerItem* item = workingItem();
  int number = 0;
  if (!item || !GetSelectedEntryData(m_combo, &number)) return;
  if (number == 0) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kCannotDelete, CLanguageLibrary::LoadString(kCurrentSetupText)),
                  MB_ICONQUESTION);
    return;
  }
  const std::string name = EconSetupRecordName(number);
  const CQXRawBlock* record = item->FindBlock(name.c_str());
  if (!record) return;
  const std::string entry = FormatEconEntry("%d: %s", number, ReadEconText(record, 0, kTitleWidth));
  if (AfxMessageBox(CLanguageLibrary::FormatMessage(kConfirmDelete, CalcPlainText(entry)),
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  item->RemoveBlock(name.c_str());
  ShowSetup(EconSetupRecordName(0), 0);
  if (m_combo) m_combo->removeItem(FindEntryByData(m_combo, number));
  selectCombo(0);
  m_modified = TRUE;
}

BOOL CQXECONSetupDataPage::StoreToItem(CQXDocEntry* entry) {
  CQXDataLoggerItem* working = workingItem();
  if (!working || !entry) return TRUE;
  if (m_list.IsModified()) {
    // The rows on screen become the current set-up, which may have to be made.
    if (!working->FindBlock("cda_mem") && !working->AddSetupRecord(0, 0)) {
      AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
      return FALSE;
    }
    WriteSetupRecord(EconSetupRecordName(0), 0);
  }
  if (!entry->GetItem()) entry->SetItem(new CQXDataLoggerItem);
  auto* target = dynamic_cast<CQXDataLoggerItem*>(entry->GetItem());
  if (!target) {
    AfxMessageBox(kCommandFailed, MB_ICONSTOP);
    return FALSE;
  }
  CQXRawBlockList& records = target->GetBlockList();
  records.RemoveAll();
  const CQXRawBlockList& source = working->GetBlockList();
  for (int i = 0; i < source.GetCount(); ++i) {
    const CQXRawBlock* record = source.GetAt(i);
    records.AddBlock(record->HeaderImage(), CQXRawBlock::kHeaderSize, record->GetData(), record->GetLength());
  }
  return TRUE;
}
