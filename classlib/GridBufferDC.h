// CGridBufferDC: paints through an off-screen image of the target's clip
// box and copies it onto the target when it goes away; on a printer it is
// the target itself (printers get no buffer). The grid and the token editor
// paint through it.
#pragma once

#include "platform/DC.h"

#include <QImage>
#include <QRect>

#include <memory>

namespace tallix::detail {

// What the buffer DC needs before its CDC part exists.
struct GridBufferStorage {
  explicit GridBufferStorage(CDC* target);
  ~GridBufferStorage();
  CDC* target;
  QRect rect;
  bool memory = false;
  QImage image;
  std::unique_ptr<QPainter> painter;
  QPainter* drawingPainter() const;
};

}  // namespace tallix::detail

class CGridBufferDC : private tallix::detail::GridBufferStorage, public CDC {
 public:
  explicit CGridBufferDC(CDC* target);
  ~CGridBufferDC();
  CGridBufferDC(const CGridBufferDC&) = delete;
  CGridBufferDC& operator=(const CGridBufferDC&) = delete;

  // Whether an off-screen image is in use (not when printing).
  bool UsesMemory() const { return memory; }
};
