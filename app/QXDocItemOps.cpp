#include "app/QXDocItemOps.h"

#include "app/QXSendableItems.h"
#include "app/QXTreeView.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "link/OverwriteDialog.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr const char* kProgramFolder = "\\Calculator\\Program";
constexpr const char* kListFileFolder = "\\Calculator\\File\\File";

std::string ChildPath(const char* folder, const char* name) {
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + name;
}

std::string DisplayName(CQXCalcItem* item, UINT size) {
  std::string text(size, '\0');
  item->GetDisplayName(text.data(), size);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// The list file 1..6 whose folder holds the entry, or 0.
int ListFileOf(const CQXDocEntry* entry) {
  char folder[256] = "";
  if (!entry->GetFolder(folder, sizeof folder)) return 0;
  const size_t prefix = std::strlen(kListFileFolder);
  if (std::strncmp(folder, kListFileFolder, prefix) != 0 || std::strlen(folder) != prefix + 1) return 0;
  const char digit = folder[prefix];
  return digit >= '1' && digit <= '6' ? digit - '0' : 0;
}

}  // namespace

COrvoItemStore* CQXDocItemOps::store() const {
  COrvoItemStore* s = m_host->GetItemStore();
  return s && s->IsOpen() ? s : nullptr;
}

BOOL CQXDocItemOps::FindFirstItem(const char* folder, OrvoFindHandle* out) {
  COrvoItemStore* s = store();
  return s && s->FindFirst(folder, out);
}

BOOL CQXDocItemOps::FindNextItem(OrvoFindHandle handle) {
  COrvoItemStore* s = store();
  return s && s->FindNext(handle);
}

BOOL CQXDocItemOps::EndFindItem(OrvoFindHandle handle) {
  COrvoItemStore* s = store();
  return s && s->FindClose(handle);
}

BOOL CQXDocItemOps::GetFoundItemInfo(OrvoFindHandle handle, OrvoNodeInfo* out) {
  COrvoItemStore* s = store();
  return s && s->GetFoundInfo(handle, out);
}

BOOL CQXDocItemOps::NodeExists(const char* path, OrvoNodeInfo* info) {
  COrvoItemStore* s = store();
  return s && path && s->GetNodeInfo(path, info);
}

BOOL CQXDocItemOps::LoadItem(const char* path, CQXDocEntry* out) {
  OrvoNodeInfo info;
  if (!out || !NodeExists(path, &info)) return FALSE;
  COrvoItemStream stream(store());
  if (!stream.Open(path, 1, FALSE)) return FALSE;
  try {
    out->Load(stream);
  } catch (const COrvoArchiveException&) {
    out->SetItem(nullptr);
    out->SetDescription(nullptr);
    return FALSE;
  } catch (const std::bad_alloc&) {
    out->SetItem(nullptr);
    out->SetDescription(nullptr);
    return FALSE;
  }
  out->SetPath(path);
  return TRUE;
}

BOOL CQXDocItemOps::LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) {
  OrvoNodeInfo info;
  if (!out || !NodeExists(path, &info)) return FALSE;
  if (!(info.flags & kNodeFolder)) {
    auto entry = std::make_unique<CQXDocEntry>();
    if (!LoadItem(path, entry.get())) return FALSE;
    out->push_back(std::move(entry));
    return TRUE;
  }
  for (const std::string& child : ChildPaths(path)) {
    auto entry = std::make_unique<CQXDocEntry>();
    out->push_back(LoadItem(child.c_str(), entry.get()) ? std::move(entry) : nullptr);
  }
  return TRUE;
}

BOOL CQXDocItemOps::GetItemDataLength(const char* path, DWORD* out) {
  OrvoNodeInfo info;
  if (!out || !NodeExists(path, &info)) return FALSE;
  *out = 0;
  COrvoItemStream stream(store());
  if (!stream.Open(path, 1, FALSE)) return TRUE;
  try {
    stream.GetLength(out);
  } catch (const COrvoArchiveException&) {
    *out = 0;
  }
  return TRUE;
}

BOOL CQXDocItemOps::HasData(const char* path) {
  COrvoItemStore* s = store();
  return s && path && ItemHasData(s, path);
}

std::vector<std::string> CQXDocItemOps::ChildPaths(const char* folder) {
  std::vector<std::string> children;
  for (const OrvoNodeInfo& child : ChildNodes(store(), folder)) children.push_back(ChildPath(folder, child.path));
  return children;
}

std::string CQXDocItemOps::FindChildByDescription(const char* folder, const char* description, BOOL* isFolder) {
  COrvoItemStore* s = store();
  OrvoNodeInfo child;
  if (!s || !folder || !description || !s->FindChildByDescription(folder, description, &child)) return {};
  if (isFolder) *isFolder = (child.flags & kNodeFolder) != 0;
  return ChildPath(folder, child.path);
}

