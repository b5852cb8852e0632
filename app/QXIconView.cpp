#include "app/QXIconView.h"

#include "app/AppServices.h"
#include "app/MenuPopups.h"
#include "app/QXAppMessages.h"
#include "app/QXDoc.h"
#include "app/QXTreeView.h"
#include "charset/CalcCharset.h"
#include "charset/Cp1252.h"
#include "classlib/InternetShortcut.h"
#include "classlib/MenuHelpers.h"
#include "classlib/OrvoListCtrl.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/QXCalcItem.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/RuntimeClass.h"
#include "platform/WinApp.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>

#include <cstring>
#include <new>

namespace {

// The Edit and entry commands are the document's.
constexpr UINT kCmdDelete = CQXDocCommands::ID_ENTRY_DELETE;
constexpr UINT kCmdEdit = CQXDocCommands::ID_ENTRY_EDIT;
constexpr UINT kCmdNew = CQXDocCommands::ID_ENTRY_NEW;
constexpr UINT kCmdEditOrNew = CQXDocCommands::ID_ENTRY_EDIT_OR_NEW;
constexpr UINT kCmdCopy = CQXDocCommands::ID_EDIT_COPY;
constexpr UINT kCmdCut = CQXDocCommands::ID_EDIT_CUT;
constexpr UINT kCmdPaste = CQXDocCommands::ID_EDIT_PASTE;
constexpr UINT kCmdUndo = CQXDocCommands::ID_EDIT_UNDO;
constexpr UINT kCmdSelectView = 22401;
constexpr UINT kCmdViewList = 22402;
constexpr UINT kCmdViewIcons = 22403;
constexpr UINT kCmdViewDetails = 22405;
constexpr UINT kCmdAutoArrange = 59397;
constexpr UINT kContextMenuId = 307;

constexpr char kListFormatKey[] = "List Format";
constexpr char kColumn1Key[] = "LV Col1 Width";
constexpr char kColumn2Key[] = "LV Col2 Width";

// The format of the run; -1 until it was read.
int g_listFormat = -1;

int storedToFormat(int stored) {
  return stored == 0 ? CQXIconView::kSmallIcons : stored == 3 ? CQXIconView::kDetails : CQXIconView::kLargeIcons;
}

int formatToStored(int format) {
  return format == CQXIconView::kSmallIcons ? 0 : format == CQXIconView::kDetails ? 3 : 1;
}

}  // namespace

// What each entry carries; freed when the list deletes the entry.
struct CQXIconView::EntryRecord {
  int size = 16;
  std::string path;
  std::string description;  // the calculator's bytes the entry shows
  int kind = 0;  // 1 folder, 0 item
  int itemData = 0;
};

const CMessageMap& CQXIconView::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXIconView>(CQXContentsView::messageMap())
          .command(kCmdViewIcons, &CQXIconView::OnViewIcons)
          .updateUI(kCmdViewIcons, &CQXIconView::OnUpdateViewFormat)
          .command(kCmdViewList, &CQXIconView::OnViewList)
          .updateUI(kCmdViewList, &CQXIconView::OnUpdateViewFormat)
          .command(kCmdViewDetails, &CQXIconView::OnViewDetails)
          .updateUI(kCmdViewDetails, &CQXIconView::OnUpdateViewFormat)
          .command(kCmdAutoArrange, &CQXIconView::OnViewAutoArrange)
          .command(kCmdEdit, &CQXIconView::OnEditItem)
          .updateUI(kCmdEdit, &CQXIconView::OnUpdateEditItem)
          .command(kCmdNew, &CQXIconView::OnNewItem)
          .updateUI(kCmdNew, &CQXIconView::OnUpdateNewItem)
          .command(kCmdEditOrNew, &CQXIconView::OnEditOrNew)
          .updateUI(kCmdEditOrNew, &CQXIconView::OnUpdateEditOrNew)
          .command(kCmdCopy, &CQXIconView::OnEditCopy)
          .updateUI(kCmdCopy, &CQXIconView::OnUpdateEditCopy)
          .command(kCmdCut, &CQXIconView::OnEditCut)
          .updateUI(kCmdCut, &CQXIconView::OnUpdateEditCopy)
          .command(kCmdPaste, &CQXIconView::OnEditPaste)
          .updateUI(kCmdPaste, &CQXIconView::OnUpdateEditPaste)
          .command(kCmdDelete, &CQXIconView::OnDelete)
          .updateUI(kCmdDelete, &CQXIconView::OnUpdateDelete)
          .command(kCmdUndo, &CQXIconView::OnEditUndo)
          .updateUI(kCmdUndo, &CQXIconView::OnUpdateEditUndo)
          .notify(LVN_BEGINDRAG, kListId, &CQXIconView::OnBeginDrag)
          .notify(NM_DBLCLK, kListId, &CQXIconView::OnDoubleClick)
          .notify(LVN_DELETEITEM, kListId, &CQXIconView::OnDeleteItem);
  return map;
}

