// The property list's layout, scrolling, keys, mouse, focus, drawing and
// printing.
#include "classlib/OrvoPropertyList.h"

#include "platform/SysColor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <climits>

namespace {

// Style bits that ask for a vertical bar that is always there.
constexpr DWORD kAlwaysShownBar = WS_VSCROLL | 0x2000;

}  // namespace

// Layout.

int COrvoPropertyListCtrl::RowsPerPage() const { return std::max(height() / std::max(rowHeight, 1), 1); }

QRect COrvoPropertyListCtrl::RowRect(int visibleIndex) const {
  QRect client;
  GetClientRect(&client);
  return QRect(0, visibleIndex * rowHeight, client.width(), rowHeight);
}

int COrvoPropertyListCtrl::LabelColumnWidth() const {
  if (labelWidth) return labelWidth;
  int width = RowRect(0).width();
  if (GetScrollLimit(SB_VERT) == 0) width -= GetScrollBarExtent(SB_VERT);  // the same column with or without a bar
  return std::max(width / 3, 0);
}

QRect COrvoPropertyListCtrl::LabelRect(int visibleIndex) const {
  QRect r = RowRect(visibleIndex);
  r.setWidth(std::min(LabelColumnWidth(), r.width()));
  return r;
}

QRect COrvoPropertyListCtrl::ValueRect(int visibleIndex) const {
  QRect r = RowRect(visibleIndex);
  r.setLeft(std::min(LabelColumnWidth(), r.right() + 1));
  return r;
}

bool COrvoPropertyListCtrl::rowVisible(int row) const {
  return row >= firstVisibleRow && row < GetItemCount() && (row - firstVisibleRow) * rowHeight < height();
}

// Scrolling.

int COrvoPropertyListCtrl::lastFirstRow() const { return GetScrollLimit(SB_VERT); }

void COrvoPropertyListCtrl::updateScrolling() {
  const int count = GetItemCount();
  const int perPage = RowsPerPage();
  const bool partial = height() % std::max(rowHeight, 1) != 0;
  const bool range = count > 0 && count >= perPage + (partial ? 1 : 0);
  const bool shown = range || (GetStyle() & kAlwaysShownBar);
  // The range 0..count with a page of `perPage` rows.
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMax = range ? count : 0;
  info.nPage = UINT(perPage);
  SetScrollInfo(SB_VERT, &info);
  if (!range) firstVisibleRow = 0;
  firstVisibleRow = std::clamp(firstVisibleRow, 0, lastFirstRow());
  SetScrollPos(SB_VERT, firstVisibleRow);
  EnableScrollBar(SB_VERT, range ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
  ShowScrollBar(SB_VERT, shown);
  showEditor(currentRow, false, false);
}

void COrvoPropertyListCtrl::setFirstVisibleRow(int row) {
  row = std::clamp(row, 0, lastFirstRow());
  if (row == firstVisibleRow && GetScrollPos(SB_VERT) == row) return;
  firstVisibleRow = row;
  SetScrollPos(SB_VERT, row);
  showEditor(currentRow, false, false);
  update();
}

void COrvoPropertyListCtrl::scrollIntoView(int row) {
  if (row < firstVisibleRow)
    setFirstVisibleRow(row);
  else if (row >= firstVisibleRow + RowsPerPage())
    setFirstVisibleRow(row - RowsPerPage() + 1);
}

int COrvoPropertyListCtrl::stepRows(UINT code) const {
  const int step = code == SB_PAGEUP || code == SB_PAGEDOWN ? RowsPerPage() : 1;
  return code == SB_PAGEUP || code == SB_LINEUP ? -step : step;
}

void COrvoPropertyListCtrl::scrollStep(UINT code) {
  const int count = GetItemCount();
  if (count == 0) return;
  const int delta = stepRows(code);
  const int target = std::clamp(currentRow + delta, 0, count - 1);
  if (target == currentRow) return;  // already at the first or last row
  setFirstVisibleRow(firstVisibleRow + delta);
  SelectItem(target);
}

void COrvoPropertyListCtrl::OnVScroll(UINT code, UINT pos, CScrollBar*) {
  int target = firstVisibleRow;
  switch (code) {
    case SB_LINEUP:
    case SB_LINEDOWN:
    case SB_PAGEUP:
    case SB_PAGEDOWN: target += stepRows(code); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = int(std::min<UINT>(pos, INT_MAX)); break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = lastFirstRow(); break;
    default: return;
  }
  target = std::clamp(target, 0, lastFirstRow());
  if (target == firstVisibleRow) return;
  setFirstVisibleRow(target);
  OnSelChange();
}

BOOL COrvoPropertyListCtrl::OnMouseWheel(UINT, short delta, QPoint) {
  if (lastFirstRow() == 0) return FALSE;
  const int rows = -TakeWheelSteps(delta, QApplication::wheelScrollLines());
  if (rows == 0) return TRUE;
  setFirstVisibleRow(firstVisibleRow + rows);
  OnSelChange();
  return TRUE;
}

void COrvoPropertyListCtrl::resizeEvent(QResizeEvent* event) {
  CWnd::resizeEvent(event);
  updateScrolling();
}

void COrvoPropertyListCtrl::OnStyleChanged(DWORD oldStyle, DWORD newStyle) {
  CWnd::OnStyleChanged(oldStyle, newStyle);
  updateScrolling();
}

// Selecting and editing.

bool COrvoPropertyListCtrl::isInside(const QWidget* widget) const {
  // Across window boundaries, so that a drop-down's popup counts.
  for (const QWidget* w = widget; w; w = w->parentWidget())
    if (w == this) return true;
  return false;
}

bool COrvoPropertyListCtrl::hasFocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && isInside(focus);
}

