#include "platform/TreeCtrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "platform/ImageList.h"
#include "platform/TreeCtrlWidget.h"

namespace {

bool isBelow(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
  for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent())
    if (p == ancestor) return true;
  return false;
}

bool isSpecial(HTREEITEM item) { return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT; }

// Every item of the subtree, children before their parent.
void postOrder(QTreeWidgetItem* item, const std::function<void(QTreeWidgetItem*)>& visit) {
  for (int i = 0; i < item->childCount(); ++i) postOrder(item->child(i), visit);
  visit(item);
}

}  // namespace

const CMessageMap& CTreeCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CTreeCtrl>(CWnd::messageMap());
  return map;
}

CTreeCtrl::CTreeCtrl(QWidget* parent) : CWnd(parent), tree_(new Widget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree_);
  setFocusProxy(tree_);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (!quiet_) caretChanged(tree_->itemFromIndex(previous), tree_->itemFromIndex(current));
          });
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { expansionChanged(item, true); });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { expansionChanged(item, false); });
}

CTreeCtrl::~CTreeCtrl() = default;

BOOL CTreeCtrl::Create(DWORD style, const QRect& rect, QWidget* parent, UINT nID) {
  if (!rect.isEmpty()) setGeometry(rect);
  return CWnd::Create(style, parent, nID);
}

QTreeWidget* CTreeCtrl::GetTreeWidget() const { return tree_; }

void CTreeCtrl::GetClientRect(QRect* rect) const {
  if (rect) *rect = QRect(QPoint(0, 0), tree_->viewport()->size());
}

void CTreeCtrl::OnStyleChanged(DWORD, DWORD style) {
  tree_->setRootIsDecorated(style & TVS_LINESATROOT);
  tree_->setEditTriggers((style & TVS_EDITLABELS)
                             ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                             : QAbstractItemView::NoEditTriggers);
  tree_->setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
}

void CTreeCtrl::OnDestroy() {
  DeleteAllItems();
  CWnd::OnDestroy();
}

TVITEM CTreeCtrl::itemInfo(HTREEITEM item) const {
  TVITEM info;
  info.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  info.hItem = item;
  if (!item) return info;
  info.state = GetItemState(item, ~0u);
  info.stateMask = ~0u;
  info.lParam = LPARAM(GetItemData(item));
  GetItemImage(item, info.iImage, info.iSelectedImage);
  return info;
}

