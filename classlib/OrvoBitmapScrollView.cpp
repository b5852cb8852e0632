#include "classlib/OrvoBitmapScrollView.h"

#include "classlib/MenuHelpers.h"
#include "platform/DC.h"
#include "platform/SysColor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cstring>

namespace {

// The pixels of `source` inside `part`, each repeated as a zoom x zoom block.
QImage magnified(const QImage& source, const QRect& part, int zoom) {
  QImage out(part.width() * zoom, part.height() * zoom, QImage::Format_RGB32);
  if (out.isNull()) return out;
  const QImage rgb = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < part.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(part.top() + y)) + part.left();
    auto* first = reinterpret_cast<QRgb*>(out.scanLine(y * zoom));
    for (int x = 0; x < part.width(); ++x) std::fill_n(first + x * zoom, zoom, from[x]);
    for (int k = 1; k < zoom; ++k) std::memcpy(out.scanLine(y * zoom + k), first, size_t(out.bytesPerLine()));
  }
  return out;
}

}  // namespace

COrvoBitmapScrollView::COrvoBitmapScrollView(QWidget* parent) : CScrollView(parent) {
  setFocusPolicy(Qt::StrongFocus);
  // Holding the thumb down is a scroll operation under way: the frame goes
  // until the thumb is let go (SB_ENDSCROLL).
  for (int bar : {SB_HORZ, SB_VERT})
    connect(GetScrollBarCtrl(bar), &QAbstractSlider::sliderPressed, this, [this] { scrollMessage(SB_THUMBTRACK); });
}

COrvoBitmapScrollView::~COrvoBitmapScrollView() = default;

int COrvoBitmapScrollView::OnCreate(LPCREATESTRUCT cs) {
  if (CScrollView::OnCreate(cs) == -1) return -1;
  UpdateScrollSizes();
  return 0;
}

BOOL COrvoBitmapScrollView::SetBitmap(CBitmap&& bitmap) {
  SetRedraw(FALSE);
  bitmap_.DeleteObject();
  width_ = height_ = 0;
  if (bitmap.GetSafeHandle()) {
    bitmap_.Attach(bitmap.Detach());
    width_ = bitmap_.GetWidth();
    height_ = bitmap_.GetHeight();
  }
  UpdateScrollSizes();
  SetRedraw(TRUE);
  Invalidate(TRUE);
  return TRUE;
}

void COrvoBitmapScrollView::ZoomIn() {
  if (zoom_ >= maxZoom) return;
  ++zoom_;
  UpdateScrollSizes();
  Invalidate(FALSE);
}

void COrvoBitmapScrollView::ZoomOut() {
  if (zoom_ <= minZoom) return;
  --zoom_;
  UpdateScrollSizes();
  Invalidate(TRUE);
}

void COrvoBitmapScrollView::SetZoom(int factor) {
  if (factor == zoom_ || factor < minZoom || factor > maxZoom) return;
  zoom_ = factor;
  UpdateScrollSizes();
  Invalidate(TRUE);
}

void COrvoBitmapScrollView::UpdateScrollSizes() {
  SetScrollSizes(MM_TEXT, QSize(width_ * zoom_ + 2 * border, height_ * zoom_ + 2 * border));
}

QRect COrvoBitmapScrollView::GetBitmapRect() const {
  if (width_ <= 0 || height_ <= 0) return {};
  const QSize zoomed(width_ * zoom_, height_ * zoom_);
  QRect client;
  GetClientRect(&client);
  QPoint origin(border, border);
  if (centred) {
    if (zoomed.width() < client.width()) origin.setX((client.width() - zoomed.width()) / 2);
    if (zoomed.height() < client.height()) origin.setY((client.height() - zoomed.height()) / 2);
  }
  return QRect(origin, zoomed);
}

void COrvoBitmapScrollView::paintEvent(QPaintEvent* event) {
  exposed_ = event->rect();
  QPainter painter(GetViewport());
  {
    CDC dc(&painter);
    OnEraseBkgnd(&dc);
  }
  CDC dc(&painter);
  OnPrepareDC(&dc);
  OnDraw(&dc);
  exposed_ = QRect();
}

void COrvoBitmapScrollView::OnEraseBkgnd(CDC* dc) {
  QRect client;
  GetClientRect(&client);
  if (width_ <= 0 || height_ <= 0) {
    CBrush window(GetSysColor(COLOR_WINDOW));
    CBrush* old = dc->SelectObject(&window);
    dc->Rectangle(client.left(), client.top(), client.right() + 1, client.bottom() + 1);
    dc->SelectObject(old);
    return;
  }
  // The bitmap where it shows now, at the scroll position the drawing uses.
  const QRegion around = QRegion(client) - QRegion(GetBitmapRect().translated(-GetScrollPosition()));
  for (const QRect& r : around) dc->FillSolidRect(r, GetSysColor(COLOR_WINDOW));
}

