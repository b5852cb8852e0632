#include "platform/DC.h"

#include "platform/SysColor.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

namespace {

// The text without its '&' marks ("&&" stands for '&').
QString withoutPrefixes(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    out.append(text[i]);
  }
  return out;
}

}  // namespace

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  pen_ = QPen(ColorRefToQColor(color));
  pen_.setWidth(width <= 1 ? 0 : width);
  pen_.setStyle(style == PS_NULL ? Qt::NoPen : style == PS_DASH ? Qt::DashLine : style == PS_DOT ? Qt::DotLine : Qt::SolidLine);
  return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  brush_ = QBrush(ColorRefToQColor(color));
  return TRUE;
}

BOOL CBrush::CreateNullBrush() {
  brush_ = QBrush(Qt::NoBrush);
  return TRUE;
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const QString& faceName) {
  font_ = QFont(faceName);
  font_.setPointSizeF(pointSizeTenths / 10.0);
  return TRUE;
}

CDC::CDC(QPainter* painter, bool printing)
    : painter_(painter),
      printing_(printing || (painter->device() && painter->device()->devType() == QInternal::Printer)),
      pen_(&defaultPen_),
      brush_(&defaultBrush_),
      font_(&defaultFont_) {
  base_ = painter->transform();
  defaultFont_.SetFont(painter->font());
  painter_->setPen(defaultPen_.pen());
  painter_->setBrush(defaultBrush_.brush());
}


CDC::~CDC() = default;

int CDC::GetDeviceCaps(int index) const {
  const QPaintDevice* d = painter_->device();
  if (!d) return 0;
  switch (index) {
    case LOGPIXELSX: return d->logicalDpiX();
    case LOGPIXELSY: return d->logicalDpiY();
    case HORZRES: return d->width();
    case VERTRES: return d->height();
    default: return 0;
  }
}

CPen* CDC::SelectObject(CPen* pen) {
  CPen* old = pen_;
  pen_ = pen ? pen : &defaultPen_;
  painter_->setPen(pen_->pen());
  return old;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  CBrush* old = brush_;
  brush_ = brush ? brush : &defaultBrush_;
  painter_->setBrush(brush_->brush());
  return old;
}

CFont* CDC::SelectObject(CFont* font) {
  CFont* old = font_;
  font_ = font ? font : &defaultFont_;
  painter_->setFont(font_->font());
  return old;
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(textColor_, color); }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(bkColor_, color); }
int CDC::SetBkMode(int mode) { return std::exchange(bkMode_, mode); }

BOOL CDC::TextOut(int x, int y, const QString& text) {
  const QFontMetrics fm(painter_->font(), painter_->device());
  if (bkMode_ == OPAQUE) painter_->fillRect(QRect(QPoint(x, y), GetTextExtent(text)), ColorRefToQColor(bkColor_));
  painter_->save();
  painter_->setPen(ColorRefToQColor(textColor_));
  painter_->drawText(x, y + fm.ascent(), text);
  painter_->restore();
  return TRUE;
}

