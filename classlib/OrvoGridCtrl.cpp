#include "classlib/OrvoGridCtrl.h"

#include "classlib/GridEditBox.h"
#include "platform/RuntimeClass.h"

#include <QApplication>

const CMessageMap& COrvoGridCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoGridCtrl>(CGridCtrl::messageMap());
  return map;
}

COrvoGridCtrl::COrvoGridCtrl(QWidget* parent) : COrvoGridCtrl(0, 0, 0, 0, parent) {}

COrvoGridCtrl::COrvoGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : CGridCtrl(rows, cols, fixedRows, fixedCols, parent) {
  static const bool registered = (RegisterRuntimeClass(RUNTIME_CLASS(COrvoGridCtrl)), true);
  (void)registered;
  EnableTitleTips(FALSE);
}

void COrvoGridCtrl::ClearSelection() {
  ResetSelectedRange();
  ClearPreviousSelection();
  update();
}

BOOL COrvoGridCtrl::GetModified(int row, int col) const {
  if (IsEditing()) return TRUE;
  if (row > 0 && col > 0) return (GetItemState(row, col) & GRID_STATE_MODIFIED) ? TRUE : FALSE;
  return IsGridModified();
}

BOOL COrvoGridCtrl::CopyGridFrom(const CGridCtrl& source) {
  SetRowCount(source.GetRowCount());
  SetColumnCount(source.GetColumnCount());
  SetFixedRowCount(source.GetFixedRowCount());
  SetFixedColumnCount(source.GetFixedColumnCount());
  for (int r = 0; r < source.GetRowCount(); ++r) {
    SetRowHeight(r, source.GetRowHeight(r));
    if (r == 0)
      for (int c = 0; c < source.GetColumnCount(); ++c) SetColumnWidth(c, source.GetColumnWidth(c));
    for (int c = 0; c < source.GetColumnCount(); ++c) {
      GRIDITEMINFO item;
      item.row = r;
      item.col = c;
      item.mask = GRID_MASK_TEXT | GRID_MASK_STATE | GRID_MASK_BACKGROUND | GRID_MASK_TEXTCOLOR | GRID_MASK_FORMAT |
                  GRID_MASK_FONT;
      source.GetItem(&item);
      SetItem(&item);
    }
  }
  return TRUE;
}

void COrvoGridCtrl::OnRButtonDown(UINT flags, QPoint point) {
  const CGridCellID cell = HitTestCell(point, TRUE);
  if (!IsValid(cell)) return;
  setFocus(Qt::MouseFocusReason);
  if (GetMouseMode() == GRID_MOUSE_NONE) {
    if (MouseOverColumnResizeArea(point))
      SetMouseMode(GRID_MOUSE_OVER_COL_BORDER);
    else if (MouseOverRowResizeArea(point))
      SetMouseMode(GRID_MOUSE_OVER_ROW_BORDER);
    ShowSizeCursor(GetMouseMode());
  }
  const int fixedRows = GetFixedRowCount(), fixedCols = GetFixedColumnCount();
  if (cell.row < fixedRows && cell.col < fixedCols) {
    ClearPreviousSelection();
    SetSelectionAnchor(CGridCellID(fixedRows, fixedCols));
    OnFixedRowClick(cell);
    SetFocusCell(fixedRows, fixedCols);
  } else if (cell.row < fixedRows) {
    ClearPreviousSelection();
    SetSelectionAnchor(CGridCellID(fixedRows, cell.col));
    OnFixedRowClick(cell);
    SetFocusCell(fixedRows, cell.col);
  } else if (cell.col < fixedCols) {
    ClearPreviousSelection();
    SetSelectionAnchor(CGridCellID(cell.row, fixedCols));
    OnFixedColumnClick(cell);
    SetFocusCell(cell.row, fixedCols);
  } else if (!(cell == GetFocusCell()) && !(GetItemState(cell.row, cell.col) & GRID_STATE_SELECTED)) {
    ClearPreviousSelection();
    SetMouseMode(GetListMode() ? GRID_MOUSE_SELECT_ROWS : GRID_MOUSE_SELECT_CELLS);
    SetFocusCell(cell);
  }
  // A right click does no selecting of its own afterwards.
  if (GetMouseMode() != GRID_MOUSE_OVER_COL_BORDER && GetMouseMode() != GRID_MOUSE_OVER_ROW_BORDER)
    SetMouseMode(GRID_MOUSE_NONE);
  CGridCtrl::OnRButtonDown(flags, point);
}

void COrvoGridCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  // Delete is one action: the selection when there is one, else (below)
  // the focus cell.
  if (key == VK_DELETE && IsValid(GetFocusCell()) && IsValid(GetSelectedCellRange())) {
    ClearSelectedCells();
    return;
  }
  CGridCtrl::OnKeyDown(key, repeat, flags);
}

bool COrvoGridCtrl::gridHasFocus() const { return QApplication::focusWidget() == this; }

BOOL COrvoGridCtrl::IsEditing() const { return GetInPlaceEdit() != nullptr; }

void COrvoGridCtrl::Cut() {
  if (CGridEditBox* edit = GetInPlaceEdit())
    edit->cut();
  else if (gridHasFocus())
    OnEditCut();
}

void COrvoGridCtrl::Copy() {
  if (CGridEditBox* edit = GetInPlaceEdit())
    edit->copy();
  else if (gridHasFocus())
    OnEditCopy();
}

void COrvoGridCtrl::Paste() {
  if (CGridEditBox* edit = GetInPlaceEdit())
    edit->paste();
  else if (gridHasFocus())
    OnEditPaste();
}

void COrvoGridCtrl::Clear() {
  if (CGridEditBox* edit = GetInPlaceEdit()) {
    // Clear takes the selected text only, never the character at the caret.
    if (edit->hasSelectedText()) edit->del();
  } else
    ClearSelectedCells();
}

BOOL COrvoGridCtrl::Undo() {
  if (CGridEditBox* edit = GetInPlaceEdit()) {
    edit->undo();
    return TRUE;
  }
  return FALSE;
}

void COrvoGridCtrl::SelectAll() {
  if (CGridEditBox* edit = GetInPlaceEdit()) {
    edit->selectAll();
  } else {
    SelectAllCells();
  }
}

BOOL COrvoGridCtrl::CanCopy() const {
  if (CGridEditBox* edit = GetInPlaceEdit()) return edit->hasSelectedText();
  return gridHasFocus() && IsValid(GetSelectedCellRange());
}

BOOL COrvoGridCtrl::CanPaste() const {
  if (GetInPlaceEdit()) return ClipboardHasText();
  const CGridCellID focus = GetFocusCell();
  return gridHasFocus() && IsCellEditable(focus.row, focus.col) && ClipboardHasText();
}

BOOL COrvoGridCtrl::CanClear() const {
  if (CGridEditBox* edit = GetInPlaceEdit()) return !edit->text().isEmpty();
  return gridHasFocus() && IsValid(GetSelectedCellRange());
}

BOOL COrvoGridCtrl::CanUndo() const {
  if (CGridEditBox* edit = GetInPlaceEdit()) return edit->isUndoAvailable();
  return FALSE;
}

BOOL COrvoGridCtrl::CanSelectAll() const {
  if (CGridEditBox* edit = GetInPlaceEdit()) return !edit->text().isEmpty();
  return gridHasFocus() ? IsSelectable() : FALSE;
}

BOOL COrvoGridCtrl::CanEditFocusCell() const {
  if (GetInPlaceEdit()) return FALSE;
  const CGridCellID focus = GetFocusCell();
  return gridHasFocus() && IsCellEditable(focus.row, focus.col);
}

void COrvoGridCtrl::EditFocusCell() {
  if (!CanEditFocusCell()) return;
  const CGridCellID focus = GetFocusCell();
  OnEditCell(focus.row, focus.col, VK_LBUTTON);
}