BOOL COrvoPropertyListCtrl::SelectItem(int row) {
  if (!itemAt(row)) return FALSE;
  const int old = currentRow;
  const bool focus = hasFocusInside();
  currentRow = row;
  redrawRow(old);
  redrawRow(row);
  scrollIntoView(row);
  if (row == old) {
    if (rowVisible(row)) showEditor(row, focus, focus);
  } else {
    showEditor(row, true, focus);
    endEditing(old);
  }
  OnSelChange();
  return TRUE;
}

void COrvoPropertyListCtrl::showEditor(int row, bool show, bool focus) {
  COrvoPropertyItem* item = itemAt(row);
  if (!item || !item->editor || !isVisible()) return;
  QWidget* editor = item->editor;
  const bool editing = editor->isVisible();
  // An editor being used keeps what the user typed.
  if (!editing && show) {
    if (auto* edit = qobject_cast<COrvoPropertyEdit*>(editor)) {
      edit->setText(item->value);
      edit->selectAll();
    } else if (auto* combo = qobject_cast<COrvoPropertyComboBox*>(editor)) {
      if (const int found = combo->findText(item->value, Qt::MatchExactly); found >= 0) combo->setCurrentIndex(found);
    }
  }
  if (rowVisible(row))
    editor->setGeometry(ValueRect(row - firstVisibleRow).adjusted(0, 0, 0, 1));
  else if (editing)
    editor->move(editor->x(), -editor->height() - rowHeight);  // out of sight, still editing
  if (!show) return;
  editor->setEnabled(true);
  editor->show();
  if (focus) editor->setFocus(Qt::OtherFocusReason);
}

void COrvoPropertyListCtrl::endEditing(int row) {
  COrvoPropertyItem* item = itemAt(row);
  if (!item || !item->editor || item->editor->isHidden()) return;
  QWidget* editor = item->editor;
  item->value = editorValue(item, &item->data);
  if (editor->hasFocus()) {
    ++focusGuard;
    SetFocus();
    --focusGuard;
  }
  editor->hide();
  editor->setEnabled(false);
  redrawRow(row);
}

