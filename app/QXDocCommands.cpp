#include "app/QXDocCommands.h"

#include "services/DocServices.h"
#include "app/QXDocItemOps.h"
#include "app/QXTreeView.h"
#include "app/QXUndoBuffer.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "platform/CmdUI.h"
#include "platform/MessageBox.h"

#include <new>

namespace {

constexpr UINT kInsertFailed = 10513;

}  // namespace

BOOL CQXDocCommands::SelectedItemWithData(TreeSelectionInfo* selection) {
  return m_host->GetTreeSelection(selection) && selection->kind == 0 && m_items->HasData(selection->path);
}

BOOL CQXDocCommands::CanEdit(TreeSelectionInfo* selection) {
  return m_host->IsStoreOpen() && SelectedItemWithData(selection);
}

BOOL CQXDocCommands::CanCreate(TreeSelectionInfo* selection) {
  return m_host->IsStoreOpen() && m_host->GetTreeSelection(selection) && HasItemFactory(selection->itemData);
}

BOOL CQXDocCommands::OnEditCopy() {
  TreeSelectionInfo selection;
  if (!m_host->TreeHasFocus() || !CanEdit(&selection) || selection.itemData == 0) return FALSE;
  if (!m_host->CommitActivePage()) return FALSE;
  return m_host->CopyItemToClipboard(selection.path, selection.itemData);
}

void CQXDocCommands::OnUpdateEditCopy(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(m_host->TreeHasFocus() && CanEdit(&selection));
}

void CQXDocCommands::OnEditCut() {
  // The delete that follows is the tree's, and can be undone.
  if (OnEditCopy()) m_host->PostMainWindowCommand(ID_ENTRY_DELETE);
}

void CQXDocCommands::OnUpdateEditPaste(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(m_host->GetTreeSelection(&selection) && selection.itemData != 0 &&
                m_host->ClipboardHasItem(selection.itemData));
}

void CQXDocCommands::OnEditPaste() {
  TreeSelectionInfo selection;
  if (!m_host->GetTreeSelection(&selection) || selection.itemData == 0) return;
  if (!m_host->ClipboardHasItem(selection.itemData)) return;
  PasteInto(selection.path, selection.itemData, TRUE, m_host->ReadClipboardItem());
}

BOOL CQXDocCommands::PasteInto(const char* path, int dataType, BOOL select, std::unique_ptr<CQXDocEntry> pasted) {
  (void)dataType;
  m_undo->Clear();
  if (!m_host->CommitActivePage()) return FALSE;
  try {
    // The content replaced: the item at the selection, or nothing (a folder
    // or a slot without data).
    auto previous = std::make_unique<CQXDocEntry>();
    if (!m_document->LoadItem(path, previous.get())) previous = std::make_unique<CQXDocEntry>();
    previous->SetPath(path);

    char written[256] = "";
    if (!pasted || !pasted->GetItem() || !ApplyEntryPathToItem(pasted.get(), path, m_document)) {
      AfxMessageBox(kInsertFailed, MB_ICONSTOP);
      return FALSE;
    }
    pasted->SetFlags(pasted->GetFlags() | CQXDocItemOps::kFromOutside);
    const bool program = pasted->GetItem()->GetTypeId() == CQXDocItemOps::kProgramType;
    if (!m_document->SaveItem(pasted.get(), written)) {
      AfxMessageBox(kInsertFailed, MB_ICONSTOP);
      return FALSE;
    }
    // The user kept the item there: nothing was pasted.
    if (!written[0]) return FALSE;
    if (program) {
      // A program replaces the program of its own name, not the selection.
      previous = m_items->TakeDisplacedEntry();
      if (!previous) {
        previous = std::make_unique<CQXDocEntry>();
        char folder[256] = "";
        pasted->GetFolder(folder, sizeof folder);
        previous->SetPath(folder);
      }
    }
    if (m_undo->PushReplaced(previous.get(), written, CQXUndoBuffer::kReplaced)) previous.release();
    if (select) m_document->SelectAndShow(written);
    return TRUE;
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kInsertFailed, MB_ICONSTOP);
    return FALSE;
  }
}

BOOL CQXDocCommands::NewEntry(const TreeSelectionInfo& selection) {
  auto entry = std::make_unique<CQXDocEntry>();
  if (!CreateItemFromFactory(selection.itemData, selection.path, entry.get(), m_document)) {
    AfxMessageBox(kInsertFailed, MB_ICONSTOP);
    return FALSE;
  }
  if (!PrepareNewItem(m_host->GetModelName().c_str(), entry.get())) return FALSE;
  m_undo->Clear();
  char written[256] = "";
  if (!m_document->SaveItem(entry.get(), written) || !written[0]) {
    AfxMessageBox(kInsertFailed, MB_ICONSTOP);
    return FALSE;
  }
  m_host->SelectTreePath(written, TRUE);
  m_host->ShowSelectionView(TRUE);
  return TRUE;
}

void CQXDocCommands::OnNewEntry() {
  TreeSelectionInfo selection;
  if (CanCreate(&selection)) NewEntry(selection);
}

void CQXDocCommands::OnUpdateNewEntry(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(m_host->TreeHasFocus() && CanCreate(&selection));
}

void CQXDocCommands::OnEditEntry() {
  TreeSelectionInfo selection;
  if (SelectedItemWithData(&selection)) m_host->ShowSelectionView(TRUE);
}

void CQXDocCommands::OnUpdateEditEntry(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(m_host->TreeHasFocus() && CanEdit(&selection));
}

void CQXDocCommands::OnEditOrNew() {
  TreeSelectionInfo selection;
  if (CanEdit(&selection))
    m_host->ShowSelectionView(TRUE);
  else if (CanCreate(&selection))
    NewEntry(selection);
}

void CQXDocCommands::OnUpdateEditOrNew(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(m_host->TreeHasFocus() && (CanEdit(&selection) || CanCreate(&selection)));
}

void CQXDocCommands::OnSaveEntry() {
  if (!m_host->TreeHasFocus()) m_host->CommitActivePage();
}

void CQXDocCommands::OnUpdateSaveEntry(CCmdUI* cmdUI) {
  TreeSelectionInfo selection;
  cmdUI->Enable(!m_host->TreeHasFocus() && CanEdit(&selection));
}

void CQXDocCommands::OnEditUndo() { m_undo->Undo(); }

void CQXDocCommands::OnUpdateEditUndo(CCmdUI* cmdUI) { cmdUI->Enable(m_undo->CanUndo()); }
