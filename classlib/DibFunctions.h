// Device-independent bitmaps (DIBs) in memory blocks: reading and writing
// .bmp files, converting between DIBs and bitmaps, and painting a DIB.
//
// A DIB block holds a 40-byte BITMAPINFOHEADER, the colour table (RGBQUAD
// entries) and the pixel bits, in that order. Colour count: biClrUsed when
// it is not 0, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0. A row
// of bits is ((width x bits + 31) / 32) x 4 bytes.
//
// A .bmp file is a 14-byte BITMAPFILEHEADER followed by the DIB; a file that
// does not begin with "BM" is read as a bare DIB. The older 12-byte header
// is widened to 40 bytes and its RGBTRIPLE entries to RGBQUAD as it is read.
// What is read is checked before anything is allocated for it: header size
// 12 or 40, one plane, 1/4/8/16/24/32 bits, at most 2^bits (and 256)
// colours, width and height 1-32767 (a negative height is a top-down DIB),
// no compression other than run lengths of 4- and 8-bit bitmaps, and every
// byte of bits present in the file. Anything else reads as no DIB.
#pragma once

#include "platform/Bitmap.h"
#include "platform/Dib.h"

#include <cstdint>

// The checks above; TRUE when a DIB with this header can be read.
BOOL DibIsSupportedHeader(const BITMAPINFOHEADER& header);
// The size of the bits of an uncompressed DIB of this header, in 64 bits.
std::uint64_t DibComputedImageSize(const BITMAPINFOHEADER& header);

DWORD DibColorCount(const BITMAPINFOHEADER* header);
// Colour count x 4 (x 3 for a header whose biSize is 12).
DWORD DibColorTableSize(const BITMAPINFOHEADER* header);

// The header of the block, with image size and colours used filled in when
// they are 0; FALSE without a DIB.
BOOL DibGetInfoHeader(const HGLOBAL& dib, BITMAPINFOHEADER* out);

// 14 bytes each way; the read gives the position it started at.
BOOL DibReadFileHeader(HFILE file, BITMAPFILEHEADER* header, LONG* startPosition);
BOOL DibWriteFileHeader(HFILE file, const BITMAPFILEHEADER* header);

// The header and colour table from the file's position on, with the file
// left at the bits; no DIB when the header is refused.
HGLOBAL DibReadInfo(HFILE file);
// The largest bitmap file read.
inline constexpr std::uint64_t kMaxBitmapFileSize = std::uint64_t(128) << 20;
// The whole DIB of a .bmp file; no DIB when it cannot be read, is no regular
// file or is larger than kMaxBitmapFileSize.
HGLOBAL DibReadFile(const char* path);
// The same from an open file, from its position on.
HGLOBAL DibReadFromFile(HFILE file);
// Writes the file header and the block, whole or not at all. FALSE without
// a DIB or when the file cannot be written.
BOOL DibWriteFile(const char* path, const HGLOBAL& dib);

// A bitmap of the DIB's pixels; null when the block is not a DIB this
// program reads.
HBITMAP DibCreateBitmap(const HGLOBAL& dib, HPALETTE palette);
// An uncompressed 32-bit DIB of the bitmap, rows bottom-up. Only BI_RGB with
// bit count 0 (the bitmap's own, 32) or 32 is made; other requests give no
// DIB.
HGLOBAL DibCreateFromBitmap(HBITMAP bitmap, DWORD compression, WORD bitCount, HPALETTE palette);

// Paints the source rectangle of the DIB stretched into the destination
// rectangle (SRCCOPY copies, SRCAND ands the pixels into what is there; the
// source y of a bottom-up DIB counts from its bottom row). Without a DIB the
// destination is filled: white for WHITENESS, black for BLACKNESS, else the
// painter's brush. Returns the rows painted, or 1 for a fill; 0 on failure.
int DibStretchPaint(HDC dc, int x, int y, int cx, int cy, const HGLOBAL& dib, int srcX, int srcY, int srcCx,
                    int srcCy, DWORD rop);
