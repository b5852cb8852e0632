// Feeds arbitrary bytes to the .bmp reader as a file; a DIB it accepts must
// decode to a bitmap of its announced size, convert back to a DIB and paint.
#include "classlib/DibFunctions.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer file(&bytes);
  file.open(QIODevice::ReadOnly);
  const HGLOBAL dib = DibReadFromFile(&file);
  if (!dib) return 0;
  BITMAPINFOHEADER header;
  check(DibGetInfoHeader(dib, &header) && DibIsSupportedHeader(header));
  check(dib.size() >= 40 + DibColorTableSize(&header) + std::uint64_t(header.biSizeImage));

  HBITMAP bitmap = DibCreateBitmap(dib, nullptr);
  if (bitmap) {
    check(bitmap->width() == header.biWidth && bitmap->height() == std::abs(header.biHeight));
    const HGLOBAL again = DibCreateFromBitmap(bitmap, BI_RGB, 0, nullptr);
    check(bool(again));
    DeleteObject(bitmap);
  }
  QImage target(16, 16, QImage::Format_RGB32);
  QPainter painter(&target);
  DibStretchPaint(&painter, 0, 0, 16, 16, dib, 0, 0, 8, 8, SRCAND);
  return 0;
}
