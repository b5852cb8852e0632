// One document item between windows and running programs, on the clipboard
// or in a drag: a data object with the item as a small compound file ("QXL
// SData Object") and its description block ("QXL SData Object Info").
//
// The description block, 1024 bytes, little-endian:
//   0    4    1024 (a block with another first value is refused)
//   4    4    data type of the source slot (an item type id)
//   8    256  path of the item in the object's store, NUL-terminated
//   264  256  path of the item in the source document, NUL-terminated
//   520  4    the source program's main window: its process id, unique
//             among the running programs
//   524  4    0 on the clipboard; in a drag the id of the view it started
//             in (a per-run counter from 1)
//   528  496  zero
// Both paths must end within their 256 bytes. The object is the bytes of a
// compound file holding an item store with exactly the folder
// "\QXL SData Source Item" (description the same, data type the slot's) and
// one item node below it, named after the last component of the item's
// document path, whose stream holds the entry as the document stores it.
// Objects from other programs are read through the checked compound-file
// reader and refused above 64 MiB.
#pragma once

#include "platform/OleDropTarget.h"
#include "platform/WinTypes.h"

#include <QByteArray>

#include <memory>

class COleDataObject;
class COleDataSource;
class CQXDocEntry;
class CQXDocServices;
class QWidget;

inline constexpr int kItemInfoSize = 1024;
inline constexpr qsizetype kMaxItemObjectSize = qsizetype(64) * 1024 * 1024;
inline constexpr char kItemSourceFolder[] = "\\QXL SData Source Item";

// The description block as read or to be written.
struct ItemInfoBlock {
  int dataType = 0;
  char innerPath[256] = {};
  char sourcePath[256] = {};
  DWORD mainWindow = 0;
  DWORD dragView = 0;
};

// The 1024 bytes of a block.
QByteArray EncodeItemInfo(const ItemInfoBlock& info);
// FALSE for fewer than 1024 bytes, a first value other than 1024 or a path
// that does not end within its 256 bytes; bytes past 1024 are not read.
BOOL DecodeItemInfo(const QByteArray& bytes, ItemInfoBlock* out);

// This program's main-window id (its process id) and a view's drag id
// (given at its first use, from 1).
DWORD OwnMainWindowId();
DWORD ItemDragViewId(QWidget* view);
BOOL IsFromOwnMainWindow(const ItemInfoBlock& info);
// From this program and the drag of `view`.
BOOL IsFromView(const ItemInfoBlock& info, QWidget* view);
// Whether a described item may go to an entry whose item data (data type)
// is `targetItemData`: the same data type, and not 0.
BOOL CanDropItemOn(const ItemInfoBlock& info, int targetItemData);

// Builds the data object of the item at `path` of `doc` (data type
// `dataType`, drag value 0 for the clipboard); FALSE when the item cannot
// be loaded, holds no item or memory runs out.
BOOL BuildItemDataObject(CQXDocServices* doc, const char* path, int dataType, DWORD dragValue,
                         COleDataSource* out);
// Places the item on the clipboard; FALSE when its data object cannot be
// built.
BOOL CopyItemToClipboard(CQXDocServices* doc, const char* path, int dataType);
// Drags the item out of `sourceView` (copy, move and link allowed);
// `moved` TRUE when a drop in this program filed it as a move. FALSE when
// the data object cannot be built. The caller removes the source item after
// a move. A move into another program is only a promise (the drag loop
// learns only what the target expected before the drop): it is kept, and
// the item goes when that program says it filed it (ConfirmMovedElsewhere).
BOOL DragItem(CQXDocServices* doc, const char* path, int dataType, QWidget* sourceView, BOOL* moved);
// A drop in this program read `info`; `moved` when it filed the item as a
// move.
void NoteItemDropped(const ItemInfoBlock& info, BOOL moved);
// Another program filed the item this program last dragged out as a move
// (view id and document path as in its description block): TRUE once, when
// they match that drag, `doc` is the document it left and the item at that
// path is still the one that left. A confirmation that names another drag
// or document changes nothing; one for an item changed since voids the move.
BOOL ConfirmMovedElsewhere(CQXDocServices* doc, DWORD view, const char* path);
// The contents of `doc` are replaced or go: a move out of it that still
// awaits its confirmation is dropped.
void ForgetMovesOutOf(CQXDocServices* doc);

// The description block of a data object; FALSE when it offers none or a
// refused one.
BOOL ReadItemInfo(const COleDataObject* data, ItemInfoBlock* out);
// The description of the item dragged over a view, read at the first
// question of a drag and kept until Forget (leave or drop): another
// program's data is fetched from it each time it is read.
class ItemDragDescription {
 public:
  // Null when the dragged data describes no item.
  const ItemInfoBlock* Get(const COleDataObject* data);
  void Forget() { read_ = false; }

 private:
  bool read_ = false, valid_ = false;
  ItemInfoBlock info_;
};

// FALSE when `check` is FALSE; else whether the clipboard holds an item of
// `dataType`. The clipboard's block is read once after each change of the
// clipboard, so update handlers never wait on another program twice.
BOOL IsClipboardItemOfKind(int dataType, BOOL check);
// The entry a data object carries, with its item; FALSE (nothing in `out`)
// when the object offers no readable item.
BOOL ReadItemDataObject(const COleDataObject* data, std::unique_ptr<CQXDocEntry>* out);
BOOL PasteItemFromClipboard(std::unique_ptr<CQXDocEntry>* out);
BOOL ReadDroppedItem(const COleDataObject* data, std::unique_ptr<CQXDocEntry>* out);