void COrvoBitmapScrollView::OnDraw(CDC* dc) {
  QPainter* painter = dc->GetPainter();
  if (!painter) return;
  const QRect target = GetBitmapRect();
  if (!target.isEmpty() && bitmap_.HasPixels()) {
    // Only the source pixels whose blocks meet the exposed part.
    const QRect exposed = exposed_.isEmpty() ? target : exposed_.translated(GetScrollPosition()) & target;
    if (!exposed.isEmpty()) {
      const int x0 = (exposed.left() - target.left()) / zoom_;
      const int y0 = (exposed.top() - target.top()) / zoom_;
      const int x1 = (exposed.right() - target.left()) / zoom_;
      const int y1 = (exposed.bottom() - target.top()) / zoom_;
      const QRect part = QRect(QPoint(x0, y0), QPoint(x1, y1)) & bitmap_.GetImage().rect();
      const QImage blocks = magnified(bitmap_.GetImage(), part, zoom_);
      if (!blocks.isNull())
        painter->drawImage(target.topLeft() + QPoint(part.left() * zoom_, part.top() * zoom_), blocks);
    }
  }
  if (hasFocus() && !scrolling_) dc->DrawFocusRect(focusFrameRect());
}

QRect COrvoBitmapScrollView::focusFrameRect() const {
  if (!focusAroundBitmap || width_ <= 0 || height_ <= 0) {
    QRect client;
    GetClientRect(&client);
    const QSize total = GetTotalSize();
    const QPoint end(std::max(client.width(), total.width()) - 2, std::max(client.height(), total.height()) - 2);
    return QRect(QPoint(2, 2), end - QPoint(1, 1));
  }
  if (centred) return GetBitmapRect().adjusted(-2, -2, 2, 2);
  return QRect(QPoint(2, 2), QPoint(width_ * zoom_ + 4, height_ * zoom_ + 4) - QPoint(1, 1));
}

void COrvoBitmapScrollView::scrollMessage(UINT code) {
  const BOOL wasScrolling = scrolling_;
  scrolling_ = code != SB_ENDSCROLL;
  if (scrolling_ != wasScrolling && hasFocus()) update();
}

void COrvoBitmapScrollView::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
  if (code != SB_ENDSCROLL) scrollMessage(code);
  CScrollView::OnHScroll(code, pos, bar);
  if (code == SB_ENDSCROLL) scrollMessage(code);
}

void COrvoBitmapScrollView::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
  if (code != SB_ENDSCROLL) scrollMessage(code);
  CScrollView::OnVScroll(code, pos, bar);
  if (code == SB_ENDSCROLL) scrollMessage(code);
}

void COrvoBitmapScrollView::keyPressEvent(QKeyEvent* event) {
  const int step = (event->modifiers() & Qt::ControlModifier) ? 50 : 10;
  QSize distance;
  switch (event->key()) {
    case Qt::Key_Left: distance = QSize(-step, 0); break;
    case Qt::Key_Right: distance = QSize(step, 0); break;
    case Qt::Key_Up: distance = QSize(0, -step); break;
    case Qt::Key_Down: distance = QSize(0, step); break;
    default:
      CScrollView::keyPressEvent(event);
      return;
  }
  scrolling_ = TRUE;
  OnScrollBy(distance, TRUE);
  scrolling_ = FALSE;
  update();
  event->accept();
}

void COrvoBitmapScrollView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (contextMenuId == 0) return;
  SetFocus();
  CWnd* target = GetParent() ? GetParent() : this;
  TrackContextMenu(target, event->globalPos().x(), event->globalPos().y(), contextMenuId, TRUE);
}

void COrvoBitmapScrollView::focusInEvent(QFocusEvent* event) {
  CScrollView::focusInEvent(event);
  update();
}

void COrvoBitmapScrollView::focusOutEvent(QFocusEvent* event) {
  CScrollView::focusOutEvent(event);
  update();
}

int COrvoBitmapScrollView::OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) {
  if (controlActivation) return CWnd::OnMouseActivate(topLevel, hitTest, message);
  return CScrollView::OnMouseActivate(topLevel, hitTest, message);
}

COrvoBitmapControl::COrvoBitmapControl(QWidget* parent) : COrvoBitmapScrollView(parent) {}

COrvoBitmapControl::~COrvoBitmapControl() = default;

BOOL COrvoBitmapControl::Create(DWORD style, UINT id, CWnd* parent) {
  CCreateContext context{RUNTIME_CLASS(COrvoBitmapControl), nullptr};
  setGeometry(0, 0, 100, 100);  // the parent places it afterwards
  if (!CWnd::Create(style, parent, id, &context)) return FALSE;
  SetScrollSizes(MM_TEXT, QSize(0, 0));
  return TRUE;
}

int COrvoBitmapControl::OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) {
  const int result = CWnd::OnMouseActivate(topLevel, hitTest, message);
  if (result == MA_ACTIVATE || result == MA_ACTIVATEANDEAT) OnActivateView(TRUE, this, this);
  return result;
}