CQXIconView::CQXIconView(QWidget* parent) : CQXContentsView(parent) {}

CQXIconView::~CQXIconView() {
  AppWriteProfileInt(tallix::settings::kSettings, kListFormatKey, formatToStored(GetListFormat()));
}

int CQXIconView::GetListFormat() {
  if (g_listFormat < 0)
    g_listFormat = storedToFormat(AppGetProfileInt(tallix::settings::kSettings, kListFormatKey, 1));
  return g_listFormat;
}

CQXDoc* CQXIconView::document() const { return qobject_cast<CQXDoc*>(GetDocument()); }

// ---------------------------------------------------------------- creation

int CQXIconView::OnCreate(LPCREATESTRUCT cs) {
  if (CQXContentsView::OnCreate(cs) == -1) return -1;
  auto* list = new (std::nothrow) COrvoListCtrl;
  if (!list) return -1;
  const int format = GetListFormat();
  const DWORD type = format == kDetails ? LVS_REPORT : format == kSmallIcons ? LVS_SMALLICON : LVS_ICON;
  if (!list->Create(kListStyle | type, QRect(), this, kListId)) return -1;
  list_ = list;
  list_->setGeometry(rect());
  list_->SetImageList(GetAppImageList(FALSE), LVSIL_NORMAL);
  list_->SetImageList(GetAppImageList(TRUE), LVSIL_SMALL);
  setFocusProxy(list_);
  dropTarget_.Register(this);
  changeMenus();
  applyFormat(format);
  return 0;
}

void CQXIconView::OnDestroy() {
  endDragFeedback();
  dropTarget_.Revoke();
  saveColumnWidths();
  restoreMenus();
  CQXContentsView::OnDestroy();
}

void CQXIconView::changeMenus() {
  CMenu* view = GetMenuPopupByKey(kPopupView);
  if (view && view->RemoveMenu(kCmdSelectView, MF_BYCOMMAND)) {
    view->InsertMenu(0, MF_BYPOSITION | MF_STRING, kCmdViewList, CLanguageLibrary::LoadString(10020));
    view->InsertMenu(1, MF_BYPOSITION | MF_STRING, kCmdViewIcons, CLanguageLibrary::LoadString(10021));
    view->InsertMenu(2, MF_BYPOSITION | MF_STRING, kCmdViewDetails, CLanguageLibrary::LoadString(10039));
    menuChanged_ = TRUE;
  }
  if (EditMenuEntryItem(kPopupEdit, FALSE)) menuChanged_ = TRUE;
}

