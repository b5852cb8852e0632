// CQXDoc: the two records of "\Document", the filling of the tree, the
// right pane's selection, and the item services the lower layers use.
#include "app/QXDoc.h"

#include "services/QXSummaryInfo.h"
#include "app/QXTreeView.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/QXDocEntry.h"
#include "platform/ByteOrder.h"

#include <cstring>

namespace {

constexpr char kCalculatorPath[] = "\\Calculator";
constexpr int kDefaultKind = 2;
constexpr int kDefaultExpanded = 1;

// A stream of the store written whole; FALSE after the stream error
// message.
BOOL writeRecord(COrvoItemStore* store, const char* path, const BYTE* bytes, UINT size, const QString& docPath) {
  COrvoItemStream stream(store);
  if (!stream.Create(path, 2, nullptr)) {
    FormatStreamError(stream.GetErrorCode(), docPath, TRUE);
    return FALSE;
  }
  try {
    stream.SetLength(0);
    stream.Write(bytes, size);
  } catch (const COrvoArchiveException& e) {
    FormatStreamError(e.GetErrorCode(), docPath, TRUE);
    return FALSE;
  }
  return TRUE;
}

}  // namespace

// ---------------------------------------------------------------- records

BOOL CQXDoc::WriteRecords() { return WriteDocumentInfo() && WriteViewState(); }

BOOL CQXDoc::WriteDocumentInfo() {
  BYTE record[kDocInfoSize] = {};
  PutLittleEndian32(record, 1);
  PutLittleEndian32(record + 4, 1);
  PutLittleEndian32(record + 8, 10);
  PutLittleEndian32(record + 12, uniqueCounter_);
  std::memcpy(record + 16, calculatorType_.data(), std::min<size_t>(calculatorType_.size(), 63));
  PutLittleEndian32(record + 80, kVersionRecordSize);
  VS_FIXEDFILEINFO version{};
  if (GetProgramVersion(&version)) StoreVersionRecord(version, record + 84);
  if (!writeRecord(store_.get(), kDocInfoPath, record, kDocInfoSize, GetPathName())) return FALSE;
  if (summary_) {
    summary_->SetLastSaveTime();
    summary_->IncrementRevision();
    std::string author;
    summary_->GetAuthor(&author);
    summary_->SetLastAuthor(author.c_str());
    summary_->AddEditTime();
    summary_->StartEditTimer();
    // The set is for other programs to show; the document does without it.
    summary_->WriteToStorage(store_->GetRootStorage());
  }
  return TRUE;
}

BOOL CQXDoc::WriteViewState() {
  CQXTreeView* tree = GetTreeView();
  if (!tree) return FALSE;
  TreeSelectionInfo selection;
  if (!tree->GetSelection(&selection)) {
    selection = TreeSelectionInfo();
    CopyText(kCalculatorPath, selection.path, sizeof selection.path);
    selection.kind = kDefaultKind;
    selection.expanded = kDefaultExpanded;
  }
  BYTE record[kViewStateSize] = {};
  std::memcpy(record, selection.path, strnlen(selection.path, 255));
  PutLittleEndian32(record + 256, DWORD(selection.kind));
  PutLittleEndian32(record + 260, DWORD(selection.expanded));
  return writeRecord(store_.get(), kViewStatePath, record, kViewStateSize, GetPathName());
}

BOOL CQXDoc::ReadDocumentInfo(BYTE buffer[kDocInfoSize], const QString& pathForMessages) {
  std::memset(buffer, 0, kDocInfoSize);
  COrvoItemStream stream(store_.get());
  if (!stream.Open(kDocInfoPath, 1, FALSE)) {
    FormatStreamError(stream.GetErrorCode(), pathForMessages, FALSE);
    return FALSE;
  }
  try {
    stream.Read(buffer, kDocInfoSize);
  } catch (const COrvoArchiveException& e) {
    FormatStreamError(e.GetErrorCode(), pathForMessages, FALSE);
    return FALSE;
  }
  return TRUE;
}

BOOL CQXDoc::ReadViewState(BYTE buffer[kViewStateSize], const QString&) {
  std::memset(buffer, 0, kViewStateSize);
  COrvoItemStream stream(store_.get());
  bool read = false;
  if (stream.Open(kViewStatePath, 1, FALSE)) {
    try {
      stream.Read(buffer, kViewStateSize);
      read = true;
    } catch (const COrvoArchiveException&) {
    }
  }
  if (!read) {
    // Without the record the document opens on its calculator folder.
    std::memset(buffer, 0, kViewStateSize);
    std::memcpy(buffer, kCalculatorPath, sizeof kCalculatorPath - 1);
    PutLittleEndian32(buffer + 256, kDefaultKind);
    PutLittleEndian32(buffer + 260, kDefaultExpanded);
  }
  return TRUE;
}

