// COrvoPropertySheet: a property sheet that offers every command to its
// active page first. COrvoChildPropertySheet: that sheet as a child window
// that fills its parent, lays its pages out and translates the main
// window's keyboard accelerators.
//
// Routing: while a page handles a command the sheet offered it (one counter
// for the whole process, kept by a guard so that it is restored also when a
// handler throws), a command that comes back to any sheet, through the
// page's own route to its sheet or the sheet's parent, is not offered to a
// page again; it goes the sheet's own way (its map, its parent, the
// application).
//
// Layout of a child sheet (LayoutInParent, called by OnInitDialog and by the
// owner whenever its size changes): the sheet takes the parent's client
// area; the tab control grows or shrinks with it, keeping at least 6 pixels
// to the parent's right and bottom edges; the active page is placed in
// pageRect, which either follows the page's own rectangle by the same
// difference (inside the tab control, 4 pixels from its right and bottom
// edges), or, with "Common Ctrl"/"Property Page Resize" set, is computed
// from the tab control's size and tab rows. No width or height goes below 0.
//
// Lifetime of a child sheet: once its window was made, destroying the window
// deletes the sheet (later, once the current event is handled); an owner
// that never made the window deletes the sheet itself.
#pragma once

#include "platform/LanguageLibrary.h"
#include "platform/PropertySheet.h"

#include <QRect>

#include <vector>

class COrvoPropertySheet : public CPropertySheet {
  Q_OBJECT

 public:
  COrvoPropertySheet(const QString& caption, QWidget* parent, UINT firstPage);
  ~COrvoPropertySheet() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
};

// Without a run-time class of its own: kind-of checks see a
// COrvoPropertySheet.
class COrvoChildPropertySheet : public COrvoPropertySheet {
 public:
  COrvoChildPropertySheet(const QString& caption, QWidget* parent, UINT firstPage);
  ~COrvoChildPropertySheet() override;
  DECLARE_MESSAGE_MAP()

  // The table whose keys the sheet sends to the main window's route (the
  // main frame's own table); empty for none.
  void SetAccelerators(const std::vector<CAcceleratorEntry>& accelerators);
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL LayoutInParent();
  // Sends the active page WM_SIZE (SIZE_RESTORED) with pageRect's size.
  void ResizeActivePage();
  QRect GetPageRect() const { return pageRect; }
  BOOL GetLayoutFromTabs() const { return layoutFromTabs; }
  void SetLayoutFromTabs(BOOL on) { layoutFromTabs = on; }

  // The arithmetic of LayoutInParent, in the sheet's client coordinates.
  // The tab control's new rectangle for a sheet that changes size by
  // (dx, dy) to fill a parent of parentWidth x parentHeight.
  static QRect TabRectInParent(const QRect& tab, int dx, int dy, int parentWidth, int parentHeight);
  // The page's rectangle from the tab control's size, its tab side, the
  // height of one tab and the row count.
  static QRect PageRectFromTabs(const QSize& tabSize, bool tabsAtBottom, int itemHeight, int rows);
  // The page's rectangle that follows the sheet's change of size, inside
  // the tab control's new rectangle.
  static QRect PageRectFollowing(const QRect& page, int dx, int dy, const QRect& newTab);

 protected:
  BOOL OnInitDialog() override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void PostNcDestroy() override;

  QRect pageRect;
  std::vector<CAcceleratorEntry> accelerators;
  BOOL layoutFromTabs;
};
