#include "classlib/BitmapFunctions.h"

#include "classlib/DibFunctions.h"
#include "classlib/PictureColors.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPainter>

namespace {

constexpr int kMaxSide = 32767;

bool validSize(int cx, int cy) { return cx >= 1 && cy >= 1 && cx <= kMaxSide && cy <= kMaxSide; }

// Runs the bitmap file dialog; false on Cancel.
bool chooseBitmapFile(BOOL open, QString* path) {
  DWORD flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!open) flags |= OFN_OVERWRITEPROMPT;
  CFileDialog dialog(open, QStringLiteral("bmp"), {}, flags, CLanguageLibrary::LoadString(10602),
                     QApplication::activeWindow());
  if (dialog.DoModal() != IDOK) return false;
  *path = dialog.GetPathName();
  return true;
}

}  // namespace

BOOL CopyBitmapToClipboard(const CBitmap& bitmap, int zoom) {
  CBitmap scaled;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || !ScaleBitmap(bitmap, scaled, zoom)) return FALSE;
  clipboard->setImage(scaled.GetImage());
  const QMimeData* data = clipboard->mimeData();
  return data && data->hasImage();
}

BOOL PasteBitmapFromClipboard(CBitmap& out) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasImage()) return FALSE;
  CBitmap pasted;
  if (!pasted.SetImage(clipboard->image())) return FALSE;
  return ScaleBitmap(pasted, out, 1) && out.HasPixels();
}

BOOL WriteBitmapFile(const CBitmap& bitmap, const char* path) {
  const HGLOBAL dib = DibCreateFromBitmap(bitmap.GetSafeHandle(), BI_RGB, 0, nullptr);
  return dib && DibWriteFile(path, dib);
}

BOOL SaveBitmapAsFile(const CBitmap& bitmap, int zoom) {
  QString path;
  if (!chooseBitmapFile(FALSE, &path)) return TRUE;
  CBitmap scaled;
  return ScaleBitmap(bitmap, scaled, zoom) && WriteBitmapFile(scaled, QFile::encodeName(path).constData());
}

BOOL LoadBitmapFromFile(CBitmap& out) {
  QString path;
  if (!chooseBitmapFile(TRUE, &path)) return TRUE;
  const HGLOBAL dib = DibReadFile(QFile::encodeName(path).constData());
  HBITMAP bitmap = dib ? DibCreateBitmap(dib, nullptr) : nullptr;
  if (!bitmap) return FALSE;
  out.DeleteObject();
  return out.Attach(bitmap);
}

BOOL AndBitmapInto(CBitmap& dst, const CBitmap& src) {
  if (!dst.HasPixels() || !src.HasPixels()) return FALSE;
  QPainter painter(dst.GetImagePtr());
  painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  painter.drawImage(0, 0, src.GetImage());
  return TRUE;
}

BOOL ScaleBitmap(const CBitmap& src, CBitmap& dst, int factor) {
  if (!src.HasPixels() || factor < 1) return FALSE;
  const QImage& image = src.GetImage();
  if (qint64(image.width()) * factor > kMaxSide || qint64(image.height()) * factor > kMaxSide) return FALSE;
  QImage scaled(image.width() * factor, image.height() * factor, QImage::Format_RGB32);
  if (scaled.isNull()) return FALSE;
  for (int y = 0; y < scaled.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y / factor));
    QRgb* out = reinterpret_cast<QRgb*>(scaled.scanLine(y));
    for (int x = 0; x < scaled.width(); ++x) out[x] = in[x / factor];
  }
  return dst.SetImage(scaled);
}

namespace {

// A cx x cy image whose pixel (x, y) is `map` of the source pixel there, or
// `outside` where the source has none.
template <class Map>
BOOL remap(const CBitmap& src, CBitmap& dst, int cx, int cy, QRgb outside, Map map) {
  if (!src.HasPixels() || !validSize(cx, cy)) return FALSE;
  const QImage& in = src.GetImage();
  QImage out(cx, cy, QImage::Format_RGB32);
  if (out.isNull()) return FALSE;
  for (int y = 0; y < cy; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    const QRgb* source = y < in.height() ? reinterpret_cast<const QRgb*>(in.constScanLine(y)) : nullptr;
    for (int x = 0; x < cx; ++x) row[x] = source && x < in.width() ? map(source[x]) : outside;
  }
  return dst.SetImage(out);
}

}  // namespace

BOOL MakeTwoToneBitmap(const CBitmap& src, CBitmap& dst, int cx, int cy, COLORREF ink, COLORREF paper) {
  const QRgb inkRgb = ColorRefToQRgb(ink), paperRgb = ColorRefToQRgb(paper);
  const QRgb white = qRgb(255, 255, 255);
  // What the source does not cover stays white, and white becomes paper.
  return remap(src, dst, cx, cy, paperRgb,
               [&](QRgb p) { return (p & 0xFFFFFF) == (white & 0xFFFFFF) ? paperRgb : inkRgb; });
}

BOOL MapPictureColors(const CBitmap& src, CBitmap& dst, int cx, int cy) {
  // The settings are read once for the whole bitmap.
  const COLORREF blue = GetBlueColor(), orange = GetOrangeColor(), green = GetGreenColor();
  const COLORREF background = GetBackgroundColor();
  const COLORREF blueMin = GetBlueMin(), blueMax = GetBlueMax();
  const COLORREF orangeMin = GetOrangeMin(), orangeMax = GetOrangeMax();
  const COLORREF greenMin = GetGreenMin(), greenMax = GetGreenMax();
  const QRgb backgroundRgb = ColorRefToQRgb(background);
  return remap(src, dst, cx, cy, backgroundRgb, [&](QRgb p) {
    const COLORREF c = ColorRefFromQRgb(p);
    if (IsColorInRange(c, blueMin, blueMax)) return ColorRefToQRgb(blue);
    if (IsColorInRange(c, orangeMin, orangeMax)) return ColorRefToQRgb(orange);
    if (IsColorInRange(c, greenMin, greenMax)) return ColorRefToQRgb(green);
    return backgroundRgb;
  });
}
