#include "classlib/DibFunctions.h"

#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"
#include "platform/OutsideFile.h"

#include <QBuffer>

namespace {

constexpr LONG kMaxSide = 32767;

// The colours a table may hold for a bit count: 2^bits, at most 256.
DWORD maxColors(WORD bitCount) { return bitCount >= 8 ? 256u : 1u << bitCount; }

}  // namespace

BOOL DibIsSupportedHeader(const BITMAPINFOHEADER& h) {
  if (h.biSize != BITMAPINFOHEADER::kSize || h.biPlanes != 1) return FALSE;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return FALSE;
  }
  if (h.biWidth < 1 || h.biWidth > kMaxSide || h.biHeight == 0 || h.biHeight < -kMaxSide || h.biHeight > kMaxSide)
    return FALSE;
  if (h.biClrUsed > maxColors(h.biBitCount)) return FALSE;
  switch (h.biCompression) {
    case BI_RGB: return TRUE;
    case BI_RLE8: return h.biBitCount == 8 && h.biHeight > 0;
    case BI_RLE4: return h.biBitCount == 4 && h.biHeight > 0;
    default: return FALSE;
  }
}

std::uint64_t DibComputedImageSize(const BITMAPINFOHEADER& h) {
  const std::uint64_t width = std::uint64_t(h.biWidth < 0 ? -std::int64_t(h.biWidth) : h.biWidth);
  const std::uint64_t height = std::uint64_t(h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight);
  return (width * h.biBitCount + 31) / 32 * 4 * height;
}

