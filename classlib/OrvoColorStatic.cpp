#include "classlib/OrvoColorStatic.h"

#include "platform/LanguageLibrary.h"

#include <QPainter>

const CMessageMap& COrvoColorStatic::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoColorStatic>(CStatic::messageMap());
  return map;
}

COrvoColorStatic::COrvoColorStatic(QWidget* parent) : CStatic(parent) {}
COrvoColorStatic::~COrvoColorStatic() = default;

void COrvoColorStatic::SetColor(COLORREF color, BOOL redraw) {
  brush_.emplace(color);
  if (redraw) Invalidate(TRUE);
}

BOOL COrvoColorStatic::OnEraseBkgnd(CDC* dc) {
  if (!brush_) return FALSE;
  dc->FillRect(rect(), &*brush_);
  return TRUE;
}

void COrvoColorStatic::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    CDC dc(&painter);
    OnEraseBkgnd(&dc);
  }
  CStatic::paintEvent(event);
}

void RegisterOrvoColorStaticClass() {
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("COrvoColorStatic"),
                                        [](QWidget* parent, const QString&) { return new COrvoColorStatic(parent); });
}
