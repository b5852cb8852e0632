#include "classlib/GridBufferDC.h"

#include <QPaintDevice>
#include <QPainter>

namespace tallix::detail {

GridBufferStorage::GridBufferStorage(CDC* t) : target(t) {
  if (target->IsPrinting() || target->GetClipBox(&rect) == NULLREGION) return;
  const QPaintDevice* device = target->GetPainter()->device();
  const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
  image = QImage(rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return;
  image.setDevicePixelRatio(ratio);
  painter = std::make_unique<QPainter>(&image);
  painter->setFont(target->GetPainter()->font());
  painter->translate(-rect.topLeft());
  memory = true;
}

GridBufferStorage::~GridBufferStorage() = default;

QPainter* GridBufferStorage::drawingPainter() const { return memory ? painter.get() : target->GetPainter(); }

}  // namespace tallix::detail

CGridBufferDC::CGridBufferDC(CDC* target) : GridBufferStorage(target), CDC(drawingPainter(), target->IsPrinting()) {}

CGridBufferDC::~CGridBufferDC() {
  if (!memory) return;
  painter->end();
  target->GetPainter()->drawImage(rect.topLeft(), image);
}