void CQXIconView::restoreMenus() {
  if (!menuChanged_) return;
  menuChanged_ = FALSE;
  if (CMenu* view = GetMenuPopupByKey(kPopupView)) {
    bool removed = false;
    for (UINT id : {kCmdViewList, kCmdViewIcons, kCmdViewDetails})
      removed = view->RemoveMenu(id, MF_BYCOMMAND) || removed;
    if (removed)
      view->InsertMenu(0, MF_BYPOSITION | MF_STRING, kCmdSelectView, CLanguageLibrary::LoadString(10038));
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

void CQXIconView::resizeEvent(QResizeEvent* event) {
  CQXContentsView::resizeEvent(event);
  if (list_) list_->setGeometry(rect());
}

QPoint CQXIconView::listPoint(QPoint viewPoint) const {
  return list_ ? list_->GetItemView()->viewport()->mapFrom(this, viewPoint) : viewPoint;
}

// ---------------------------------------------------------------- formats

void CQXIconView::saveColumnWidths() {
  if (!list_ || (list_->GetStyle() & LVS_TYPEMASK) != LVS_REPORT || list_->GetColumnCount() < 2) return;
  AppWriteProfileInt(tallix::settings::kSettings, kColumn1Key, list_->GetColumnWidth(0));
  AppWriteProfileInt(tallix::settings::kSettings, kColumn2Key, list_->GetColumnWidth(1));
}

void CQXIconView::applyFormat(int format) {
  if (format == kDetails)
    OnViewDetails();
  else if (format == kSmallIcons)
    OnViewList();
  else
    OnViewIcons();
}

void CQXIconView::OnViewIcons() {
  if (!list_) return;
  saveColumnWidths();
  list_->ModifyStyle(LVS_REPORT | LVS_SMALLICON, LVS_AUTOARRANGE);
  list_->setGeometry(rect());
  g_listFormat = kLargeIcons;
}

void CQXIconView::OnViewList() {
  if (!list_) return;
  saveColumnWidths();
  list_->ModifyStyle(LVS_REPORT, LVS_SMALLICON | LVS_AUTOARRANGE);
  g_listFormat = kSmallIcons;
}

void CQXIconView::OnViewDetails() {
  if (!list_) return;
  list_->ModifyStyle(LVS_SMALLICON, LVS_REPORT);
  g_listFormat = kDetails;
  if (list_->GetColumnCount() == 0) {
    using tallix::settings::kSettings;
    list_->InsertColumn(0, CLanguageLibrary::LoadString(10200), LVCFMT_LEFT, AppGetProfileInt(kSettings, kColumn1Key, 100));
    list_->InsertColumn(1, CLanguageLibrary::LoadString(10205), LVCFMT_LEFT, AppGetProfileInt(kSettings, kColumn2Key, 200));
    Refill();
  }
}

void CQXIconView::OnUpdateViewFormat(CCmdUI* ui) {
  const int format = ui->m_nID == kCmdViewIcons ? kLargeIcons : ui->m_nID == kCmdViewList ? kSmallIcons : kDetails;
  ui->SetRadio(list_ && GetListFormat() == format);
}

void CQXIconView::OnViewAutoArrange() {
  if (!list_) return;
  if (list_->GetStyle() & LVS_AUTOARRANGE)
    list_->ModifyStyle(LVS_AUTOARRANGE, 0);
  else
    list_->ModifyStyle(0, LVS_AUTOARRANGE);
}

// ---------------------------------------------------------------- entries

const CQXIconView::EntryRecord* CQXIconView::recordAt(int index) const {
  return list_ && index >= 0 ? reinterpret_cast<const EntryRecord*>(list_->GetItemData(index)) : nullptr;
}

int CQXIconView::selectedIndex() const { return list_ ? list_->GetNextItem(-1, LVNI_SELECTED) : -1; }

BOOL CQXIconView::hasData(const std::string& path) const {
  CQXDoc* doc = document();
  return doc && doc->IsStoreOpen() && doc->GetItemOps().HasData(path.c_str());
}

const CQXIconView::EntryRecord* CQXIconView::selectedItemWithData() const {
  const EntryRecord* record = recordAt(selectedIndex());
  return record && record->kind == 0 && hasData(record->path) ? record : nullptr;
}

QString CQXIconView::detailText(const std::string& path) const {
  CQXDoc* doc = document();
  if (!doc || !hasData(path)) return {};
  CQXDocEntry entry;
  char text[256] = "";
  CQXDetailTextRecord detail;
  detail.mask = 1;
  detail.buffer = text;
  detail.size = sizeof text;
  if (doc->LoadItem(path.c_str(), &entry) && entry.GetItem() && entry.GetItem()->GetDetailText(&detail) && text[0])
    return tallix::fromCp1252(std::string(text, strnlen(text, sizeof text)));
  return CLanguageLibrary::LoadString(10262);
}

BOOL CQXIconView::Refill() {
  if (!list_) return FALSE;
  list_->DeleteAllItems();
  dropHilite_ = -1;
  CQXTreeView* tree = GetTreeView();
  HTREEITEM child = nullptr;
  if (!tree || !tree->GetFirstChild(&child)) return TRUE;
  const bool details = (list_->GetStyle() & LVS_TYPEMASK) == LVS_REPORT;
  int index = 0;
  do {
    TreeItemInfo info;
    info.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
    tree->GetItemInfo(child, &info);
    auto* record = new (std::nothrow) EntryRecord;
    if (!record) return FALSE;
    record->path = info.path;
    record->description.assign(info.description, strnlen(info.description, sizeof info.description));
    record->kind = info.kind;
    record->itemData = info.itemData;
    const int row = list_->InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, index, CalcPlainText(record->description),
                                      0, 0, info.kind == 1 ? 2 : 4, reinterpret_cast<LPARAM>(record));
    if (row < 0) {
      delete record;
      return FALSE;
    }
    if (details) list_->SetItemText(row, 1, detailText(record->path));
    ++index;
  } while (tree->GetNextSibling(&child));
  if (list_->GetItemCount() > 0) list_->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
  return TRUE;
}

BOOL CQXIconView::UpdateEntry(int index) {
  // The view owns its records.
  auto* record = const_cast<EntryRecord*>(recordAt(index));
  if (!record) return FALSE;
  if ((list_->GetStyle() & LVS_TYPEMASK) != LVS_REPORT) return TRUE;
  list_->SetItemText(index, 1, detailText(record->path));
  CQXDocEntry entry;
  CQXDoc* doc = document();
  if (doc && hasData(record->path) && doc->LoadItem(record->path.c_str(), &entry) && entry.GetItem()) {
    char name[64] = "";
    entry.GetItem()->GetDisplayName(name, sizeof name);
    if (name[0]) {
      record->description.assign(name, strnlen(name, sizeof name));
      list_->SetItemText(index, 0, CalcPlainText(record->description));
    }
  }
  return TRUE;
}

void CQXIconView::fillInfo(int index, TreeItemInfo* info) const {
  const EntryRecord* record = recordAt(index);
  if (!record || !info) return;
  info->kind = record->kind;
  info->itemData = record->itemData;
  info->valid = 1;
  if (info->mask & TreeItemInfo::kName) {
    const size_t slash = record->path.rfind('\\');
    CopyText(slash == std::string::npos ? record->path : record->path.substr(slash + 1), info->name, sizeof info->name);
  }
  if (info->mask & TreeItemInfo::kPath) CopyText(record->path, info->path, sizeof info->path);
  if (info->mask & TreeItemInfo::kDescription)
    CopyText(record->description, info->description, sizeof info->description);
}

BOOL CQXIconView::GetSelectedInfo(TreeItemInfo* info) {
  const int index = selectedIndex();
  if (index < 0 || !info) return FALSE;
  fillInfo(index, info);
  return TRUE;
}

void CQXIconView::RemoveEntryByPath(const char* path) {
  if (!list_ || !path) return;
  for (int i = 0; i < list_->GetItemCount(); ++i) {
    const EntryRecord* record = recordAt(i);
    if (record && record->path == path) {
      list_->DeleteItem(i);
      return;
    }
  }
}

void CQXIconView::refillAndSelect(int index) {
  if (!list_) return;
  list_->SetRedraw(FALSE);
  Refill();
  list_->SetRedraw(TRUE);
  if (index >= 0 && index < list_->GetItemCount()) {
    list_->SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list_->EnsureVisible(index, FALSE);
  }
}

void CQXIconView::OnDeleteItem(NMHDR* header, LRESULT* result) {
  delete reinterpret_cast<EntryRecord*>(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
  *result = 0;
}

void CQXIconView::OnUpdate(CView* sender, LPARAM hint, QObject* hintObject) {
  if (hint == 1) {
    if (auto* notify = qobject_cast<CQXDocNotify*>(hintObject)) {
      if (notify->kind == 0) RemoveEntryByPath(notify->path.c_str());
      return;
    }
  } else if (hint == 2) {
    Refill();
  }
  CQXContentsView::OnUpdate(sender, hint, hintObject);
}

// ---------------------------------------------------------------- opening and keys

void CQXIconView::OnDoubleClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
  if (item >= 0 && item == selectedIndex())
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(msgQXSwitchToView, WPARAM(item));
}

BOOL CQXIconView::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    const int index = selectedIndex();
    if (index >= 0)
      if (CWnd* main = AfxGetMainWnd()) main->PostMessage(msgQXSwitchToView, WPARAM(index));
    return TRUE;
  }
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE && GetKeyState(VK_SHIFT) >= 0 &&
      GetKeyState(VK_CONTROL) >= 0) {
    PostMessage(WM_COMMAND, kCmdDelete, 0);
    return TRUE;
  }
  return CQXContentsView::PreTranslateMessage(msg);
}

