#include "platform/ScrollView.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/DC.h"
#include "platform/SplitterWnd.h"

namespace {

constexpr BYTE kNoCode = 0xFF;

// The step of one SB_ code from `pos`; INT_MAX for the far end.
int stepped(UINT code, int pos, int line, int page, UINT thumb) {
  switch (code) {
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return INT_MAX;
    case SB_LINEUP:
      return pos - line;
    case SB_LINEDOWN:
      return pos + line;
    case SB_PAGEUP:
      return pos - page;
    case SB_PAGEDOWN:
      return pos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return int(thumb);
    default:
      return pos;
  }
}

}  // namespace

const CMessageMap& CScrollView::messageMap() {
  static const CMessageMap map = MessageMapOf<CScrollView>(CView::messageMap());
  return map;
}

CScrollView::CScrollView(QWidget* parent)
    : CView(parent), hbar_(new QScrollBar(Qt::Horizontal, this)), vbar_(new QScrollBar(Qt::Vertical, this)) {
  for (QScrollBar* bar : {hbar_, vbar_}) {
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setRange(0, 0);
    bar->hide();
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { barAction(bar, action); });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] {
      sendScroll(bar, SB_THUMBPOSITION, UINT(bar->value()));
      sendScroll(bar, SB_ENDSCROLL, 0);
    });
  }
}

CScrollView::~CScrollView() = default;

void CScrollView::SetScrollSizes(int mapMode, QSize total, QSize page, QSize line) {
  mapMode_ = mapMode;
  total_ = total.expandedTo(QSize(0, 0));
  page_ =
      QSize(page.width() ? page.width() : total_.width() / 10, page.height() ? page.height() : total_.height() / 10);
  line_ = QSize(line.width() ? line.width() : page_.width() / 10, line.height() ? line.height() : page_.height() / 10);
  UpdateBars();
  update();
}

void CScrollView::GetDeviceScrollSizes(int& mapMode, QSize& total, QSize& page, QSize& line) const {
  mapMode = mapMode_;
  total = total_;
  page = page_;
  line = line_;
}

QPoint CScrollView::GetScrollPosition() const { return QPoint(hbar_->value(), vbar_->value()); }

void CScrollView::ScrollToPosition(QPoint position) {
  const QPoint old = GetScrollPosition();
  hbar_->setValue(position.x());
  vbar_->setValue(position.y());
  if (GetScrollPosition() != old) update();
}

QScrollBar* CScrollView::GetScrollBarCtrl(int bar) const { return bar == SB_HORZ ? hbar_ : vbar_; }

BOOL CScrollView::HasScrollBar(int bar) const { return !GetScrollBarCtrl(bar)->isHidden(); }

void CScrollView::GetClientRect(QRect* rect) const {
  if (!rect) return;
  const int w = width() - (vbar_->isHidden() ? 0 : vbar_->width());
  const int h = height() - (hbar_->isHidden() ? 0 : hbar_->height());
  *rect = QRect(0, 0, std::max(w, 0), std::max(h, 0));
}

void CScrollView::OnPrepareDC(CDC* dc) {
  CView::OnPrepareDC(dc);
  if (QPainter* p = dc ? dc->GetPainter() : nullptr) {
    QRect client;
    GetClientRect(&client);
    p->setClipRect(client);
    p->translate(-GetScrollPosition());
  }
}

void CScrollView::UpdateBars() {
  const int vw = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vbar_);
  const int hh = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, hbar_);
  bool needH = false, needV = false;
  for (int pass = 0; pass < 2; ++pass) {
    needH = total_.width() > width() - (needV ? vw : 0);
    needV = total_.height() > height() - (needH ? hh : 0);
  }
  const int clientW = std::max(width() - (needV ? vw : 0), 0);
  const int clientH = std::max(height() - (needH ? hh : 0), 0);
  hbar_->setGeometry(0, height() - hh, clientW, hh);
  vbar_->setGeometry(width() - vw, 0, vw, clientH);
  const QPoint old = GetScrollPosition();
  hbar_->setRange(0, needH ? total_.width() - clientW : 0);
  vbar_->setRange(0, needV ? total_.height() - clientH : 0);
  hbar_->setPageStep(std::max(clientW, 1));
  vbar_->setPageStep(std::max(clientH, 1));
  hbar_->setSingleStep(std::max(line_.width(), 1));
  vbar_->setSingleStep(std::max(line_.height(), 1));
  hbar_->setVisible(needH);
  vbar_->setVisible(needV);
  if (GetScrollPosition() != old) update();
}

