// A scrolling view that shows one bitmap magnified by a whole zoom factor,
// with a margin, optionally centred, with a focus frame and scrolling by
// keys; and the same view as a child control of a dialog page.
//
// - The view owns its bitmap (SetBitmap takes it; an empty one clears the
//   view).
// - Painting fills the window colour around the bitmap and draws only the
//   exposed part of it, each bitmap pixel a zoom x zoom block (no
//   smoothing). An empty view is a window-colour fill inside a one-pixel
//   black frame.
// - The focus frame is drawn while the view has the focus and no scroll
//   operation runs (a scroll-bar thumb held down, a key scroll).
// - Arrow keys scroll 10 pixels, 50 with Ctrl. A right click shows sub-menu
//   0 of menu `contextMenuId` (none for 0) with its commands' state, and
//   the chosen command goes to the parent window.
#pragma once

#include "platform/Bitmap.h"
#include "platform/ScrollView.h"

class COrvoBitmapScrollView : public CScrollView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoBitmapScrollView(QWidget* parent = nullptr);
  ~COrvoBitmapScrollView() override;

  // Takes the bitmap out of `bitmap` (which is left empty); an empty one
  // clears the view. Always TRUE.
  BOOL SetBitmap(CBitmap&& bitmap);
  void ZoomIn();
  void ZoomOut();
  // Ignored for the current factor or one outside minZoom..maxZoom.
  void SetZoom(int factor);

  const CBitmap& GetBitmap() const { return bitmap_; }
  int GetZoom() const { return zoom_; }
  BOOL IsScrolling() const { return scrolling_; }
  // Where the bitmap lies in the scroll area (document coordinates); empty
  // without a bitmap.
  QRect GetBitmapRect() const;

  void OnDraw(CDC* dc) override;
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override;
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;
  int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) override;

  int border = 4;  // margin around the bitmap, in pixels
  int minZoom = 1;
  int maxZoom = 25;
  // FALSE: the focus frame surrounds the whole scroll area; TRUE: the bitmap.
  BOOL focusAroundBitmap = FALSE;
  // Centre the bitmap when it is smaller than the window.
  BOOL centred = FALSE;
  // TRUE: a mouse press gets a plain window's activation, not a view's.
  BOOL controlActivation = FALSE;
  UINT contextMenuId = 0;  // 0: no context menu

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  // Fills the client area around the bitmap with the window colour.
  void OnEraseBkgnd(CDC* dc);
  void UpdateScrollSizes();

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void scrollMessage(UINT code);
  QRect focusFrameRect() const;

  BOOL scrolling_ = FALSE;
  CBitmap bitmap_;
  int zoom_ = 1;
  int width_ = 0;
  int height_ = 0;
  QRect exposed_;  // the part being painted, in client coordinates
};

// The bitmap view as a child control of a dialog page: the page creates it
// and places it; a mouse press activates it as a view.
class COrvoBitmapControl : public COrvoBitmapScrollView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoBitmapControl(QWidget* parent = nullptr);
  ~COrvoBitmapControl() override;

  // A child of `parent` with control id `id` and window styles `style`
  // (WS_VISIBLE shows it), on a first rectangle of its own, with scroll
  // sizes 0 x 0; FALSE when creation fails.
  BOOL Create(DWORD style, UINT id, CWnd* parent);
  int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) override;
};
