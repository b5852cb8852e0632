// The grid's mouse, keyboard, in-place editing and title tips.
#include "charset/Cp1252.h"
#include "classlib/GridCtrl.h"
#include "classlib/GridEditBox.h"
#include "classlib/GridTipWnd.h"
#include "platform/Dialog.h"
#include "platform/PropertySheet.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

bool keyDown(int vk) { return GetKeyState(vk) < 0; }

UINT mouseFlags(const QMouseEvent* e) {
  UINT flags = 0;
  if (e->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
  if (e->buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

// Shows the wait cursor for one scope.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

// ---- Qt events ----

bool CGridCtrl::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && handleTab_ &&
        !(key->modifiers() & Qt::ControlModifier)) {
      keyPressEvent(key);
      return true;
    }
  }
  return CWnd::event(e);
}

void CGridCtrl::changeEvent(QEvent* e) {
  if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) OnSysColorChange();
  CWnd::changeEvent(e);
}

void CGridCtrl::focusInEvent(QFocusEvent* e) {
  // The grid taking the focus ends the edit, also where the edit itself
  // saw no focus change.
  EndEditing();
  CWnd::focusInEvent(e);
}

void CGridCtrl::focusOutEvent(QFocusEvent* e) {
  hideTitleTip();
  CWnd::focusOutEvent(e);
}

// The tip takes no input, so the grid sees the mouse go: the tip goes too.
void CGridCtrl::leaveEvent(QEvent* e) {
  hideTitleTip();
  CWnd::leaveEvent(e);
}

void CGridCtrl::hideEvent(QHideEvent* e) {
  EndEditing();
  hideTitleTip();
  CWnd::hideEvent(e);
}

void CGridCtrl::EndEditing() {
  if (edit_) edit_->EndEdit();
}

QPoint CGridCtrl::mouseAt(QMouseEvent* e) const { return e->position().toPoint(); }

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
  hideTitleTip();
  // In a dialog, a page or a sheet, Enter and Esc belong to its buttons.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
      if (qobject_cast<QDialog*>(w) || qobject_cast<CDialog*>(w) || qobject_cast<CPropertySheet*>(w)) {
        e->ignore();
        return;
      }
  }
  UINT vk = VirtualKeyFromQt(e->key());
  OnKeyDown(vk, 1, 0);
  // The character the key makes, as the platform sends it after the key.
  UINT ch = 0;
  switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: ch = VK_TAB; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: ch = VK_RETURN; break;
    case Qt::Key_Backspace: ch = VK_BACK; break;
    case Qt::Key_Escape: ch = VK_ESCAPE; break;
    default: {
      const QString text = e->text();
      if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F) {
        const int byte = tallix::unicodeToCp1252(text[0].unicode());
        if (byte > 0) ch = UINT(byte);
      }
    }
  }
  if (ch && !(e->modifiers() & Qt::ControlModifier)) OnChar(ch, 1, 0);
  e->accept();
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
  hideTitleTip();
  if (e->button() == Qt::LeftButton)
    OnLButtonDown(mouseFlags(e), mouseAt(e));
  else if (e->button() == Qt::RightButton)
    OnRButtonDown(mouseFlags(e), mouseAt(e));
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) OnLButtonUp(mouseFlags(e), mouseAt(e));
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) OnLButtonDblClk(mouseFlags(e), mouseAt(e));
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) { OnMouseMove(mouseFlags(e), mouseAt(e)); }

// ---- mouse ----

BOOL CGridCtrl::MouseOverRowResizeArea(QPoint point) const {
  if (!allowRowResize_ || point.x() >= GetFixedColumnWidth()) return FALSE;
  const CGridCellID cell = HitTestCell(point, TRUE);
  QPoint origin;
  if (!IsValid(cell) || !GetCellOrigin(cell.row, cell.col, &origin)) return FALSE;
  const int top = origin.y(), bottom = top + GetRowHeight(cell.row) - 1;
  return (cell.row != 0 && point.y() < top + resizeMargin_) || point.y() > bottom - resizeMargin_;
}