void CQXDocItemOps::DeleteNewNode(const std::string& path) {
  if (COrvoItemStore* s = store()) s->DeleteNode(path.c_str());
}

BOOL CQXDocItemOps::StoreEntry(const char* path, CQXDocEntry* entry, BOOL create, const char* description) {
  COrvoItemStream stream(store());
  if (create ? !stream.Create(path, 2, description) : !stream.Open(path, 2, TRUE)) return FALSE;
  bool failed = false;
  try {
    entry->Store(stream);
  } catch (const COrvoArchiveException&) {
    failed = true;
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  stream.Close();
  // A node made for this entry goes again: no node without data is left.
  if (failed && create) DeleteNewNode(path);
  return !failed;
}

std::unique_ptr<CQXDocEntry> CQXDocItemOps::TakeOverExisting(const std::string& path, CQXDocEntry* incoming) {
  auto existing = std::make_unique<CQXDocEntry>();
  if (!LoadItem(path.c_str(), existing.get())) return nullptr;
  // The incoming entry takes the description over; the old entry keeps its
  // own, so that it can be filed again whole.
  if (const CQXDescription* old = existing->GetDescription()) {
    auto* copy = new CQXDescription;
    copy->SetFormat(old->GetFormat());
    copy->SetBytes(old->GetBytes());
    incoming->SetDescription(copy);
  }
  return existing;
}

BOOL CQXDocItemOps::SaveItem(CQXDocEntry* entry, char* outPath) {
  if (outPath) *outPath = '\0';
  m_displaced.reset();
  if (!entry || !m_host->HasTreeView() || !store()) return FALSE;
  m_host->SetBusy(TRUE);
  std::string written;
  const BOOL ok = DoSaveItem(entry, &written);
  if (ok && !written.empty()) {
    CopyText(written, outPath, 256);
    m_host->SetModifiedFlag();
  }
  m_host->SetBusy(FALSE);
  return ok;
}

BOOL CQXDocItemOps::DoSaveItem(CQXDocEntry* entry, std::string* written) {
  CQXCalcItem* item = entry->GetItem();
  if (!item) return FALSE;
  char path[256] = "";
  if (item->GetTypeId() != kProgramType) {
    if (!WriteItem(entry, path)) return FALSE;
    *written = path;
    return TRUE;
  }
  NewProgramName(entry);
  char folder[256] = "";
  if (!entry->GetFolder(folder, sizeof folder)) return FALSE;
  if (!WriteNewItem(entry, folder, path)) return FALSE;
  // An edited program replaces its old node, once the new one is written.
  if (path[0] && entry->Path() != path) {
    OrvoNodeInfo info;
    DWORD deleted = FALSE;
    if (NodeExists(entry->Path().c_str(), &info)) RemoveItem(entry->Path().c_str(), &deleted, FALSE);
  }
  *written = path;
  return TRUE;
}

void CQXDocItemOps::NewProgramName(CQXDocEntry* entry) {
  if (entry->GetFlags() & kFromOutside) {
    // The selected program may be the one replaced.
    TreeSelectionInfo selection;
    if (m_host->GetTreeSelection(&selection) && selection.kind == 0 && selection.itemData == kProgramType)
      m_host->SelectTreePath(kProgramFolder, FALSE);
  }
  if (!(entry->GetFlags() & kNewFromFactory)) return;
  auto* program = dynamic_cast<CQXProgramItem*>(entry->GetItem());
  if (!program) return;
  for (int n = 1; n <= 9998; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "P%04d", n);
    if (FindChildByDescription(kProgramFolder, name).empty()) {
      program->SetName(name);
      return;
    }
  }
}

