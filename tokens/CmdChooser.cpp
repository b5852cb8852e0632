#include "tokens/CmdChooser.h"

#include "charset/Cp1252.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/CalcShownText.h"
#include "platform/DC.h"
#include "platform/StringCompare.h"
#include "platform/WaitCursor.h"
#include "services/DocServices.h"
#include "tokens/CommandControlFiles.h"
#include "tokens/MacroFile.h"
#include "tokens/StoredCommandLists.h"
#include "tokens/TokenListFile.h"

#include <QApplication>

#include <algorithm>

namespace {

constexpr char kLastView[] = "Last View";
constexpr char kSortList[] = "Sort List";
constexpr char kSortColumn[] = "Sort List Column";
constexpr char kLastUsedMax[] = "LUC max";
constexpr char kLastSelectedCmd[] = "Last Selected Cmd";
constexpr char kTreeLastItem[] = "Cmd Tree Last Item";
constexpr char kLastSelectedMacro[] = "Last Selected Macro";
constexpr UINT kTreeMenu = 305;

// A stored index into a table of `count` entries; a damaged value reads 0.
int readIndex(const char* section, const char* key, int count) {
  const int value = tallix::settings::readInt(section, key);
  return value >= 0 && value < count ? value : 0;
}

const std::string& entryText(const CQXCommandTable::Entry& entry, int column) {
  switch (column) {
    case 1: return entry.listText;
    case 2: return entry.description;
    default: return entry.characters;
  }
}

}  // namespace

CQXCmdChooser::CQXCmdChooser(CQXDocServices* document, const char* section)
    : document_(document), section_(section ? section : tallix::settings::kTokenView) {
  lastView_ = readIndex(section_.c_str(), kLastView, kViewCount);
  sortState_ = readIndex(section_.c_str(), kSortList, 3);
  sortColumn_ = readIndex(section_.c_str(), kSortColumn, 3);
  lastUsedMax_ = std::max(1, tallix::settings::readInt(section_.c_str(), kLastUsedMax));
}

CQXCmdChooser::~CQXCmdChooser() {
  AppWriteProfileInt(section_.c_str(), kLastView, current_ >= 0 ? current_ : lastView_);
  AppWriteProfileInt(section_.c_str(), kSortList, sortState_);
  AppWriteProfileInt(section_.c_str(), kSortColumn, sortColumn_);
}

BOOL CQXCmdChooser::Create(CWnd* parent, BOOL allowDrag) {
  if (!parent || !document_ || created_) return FALSE;
  const DWORD common = WS_CHILD | WS_BORDER | WS_DISABLED;
  DWORD treeStyle = common | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS;
  if (!allowDrag) treeStyle |= TVS_DISABLEDRAGDROP;
  if (!tree_.Create(treeStyle, QRect(), parent, kFirstViewId) || !tree_.LoadImages()) return FALSE;
  tree_.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  tree_.contextMenuId = kTreeMenu;
  const DWORD listStyle = common | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
  for (int view = kViewAll; view <= kViewUser; ++view) {
    CQXCmdListCtrl* l = list(view);
    if (!l->Create(listStyle, QRect(), parent, kFirstViewId + UINT(view))) return FALSE;
    l->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    l->InitCommandColumns(section_.c_str());
    l->dragEnabled = allowDrag;
  }
  if (!macros_.Create(listStyle, QRect(), parent, kLastViewId)) return FALSE;
  macros_.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  macros_.dragEnabled = allowDrag;
  created_ = true;
  // The last-used list is always loaded, so that commands used from any
  // view reach it.
  SetCurrentView(kViewLastUsed);
  SetCurrentView(lastView_);
  return TRUE;
}

CWnd* CQXCmdChooser::GetView(int view) const {
  auto* self = const_cast<CQXCmdChooser*>(this);
  if (view == kViewTree) return &self->tree_;
  if (view >= kViewAll && view <= kViewUser) return self->list(view);
  if (view == kViewMacros) return &self->macros_;
  return nullptr;
}

// ---- showing and filling

void CQXCmdChooser::SetCurrentView(int view) {
  if (!created_ || view < 0 || view >= kViewCount || view == current_) return;
  if (!loaded_[view]) load(view);
  else if (view >= kViewAll && view <= kViewUser && shownSort_[view - kViewAll] != sortKey())
    showList(view, selectedListValue(view));  // the shared sort changed meanwhile
  current_ = view;
  for (int other = 0; other < kViewCount; ++other) {
    CWnd* w = GetView(other);
    if (other == view) continue;
    w->ShowWindow(SW_HIDE);
    w->EnableWindow(FALSE);
    w->ModifyStyle(WS_TABSTOP, 0);
  }
  CWnd* shown = GetView(view);
  shown->EnableWindow(TRUE);
  shown->ShowWindow(SW_SHOW);
  shown->ModifyStyle(0, WS_TABSTOP);
  shown->SetFocus();
}

