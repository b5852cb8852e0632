#include "app/ItemTransfer.h"

#include "app/ItemClipboardFormats.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/QXCalcItem.h"
#include "datamodel/QXDocEntry.h"
#include "platform/ByteOrder.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "platform/WinApp.h"
#include "platform/storage/MemoryStorage.h"
#include "services/DocServices.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// The temporary store of a transfer: a nameless compound file, direct and
// exclusive.
constexpr int kTransferStoreMode = ORVO_OPEN_DIRECT | ORVO_SHARE_EXCLUSIVE;
constexpr char kSourceFolderText[] = "QXL SData Source Item";
constexpr int kPathField = 256;

CLIPFORMAT objectFormat() {
  if (!GetItemObjectFormat()) RegisterItemClipboardFormats();
  return GetItemObjectFormat();
}

CLIPFORMAT infoFormat() {
  if (!GetItemInfoFormat()) RegisterItemClipboardFormats();
  return GetItemInfoFormat();
}

// A path field read only when it ends within its bytes.
bool readPath(const BYTE* field, char* out) {
  const void* end = std::memchr(field, 0, kPathField);
  if (!end) return false;
  std::memcpy(out, field, kPathField);
  return true;
}

// The item's store: the source folder and the item node, as compound-file
// bytes.
BOOL WriteItemObject(CQXDocEntry* entry, const ItemInfoBlock& info, QByteArray* out) {
  COrvoItemStore store;
  if (!store.Open(nullptr, kTransferStoreMode)) return FALSE;
  OrvoNodeInfo folder;
  folder.SetPath(kItemSourceFolder);
  folder.SetDescription(kSourceFolderText);
  folder.flags = kNodeFolder;
  folder.valueB = DWORD(info.dataType);
  if (!store.AddNode(&folder)) return FALSE;
  {
    COrvoItemStream stream(&store);
    if (!stream.Create(info.innerPath, 2, nullptr)) return FALSE;
    try {
      entry->Store(stream);
    } catch (const COrvoArchiveException&) {
      return FALSE;
    }
  }
  if (!store.Flush()) return FALSE;
  ComPtr<IStorage> memory;
  std::vector<std::uint8_t>* bytes = nullptr;
  if (FAILED(tallix::cfb::createMemoryStorage(STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, memory.put(),
                                              &bytes)) ||
      FAILED(store.GetRootStorage()->CopyTo(0, nullptr, nullptr, memory.get())) ||
      FAILED(memory->Commit(STGC_DEFAULT)) || !bytes)
    return FALSE;
  *out = QByteArray(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
  return TRUE;
}

// Collects what an entry writes of itself: its stored record.
class RecordBytes : public COrvoArchive {
 public:
  BOOL Open(const char*, int, BOOL) override { return TRUE; }
  BOOL Close() override { return TRUE; }
  void WriteDword(const DWORD* value) override {
    BYTE b[4];
    PutLittleEndian32(b, *value);
    Write(b, 4);
  }
  void Write(const void* buffer, UINT count) override {
    bytes.append(static_cast<const char*>(buffer), qsizetype(count));
  }
  void SetLength(DWORD) override {}
  QByteArray bytes;
};

// The stored record of the item at `path` of `doc`; empty when there is
// none.
QByteArray storedEntry(CQXDocServices* doc, const char* path) {
  try {
    CQXDocEntry entry;
    if (!doc->LoadItem(path, &entry) || !entry.GetItem()) return {};
    RecordBytes record;
    entry.Store(record);
    return record.bytes;
  } catch (const COrvoArchiveException&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

// What the clipboard's description block said when it was last read; read
// again only after the clipboard changed.
struct ClipboardInfo {
  QPointer<QClipboard> clipboard;
  bool known = false;
  bool present = false;
  ItemInfoBlock info;
};

ClipboardInfo& clipboardInfo() {
  static ClipboardInfo c;
  return c;
}

// The drag under way in this program, and the last one that left it as a
// move into another program: from which document, and the entry's stored
// record as it left.
struct DragRecord {
  bool active = false;
  DWORD view = 0;
  std::string path;
  CQXDocServices* doc = nullptr;
  QByteArray entry;
  bool droppedHere = false, movedHere = false;
};
DragRecord g_drag;
DragRecord g_movedElsewhere;

}  // namespace

// ---------------------------------------------------------------- the block

QByteArray EncodeItemInfo(const ItemInfoBlock& info) {
  QByteArray block(kItemInfoSize, '\0');
  BYTE* p = reinterpret_cast<BYTE*>(block.data());
  PutLittleEndian32(p, kItemInfoSize);
  PutLittleEndian32(p + 4, DWORD(info.dataType));
  std::memcpy(p + 8, info.innerPath, strnlen(info.innerPath, kPathField - 1));
  std::memcpy(p + 264, info.sourcePath, strnlen(info.sourcePath, kPathField - 1));
  PutLittleEndian32(p + 520, info.mainWindow);
  PutLittleEndian32(p + 524, info.dragView);
  return block;
}

BOOL DecodeItemInfo(const QByteArray& bytes, ItemInfoBlock* out) {
  if (!out || bytes.size() < kItemInfoSize) return FALSE;
  const BYTE* p = reinterpret_cast<const BYTE*>(bytes.constData());
  if (GetLittleEndian32(p) != DWORD(kItemInfoSize)) return FALSE;
  ItemInfoBlock info;
  info.dataType = int(GetLittleEndian32(p + 4));
  if (!readPath(p + 8, info.innerPath) || !readPath(p + 264, info.sourcePath)) return FALSE;
  info.mainWindow = GetLittleEndian32(p + 520);
  info.dragView = GetLittleEndian32(p + 524);
  *out = info;
  return TRUE;
}

DWORD OwnMainWindowId() { return DWORD(QCoreApplication::applicationPid()); }

DWORD ItemDragViewId(QWidget* view) {
  static DWORD last = 0;
  if (!view) return 0;
  const QVariant id = view->property("itemDragViewId");
  if (id.isValid()) return id.toUInt();
  view->setProperty("itemDragViewId", ++last);
  return last;
}

BOOL IsFromOwnMainWindow(const ItemInfoBlock& info) {
  return info.mainWindow != 0 && info.mainWindow == OwnMainWindowId();
}

BOOL IsFromView(const ItemInfoBlock& info, QWidget* view) {
  return IsFromOwnMainWindow(info) && view && info.dragView == ItemDragViewId(view);
}

BOOL CanDropItemOn(const ItemInfoBlock& info, int targetItemData) {
  return targetItemData != 0 && info.dataType == targetItemData;
}

// ---------------------------------------------------------------- giving

BOOL BuildItemDataObject(CQXDocServices* doc, const char* path, int dataType, DWORD dragValue,
                         COleDataSource* out) {
  if (!doc || !path || !out) return FALSE;
  try {
    auto entry = std::make_unique<CQXDocEntry>();
    if (!doc->LoadItem(path, entry.get()) || !entry->GetItem()) return FALSE;
    entry->SetPath(path);

    ItemInfoBlock info;
    info.dataType = dataType;
    const char* slash = std::strrchr(path, '\\');
    const std::string name = std::string(slash ? slash + 1 : path).substr(0, 63);
    CopyText(std::string(kItemSourceFolder) + '\\' + name, info.innerPath, sizeof info.innerPath);
    CopyText(path, info.sourcePath, sizeof info.sourcePath);
    info.mainWindow = AfxGetMainWnd() ? OwnMainWindowId() : 0;
    info.dragView = dragValue;

    QByteArray object;
    if (!WriteItemObject(entry.get(), info, &object)) return FALSE;
    out->CacheGlobalData(objectFormat(), object);
    out->CacheGlobalData(infoFormat(), EncodeItemInfo(info));
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

BOOL CopyItemToClipboard(CQXDocServices* doc, const char* path, int dataType) {
  COleDataSource source;
  if (!BuildItemDataObject(doc, path, dataType, 0, &source)) return FALSE;
  source.SetClipboard();
  return TRUE;
}

BOOL DragItem(CQXDocServices* doc, const char* path, int dataType, QWidget* sourceView, BOOL* moved) {
  if (moved) *moved = FALSE;
  COleDataSource source;
  const DWORD view = ItemDragViewId(sourceView);
  if (!path || !BuildItemDataObject(doc, path, dataType, view, &source)) return FALSE;
  g_movedElsewhere = DragRecord();
  g_drag = DragRecord();
  g_drag.active = true;
  g_drag.view = view;
  g_drag.path = path;
  g_drag.doc = doc;
  g_drag.entry = storedEntry(doc, path);
  const DROPEFFECT effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, sourceView);
  const DragRecord done = g_drag;
  g_drag = DragRecord();
  if (done.droppedHere) {
    if (moved) *moved = done.movedHere && (effect & DROPEFFECT_MOVE) ? TRUE : FALSE;
  } else if (effect & DROPEFFECT_MOVE) {
    g_movedElsewhere = done;
  }
  return TRUE;
}

void NoteItemDropped(const ItemInfoBlock& info, BOOL moved) {
  if (!g_drag.active || !IsFromOwnMainWindow(info) || info.dragView != g_drag.view || g_drag.path != info.sourcePath)
    return;
  g_drag.droppedHere = true;
  g_drag.movedHere = moved != FALSE;
}

BOOL ConfirmMovedElsewhere(CQXDocServices* doc, DWORD view, const char* path) {
  const DragRecord& moved = g_movedElsewhere;
  if (!moved.active || !doc || !path || doc != moved.doc || view != moved.view || moved.path != path) return FALSE;
  // Changed since it left (replaced, edited, undone): the move is void.
  const bool same = !moved.entry.isEmpty() && storedEntry(doc, path) == moved.entry;
  g_movedElsewhere = DragRecord();
  return same ? TRUE : FALSE;
}

void ForgetMovesOutOf(CQXDocServices* doc) {
  if (doc && g_movedElsewhere.doc == doc) g_movedElsewhere = DragRecord();
  if (doc && g_drag.doc == doc) g_drag.doc = nullptr;
}

// ---------------------------------------------------------------- taking

BOOL ReadItemInfo(const COleDataObject* data, ItemInfoBlock* out) {
  if (!data) return FALSE;
  const std::optional<QByteArray> block = data->GetGlobalData(infoFormat());
  return block && DecodeItemInfo(*block, out);
}

const ItemInfoBlock* ItemDragDescription::Get(const COleDataObject* data) {
  if (!read_) {
    valid_ = ReadItemInfo(data, &info_);
    read_ = true;
  }
  return valid_ ? &info_ : nullptr;
}

BOOL IsClipboardItemOfKind(int dataType, BOOL check) {
  if (!check) return FALSE;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return FALSE;
  ClipboardInfo& c = clipboardInfo();
  if (c.clipboard != clipboard) {
    c.clipboard = clipboard;
    c.known = false;
    QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { clipboardInfo().known = false; });
  }
  if (!c.known) {
    COleDataObject data;
    c.present = data.AttachClipboard() && ReadItemInfo(&data, &c.info);
    c.known = true;
  }
  return c.present && c.info.dataType == dataType;
}

BOOL ReadItemDataObject(const COleDataObject* data, std::unique_ptr<CQXDocEntry>* out) {
  if (!out) return FALSE;
  out->reset();
  ItemInfoBlock info;
  if (!ReadItemInfo(data, &info)) return FALSE;
  try {
    const std::optional<QByteArray> object = data->GetGlobalData(objectFormat());
    if (!object || object->isEmpty() || object->size() > kMaxItemObjectSize) return FALSE;
    ComPtr<IStorage> offered;
    if (FAILED(tallix::cfb::openMemoryStorage(std::vector<std::uint8_t>(object->begin(), object->end()),
                                              STGM_READ | STGM_SHARE_EXCLUSIVE, offered.put())))
      return FALSE;
    COrvoItemStore store;
    if (!store.Open(nullptr, kTransferStoreMode) || !store.LoadFromStorage(offered.get())) return FALSE;
    offered.reset();
    OrvoNodeInfo node;
    if (!store.GetNodeInfo(info.innerPath, &node) || (node.flags & kNodeFolder)) return FALSE;
    COrvoItemStream stream(&store);
    if (!stream.Open(info.innerPath, 1, FALSE)) return FALSE;
    auto entry = std::make_unique<CQXDocEntry>();
    entry->Load(stream);
    *out = std::move(entry);
    return TRUE;
  } catch (const COrvoArchiveException&) {
    return FALSE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

BOOL PasteItemFromClipboard(std::unique_ptr<CQXDocEntry>* out) {
  COleDataObject data;
  if (!data.AttachClipboard()) {
    if (out) out->reset();
    return FALSE;
  }
  return ReadItemDataObject(&data, out);
}

BOOL ReadDroppedItem(const COleDataObject* data, std::unique_ptr<CQXDocEntry>* out) {
  return ReadItemDataObject(data, out);
}
