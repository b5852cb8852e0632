#include "platform/ImageList.h"

#include <QBitmap>
#include <QPainter>
#include <algorithm>

#include "platform/DC.h"

BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
  if (created_ || cx < 1 || cy < 1) return FALSE;
  size_ = QSize(cx, cy);
  flags_ = flags;
  created_ = TRUE;
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (!created_) return FALSE;
  images_.clear();
  created_ = FALSE;
  size_ = QSize();
  return TRUE;
}

int CImageList::Add(const QIcon& icon) {
  if (!created_ || icon.isNull()) return -1;
  QPixmap picture = icon.pixmap(size_, 1.0);
  if (picture.isNull()) return -1;
  if (picture.size() != size_) {
    // A smaller picture sits in the middle of a transparent image.
    QPixmap framed(size_);
    framed.fill(Qt::transparent);
    QPainter p(&framed);
    p.drawPixmap((size_.width() - picture.width()) / 2, (size_.height() - picture.height()) / 2, picture);
    picture = framed;
  }
  images_.push_back(picture);
  return int(images_.size()) - 1;
}

int CImageList::Add(const QImage& strip, COLORREF maskColor) {
  if (!created_ || strip.isNull() || strip.height() < 1) return -1;
  const int count = std::max(strip.width() / size_.width(), 1);
  const int first = int(images_.size());
  for (int i = 0; i < count; ++i) {
    QImage piece =
        strip.copy(i * size_.width(), 0, size_.width(), size_.height()).convertToFormat(QImage::Format_ARGB32);
    if (flags_ & ILC_MASK) {
      const QRgb key = ColorRefToQRgb(maskColor) & 0x00FFFFFF;
      for (int y = 0; y < piece.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x)
          if ((line[x] & 0x00FFFFFF) == key) line[x] = 0;
      }
    }
    images_.push_back(QPixmap::fromImage(piece));
  }
  return first;
}

int CImageList::Add(const CBitmap* strip, COLORREF maskColor) {
  return strip && strip->HasPixels() ? Add(strip->GetImage(), maskColor) : -1;
}

BOOL CImageList::Remove(int index) {
  if (index < 0 || index >= GetImageCount()) return FALSE;
  images_.erase(images_.begin() + index);
  return TRUE;
}

BOOL CImageList::Replace(int index, const QIcon& icon) {
  if (index < 0 || index >= GetImageCount() || icon.isNull()) return FALSE;
  images_[size_t(index)] = icon.pixmap(size_, 1.0);
  return TRUE;
}

QPixmap CImageList::GetImage(int index) const {
  return index >= 0 && index < GetImageCount() ? images_[size_t(index)] : QPixmap();
}

QIcon CImageList::ExtractIcon(int index) const {
  const QPixmap image = GetImage(index);
  return image.isNull() ? QIcon() : QIcon(image);
}

BOOL CImageList::Draw(CDC* dc, int index, QPoint point, UINT) const {
  const QPixmap image = GetImage(index);
  if (!dc || !dc->GetPainter() || image.isNull()) return FALSE;
  dc->GetPainter()->drawPixmap(point, image);
  return TRUE;
}