void CQXCmdChooser::load(int view) {
  loaded_[view] = true;
  const CQXCommandTable& table = document_->GetTokenTable();
  switch (view) {
    case kViewTree: loadTree(); return;
    case kViewMacros: loadMacros(); return;
    case kViewAll: {
      order_[0].clear();
      FillCommandList(list(view), table);
      order_[0] = list(view)->GetCommandValues();
      if (sortState_ != 0) showList(view, 0);
      else shownSort_[0] = sortKey();
      CQXCmdListCtrl* l = list(view);
      const int last = AppGetProfileInt(section_.c_str(), kLastSelectedCmd, 0);
      if (last < 0 || last >= l->GetItemCount()) return;
      // The stored command with up to three below it in sight.
      if (last + 3 < l->GetItemCount()) selectRow(l, last + 3);
      selectRow(l, last);
      return;
    }
    case kViewLastUsed: order_[1] = LoadLastUsedCmdList(table); break;
    case kViewUser: order_[2] = LoadUserCmdList(table); break;
    default: return;
  }
  showList(view, 0);
  if (list(view)->GetItemCount() > 0) selectRow(list(view), 0);
}

void CQXCmdChooser::loadTree() {
  CWaitCursor wait;
  std::string model;
  document_->GetCalculatorName(&model);
  ReadCommandTree(TokenListReadPath(model.c_str()).c_str(), &tree_);
  RestoreTreeSelectionPath(&tree_, section_.c_str(), kTreeLastItem);
}

void CQXCmdChooser::loadMacros() {
  if (macroSource_) {
    macros_.DeleteAllMacros();
    for (int row = 0; row < macroSource_->GetItemCount(); ++row) macros_.AddMacro(macroSource_->GetMacro(row), FALSE);
  } else {
    ReadMacroFile(&macros_, MacroFilePath(false).c_str());
  }
  const QString wanted =
      tallix::fromCp1252(tallix::settings::readString(tallix::settings::kEditMacroList, kLastSelectedMacro));
  for (int row = 0; row < macros_.GetItemCount(); ++row)
    if (!wanted.isEmpty() && macros_.GetItemText(row, 0) == wanted) {
      selectRow(&macros_, row);
      break;
    }
}

void CQXCmdChooser::selectRow(CListCtrl* view, int row) {
  if (!view || row < 0) return;
  view->SetItemState(-1, 0, LVIS_SELECTED);
  view->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  view->EnsureVisible(row, FALSE);
}

std::vector<DWORD> CQXCmdChooser::sorted(const std::vector<DWORD>& values) const {
  std::vector<DWORD> out = values;
  if (sortState_ == 0) return out;
  const CQXCommandTable& table = document_->GetTokenTable();
  static const std::string none;
  const auto text = [&](DWORD value) -> const std::string& {
    const CQXCommandTable::Entry* entry = table.FindCommand(CommandValueTable(value), CommandValueNumber(value));
    return entry ? entryText(*entry, sortColumn_) : none;
  };
  const bool descending = sortState_ == 2;
  std::stable_sort(out.begin(), out.end(), [&](DWORD a, DWORD b) {
    const int order = tallix::CompareTextLocale(text(a).c_str(), text(b).c_str());
    return descending ? order > 0 : order < 0;
  });
  return out;
}

DWORD CQXCmdChooser::selectedListValue(int view) {
  CQXCmdListCtrl* l = list(view);
  const int row = GetFirstSelectedItem(l);
  return row >= 0 ? DWORD(l->GetItemData(row)) : 0;
}

void CQXCmdChooser::showList(int view, DWORD keep) {
  CQXCmdListCtrl* l = list(view);
  const int index = view - kViewAll;
  l->SetRedraw(FALSE);
  FillCommandValues(l, document_->GetTokenTable(), sorted(order_[index]));
  l->SetRedraw(TRUE);
  shownSort_[index] = sortKey();
  for (int row = 0; keep != 0 && row < l->GetItemCount(); ++row)
    if (DWORD(l->GetItemData(row)) == keep) {
      selectRow(l, row);
      break;
    }
}

// ---- layout, focus, fonts

void CQXCmdChooser::MoveViews(int x, int y, int width, int height, BOOL repaint) {
  for (int view = 0; view < kViewCount; ++view) {
    CWnd* w = GetView(view);
    w->setGeometry(x, y, std::max(0, width), std::max(0, height));
    if (repaint) w->update();
  }
}

QRect CQXCmdChooser::GetViewRect() const {
  const CWnd* tree = &tree_;
  return QRect(tree->mapToGlobal(QPoint(0, 0)), tree->size());
}

void CQXCmdChooser::PlaceViewsAfter(QWidget* window) {
  QWidget* before = window;
  for (int view = 0; view < kViewCount; ++view) {
    if (before) QWidget::setTabOrder(before, GetView(view));
    before = GetView(view);
  }
}

BOOL CQXCmdChooser::HasFocus() const {
  const QWidget* focus = QApplication::focusWidget();
  if (!focus) return FALSE;
  for (int view = 0; view < kViewCount; ++view) {
    const CWnd* w = GetView(view);
    if (w == focus || w->isAncestorOf(focus)) return TRUE;
  }
  return FALSE;
}

