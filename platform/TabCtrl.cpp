#include "platform/TabCtrl.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace {
constexpr int kSideInset = 4;   // display area to the control's sides
constexpr int kFarInset = 4;    // display area to the edge away from the tabs
constexpr int kTabsInset = 10;  // display area to the tab row
}  // namespace

const CMessageMap& CTabCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CTabCtrl>(CWnd::messageMap());
  return map;
}

CTabCtrl::CTabCtrl(QWidget* parent) : CWnd(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  bar_->setUsesScrollButtons(true);
  connect(bar_, &QTabBar::currentChanged, this, &CTabCtrl::onCurrentChanged);
  placeBar();
}

CTabCtrl::~CTabCtrl() = default;

int CTabCtrl::InsertItem(int index, const QString& text) {
  if (index < 0 || index > bar_->count()) return -1;
  const QSignalBlocker quiet(bar_);
  const int at = bar_->insertTab(index, text);
  curSel_ = bar_->currentIndex();
  placeBar();
  return at;
}

BOOL CTabCtrl::DeleteItem(int index) {
  if (index < 0 || index >= bar_->count()) return FALSE;
  const QSignalBlocker quiet(bar_);
  bar_->removeTab(index);
  curSel_ = bar_->currentIndex();
  placeBar();
  return TRUE;
}

int CTabCtrl::GetItemCount() const { return bar_->count(); }

BOOL CTabCtrl::SetItem(int index, const TCITEM* item) {
  if (!item || index < 0 || index >= bar_->count()) return FALSE;
  if (item->mask & TCIF_TEXT) bar_->setTabText(index, item->pszText);
  placeBar();
  return TRUE;
}

BOOL CTabCtrl::GetItem(int index, TCITEM* item) const {
  if (!item || index < 0 || index >= bar_->count()) return FALSE;
  if (item->mask & TCIF_TEXT) item->pszText = bar_->tabText(index);
  return TRUE;
}

BOOL CTabCtrl::GetItemRect(int index, QRect* rect) const {
  if (!rect || index < 0 || index >= bar_->count()) return FALSE;
  *rect = bar_->tabRect(index).translated(bar_->pos());
  return TRUE;
}

int CTabCtrl::GetCurSel() const { return curSel_; }

int CTabCtrl::SetCurSel(int index) {
  if (index < 0 || index >= bar_->count()) return -1;
  const int previous = curSel_;
  const QSignalBlocker quiet(bar_);
  bar_->setCurrentIndex(index);
  curSel_ = index;
  return previous;
}

void CTabCtrl::ModifyStyle(DWORD remove, DWORD add) {
  style_ = (style_ & ~remove) | add;
  bar_->setShape((style_ & TCS_BOTTOM) ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
  placeBar();
  update();
}

int CTabCtrl::tabRowHeight() const {
  if (bar_->count() > 0) return bar_->tabRect(0).height();
  return bar_->fontMetrics().height() + 10;
}

void CTabCtrl::AdjustRect(BOOL larger, QRect* rect) const {
  if (!rect) return;
  const int row = tabRowHeight() * GetRowCount();
  const int nearInset = row + kTabsInset;
  const int top = (style_ & TCS_BOTTOM) ? kFarInset : nearInset;
  const int bottom = (style_ & TCS_BOTTOM) ? nearInset : kFarInset;
  if (larger) rect->adjust(-kSideInset, -top, kSideInset, bottom);
  else rect->adjust(kSideInset, top, -kSideInset, -bottom);
}

void CTabCtrl::placeBar() {
  const int h = tabRowHeight();
  const int y = (style_ & TCS_BOTTOM) ? height() - h : 0;
  bar_->setGeometry(2, y, qMax(0, width() - 4), h);
}

void CTabCtrl::resizeEvent(QResizeEvent* event) {
  CWnd::resizeEvent(event);
  placeBar();
}

void CTabCtrl::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  const int row = tabRowHeight();
  frame.rect = (style_ & TCS_BOTTOM) ? rect().adjusted(0, 0, 0, -(row - overlap)) : rect().adjusted(0, row - overlap, 0, 0);
  frame.shape = bar_->shape();
  frame.tabBarSize = bar_->size();
  frame.tabBarRect = bar_->geometry();
  frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

LRESULT CTabCtrl::notifyParent(int code) {
  CWnd* parent = GetParent();
  if (!parent) return 0;
  NMHDR header;
  header.hwndFrom = this;
  header.idFrom = UINT_PTR(GetDlgCtrlID());
  header.code = code;
  return parent->SendMessage(WM_NOTIFY, WPARAM(header.idFrom), reinterpret_cast<LPARAM>(&header));
}

void CTabCtrl::onCurrentChanged(int index) {
  if (quiet_ || index == curSel_) return;
  QPointer<CTabCtrl> self(this);
  quiet_ = true;
  const LRESULT refused = curSel_ >= 0 ? notifyParent(TCN_SELCHANGING) : 0;
  if (!self) return;
  quiet_ = false;
  if (refused) {
    const QSignalBlocker block(bar_);
    bar_->setCurrentIndex(curSel_);
    return;
  }
  curSel_ = index;
  notifyParent(TCN_SELCHANGE);
}
