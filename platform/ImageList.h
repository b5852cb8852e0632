// CImageList: a row of equally sized images (with transparency where the
// list has a mask) that tree and list controls, and the grid, draw from by
// index. Icons of the language library come in at 16 and 32 pixels; an icon
// added to a list takes the picture of the list's size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

class CDC;

enum : UINT { ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLOR8 = 0x0008, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020 };
enum : UINT { ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001 };

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // An empty list of cx x cy images; `initial` and `grow` are only hints.
  // FALSE for a side below 1 or a list already created.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  BOOL DeleteImageList();
  // Whether Create succeeded (the platform's handle test).
  BOOL GetSafeHandle() const { return created_; }

  // Adds the icon's picture at the list's size; its index, -1 for a null
  // icon or a list not created.
  int Add(const QIcon& icon);
  // Adds the images of a strip `cx` wide each (at least one); with a mask,
  // pixels of `maskColor` become transparent. The index of the first.
  int Add(const QImage& strip, COLORREF maskColor);
  int Add(const CBitmap* strip, COLORREF maskColor);
  BOOL Remove(int index);
  BOOL Replace(int index, const QIcon& icon);

  int GetImageCount() const { return int(images_.size()); }
  QSize GetImageSize() const { return size_; }
  UINT GetFlags() const { return flags_; }
  // The image at `index`; null when there is none.
  QPixmap GetImage(int index) const;
  QIcon ExtractIcon(int index) const;
  // Draws image `index` with its top left at `point`; FALSE when missing.
  BOOL Draw(CDC* dc, int index, QPoint point, UINT style) const;

 private:
  BOOL created_ = FALSE;
  QSize size_;
  UINT flags_ = 0;
  std::vector<QPixmap> images_;
};