void CQXCmdChooser::SetFont(const CFont* font) {
  if (!font) return;
  tree_.SetLabelFont(font->font());
  const CQXCommandTable& table = document_->GetTokenTable();
  for (int view = kViewAll; view <= kViewUser; ++view) {
    CQXCmdListCtrl* l = list(view);
    l->setFont(font->font());
    for (int row = 0; row < l->GetItemCount(); ++row) {
      const DWORD value = DWORD(l->GetItemData(row));
      if (const CQXCommandTable::Entry* entry = table.FindCommand(CommandValueTable(value), CommandValueNumber(value)))
        l->SetItemText(row, 0, CalcDisplayText(entry->characters, l->font()));
    }
  }
}

// ---- the selection and the last-used list

BOOL CQXCmdChooser::selectedValue(DWORD* value) const {
  auto* self = const_cast<CQXCmdChooser*>(this);
  if (current_ == kViewTree) {
    HTREEITEM item = tree_.GetSelectedItem();
    if (!TreeItemIsLeaf(tree_, item)) return FALSE;
    *value = DWORD(tree_.GetItemData(item));
    return TRUE;
  }
  if (current_ < kViewAll || current_ > kViewUser) return FALSE;
  CQXCmdListCtrl* l = self->list(current_);
  const int row = GetFirstSelectedItem(l);
  if (row < 0) return FALSE;
  *value = DWORD(l->GetItemData(row));
  return TRUE;
}

BOOL CQXCmdChooser::GetSelectedCommand(QXCMDSELECTION* out) const {
  if (!out || !created_) return FALSE;
  *out = QXCMDSELECTION();
  if (current_ == kViewMacros) {
    auto* self = const_cast<CQXCmdChooser*>(this);
    const CQXMacro macro = self->macros_.GetMacro(GetFirstSelectedItem(&self->macros_));
    if (!macro.record || macro.record->bytes.empty()) return FALSE;
    out->kind = QXCMDSELECTION::kMacro;
    out->length = int(macro.record->bytes.size());
    out->macro = macro.record;
    return TRUE;
  }
  DWORD value = 0;
  if (!selectedValue(&value)) return FALSE;
  if (!document_->GetTokenTable().FindCommand(CommandValueTable(value), CommandValueNumber(value))) return FALSE;
  out->length = CommandValueBytes(value, out->bytes);
  return TRUE;
}

void CQXCmdChooser::AddSelectionToLastUsed() {
  if (!created_ || current_ == kViewLastUsed || current_ == kViewMacros) return;
  DWORD value = 0;
  QXCMDSELECTION selection;
  if (!GetSelectedCommand(&selection) || !selectedValue(&value)) return;
  if (!loaded_[kViewLastUsed]) load(kViewLastUsed);
  std::vector<DWORD>& recent = order_[kViewLastUsed - 1];
  recent.erase(std::remove(recent.begin(), recent.end(), value), recent.end());
  recent.insert(recent.begin(), value);
  if (int(recent.size()) > lastUsedMax_) recent.resize(std::size_t(lastUsedMax_));
  showList(kViewLastUsed, value);
}

void CQXCmdChooser::OnColumnClick(int column) {
  if (current_ < kViewAll || current_ > kViewUser || column < 0 || column > 2) return;
  if (column == sortColumn_) {
    sortState_ = sortState_ == 1 ? 2 : sortState_ == 2 ? 0 : 1;
  } else {
    sortState_ = 1;
    sortColumn_ = column;
  }
  CQXCmdListCtrl* l = list(current_);
  if (sortState_ != 0) {
    showList(current_, selectedListValue(current_));
    return;
  }
  // Back to the list's own order, the same row selected.
  const int row = GetFirstSelectedItem(l);
  showList(current_, 0);
  if (row < l->GetItemCount()) selectRow(l, row);
}

// ---- refresh and state

void CQXCmdChooser::Refresh() {
  if (!created_) return;
  if (loaded_[kViewLastUsed]) SaveLastUsedCmdList(order_[kViewLastUsed - 1]);
  std::fill(std::begin(loaded_), std::end(loaded_), false);
  // Showing the current view again would be skipped as current.
  if (current_ >= 0) load(current_);
}

void CQXCmdChooser::SaveState() {
  if (!created_) return;
  const char* section = section_.c_str();
  if (loaded_[kViewLastUsed]) SaveLastUsedCmdList(order_[kViewLastUsed - 1]);
  if (current_ >= kViewAll && current_ <= kViewUser) list(current_)->SaveCommandColumns(section);
  const int macro = GetFirstSelectedItem(&macros_);
  if (macro >= 0)
    AppWriteProfileString(tallix::settings::kEditMacroList, kLastSelectedMacro,
                          tallix::toCp1252(macros_.GetItemText(macro, 0)).substr(0, kMacroNameMax).c_str());
  CQXCmdListCtrl* all = list(kViewAll);
  if (all->GetItemCount() > 0) AppWriteProfileInt(section, kLastSelectedCmd, std::max(0, GetFirstSelectedItem(all)));
  if (tree_.GetCount() > 0) SaveTreeSelectionPath(&tree_, section, kTreeLastItem);
}
