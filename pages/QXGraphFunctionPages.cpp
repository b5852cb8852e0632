#include "pages/QXGraphFunctionPages.h"

#include "datamodel/QXDocEntry.h"
#include "datamodel/QXGraphFuncSets.h"
#include "pages/QXSimpleDataView.h"
#include "platform/CmdUI.h"

#include <algorithm>

namespace {

constexpr UINT kCmdTypeY = 20031, kCmdTypePolar = 20032, kCmdTypeParametric = 20033, kCmdTypeXc = 20034;
constexpr UINT kCmdRelationFirst = 20035, kCmdRelationLast = 20039;
// Older page: colours and draw flag of the three style groups, four
// commands a group from 20040.
constexpr UINT kCmdStyleFirst = 20040, kCmdStyleLast = 20051;
constexpr const char* kColours[] = {"BL", "OR", "GN"};

// The older page's graph type of commands 20031-20034.
BYTE olderTypeOf(UINT id) {
  switch (id) {
    case kCmdTypeY: return kGraphLetterY;
    case kCmdTypePolar: return kGraphLetterPolar;
    case kCmdTypeParametric: return kGraphLetterParametric;
    default: return kGraphLetterXc;
  }
}

// '=', '>', '<', <=, >= of commands 20035-20039.
constexpr BYTE kRelations[] = {'=', '>', '<', kRelationLessEqual, kRelationGreaterEqual};

// The newer page's type code of commands 20031-20039.
DWORD newerTypeOf(UINT id) {
  static constexpr DWORD codes[] = {kGraphTypeY,          kGraphTypePolar,     kGraphTypeParametric,
                                    kGraphTypeXc,         kGraphTypeY,         kGraphTypeYGreater,
                                    kGraphTypeYLess,      kGraphTypeYLessEqual, kGraphTypeYGreaterEqual};
  return codes[id - kCmdTypeY];
}

// The newer page's draw-flag bit of a command, 0 for none.
DWORD newerFlagOf(UINT id) {
  switch (id) {
    case 20043: return 0x80;
    case 20053: return 0x40;
    case 20047: return 0x10;
    case 20051: return 0x08;
    case 20052: return 0x04;
    default: return 0;
  }
}

// The newer page's colour of commands 20040-20042, 0 for none.
DWORD newerColourOf(UINT id) {
  switch (id) {
    case 20040: return 2;
    case 20041: return 1;
    case 20042: return 4;
    default: return 0;
  }
}

template <class Record>
void forget(std::vector<std::unique_ptr<Record>>* records, const Record* record) {
  std::erase_if(*records, [record](const auto& r) { return r.get() == record; });
}

}  // namespace

// ---------------------------------------------------------------- shared

CQXGraphFunctionFieldsPage::CQXGraphFunctionFieldsPage(UINT templateId) : CQXFunctionFieldCtrlDataPage(templateId) {
  tabTextFromDescription = TRUE;
  loadItemOnInit = TRUE;
}

void CQXGraphFunctionFieldsPage::OnDestroy() {
  if (CQXTokenFieldList* list = GetFieldList())
    for (int i = 0; i < list->GetFieldCount(); ++i) list->SetFieldData(i, 0);
  FreeRecords();
  CQXFunctionFieldCtrlDataPage::OnDestroy();
}

BOOL CQXGraphFunctionFieldsPage::AddSecondField(int index, const std::string& label, std::uintptr_t data) {
  CQXTokenFieldList* list = GetFieldList();
  CQXFieldTokenEditor* first = list ? list->GetFieldEditor(index) : nullptr;
  if (!first) return FALSE;
  const int id = first->GetDlgCtrlID();
  if (!AddFunctionField(label, id + fieldIdStep / 2, data, id)) return FALSE;
  PrepareFieldEditor(index + 1);
  if (GetPageFont()) list->SetFieldFont(index + 1, GetPageFont());
  list->RecalcLayout();
  return TRUE;
}

void CQXGraphFunctionFieldsPage::RemoveField(int index) {
  if (CQXTokenFieldList* list = GetFieldList()) list->RemoveField(index);
}

// ---------------------------------------------------------------- older family

const CMessageMap& CQXGraphFunctionDataPage::messageMap() {
  using P = CQXGraphFunctionDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXGraphFunctionFieldsPage::messageMap())
                                     .commandRange(kCmdFirst, kCmdStyleLast, &P::OnFieldCommand)
                                     .updateUIRange(kCmdFirst, kCmdStyleLast, &P::OnUpdateCommand);
  return map;
}

