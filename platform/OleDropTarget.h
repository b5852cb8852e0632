// Drop targets: a window registers a COleDropTarget, and Qt's drag events on
// it arrive at the target's virtual operations with the platform's key state
// and drop effects. Subclasses override what they handle; the base answers
// DROPEFFECT_NONE and refuses drops.
//
// - Drag enter and drag over first ask OnDragScroll; only when its answer
//   lacks DROPEFFECT_SCROLL do OnDragEnter / OnDragOver run.
// - The effect a handler returns is cut to what the drag source allows; none
//   left means the drop is refused at that point. A drag enter is taken
//   even then (with no action), so that the moves that follow still arrive:
//   a target may accept at a later point what it refused at the first.
// - A drop runs OnDropEx, and OnDrop when OnDropEx answers -1 (the base);
//   a drop where the last answer was DROPEFFECT_NONE runs OnDragLeave instead.
// - Points are in the coordinates of the widget that got the event: for a
//   scroll area (tree, list, item views) that is its viewport, which the
//   target registers on as well.
// - The base operations hand the events to the view the window belongs to
//   (the registered window itself or the nearest CView around it, such as
//   the view of a tree control), so that views override CView's OnDragEnter,
//   OnDragOver, ...; without a view they refuse.
#pragma once

#include "platform/WinMessages.h"

#include <QPoint>

#include <memory>

class QWidget;
class QEvent;
class COleDataObject;

using DROPEFFECT = DWORD;
enum : DROPEFFECT {
  DROPEFFECT_NONE = 0,
  DROPEFFECT_COPY = 1,
  DROPEFFECT_MOVE = 2,
  DROPEFFECT_LINK = 4,
  DROPEFFECT_SCROLL = 0x80000000u,
};

class COleDropTarget {
 public:
  COleDropTarget();
  virtual ~COleDropTarget();
  COleDropTarget(const COleDropTarget&) = delete;
  COleDropTarget& operator=(const COleDropTarget&) = delete;

  // Makes `window` accept drops through this target; FALSE for a null window
  // or when the target is registered already.
  BOOL Register(QWidget* window);
  void Revoke();
  QWidget* GetWindow() const;

  virtual DROPEFFECT OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point);
  virtual DROPEFFECT OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point);
  virtual void OnDragLeave(QWidget* window);
  virtual BOOL OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect, QPoint point);
  // -1 lets OnDrop run.
  virtual DROPEFFECT OnDropEx(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect,
                              DROPEFFECT allowedEffects, QPoint point);
  virtual DROPEFFECT OnDragScroll(QWidget* window, DWORD keyState, QPoint point);

  // While a drag is over the window (in the operations above): the effects
  // its source allows; DROPEFFECT_NONE outside a drag.
  DROPEFFECT GetAllowedEffects() const { return allowed_; }

 private:
  class EventFilter;
  friend class EventFilter;
  bool handleEvent(QEvent* event);

  std::unique_ptr<EventFilter> filter_;
  std::unique_ptr<COleDataObject> data_;
  DROPEFFECT lastEffect_ = DROPEFFECT_NONE;
  DROPEFFECT allowed_ = DROPEFFECT_NONE;
};
