// Device-dependent bitmaps and the drawing handles the bitmap functions take.
//
// - HBITMAP is an owned QImage in Format_RGB32 (a bitmap handle the caller
//   deletes with DeleteObject or hands to a CBitmap).
// - CBitmap owns at most one such image.
// - HDC is the QPainter the caller paints with.
// - Palettes are accepted and ignored: every bitmap here is true colour.
#pragma once

#include "platform/WinTypes.h"

#include <QImage>

class QPainter;

using HBITMAP = QImage*;
using HDC = QPainter*;
struct PaletteObject;
using HPALETTE = PaletteObject*;

// Raster operations of the blitting calls, with the platform's values.
enum : DWORD {
  SRCCOPY = 0x00CC0020,
  SRCAND = 0x008800C6,
  PATCOPY = 0x00F00021,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
};

// A bitmap handle of `image` converted to Format_RGB32; null for a null
// image or when memory runs out.
HBITMAP CreateBitmapHandle(const QImage& image);
// Frees a bitmap handle; FALSE for null.
BOOL DeleteObject(HBITMAP bitmap);

class CBitmap {
 public:
  CBitmap() = default;
  ~CBitmap() { DeleteObject(); }
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  // Takes ownership of `bitmap`; FALSE (nothing taken) for null or while
  // this object still holds a bitmap.
  BOOL Attach(HBITMAP bitmap);
  // Gives the bitmap up to the caller.
  HBITMAP Detach();
  // Frees the bitmap; FALSE when there was none.
  BOOL DeleteObject();
  HBITMAP GetSafeHandle() const { return m_bitmap; }
  operator HBITMAP() const { return m_bitmap; }

  // A new black bitmap of cx x cy pixels in place of the current one; FALSE
  // (and no bitmap) for a side below 1 or when memory runs out.
  BOOL CreateBitmap(int cx, int cy);
  // A copy of `image` (converted to Format_RGB32) in place of the current
  // one; FALSE (and no bitmap) for a null image.
  BOOL SetImage(const QImage& image);

  // The pixels; a null image when there is no bitmap.
  const QImage& GetImage() const;
  QImage* GetImagePtr() { return m_bitmap; }
  int GetWidth() const { return m_bitmap ? m_bitmap->width() : 0; }
  int GetHeight() const { return m_bitmap ? m_bitmap->height() : 0; }
  // TRUE when the object holds a bitmap of at least one pixel.
  BOOL HasPixels() const { return m_bitmap && !m_bitmap->isNull(); }

 private:
  HBITMAP m_bitmap = nullptr;
};
