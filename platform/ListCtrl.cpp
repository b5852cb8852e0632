#include "platform/ListCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>

#include "charset/Cp1252.h"
#include "platform/DC.h"
#include "platform/ImageList.h"
#include "platform/ScrollWnd.h"
#include "platform/StringCompare.h"

namespace {

enum : int { kDataRole = Qt::UserRole, kImageRole = Qt::UserRole + 1, kStateRole = Qt::UserRole + 2 };

Qt::Alignment alignmentOf(int format) {
  switch (format & 3) {
    case LVCFMT_RIGHT:
      return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

// Either view of the list: mouse input becomes the list's notifications,
// and every paint starts with the list's erase step.
template <class Base>
class CListCtrl::View : public Base {
 public:
  explicit View(CListCtrl* owner) : Base(owner), owner_(owner) {
    Base::setEditTriggers(QAbstractItemView::NoEditTriggers);
    Base::setDragEnabled(false);
    Base::setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    Base::setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      pressed_ = Base::indexAt(event->position().toPoint());
      pressPos_ = event->position().toPoint();
      dragStarted_ = false;
    }
    Base::mousePressEvent(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton) || !pressed_.isValid()) {
      Base::mouseMoveEvent(event);
      return;
    }
    // Dragging an item is the program's to start.
    event->accept();
    if (dragStarted_ || (event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
      return;
    dragStarted_ = true;
    NMLISTVIEW nm;
    nm.iItem = pressed_.row();
    nm.ptAction = pressPos_;
    nm.lParam = LPARAM(owner_->GetItemData(nm.iItem));
    owner_->SendNotify(&nm.hdr, LVN_BEGINDRAG);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    pressed_ = QPersistentModelIndex();
    Base::mouseReleaseEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    NMITEMACTIVATE nm;
    const QModelIndex index = Base::indexAt(event->position().toPoint());
    nm.iItem = index.isValid() ? index.row() : -1;
    nm.iSubItem = index.isValid() ? index.column() : 0;
    nm.ptAction = event->position().toPoint();
    owner_->SendNotify(&nm.hdr, NM_DBLCLK);
  }
  void paintEvent(QPaintEvent* event) override {
    {
      QPainter painter(Base::viewport());
      CDC dc(&painter);
      owner_->OnEraseBkgnd(&dc);
    }
    Base::paintEvent(event);
  }

 private:
  CListCtrl* owner_;
  QPersistentModelIndex pressed_;
  QPoint pressPos_;
  bool dragStarted_ = false;
};

// Images from the list's image lists; without full-row selection only the
// item column shows as selected.
class CListCtrl::Delegate : public QStyledItemDelegate {
 public:
  Delegate(CListCtrl* owner, bool report) : QStyledItemDelegate(owner), owner_(owner), report_(report) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (owner_->dropHilite_.isValid()) {
      if (index.row() == owner_->dropHilite_.row())
        option->state |= QStyle::State_Selected | QStyle::State_Active;
      else
        option->state &= ~QStyle::State_Selected;
    }
    if (report_ && index.column() > 0 && !(owner_->exStyle_ & LVS_EX_FULLROWSELECT))
      option->state &= ~QStyle::State_Selected;
    if (index.column() != 0) return;
    const bool large = !report_ && (owner_->GetStyle() & LVS_TYPEMASK) == LVS_ICON;
    CImageList* images = large ? owner_->normalImages_ : owner_->smallImages_;
    const QVariant image = index.data(kImageRole);
    if (!images || !image.isValid()) return;
    const QPixmap picture = images->GetImage(image.toInt());
    if (picture.isNull()) return;
    option->icon = QIcon(picture);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = picture.size();
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (!report_ || !(owner_->exStyle_ & LVS_EX_GRIDLINES)) return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }

 private:
  CListCtrl* owner_;
  bool report_;
};

const CMessageMap& CListCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CListCtrl>(CWnd::messageMap());
  return map;
}

CListCtrl::CListCtrl(QWidget* parent) : CWnd(parent), model_(new QStandardItemModel(0, 1, this)) {
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  auto* icons = new View<QListView>(this);
  auto* report = new View<QTreeView>(this);
  iconView_ = icons;
  reportView_ = report;
  iconView_->setModel(model_);
  reportView_->setModel(model_);
  QItemSelectionModel* unused = reportView_->selectionModel();
  reportView_->setSelectionModel(iconView_->selectionModel());
  delete unused;
  iconView_->setItemDelegate(new Delegate(this, false));
  reportView_->setItemDelegate(new Delegate(this, true));
  reportView_->setRootIsDecorated(false);
  reportView_->setItemsExpandable(false);
  reportView_->setUniformRowHeights(true);
  reportView_->setAllColumnsShowFocus(true);
  reportView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  reportView_->header()->setStretchLastSection(false);
  reportView_->header()->setMinimumSectionSize(0);
  reportView_->header()->setSectionsMovable(false);
  connect(reportView_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (GetStyle() & LVS_NOSORTHEADER) return;
    NMLISTVIEW nm;
    nm.iSubItem = column;
    SendNotify(&nm.hdr, LVN_COLUMNCLICK);
  });
  connect(model_, &QAbstractItemModel::columnsInserted, this, &CListCtrl::adoptModelColumns);
  connect(model_, &QAbstractItemModel::columnsRemoved, this, &CListCtrl::adoptModelColumns);
  connect(model_, &QAbstractItemModel::headerDataChanged, this, &CListCtrl::adoptModelColumns);
  stack_->addWidget(iconView_);
  stack_->addWidget(reportView_);
  applyMode();
}