BOOL CGridCtrl::MouseOverColumnResizeArea(QPoint point) const {
  if (!allowColResize_ || point.y() >= GetFixedRowHeight()) return FALSE;
  const CGridCellID cell = HitTestCell(point, TRUE);
  QPoint origin;
  if (!IsValid(cell) || !GetCellOrigin(cell.row, cell.col, &origin)) return FALSE;
  const int left = origin.x(), right = left + GetColumnWidth(cell.col) - 1;
  return (cell.col != 0 && point.x() < left + resizeMargin_) || point.x() > right - resizeMargin_;
}

void CGridCtrl::ShowSizeCursor(int mode) {
  if (mode == GRID_MOUSE_OVER_ROW_BORDER)
    setCursor(Qt::SizeVerCursor);
  else if (mode == GRID_MOUSE_OVER_COL_BORDER)
    setCursor(Qt::SizeHorCursor);
  else if (mode != GRID_MOUSE_DRAGGING)
    setCursor(Qt::ArrowCursor);
}

void CGridCtrl::OnLButtonDown(UINT flags, QPoint point) {
  downPoint_ = point;
  clickCell_ = HitTestCell(point, TRUE);
  if (!IsValid(clickCell_)) return;
  anchor_ = (flags & MK_SHIFT) ? focusCell_ : clickCell_;
  const bool hadFocus = hasFocus();
  setFocus(Qt::MouseFocusReason);
  CGridCellData* cell = GetCell(clickCell_.row, clickCell_.col);
  if (cell->state & GRID_STATE_CHECKBOX) {
    toggleCheck(clickCell_.row, clickCell_.col);
  } else if (clickCell_ == focusCell_) {
    mouseMode_ = GRID_MOUSE_PREPARE_EDIT;
    return;
  }
  if (mouseMode_ != GRID_MOUSE_OVER_ROW_BORDER && mouseMode_ != GRID_MOUSE_OVER_COL_BORDER) {
    SetFocusCell(-1, -1);
    SetFocusCell(std::max(clickCell_.row, fixedRows_), std::max(clickCell_.col, fixedCols_));
  }
  if (dragAndDrop_ && hadFocus && (GetItemState(clickCell_.row, clickCell_.col) & GRID_STATE_SELECTED)) {
    mouseMode_ = GRID_MOUSE_PREPARE_DRAG;
    return;
  }
  if (mouseMode_ == GRID_MOUSE_NONE) {
    if (MouseOverColumnResizeArea(point))
      mouseMode_ = GRID_MOUSE_OVER_COL_BORDER;
    else if (MouseOverRowResizeArea(point))
      mouseMode_ = GRID_MOUSE_OVER_ROW_BORDER;
    ShowSizeCursor(mouseMode_);
  }
  if (mouseMode_ == GRID_MOUSE_OVER_COL_BORDER) {
    mouseMode_ = GRID_MOUSE_SIZING_COL;
    QPoint origin;
    GetCellOrigin(clickCell_.row, clickCell_.col, &origin);
    sizingIndex_ = (point.x() - origin.x() < resizeMargin_ && clickCell_.col > 0) ? clickCell_.col - 1 : clickCell_.col;
    sizingLine_ = point.x();
    update();
  } else if (mouseMode_ == GRID_MOUSE_OVER_ROW_BORDER) {
    mouseMode_ = GRID_MOUSE_SIZING_ROW;
    QPoint origin;
    GetCellOrigin(clickCell_.row, clickCell_.col, &origin);
    sizingIndex_ = (point.y() - origin.y() < resizeMargin_ && clickCell_.row > 0) ? clickCell_.row - 1 : clickCell_.row;
    sizingLine_ = point.y();
    update();
  } else {
    previous_.clear();
    if (flags & MK_CONTROL) previous_ = selected_;
    if (clickCell_.row < fixedRows_) {
      OnFixedRowClick(clickCell_);
    } else if (clickCell_.col < fixedCols_) {
      OnFixedColumnClick(clickCell_);
    } else {
      mouseMode_ = listMode_ ? GRID_MOUSE_SELECT_ROWS : GRID_MOUSE_SELECT_CELLS;
      OnSelecting(clickCell_);
    }
    SetTimer(GRID_AUTOSCROLL_TIMER, UINT(autoScrollMs_));
    timerRunning_ = true;
  }
  lastMouse_ = point;
}

