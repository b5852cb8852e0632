// An old screen copy becomes a screen-copy item: its pixels are painted
// into a bitmap, which the picture conversion turns into calculator planes
// laid out as a 40-byte screen-copy header describes them.
//
// The old record's data: byte 2 the height, byte 3 the width, byte 4 the
// bits per pixel; the pixels from byte 6. One bit per pixel: rows top-down,
// each padded to 16 bits, a pixel is ink where its bit is 0. Four bits per
// pixel: rows bottom-up, each padded to 32 bits, the first pixel of a byte
// in its high half, a palette index. Bytes 0, 1 and 5 are not used.
#include "app/OldDataImporter.h"

#include "classlib/PictureColors.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/PictureConversion.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXImageItems.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr DWORD kPixelsAt = 6;
constexpr size_t kNameLimit = 63;

// Bytes of one row of the old record.
DWORD RowBytes(int width, int depth) {
  return depth == 1 ? DWORD(width + 15) / 16 * 2 : DWORD(width * 4 + 31) / 32 * 4;
}

void PaintMonochrome(QImage& image, const BYTE* pixels, DWORD stride) {
  const QRgb ink = ColorRefToQRgb(GetBWColor()), paper = ColorRefToQRgb(GetBackgroundBWColor());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const BYTE bits = pixels[DWORD(y) * stride + DWORD(x / 8)];
      image.setPixel(x, y, (bits & (0x80 >> (x % 8))) ? paper : ink);
    }
}

void PaintColour(QImage& image, const BYTE* pixels, DWORD stride) {
  // Indexes 4 to 15 are no calculator colour: paper, like 0.
  QRgb palette[16];
  for (QRgb& entry : palette) entry = qRgb(255, 255, 255);
  palette[1] = ColorRefToQRgb(GetOrangeColor());
  palette[2] = ColorRefToQRgb(GetBlueColor());
  palette[3] = ColorRefToQRgb(GetGreenColor());
  const int height = image.height();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < image.width(); ++x) {
      const BYTE pair = pixels[DWORD(height - 1 - y) * stride + DWORD(x / 2)];
      image.setPixel(x, y, palette[x % 2 ? pair & 0x0F : pair >> 4]);
    }
}

}  // namespace

int CQXOldDataImporter::InsertItem(const qxl16_Record* record) {
  if (!record || !record->data || record->dataLength < kPixelsAt) return kBadRecord;
  const BYTE* data = record->data;
  const int height = data[2], width = data[3], depth = data[4];
  if (depth != 1 && depth != 4) return kBadRecord;
  if (height == 0 || width == 0 || width % 8 != 0) return kBadRecord;
  const DWORD stride = RowBytes(width, depth);
  if (std::uint64_t(stride) * DWORD(height) > record->dataLength - kPixelsAt) return kBadRecord;
  const bool mono = depth == 1;
  try {
    CBitmap bitmap;
    if (!bitmap.CreateBitmap(width, height)) return kNoMemory;
    if (mono)
      PaintMonochrome(*bitmap.GetImagePtr(), data + kPixelsAt, stride);
    else
      PaintColour(*bitmap.GetImagePtr(), data + kPixelsAt, stride);

    // The layout the screen-copy header below names: one plane from the
    // top-right corner downwards, or four from the bottom-right upwards.
    const DWORD planeSize = DWORD(width) * DWORD(height) / 8;
    std::vector<BYTE> planes(size_t(depth) * planeSize, 0);
    ScreenFormat format;
    format.flags = 1;
    format.height = height;
    format.width = width;
    format.origin = mono ? 2 : 4;
    format.scan = mono ? 'D' : 'U';
    format.bitOrder = 'F';
    format.ink = 'W';
    format.planes = depth;
    format.extra = 1;
    format.data = planes.data();
    format.dataSize = DWORD(planes.size());
    int error = 0;
    if (!BitmapToCalcPlanes(format, bitmap, error)) return kBadRecord;

    BYTE header[40];
    std::memset(header, 0xFF, sizeof header);
    header[1] = 'D';
    header[2] = mono ? 'D' : 'C';
    header[3] = BYTE(height);
    header[4] = BYTE(width);
    header[5] = mono ? 16 : 17;
    header[6] = BYTE(format.scan);
    header[7] = 'W';
    header[8] = 'F';
    header[9] = BYTE(depth);
    auto screen = std::make_unique<CQXScreenItem>();
    if (!screen->ParseHeader(header, int(sizeof header))) return kBadRecord;
    // The conversion gives a picture's planes (orange, blue, green); a
    // screen copy shows its planes as blue, green, orange.
    static const int kFromPicturePlane[] = {1, 2, 0};
    for (int plane = 1; plane <= (mono ? 1 : 3); ++plane) {
      const int source = mono ? 0 : kFromPicturePlane[plane - 1];
      if (!screen->SetImageData(plane, planes.data() + size_t(source) * planeSize, int(planeSize))) return kNoMemory;
    }

    CQXDocEntry entry;
    entry.SetItem(screen.release());
    entry.SetKind(kKindScreenCopyColour);
    const std::string name(record->name, strnlen(record->name, sizeof record->name));
    return FileEntry(&entry, name.substr(0, kNameLimit)) ? kConverted : kBadRecord;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}
