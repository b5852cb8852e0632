#include "datamodel/PictureConversion.h"

#include "classlib/DibFunctions.h"
#include "classlib/PictureColors.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kMaxSide = 32767;

BYTE reversed(BYTE b) {
  b = BYTE((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = BYTE((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return BYTE((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

bool leftStart(int origin) { return origin == 1 || origin == 3; }
bool topStart(int origin) { return origin == 1 || origin == 2; }

// 0 when the conversion takes the format with `planes` planes of data.
int checkFormat(const ScreenFormat& f, int planes) {
  if (f.ink != 'W' || (f.bitOrder != 'F' && f.bitOrder != 'R') || f.origin < 1 || f.origin > 4)
    return kUnsupportedPictureFormat;
  // The scan must move away from the corner it starts at.
  switch (f.scan) {
    case 'R': if (!leftStart(f.origin)) return kUnsupportedPictureFormat; break;
    case 'L': if (leftStart(f.origin)) return kUnsupportedPictureFormat; break;
    case 'D': if (!topStart(f.origin)) return kUnsupportedPictureFormat; break;
    case 'U': if (topStart(f.origin)) return kUnsupportedPictureFormat; break;
    default: return kUnsupportedPictureFormat;
  }
  if (f.width <= 0 || f.height <= 0 || f.width % 8 != 0 || f.width > kMaxSide || f.height > kMaxSide)
    return kUnsupportedPictureFormat;
  const std::uint64_t needed = std::uint64_t(planes) * std::uint64_t(f.width) * std::uint64_t(f.height) / 8;
  if (!f.data || f.dataSize < needed) return kUnsupportedPictureFormat;
  return 0;
}

// Calls visit(k, row, byteColumn) for the k-th data byte of a plane, rows
// counted from the top. The format has been checked.
template <class Visit>
void walkCalcOrder(const ScreenFormat& f, Visit visit) {
  const int n = f.width / 8, h = f.height;
  const int startRow = topStart(f.origin) ? 0 : h - 1;
  const int startColumn = leftStart(f.origin) ? 0 : n - 1;
  size_t k = 0;
  if (f.scan == 'R' || f.scan == 'L') {
    const int rowStep = topStart(f.origin) ? 1 : -1, columnStep = f.scan == 'R' ? 1 : -1;
    for (int r = 0; r < h; ++r)
      for (int i = 0; i < n; ++i) visit(k++, startRow + r * rowStep, startColumn + i * columnStep);
  } else {
    const int columnStep = leftStart(f.origin) ? 1 : -1, rowStep = f.scan == 'D' ? 1 : -1;
    for (int c = 0; c < n; ++c)
      for (int i = 0; i < h; ++i) visit(k++, startRow + i * rowStep, startColumn + c * columnStep);
  }
}

size_t planeBytes(const ScreenFormat& f) { return size_t(f.width / 8) * size_t(f.height); }

using PlaneBuffers = std::vector<std::vector<BYTE>>;

// `count` buffers of one plane each, filled with `fill`; false when memory
// runs out.
bool allocatePlanes(PlaneBuffers* buffers, int count, size_t size, BYTE fill) {
  try {
    buffers->assign(size_t(count), std::vector<BYTE>(size, fill));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

int UnpackCalcPlane(const ScreenFormat& f, int plane, BYTE* buffer) {
  if (!buffer || plane < 0 || checkFormat(f, plane + 1)) return kUnsupportedPictureFormat;
  const BYTE* data = f.data + size_t(plane) * planeBytes(f);
  const size_t n = size_t(f.width / 8);
  walkCalcOrder(f, [&](size_t k, int row, int column) {
    const BYTE b = f.bitOrder == 'R' ? reversed(data[k]) : data[k];
    buffer[size_t(f.height - 1 - row) * n + size_t(column)] = BYTE(~b);
  });
  return 0;
}

int PackCalcPlane(ScreenFormat& f, int plane, const BYTE* buffer) {
  if (!buffer || plane < 0 || checkFormat(f, plane + 1)) return kUnsupportedPictureFormat;
  BYTE* data = f.data + size_t(plane) * planeBytes(f);
  const size_t n = size_t(f.width / 8);
  walkCalcOrder(f, [&](size_t k, int row, int column) {
    const BYTE b = buffer[size_t(row) * n + size_t(column)];
    data[k] = f.bitOrder == 'R' ? reversed(b) : b;
  });
  return 0;
}

BOOL ExtractColorPlane(const CBitmap& bitmap, COLORREF color, int width, int height, BYTE* buffer) {
  if (!buffer || width <= 0 || height <= 0) return TRUE;
  const size_t n = size_t(width / 8);
  std::memset(buffer, 0, n * size_t(height));
  const QImage& image = bitmap.GetImage();
  const int w = std::min(width, image.width()), h = std::min(height, image.height());
  const QRgb wanted = ColorRefToQRgb(color) & 0xFFFFFF;
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int group = 0; group < w / 8; ++group) {
      BYTE b = 0;
      for (int k = 0; k < 8; ++k)
        if ((row[group * 8 + k] & 0xFFFFFF) == wanted) b |= BYTE(0x80 >> k);
      buffer[size_t(y) * n + size_t(group)] = b;
    }
  }
  return TRUE;
}

void PlanesToDibBits(const BYTE* const* planes, int planeCount, int width, int height, BYTE* bits) {
  const size_t n = size_t(width / 8);
  for (size_t i = 0; i < n * size_t(height); ++i) {
    const BYTE p0 = planes[0][i];
    const BYTE p1 = planeCount >= 2 ? planes[1][i] : 0xFF;
    const BYTE p2 = planeCount >= 3 ? planes[2][i] : 0xFF;
    for (int pixel = 0; pixel < 8; ++pixel) {
      const BYTE mask = BYTE(0x80 >> pixel);
      const BYTE index = !(p2 & mask) ? 3 : !(p1 & mask) ? 2 : !(p0 & mask) ? 1 : 0;
      BYTE& out = bits[i * 4 + size_t(pixel / 2)];
      out = pixel % 2 ? BYTE(out | index) : BYTE(index << 4);
    }
  }
}

int CreatePlaneBitmap(const BYTE* const* planes, int planeCount, int width, int height, const COLORREF colors[4],
                      HBITMAP* out) {
  *out = nullptr;
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = 4;
  header.biClrUsed = header.biClrImportant = 4;
  constexpr size_t kBitsAt = BITMAPINFOHEADER::kSize + 4 * 4;
  HGLOBAL dib;
  if (!dib.Resize(kBitsAt + size_t(width / 2) * size_t(height))) return kOutOfMemory;
  header.WriteTo(dib.data());
  for (int i = 0; i < 4; ++i) {
    BYTE* entry = dib.data() + BITMAPINFOHEADER::kSize + i * 4;
    entry[0] = GetBValue(colors[i]);
    entry[1] = GetGValue(colors[i]);
    entry[2] = GetRValue(colors[i]);
  }
  PlanesToDibBits(planes, planeCount, width, height, dib.data() + kBitsAt);
  *out = DibCreateBitmap(dib, nullptr);
  return *out ? 0 : kOutOfMemory;
}

BOOL CalcPlanesToBitmap(const ScreenFormat& format, CBitmap& out, BOOL monochrome, int& errorId) {
  errorId = 0;
  const bool picture = format.flags & 1;
  if (!picture && !(format.flags & 2)) return errorId = kUnsupportedPictureFormat, FALSE;
  int planes = picture && format.planes == 4 ? 3 : format.planes;
  if (planes != 1 && planes != 3) return errorId = kUnsupportedPictureFormat, FALSE;
  if ((errorId = checkFormat(format, format.planes))) return FALSE;

  PlaneBuffers buffers;
  if (!allocatePlanes(&buffers, planes, planeBytes(format), 0xFF)) return errorId = kOutOfMemory, FALSE;
  for (int p = 0; p < planes; ++p)
    if ((errorId = UnpackCalcPlane(format, p, buffers[size_t(p)].data()))) return FALSE;
  if (monochrome && planes > 1) {
    for (int p = 1; p < planes; ++p)
      for (size_t i = 0; i < buffers[0].size(); ++i) buffers[0][i] &= buffers[size_t(p)][i];
    planes = 1;
  }

  COLORREF colors[4];
  if (planes == 1) {
    colors[0] = colors[2] = colors[3] = GetBackgroundBWColor();
    colors[1] = GetBWColor();
  } else {
    colors[0] = GetBackgroundColor();
    const COLORREF orange = GetOrangeColor(), blue = GetBlueColor(), green = GetGreenColor();
    colors[1] = picture ? orange : blue;
    colors[2] = picture ? blue : green;
    colors[3] = picture ? green : orange;
  }
  const BYTE* planePointers[3] = {};
  for (int p = 0; p < planes; ++p) planePointers[p] = buffers[size_t(p)].data();
  HBITMAP bitmap = nullptr;
  if ((errorId = CreatePlaneBitmap(planePointers, planes, format.width, format.height, colors, &bitmap))) return FALSE;
  if (!out.Attach(bitmap)) {
    DeleteObject(bitmap);
    return FALSE;
  }
  return TRUE;
}

BOOL BitmapToCalcPlanes(ScreenFormat& format, CBitmap& source, int& errorId) {
  errorId = 0;
  // A picture of three planes (as the older calculators send it) gets its
  // three colour planes back; one of four also its empty fourth plane.
  if (!(format.flags & 1) || (format.planes != 1 && format.planes != 3 && format.planes != 4))
    return errorId = kUnsupportedPictureFormat, FALSE;
  if ((errorId = checkFormat(format, format.planes))) return FALSE;
  PlaneBuffers buffers;
  if (!allocatePlanes(&buffers, format.planes, planeBytes(format), 0)) return errorId = kOutOfMemory, FALSE;
  if (format.planes == 1) {
    // The ink the forward conversion paints with, so that a picture drawn
    // in another colour than black survives being written back.
    ExtractColorPlane(source, GetBWColor(), format.width, format.height, buffers[0].data());
  } else {
    const COLORREF colors[3] = {GetOrangeColor(), GetBlueColor(), GetGreenColor()};
    for (int p = 0; p < 3; ++p)
      ExtractColorPlane(source, colors[p], format.width, format.height, buffers[size_t(p)].data());
  }
  // The format was checked as a whole above, so no plane can fail halfway.
  for (int p = 0; p < format.planes; ++p)
    if ((errorId = PackCalcPlane(format, p, buffers[size_t(p)].data()))) return FALSE;
  return TRUE;
}