DWORD DibColorCount(const BITMAPINFOHEADER* header) {
  if (!header) return 0;
  if (header->biSize != BITMAPCOREHEADER::kSize && header->biClrUsed != 0) return header->biClrUsed;
  switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

DWORD DibColorTableSize(const BITMAPINFOHEADER* header) {
  if (!header) return 0;
  return DibColorCount(header) * (header->biSize == BITMAPCOREHEADER::kSize ? 3 : 4);
}

BOOL DibGetInfoHeader(const HGLOBAL& dib, BITMAPINFOHEADER* out) {
  if (!dib || !out || dib.size() < size_t(BITMAPINFOHEADER::kSize)) return FALSE;
  out->ReadFrom(dib.data());
  if (out->biSizeImage == 0) out->biSizeImage = DWORD(DibComputedImageSize(*out));
  if (out->biClrUsed == 0) out->biClrUsed = DibColorCount(out);
  return TRUE;
}

BOOL DibReadFileHeader(HFILE file, BITMAPFILEHEADER* header, LONG* startPosition) {
  if (!file || !header) return FALSE;
  if (startPosition) *startPosition = LONG(file->pos());
  BYTE bytes[BITMAPFILEHEADER::kSize];
  if (file->read(reinterpret_cast<char*>(bytes), sizeof bytes) != qint64(sizeof bytes)) return FALSE;
  header->ReadFrom(bytes);
  return TRUE;
}

BOOL DibWriteFileHeader(HFILE file, const BITMAPFILEHEADER* header) {
  if (!file || !header) return FALSE;
  BYTE bytes[BITMAPFILEHEADER::kSize];
  header->WriteTo(bytes);
  return file->write(reinterpret_cast<const char*>(bytes), sizeof bytes) == qint64(sizeof bytes);
}

HGLOBAL DibReadInfo(HFILE file) {
  if (!file) return {};
  BITMAPFILEHEADER fileHeader;
  LONG start = 0;
  DWORD bitsOffset = 0;
  if (DibReadFileHeader(file, &fileHeader, &start) && fileHeader.bfType == kBitmapFileType) {
    bitsOffset = fileHeader.bfOffBits;
  } else {
    // A bare DIB: its header starts where the file header would have.
    if (!file->seek(start)) return {};
  }

  BYTE raw[BITMAPINFOHEADER::kSize];
  if (file->read(reinterpret_cast<char*>(raw), sizeof raw) != qint64(sizeof raw)) return {};
  BITMAPINFOHEADER header;
  const DWORD headerSize = GetLittleEndian32(raw);
  bool core = false;
  if (headerSize == BITMAPCOREHEADER::kSize) {
    BITMAPCOREHEADER old;
    old.ReadFrom(raw);
    header.biWidth = old.bcWidth;
    header.biHeight = old.bcHeight;
    header.biPlanes = old.bcPlanes;
    header.biBitCount = old.bcBitCount;
    header.biClrUsed = header.biClrImportant = DibColorCount(&header);
    // Back to just behind the 12-byte header, where its colour table begins.
    if (!file->seek(file->pos() - (BITMAPINFOHEADER::kSize - BITMAPCOREHEADER::kSize))) return {};
    core = true;
  } else if (headerSize == BITMAPINFOHEADER::kSize) {
    header.ReadFrom(raw);
  } else {
    return {};
  }
  if (!DibIsSupportedHeader(header)) return {};

  // Uncompressed bits always take their computed size: a smaller stated
  // size would leave rows unread.
  const std::uint64_t computed = DibComputedImageSize(header);
  if (header.biSizeImage == 0 || (header.biCompression == BI_RGB && header.biSizeImage < computed)) {
    if (computed > 0xFFFFFFFFu) return {};
    header.biSizeImage = DWORD(computed);
  }
  if (header.biClrUsed == 0) header.biClrUsed = DibColorCount(&header);

  const DWORD colors = DibColorCount(&header);
  HGLOBAL dib(BITMAPINFOHEADER::kSize + size_t(colors) * 4);
  header.WriteTo(dib.data());
  BYTE* table = dib.data() + BITMAPINFOHEADER::kSize;
  const qint64 tableBytes = qint64(colors) * (core ? 3 : 4);
  if (file->read(reinterpret_cast<char*>(table), tableBytes) != tableBytes) return {};
  if (core) {
    // Widen RGBTRIPLE to RGBQUAD in place, from the last entry down.
    for (DWORD i = colors; i-- > 0;) {
      const BYTE b = table[i * 3], g = table[i * 3 + 1], r = table[i * 3 + 2];
      table[i * 4] = b;
      table[i * 4 + 1] = g;
      table[i * 4 + 2] = r;
      table[i * 4 + 3] = 0;
    }
  }
  if (bitsOffset && !file->seek(qint64(start) + bitsOffset)) return {};
  return dib;
}

HGLOBAL DibReadFromFile(HFILE file) {
  HGLOBAL dib = DibReadInfo(file);
  BITMAPINFOHEADER header;
  if (!DibGetInfoHeader(dib, &header)) return {};
  const size_t bitsAt = BITMAPINFOHEADER::kSize + size_t(DibColorTableSize(&header));
  // Nothing is allocated for bits the file does not have.
  const qint64 imageSize = qint64(header.biSizeImage);
  if (file->size() - file->pos() < imageSize) return {};
  if (!dib.Resize(bitsAt + size_t(imageSize))) return {};
  if (file->read(reinterpret_cast<char*>(dib.data() + bitsAt), imageSize) != imageSize) return {};
  return dib;
}

HGLOBAL DibReadFile(const char* path) {
  QBuffer file;
  if (!tallix::readOutsideFile(path, kMaxBitmapFileSize, &file.buffer()) || !file.open(QIODevice::ReadOnly)) return {};
  return DibReadFromFile(&file);
}

BOOL DibWriteFile(const char* path, const HGLOBAL& dib) {
  BITMAPINFOHEADER header;
  if (!path || !DibGetInfoHeader(dib, &header)) return FALSE;
  BITMAPFILEHEADER fileHeader;
  fileHeader.bfType = kBitmapFileType;
  fileHeader.bfSize = DWORD(dib.size() + BITMAPFILEHEADER::kSize);
  fileHeader.bfOffBits = BITMAPFILEHEADER::kSize + header.biSize + DibColorTableSize(&header);
  QByteArray bytes(BITMAPFILEHEADER::kSize, '\0');
  fileHeader.WriteTo(reinterpret_cast<BYTE*>(bytes.data()));
  bytes.append(reinterpret_cast<const char*>(dib.data()), qsizetype(dib.size()));
  return tallix::writeFileAtomically(tallix::filePathFromBytes(path), bytes);
}