HTREEITEM CTreeCtrl::InsertItem(const QString& text, HTREEITEM parent, HTREEITEM after) {
  return InsertItem(TVIF_TEXT, text, 0, 0, 0, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(const QString& text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after) {
  return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selectedImage, 0, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(UINT mask, const QString& text, int image, int selectedImage, UINT state,
                                UINT stateMask, LPARAM data, HTREEITEM parent, HTREEITEM after) {
  auto* item = new QTreeWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
  item->setData(0, Qt::DisplayRole, (mask & TVIF_TEXT) ? text : QString());
  item->setData(0, kTreeDataRole, QVariant::fromValue<qulonglong>((mask & TVIF_PARAM) ? DWORD_PTR(data) : 0));
  item->setData(0, kTreeImageRole, (mask & TVIF_IMAGE) ? image : 0);
  item->setData(0, kTreeSelectedImageRole, (mask & TVIF_SELECTEDIMAGE) ? selectedImage : 0);
  item->setData(0, kTreeStateRole, 0u);
  if (!insertAt(item, parent, after)) {
    delete item;
    return nullptr;
  }
  if ((mask & TVIF_STATE) && stateMask) SetItemState(item, state, stateMask);
  return item;
}

HTREEITEM CTreeCtrl::insertAt(QTreeWidgetItem* item, HTREEITEM parent, HTREEITEM after) {
  QTreeWidgetItem* p = (!parent || parent == TVI_ROOT) ? nullptr : parent;
  if (p && isSpecial(p)) return nullptr;
  const int count = p ? p->childCount() : tree_->topLevelItemCount();
  auto childAt = [&](int i) { return p ? p->child(i) : tree_->topLevelItem(i); };
  int index = count;
  if (after == TVI_FIRST) {
    index = 0;
  } else if (after == TVI_SORT) {
    const QString text = item->text(0);
    for (int i = 0; i < count; ++i)
      if (QString::localeAwareCompare(childAt(i)->text(0), text) > 0) {
        index = i;
        break;
      }
  } else if (after && after != TVI_LAST) {
    const int at = p ? p->indexOfChild(after) : tree_->indexOfTopLevelItem(after);
    if (at >= 0) index = at + 1;
  }
  ++quiet_;
  if (p)
    p->insertChild(index, item);
  else
    tree_->insertTopLevelItem(index, item);
  --quiet_;
  return item;
}

void CTreeCtrl::notifyDeletes(HTREEITEM item) {
  postOrder(item, [this](QTreeWidgetItem* it) {
    NMTREEVIEW nm;
    nm.itemOld = itemInfo(it);
    SendNotify(&nm.hdr, TVN_DELETEITEM);
  });
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item) {
  if (!item) return FALSE;
  if (item == TVI_ROOT) return DeleteAllItems();
  if (isSpecial(item)) return FALSE;
  notifyDeletes(item);
  if (dropHilite_ && (dropHilite_ == item || isBelow(dropHilite_, item))) setDropHilite(nullptr);
  if (editItem_ && (editItem_ == item || isBelow(editItem_, item))) editItem_ = nullptr;
  HTREEITEM caret = tree_->currentItem();
  const bool caretGoes = caret && (caret == item || isBelow(caret, item));
  // The caret moves to the next item beside the deleted one, else the one
  // before, else the parent.
  HTREEITEM next = nullptr;
  if (caretGoes) {
    next = GetNextSiblingItem(item);
    if (!next) next = GetPrevSiblingItem(item);
    if (!next) next = item->parent();
  }
  ++quiet_;
  if (caretGoes) setCurrentQuietly(nullptr);
  delete item;
  --quiet_;
  if (next) afterCaretRemoved(next);
  return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
  while (tree_->topLevelItemCount() > 0) {
    QTreeWidgetItem* top = tree_->topLevelItem(tree_->topLevelItemCount() - 1);
    notifyDeletes(top);
    ++quiet_;
    delete top;
    --quiet_;
  }
  setDropHilite(nullptr);
  editItem_ = nullptr;
  return TRUE;
}

// The caret item went with a deletion: the caret moves to `next`, as a
// change of unknown cause from no item.
void CTreeCtrl::afterCaretRemoved(HTREEITEM next) {
  const QPersistentModelIndex wanted(tree_->indexFromItem(next));
  NMTREEVIEW nm;
  nm.action = TVC_UNKNOWN;
  nm.itemNew = itemInfo(next);
  if (SendNotify(&nm.hdr, TVN_SELCHANGING) != 0 || !wanted.isValid()) return;
  ++quiet_;
  setCurrentQuietly(next);
  --quiet_;
  nm.itemNew = itemInfo(next);
  SendNotify(&nm.hdr, TVN_SELCHANGED);
}

UINT CTreeCtrl::GetCount() const {
  UINT count = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) ++count;
  return count;
}

UINT CTreeCtrl::GetVisibleCount() const {
  const QTreeWidgetItem* first = tree_->topLevelItem(0);
  const int row = first ? std::max(tree_->visualItemRect(first).height(), 1) : 1;
  return UINT(tree_->viewport()->height() / row);
}

QString CTreeCtrl::GetItemText(HTREEITEM item) const { return item && !isSpecial(item) ? item->text(0) : QString(); }

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const QString& text) {
  if (!item || isSpecial(item)) return FALSE;
  item->setText(0, text);
  return TRUE;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
  return item && !isSpecial(item) ? DWORD_PTR(item->data(0, kTreeDataRole).toULongLong()) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) {
  if (!item || isSpecial(item)) return FALSE;
  item->setData(0, kTreeDataRole, QVariant::fromValue<qulonglong>(data));
  return TRUE;
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const {
  if (!item || isSpecial(item)) return FALSE;
  image = item->data(0, kTreeImageRole).toInt();
  selectedImage = item->data(0, kTreeSelectedImageRole).toInt();
  return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
  if (!item || isSpecial(item)) return FALSE;
  item->setData(0, kTreeImageRole, image);
  item->setData(0, kTreeSelectedImageRole, selectedImage);
  return TRUE;
}

UINT CTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const {
  if (!item || isSpecial(item)) return 0;
  UINT state = item->data(0, kTreeStateRole).toUInt() & ~(TVIS_SELECTED | TVIS_DROPHILITED | TVIS_EXPANDED);
  if (item == tree_->currentItem()) state |= TVIS_SELECTED;
  if (item == dropHilite_) state |= TVIS_DROPHILITED;
  if (item->isExpanded() && item->childCount() > 0) state |= TVIS_EXPANDED;
  return state & mask;
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
  if (!item || isSpecial(item)) return FALSE;
  if (mask & TVIS_EXPANDED) Expand(item, (state & TVIS_EXPANDED) ? TVE_EXPAND : TVE_COLLAPSE);
  if (mask & TVIS_SELECTED) SelectItem((state & TVIS_SELECTED) ? item : nullptr);
  if (mask & TVIS_DROPHILITED) SelectDropTarget((state & TVIS_DROPHILITED) ? item : nullptr);
  const UINT kept = mask & ~(TVIS_SELECTED | TVIS_DROPHILITED | TVIS_EXPANDED);
  const UINT old = item->data(0, kTreeStateRole).toUInt();
  item->setData(0, kTreeStateRole, (old & ~kept) | (state & kept));
  return TRUE;
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const {
  if (item == TVI_ROOT || !item) return tree_->topLevelItemCount() > 0;
  return !isSpecial(item) && item->childCount() > 0;
}

CImageList* CTreeCtrl::SetImageList(CImageList* list, int which) {
  CImageList*& slot = which == TVSIL_STATE ? stateImages_ : normalImages_;
  CImageList* old = slot;
  slot = list;
  if (which != TVSIL_STATE && list && list->GetSafeHandle()) tree_->setIconSize(list->GetImageSize());
  tree_->viewport()->update();
  return old;
}

CImageList* CTreeCtrl::GetImageList(int which) const { return which == TVSIL_STATE ? stateImages_ : normalImages_; }

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
  if (isSpecial(item)) item = nullptr;
  switch (code) {
    case TVGN_ROOT:
      return tree_->topLevelItem(0);
    case TVGN_CARET:
      return tree_->currentItem();
    case TVGN_DROPHILITE:
      return dropHilite_;
    case TVGN_FIRSTVISIBLE:
      return tree_->itemAt(QPoint(1, 1));
    case TVGN_LASTVISIBLE: {
      HTREEITEM last = tree_->topLevelItem(tree_->topLevelItemCount() - 1);
      while (last && last->isExpanded() && last->childCount() > 0) last = last->child(last->childCount() - 1);
      return last;
    }
    case TVGN_CHILD:
      if (!item) return tree_->topLevelItem(0);
      return item->child(0);
    default:
      break;
  }
  if (!item) return nullptr;
  QTreeWidgetItem* parent = item->parent();
  const int index = parent ? parent->indexOfChild(item) : tree_->indexOfTopLevelItem(item);
  auto sibling = [&](int i) -> HTREEITEM {
    if (i < 0) return nullptr;
    return parent ? parent->child(i) : tree_->topLevelItem(i);
  };
  switch (code) {
    case TVGN_NEXT:
      return sibling(index + 1);
    case TVGN_PREVIOUS:
      return sibling(index - 1);
    case TVGN_PARENT:
      return parent;
    case TVGN_NEXTVISIBLE:
      return tree_->itemBelow(item);
    case TVGN_PREVIOUSVISIBLE:
      return tree_->itemAbove(item);
    default:
      return nullptr;
  }
}

BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code) {
  if (!item || isSpecial(item)) return FALSE;
  const bool expand = code == TVE_EXPAND || (code == TVE_TOGGLE && !item->isExpanded());
  ++quiet_;
  item->setExpanded(expand);
  --quiet_;
  // A caret inside a collapsed item moves up to it.
  if (!expand && isBelow(tree_->currentItem(), item)) SelectItem(item);
  return TRUE;
}

BOOL CTreeCtrl::Select(HTREEITEM item, UINT code) {
  switch (code) {
    case TVGN_CARET:
      return SelectItem(item);
    case TVGN_DROPHILITE:
      return SelectDropTarget(item);
    case TVGN_FIRSTVISIBLE:
      return SelectSetFirstVisible(item);
    default:
      return FALSE;
  }
}

void CTreeCtrl::setCurrentQuietly(HTREEITEM item) {
  if (item) {
    tree_->setCurrentItem(item);
    if (dropHilite_) tree_->selectionModel()->clearSelection();
  } else {
    tree_->selectionModel()->clearSelection();
    tree_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
  }
  tree_->viewport()->update();
}

BOOL CTreeCtrl::SelectItem(HTREEITEM item) {
  if (isSpecial(item)) return FALSE;
  HTREEITEM old = tree_->currentItem();
  if (item == old) {
    if (item) EnsureVisible(item);
    return TRUE;
  }
  NMTREEVIEW nm;
  nm.action = TVC_UNKNOWN;
  nm.itemOld = itemInfo(old);
  nm.itemNew = itemInfo(item);
  const QPersistentModelIndex oldStill(tree_->indexFromItem(old)), wanted(tree_->indexFromItem(item));
  if (SendNotify(&nm.hdr, TVN_SELCHANGING) != 0) return FALSE;
  if (item && !wanted.isValid()) return FALSE;
  old = survivingOld(old, oldStill);
  if (old == item) return TRUE;  // the handlers' deletions already moved the caret there
  ++quiet_;
  setCurrentQuietly(item);
  --quiet_;
  if (item) EnsureVisible(item);
  nm.itemOld = itemInfo(old);
  nm.itemNew = itemInfo(item);
  SendNotify(&nm.hdr, TVN_SELCHANGED);
  return TRUE;
}

// The caret before a move: `old` unless the handlers asked about the move
// deleted it (a page filing its edits anew), then wherever that left the
// caret.
HTREEITEM CTreeCtrl::survivingOld(HTREEITEM old, const QPersistentModelIndex& still) const {
  return !old || still.isValid() ? old : tree_->currentItem();
}

BOOL CTreeCtrl::SelectDropTarget(HTREEITEM item) {
  if (isSpecial(item)) return FALSE;
  setDropHilite(item);
  return TRUE;
}

// While an item is drop-highlighted the caret item is drawn plain: Qt's
// selection is taken off it (the caret stays) and given back afterwards.
void CTreeCtrl::setDropHilite(HTREEITEM item) {
  if (dropHilite_ == item) return;
  const bool was = dropHilite_ != nullptr;
  dropHilite_ = item;
  ++quiet_;
  QItemSelectionModel* selection = tree_->selectionModel();
  if (item && !was)
    selection->clearSelection();
  else if (!item && was && selection->currentIndex().isValid())
    selection->select(selection->currentIndex(), QItemSelectionModel::ClearAndSelect);
  --quiet_;
  tree_->viewport()->update();
}

BOOL CTreeCtrl::SelectSetFirstVisible(HTREEITEM item) {
  if (!item || isSpecial(item)) return FALSE;
  tree_->scrollToItem(item, QAbstractItemView::PositionAtTop);
  return TRUE;
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item) {
  if (!item || isSpecial(item)) return FALSE;
  ++quiet_;
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
    if (!p->isExpanded()) p->setExpanded(true);
  --quiet_;
  tree_->scrollToItem(item, QAbstractItemView::EnsureVisible);
  return TRUE;
}

HTREEITEM CTreeCtrl::HitTest(QPoint point, UINT* flags) const {
  TVHITTESTINFO info;
  info.pt = point;
  HTREEITEM item = HitTest(&info);
  if (flags) *flags = info.flags;
  return item;
}

HTREEITEM CTreeCtrl::HitTest(TVHITTESTINFO* info) const {
  if (!info) return nullptr;
  info->hItem = nullptr;
  const QRect client(QPoint(0, 0), tree_->viewport()->size());
  if (!client.contains(info->pt)) {
    info->flags = 0;
    if (info->pt.y() < client.top()) info->flags |= TVHT_ABOVE;
    if (info->pt.y() > client.bottom()) info->flags |= TVHT_BELOW;
    if (info->pt.x() < client.left()) info->flags |= TVHT_TOLEFT;
    if (info->pt.x() > client.right()) info->flags |= TVHT_TORIGHT;
    return nullptr;
  }
  // The row decides; the column spans the width of the client area.
  HTREEITEM item = tree_->itemAt(QPoint(std::min(info->pt.x(), std::max(client.right() - 1, 0)), info->pt.y()));
  if (!item) item = tree_->itemAt(QPoint(1, info->pt.y()));
  if (!item) {
    info->flags = TVHT_NOWHERE;
    return nullptr;
  }
  QRect cell = tree_->visualItemRect(item);
  QRect label;
  GetItemRect(item, &label, TRUE);
  const int iconWidth = normalImages_ ? tree_->iconSize().width() : 0;
  const int iconLeft = label.left() - iconWidth;
  const int x = info->pt.x();
  if (x < iconLeft) {
    const bool onButton = item->childCount() > 0 && x >= cell.left() - tree_->indentation() && x < cell.left();
    info->flags = onButton ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
  } else if (x < label.left()) {
    info->flags = TVHT_ONITEMICON;
  } else if (x <= label.right()) {
    info->flags = TVHT_ONITEMLABEL;
  } else {
    info->flags = TVHT_ONITEMRIGHT;
  }
  info->hItem = item;
  return item;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, QRect* rect, BOOL textOnly) const {
  if (!item || isSpecial(item) || !rect) return FALSE;
  const QRect cell = tree_->visualItemRect(item);
  if (cell.isEmpty()) return FALSE;
  if (!textOnly) {
    *rect = QRect(0, cell.top(), tree_->viewport()->width(), cell.height());
    return TRUE;
  }
  QStyleOptionViewItem option;
  option.initFrom(tree_->viewport());
  option.rect = cell;
  option.font = tree_->font();
  option.text = item->text(0);
  option.features = QStyleOptionViewItem::HasDisplay;
  if (normalImages_) {
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = tree_->iconSize();
  }
  QRect text = tree_->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, tree_);
  const int wanted = QFontMetrics(tree_->font()).horizontalAdvance(item->text(0)) + 6;
  text.setWidth(std::min(text.width(), wanted));
  *rect = text;
  return TRUE;
}

