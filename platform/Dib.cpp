#include "platform/Dib.h"

#include "platform/ByteOrder.h"

#include <new>
#include <stdexcept>

namespace {

WORD get16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }
void put16(BYTE* p, WORD v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
}
LONG getSigned(const BYTE* p) { return LONG(GetLittleEndian32(p)); }

}  // namespace

void BITMAPFILEHEADER::ReadFrom(const BYTE* p) {
  bfType = get16(p);
  bfSize = GetLittleEndian32(p + 2);
  bfReserved1 = get16(p + 6);
  bfReserved2 = get16(p + 8);
  bfOffBits = GetLittleEndian32(p + 10);
}

void BITMAPFILEHEADER::WriteTo(BYTE* p) const {
  put16(p, bfType);
  PutLittleEndian32(p + 2, bfSize);
  put16(p + 6, bfReserved1);
  put16(p + 8, bfReserved2);
  PutLittleEndian32(p + 10, bfOffBits);
}

void BITMAPINFOHEADER::ReadFrom(const BYTE* p) {
  biSize = GetLittleEndian32(p);
  biWidth = getSigned(p + 4);
  biHeight = getSigned(p + 8);
  biPlanes = get16(p + 12);
  biBitCount = get16(p + 14);
  biCompression = GetLittleEndian32(p + 16);
  biSizeImage = GetLittleEndian32(p + 20);
  biXPelsPerMeter = getSigned(p + 24);
  biYPelsPerMeter = getSigned(p + 28);
  biClrUsed = GetLittleEndian32(p + 32);
  biClrImportant = GetLittleEndian32(p + 36);
}

void BITMAPINFOHEADER::WriteTo(BYTE* p) const {
  PutLittleEndian32(p, biSize);
  PutLittleEndian32(p + 4, DWORD(biWidth));
  PutLittleEndian32(p + 8, DWORD(biHeight));
  put16(p + 12, biPlanes);
  put16(p + 14, biBitCount);
  PutLittleEndian32(p + 16, biCompression);
  PutLittleEndian32(p + 20, biSizeImage);
  PutLittleEndian32(p + 24, DWORD(biXPelsPerMeter));
  PutLittleEndian32(p + 28, DWORD(biYPelsPerMeter));
  PutLittleEndian32(p + 32, biClrUsed);
  PutLittleEndian32(p + 36, biClrImportant);
}

void BITMAPCOREHEADER::ReadFrom(const BYTE* p) {
  bcSize = GetLittleEndian32(p);
  bcWidth = get16(p + 4);
  bcHeight = get16(p + 6);
  bcPlanes = get16(p + 8);
  bcBitCount = get16(p + 10);
}

BOOL CGlobalBlock::Resize(std::size_t size) {
  try {
    m_bytes.resize(size, 0);
  } catch (const std::bad_alloc&) {
    return FALSE;
  } catch (const std::length_error&) {
    return FALSE;
  }
  return TRUE;
}