CQXGraphFunctionDataPage::CQXGraphFunctionDataPage() : CQXGraphFunctionFieldsPage(kPageId) {
  fieldMenuId = kFieldMenu;
}

CQXGraphFunctionDataPage::~CQXGraphFunctionDataPage() = default;

void CQXGraphFunctionDataPage::FreeRecords() { records_.clear(); }

CQXGraphFunctionInfo* CQXGraphFunctionDataPage::keep(const CQXGraphFunctionInfo& info) {
  records_.push_back(std::make_unique<CQXGraphFunctionInfo>(info));
  return records_.back().get();
}

void CQXGraphFunctionDataPage::relabel(int i) {
  if (const CQXGraphFunctionInfo* info = record(i)) SetFieldLabel(i, OlderGraphFunctionLabel(*info));
}

BOOL CQXGraphFunctionDataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXGraphFuncItem*>(entry->GetItem()) : nullptr;
  CQXTokenFieldList* list = GetFieldList();
  if (!item || !list) return FALSE;
  list->RemoveAllFields();
  FreeRecords();
  std::vector<std::string> texts;
  for (int j = 0; j < item->GetCount(); ++j) {
    CQXGraphFunctionInfo info;
    item->GetFunctionInfo(j, &info);
    // The item keeps relation and style; a function is parametric when a
    // separator token splits its bytes, whatever byte 0xF6 a two-byte token
    // holds.
    std::string first, second;
    const bool pair =
        SplitParametric(WithoutEndByte(item->GetFunctionData(j), item->GetFunctionLength(j)), &GetTokenTextMap(),
                        &first, &second);
    info.form = pair ? 2 : 1;
    info.further = 1;
    info.typeLetter = pair ? kGraphLetterParametric : kGraphLetterY;
    CQXGraphFunctionInfo* kept = keep(info);
    if (!AddFunctionField(OlderGraphFunctionLabel(info), FieldId(j), std::uintptr_t(kept))) return FALSE;
    texts.push_back(first);
    if (pair) {
      info.further = 2;
      CQXGraphFunctionInfo* part2 = keep(info);
      if (!AddFunctionField(OlderGraphFunctionLabel(info), FieldId(j) + fieldIdStep / 2, std::uintptr_t(part2)))
        return FALSE;
      texts.push_back(second);
    }
  }
  FinishFields(TRUE);
  for (int i = 0; i < int(texts.size()); ++i) SetFieldTokens(i, texts[std::size_t(i)]);
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXGraphFunctionDataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXGraphFuncItem*>(entry->GetItem()) : nullptr;
  CQXTokenFieldList* list = GetFieldList();
  if (!item || !list) return FALSE;
  for (int i = 0; i < list->GetFieldCount(); ++i) {
    const CQXGraphFunctionInfo* info = record(i);
    if (!info || info->further == 2) continue;
    std::string bytes;
    if (!GetFieldTokens(i, &bytes)) return FALSE;
    if (info->form == 2) {
      std::string second;
      if (!GetFieldTokens(i + 1, &second)) return FALSE;
      bytes = JoinParametric(bytes, second);
    }
    bytes.push_back(char(kFunctionEndByte));
    const int n = int(info->index);
    if (!item->SetFunctionBytes(n, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()))) return FALSE;
    item->SetFunctionInfo(*info);
  }
  return TRUE;
}

int CQXGraphFunctionDataPage::setType(int index, BYTE type) {
  CQXGraphFunctionInfo* info = record(index);
  if (!info) return index;
  if (type == kGraphLetterParametric && info->form == 1) {
    CQXGraphFunctionInfo partner = *info;
    info->form = partner.form = 2;
    partner.further = 2;
    info->typeLetter = partner.typeLetter = kGraphLetterParametric;
    info->relation = partner.relation = '=';
    if (!AddSecondField(index, OlderGraphFunctionLabel(partner), std::uintptr_t(keep(partner)))) {
      forget(&records_, records_.back().get());
      info->form = 1;
      return index;
    }
  } else if (type != kGraphLetterParametric && info->form == 2) {
    // The pair's first field stays; the second goes with its tokens.
    if (info->further == 2) info = record(--index);
    const CQXGraphFunctionInfo* second = record(index + 1);
    RemoveField(index + 1);
    forget(&records_, second);
    info->form = 1;
    info->further = 1;
    info->typeLetter = type;
  } else {
    info->typeLetter = type;
    if (type != kGraphLetterY) info->relation = '=';
  }
  relabel(index);
  return index;
}