QLineEdit* CTreeCtrl::EditLabel(HTREEITEM item) {
  if (!item || isSpecial(item)) return nullptr;
  EnsureVisible(item);
  tree_->setFocus(Qt::OtherFocusReason);
  editor_ = nullptr;
  if (!tree_->startEdit(tree_->indexFromItem(item))) return nullptr;
  return editItem_ == item ? editor_.data() : nullptr;
}

QLineEdit* CTreeCtrl::GetEditControl() const { return editItem_ ? editor_.data() : nullptr; }

bool CTreeCtrl::beginLabelEdit(HTREEITEM item) {
  NMTVDISPINFO info;
  info.item = itemInfo(item);
  QString text = item->text(0);
  info.item.mask |= TVIF_TEXT;
  info.item.pszText = &text;
  if (SendNotify(&info.hdr, TVN_BEGINLABELEDIT) != 0) return false;
  editItem_ = item;
  editEnded_ = false;
  return true;
}

// TRUE when the edited text is to be taken.
bool CTreeCtrl::endLabelEdit(QString* text) {
  if (!editItem_) return false;
  NMTVDISPINFO info;
  info.item = itemInfo(editItem_);
  info.item.mask |= TVIF_TEXT;
  info.item.pszText = text;
  editEnded_ = true;
  return SendNotify(&info.hdr, TVN_ENDLABELEDIT) != 0 && text;
}