void CGridCtrl::OnSelecting(const CGridCellID& cell) {
  if (!enableSelection_) return;
  switch (mouseMode_) {
    case GRID_MOUSE_SELECT_ALL: SelectAllCells(); break;
    case GRID_MOUSE_SELECT_COLUMNS:
      SetSelectedRange(fixedRows_, std::max(fixedCols_, std::min(anchor_.col, cell.col)), rowCount_ - 1,
                       std::max(anchor_.col, cell.col));
      break;
    case GRID_MOUSE_SELECT_ROWS:
      if (listMode_ && singleRowSelection_)
        SetSelectedRange(cell.row, fixedCols_, cell.row, colCount_ - 1);
      else
        SetSelectedRange(std::max(fixedRows_, std::min(anchor_.row, cell.row)), fixedCols_,
                         std::max(anchor_.row, cell.row), colCount_ - 1);
      break;
    case GRID_MOUSE_SELECT_CELLS:
      SetSelectedRange(std::max(fixedRows_, std::min(anchor_.row, cell.row)),
                       std::max(fixedCols_, std::min(anchor_.col, cell.col)), std::max(anchor_.row, cell.row),
                       std::max(anchor_.col, cell.col));
      break;
    default: break;
  }
}

void CGridCtrl::OnFixedRowClick(const CGridCellID& cell) {
  if (!listMode_) {
    mouseMode_ = cell.col < fixedCols_ ? GRID_MOUSE_SELECT_ALL : GRID_MOUSE_SELECT_COLUMNS;
    OnSelecting(cell);
    return;
  }
  if (!sortOnClick_) return;
  WaitCursor wait;
  if (cell.col == sortColumn_)
    sortAscending_ = !sortAscending_;
  else
    sortAscending_ = TRUE;
  sortColumn_ = cell.col;
  SortRowsByColumnText(cell.col, sortAscending_);
  update();
}

void CGridCtrl::OnFixedColumnClick(const CGridCellID& cell) {
  mouseMode_ = cell.row < fixedRows_ ? GRID_MOUSE_SELECT_ALL : GRID_MOUSE_SELECT_ROWS;
  OnSelecting(cell);
}

void CGridCtrl::OnMouseMove(UINT flags, QPoint point) {
  QRect client;
  GetClientRect(&client);
  if (tip_ && tip_->isVisible() && !tip_->GetHoverRect().contains(point)) hideTitleTip();
  if (!client.contains(point) && mouseMode_ != GRID_MOUSE_DRAGGING && !(flags & MK_LBUTTON)) return;
  if (!(flags & MK_LBUTTON) || mouseMode_ == GRID_MOUSE_NONE) {
    if (MouseOverColumnResizeArea(point))
      mouseMode_ = GRID_MOUSE_OVER_COL_BORDER;
    else if (MouseOverRowResizeArea(point))
      mouseMode_ = GRID_MOUSE_OVER_ROW_BORDER;
    else
      mouseMode_ = GRID_MOUSE_NONE;
    ShowSizeCursor(mouseMode_);
    if (mouseMode_ == GRID_MOUSE_NONE && titleTips_) offerTitleTip(HitTestCell(point, TRUE));
    lastMouse_ = point;
    return;
  }
  if (!IsValid(clickCell_)) {
    lastMouse_ = point;
    return;
  }
  switch (mouseMode_) {
    case GRID_MOUSE_SELECT_COLUMNS:
    case GRID_MOUSE_SELECT_ROWS:
    case GRID_MOUSE_SELECT_CELLS: {
      const CGridCellID cell = HitTestCell(point, TRUE);
      if (IsValid(cell)) {
        OnSelecting(cell);
        if (cell.row >= fixedRows_ && cell.col >= fixedCols_ && !(cell == focusCell_)) SetFocusCell(cell);
      }
      break;
    }
    case GRID_MOUSE_SIZING_COL:
      // The line stays right of the sized column's left edge.
      if (QPoint origin; GetCellOrigin(0, sizingIndex_, &origin))
        sizingLine_ = std::clamp(point.x(), origin.x(), std::max(origin.x(), client.width() - 2));
      update();
      break;
    case GRID_MOUSE_SIZING_ROW:
      if (QPoint origin; GetCellOrigin(sizingIndex_, 0, &origin))
        sizingLine_ = std::clamp(point.y(), origin.y(), std::max(origin.y(), client.height() - 2));
      update();
      break;
    case GRID_MOUSE_PREPARE_DRAG:
      OnBeginDrag();
      break;
    default: break;
  }
  lastMouse_ = point;
}

