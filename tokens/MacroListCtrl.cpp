#include "tokens/MacroListCtrl.h"

#include "charset/Cp1252.h"
#include "classlib/ListHelpers.h"
#include "classlib/SettingsTable.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "tokens/TokenClipboard.h"

#include <QContextMenuEvent>
#include <QTreeView>

#include <new>

namespace {

constexpr UINT kColumnCaptions[] = {10200, 10201};
constexpr int kColumnWidths[] = {20, 30};
const ListColumnSetup kColumns{2, kColumnCaptions, kColumnWidths, tallix::settings::kEditMacroList, "Column Width 1"};

}  // namespace

const CMessageMap& CQXMacroListCtrl::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXMacroListCtrl>(COrvoListCtrl::messageMap()).notifyReflect(LVN_BEGINDRAG, &CQXMacroListCtrl::OnBeginDrag);
  return map;
}

CQXMacroListCtrl::CQXMacroListCtrl(QWidget* parent) : COrvoListCtrl(parent) {
  autoDelete = FALSE;
  RegisterMacroListClass();
}

CQXMacroListCtrl::~CQXMacroListCtrl() { DestroyWindow(); }

void CQXMacroListCtrl::RegisterMacroListClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("CQXMacroListCtrl"), [](QWidget* parent, const QString& name) {
    auto* list = new CQXMacroListCtrl(parent);
    list->setObjectName(name);
    list->prepare();
    return static_cast<QWidget*>(list);
  });
}

int CQXMacroListCtrl::OnCreate(LPCREATESTRUCT create) {
  if (COrvoListCtrl::OnCreate(create) == -1) return -1;
  prepare();
  return 0;
}

// Sorted by name, no sorting by the headers, whole rows, the stored widths.
void CQXMacroListCtrl::prepare() {
  if (prepared_) return;
  prepared_ = true;
  ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SORTASCENDING | LVS_NOSORTHEADER);
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  InitListColumns(GetReportView(), &kColumns);
}

void CQXMacroListCtrl::OnDestroy() {
  if (prepared_) SaveListColumnWidths(GetReportView(), &kColumns);
  DeleteAllMacros();
  COrvoListCtrl::OnDestroy();
}

BOOL CQXMacroListCtrl::OnEraseBkgnd(CDC* dc) { return EraseListEmptyArea(this, dc); }

int CQXMacroListCtrl::AddMacro(int length, const BYTE* bytes, const char* name, const char* description,
                               BOOL select) {
  CQXMacro macro;
  try {
    macro.name = name ? name : "";
    macro.description = description ? description : "";
    if (length > 0 && bytes) macro.record = std::make_shared<CQXMacroRecord>(CQXMacroRecord{{bytes, bytes + length}});
  } catch (const std::bad_alloc&) {
    AfxMessageBox(61706, MB_ICONSTOP);
    return -1;
  }
  return AddMacro(macro, select);
}

int CQXMacroListCtrl::AddMacro(const CQXMacro& macro, BOOL select) {
  const int row = InsertItem(GetItemCount(), tallix::fromCp1252(macro.name.substr(0, kMacroNameMax)));
  if (row < 0) return -1;
  SetItemText(row, 1, tallix::fromCp1252(macro.description.substr(0, kMacroDescriptionMax)));
  if (macro.record) {
    const auto key = reinterpret_cast<DWORD_PTR>(macro.record.get());
    records_[key] = macro.record;
    SetItemData(row, key);
  }
  if (select) {
    SetItemState(-1, 0, LVIS_SELECTED);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(row, FALSE);
  }
  return row;
}

BOOL CQXMacroListCtrl::DeleteMacro(int row, BOOL removeRow) {
  if (row < 0 || row >= GetItemCount()) return FALSE;
  const DWORD_PTR key = GetItemData(row);
  // Rows copied from this list into another share the record: it stays
  // alive there.
  if (key) {
    records_.erase(key);
    SetItemData(row, 0);
  }
  if (removeRow) DeleteItem(row);
  return TRUE;
}

void CQXMacroListCtrl::DeleteAllMacros() {
  records_.clear();
  DeleteAllItems();
}

CQXMacro CQXMacroListCtrl::GetMacro(int row) const {
  CQXMacro macro;
  if (row < 0 || row >= GetItemCount()) return macro;
  macro.name = tallix::toCp1252(GetItemText(row, 0));
  macro.description = tallix::toCp1252(GetItemText(row, 1));
  const auto found = records_.find(GetItemData(row));
  if (found != records_.end()) macro.record = found->second;
  return macro;
}

void CQXMacroListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  TrackListContextMenu(this, event, contextMenuId, FALSE);
}

void CQXMacroListCtrl::OnBeginDrag(NMHDR*, LRESULT* result) {
  *result = 0;
  if (!dragEnabled) return;
  const CQXMacro macro = GetMacro(GetFirstSelectedItem(this));
  if (macro.record && !macro.record->bytes.empty())
    DragTokensOut(macro.record->bytes.data(), int(macro.record->bytes.size()), this);
}