BOOL CQXDocItemOps::WriteNewItem(CQXDocEntry* entry, const char* folder, char* outPath) {
  if (outPath) *outPath = '\0';
  COrvoItemStore* s = store();
  CQXCalcItem* item = entry ? entry->GetItem() : nullptr;
  OrvoNodeInfo folderInfo;
  if (!s || !item || !folder || !NodeExists(folder, &folderInfo)) return FALSE;
  const std::string display = DisplayName(item, 64);
  const BOOL outside = (entry->GetFlags() & kFromOutside) != 0;

  BOOL existingIsFolder = FALSE;
  std::string existingPath = FindChildByDescription(folder, display.c_str(), &existingIsFolder);
  if (existingIsFolder) existingPath.clear();
  std::unique_ptr<CQXDocEntry> existing;
  BOOL existingHasData = FALSE;
  if (!existingPath.empty()) {
    if (outside) existing = TakeOverExisting(existingPath, entry);
    existingHasData = HasData(existingPath.c_str());
    if (existingHasData && outside && !ConfirmReplace(entry)) return TRUE;
  }

  // The node name: the folder's last component and the next unique number
  // (a number in use, from a damaged counter, is passed over).
  const char* slash = std::strrchr(folder, '\\');
  const std::string prefix = slash ? slash + 1 : folder;
  std::string path;
  OrvoNodeInfo probe;
  for (int tries = 0; tries < 1000; ++tries) {
    char name[96];
    std::snprintf(name, sizeof name, "%s_%08u", prefix.c_str(), unsigned(m_host->NextUniqueNumber()));
    path = ChildPath(folder, name);
    if (!NodeExists(path.c_str(), &probe)) break;
    path.clear();
  }
  if (path.empty() || path.size() > 255) return FALSE;

  // The new node is written before the old one goes: a failing write loses
  // nothing.
  if (!StoreEntry(path.c_str(), entry, TRUE, display.c_str())) return FALSE;
  OrvoNodeInfo values;
  values.valueB = DWORD(item->GetTypeId());
  values.valueA = kNodeMadeByDocument;
  s->SetNodeInfo(path.c_str(), &values, ORVO_SET_VALUEA | ORVO_SET_VALUEB);
  int flags = (folderInfo.flags & kNodeSortAscending) ? 0x20 : int(folderInfo.flags & kNodeSortDescending);
  flags |= 2;
  if (display.empty()) flags |= 4;
  if (!m_host->AddTreeEntry(path.c_str(), display.c_str(), 0, flags, item->GetTypeId())) {
    DeleteNewNode(path);
    return FALSE;
  }
  if (!existingPath.empty()) {
    DWORD deleted = FALSE;
    RemoveItem(existingPath.c_str(), &deleted, FALSE);
    if (existingHasData) m_displaced = std::move(existing);
  }
  CopyText(path, outPath, 256);
  return TRUE;
}

BOOL CQXDocItemOps::WriteItem(CQXDocEntry* entry, char* outPath) {
  if (outPath) *outPath = '\0';
  COrvoItemStore* s = store();
  CQXCalcItem* item = entry ? entry->GetItem() : nullptr;
  if (!s || !item) return FALSE;
  const std::string path = entry->Path();
  const std::string display = DisplayName(item, 64);

  OrvoNodeInfo info;
  if (s->GetNodeInfo(path.c_str(), &info)) {
    if (info.flags & kNodeFolder) return FALSE;
    if (entry->GetFlags() & kFromOutside) {
      std::unique_ptr<CQXDocEntry> existing = TakeOverExisting(path, entry);
      if (HasData(path.c_str())) {
        if (!ConfirmReplace(entry)) return TRUE;
        m_displaced = std::move(existing);
      }
    }
  }
  // Asked again: a list file's Yes may have removed the node.
  if (s->GetNodeInfo(path.c_str(), &info)) {
    if (!StoreEntry(path.c_str(), entry, FALSE, nullptr)) return FALSE;
    if (!display.empty() && display != info.description) {
      OrvoNodeInfo text;
      text.SetDescription(display.c_str());
      s->SetNodeInfo(path.c_str(), &text, ORVO_SET_DESCRIPTION);
      m_host->SetTreeEntryText(path.c_str(), display.c_str());
    }
    CopyText(path, outPath, 256);
    return TRUE;
  }
  if (s->GetLastError() != ORVO_E_PATHNOTFOUND) return FALSE;
  if (!StoreEntry(path.c_str(), entry, TRUE, nullptr)) return FALSE;
  OrvoNodeInfo values;
  values.SetDescription(display.c_str());
  values.valueA = kNodeMadeByDocument;
  values.valueB = DWORD(item->GetTypeId());
  s->SetNodeInfo(path.c_str(), &values, ORVO_SET_DESCRIPTION | ORVO_SET_VALUEA | ORVO_SET_VALUEB);
  if (!m_host->AddTreeEntry(path.c_str(), display.c_str(), 0, 2, item->GetTypeId())) {
    DeleteNewNode(path);
    return FALSE;
  }
  CopyText(path, outPath, 256);
  return TRUE;
}

