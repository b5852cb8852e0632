#include "platform/SplitterWnd.h"

#include <QApplication>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/FrameWnd.h"
#include "platform/ScrollView.h"

namespace {

constexpr int kMaxPanes = 16;
constexpr int kKeyStep = 8;  // pixels an arrow key moves a bar

// Sizes for `count` panes in `total` pixels: the ideal size of each but the
// last, the last the rest.
QList<int> laidOut(const std::vector<int>& ideal, int total) {
  QList<int> sizes;
  int used = 0;
  for (size_t i = 0; i + 1 < ideal.size(); ++i) {
    const int s = std::clamp(ideal[i], 0, std::max(total - used, 0));
    sizes.append(s);
    used += s;
  }
  sizes.append(std::max(total - used, 0));
  return sizes;
}

// Moves the first bar of `splitter` by `delta` pixels.
void moveFirstBar(QSplitter* splitter, int delta) {
  QList<int> sizes = splitter->sizes();
  if (sizes.size() < 2) return;
  const int sum = sizes[0] + sizes[1];
  sizes[0] = std::clamp(sizes[0] + delta, 0, sum);
  sizes[1] = sum - sizes[0];
  splitter->setSizes(sizes);
}

}  // namespace

const CMessageMap& CSplitterWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CSplitterWnd>(CWnd::messageMap());
  return map;
}

CSplitterWnd::CSplitterWnd(QWidget* parent) : CWnd(parent) {}

CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(QWidget* parent, int rows, int cols, DWORD style, UINT nID) {
  if (outer_ || rows < 1 || cols < 1 || rows > kMaxPanes || cols > kMaxPanes) return FALSE;
  rows_ = rows;
  cols_ = cols;
  panes_.assign(size_t(rows * cols), nullptr);
  colIdeal_.assign(size_t(cols), 0);
  colMin_.assign(size_t(cols), 0);
  rowIdeal_.assign(size_t(rows), 0);
  rowMin_.assign(size_t(rows), 0);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  outer_ = new QSplitter(Qt::Vertical, this);
  outer_->setChildrenCollapsible(false);
  layout->addWidget(outer_);
  for (int r = 0; r < rows; ++r) {
    auto* row = new QSplitter(Qt::Horizontal, outer_);
    row->setChildrenCollapsible(false);
    for (int c = 0; c < cols; ++c) {
      row->addWidget(new QWidget(row));
      row->setStretchFactor(c, c + 1 == cols ? 1 : 0);
    }
    outer_->addWidget(row);
    outer_->setStretchFactor(r, r + 1 == rows ? 1 : 0);
    // Every row keeps the columns of the first.
    connect(row, &QSplitter::splitterMoved, this, [this, row] {
      for (int other = 0; other < rows_; ++other)
        if (rowSplitter(other) != row) rowSplitter(other)->setSizes(row->sizes());
    });
  }
  return Create(style, parent, nID);
}

QSplitter* CSplitterWnd::rowSplitter(int row) const {
  return outer_ && row >= 0 && row < rows_ ? static_cast<QSplitter*>(outer_->widget(row)) : nullptr;
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* viewClass, QSize sizeInit,
                              CCreateContext* context) {
  QSplitter* line = rowSplitter(row);
  if (!line || col < 0 || col >= cols_ || GetPane(row, col)) return FALSE;
  QObject* object = CreateObject(viewClass);
  auto* pane = qobject_cast<CWnd*>(object);
  if (!pane) {
    delete object;
    return FALSE;
  }
  colIdeal_[size_t(col)] = sizeInit.width();
  rowIdeal_[size_t(row)] = sizeInit.height();
  delete line->replaceWidget(col, pane);
  CCreateContext fallback{viewClass, nullptr};
  QPointer<CWnd> guard(pane);
  if (!pane->Create(WS_CHILD | WS_VISIBLE, line, UINT(IdFromRowCol(row, col)), context ? context : &fallback)) {
    // A window that refused its creation destroyed itself and left the
    // splitter (a view deletes itself, any other window is deleted here).
    if (guard && !qobject_cast<CView*>(guard)) delete guard;
    if (line->count() < cols_)
      line->insertWidget(col, new QWidget);
    else if (guard)
      line->replaceWidget(col, new QWidget);
    return FALSE;
  }
  panes_[size_t(row * cols_ + col)] = pane;
  // The stretch lives in the pane's size policy: the new pane takes it over.
  line->setStretchFactor(col, col + 1 == cols_ ? 1 : 0);
  return TRUE;
}

void CSplitterWnd::DeleteView(int row, int col) {
  CWnd* pane = GetPane(row, col);
  QSplitter* line = rowSplitter(row);
  if (!pane || !line) return;
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == pane) frame->SetActiveView(nullptr);
  panes_[size_t(row * cols_ + col)] = nullptr;
  line->replaceWidget(col, new QWidget);
  pane->setParent(this);
  pane->DestroyWindow();
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return nullptr;
  return panes_[size_t(row * cols_ + col)];
}

