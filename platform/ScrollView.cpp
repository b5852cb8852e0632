#include "platform/ScrollView.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <climits>

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

CScrollView::CScrollView(QWidget* parent) : CScrollWnd<CView>(parent) {}

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

QPoint CScrollView::GetScrollPosition() const { return QPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)); }

void CScrollView::ScrollToPosition(QPoint position) {
  const QPoint old = GetScrollPosition();
  SetScrollPos(SB_HORZ, position.x());
  SetScrollPos(SB_VERT, position.y());
  if (GetScrollPosition() != old) update();
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

void CScrollView::paintEvent(QPaintEvent*) {
  QPainter painter(GetViewport());
  CDC dc(&painter);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CScrollView::UpdateBars() {
  const int vw = GetScrollBarExtent(SB_VERT);
  const int hh = GetScrollBarExtent(SB_HORZ);
  bool needH = false, needV = false;
  for (int pass = 0; pass < 2; ++pass) {
    needH = total_.width() > width() - (needV ? vw : 0);
    needV = total_.height() > height() - (needH ? hh : 0);
  }
  ShowScrollBar(SB_HORZ, needH);
  ShowScrollBar(SB_VERT, needV);
  QRect client;
  GetClientRect(&client);
  const QPoint old = GetScrollPosition();
  // A page of the client extent: the position runs up to the total less it.
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMax = total_.width() - 1;
  info.nPage = UINT(std::max(client.width(), 1));
  SetScrollInfo(SB_HORZ, &info);
  info.nMax = total_.height() - 1;
  info.nPage = UINT(std::max(client.height(), 1));
  SetScrollInfo(SB_VERT, &info);
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
  const int dx = HasScrollBar(SB_HORZ) ? distance.width() : 0;
  const int dy = HasScrollBar(SB_VERT) ? distance.height() : 0;
  const auto moved = [](int at, int by, int limit) {
    return std::clamp(int(std::clamp<long long>(at + (long long)by, INT_MIN, INT_MAX)), 0, limit);
  };
  const int x = moved(from.x(), dx, GetScrollLimit(SB_HORZ));
  const int y = moved(from.y(), dy, GetScrollLimit(SB_VERT));
  if (x == from.x() && y == from.y()) return FALSE;
  if (doScroll) ScrollToPosition(QPoint(x, y));
  return TRUE;
}

void CScrollView::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
  if (bar && bar != GetScrollBarCtrl(SB_HORZ)) return;
  OnScroll(code | (UINT(kNoCode) << 8), pos);
}

void CScrollView::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
  if (bar && bar != GetScrollBarCtrl(SB_VERT)) return;
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
  const int toScroll = -TakeWheelSteps(delta, QApplication::wheelScrollLines());
  const int line = vertical ? line_.height() : line_.width();
  const int page = vertical ? page_.height() : page_.width();
  const int displacement = std::clamp(toScroll * line, -page, page);
  return OnScrollBy(vertical ? QSize(0, displacement) : QSize(displacement, 0), TRUE);
}

void CScrollView::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  UpdateBars();
}