CListCtrl::~CListCtrl() = default;

BOOL CListCtrl::Create(DWORD style, const QRect& rect, QWidget* parent, UINT nID) {
  if (!rect.isEmpty()) setGeometry(rect);
  return CWnd::Create(style, parent, nID);
}

DWORD CListCtrl::SetExtendedStyle(DWORD exStyle) {
  const DWORD old = exStyle_;
  exStyle_ = exStyle;
  reportView_->viewport()->update();
  return old;
}

QAbstractItemView* CListCtrl::GetItemView() const {
  return (GetStyle() & LVS_TYPEMASK) == LVS_REPORT ? static_cast<QAbstractItemView*>(reportView_) : iconView_;
}

QTreeView* CListCtrl::GetReportView() const { return reportView_; }
QListView* CListCtrl::GetIconView() const { return iconView_; }

void CListCtrl::GetClientRect(QRect* rect) const {
  if (rect) *rect = QRect(QPoint(0, 0), GetItemView()->viewport()->size());
}

void CListCtrl::OnStyleChanged(DWORD, DWORD) { applyMode(); }

void CListCtrl::applyMode() {
  const DWORD style = GetStyle();
  const DWORD mode = style & LVS_TYPEMASK;
  const auto selection =
      (style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection;
  iconView_->setSelectionMode(selection);
  reportView_->setSelectionMode(selection);
  reportView_->setHeaderHidden(style & LVS_NOCOLUMNHEADER);
  reportView_->header()->setSectionsClickable(!(style & LVS_NOSORTHEADER));
  for (QAbstractItemView* v :
       {static_cast<QAbstractItemView*>(iconView_), static_cast<QAbstractItemView*>(reportView_)})
    static_cast<QFrame*>(v)->setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
  if (mode == LVS_REPORT) {
    if (smallImages_) reportView_->setIconSize(smallImages_->GetImageSize());
    stack_->setCurrentWidget(reportView_);
  } else {
    const bool large = mode == LVS_ICON;
    iconView_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    iconView_->setMovement(QListView::Static);
    iconView_->setDragEnabled(false);
    iconView_->setFlow(mode == LVS_LIST ? QListView::TopToBottom : QListView::LeftToRight);
    iconView_->setWrapping(true);
    // Small icons and lists lay each label out whole.
    iconView_->setUniformItemSizes(false);
    iconView_->setResizeMode((style & LVS_AUTOARRANGE) ? QListView::Adjust : QListView::Fixed);
    iconView_->setSpacing(large ? 4 : 1);
    iconView_->setWordWrap(large);
    CImageList* images = large ? normalImages_ : smallImages_;
    iconView_->setIconSize(images ? images->GetImageSize() : (large ? QSize(32, 32) : QSize(16, 16)));
    // Large icons sit in cells of two label lines, as wide as the platform's.
    const QSize icon = iconView_->iconSize();
    const int labels = 2 * iconView_->fontMetrics().height();
    iconView_->setGridSize(large ? QSize(std::max(icon.width() * 2 + 20, 84), icon.height() + labels + 12) : QSize());
    stack_->setCurrentWidget(iconView_);
  }
  setFocusProxy(GetItemView());
  if (QWidget* focus = QApplication::focusWidget(); focus && (focus == iconView_ || focus == reportView_))
    GetItemView()->setFocus(Qt::OtherFocusReason);
}

void CListCtrl::OnDestroy() {
  DeleteAllItems();
  CWnd::OnDestroy();
}

int CListCtrl::modelColumns() const { return std::max(columns_, 1); }

// Columns added or captioned through the model itself (as the list helpers
// do on the report view) become the list's columns.
void CListCtrl::adoptModelColumns() {
  if (changingColumns_) return;
  columns_ = model_->columnCount();
  headerMade_ = true;
  formats_.resize(size_t(columns_), LVCFMT_LEFT);
}

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width, int) {
  if (column < 0) return -1;
  const QScopedValueRollback<bool> own(changingColumns_, true);
  column = std::min(column, columns_);
  if (columns_ > 0) model_->insertColumn(column);
  ++columns_;
  headerMade_ = true;
  formats_.insert(formats_.begin() + column, format);
  model_->setHeaderData(column, Qt::Horizontal, heading, Qt::DisplayRole);
  model_->setHeaderData(column, Qt::Horizontal, int(alignmentOf(format)), Qt::TextAlignmentRole);
  if (width >= 0) reportView_->header()->resizeSection(column, width);
  return column;
}

