// CScrollWnd<Base>: a window with scroll bars, the one way every window of
// the program scrolls (CScrollView, the grid, the property list, ...). Base
// is CWnd or a class derived from it, such as CView.
//
// - The viewport and both bars are those of a QAbstractScrollArea laid over
//   the whole window. The window's paintEvent is called for the viewport's
//   paint events and paints with QPainter(GetViewport()); update() of the
//   window repaints the viewport (which therefore stays see-through: no
//   WA_OpaquePaintEvent or background fill on it). Printing does not go
//   through here.
// - Mouse, wheel, context-menu and drop events over the viewport reach the
//   window's own handlers at the same client coordinates: the viewport sits
//   at (0, 0). GetClientRect is the viewport's rectangle, also while the
//   window is hidden.
// - SetScrollFrame draws a frame around viewport and bars (a line, or a
//   sunken edge). The viewport then sits inside the frame: events arrive in
//   the window's coordinates, and MapToClient turns those into client
//   coordinates.
// - A bar is hidden until ShowScrollBar shows it; ranges never show or hide
//   a bar. EnableScrollBar(bar, ESB_DISABLE_BOTH) keeps a shown bar on screen
//   but out of use (no click, drag or menu of it reaches anybody);
//   SetScrollInfo with SIF_DISABLENOSCROLL does that by itself while the
//   range leaves nothing to scroll.
// - Ranges and pages are those of SCROLLINFO: the position runs from nMin to
//   nMax - nPage + 1 (to nMax with a page of 0).
// - The user's actions on a bar arrive once each as OnHScroll/OnVScroll with
//   the SB_ codes: line and page steps, SB_TOP/SB_BOTTOM, SB_THUMBTRACK with
//   the dragged position while the thumb moves, SB_THUMBPOSITION with the
//   last one when it is let go (or when the bar's own menu moves it), and
//   SB_ENDSCROLL when the mouse button comes up. A bar never moves by
//   itself: the handler moves it with SetScrollPos or SetScrollInfo.
// - The wheel over a bar is the window's wheel (OnMouseWheel).
//   TakeWheelSteps turns wheel deltas into whole steps and carries the rest
//   to the next turn, for fine wheels and touchpads.
#pragma once

#include "platform/Wnd.h"

#include <QObject>
#include <QScrollBar>
#include <QSize>

#include <functional>

class QAbstractScrollArea;
class QPaintEvent;

// The bars' own type, as the scroll handlers receive it.
using CScrollBar = QScrollBar;

enum : int { SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3 };
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
enum : UINT {
  SIF_RANGE = 0x01,
  SIF_PAGE = 0x02,
  SIF_POS = 0x04,
  SIF_DISABLENOSCROLL = 0x08,
  SIF_TRACKPOS = 0x10,
  SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : UINT { ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3 };
enum : int { kScrollFrameNone = 0, kScrollFrameLine = 1, kScrollFrameSunken = 2 };
// The wheel delta of one notch.
constexpr int WHEEL_DELTA = 120;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

namespace tallix {

// Moves the bars of one of Qt's own scrolling widgets (a list or tree
// control's view) by `distance`, within their ranges.
void ScrollQtAreaBy(QAbstractScrollArea* area, QSize distance);

// The SB_ code of a bar's action (a QAbstractSlider::SliderAction): a move
// of the thumb is SB_THUMBTRACK while it is held, else SB_THUMBPOSITION;
// -1 for an action without a code.
int ScrollCodeOfAction(int action, bool sliderDown);

// Hands the user's actions on a scroll bar of a form (not one of a
// CScrollWnd's own) to `handler` as SB_ codes with the wanted position. As
// with a window's own bars, the bar keeps its position: the handler moves
// it. The connection ends with `context`.
void ConnectScrollBarActions(CScrollBar* bar, QObject* context, std::function<void(UINT code, UINT pos)> handler);

// What the scroll bars ask of the window they serve.
class ScrollClient {
 public:
  virtual void ScrollAction(int bar, UINT code, UINT pos) = 0;
  virtual void PaintViewport(QPaintEvent* event) = 0;

 protected:
  ~ScrollClient() = default;
};

// The bars and viewport of one window; CScrollWnd is its surface.
class ScrollBars : public QObject {
  Q_OBJECT

 public:
  ScrollBars(QWidget* host, ScrollClient* client);
  ~ScrollBars() override;

