#include "classlib/DibFunctions.h"

#include "platform/ByteOrder.h"
#include "platform/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>

namespace {

// The DIB's pixels, after checking that the block holds all it announces;
// a null image otherwise. Qt's BMP reader decodes the checked bytes; the
// result is always RGB32.
QImage decodeDib(const HGLOBAL& dib) {
  BITMAPINFOHEADER header;
  if (!DibGetInfoHeader(dib, &header) || !DibIsSupportedHeader(header)) return {};
  const std::uint64_t bitsAt = BITMAPINFOHEADER::kSize + std::uint64_t(DibColorTableSize(&header));
  const std::uint64_t needed = header.biCompression == BI_RGB ? DibComputedImageSize(header) : header.biSizeImage;
  if (needed == 0 || bitsAt + needed > dib.size()) return {};
  BITMAPFILEHEADER fileHeader;
  fileHeader.bfType = kBitmapFileType;
  fileHeader.bfSize = DWORD(dib.size() + BITMAPFILEHEADER::kSize);
  fileHeader.bfOffBits = DWORD(BITMAPFILEHEADER::kSize + bitsAt);
  QByteArray file(BITMAPFILEHEADER::kSize, '\0');
  fileHeader.WriteTo(reinterpret_cast<BYTE*>(file.data()));
  file.append(reinterpret_cast<const char*>(dib.data()), qsizetype(dib.size()));
  // The header in the block may leave image size and colours used 0; the
  // reader gets them filled in.
  header.WriteTo(reinterpret_cast<BYTE*>(file.data()) + BITMAPFILEHEADER::kSize);
  QImage image;
  if (!image.loadFromData(file, "BMP")) return {};
  // Indexed pixels may point beyond a short colour table; the conversion
  // gives those a colour, drawing them as they are would read past it.
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

HBITMAP DibCreateBitmap(const HGLOBAL& dib, HPALETTE) {
  if (!dib) return nullptr;
  CWaitCursor wait;
  return CreateBitmapHandle(decodeDib(dib));
}

HGLOBAL DibCreateFromBitmap(HBITMAP bitmap, DWORD compression, WORD bitCount, HPALETTE) {
  if (!bitmap || bitmap->isNull() || compression != BI_RGB || (bitCount != 0 && bitCount != 32)) return {};
  const QImage image = bitmap->convertToFormat(QImage::Format_RGB32);
  BITMAPINFOHEADER header;
  header.biWidth = image.width();
  header.biHeight = image.height();
  header.biBitCount = 32;
  header.biSizeImage = DWORD(image.width()) * 4 * DWORD(image.height());
  HGLOBAL dib;
  if (!dib.Resize(BITMAPINFOHEADER::kSize + size_t(header.biSizeImage))) return {};
  header.WriteTo(dib.data());
  BYTE* out = dib.data() + BITMAPINFOHEADER::kSize;
  // Rows bottom-up; each pixel blue, green, red and a reserved 0.
  for (int y = image.height() - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      *out++ = BYTE(qBlue(row[x]));
      *out++ = BYTE(qGreen(row[x]));
      *out++ = BYTE(qRed(row[x]));
      *out++ = 0;
    }
  }
  return dib;
}

int DibStretchPaint(HDC dc, int x, int y, int cx, int cy, const HGLOBAL& dib, int srcX, int srcY, int srcCx,
                    int srcCy, DWORD rop) {
  if (!dc) return 0;
  dc->save();
  dc->setCompositionMode(rop == SRCAND ? QPainter::RasterOp_SourceAndDestination : QPainter::CompositionMode_Source);
  int result = 0;
  const QRect target(x, y, cx, cy);
  if (!dib) {
    if (rop == WHITENESS)
      dc->fillRect(target, Qt::white);
    else if (rop == BLACKNESS)
      dc->fillRect(target, Qt::black);
    else
      dc->fillRect(target, dc->brush());
    result = 1;
  } else {
    const QImage image = decodeDib(dib);
    BITMAPINFOHEADER header;
    DibGetInfoHeader(dib, &header);
    if (!image.isNull() && srcCx > 0 && srcCy > 0 && cx > 0 && cy > 0) {
      // A bottom-up DIB counts its source rows from the bottom.
      const int top = header.biHeight > 0 ? image.height() - srcY - srcCy : srcY;
      const QRect source(srcX, top, srcCx, srcCy);
      // Only the part of the source inside the image is painted, into the
      // matching part of the target.
      const QRect inside = source.intersected(image.rect());
      if (!inside.isEmpty()) {
        const double sx = double(cx) / srcCx, sy = double(cy) / srcCy;
        const QRectF part(x + (inside.left() - source.left()) * sx, y + (inside.top() - source.top()) * sy,
                          inside.width() * sx, inside.height() * sy);
        dc->drawImage(part, image, QRectF(inside));
        result = inside.height();
      }
    }
  }
  dc->restore();
  return result;
}
