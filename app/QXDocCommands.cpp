#include "app/QXDocCommands.h"

#include "services/DocServices.h"
#include "app/ItemTransfer.h"
#include "app/QXDocItemOps.h"
#include "app/QXTreeView.h"
#include "app/QXUndoBuffer.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "datamodel/QXProgramItem.h"
#include "platform/CmdUI.h"
#include "platform/MessageBox.h"

#include <cstring>
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
  CQXOverwriteStateScope answers(m_items);
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

BOOL CQXDocCommands::InsertDroppedItem(COleDataObject* data, DROPEFFECT effect, const TreeItemInfo& target,
                                       BOOL sameView) {
  m_undo->Clear();
  CQXOverwriteStateScope answers(m_items);
  BOOL busy = FALSE;
  auto fail = [&] {
    if (busy) m_document->SetBusy(FALSE);
    AfxMessageBox(kInsertFailed, MB_ICONSTOP);
    return FALSE;
  };
  ItemInfoBlock info;
  if (!ReadItemInfo(data, &info) || !CanDropItemOn(info, target.itemData)) return fail();
  const BOOL ownWindow = IsFromOwnMainWindow(info);
  // Dropped on its own entry: nothing happens.
  if (ownWindow && std::strcmp(info.sourcePath, target.path) == 0) return FALSE;
  try {
    std::unique_ptr<CQXDocEntry> entry;
    if (!ReadDroppedItem(data, &entry) || !entry->GetItem() ||
        !ApplyEntryPathToItem(entry.get(), target.path, m_document))
      return fail();
    DWORD flags = entry->GetFlags() | CQXDocItemOps::kFromOutside;
    // A program moved onto another program of this document takes its
    // place under its own name: the target goes once the move is filed.
    BOOL replaceTarget = FALSE;
    if (info.dataType == CQXDocItemOps::kProgramType) {
      // Onto its own folder: it stays where it is.
      if (ownWindow && target.kind == 1) return FALSE;
      if (ownWindow && (effect & DROPEFFECT_MOVE)) {
        replaceTarget = TRUE;
        // Filed as the document's own program, its old node goes without a
        // question.
        flags &= ~CQXDocItemOps::kFromOutside;
      } else if (target.kind == 0) {
        if (auto* program = dynamic_cast<CQXProgramItem*>(entry->GetItem())) program->SetName(target.description);
      }
    }
    entry->SetFlags(flags);
    if (!sameView) {
      m_document->SetBusy(TRUE);
      busy = TRUE;
    }
    char written[256] = "";
    if (!m_document->SaveItem(entry.get(), written)) return fail();
    entry.reset();
    if (busy) m_document->SetBusy(FALSE);
    busy = FALSE;
    // The user kept the item there: nothing was dropped.
    if (!written[0]) return FALSE;
    if (replaceTarget && std::strcmp(written, target.path) != 0) {
      DWORD deleted = FALSE;
      m_document->RemoveItem(target.path, &deleted, FALSE);
    }
    if (sameView) m_document->SelectAndShow(written);
    return TRUE;
  } catch (const std::bad_alloc&) {
    return fail();
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
