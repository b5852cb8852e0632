// The Qt side of CTreeCtrl: the tree widget that shows the items and the
// delegate that draws their images, the drop highlight and label edits.
// Private to TreeCtrl.cpp and TreeCtrlWidget.cpp.
#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "platform/TreeCtrl.h"

// Item data roles of column 0.
enum : int {
  kTreeDataRole = Qt::UserRole,
  kTreeImageRole = Qt::UserRole + 1,
  kTreeSelectedImageRole = Qt::UserRole + 2,
  kTreeStateRole = Qt::UserRole + 3,
};

// The control's items: the item data, images and state in plain fields,
// read and written through the roles above.
class CTreeCtrlItem : public QTreeWidgetItem {
 public:
  QVariant data(int column, int role) const override;
  void setData(int column, int role, const QVariant& value) override;

  DWORD_PTR itemData = 0;
  int image = 0;
  int selectedImage = 0;
  UINT state = 0;
};

class CTreeCtrl::Widget : public QTreeWidget {
 public:
  explicit Widget(CTreeCtrl* owner);
  using QTreeWidget::indexFromItem;
  // Starts editing as EditLabel asks (the label-edit notification first).
  bool startEdit(const QModelIndex& index) { return edit(index, QAbstractItemView::AllEditTriggers, nullptr); }
  using QTreeWidget::itemFromIndex;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  // Runs the base handler as input of `cause`, then keeps the selection
  // on the caret item.
  template <class F>
  void asInput(UINT cause, F&& base);

  CTreeCtrl* owner_;
  QPersistentModelIndex pressed_;
  QPoint pressPos_;
  bool dragStarted_ = false;
};

class CTreeCtrl::Delegate : public QStyledItemDelegate {
 public:
  explicit Delegate(CTreeCtrl* owner) : QStyledItemDelegate(owner), owner_(owner) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  CTreeCtrl* owner_;
};
