#include "platform/Bitmap.h"

#include <new>

HBITMAP CreateBitmapHandle(const QImage& image) {
  if (image.isNull()) return nullptr;
  QImage converted = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  if (converted.isNull()) return nullptr;
  return new (std::nothrow) QImage(std::move(converted));
}

BOOL DeleteObject(HBITMAP bitmap) {
  if (!bitmap) return FALSE;
  delete bitmap;
  return TRUE;
}

BOOL CBitmap::Attach(HBITMAP bitmap) {
  if (!bitmap || m_bitmap) return FALSE;
  m_bitmap = bitmap;
  return TRUE;
}

HBITMAP CBitmap::Detach() {
  HBITMAP bitmap = m_bitmap;
  m_bitmap = nullptr;
  return bitmap;
}

BOOL CBitmap::DeleteObject() {
  if (!m_bitmap) return FALSE;
  ::DeleteObject(Detach());
  return TRUE;
}

BOOL CBitmap::CreateBitmap(int cx, int cy) {
  DeleteObject();
  if (cx < 1 || cy < 1) return FALSE;
  QImage image(cx, cy, QImage::Format_RGB32);
  if (image.isNull()) return FALSE;
  image.fill(0);
  return Attach(CreateBitmapHandle(image));
}

BOOL CBitmap::SetImage(const QImage& image) {
  DeleteObject();
  return Attach(CreateBitmapHandle(image));
}

const QImage& CBitmap::GetImage() const {
  static const QImage none;
  return m_bitmap ? *m_bitmap : none;
}