int CDC::DrawText(const QString& text, QRect* rect, UINT format) {
  if (!rect) return 0;
  const QString shown = (format & DT_NOPREFIX) ? text : withoutPrefixes(text);
  int flags = (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  if (format & DT_SINGLELINE)
    flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : (format & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  else
    flags |= Qt::AlignTop;
  if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  const QFontMetrics fm(painter_->font(), painter_->device());
  QString drawn = shown;
  if ((format & DT_END_ELLIPSIS) && (format & DT_SINGLELINE)) drawn = fm.elidedText(shown, Qt::ElideRight, rect->width());
  const QRect needed = fm.boundingRect(*rect, flags, drawn);
  if (format & DT_CALCRECT) {
    rect->setSize(needed.size());
    return needed.height();
  }
  if (bkMode_ == OPAQUE) painter_->fillRect(needed & *rect, ColorRefToQColor(bkColor_));
  painter_->save();
  painter_->setPen(ColorRefToQColor(textColor_));
  painter_->drawText(*rect, flags, drawn);
  painter_->restore();
  return needed.height();
}

QSize CDC::GetTextExtent(const QString& text) const {
  const QFontMetrics fm(painter_->font(), painter_->device());
  return QSize(fm.horizontalAdvance(text), fm.height());
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const {
  if (!tm) return FALSE;
  const QFontMetrics fm(painter_->font(), painter_->device());
  tm->tmAscent = fm.ascent();
  tm->tmDescent = fm.descent();
  tm->tmHeight = fm.height();
  tm->tmExternalLeading = fm.leading();
  tm->tmInternalLeading = 0;
  tm->tmAveCharWidth = fm.averageCharWidth();
  tm->tmMaxCharWidth = fm.maxWidth();
  return TRUE;
}

QPoint CDC::MoveTo(int x, int y) { return std::exchange(position_, QPoint(x, y)); }

BOOL CDC::LineTo(int x, int y) {
  const QPoint to(x, y);
  if (to != position_) {
    // The end point is not drawn; step back one pixel along the main axis.
    const QPoint d = to - position_;
    const QPoint last = std::abs(d.x()) >= std::abs(d.y()) ? to - QPoint(d.x() > 0 ? 1 : -1, 0)
                                                          : to - QPoint(0, d.y() > 0 ? 1 : -1);
    painter_->drawLine(position_, last);
  }
  position_ = to;
  return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
  if (right - left < 1 || bottom - top < 1) return TRUE;
  painter_->drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
  return TRUE;
}

void CDC::FillRect(const QRect& rect, CBrush* brush) { painter_->fillRect(rect, brush ? brush->brush() : brush_->brush()); }

void CDC::FillSolidRect(const QRect& rect, COLORREF color) { painter_->fillRect(rect, ColorRefToQColor(color)); }

BOOL CDC::DrawEdge(const QRect& rect, UINT edge, UINT flags) {
  // One line of colours per edge: top-left, bottom-right.
  const auto drawEdge = [&](const QRect& r, int topLeft, int bottomRight) {
    if (r.width() < 1 || r.height() < 1) return;
    const QColor tl = ColorRefToQColor(GetSysColor(topLeft)), br = ColorRefToQColor(GetSysColor(bottomRight));
    if (flags & BF_TOP) painter_->fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), tl);
    if (flags & BF_LEFT) painter_->fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), tl);
    if (flags & BF_RIGHT) painter_->fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
    if (flags & BF_BOTTOM) painter_->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
  };
  QRect r = rect;
  if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
    if (edge & BDR_RAISEDOUTER)
      drawEdge(r, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    else
      drawEdge(r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    r.adjust(1, 1, -1, -1);
  }
  if (edge & BDR_RAISEDINNER)
    drawEdge(r, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
  else if (edge & BDR_SUNKENINNER)
    drawEdge(r, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
  return TRUE;
}

BOOL CDC::DrawFrameControl(const QRect& rect, UINT type, UINT state) {
  if (type != DFC_BUTTON || rect.width() < 1 || rect.height() < 1) return FALSE;
  DrawEdge(rect, EDGE_SUNKEN, BF_RECT);
  const QRect inside = rect.adjusted(2, 2, -2, -2);
  if (inside.isEmpty()) return TRUE;
  painter_->fillRect(inside, ColorRefToQColor(GetSysColor(COLOR_WINDOW)));
  if (state & DFCS_CHECKED) {
    painter_->save();
    QPen pen(ColorRefToQColor(GetSysColor(COLOR_WINDOWTEXT)));
    pen.setWidth(std::max(1, inside.width() / 5));
    painter_->setPen(pen);
    const QRectF m = QRectF(inside).adjusted(1.5, 1.5, -1.5, -1.5);
    const QPointF mark[] = {{m.left(), m.center().y()}, {m.left() + m.width() * 0.4, m.bottom()}, {m.right(), m.top()}};
    painter_->drawPolyline(mark, 3);
    painter_->restore();
  }
  return TRUE;
}

void CDC::DrawFocusRect(const QRect& rect) {
  if (rect.width() < 1 || rect.height() < 1) return;
  painter_->save();
  QPen pen(Qt::black);
  pen.setWidth(0);
  pen.setStyle(Qt::DotLine);
  painter_->setPen(pen);
  painter_->setBrush(Qt::NoBrush);
  painter_->drawRect(rect.adjusted(0, 0, -1, -1));
  painter_->restore();
}

int CDC::SaveDC() {
  saved_.push_back(Saved{pen_, brush_, font_, textColor_, bkColor_, bkMode_, position_, mapMode_, windowExt_,
                         viewportExt_, windowOrg_, viewportOrg_});
  painter_->save();
  return int(saved_.size());
}

BOOL CDC::RestoreDC(int saved) {
  const int level = saved < 0 ? int(saved_.size()) + 1 + saved : saved;
  if (level < 1 || level > int(saved_.size())) return FALSE;
  while (int(saved_.size()) >= level) {
    const Saved s = saved_.back();
    saved_.pop_back();
    painter_->restore();
    pen_ = s.pen;
    brush_ = s.brush;
    font_ = s.font;
    textColor_ = s.textColor;
    bkColor_ = s.bkColor;
    bkMode_ = s.bkMode;
    position_ = s.position;
    mapMode_ = s.mapMode;
    windowExt_ = s.windowExt;
    viewportExt_ = s.viewportExt;
    windowOrg_ = s.windowOrg;
    viewportOrg_ = s.viewportOrg;
  }
  painter_->setPen(pen_->pen());
  painter_->setBrush(brush_->brush());
  painter_->setFont(font_->font());
  applyMapping();
  return TRUE;
}

int CDC::GetClipBox(QRect* rect) const {
  QRect box;
  if (painter_->hasClipping()) {
    box = painter_->clipBoundingRect().toAlignedRect();
  } else if (const QPaintDevice* d = painter_->device()) {
    box = painter_->transform().inverted().mapRect(QRect(0, 0, d->width(), d->height()));
  }
  if (rect) *rect = box;
  return box.isEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::SetMapMode(int mode) {
  const int old = std::exchange(mapMode_, mode);
  applyMapping();
  return old;
}

QSize CDC::SetWindowExt(QSize extent) {
  const QSize old = windowExt_;
  if (extent.width() != 0 && extent.height() != 0) windowExt_ = extent;
  applyMapping();
  return old;
}

QSize CDC::SetViewportExt(QSize extent) {
  const QSize old = viewportExt_;
  if (extent.width() != 0 && extent.height() != 0) viewportExt_ = extent;
  applyMapping();
  return old;
}

QPoint CDC::SetWindowOrg(QPoint origin) {
  const QPoint old = std::exchange(windowOrg_, origin);
  applyMapping();
  return old;
}

QPoint CDC::SetViewportOrg(QPoint origin) {
  const QPoint old = std::exchange(viewportOrg_, origin);
  applyMapping();
  return old;
}

QTransform CDC::mapping() const {
  QTransform t;
  t.translate(viewportOrg_.x(), viewportOrg_.y());
  if (mapMode_ == MM_ANISOTROPIC)
    t.scale(double(viewportExt_.width()) / windowExt_.width(), double(viewportExt_.height()) / windowExt_.height());
  t.translate(-windowOrg_.x(), -windowOrg_.y());
  return t;
}

void CDC::applyMapping() { painter_->setTransform(mapping() * base_); }

QPoint CDC::LPtoDP(QPoint logical) const { return mapping().map(logical); }
QPoint CDC::DPtoLP(QPoint device) const { return mapping().inverted().map(device); }