void CQXGraphFunctionDataPage::setRelation(int index, BYTE relation) {
  const CQXGraphFunctionInfo* info = record(index);
  if (!info) return;
  if (info->typeLetter != kGraphLetterY) index = setType(index, kGraphLetterY);
  if (CQXGraphFunctionInfo* changed = record(index)) {
    changed->relation = relation;
    relabel(index);
  }
}

void CQXGraphFunctionDataPage::OnFieldCommand(UINT id) {
  const int index = CommandField();
  CQXGraphFunctionInfo* info = record(index);
  if (!info) return;
  if (id <= kCmdTypeXc) {
    setType(index, olderTypeOf(id));
  } else if (id <= kCmdRelationLast) {
    setRelation(index, kRelations[id - kCmdRelationFirst]);
  } else {
    const int group = int(id - kCmdStyleFirst) / 4;
    const int item = int(id - kCmdStyleFirst) % 4;
    if (item < 3)
      SetStyleColour(info, group, kColours[item]);
    else
      ToggleStyleDrawn(info, group);
    // The two fields of a pair draw alike.
    if (info->form == 2)
      if (CQXGraphFunctionInfo* partner = record(PartnerOf(index, int(info->further))))
        std::copy(std::begin(info->style), std::end(info->style), partner->style);
  }
  SetModified(TRUE);
}

void CQXGraphFunctionDataPage::OnUpdateCommand(CCmdUI* ui) {
  ui->Enable(TRUE);
  const CQXGraphFunctionInfo* info = record(CommandField());
  const UINT id = ui->m_nID;
  if (id <= kCmdTypeXc) {
    ui->SetRadio(info && info->typeLetter == olderTypeOf(id));
  } else if (id <= kCmdRelationLast) {
    ui->SetRadio(info && info->relation == kRelations[id - kCmdRelationFirst]);
  } else {
    const int group = int(id - kCmdStyleFirst) / 4;
    const int item = int(id - kCmdStyleFirst) % 4;
    if (item < 3)
      ui->SetRadio(info && StyleHasColour(*info, group, kColours[item]));
    else
      ui->SetCheck(info && StyleIsDrawn(*info, group) ? 1 : 0);
  }
}

// ---------------------------------------------------------------- newer family

const CMessageMap& CQXGraphFunctionV5DataPage::messageMap() {
  using P = CQXGraphFunctionV5DataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXGraphFunctionFieldsPage::messageMap())
                                     .commandRange(kCmdFirst, kCmdLast, &P::OnFieldCommand)
                                     .updateUIRange(kCmdFirst, kCmdLast, &P::OnUpdateCommand);
  return map;
}

CQXGraphFunctionV5DataPage::CQXGraphFunctionV5DataPage() : CQXGraphFunctionFieldsPage(kPageId) {
  fieldMenuId = kFieldMenu;
}

CQXGraphFunctionV5DataPage::~CQXGraphFunctionV5DataPage() = default;

void CQXGraphFunctionV5DataPage::FreeRecords() { records_.clear(); }

CQXGraphFuncV5Record* CQXGraphFunctionV5DataPage::keep(const CQXGraphFuncV5Record& record) {
  records_.push_back(std::make_unique<CQXGraphFuncV5Record>(record));
  return records_.back().get();
}

BOOL CQXGraphFunctionV5DataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXGraphFuncV5Item*>(entry->GetItem()) : nullptr;
  CQXTokenFieldList* list = GetFieldList();
  if (!item || !list) return FALSE;
  list->RemoveAllFields();
  FreeRecords();
  std::vector<std::string> texts;
  for (int i = 0; i < item->GetCount(); ++i) {
    const CQXGraphFuncEntry* function = item->GetEntry(i);
    if (!function) continue;
    CQXGraphFuncV5Record record;
    record.number = i + 1;
    record.type = function->GetType();
    record.flags = function->GetOption();
    record.colour = function->GetStyle();
    const std::vector<BYTE>& expression = function->GetExpression();
    std::string bytes(expression.begin(), expression.end());
    if (record.type != kGraphTypeParametric) {
      if (!AddFunctionField(NewerGraphFunctionLabel(record), FieldId(i), std::uintptr_t(keep(record)))) return FALSE;
      texts.push_back(bytes);
      continue;
    }
    // Without a separator the first field takes every byte, the second none.
    std::string first, second;
    SplitParametric(bytes, &GetTokenTextMap(), &first, &second);
    record.form = 2;
    if (!AddFunctionField(NewerGraphFunctionLabel(record), FieldId(i), std::uintptr_t(keep(record)))) return FALSE;
    record.part = 2;
    if (!AddFunctionField(NewerGraphFunctionLabel(record), FieldId(i) + fieldIdStep / 2, std::uintptr_t(keep(record))))
      return FALSE;
    texts.push_back(first);
    texts.push_back(second);
  }
  FinishFields(TRUE);
  for (int i = 0; i < int(texts.size()); ++i) SetFieldTokens(i, texts[std::size_t(i)]);
  SetModified(FALSE);
  return TRUE;
}