void CQXIconView::contextMenuEvent(QContextMenuEvent* event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Keyboard && list_) {
    QWidget* viewport = list_->GetItemView()->viewport();
    QRect icon;
    const int index = selectedIndex();
    at = viewport->mapToGlobal(index >= 0 && list_->GetItemRect(index, &icon, LVIR_ICON) ? icon.center() : QPoint());
  }
  CWnd* owner = AfxGetMainWnd();
  TrackContextMenu(owner ? owner : this, at.x(), at.y(), kContextMenuId, TRUE);
}

// ---------------------------------------------------------------- commands

void CQXIconView::OnEditItem() {
  const int index = selectedIndex();
  if (selectedItemWithData())
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(msgQXSwitchToView, WPARAM(index));
}

void CQXIconView::OnUpdateEditItem(CCmdUI* ui) { ui->Enable(selectedItemWithData() != nullptr); }

int CQXIconView::newItemType() const {
  CQXDoc* doc = document();
  if (!doc || !doc->IsStoreOpen()) return 0;
  int type = 0;
  if (const EntryRecord* record = recordAt(selectedIndex())) {
    type = record->itemData;
  } else {
    TreeSelectionInfo selection;
    if (CQXTreeView* tree = GetTreeView(); tree && tree->GetSelection(&selection)) type = selection.itemData;
  }
  return HasItemFactory(type) ? type : 0;
}

