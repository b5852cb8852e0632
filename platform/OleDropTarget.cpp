#include "platform/OleDropTarget.h"

#include "platform/OleDataObject.h"
#include "platform/View.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QPointer>
#include <QWidget>

namespace {

DWORD keyStateOf(const QDropEvent* e) {
  DWORD k = 0;
  const Qt::MouseButtons b = e->buttons();
  if (b & Qt::LeftButton) k |= MK_LBUTTON;
  if (b & Qt::RightButton) k |= MK_RBUTTON;
  if (b & Qt::MiddleButton) k |= MK_MBUTTON;
  const Qt::KeyboardModifiers m = e->modifiers();
  if (m & Qt::ShiftModifier) k |= MK_SHIFT;
  if (m & Qt::ControlModifier) k |= MK_CONTROL;
  if (m & Qt::AltModifier) k |= MK_ALT;
  return k;
}

DROPEFFECT effectsOf(Qt::DropActions actions) {
  DROPEFFECT e = DROPEFFECT_NONE;
  if (actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
  if (actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
  if (actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
  return e;
}

// One Qt action for an effect that may name several: the source's proposal
// when it is among them, else copy, move, link in that order.
Qt::DropAction actionOf(DROPEFFECT effect, Qt::DropAction proposed) {
  if (effectsOf(proposed) & effect) return proposed;
  if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

}  // namespace

class COleDropTarget::EventFilter : public QObject {
 public:
  explicit EventFilter(COleDropTarget* target) : target_(target) {}
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::DragLeave:
      case QEvent::Drop:
        return target_->handleEvent(event);
      default:
        return false;
    }
  }
  QPointer<QWidget> window, viewport;

 private:
  COleDropTarget* target_;
};

COleDropTarget::COleDropTarget() : data_(std::make_unique<COleDataObject>()) {}

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(QWidget* window) {
  if (!window || filter_) return FALSE;
  filter_ = std::make_unique<EventFilter>(this);
  filter_->window = window;
  window->setAcceptDrops(true);
  window->installEventFilter(filter_.get());
  if (auto* area = qobject_cast<QAbstractScrollArea*>(window)) {
    filter_->viewport = area->viewport();
    area->viewport()->setAcceptDrops(true);
    area->viewport()->installEventFilter(filter_.get());
  }
  return TRUE;
}

void COleDropTarget::Revoke() {
  if (!filter_) return;
  for (QWidget* w : {filter_->window.data(), filter_->viewport.data()}) {
    if (!w) continue;
    w->removeEventFilter(filter_.get());
    w->setAcceptDrops(false);
  }
  filter_.reset();
  data_->Release();
  lastEffect_ = DROPEFFECT_NONE;
  allowed_ = DROPEFFECT_NONE;
}

QWidget* COleDropTarget::GetWindow() const { return filter_ ? filter_->window.data() : nullptr; }

bool COleDropTarget::handleEvent(QEvent* event) {
  QWidget* window = GetWindow();
  if (!window) return false;
  if (event->type() == QEvent::DragLeave) {
    OnDragLeave(window);
    data_->Release();
    lastEffect_ = DROPEFFECT_NONE;
    allowed_ = DROPEFFECT_NONE;
    event->accept();
    return true;
  }
  auto* e = static_cast<QDropEvent*>(event);
  const QPoint point = e->position().toPoint();
  const DROPEFFECT allowed = effectsOf(e->possibleActions());
  allowed_ = allowed;
  if (data_->GetMimeData() != e->mimeData()) data_->Attach(e->mimeData(), FALSE);

  if (event->type() == QEvent::Drop) {
    DROPEFFECT effect = DROPEFFECT_NONE;
    if (lastEffect_ == DROPEFFECT_NONE) {
      OnDragLeave(window);
    } else {
      effect = OnDropEx(window, data_.get(), lastEffect_, allowed, point);
      if (effect == DROPEFFECT(-1)) effect = OnDrop(window, data_.get(), lastEffect_, point) ? lastEffect_ : DROPEFFECT_NONE;
      effect &= allowed;
    }
    data_->Release();
    lastEffect_ = DROPEFFECT_NONE;
    allowed_ = DROPEFFECT_NONE;
    const Qt::DropAction action = actionOf(effect, e->proposedAction());
    e->setDropAction(action);
    e->setAccepted(action != Qt::IgnoreAction);
    return true;
  }

  const DWORD keyState = keyStateOf(e);
  DROPEFFECT effect = OnDragScroll(window, keyState, point);
  if (!(effect & DROPEFFECT_SCROLL)) {
    effect = event->type() == QEvent::DragEnter ? OnDragEnter(window, data_.get(), keyState, point)
                                                : OnDragOver(window, data_.get(), keyState, point);
  }
  lastEffect_ = effect & allowed;
  const Qt::DropAction action = actionOf(lastEffect_, e->proposedAction());
  e->setDropAction(action);
  // Qt sends the moves of a drag only to a widget that accepted its enter;
  // the platform asks the target at every move whatever the enter said, so
  // the enter is always taken (its action says whether a drop may happen).
  e->setAccepted(event->type() == QEvent::DragEnter || action != Qt::IgnoreAction);
  return true;
}

namespace {

// The view a drop window belongs to: itself, or the nearest view around it.
CView* viewOf(QWidget* window) {
  for (QWidget* w = window; w; w = w->isWindow() ? nullptr : w->parentWidget())
    if (auto* view = qobject_cast<CView*>(w)) return view;
  return nullptr;
}

}  // namespace

DROPEFFECT COleDropTarget::OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  CView* view = viewOf(window);
  return view ? view->OnDragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  CView* view = viewOf(window);
  return view ? view->OnDragOver(data, keyState, point) : DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(QWidget* window) {
  if (CView* view = viewOf(window)) view->OnDragLeave();
}

BOOL COleDropTarget::OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect, QPoint point) {
  CView* view = viewOf(window);
  return view ? view->OnDrop(data, dropEffect, point) : FALSE;
}

DROPEFFECT COleDropTarget::OnDropEx(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect,
                                    DROPEFFECT allowedEffects, QPoint point) {
  CView* view = viewOf(window);
  return view ? view->OnDropEx(data, dropEffect, allowedEffects, point) : DROPEFFECT(-1);
}

DROPEFFECT COleDropTarget::OnDragScroll(QWidget* window, DWORD keyState, QPoint point) {
  CView* view = viewOf(window);
  return view ? view->OnDragScroll(keyState, point) : DROPEFFECT_NONE;
}
