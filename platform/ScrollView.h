// CScrollView: a view larger than its window, with its own scroll bars.
//
// - SetScrollSizes(MM_TEXT, total, page, line): sizes in pixels; a page
//   component of 0 is a tenth of the total, a line component of 0 a tenth
//   of the page. A bar shows while the total exceeds the client extent; the
//   client area (GetClientRect) leaves out the bars.
// - The scroll bars' actions arrive as OnHScroll/OnVScroll with the SB_
//   codes (line, page, top, bottom, thumb track while the thumb is dragged,
//   thumb position when it is let go or set by the bar's own wheel, and
//   SB_ENDSCROLL when the mouse button comes up); the view itself moves the
//   bars through OnScroll and OnScrollBy.
// - OnPrepareDC moves the drawing origin by the scroll position, so OnDraw
//   draws in document coordinates.
// - The wheel (DoMouseWheel) scrolls the vertical bar (else the horizontal
//   one) by the system's wheel lines times the line size, at most a page
//   per notch; with Shift or Ctrl it does nothing. A view inside a splitter
//   leaves the wheel to the splitter.
#pragma once

#include <QSize>

#include "platform/View.h"

class QScrollBar;

enum : int { MM_TEXT = 1 };
enum : int { SB_HORZ = 0, SB_VERT = 1 };
enum : UINT {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_LEFT = 6,
  SB_BOTTOM = 7,
  SB_RIGHT = 7,
  SB_ENDSCROLL = 8,
};
// The wheel delta of one notch.
constexpr int WHEEL_DELTA = 120;
// "Take the default" for the page and line sizes of SetScrollSizes.
inline const QSize sizeDefault(0, 0);

class CScrollView : public CView {
  Q_OBJECT

 public:
  explicit CScrollView(QWidget* parent = nullptr);
  ~CScrollView() override;
  DECLARE_MESSAGE_MAP()

  void SetScrollSizes(int mapMode, QSize total, QSize page = sizeDefault, QSize line = sizeDefault);
  QSize GetTotalSize() const { return total_; }
  void GetDeviceScrollSizes(int& mapMode, QSize& total, QSize& page, QSize& line) const;
  QPoint GetScrollPosition() const;
  // Clamped to the scroll range; repaints when it moved.
  void ScrollToPosition(QPoint position);
  // The view's bar SB_HORZ or SB_VERT (shown or not).
  QScrollBar* GetScrollBarCtrl(int bar) const;
  // Whether the bar is shown.
  BOOL HasScrollBar(int bar) const;

  void GetClientRect(QRect* rect) const override;
  void OnPrepareDC(CDC* dc) override;

  // `scrollCode`: low byte the horizontal SB_ code, high byte the vertical
  // one, 0xFF for none; `pos` the thumb position for SB_THUMBTRACK and
  // SB_THUMBPOSITION. TRUE when the position changed (or would).
  virtual BOOL OnScroll(UINT scrollCode, UINT pos, BOOL doScroll = TRUE);
  // Moves by `distance` within the range; FALSE when nothing would move.
  virtual BOOL OnScrollBy(QSize distance, BOOL doScroll = TRUE);
  // WM_HSCROLL / WM_VSCROLL from the view's own bars.
  virtual void OnHScroll(UINT code, UINT pos, QScrollBar* bar);
  virtual void OnVScroll(UINT code, UINT pos, QScrollBar* bar);
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;
  // The wheel scrolling itself; TRUE when the view scrolled.
  BOOL DoMouseWheel(UINT flags, short delta, QPoint point);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateBars();
  void barAction(QScrollBar* bar, int action);
  void sendScroll(QScrollBar* bar, UINT code, UINT pos);

  QScrollBar* hbar_;
  QScrollBar* vbar_;
  int mapMode_ = 0;
  QSize total_, page_, line_;
};