void CQXIconView::OnNewItem() {
  if (!newItemType()) return;
  CWnd* main = AfxGetMainWnd();
  if (!main) return;
  // The tree selects the entry and takes the focus; its document makes the
  // new item there.
  const int index = selectedIndex();
  if (index >= 0) main->SendMessage(msgQXSwitchToView, WPARAM(index));
  main->SendMessage(msgQXSwitchToPane, 0);
  main->PostMessage(WM_COMMAND, kCmdNew, 0);
}

void CQXIconView::OnUpdateNewItem(CCmdUI* ui) { ui->Enable(newItemType() != 0); }

void CQXIconView::OnEditOrNew() {
  const EntryRecord* record = recordAt(selectedIndex());
  if (!record) return;
  if (hasData(record->path) || !newItemType())
    OnEditItem();
  else
    OnNewItem();
}

void CQXIconView::OnUpdateEditOrNew(CCmdUI* ui) { ui->Enable(selectedIndex() >= 0); }

void CQXIconView::OnEditCopy() {
  const EntryRecord* record = selectedItemWithData();
  CQXDoc* doc = document();
  if (record && doc) doc->CopyItemToClipboard(record->path.c_str(), record->itemData);
}

void CQXIconView::OnEditCut() {
  const EntryRecord* record = selectedItemWithData();
  CQXDoc* doc = document();
  if (record && doc && doc->CopyItemToClipboard(record->path.c_str(), record->itemData))
    PostMessage(WM_COMMAND, kCmdDelete, 0);
}

void CQXIconView::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(selectedItemWithData() != nullptr); }

void CQXIconView::OnEditPaste() {
  const int index = selectedIndex();
  const EntryRecord* record = recordAt(index);
  CQXDoc* doc = document();
  if (!record || !doc || record->itemData == 0 || !doc->ClipboardHasItem(record->itemData)) return;
  const std::string path = record->path;
  doc->GetCommands().PasteInto(path.c_str(), record->itemData, FALSE, doc->ReadClipboardItem());
  refillAndSelect(index);
}

void CQXIconView::OnUpdateEditPaste(CCmdUI* ui) {
  const EntryRecord* record = recordAt(selectedIndex());
  CQXDoc* doc = document();
  ui->Enable(record && doc && record->itemData != 0 && doc->ClipboardHasItem(record->itemData));
}

void CQXIconView::OnDelete() {
  const int index = selectedIndex();
  const EntryRecord* record = recordAt(index);
  CQXDoc* doc = document();
  if (!record || !doc || !hasData(record->path)) return;
  DWORD deleted = FALSE;
  if (!doc->RemoveItem(record->path.c_str(), &deleted, TRUE)) return;
  // A default slot stays, without its data.
  refillAndSelect(deleted ? -1 : index);
}

void CQXIconView::OnUpdateDelete(CCmdUI* ui) {
  const EntryRecord* record = recordAt(selectedIndex());
  ui->Enable(record && hasData(record->path));
}

void CQXIconView::OnEditUndo() {
  if (CQXDoc* doc = document()) doc->GetCommands().OnEditUndo();
}

void CQXIconView::OnUpdateEditUndo(CCmdUI* ui) {
  if (CQXDoc* doc = document())
    doc->GetCommands().OnUpdateEditUndo(ui);
  else
    ui->Enable(FALSE);
}

// ---------------------------------------------------------------- drag and drop