void CGridCtrl::OnTimer(UINT_PTR id) {
  if (id != GRID_AUTOSCROLL_TIMER) {
    CWnd::OnTimer(id);
    return;
  }
  if (!(QApplication::mouseButtons() & Qt::LeftButton)) {
    // The release went elsewhere.
    KillTimer(GRID_AUTOSCROLL_TIMER);
    timerRunning_ = false;
    return;
  }
  const QPoint point = mapFromGlobal(QCursor::pos());
  QRect client;
  GetClientRect(&client);
  if (point.y() > client.bottom()) {
    OnKeyDown(VK_DOWN, 1, 0);
    OnSelecting(HitTestCell(QPoint(point.x(), client.bottom()), TRUE));
  } else if (point.y() < GetFixedRowHeight()) {
    OnKeyDown(VK_UP, 1, 0);
  }
  if (point.x() > client.right())
    OnKeyDown(VK_RIGHT, 1, 0);
  else if (point.x() < GetFixedColumnWidth())
    OnKeyDown(VK_LEFT, 1, 0);
}

void CGridCtrl::OnLButtonUp(UINT, QPoint point) {
  if (timerRunning_) {
    KillTimer(GRID_AUTOSCROLL_TIMER);
    timerRunning_ = false;
  }
  if (mouseMode_ == GRID_MOUSE_PREPARE_EDIT) {
    mouseMode_ = GRID_MOUSE_NONE;
    OnEditCell(focusCell_.row, focusCell_.col, VK_LBUTTON);
  } else if (mouseMode_ == GRID_MOUSE_PREPARE_DRAG) {
    ResetSelectedRange();
  } else if (mouseMode_ == GRID_MOUSE_SIZING_COL || mouseMode_ == GRID_MOUSE_SIZING_ROW) {
    const bool col = mouseMode_ == GRID_MOUSE_SIZING_COL;
    const int line = sizingLine_;
    sizingLine_ = -1;
    QPoint origin;
    if (point != downPoint_ && (col ? GetCellOrigin(0, sizingIndex_, &origin) : GetCellOrigin(sizingIndex_, 0, &origin))) {
      if (col)
        SetColumnWidth(sizingIndex_, std::max(0, line - origin.x()));
      else
        SetRowHeight(sizingIndex_, std::max(0, line - origin.y()));
      ResetScrollBars();
    }
    update();
  }
  mouseMode_ = GRID_MOUSE_NONE;
  setCursor(Qt::ArrowCursor);
  // As after the end of a capture, the mouse is seen where it stands: over a
  // border, a double click that follows sizes to fit.
  OnMouseMove(0, point);
  if (IsValid(clickCell_))
    if (CWnd* owner = GetOwner())
      owner->PostMessage(WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID()), 0), reinterpret_cast<LPARAM>(this));
}

void CGridCtrl::OnLButtonDblClk(UINT, QPoint point) {
  if (mouseMode_ == GRID_MOUSE_OVER_COL_BORDER || mouseMode_ == GRID_MOUSE_OVER_ROW_BORDER) {
    const CGridCellID cell = HitTestCell(point, TRUE);
    QPoint origin;
    if (IsValid(cell) && GetCellOrigin(cell.row, cell.col, &origin)) {
      if (mouseMode_ == GRID_MOUSE_OVER_COL_BORDER)
        AutoSizeColumn(point.x() - origin.x() < resizeMargin_ && cell.col > 0 ? cell.col - 1 : cell.col);
      else
        AutoSizeRow(point.y() - origin.y() < resizeMargin_ && cell.row > 0 ? cell.row - 1 : cell.row);
    }
    update();
  } else if (mouseMode_ == GRID_MOUSE_NONE) {
    const CGridCellID cell = HitTestCell(point, TRUE);
    if (IsValid(clickCell_) && clickCell_.row >= fixedRows_ && clickCell_.col >= fixedCols_) {
      OnEditCell(focusCell_.row, focusCell_.col, VK_LBUTTON);
    } else if (listMode_ && IsValid(cell) && cell.row >= fixedRows_ && cell.col < fixedCols_) {
      OnEditCell(cell.row, cell.col, VK_LBUTTON);
    }
  }
}