  int SetScrollPos(int bar, int pos);
  int GetScrollPos(int bar) const;
  void SetScrollRange(int bar, int min, int max);
  void GetScrollRange(int bar, int* min, int* max) const;
  BOOL SetScrollInfo(int bar, const SCROLLINFO* info);
  BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const;
  // The largest position the range allows.
  int GetScrollLimit(int bar) const;
  void ShowScrollBar(UINT bar, BOOL show);
  BOOL IsShown(int bar) const;
  BOOL EnableScrollBar(int bar, UINT arrows);
  CScrollBar* Bar(int bar) const;
  // The thickness of a bar, as it takes room from the viewport.
  int Extent(int bar) const;
  QWidget* Viewport() const;
  void ClientRect(QRect* rect) const;
  void SetFrame(int frame);
  QPoint MapToClient(QPoint windowPoint) const;
  int TakeWheelSteps(int delta, int perNotch);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Range {
    int min = 0, max = 0;
    UINT page = 0;
    int track = 0;
  };
  static int index(int bar) { return bar == SB_HORZ ? 0 : 1; }
  // Lays the area over the whole window now, also while it is hidden.
  void fit() const;
  void applyRange(int bar);
  void barAction(int bar, int action);
  void send(int bar, UINT code, UINT pos);

  QWidget* host_;
  ScrollClient* client_;
  QAbstractScrollArea* area_;
  Range ranges_[2];
  int wheelRest_ = 0;
};

}  // namespace tallix

template <class Base>
class CScrollWnd : public Base, private tallix::ScrollClient {
 public:
  explicit CScrollWnd(QWidget* parent = nullptr) : Base(parent), bars_(this, this) {}

  // The previous position; the new one is kept within the range.
  int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) {
    (void)redraw;
    return bars_.SetScrollPos(bar, pos);
  }
  int GetScrollPos(int bar) const { return bars_.GetScrollPos(bar); }
  void SetScrollRange(int bar, int min, int max, BOOL redraw = TRUE) {
    (void)redraw;
    bars_.SetScrollRange(bar, min, max);
  }
  void GetScrollRange(int bar, int* min, int* max) const { bars_.GetScrollRange(bar, min, max); }
  // Takes the parts of `info` its fMask names.
  BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE) {
    (void)redraw;
    return bars_.SetScrollInfo(bar, info);
  }
  BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const {
    return bars_.GetScrollInfo(bar, info, mask);
  }
  int GetScrollLimit(int bar) const { return bars_.GetScrollLimit(bar); }
  // SB_HORZ, SB_VERT or SB_BOTH.
  void ShowScrollBar(UINT bar, BOOL show = TRUE) { bars_.ShowScrollBar(bar, show); }
  // Whether the bar is shown (enabled or not).
  BOOL HasScrollBar(int bar) const { return bars_.IsShown(bar); }
  // FALSE when the bar was in that state already.
  BOOL EnableScrollBar(int bar, UINT arrows = ESB_ENABLE_BOTH) { return bars_.EnableScrollBar(bar, arrows); }
  CScrollBar* GetScrollBarCtrl(int bar) const { return bars_.Bar(bar); }
  int GetScrollBarExtent(int bar) const { return bars_.Extent(bar); }
  // Where painting goes.
  QWidget* GetViewport() const { return bars_.Viewport(); }
  // kScrollFrameNone, kScrollFrameLine or kScrollFrameSunken.
  void SetScrollFrame(int frame) { bars_.SetFrame(frame); }
  // A point of the window (as its events give it) in client coordinates.
  QPoint MapToClient(QPoint windowPoint) const { return bars_.MapToClient(windowPoint); }
  void GetClientRect(QRect* rect) const override { bars_.ClientRect(rect); }

 protected:
  // The user's actions on the bars (see above); the base does nothing.
  virtual void OnHScroll(UINT code, UINT pos, CScrollBar* bar) { (void)code, (void)pos, (void)bar; }
  virtual void OnVScroll(UINT code, UINT pos, CScrollBar* bar) { (void)code, (void)pos, (void)bar; }
  // Whole steps of `delta` with `perNotch` steps a notch, positive away from
  // the user; what does not make a whole step waits for the next turn.
  int TakeWheelSteps(int delta, int perNotch) { return bars_.TakeWheelSteps(delta, perNotch); }

 private:
  void ScrollAction(int bar, UINT code, UINT pos) final {
    if (this->IsDestroyed()) return;
    if (bar == SB_HORZ)
      OnHScroll(code, pos, GetScrollBarCtrl(bar));
    else
      OnVScroll(code, pos, GetScrollBarCtrl(bar));
  }
  void PaintViewport(QPaintEvent* event) final { this->paintEvent(event); }

  tallix::ScrollBars bars_;
};
