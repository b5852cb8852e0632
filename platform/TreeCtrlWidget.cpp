#include "platform/TreeCtrlWidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

#include "platform/ImageList.h"

CTreeCtrl::Widget::Widget(CTreeCtrl* owner) : QTreeWidget(owner), owner_(owner) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setItemDelegate(new Delegate(owner));
}

template <class F>
void CTreeCtrl::Widget::asInput(UINT cause, F&& base) {
  QPointer<CTreeCtrl> owner(owner_);
  const UINT before = owner_->cause_;
  owner_->cause_ = cause;
  base();
  if (!owner) return;
  owner_->cause_ = before;
  owner_->afterInput();
}

void CTreeCtrl::Widget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // A right click leaves the caret where it is; NM_RCLICK follows on
    // release.
    setFocus(Qt::MouseFocusReason);
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    pressed_ = indexAt(event->position().toPoint());
    pressPos_ = event->position().toPoint();
    dragStarted_ = false;
  }
  asInput(TVC_BYMOUSE, [&] { QTreeWidget::mousePressEvent(event); });
}

void CTreeCtrl::Widget::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  // A drag with the left button is the program's to start; the tree does
  // not select along the way.
  event->accept();
  if (dragStarted_ || !pressed_.isValid() || (owner_->GetStyle() & TVS_DISABLEDRAGDROP)) return;
  if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) return;
  dragStarted_ = true;
  NMTREEVIEW nm;
  nm.itemNew = owner_->itemInfo(itemFromIndex(pressed_));
  nm.ptDrag = pressPos_;
  owner_->SendNotify(&nm.hdr, TVN_BEGINDRAG);
}

void CTreeCtrl::Widget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    NMHDR header;
    owner_->SendNotify(&header, NM_RCLICK);
    return;
  }
  pressed_ = QPersistentModelIndex();
  asInput(TVC_BYMOUSE, [&] { QTreeWidget::mouseReleaseEvent(event); });
}

void CTreeCtrl::Widget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  QPointer<Widget> self(this);
  NMHDR header;
  if (owner_->SendNotify(&header, NM_DBLCLK) != 0 || !self) return;
  asInput(TVC_BYMOUSE, [&] { QTreeWidget::mouseDoubleClickEvent(event); });
}

void CTreeCtrl::Widget::keyPressEvent(QKeyEvent* event) {
  asInput(TVC_BYKEYBOARD, [&] { QTreeWidget::keyPressEvent(event); });
}

bool CTreeCtrl::Widget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  const bool starts = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
  if (!starts || state() == QAbstractItemView::EditingState || !index.isValid())
    return QTreeWidget::edit(index, trigger, event);
  if (!owner_->beginLabelEdit(itemFromIndex(index))) return false;
  if (QTreeWidget::edit(index, trigger, event)) return true;
  owner_->editItem_ = nullptr;
  return false;
}

void CTreeCtrl::Widget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (owner_->editItem_ && !owner_->editEnded_) owner_->endLabelEdit(nullptr);
  owner_->editItem_ = nullptr;
  owner_->editEnded_ = false;
  QTreeWidget::closeEditor(editor, hint);
}

QWidget* CTreeCtrl::Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  owner_->editor_ = qobject_cast<QLineEdit*>(editor);
  return editor;
}

void CTreeCtrl::Delegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  QString text = line ? line->text() : QString();
  if (owner_->endLabelEdit(&text)) model->setData(index, text, Qt::DisplayRole);
}

void CTreeCtrl::Delegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  HTREEITEM item = owner_->tree_->itemFromIndex(index);
  if (!item) return;
  if (CImageList* images = owner_->normalImages_) {
    const bool caret = item == owner_->tree_->currentItem();
    const QPixmap picture = images->GetImage(index.data(caret ? kTreeSelectedImageRole : kTreeImageRole).toInt());
    if (!picture.isNull()) {
      option->icon = QIcon(picture);
      option->features |= QStyleOptionViewItem::HasDecoration;
      option->decorationSize = picture.size();
    }
  }
  if (owner_->dropHilite_) {
    if (item == owner_->dropHilite_)
      option->state |= QStyle::State_Selected | QStyle::State_Active;
    else
      option->state &= ~QStyle::State_Selected;
  }
  if (index.data(kTreeStateRole).toUInt() & TVIS_BOLD) option->font.setBold(true);
}