void CGridCtrl::OnRButtonDown(UINT, QPoint point) { lastMouse_ = point; }

// ---- keyboard ----

void CGridCtrl::DefaultKeyDown(UINT) {}

void CGridCtrl::OnKeyDown(UINT key, UINT, UINT) {
  if (!IsValid(focusCell_)) {
    DefaultKeyDown(key);
    return;
  }
  const bool ctrl = keyDown(VK_CONTROL), shift = keyDown(VK_SHIFT);
  if (ctrl) {
    switch (key) {
      case 'A': OnEditSelectAll(); break;
      case 'C': OnEditCopy(); break;
      case 'V': OnEditPaste(); break;
      case 'X': OnEditCut(); break;
      default: break;
    }
  }
  CGridCellData* focus = GetCell(focusCell_.row, focusCell_.col);
  if (key == VK_SPACE && (focus->state & GRID_STATE_CHECKBOX)) {
    toggleCheck(focusCell_.row, focusCell_.col);
    return;
  }
  CGridCellID next = focusCell_;
  enum { Plain, TabWrap, BackTabWrap } wrap = Plain;
  int hStep = 0, vStep = 0;
  const bool tab = key == VK_TAB;
  switch (key) {
    case VK_TAB:
      if (!shift) {
        hStep = 1;
        if (next.col < colCount_ - 1) {
          ++next.col;
        } else if (next.row < rowCount_ - 1) {
          ++next.row;
          next.col = fixedCols_;
          wrap = TabWrap;
        }
      } else {
        hStep = -1;
        if (next.col > fixedCols_) {
          --next.col;
        } else if (next.row > fixedRows_) {
          --next.row;
          next.col = colCount_ - 1;
          wrap = BackTabWrap;
        }
      }
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      const int before = GetFirstVisibleCell().row;
      OnVScroll(key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0);
      const int moved = GetFirstVisibleCell().row - before;
      if (moved != 0)
        next.row = std::clamp(next.row + moved, fixedRows_, rowCount_ - 1);
      else
        next.row = key == VK_PRIOR ? fixedRows_ : rowCount_ - 1;
      vStep = key == VK_PRIOR ? -1 : 1;
      break;
    }
    case VK_END:
      OnVScroll(SB_BOTTOM, 0);
      next.row = rowCount_ - 1;
      vStep = 1;
      break;
    case VK_HOME:
      OnVScroll(SB_TOP, 0);
      next.row = fixedRows_;
      vStep = -1;
      break;
    case VK_DOWN:
      if (next.row < rowCount_ - 1) ++next.row;
      vStep = 1;
      break;
    case VK_UP:
      if (next.row > fixedRows_) --next.row;
      vStep = -1;
      break;
    case VK_RIGHT:
      if (next.col < colCount_ - 1) ++next.col;
      hStep = 1;
      break;
    case VK_LEFT:
      if (next.col > fixedCols_) --next.col;
      hStep = -1;
      break;
    case VK_DELETE:
      if (IsCellEditable(focusCell_.row, focusCell_.col)) {
        SendMessageToParent(focusCell_.row, focusCell_.col, GRIDN_BEGINTEXTCHANGE);
        focus->text.clear();
        SetModified(TRUE, focusCell_.row, focusCell_.col);
        SendMessageToParent(focusCell_.row, focusCell_.col, GRIDN_ENDTEXTCHANGE);
        RedrawCell(focusCell_.row, focusCell_.col);
      }
      return;
    default:
      DefaultKeyDown(key);
      return;
  }
  if (next == focusCell_) return;
  if (mouseMode_ == GRID_MOUSE_NONE) {
    previous_.clear();
    mouseMode_ = listMode_ ? GRID_MOUSE_SELECT_ROWS : GRID_MOUSE_SELECT_CELLS;
    if (!shift || tab) anchor_ = next;
    OnSelecting(next);
    mouseMode_ = GRID_MOUSE_NONE;
  }
  SetFocusCell(next);
  if (!IsCellVisible(next.row, next.col)) {
    EnsureVisible(next.row, next.col);
    switch (wrap) {
      case TabWrap:
        OnVScroll(SB_LINEDOWN, 0);
        OnHScroll(SB_LEFT, 0);
        break;
      case BackTabWrap:
        OnVScroll(SB_LINEUP, 0);
        OnHScroll(SB_RIGHT, 0);
        break;
      case Plain:
        if (hStep) OnHScroll(hStep > 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
        if (vStep) OnVScroll(vStep > 0 ? SB_LINEDOWN : SB_LINEUP, 0);
        break;
    }
  }
  update();
}

