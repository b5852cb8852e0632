#include "platform/ScrollWnd.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QWheelEvent>
#include <algorithm>

namespace {

// Qt's scroll area, serving a window: the viewport's paint events go to the
// window, its input goes on to the window as Qt passes unhandled input to
// the parent, and nothing here moves or repaints by itself.
class ViewportArea : public QAbstractScrollArea {
 public:
  ViewportArea(QWidget* host, tallix::ScrollClient* client) : QAbstractScrollArea(host), client_(client) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // See-through, so that repainting the window repaints the viewport.
    viewport()->setAutoFillBackground(false);
    // Moves without a button reach the window only through tracking widgets.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // The corner between the two bars in the window colour.
    auto* corner = new QWidget;
    corner->setBackgroundRole(QPalette::Window);
    corner->setAutoFillBackground(true);
    setCornerWidget(corner);
  }
  void Detach() { client_ = nullptr; }
  // Lays out viewport and bars now (Qt does it only while shown).
  void Relayout() { setViewportMargins(0, 0, 0, 0); }

 protected:
  bool viewportEvent(QEvent* event) override {
    switch (event->type()) {
      case QEvent::Paint:
        if (client_) client_->PaintViewport(static_cast<QPaintEvent*>(event));
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
        return false;  // on to the window
      default:
        return QAbstractScrollArea::viewportEvent(event);
    }
  }
  void scrollContentsBy(int, int) override {}

 private:
  tallix::ScrollClient* client_;
};

ViewportArea* asArea(QAbstractScrollArea* area) { return static_cast<ViewportArea*>(area); }

// What a disabled bar keeps to itself.
bool isBarInput(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove || type == QEvent::ContextMenu;
}

}  // namespace

namespace tallix {

int ScrollCodeOfAction(int action, bool sliderDown) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return sliderDown ? SB_THUMBTRACK : SB_THUMBPOSITION;
    default: return -1;
  }
}

void ConnectScrollBarActions(CScrollBar* bar, QObject* context, std::function<void(UINT code, UINT pos)> handler) {
  if (!bar) return;
  QObject::connect(bar, &QAbstractSlider::actionTriggered, context, [bar, handler](int action) {
    const int wanted = std::max(bar->sliderPosition(), 0);
    bar->setSliderPosition(bar->value());
    const int code = ScrollCodeOfAction(action, bar->isSliderDown());
    if (code >= 0) handler(UINT(code), code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? UINT(wanted) : 0);
  });
}

void ScrollQtAreaBy(QAbstractScrollArea* area, QSize distance) {
  if (!area) return;
  area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->value() + distance.width());
  area->verticalScrollBar()->setValue(area->verticalScrollBar()->value() + distance.height());
}

ScrollBars::ScrollBars(QWidget* host, ScrollClient* client)
    : host_(host), client_(client), area_(new ViewportArea(host, client)) {
  host_->installEventFilter(this);
  area_->setGeometry(host_->rect());
  for (int bar : {SB_HORZ, SB_VERT}) {
    CScrollBar* scrollBar = Bar(bar);
    scrollBar->setFocusPolicy(Qt::NoFocus);
    scrollBar->setRange(0, 0);
    scrollBar->installEventFilter(this);
    connect(scrollBar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { barAction(bar, action); });
    connect(scrollBar, &QAbstractSlider::sliderPressed, this,
            [this, bar] { ranges_[index(bar)].track = GetScrollPos(bar); });
    connect(scrollBar, &QAbstractSlider::sliderReleased, this, [this, bar] {
      send(bar, SB_THUMBPOSITION, UINT(std::max(ranges_[index(bar)].track, 0)));
      send(bar, SB_ENDSCROLL, 0);
    });
  }
}

ScrollBars::~ScrollBars() { asArea(area_)->Detach(); }

CScrollBar* ScrollBars::Bar(int bar) const {
  return bar == SB_HORZ ? area_->horizontalScrollBar() : area_->verticalScrollBar();
}

int ScrollBars::Extent(int bar) const {
  return bar == SB_HORZ ? Bar(bar)->sizeHint().height() : Bar(bar)->sizeHint().width();
}

QWidget* ScrollBars::Viewport() const { return area_->viewport(); }

void ScrollBars::SetFrame(int frame) {
  switch (frame) {
    case kScrollFrameLine:
      area_->setFrameStyle(QFrame::Box | QFrame::Plain);
      area_->setLineWidth(1);
      break;
    case kScrollFrameSunken: area_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken); break;
    default: area_->setFrameStyle(QFrame::NoFrame);
  }
  asArea(area_)->Relayout();
}

QPoint ScrollBars::MapToClient(QPoint windowPoint) const {
  fit();
  return area_->viewport()->mapFrom(host_, windowPoint);
}

void ScrollBars::fit() const {
  if (area_->geometry() == host_->rect()) return;
  area_->setGeometry(host_->rect());
  asArea(area_)->Relayout();
}

void ScrollBars::ClientRect(QRect* rect) const {
  if (!rect) return;
  fit();
  *rect = QRect(QPoint(0, 0), area_->viewport()->size());
}

BOOL ScrollBars::IsShown(int bar) const {
  const Qt::ScrollBarPolicy policy =
      bar == SB_HORZ ? area_->horizontalScrollBarPolicy() : area_->verticalScrollBarPolicy();
  return policy == Qt::ScrollBarAlwaysOn;
}