void CQXIconView::OnBeginDrag(NMHDR*, LRESULT* result) {
  *result = 0;
  setDropHilite(-1);
  const int index = selectedIndex();
  const EntryRecord* record = recordAt(index);
  CQXDoc* doc = document();
  if (!doc || !record || record->kind == 1 || !hasData(record->path)) return;
  const std::string path = record->path;
  const int dataType = record->itemData;
  doc->SetBusy(TRUE);
  BOOL moved = FALSE;
  if (DragItem(doc, path.c_str(), dataType, this, &moved)) {
    doc->ClearUndo();
    if (moved) {
      DWORD deleted = FALSE;
      doc->RemoveItem(path.c_str(), &deleted, FALSE);
      CQXTreeView* tree = GetTreeView();
      if (!tree || !tree->FindPath(path.c_str())) RemoveEntryByPath(path.c_str());
    }
    refillAndSelect(index);
  }
  doc->SetBusy(FALSE);
}

void CQXIconView::setDropHilite(int index) {
  if (!list_ || index == dropHilite_) return;
  if (dropHilite_ >= 0) list_->SetItemState(dropHilite_, 0, LVIS_DROPHILITED);
  dropHilite_ = index;
  if (index >= 0) list_->SetItemState(index, LVIS_DROPHILITED, LVIS_DROPHILITED);
}

void CQXIconView::endDragFeedback() {
  if (scrollTimer_) KillTimer(scrollTimer_);
  scrollTimer_ = 0;
  setDropHilite(-1);
  dragged_.Forget();
}

DROPEFFECT CQXIconView::OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) {
  dragged_.Forget();
  return OnDragOver(data, keyState, point);
}

DROPEFFECT CQXIconView::OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) {
  if (IsUrlDropAcceptable(data)) return DROPEFFECT_COPY;
  const int index = list_ ? list_->HitTest(listPoint(point)) : -1;
  int target = 0;
  if (const EntryRecord* record = recordAt(index)) {
    target = record->itemData;
  } else {
    TreeSelectionInfo selection;
    if (CQXTreeView* tree = GetTreeView(); tree && tree->GetSelection(&selection)) target = selection.itemData;
  }
  const ItemInfoBlock* info = dragged_.Get(data);
  if (!info || !CanDropItemOn(*info, target)) {
    setDropHilite(-1);
    return DROPEFFECT_NONE;
  }
  setDropHilite(index);
  if (!scrollTimer_) scrollTimer_ = SetTimer(kScrollTimerId, kScrollPeriodMs);
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CQXIconView::OnDragLeave() { endDragFeedback(); }

BOOL CQXIconView::OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint) {
  const int index = dropHilite_;
  endDragFeedback();
  if (CInternetShortcutReader().IsInternetShortcut(data)) {
    HandDroppedUrlToFrame(data);
    return TRUE;
  }
  CQXDoc* doc = document();
  CQXTreeView* tree = GetTreeView();
  if (!doc || !tree) return FALSE;
  TreeItemInfo target;
  target.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
  if (index >= 0) {
    fillInfo(index, &target);
  } else {
    HTREEITEM caret = nullptr;
    if (!tree->GetSelectedItem(&caret) || !tree->GetItemInfo(caret, &target)) return FALSE;
  }
  if (!target.itemData || !doc->InsertDroppedItem(data, dropEffect, target, FALSE)) return FALSE;
  // A program filed over another one replaced its node: the entry is gone.
  if (index < 0 || !tree->FindPath(target.path))
    refillAndSelect(-1);
  else
    UpdateEntry(index);
  return TRUE;
}

void CQXIconView::OnTimer(UINT_PTR id) {
  if (id != kScrollTimerId) {
    CQXContentsView::OnTimer(id);
    return;
  }
  if (!list_ || list_->GetItemCount() == 0) return;
  const QPoint cursor = list_->GetItemView()->viewport()->mapFromGlobal(GetMessagePos());
  QRect entry, client;
  list_->GetItemRect(0, &entry, LVIR_BOUNDS);
  list_->GetClientRect(&client);
  const bool small = (list_->GetStyle() & LVS_TYPEMASK) == LVS_SMALLICON;
  const int margin = small ? entry.height() : entry.height() / 2;
  QSize by(0, 0);
  if (cursor.x() < client.left() + margin)
    by.setWidth(-entry.width());
  else if (cursor.x() >= client.right() - margin)
    by.setWidth(entry.width());
  if (cursor.y() < client.top() + margin)
    by.setHeight(-entry.height());
  else if (cursor.y() >= client.bottom() - margin)
    by.setHeight(entry.height());
  if (by.width() || by.height()) list_->Scroll(by);
}

void RegisterQXIconViewClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXIconView)); }
