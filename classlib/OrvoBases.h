// The maker's small window bases: a view that draws nothing, a splitter
// that hands the mouse wheel to all its scrolling panes, and the tool-bar
// and status-bar bases. RegisterOrvoWindowClasses makes the class library's
// window classes creatable by name.
#pragma once

#include "platform/SplitterWnd.h"
#include "platform/StatusBar.h"
#include "platform/ToolBar.h"
#include "platform/View.h"

// A view whose OnDraw draws nothing; its destructor (the view's) takes it
// out of its document.
class COrvoBaseView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoBaseView(QWidget* parent = nullptr);
  ~COrvoBaseView() override;
  void OnDraw(CDC* dc) override;
};

// One wheel turn scrolls every CScrollView pane by the same amount (each
// pane has its own bars here, so nothing is set back); other panes are left
// alone. Always TRUE.
class COrvoSplitterWnd : public CSplitterWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoSplitterWnd(QWidget* parent = nullptr);
  ~COrvoSplitterWnd() override;
  DECLARE_MESSAGE_MAP()
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;
};

class COrvoStatusBar : public CStatusBar {
  Q_OBJECT

 public:
  explicit COrvoStatusBar(QWidget* parent = nullptr);
  ~COrvoStatusBar() override;
  DECLARE_MESSAGE_MAP()
};

class COrvoToolBar : public CToolBar {
  Q_OBJECT

 public:
  explicit COrvoToolBar(QWidget* parent = nullptr);
  ~COrvoToolBar() override;
  DECLARE_MESSAGE_MAP()
};

// Registers COrvoBaseView, COrvoListCtrl, COrvoSplitterWnd, COrvoTreeView,
// COrvoTreeViewDragDrop, COrvoBitmapScrollView and COrvoBitmapControl (and
// the platform's CTreeView) by class name.
void RegisterOrvoWindowClasses();