void ScrollBars::ShowScrollBar(UINT bar, BOOL show) {
  const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (bar == SB_HORZ || bar == SB_BOTH) area_->setHorizontalScrollBarPolicy(policy);
  if (bar == SB_VERT || bar == SB_BOTH) area_->setVerticalScrollBarPolicy(policy);
  fit();
  asArea(area_)->Relayout();
}

BOOL ScrollBars::EnableScrollBar(int bar, UINT arrows) {
  CScrollBar* scrollBar = Bar(bar);
  const bool enable = arrows == ESB_ENABLE_BOTH;
  if (scrollBar->isEnabled() == enable) return FALSE;
  scrollBar->setEnabled(enable);
  return TRUE;
}

int ScrollBars::SetScrollPos(int bar, int pos) {
  CScrollBar* scrollBar = Bar(bar);
  const int old = scrollBar->value();
  scrollBar->setValue(pos);
  ranges_[index(bar)].track = scrollBar->value();
  return old;
}

int ScrollBars::GetScrollPos(int bar) const { return Bar(bar)->value(); }

int ScrollBars::GetScrollLimit(int bar) const { return Bar(bar)->maximum(); }

void ScrollBars::applyRange(int bar) {
  const Range& range = ranges_[index(bar)];
  const long long last = (long long)range.max - (range.page > 0 ? (long long)range.page - 1 : 0);
  Bar(bar)->setRange(range.min, int(std::clamp<long long>(last, range.min, range.max)));
  Bar(bar)->setPageStep(int(std::min<UINT>(range.page, 0x7FFFFFFF)));
  ranges_[index(bar)].track = Bar(bar)->value();
}

void ScrollBars::SetScrollRange(int bar, int min, int max) {
  Range& range = ranges_[index(bar)];
  range.min = min;
  range.max = std::max(min, max);
  applyRange(bar);
}

void ScrollBars::GetScrollRange(int bar, int* min, int* max) const {
  if (min) *min = ranges_[index(bar)].min;
  if (max) *max = ranges_[index(bar)].max;
}

BOOL ScrollBars::SetScrollInfo(int bar, const SCROLLINFO* info) {
  if (!info) return FALSE;
  Range& range = ranges_[index(bar)];
  if (info->fMask & SIF_RANGE) {
    range.min = info->nMin;
    range.max = std::max(info->nMin, info->nMax);
  }
  if (info->fMask & SIF_PAGE) range.page = info->nPage;
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) applyRange(bar);
  if (info->fMask & SIF_POS) SetScrollPos(bar, info->nPos);
  if (info->fMask & SIF_DISABLENOSCROLL) {
    const bool nothingToScroll = Bar(bar)->minimum() >= Bar(bar)->maximum();
    EnableScrollBar(bar, nothingToScroll ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
  }
  return TRUE;
}

BOOL ScrollBars::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
  if (!info) return FALSE;
  const Range& range = ranges_[index(bar)];
  info->fMask = mask;
  if (mask & SIF_RANGE) {
    info->nMin = range.min;
    info->nMax = range.max;
  }
  if (mask & SIF_PAGE) info->nPage = range.page;
  if (mask & SIF_POS) info->nPos = GetScrollPos(bar);
  if (mask & SIF_TRACKPOS) info->nTrackPos = range.track;
  return TRUE;
}

int ScrollBars::TakeWheelSteps(int delta, int perNotch) {
  wheelRest_ += delta * perNotch;
  const int steps = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= steps * WHEEL_DELTA;
  return steps;
}

bool ScrollBars::eventFilter(QObject* watched, QEvent* event) {
  if (watched == host_) {
    // The window paints through its viewport only.
    if (event->type() == QEvent::Paint) return true;
    if (event->type() == QEvent::Resize) fit();
    return false;
  }
  for (int bar : {SB_HORZ, SB_VERT}) {
    CScrollBar* scrollBar = Bar(bar);
    if (watched != scrollBar) continue;
    if (event->type() == QEvent::Wheel) {
      QCoreApplication::sendEvent(host_, event);
      return true;
    }
    // A disabled bar takes no input, nor does it pass it on to the window.
    if (!scrollBar->isEnabled() && isBarInput(event->type())) {
      event->accept();
      return true;
    }
    // A line or page step ends when its button comes up; a drag of the thumb
    // ends with sliderReleased.
    if (event->type() == QEvent::MouseButtonRelease && !scrollBar->isSliderDown() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      QPointer<ScrollBars> self(this);
      scrollBar->event(event);
      if (self) send(bar, SB_ENDSCROLL, 0);
      return true;
    }
  }
  return false;
}

// The bar is about to apply `action`: it keeps its position, and the window
// moves it through the SB_ code instead.
void ScrollBars::barAction(int bar, int action) {
  CScrollBar* scrollBar = Bar(bar);
  const int wanted = std::max(scrollBar->sliderPosition(), 0);
  scrollBar->setSliderPosition(scrollBar->value());
  const int code = ScrollCodeOfAction(action, scrollBar->isSliderDown());
  if (code < 0) return;
  if (action == QAbstractSlider::SliderMove) ranges_[index(bar)].track = wanted;
  send(bar, UINT(code), code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? UINT(wanted) : 0);
  if (code == SB_THUMBPOSITION) send(bar, SB_ENDSCROLL, 0);
}

void ScrollBars::send(int bar, UINT code, UINT pos) {
  if (client_) client_->ScrollAction(bar, code, pos);
}

}  // namespace tallix
