// Fuzz target of reading an item data object from another program: the
// first 1024 bytes of the input are offered as the description block (all
// of it when shorter), the rest as the item's compound file. Whatever the
// bytes, the reader answers with an entry or refuses; a description that
// reads is written back to the same bytes.
#include "app/ItemClipboardFormats.h"
#include "app/ItemTransfer.h"
#include "datamodel/QXDocEntry.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = RegisterItemClipboardFormats() != 0;
  (void)registered;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QByteArray block = bytes.left(kItemInfoSize);
  COleDataSource source;
  source.CacheGlobalData(GetItemInfoFormat(), block);
  if (bytes.size() > kItemInfoSize) source.CacheGlobalData(GetItemObjectFormat(), bytes.mid(kItemInfoSize));
  COleDataObject object;
  object.Attach(source.CreateMimeData());

  ItemInfoBlock info;
  if (DecodeItemInfo(block, &info)) {
    // Only the fields are kept: the zero tail and the bytes after each
    // path's end are written as zeros.
    ItemInfoBlock again;
    if (!DecodeItemInfo(EncodeItemInfo(info), &again) || again.dataType != info.dataType ||
        again.mainWindow != info.mainWindow || again.dragView != info.dragView)
      std::abort();
  }
  std::unique_ptr<CQXDocEntry> entry;
  if (ReadItemDataObject(&object, &entry) && !entry) std::abort();
  return 0;
}
