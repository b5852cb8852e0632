#include "platform/OleDropTarget.h"

#include "platform/OleDataObject.h"

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
}

QWidget* COleDropTarget::GetWindow() const { return filter_ ? filter_->window.data() : nullptr; }

bool COleDropTarget::handleEvent(QEvent* event) {
  QWidget* window = GetWindow();
  if (!window) return false;
  if (event->type() == QEvent::DragLeave) {
    OnDragLeave(window);
    data_->Release();
    lastEffect_ = DROPEFFECT_NONE;
    event->accept();
    return true;
  }
  auto* e = static_cast<QDropEvent*>(event);
  const QPoint point = e->position().toPoint();
  const DROPEFFECT allowed = effectsOf(e->possibleActions());
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
  e->setAccepted(action != Qt::IgnoreAction);
  return true;
}

DROPEFFECT COleDropTarget::OnDragEnter(QWidget*, COleDataObject*, DWORD, QPoint) { return DROPEFFECT_NONE; }
DROPEFFECT COleDropTarget::OnDragOver(QWidget*, COleDataObject*, DWORD, QPoint) { return DROPEFFECT_NONE; }
void COleDropTarget::OnDragLeave(QWidget*) {}
BOOL COleDropTarget::OnDrop(QWidget*, COleDataObject*, DROPEFFECT, QPoint) { return FALSE; }
DROPEFFECT COleDropTarget::OnDropEx(QWidget*, COleDataObject*, DROPEFFECT, DROPEFFECT, QPoint) { return DROPEFFECT(-1); }
DROPEFFECT COleDropTarget::OnDragScroll(QWidget*, DWORD, QPoint) { return DROPEFFECT_NONE; }