BOOL CSplitterWnd::IsChildPane(const QWidget* window, int* row, int* col) const {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c)
      if (window && GetPane(r, c) == window) {
        if (row) *row = r;
        if (col) *col = c;
        return TRUE;
      }
  return FALSE;
}

void CSplitterWnd::SetColumnInfo(int col, int ideal, int min) {
  if (col < 0 || col >= cols_) return;
  colIdeal_[size_t(col)] = std::max(ideal, 0);
  colMin_[size_t(col)] = std::max(min, 0);
}

void CSplitterWnd::GetColumnInfo(int col, int& current, int& min) const {
  current = min = 0;
  if (col < 0 || col >= cols_) return;
  current = rowSplitter(0)->sizes().value(col);
  min = colMin_[size_t(col)];
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int min) {
  if (row < 0 || row >= rows_) return;
  rowIdeal_[size_t(row)] = std::max(ideal, 0);
  rowMin_[size_t(row)] = std::max(min, 0);
}

void CSplitterWnd::GetRowInfo(int row, int& current, int& min) const {
  current = min = 0;
  if (row < 0 || row >= rows_) return;
  current = outer_->sizes().value(row);
  min = rowMin_[size_t(row)];
}

void CSplitterWnd::RecalcLayout() {
  if (!outer_) return;
  const int handle = rowSplitter(0)->handleWidth();
  const int width = std::max(this->width() - handle * (cols_ - 1), 0);
  const int height = std::max(this->height() - outer_->handleWidth() * (rows_ - 1), 0);
  const QList<int> columns = laidOut(colIdeal_, width);
  for (int r = 0; r < rows_; ++r) rowSplitter(r)->setSizes(columns);
  outer_->setSizes(laidOut(rowIdeal_, height));
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* window) {
  CWnd* pane = window ? window : GetPane(row, col);
  if (!pane) return;
  if (auto* view = qobject_cast<CView*>(pane); view && GetParentFrame()) GetParentFrame()->SetActiveView(view);
  pane->SetFocus();
}

CWnd* CSplitterWnd::GetActivePane(int* row, int* col) {
  CWnd* active = nullptr;
  if (CFrameWnd* frame = GetParentFrame()) active = frame->GetActiveView();
  if (!active || !IsChildPane(active, nullptr, nullptr)) {
    active = nullptr;
    for (QWidget* w = QApplication::focusWidget(); w && w != this; w = w->parentWidget())
      if (IsChildPane(w, nullptr, nullptr)) {
        active = CWnd::FromHandle(w);
        break;
      }
  }
  if (active && !IsChildPane(active, row, col)) active = nullptr;
  return active;
}

BOOL CSplitterWnd::DoKeyboardSplit() {
  if (!outer_ || tracking_ || (rows_ < 2 && cols_ < 2)) return FALSE;
  tracking_ = true;
  savedCols_ = rowSplitter(0)->sizes();
  savedRows_ = outer_->sizes();
  focusBefore_ = QApplication::focusWidget();
  setFocusPolicy(Qt::StrongFocus);
  setFocus(Qt::OtherFocusReason);
  return TRUE;
}

void CSplitterWnd::endTracking(bool keep) {
  if (!tracking_) return;
  tracking_ = false;
  if (!keep) {
    for (int r = 0; r < rows_; ++r) rowSplitter(r)->setSizes(savedCols_);
    outer_->setSizes(savedRows_);
  }
  setFocusPolicy(Qt::NoFocus);
  if (focusBefore_) focusBefore_->setFocus(Qt::OtherFocusReason);
}

BOOL CSplitterWnd::PreTranslateMessage(MSG* msg) {
  if (!tracking_ || (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP)) return CWnd::PreTranslateMessage(msg);
  if (msg->message == WM_KEYUP) return TRUE;
  switch (msg->wParam) {
    case VK_LEFT:
    case VK_RIGHT:
      if (cols_ > 1) {
        const int delta = msg->wParam == VK_LEFT ? -kKeyStep : kKeyStep;
        for (int r = 0; r < rows_; ++r) moveFirstBar(rowSplitter(r), delta);
      }
      break;
    case VK_UP:
    case VK_DOWN:
      if (rows_ > 1) moveFirstBar(outer_, msg->wParam == VK_UP ? -kKeyStep : kKeyStep);
      break;
    case VK_RETURN:
      endTracking(true);
      break;
    case VK_ESCAPE:
      endTracking(false);
      break;
    default:
      break;
  }
  return TRUE;  // every key belongs to the tracking
}

bool CSplitterWnd::event(QEvent* event) {
  if (event->type() == QEvent::FocusOut && tracking_) endTracking(true);
  return CWnd::event(event);
}

BOOL CSplitterWnd::OnMouseWheel(UINT flags, short delta, QPoint point) {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) {
      auto* view = qobject_cast<CScrollView*>(GetPane(r, c));
      if (view && view->rect().contains(view->mapFromGlobal(point))) return view->DoMouseWheel(flags, delta, point);
    }
  return FALSE;
}