BOOL CQXDocItemOps::RemoveItem(const char* path, DWORD* deleted, BOOL withUndo) {
  if (deleted) *deleted = FALSE;
  OrvoNodeInfo info;
  if (!NodeExists(path, &info) || (info.flags & kNodeFolder)) return FALSE;
  if (withUndo && !m_host->KeepRemovedForUndo(path)) return FALSE;
  COrvoItemStore* s = store();
  info.SetPath(path);
  if (!s->DeleteItemStream(&info)) return FALSE;
  if (info.valueA & kNodeMadeByDocument) {
    if (!s->DeleteNode(path)) return FALSE;
    m_host->RemoveTreeEntry(path);
    if (deleted) *deleted = TRUE;
  }
  m_host->SetModifiedFlag();
  return TRUE;
}

BOOL CQXDocItemOps::RemoveChildByDescription(const char* folder, const char* description, DWORD* deleted,
                                             BOOL withUndo) {
  if (deleted) *deleted = FALSE;
  BOOL isFolder = FALSE;
  const std::string path = FindChildByDescription(folder, description, &isFolder);
  if (path.empty() || isFolder) return FALSE;
  return RemoveItem(path.c_str(), deleted, withUndo);
}

BOOL CQXDocItemOps::RemoveFolderContents(const char* folder, DWORD* deleted) {
  if (deleted) *deleted = 0;
  if (!store() || !folder) return FALSE;
  // The children are listed first: removing ends the store's enumeration.
  BOOL all = TRUE;
  for (const std::string& child : ChildPaths(folder)) {
    DWORD gone = FALSE;
    if (!RemoveItem(child.c_str(), &gone, FALSE)) all = FALSE;
    if (gone && deleted) ++*deleted;
  }
  return all;
}

void CQXDocItemOps::ResetOverwriteState() {
  m_overwriteAll = FALSE;
  for (UINT& answer : m_listFileAnswers) answer = 0;
}

void CQXDocItemOps::QueryOverwrite(const char* text, int kind, UINT* answer) {
  if (m_overwriteAll) {
    *answer = CQXOverwriteDialog::RESULT_ALL;
    return;
  }
  CQXOverwriteDialog dialog(text ? text : "", kind);
  dialog.DoModal();
  *answer = UINT(dialog.GetResult());
  if (*answer == CQXOverwriteDialog::RESULT_ALL) m_overwriteAll = TRUE;
}

BOOL CQXDocItemOps::ApplyAnswer(UINT answer) {
  switch (answer) {
    case CQXOverwriteDialog::RESULT_YES: return TRUE;
    case CQXOverwriteDialog::RESULT_ALL:
      m_overwriteAll = TRUE;
      return TRUE;
    case CQXOverwriteDialog::RESULT_CANCEL:
      // A paste or an import has no link: Annuler then keeps this item.
      if (CQXCalcLink* link = m_host->GetCurrentLink()) link->Cancel();
      return FALSE;
    default: return FALSE;
  }
}

BOOL CQXDocItemOps::ConfirmReplace(CQXDocEntry* entry) {
  CQXCalcItem* item = entry->GetItem();
  const std::string display = item ? DisplayName(item, 128) : std::string();
  const DWORD kind = entry->GetKind();
  const int listFile = (kind == 4002 || kind == 5002) ? ListFileOf(entry) : 0;
  std::string text;
  if (kind == 1) {
    text = CLanguageLibrary::LoadStringA(10302) + " \"" + display + "\"";
  } else if (listFile) {
    text = CLanguageLibrary::LoadStringA(10342) + " " + std::to_string(listFile);
    // One question for each list file in a transfer.
    const UINT remembered = m_listFileAnswers[listFile - 1];
    if (remembered) return remembered == CQXOverwriteDialog::RESULT_YES || remembered == CQXOverwriteDialog::RESULT_ALL;
  } else {
    text = display;
  }
  if (m_overwriteAll) return TRUE;
  UINT answer = CQXOverwriteDialog::RESULT_NO;
  QueryOverwrite(text.c_str(), int(kind), &answer);
  if (listFile) {
    m_listFileAnswers[listFile - 1] = answer;
    // The received lists replace the whole list file.
    if (answer == CQXOverwriteDialog::RESULT_YES || answer == CQXOverwriteDialog::RESULT_ALL) {
      char folder[256] = "";
      entry->GetFolder(folder, sizeof folder);
      RemoveFolderContents(folder, nullptr);
    }
  }
  return ApplyAnswer(answer);
}

BOOL CQXDocItemOps::CheckOverwrite(CQXDocEntry* entry) {
  const char* path = entry->Path().c_str();
  if (!HasData(path)) return TRUE;
  OrvoNodeInfo info;
  if (!NodeExists(path, &info)) return FALSE;
  if (m_overwriteAll) return TRUE;
  UINT answer = CQXOverwriteDialog::RESULT_NO;
  QueryOverwrite(info.description, int(entry->GetKind()), &answer);
  return ApplyAnswer(answer);
}
