// What the print tests share: a white letter page at a resolution, whether a
// part of it holds ink, and the pages a job draws.
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXPrintView.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <functional>
#include <vector>

namespace tallix::test {

inline QImage pageImage(int dpi) {
  QImage image(int(8.5 * dpi), 11 * dpi, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setDotsPerMeterX(qRound(dpi / 0.0254));
  image.setDotsPerMeterY(qRound(dpi / 0.0254));
  return image;
}

// The smallest rectangle holding every pixel that is not white (null when
// there is none) within `area`.
inline QRect inkBounds(const QImage& image, const QRect& area) {
  QRect bounds;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = inside.left(); x <= inside.right(); ++x)
      if ((line[x] & 0xFFFFFF) != 0xFFFFFF) bounds |= QRect(x, y, 1, 1);
  }
  return bounds;
}

inline bool inked(const QImage& image, const QRect& area) { return !inkBounds(image, area).isNull(); }

// Every page `view` draws at `dpi`, in order.
inline std::vector<QImage> renderPages(CQXPrintView& view, int dpi) {
  std::vector<QImage> pages;
  QImage image = pageImage(dpi);
  QPainter painter(&image);
  const int count = view.RenderJob(&painter, [&] {
    pages.push_back(image.copy());
    image.fill(Qt::white);
    return true;
  });
  painter.end();
  if (count > 0) pages.push_back(image);
  return pages;
}

// A sender of data requests that answers as a page of print kind `kind`
// would, filling the detail with `fill`.
template <class Detail>
std::function<BOOL(void*)> pageOfKind(int kind, std::function<void(Detail*)> fill) {
  return [kind, fill](void* p) {
    auto* request = static_cast<QXViewDataRequest*>(p);
    if (request->kind == 0) request->kind = kind;
    else if (request->kind == kind) fill(static_cast<Detail*>(request->detail));
    else return FALSE;
    return TRUE;
  };
}

// The pages of a PDF as its page tree counts them.
inline int pdfPageCount(const QByteArray& pdf) {
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
  return int(QString::fromLatin1(pdf).count(page));
}

// poppler-utils read what was printed when they are installed.
inline bool havePoppler() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

// What `tool` prints on its standard output; empty when it fails.
inline QString runTool(const QString& tool, const QStringList& args) {
  QProcess process;
  process.start(tool, args);
  if (!process.waitForFinished(120000) || process.exitCode() != 0) return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace tallix::test