// The user moved the caret from `from` to `to`: the handlers see the old
// caret while they are asked, and a refusal keeps it.
void CTreeCtrl::caretChanged(HTREEITEM from, HTREEITEM to) {
  const UINT action = cause_;
  QPersistentModelIndex wanted(tree_->indexFromItem(to));
  ++quiet_;
  setCurrentQuietly(from);
  --quiet_;
  NMTREEVIEW nm;
  nm.action = action;
  nm.itemOld = itemInfo(from);
  nm.itemNew = itemInfo(to);
  const QPersistentModelIndex fromStill(tree_->indexFromItem(from));
  if (SendNotify(&nm.hdr, TVN_SELCHANGING) != 0) return;
  if (to && !wanted.isValid()) return;
  from = survivingOld(from, fromStill);
  if (from == to) return;
  ++quiet_;
  setCurrentQuietly(to);
  --quiet_;
  nm.itemOld = itemInfo(from);
  nm.itemNew = itemInfo(to);
  SendNotify(&nm.hdr, TVN_SELCHANGED);
}

// After a mouse or key event: the selection is the caret item alone (a
// refused change may have left the clicked item selected).
void CTreeCtrl::afterInput() {
  ++quiet_;
  QItemSelectionModel* selection = tree_->selectionModel();
  const QModelIndex current = selection->currentIndex();
  const QModelIndexList selected = selection->selectedIndexes();
  if (!current.isValid() || dropHilite_) {
    if (!selected.isEmpty()) selection->clearSelection();
  } else if (selected.size() != 1 || selected.first() != current) {
    selection->select(current, QItemSelectionModel::ClearAndSelect);
  }
  --quiet_;
}

void CTreeCtrl::expansionChanged(HTREEITEM item, bool expanded) {
  if (quiet_) return;
  ++quiet_;
  item->setExpanded(!expanded);
  --quiet_;
  const QPersistentModelIndex still(tree_->indexFromItem(item));
  NMTREEVIEW nm;
  nm.action = expanded ? TVE_EXPAND : TVE_COLLAPSE;
  nm.itemNew = itemInfo(item);
  if (SendNotify(&nm.hdr, TVN_ITEMEXPANDING) != 0 || !still.isValid()) return;
  ++quiet_;
  item->setExpanded(expanded);
  --quiet_;
  nm.itemNew = itemInfo(item);
  SendNotify(&nm.hdr, TVN_ITEMEXPANDED);
  if (!expanded && isBelow(tree_->currentItem(), item)) SelectItem(item);
}
