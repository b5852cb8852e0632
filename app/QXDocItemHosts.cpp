// CQXDoc's item services, Edit and entry commands and Link menu: the
// document forwards to the objects it owns (item operations, undo buffer,
// commands, link commands) and answers what they ask of it.
#include "app/QXDoc.h"

#include "app/InstanceProbe.h"
#include "app/ItemTransfer.h"
#include "app/MainFrameFunctions.h"
#include "app/QXSendableItems.h"
#include "app/QXTreeView.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"
#include "platform/CmdUI.h"
#include "platform/WinApp.h"
#include "platform/WinMessages.h"

#include <QTreeWidget>

#include <cstring>

// ---------------------------------------------------------------- item services

BOOL CQXDoc::CollectSendableItems(std::vector<std::string>* paths, std::vector<std::string>* texts) {
  return ::CollectSendableItems(store_.get(), paths, texts);
}

BOOL CQXDoc::LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) {
  return items_.LoadItemsAt(path, out);
}

BOOL CQXDoc::StoreReceivedItem(CQXDocEntry* entry, DWORD flags) { return items_.StoreReceivedItem(entry, flags); }

BOOL CQXDoc::SaveItem(CQXDocEntry* entry, char* outPath) { return items_.SaveItem(entry, outPath); }

BOOL CQXDoc::CheckOverwrite(CQXDocEntry* entry) { return items_.CheckOverwrite(entry); }

BOOL CQXDoc::RemoveItem(const char* path, DWORD* outValue, BOOL withUndo) {
  return items_.RemoveItem(path, outValue, withUndo);
}

void CQXDoc::QueryOverwrite(const char* itemText, int kind, UINT* answer) {
  items_.QueryOverwrite(itemText, kind, answer);
}

void CQXDoc::ClearUndo() { undo_.Clear(); }

// ---------------------------------------------------------------- item host

COrvoItemStore* CQXDoc::ItemHost::GetItemStore() { return doc_->store_->IsOpen() ? doc_->store_.get() : nullptr; }

BOOL CQXDoc::ItemHost::HasTreeView() { return doc_->GetTreeView() != nullptr; }

BOOL CQXDoc::ItemHost::AddTreeEntry(const char* path, const char* text, int kind, int flags, int value) {
  CQXTreeView* tree = doc_->GetTreeView();
  if (!tree) return FALSE;
  TreeEntryDescription entry;
  CopyText(path ? path : "", entry.path, sizeof entry.path);
  CopyText(text ? text : "", entry.text, sizeof entry.text);
  entry.kind = kind;
  entry.flags = flags;
  entry.value = value;
  return tree->AddEntry(&entry);
}

void CQXDoc::ItemHost::RemoveTreeEntry(const char* path) {
  if (CQXTreeView* tree = doc_->GetTreeView()) tree->RemoveEntry(path);
}

void CQXDoc::ItemHost::SetTreeEntryText(const char* path, const char* text) {
  if (CQXTreeView* tree = doc_->GetTreeView()) tree->SetEntryText(path, text);
}

BOOL CQXDoc::ItemHost::KeepRemovedForUndo(const char* path) { return doc_->undo_.PushRemoved(path, 1); }

// ---------------------------------------------------------------- command host

BOOL CQXDoc::IsStoreOpen() { return store_ && store_->IsOpen(); }

BOOL CQXDoc::TreeHasFocus() {
  CQXTreeView* tree = GetTreeView();
  return tree && tree->GetTreeCtrl().GetTreeWidget()->hasFocus();
}

BOOL CQXDoc::GetTreeSelection(TreeSelectionInfo* info) {
  CQXTreeView* tree = GetTreeView();
  return tree && info && tree->GetSelection(info);
}

BOOL CQXDoc::SelectTreePath(const char* path, BOOL expand) {
  CQXTreeView* tree = GetTreeView();
  return tree && path && tree->SelectPath(path, expand);
}

BOOL CQXDoc::CommitActivePage() { return ::CommitActivePage(); }

void CQXDoc::PostMainWindowCommand(UINT id) {
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, id, 0);
}

std::string CQXDoc::GetModelName() {
  std::string name;
  GetCalculatorName(&name);
  return name;
}

BOOL CQXDoc::ClipboardHasItem(int dataType) { return IsClipboardItemOfKind(dataType, TRUE); }

BOOL CQXDoc::CopyItemToClipboard(const char* path, int dataType) { return ::CopyItemToClipboard(this, path, dataType); }

std::unique_ptr<CQXDocEntry> CQXDoc::ReadClipboardItem() {
  std::unique_ptr<CQXDocEntry> entry;
  PasteItemFromClipboard(&entry);
  return entry;
}

BOOL CQXDoc::InsertDroppedItem(COleDataObject* data, DROPEFFECT effect, const TreeItemInfo& target, BOOL sameView) {
  ItemInfoBlock info;
  const BOOL described = ReadItemInfo(data, &info);
  TreeSelectionInfo before, after;
  const BOOL selected = GetTreeSelection(&before);
  const BOOL filed = commands_.InsertDroppedItem(data, effect, target, sameView);
  // Filing a program may have moved the selection to its folder (also when
  // the user then kept the program there): the pane follows.
  if (!sameView && selected && GetTreeSelection(&after) && std::strcmp(before.path, after.path) != 0)
    RefreshSelectionView();
  const BOOL moved = filed && (effect & DROPEFFECT_MOVE);
  if (!described) return filed;
  NoteItemDropped(info, moved);
  // Dragged from another instance: it removes its item once it knows.
  if (moved && info.mainWindow && !IsFromOwnMainWindow(info))
    TellInstanceItemMoved(info.mainWindow, info.dragView, info.sourcePath);
  return filed;
}

BOOL CQXDoc::RemoveMovedItem(const char* path) {
  ClearUndo();
  DWORD deleted = FALSE;
  if (!RemoveItem(path, &deleted, FALSE)) return FALSE;
  TreeSelectionInfo selection;
  if (!deleted && GetTreeSelection(&selection) && std::strcmp(selection.path, path) == 0)
    ShowSelectedItemView();
  else
    UpdateAllViews(nullptr, 2, nullptr);
  return TRUE;
}

// ---------------------------------------------------------------- Link menu

void CQXDoc::SetLinkOperations(CQXDocLinkOperations operations) {
  linkCommands_ = std::make_unique<CQXDocLinkCommands>(this, std::move(operations));
}

void CQXDoc::OnLinkCommand(UINT id) { linkCommands_->OnCommand(id); }

void CQXDoc::OnUpdateStoreCommand(CCmdUI* cmdUI) {
  cmdUI->Enable(CQXDocLinkCommands::IsCommandEnabled(cmdUI->m_nID, IsStoreOpen()));
}