LRESULT COrvoPropertyListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_EDITOR_KILLFOCUS) {
    const COrvoPropertyItem* item = itemAt(currentRow);
    if (item && item->editor && WPARAM(item->editor) == wParam) endEditing(currentRow);
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

void COrvoPropertyListCtrl::onFocusChanged(QWidget* old, QWidget* now) {
  // A whole window losing the focus (now null) ends nothing.
  if (now && old && isInside(old) && !isInside(now)) endEditing(currentRow);
}

void COrvoPropertyListCtrl::focusInEvent(QFocusEvent* event) {
  CWnd::focusInEvent(event);
  if (focusGuard) return;
  ++focusGuard;
  redrawRow(currentRow);
  if (rowVisible(currentRow)) showEditor(currentRow, true, true);
  --focusGuard;
}

void COrvoPropertyListCtrl::OnSelChange() {}

// Keys and mouse.

BOOL COrvoPropertyListCtrl::PreTranslateMessage(MSG* msg) {
  // Tab moves between rows, from the list and from its editors, before the
  // dialog would move the focus on.
  if (msg->message == WM_KEYDOWN && msg->keyEvent && isInside(msg->hwnd) &&
      (msg->keyEvent->key() == Qt::Key_Tab || msg->keyEvent->key() == Qt::Key_Backtab)) {
    const bool back = msg->keyEvent->key() == Qt::Key_Backtab || (msg->keyEvent->modifiers() & Qt::ShiftModifier);
    const int target = currentRow + (back ? -1 : 1);
    if (target >= 0 && target < GetItemCount()) SelectItem(target);
    return TRUE;
  }
  return CWnd::PreTranslateMessage(msg);
}

void COrvoPropertyListCtrl::keyPressEvent(QKeyEvent* event) {
  // The list's own keys, and those its editors leave unused.
  const int count = GetItemCount();
  if (!hasFocusInside() || count == 0) {
    CWnd::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up:
      if (currentRow > 0) SelectItem(currentRow - 1);
      break;
    case Qt::Key_Down:
      if (currentRow + 1 < count) SelectItem(currentRow + 1);
      break;
    case Qt::Key_PageUp:
      scrollStep(SB_PAGEUP);
      break;
    case Qt::Key_PageDown:
      scrollStep(SB_PAGEDOWN);
      break;
    case Qt::Key_Home:
      SelectItem(0);
      break;
    case Qt::Key_End:
      SelectItem(count - 1);
      break;
    default:
      CWnd::keyPressEvent(event);
      return;
  }
  event->accept();
}

void COrvoPropertyListCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    CWnd::mousePressEvent(event);
    return;
  }
  const int y = event->position().toPoint().y();
  const int row = firstVisibleRow + y / std::max(rowHeight, 1);
  if (y < 0 || !itemAt(row) || event->position().x() >= RowRect(0).width()) return;
  if (!hasFocus()) SetFocus();
  SelectItem(row);
}

// Drawing.

void COrvoPropertyListCtrl::changeEvent(QEvent* event) {
  CWnd::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    recreateColors();
    update();
  }
}

void COrvoPropertyListCtrl::redrawRow(int row) {
  if (rowVisible(row)) update(RowRect(row - firstVisibleRow));
}

void COrvoPropertyListCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(GetViewport());
  CDC dc(&painter);
  CFont* oldFont = dc.SelectObject(&listFont);
  const QRect client(0, 0, RowRect(0).width(), height());
  int bottom = 0;
  for (int row = firstVisibleRow; row < GetItemCount(); ++row) {
    const int index = row - firstVisibleRow;
    if (index * rowHeight >= height()) break;
    DrawRow(&dc, row, index);
    DrawGridLines(&dc, row, index);
    bottom = (index + 1) * rowHeight;
  }
  if (bottom < client.height()) dc.FillRect(QRect(0, bottom, client.width(), client.height() - bottom), &windowBrush);
  dc.SelectObject(oldFont);
}

