#include "platform/DC.h"

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
