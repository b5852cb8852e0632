// CScrollView: a view larger than its window, on the scroll bars of
// CScrollWnd.
//
// - SetScrollSizes(MM_TEXT, total, page, line): sizes in pixels; a page
//   component of 0 is a tenth of the total, a line component of 0 a tenth
//   of the page. A bar shows while the total exceeds the client extent; the
//   client area (GetClientRect) leaves out the bars.
// - The bars' actions arrive as OnHScroll/OnVScroll with the SB_ codes; the
//   view moves by them through OnScroll and OnScrollBy.
// - OnPrepareDC moves the drawing origin by the scroll position, so OnDraw
//   draws in document coordinates.
// - The wheel (DoMouseWheel) scrolls the vertical bar (else the horizontal
//   one) by the system's wheel lines times the line size, at most a page
//   per notch; with Shift or Ctrl it does nothing. A view inside a splitter
//   leaves the wheel to the splitter.
#pragma once

#include <QSize>

#include "platform/ScrollWnd.h"
#include "platform/View.h"

enum : int { MM_TEXT = 1 };
// "Take the default" for the page and line sizes of SetScrollSizes.
inline const QSize sizeDefault(0, 0);

class CScrollView : public CScrollWnd<CView> {
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

  void OnPrepareDC(CDC* dc) override;

  // `scrollCode`: low byte the horizontal SB_ code, high byte the vertical
  // one, 0xFF for none; `pos` the thumb position for SB_THUMBTRACK and
  // SB_THUMBPOSITION. TRUE when the position changed (or would).
  virtual BOOL OnScroll(UINT scrollCode, UINT pos, BOOL doScroll = TRUE);
  // Moves by `distance` within the range; FALSE when nothing would move.
  virtual BOOL OnScrollBy(QSize distance, BOOL doScroll = TRUE);
  // WM_HSCROLL / WM_VSCROLL from the view's own bars.
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override;
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;
  // The wheel scrolling itself; TRUE when the view scrolled.
  BOOL DoMouseWheel(UINT flags, short delta, QPoint point);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateBars();

  int mapMode_ = 0;
  QSize total_, page_, line_;
};