void CGridCtrl::toggleCheck(int row, int col) {
  CGridCellData* cell = GetCell(row, col);
  // Only a cell the user may change toggles.
  if (!cell || !IsCellEditable(row, col)) return;
  cell->state ^= GRID_STATE_CHECKED;
  SetModified(TRUE, row, col);
  RedrawCell(row, col);
}

void CGridCtrl::OnChar(UINT ch, UINT, UINT) {
  if (keyDown(VK_CONTROL) || mouseMode_ != GRID_MOUSE_NONE) return;
  if (ch == VK_TAB && handleTab_) return;
  OnEditCell(focusCell_.row, focusCell_.col, ch);
}

// ---- in-place editing ----

void CGridCtrl::OnEditCell(int row, int col, UINT ch) {
  EnsureVisible(row, col);
  // A check-box cell shows no text to edit.
  if (!IsValid(row, col) || !IsCellEditable(row, col) || !IsCellVisible(row, col) ||
      (GetItemState(row, col) & GRID_STATE_CHECKBOX))
    return;
  QRect rect;
  if (!GetCellRect(row, col, &rect)) return;
  SendMessageToParent(row, col, GRIDN_BEGINTEXTCHANGE);
  GRIDITEMINFO item;
  item.row = row;
  item.col = col;
  item.mask = GRID_MASK_TEXT | GRID_MASK_FORMAT;
  if (!GetItem(&item)) return;
  const DWORD style = (item.format & DT_RIGHT) ? ES_RIGHT : (item.format & DT_CENTER) ? ES_CENTER : ES_LEFT;
  CreateInPlaceEditControl(rect, style, GRID_EDIT_ID, row, col, item.text, ch);
}

void CGridCtrl::CreateInPlaceEditControl(const QRect& rect, DWORD style, UINT id, int row, int col,
                                         const std::string& text, UINT ch) {
  EndEditing();
  edit_ = new CGridEditBox(this, rect, style | ES_AUTOHSCROLL, id, row, col, text, ch);
}

void CGridCtrl::OnEndEditCell(int row, int col, const std::string& text) {
  CGridCellData* cell = GetCell(row, col);
  if (!cell || cell->text == text) return;
  SetModified(TRUE, row, col);
  cell->text = text;
}

BOOL CGridCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (wParam == WPARAM(GRID_EDIT_ID) && hdr && hdr->code == GRIDN_ENDTEXTCHANGE &&
      qobject_cast<CGridEditBox*>(hdr->hwndFrom)) {
    const auto* record = reinterpret_cast<const GRIDEDITEND*>(lParam);
    editEnded(record->item.row, record->item.col, record->item.text, UINT(record->item.lParam));
    if (result) *result = 0;
    return TRUE;
  }
  return CWnd::OnNotify(wParam, lParam, result);
}

void CGridCtrl::editEnded(int row, int col, const std::string& text, UINT key) {
  if (destroying_) return;
  OnEndEditCell(row, col, text);
  RedrawCell(row, col);
  SendMessageToParent(row, col, GRIDN_ENDTEXTCHANGE);
  if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
    OnKeyDown(key, 1, 0);
    OnEditCell(focusCell_.row, focusCell_.col, key);
  }
}

// ---- title tips ----

void CGridCtrl::hideTitleTip() {
  if (tip_) tip_->Hide();
}

void CGridCtrl::offerTitleTip(const CGridCellID& cell) {
  if (!tip_ || !IsValid(cell)) return;
  QRect textRect, cellRect;
  if (!GetTextRect(cell.row, cell.col, &textRect) || !GetCellRect(cell.row, cell.col, &cellRect)) return;
  const CGridCellData* data = GetCell(cell.row, cell.col);
  const QFont font = FontOf(data->font);
  tip_->Show(textRect, ShownText(cell.row, cell.col, GetItemText(cell.row, cell.col), font), cellRect, font);
}

CGridEditBox* CGridCtrl::GetInPlaceEdit() const { return edit_.data(); }
