// Feeds arbitrary descriptor and contents blocks to the Internet-shortcut
// reader. Input: a little-endian 16-bit length n, then n bytes of descriptor
// block, then the contents.
#include "classlib/InternetShortcut.h"
#include "platform/OleDataObject.h"

#include <QMimeData>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t n = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
  const char* bytes = reinterpret_cast<const char*>(data) + 2;
  QMimeData mime;
  mime.setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileGroupDescriptor"))),
               QByteArray(bytes, qsizetype(n)));
  mime.setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileContents"))),
               QByteArray(bytes + n, qsizetype(size - 2 - n)));
  COleDataObject object;
  object.Attach(&mime, FALSE);
  CInternetShortcutReader reader;
  const BOOL isShortcut = reader.IsInternetShortcut(&object);
  const BOOL hasUrl = reader.ReadUrl(&object);
  std::string url;
  // An address comes only from a shortcut, and is never empty or longer
  // than the contents.
  if (hasUrl && (!isShortcut || !reader.GetUrl(url) || url.empty() || url.size() > size)) __builtin_trap();
  return 0;
}