BOOL CQXDoc::GetSavedSelection(TreeItemInfo* info) {
  BYTE record[kViewStateSize];
  if (!info || !ReadViewState(record, GetPathName())) return FALSE;
  info->mask = TreeItemInfo::kPath;
  std::memset(info->path, 0, sizeof info->path);
  std::memcpy(info->path, record, strnlen(reinterpret_cast<const char*>(record), 255));
  info->kind = int(GetLittleEndian32(record + 256));
  info->valid = int(GetLittleEndian32(record + 260));
  return TRUE;
}

// ---------------------------------------------------------------- views

CQXTreeView* CQXDoc::GetTreeView() const {
  POSITION pos = GetFirstViewPosition();
  while (pos)
    if (auto* tree = qobject_cast<CQXTreeView*>(GetNextView(pos))) return tree;
  return nullptr;
}

// The children are taken one at a time from the store's enumeration.
BOOL CQXDoc::fillTree(CQXTreeView* tree, const std::string& folder) {
  OrvoFindHandle handle = nullptr;
  if (!store_->FindFirst(folder.c_str(), &handle)) return TRUE;
  BOOL filled = TRUE;
  do {
    OrvoNodeInfo node;
    if (!store_->GetFoundInfo(handle, &node)) continue;
    const std::string path = folder + '\\' + node.path;
    TreeEntryDescription entry;
    CopyText(path, entry.path, sizeof entry.path);
    CopyText(node.description, entry.text, sizeof entry.text);
    entry.value = int(node.valueB);
    if (node.flags & kNodeFolder) {
      entry.kind = 1;
      filled = tree->AddEntry(&entry) && fillTree(tree, path);
    } else {
      // The store hands a sorted folder's items over in its order.
      entry.flags = TreeEntryDescription::kInOrder;
      filled = tree->AddEntry(&entry);
    }
  } while (filled && store_->FindNext(handle));
  store_->FindClose(handle);
  return filled;
}

BOOL CQXDoc::BuildViews() {
  CQXTreeView* tree = GetTreeView();
  OrvoNodeInfo root;
  if (!tree || !store_->GetNodeInfo(kCalculatorPath, &root)) return FALSE;
  TreeEntryDescription entry;
  CopyText(kCalculatorPath, entry.path, sizeof entry.path);
  CopyText(root.description, entry.text, sizeof entry.text);
  entry.kind = 2;
  entry.flags = TreeEntryDescription::kExpand;
  entry.value = int(root.valueB);
  if (!tree->AddEntry(&entry) || !fillTree(tree, kCalculatorPath)) return FALSE;
  BYTE viewState[kViewStateSize];
  if (!ReadViewState(viewState, GetPathName())) return FALSE;
  if (tree->isVisible()) tree->SetFocus();
  return TRUE;
}

BOOL CQXDoc::ShowSelectedItemView() {
  CQXTreeView* tree = GetTreeView();
  TreeSelectionInfo selection;
  if (!tree || !tree->GetSelection(&selection)) return FALSE;
  if (!ShowSelectionPane(selection) || selection.kind == 1) return FALSE;
  CQXDocEntry entry;
  return LoadItem(selection.path, &entry);
}

int CQXDoc::RefreshSelectionView() { return busy_ ? busy_ : ShowSelectedItemView(); }

BOOL CQXDoc::SelectAndShow(const char* path) {
  CQXTreeView* tree = GetTreeView();
  HTREEITEM before = nullptr;
  if (!tree || !path) return FALSE;
  tree->GetSelectedItem(&before);
  if (!tree->SelectPath(path, FALSE)) return FALSE;
  // A new selection has shown itself already.
  HTREEITEM after = nullptr;
  tree->GetSelectedItem(&after);
  return after != before ? TRUE : ShowSelectedItemView();
}

int CQXDoc::SetBusy(BOOL busy) {
  if (busy)
    ++busy_;
  else if (busy_ > 0)
    --busy_;
  return busy_;
}

// ---------------------------------------------------------------- services

void CQXDoc::GetCalculatorType(std::string* out) {
  if (out) *out = calculatorType_;
}

void CQXDoc::GetCalculatorName(std::string* out) {
  OrvoNodeInfo node;
  if (out && store_->GetNodeInfo(kCalculatorPath, &node)) *out = node.description;
}

DWORD CQXDoc::NextUniqueNumber() { return ++uniqueCounter_; }

BOOL CQXDoc::LoadItem(const char* path, CQXDocEntry* out) {
  // A folder holds no item of its own.
  OrvoNodeInfo node;
  if (!path || !store_->GetNodeInfo(path, &node) || (node.flags & kNodeFolder)) return FALSE;
  return items_.LoadItem(path, out);
}

BOOL CQXDoc::GetItemDataLength(const char* path, DWORD* out) {
  OrvoNodeInfo node;
  if (!path || !out || !store_->GetNodeInfo(path, &node) || (node.flags & kNodeFolder)) return FALSE;
  COrvoItemStream stream(store_.get());
  if (!stream.Open(path, 1, FALSE)) return FALSE;
  try {
    stream.GetLength(out);
  } catch (const COrvoArchiveException&) {
    return FALSE;
  }
  return TRUE;
}
