#include "tokens/CmdListCtrl.h"

#include "charset/Cp1252.h"
#include "classlib/ListHelpers.h"
#include "platform/CalcShownText.h"
#include "platform/LanguageLibrary.h"
#include "platform/WaitCursor.h"
#include "tokens/TokenClipboard.h"

#include <QContextMenuEvent>
#include <QTreeView>

namespace {

constexpr UINT kColumnCaptions[] = {10204, 10202, 10201};
constexpr int kColumnWidths[] = {10, 10, 80};
constexpr UINT kContextMenu = 305;

ListColumnSetup columnsOf(const char* section) {
  return ListColumnSetup{3, kColumnCaptions, kColumnWidths, section, "Column Width 1"};
}

}  // namespace

const CMessageMap& CQXCmdListCtrl::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXCmdListCtrl>(COrvoListCtrl::messageMap()).notifyReflect(LVN_BEGINDRAG, &CQXCmdListCtrl::OnBeginDrag);
  return map;
}

CQXCmdListCtrl::CQXCmdListCtrl(QWidget* parent) : COrvoListCtrl(parent) { autoDelete = FALSE; }

CQXCmdListCtrl::~CQXCmdListCtrl() = default;

void CQXCmdListCtrl::RegisterCmdListClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("CQXCmdListCtrl"), [](QWidget* parent, const QString& name) {
    auto* list = new CQXCmdListCtrl(parent);
    list->setObjectName(name);
    return static_cast<QWidget*>(list);
  });
}

BOOL CQXCmdListCtrl::InitCommandColumns(const char* section) {
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  const ListColumnSetup setup = columnsOf(section);
  return InitListColumns(GetReportView(), &setup);
}

BOOL CQXCmdListCtrl::SaveCommandColumns(const char* section) {
  const ListColumnSetup setup = columnsOf(section);
  return SaveListColumnWidths(GetReportView(), &setup);
}

int CQXCmdListCtrl::InsertCommand(int item, DWORD value, const CQXCommandTable::Entry& entry) {
  const int row = InsertItem(LVIF_TEXT | LVIF_PARAM, item, CalcDisplayText(entry.characters, font()), 0, 0, -1,
                             LPARAM(value));
  if (row < 0) return -1;
  SetItemText(row, 1, tallix::fromCp1252(entry.listText));
  SetItemText(row, 2, tallix::fromCp1252(entry.description));
  return row;
}

void CQXCmdListCtrl::SetCommandFont(const QFont& font, const CQXCommandTable& table) {
  const std::vector<DWORD> values = GetCommandValues();
  const int selected = GetFirstSelectedItem(this);
  setFont(font);
  DeleteAllItems();
  for (DWORD value : values)
    if (const CQXCommandTable::Entry* entry = table.FindCommand(CommandValueTable(value), CommandValueNumber(value)))
      InsertCommand(GetItemCount(), value, *entry);
  if (selected >= 0 && selected < GetItemCount())
    SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<DWORD> CQXCmdListCtrl::GetCommandValues() const {
  std::vector<DWORD> values;
  for (int row = 0; row < GetItemCount(); ++row) values.push_back(DWORD(GetItemData(row)));
  return values;
}

void CQXCmdListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  TrackListContextMenu(this, event, kContextMenu, TRUE);
}

void CQXCmdListCtrl::OnBeginDrag(NMHDR*, LRESULT* result) {
  *result = 0;
  const int row = GetFirstSelectedItem(this);
  if (!dragEnabled || row < 0) return;
  const DWORD value = DWORD(GetItemData(row));
  if (value != 0) DragCommandOut(this, value);
}

BOOL DragCommandOut(CWnd* control, DWORD value) {
  BYTE bytes[2];
  const int length = CommandValueBytes(value, bytes);
  if (!DragTokensOut(bytes, length, control)) return FALSE;
  if (CWnd* parent = control ? control->GetParent() : nullptr) parent->PostMessage(kMsgCommandDragged);
  return TRUE;
}

int FillCommandList(CQXCmdListCtrl* list, const CQXCommandTable& table) {
  if (!list) return 0;
  list->DeleteAllItems();
  if (table.GetCommandCount() == 0) return 0;
  CWaitCursor wait;
  list->SetRedraw(FALSE);
  DWORD position = 0;
  for (BOOL more = table.GetFirstCommand(&position); more; more = table.GetNextCommand(&position)) {
    QXCOMMANDINFO info;
    if (!table.GetCommandInfo(position, &info)) continue;
    const CQXCommandTable::Entry* entry = table.FindCommand(info.table, info.number);
    if (entry) list->InsertCommand(list->GetItemCount(), MakeCommandValue(info.table, info.number), *entry);
  }
  list->SetRedraw(TRUE);
  return list->GetItemCount();
}