void COrvoPropertyListCtrl::DrawRow(CDC* dc, int row, int visibleIndex) {
  const COrvoPropertyItem* item = itemAt(row);
  if (!item) return;
  const bool current = row == currentRow;
  const bool focused = current && hasFocusInside();
  const QRect label = LabelRect(visibleIndex);
  const QRect value = ValueRect(visibleIndex);
  dc->FillRect(label, focused ? &highlightBrush : current ? &faceBrush : &windowBrush);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  QRect text = label.adjusted(4, 3, -3, -2);
  dc->DrawText(item->label, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  dc->FillRect(value, &windowBrush);
  if (!(current && item->editor && item->editor->isVisible())) {
    dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    text = value.adjusted(4, 3, -5, -4);
    dc->DrawText(item->value, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

void COrvoPropertyListCtrl::DrawGridLines(CDC* dc, int, int visibleIndex) {
  const QRect row = RowRect(visibleIndex);
  const int divider = LabelRect(visibleIndex).right();
  CPen* old = dc->SelectObject(&linePen);
  dc->MoveTo(row.left(), row.bottom());
  dc->LineTo(row.right() + 1, row.bottom());
  dc->MoveTo(divider, row.top());
  dc->LineTo(divider, row.bottom() + 1);
  dc->SelectObject(old);
}

// Printing.

void COrvoPropertyListCtrl::BeginPrinting(CDC* dc, CPrintInfo*) {
  if (!dc) return;
  printFont.CreatePointFont(100, QStringLiteral("Arial"));
  printHorzWidth = std::max(dc->GetDeviceCaps(LOGPIXELSX) / 72, 1);
  printVertWidth = std::max(dc->GetDeviceCaps(LOGPIXELSY) / 72, 1);
  printHorzPen.CreatePen(PS_SOLID, printHorzWidth, RGB(0, 0, 0));
  printVertPen.CreatePen(PS_SOLID, printVertWidth, RGB(0, 0, 0));
  CFont* old = dc->SelectObject(&printFont);
  // The row height comes from the font itself, so that a list without rows
  // (or with an empty first value) still has one.
  const int h = dc->GetTextExtent(QStringLiteral(" ")).height();
  int labels = 0, values = 0;
  for (int row = 0; row < GetItemCount(); ++row) {
    COrvoPropertyItem item;
    GetItem(row, &item);
    const QSize label = dc->GetTextExtent(item.label);
    const QSize value = dc->GetTextExtent(item.value);
    labels = std::max(labels, label.width() + label.height());
    values = std::max(values, value.width() + value.height());
  }
  dc->SelectObject(old);
  printLabelWidth = labels + h;
  printValueWidth = values + h;
  printRowHeight = std::max(2 * h, 1);
  printRowsPerPage = 1;
  printFirstRow = 0;
}

void COrvoPropertyListCtrl::PrintPage(CDC* dc, CPrintInfo* info) {
  if (!dc || !info) return;
  if (printRowHeight <= 0) BeginPrinting(dc, info);
  // At least one row a page, however low the drawing rectangle.
  printRowsPerPage = std::max(info->m_rectDraw.height() / printRowHeight, 1);
  const int count = GetItemCount();
  if (info->m_nCurPage == 1) info->SetMaxPage(UINT(std::max((count + printRowsPerPage - 1) / printRowsPerPage, 1)));
  printFirstRow = int(std::min<long long>((long long)(info->m_nCurPage - 1) * printRowsPerPage, count));
  const int end = std::min(printFirstRow + printRowsPerPage, count);
  CFont* oldFont = dc->SelectObject(&printFont);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(RGB(0, 0, 0));
  const int left = info->m_rectDraw.left();
  const int inset = printRowHeight / 2;
  for (int row = printFirstRow; row < end; ++row) {
    COrvoPropertyItem item;
    GetItem(row, &item);
    const int top = info->m_rectDraw.top() + (row - printFirstRow) * printRowHeight;
    const int bottom = top + printRowHeight;
    const int cells[3] = {left, left + printLabelWidth, left + printLabelWidth + printValueWidth};
    CPen* oldPen = dc->SelectObject(&printHorzPen);
    for (int y : {top, bottom}) {
      dc->MoveTo(cells[0], y);
      dc->LineTo(cells[2], y);
    }
    dc->SelectObject(&printVertPen);
    for (int x : cells) {
      dc->MoveTo(x, top);
      dc->LineTo(x, bottom);
    }
    dc->SelectObject(oldPen);
    QRect label(QPoint(cells[0] + inset + printVertWidth, top + printHorzWidth),
                QPoint(cells[1] - printVertWidth - 1, bottom - printHorzWidth - 1));
    dc->DrawText(item.label, &label, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    QRect value(QPoint(cells[1] + inset + printVertWidth, top + printHorzWidth),
                QPoint(cells[2] - printVertWidth - 1, bottom - printHorzWidth - 1));
    dc->DrawText(item.value, &value, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
  if (end >= count) info->m_bContinuePrinting = FALSE;
}

void COrvoPropertyListCtrl::EndPrinting() {
  printFont = CFont();
  printHorzPen = CPen();
  printVertPen = CPen();
  printRowHeight = 0;
}