BOOL CQXGraphFunctionV5DataPage::StoreToItem(CQXDocEntry* entry) {
  auto* item = entry ? dynamic_cast<CQXGraphFuncV5Item*>(entry->GetItem()) : nullptr;
  CQXTokenFieldList* list = GetFieldList();
  if (!item || !list) return FALSE;
  int next = 0;
  for (int i = 0; i < list->GetFieldCount(); ++i) {
    const CQXGraphFuncV5Record* record = this->record(i);
    if (!record || record->part == 2) continue;
    CQXGraphFuncEntry* function = item->GetEntry(next++);
    if (!function) break;
    std::string bytes;
    if (!GetFieldTokens(i, &bytes)) return FALSE;
    if (record->form == 2) {
      std::string second;
      if (!GetFieldTokens(i + 1, &second)) return FALSE;
      bytes = JoinParametric(bytes, second);
    }
    function->SetExpression(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
    function->SetType(record->type);
    function->SetOption(record->flags);
    function->SetStyle(record->colour);
  }
  return TRUE;
}

void CQXGraphFunctionV5DataPage::setType(int index, DWORD type) {
  CQXGraphFuncV5Record* record = this->record(index);
  if (!record) return;
  if (type == kGraphTypeParametric && record->form == 1) {
    CQXGraphFuncV5Record partner = *record;
    record->form = partner.form = 2;
    partner.part = 2;
    record->type = partner.type = kGraphTypeParametric;
    if (!AddSecondField(index, NewerGraphFunctionLabel(partner), std::uintptr_t(keep(partner)))) {
      forget(&records_, records_.back().get());
      record->form = 1;
      return;
    }
  } else if (type != kGraphTypeParametric && record->form == 2) {
    if (record->part == 2) record = this->record(--index);
    const CQXGraphFuncV5Record* second = this->record(index + 1);
    RemoveField(index + 1);
    forget(&records_, second);
    record->form = 1;
    record->part = 1;
    record->type = type;
  } else {
    record->type = type;
  }
  SetFieldLabel(index, NewerGraphFunctionLabel(*record));
}

void CQXGraphFunctionV5DataPage::OnFieldCommand(UINT id) {
  const int index = CommandField();
  CQXGraphFuncV5Record* record = this->record(index);
  if (!record) return;
  if (id <= kCmdRelationLast) {
    setType(index, newerTypeOf(id));
  } else if (const DWORD colour = newerColourOf(id)) {
    record->colour = colour;
  } else if (const DWORD flag = newerFlagOf(id)) {
    record->flags ^= flag;
  }
  // The two fields of a pair draw alike.
  if (id > kCmdRelationLast && record->form == 2)
    if (CQXGraphFuncV5Record* partner = this->record(PartnerOf(index, record->part))) {
      partner->colour = record->colour;
      partner->flags = record->flags;
    }
  SetModified(TRUE);
}

void CQXGraphFunctionV5DataPage::OnUpdateCommand(CCmdUI* ui) {
  ui->Enable(TRUE);
  const CQXGraphFuncV5Record* record = this->record(CommandField());
  const UINT id = ui->m_nID;
  if (id <= kCmdRelationLast)
    ui->SetRadio(record && record->type == newerTypeOf(id));
  else if (const DWORD colour = newerColourOf(id))
    ui->SetRadio(record && record->colour == colour);
  else if (const DWORD flag = newerFlagOf(id))
    ui->SetCheck(record && (record->flags & flag) ? 1 : 0);
}

// ---------------------------------------------------------------- views

QX_SIMPLE_DATA_VIEW(CQXGraphFunctionDataView, CQXGraphFunctionDataPage, 632, 10025)
QX_SIMPLE_DATA_VIEW(CQXGraphFunctionV5DataView, CQXGraphFunctionV5DataPage, 632, 10025)