BOOL CScrollView::OnScroll(UINT scrollCode, UINT pos, BOOL doScroll) {
  const QPoint from = GetScrollPosition();
  const int x = stepped(scrollCode & 0xFF, from.x(), line_.width(), page_.width(), pos);
  const int y = stepped((scrollCode >> 8) & 0xFF, from.y(), line_.height(), page_.height(), pos);
  // Far-end codes ask for the most; OnScrollBy clamps.
  const auto distance = [](int to, int at) { return to == INT_MAX ? INT_MAX / 2 : to - at; };
  return OnScrollBy(QSize(distance(x, from.x()), distance(y, from.y())), doScroll);
}

BOOL CScrollView::OnScrollBy(QSize distance, BOOL doScroll) {
  const QPoint from = GetScrollPosition();
  const int dx = hbar_->isHidden() ? 0 : distance.width();
  const int dy = vbar_->isHidden() ? 0 : distance.height();
  const int x = std::clamp(int(std::clamp<long long>(from.x() + (long long)dx, INT_MIN, INT_MAX)), 0, hbar_->maximum());
  const int y = std::clamp(int(std::clamp<long long>(from.y() + (long long)dy, INT_MIN, INT_MAX)), 0, vbar_->maximum());
  if (x == from.x() && y == from.y()) return FALSE;
  if (doScroll) ScrollToPosition(QPoint(x, y));
  return TRUE;
}

void CScrollView::OnHScroll(UINT code, UINT pos, QScrollBar* bar) {
  if (bar && bar != hbar_) return;
  OnScroll(code | (UINT(kNoCode) << 8), pos);
}

void CScrollView::OnVScroll(UINT code, UINT pos, QScrollBar* bar) {
  if (bar && bar != vbar_) return;
  OnScroll(UINT(kNoCode) | (code << 8), pos);
}

BOOL CScrollView::OnMouseWheel(UINT flags, short delta, QPoint point) {
  // Inside a splitter the wheel is the splitter's, which scrolls its panes.
  if (auto* splitter = qobject_cast<CSplitterWnd*>(GetParent())) return splitter->OnMouseWheel(flags, delta, point);
  return DoMouseWheel(flags, delta, point);
}

BOOL CScrollView::DoMouseWheel(UINT flags, short delta, QPoint) {
  if (flags & (MK_SHIFT | MK_CONTROL)) return FALSE;  // zooming or data, not a scroll
  const bool vertical = HasScrollBar(SB_VERT);
  if (!vertical && !HasScrollBar(SB_HORZ)) return FALSE;
  const int lines = QApplication::wheelScrollLines();
  const int toScroll = int(std::lround(-double(delta) * lines / WHEEL_DELTA));
  const int line = vertical ? line_.height() : line_.width();
  const int page = vertical ? page_.height() : page_.width();
  const int displacement = std::clamp(toScroll * line, -page, page);
  return OnScrollBy(vertical ? QSize(0, displacement) : QSize(displacement, 0), TRUE);
}

void CScrollView::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  UpdateBars();
}

bool CScrollView::eventFilter(QObject* watched, QEvent* event) {
  auto* bar = qobject_cast<QScrollBar*>(watched);
  if (bar && (bar == hbar_ || bar == vbar_)) {
    // The wheel over a bar is the view's wheel.
    if (event->type() == QEvent::Wheel) {
      QApplication::sendEvent(this, event);
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && !bar->isSliderDown() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      QPointer<CScrollView> self(this);
      bar->event(event);
      if (self) sendScroll(bar, SB_ENDSCROLL, 0);
      return true;
    }
  }
  return CView::eventFilter(watched, event);
}

// The bar is about to apply `action`: it keeps its value, and the view
// scrolls itself through the SB_ code instead.
void CScrollView::barAction(QScrollBar* bar, int action) {
  const int wanted = bar->sliderPosition();
  bar->setSliderPosition(bar->value());
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      sendScroll(bar, SB_LINEDOWN, 0);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      sendScroll(bar, SB_LINEUP, 0);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      sendScroll(bar, SB_PAGEDOWN, 0);
      break;
    case QAbstractSlider::SliderPageStepSub:
      sendScroll(bar, SB_PAGEUP, 0);
      break;
    case QAbstractSlider::SliderToMinimum:
      sendScroll(bar, SB_TOP, 0);
      break;
    case QAbstractSlider::SliderToMaximum:
      sendScroll(bar, SB_BOTTOM, 0);
      break;
    case QAbstractSlider::SliderMove:
      if (bar->isSliderDown()) {
        sendScroll(bar, SB_THUMBTRACK, UINT(std::max(wanted, 0)));
      } else {
        sendScroll(bar, SB_THUMBPOSITION, UINT(std::max(wanted, 0)));
        sendScroll(bar, SB_ENDSCROLL, 0);
      }
      break;
    default:
      break;
  }
}

void CScrollView::sendScroll(QScrollBar* bar, UINT code, UINT pos) {
  if (IsDestroyed()) return;
  if (bar == hbar_)
    OnHScroll(code, pos, bar);
  else
    OnVScroll(code, pos, bar);
}
