// Device-independent bitmaps as the platform lays them out, and the handles
// the DIB functions pass around.
//
// - HGLOBAL is an owned block of bytes (a DIB: the 40-byte info header, the
//   colour table, the pixel bits); an empty block stands for NULL.
// - HFILE is the open device a file is read from or written to (a QFile in
//   the program; any random-access QIODevice will do).
// - The headers are plain structs; ReadFrom/WriteTo move them to and from
//   their little-endian bytes, so nothing depends on the host's layout.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>
#include <vector>

class QIODevice;

using HFILE = QIODevice*;

// Compression values of BITMAPINFOHEADER.
enum : DWORD { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

constexpr WORD kBitmapFileType = 0x4D42;  // "BM"

struct BITMAPFILEHEADER {
  static constexpr int kSize = 14;
  WORD bfType = 0;
  DWORD bfSize = 0;
  WORD bfReserved1 = 0;
  WORD bfReserved2 = 0;
  DWORD bfOffBits = 0;
  void ReadFrom(const BYTE* p);
  void WriteTo(BYTE* p) const;
};

struct BITMAPINFOHEADER {
  static constexpr int kSize = 40;
  DWORD biSize = kSize;
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: rows bottom-up; negative: top-down
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
  void ReadFrom(const BYTE* p);
  void WriteTo(BYTE* p) const;
};

// The 12-byte header of the older bitmap files.
struct BITMAPCOREHEADER {
  static constexpr int kSize = 12;
  DWORD bcSize = kSize;
  WORD bcWidth = 0;
  WORD bcHeight = 0;
  WORD bcPlanes = 1;
  WORD bcBitCount = 0;
  void ReadFrom(const BYTE* p);
};

// Colour table entries: RGBQUAD (blue, green, red, reserved) in info
// headers, RGBTRIPLE (blue, green, red) in core headers.
struct RGBQUAD {
  BYTE rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

class CGlobalBlock {
 public:
  CGlobalBlock() = default;
  explicit CGlobalBlock(std::size_t size) : m_bytes(size, 0) {}
  explicit CGlobalBlock(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}

  explicit operator bool() const { return !m_bytes.empty(); }
  BYTE* data() { return m_bytes.data(); }
  const BYTE* data() const { return m_bytes.data(); }
  std::size_t size() const { return m_bytes.size(); }
  const std::vector<BYTE>& bytes() const { return m_bytes; }
  // Grows or shrinks the block; new bytes are zero. FALSE (block unchanged)
  // when memory runs out.
  BOOL Resize(std::size_t size);
  void Free() { std::vector<BYTE>().swap(m_bytes); }

 private:
  std::vector<BYTE> m_bytes;
};

using HGLOBAL = CGlobalBlock;

inline std::size_t GlobalSize(const HGLOBAL& block) { return block.size(); }
inline void GlobalFree(HGLOBAL& block) { block.Free(); }
