// The maker's tree views: COrvoTreeView lets a subclass set its tree up
// when the view is created (OnCreateTree); COrvoTreeViewDragDrop is also a
// drop target with drop highlighting and automatic scrolling while
// something is dragged over it.
//
// Drag feedback of COrvoTreeViewDragDrop: idle (no timer, no highlight);
// dragging over an item where CanDropAt accepts the data (the item
// highlighted apart from the selection, timer 1562 ticking every 250 ms);
// idle again on leave, drop or destruction. Each tick scrolls by one item
// when the last drag position (GetMessagePos) lies within one item height
// of the top or bottom edge. Internet shortcuts are offered a copy; a
// subclass that performs drops overrides OnDrop and calls EndDragFeedback.
#pragma once

#include "platform/OleDropTarget.h"
#include "platform/TreeView.h"

class COleDataObject;

class COrvoTreeView : public CTreeView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoTreeView(QWidget* parent = nullptr);
  ~COrvoTreeView() override;
  DECLARE_MESSAGE_MAP()

  // Called once the tree control exists, during creation; FALSE makes the
  // creation fail. The base answers TRUE.
  virtual BOOL OnCreateTree();

 protected:
  // The tree view's creation (with a border), then OnCreateTree.
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
};

class COrvoTreeViewDragDrop : public COrvoTreeView {
  Q_OBJECT

 public:
  static constexpr UINT_PTR kScrollTimerId = 1562;
  static constexpr UINT kScrollPeriodMs = 250;

  Q_INVOKABLE explicit COrvoTreeViewDragDrop(QWidget* parent = nullptr);
  ~COrvoTreeViewDragDrop() override;
  DECLARE_MESSAGE_MAP()

  // May `data` be dropped at `point` (client coordinates of the tree)? The
  // base answers FALSE.
  virtual BOOL CanDropAt(COleDataObject* data, DWORD keyState, QPoint point);

  // COPY for an acceptable Internet shortcut, else NONE.
  DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) override;
  // Where CanDropAt accepts: highlights the item under the point (NONE when
  // there is none) and runs the scroll timer; COPY with Ctrl, else MOVE.
  // Elsewhere COPY for an acceptable Internet shortcut, else NONE.
  DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) override;
  void OnDragLeave() override;
  // Ends the feedback; TRUE.
  BOOL OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint point) override;
  // Stops the scroll timer and removes the drop highlight.
  void EndDragFeedback();
  void OnTimer(UINT_PTR id) override;
  // One tick of the automatic scrolling.
  void AutoScrollStep();

  BOOL registerAsDropTarget = TRUE;  // cleared before creation: no drops
  UINT_PTR scrollTimer = 0;          // 0 while the timer does not run
  COleDropTarget dropTarget;

 protected:
  // Registers the drop target on the tree when registerAsDropTarget is set.
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  // Stops the scroll timer and the drops first.
  void OnDestroy() override;
  void OnBeginDrag(NMHDR* header, LRESULT* result);
};