BOOL CListCtrl::DeleteColumn(int column) {
  if (column < 0 || column >= columns_) return FALSE;
  const QScopedValueRollback<bool> own(changingColumns_, true);
  if (columns_ > 1)
    model_->removeColumn(column);
  else
    model_->setHeaderData(0, Qt::Horizontal, QVariant(), Qt::DisplayRole);
  formats_.erase(formats_.begin() + column);
  --columns_;
  return TRUE;
}

int CListCtrl::GetColumnWidth(int column) const {
  return column >= 0 && column < modelColumns() ? reportView_->header()->sectionSize(column) : 0;
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= modelColumns() || width < 0) return FALSE;
  reportView_->header()->resizeSection(column, width);
  return TRUE;
}

QHeaderView* CListCtrl::GetHeaderCtrl() const { return headerMade_ ? reportView_->header() : nullptr; }

int CListCtrl::GetItemCount() const { return model_->rowCount(); }

int CListCtrl::InsertItem(int item, const QString& text, int image) {
  return InsertItem(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int item, const QString& text, UINT state, UINT stateMask, int image,
                          LPARAM data) {
  if (item < 0) return -1;
  int row = std::min(item, GetItemCount());
  if ((GetStyle() & LVS_SORTASCENDING) && (mask & LVIF_TEXT)) {
    const std::string key = tallix::toCp1252(text);
    row = 0;
    while (row < GetItemCount() &&
           tallix::CompareTextLocale(tallix::toCp1252(GetItemText(row, 0)).c_str(), key.c_str()) <= 0)
      ++row;
  }
  QList<QStandardItem*> cells;
  for (int c = 0; c < modelColumns(); ++c) {
    auto* cell = new QStandardItem;
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (c < int(formats_.size())) cell->setTextAlignment(alignmentOf(formats_[size_t(c)]));
    cells.append(cell);
  }
  QStandardItem* first = cells.first();
  if (mask & LVIF_TEXT) first->setText(text);
  if ((mask & LVIF_IMAGE) && image >= 0) first->setData(image, kImageRole);
  first->setData(QVariant::fromValue<qulonglong>((mask & LVIF_PARAM) ? DWORD_PTR(data) : 0), kDataRole);
  model_->insertRow(row, cells);
  if ((mask & LVIF_STATE) && stateMask) SetItemState(row, state, stateMask);
  return row;
}

void CListCtrl::notifyDelete(int item) {
  NMLISTVIEW nm;
  nm.iItem = item;
  nm.lParam = LPARAM(GetItemData(item));
  SendNotify(&nm.hdr, LVN_DELETEITEM);
}

BOOL CListCtrl::DeleteItem(int item) {
  if (!validItem(item)) return FALSE;
  notifyDelete(item);
  if (!validItem(item)) return FALSE;
  model_->removeRow(item);
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  for (int i = 0; i < GetItemCount(); ++i) notifyDelete(i);
  model_->removeRows(0, GetItemCount());
  return TRUE;
}

QString CListCtrl::GetItemText(int item, int subItem) const {
  if (!validItem(item) || subItem < 0 || subItem >= modelColumns()) return QString();
  return model_->index(item, subItem).data(Qt::DisplayRole).toString();
}

BOOL CListCtrl::SetItemText(int item, int subItem, const QString& text) {
  if (!validItem(item) || subItem < 0 || subItem >= modelColumns()) return FALSE;
  return model_->setData(model_->index(item, subItem), text, Qt::DisplayRole);
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  return validItem(item) ? DWORD_PTR(model_->index(item, 0).data(kDataRole).toULongLong()) : 0;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  if (!validItem(item)) return FALSE;
  return model_->setData(model_->index(item, 0), QVariant::fromValue<qulonglong>(data), kDataRole);
}

int CListCtrl::GetItemImage(int item) const {
  const QVariant image = validItem(item) ? model_->index(item, 0).data(kImageRole) : QVariant();
  return image.isValid() ? image.toInt() : -1;
}

BOOL CListCtrl::SetItemImage(int item, int image) {
  if (!validItem(item)) return FALSE;
  return model_->setData(model_->index(item, 0), image >= 0 ? QVariant(image) : QVariant(), kImageRole);
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  if (!validItem(item)) return 0;
  const QModelIndex index = model_->index(item, 0);
  QItemSelectionModel* selection = iconView_->selectionModel();
  UINT state = index.data(kStateRole).toUInt() & ~(LVIS_SELECTED | LVIS_FOCUSED);
  if (selection->isSelected(index)) state |= LVIS_SELECTED;
  if (selection->currentIndex().isValid() && selection->currentIndex().row() == item) state |= LVIS_FOCUSED;
  return state & mask;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  if (item == -1) {
    for (int i = 0; i < GetItemCount(); ++i) SetItemState(i, state, mask);
    return TRUE;
  }
  if (!validItem(item)) return FALSE;
  const QModelIndex index = model_->index(item, 0);
  QItemSelectionModel* selection = iconView_->selectionModel();
  if (mask & LVIS_SELECTED) {
    const bool single = GetStyle() & LVS_SINGLESEL;
    if (state & LVIS_SELECTED)
      selection->select(index, (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                   QItemSelectionModel::Rows);
    else
      selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  }
  if (mask & LVIS_FOCUSED) {
    if (state & LVIS_FOCUSED)
      selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else if (selection->currentIndex().row() == item)
      selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  const UINT kept = mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
  if (kept) {
    const UINT old = index.data(kStateRole).toUInt();
    model_->setData(index, (old & ~kept) | (state & kept), kStateRole);
  }
  if (mask & LVIS_DROPHILITED) {
    if (state & LVIS_DROPHILITED)
      dropHilite_ = index;
    else if (dropHilite_ == index)
      dropHilite_ = QPersistentModelIndex();
    GetItemView()->viewport()->update();
  }
  return TRUE;
}

UINT CListCtrl::GetSelectedCount() const { return UINT(iconView_->selectionModel()->selectedRows(0).size()); }

int CListCtrl::GetNextItem(int start, UINT flags) const {
  for (int i = std::max(start + 1, 0); i < GetItemCount(); ++i) {
    const UINT state = GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED);
    if ((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) continue;
    if ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED)) continue;
    return i;
  }
  return -1;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int which) {
  CImageList*& slot = which == LVSIL_SMALL ? smallImages_ : normalImages_;
  CImageList* old = slot;
  slot = list;
  applyMode();
  GetItemView()->viewport()->update();
  return old;
}

CImageList* CListCtrl::GetImageList(int which) const { return which == LVSIL_SMALL ? smallImages_ : normalImages_; }

BOOL CListCtrl::EnsureVisible(int item, BOOL) {
  if (!validItem(item)) return FALSE;
  GetItemView()->scrollTo(model_->index(item, 0), QAbstractItemView::EnsureVisible);
  return TRUE;
}

int CListCtrl::HitTest(QPoint point, UINT* flags) const {
  LVHITTESTINFO info;
  info.pt = point;
  const int item = HitTest(&info);
  if (flags) *flags = info.flags;
  return item;
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const {
  if (!info) return -1;
  const QModelIndex index = GetItemView()->indexAt(info->pt);
  info->iItem = index.isValid() ? index.row() : -1;
  info->iSubItem = index.isValid() ? index.column() : 0;
  if (!index.isValid()) {
    info->flags = LVHT_NOWHERE;
    return -1;
  }
  QRect icon;
  GetItemRect(info->iItem, &icon, LVIR_ICON);
  info->flags = icon.contains(info->pt) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
  return info->iItem;
}

BOOL CListCtrl::GetItemRect(int item, QRect* rect, UINT code) const {
  if (!validItem(item) || !rect) return FALSE;
  QAbstractItemView* view = GetItemView();
  const QModelIndex index = model_->index(item, 0);
  QRect cell = view->visualRect(index);
  const bool report = view == reportView_;
  if (report && (code == LVIR_BOUNDS || code == LVIR_SELECTBOUNDS))
    for (int c = 1; c < modelColumns(); ++c) cell = cell.united(view->visualRect(model_->index(item, c)));
  if (code == LVIR_BOUNDS || code == LVIR_SELECTBOUNDS) {
    *rect = cell;
    return TRUE;
  }
  QStyleOptionViewItem option;
  option.initFrom(view->viewport());
  option.rect = view->visualRect(index);
  option.font = view->font();
  option.text = index.data().toString();
  option.features = QStyleOptionViewItem::HasDisplay;
  option.decorationSize = view->iconSize();
  if (!report && (GetStyle() & LVS_TYPEMASK) == LVS_ICON) {
    option.decorationPosition = QStyleOptionViewItem::Top;
    option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
  }
  if (index.data(kImageRole).isValid()) option.features |= QStyleOptionViewItem::HasDecoration;
  const QStyle::SubElement element =
      code == LVIR_ICON ? QStyle::SE_ItemViewItemDecoration : QStyle::SE_ItemViewItemText;
  *rect = view->style()->subElementRect(element, &option, view);
  return TRUE;
}

int CListCtrl::GetTopIndex() const {
  const DWORD mode = GetStyle() & LVS_TYPEMASK;
  if (mode == LVS_ICON || mode == LVS_SMALLICON) return 0;
  const QModelIndex top = GetItemView()->indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

int CListCtrl::GetCountPerPage() const {
  if ((GetStyle() & LVS_TYPEMASK) != LVS_REPORT) return GetItemCount();
  const int row = GetItemCount() > 0 ? std::max(reportView_->visualRect(model_->index(0, 0)).height(), 1)
                                     : std::max(reportView_->fontMetrics().height(), 1);
  return reportView_->viewport()->height() / row;
}

BOOL CListCtrl::Scroll(QSize size) {
  tallix::ScrollQtAreaBy(GetItemView(), size);
  return TRUE;
}

BOOL CListCtrl::OnEraseBkgnd(CDC*) { return FALSE; }
