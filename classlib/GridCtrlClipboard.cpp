// The grid's clipboard text and drag and drop.
//
// The text of a cell range (GridText.h): a selected cell gives its text
// (" " when empty), any other cell an empty field.
#include "classlib/GridCtrl.h"
#include "classlib/GridEditBox.h"
#include "classlib/GridText.h"
#include "platform/CmdUI.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

BOOL CGridCtrl::ClipboardHasText() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText();
}

void CGridCtrl::ClearSelectedCells() {
  if (!editable_) return;
  const SelectionMap selected = selected_;
  for (const auto& [key, id] : selected) {
    // Cells the user may not change stay as they are, check boxes included.
    if (!IsCellEditable(id.row, id.col)) continue;
    CGridCellData* cell = GetCell(id.row, id.col);
    if (cell->state & GRID_STATE_CHECKBOX) {
      cell->state &= ~GRID_STATE_CHECKED;
      SetModified(TRUE, id.row, id.col);
      RedrawCell(id.row, id.col);
    }
    SendMessageToParent(id.row, id.col, GRIDN_BEGINTEXTCHANGE);
    EmptyCell(cell, id.row, id.col);
    SetModified(TRUE, id.row, id.col);
    SendMessageToParent(id.row, id.col, GRIDN_ENDTEXTCHANGE);
  }
  update();
}

COleDataSource* CGridCtrl::CopyCellsToDataSource() {
  const CGridCellRange range = GetSelectedCellRange();
  if (!IsValid(range)) return nullptr;
  tallix::GridTextLines lines;
  for (int r = range.minRow; r <= range.maxRow; ++r) {
    std::vector<std::string>& fields = lines.emplace_back();
    for (int c = range.minCol; c <= range.maxCol; ++c) {
      const CGridCellData* cell = GetCell(r, c);
      std::string& field = fields.emplace_back();
      if (cell && (cell->state & GRID_STATE_SELECTED)) field = GetItemText(r, c);
      if (cell && (cell->state & GRID_STATE_SELECTED) && field.empty()) field.push_back(' ');
    }
  }
  const QByteArray text = tallix::formatGridText(lines);
  auto* source = new COleDataSource;
  source->CacheGlobalData(CF_TEXT, text);
  return source;
}

BOOL CGridCtrl::PasteCellsFromData(int row, int col, COleDataObject* data) {
  if (!IsValid(row, col) || !IsCellEditable(row, col) || !data) return FALSE;
  const std::optional<QByteArray> block = data->GetGlobalData(CF_TEXT);
  if (!block) return FALSE;
  const tallix::GridTextLines lines = tallix::parseGridText(*block);
  for (size_t n = 0; n < lines.size(); ++n)
    for (size_t k = 0; k < lines[n].size(); ++k) {
      const int r = row + int(n), c = col + int(k);
      // Cells outside the grid, and cells the user may not change, are left
      // alone.
      if (!IsValid(r, c) || !IsCellEditable(r, c)) continue;
      SendMessageToParent(r, c, GRIDN_BEGINTEXTCHANGE);
      SetItemText(r, c, lines[n][k]);
      SetModified(TRUE, r, c);
      SendMessageToParent(r, c, GRIDN_ENDTEXTCHANGE);
      SetItemState(r, c, GetItemState(r, c) & ~GRID_STATE_SELECTED);
    }
  update();
  return TRUE;
}

void CGridCtrl::OnEditCut() {
  if (!editable_) return;
  std::unique_ptr<COleDataSource> source(CopyCellsToDataSource());
  if (!source) return;
  source->SetClipboard();
  ClearSelectedCells();
}

void CGridCtrl::OnEditCopy() {
  std::unique_ptr<COleDataSource> source(CopyCellsToDataSource());
  if (source) source->SetClipboard();
}

void CGridCtrl::OnEditPaste() {
  if (!editable_) return;
  CGridCellID start = focusCell_;
  if (!IsValid(start)) start = GetFirstVisibleCell();
  COleDataObject data;
  if (data.AttachClipboard()) PasteCellsFromData(start.row, start.col, &data);
  data.Release();
}

void CGridCtrl::OnEditSelectAll() { SelectAllCells(); }

void CGridCtrl::OnUpdateEditCopy(CCmdUI* ui) {
  const CGridCellRange range = GetSelectedCellRange();
  ui->Enable(IsValid(range));
}

void CGridCtrl::OnUpdateEditCut(CCmdUI* ui) {
  const CGridCellRange range = GetSelectedCellRange();
  ui->Enable(editable_ && IsValid(range));
}

void CGridCtrl::OnUpdateEditPaste(CCmdUI* ui) {
  ui->Enable(IsValid(focusCell_) && IsCellEditable(focusCell_.row, focusCell_.col) && ClipboardHasText());
}

void CGridCtrl::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(enableSelection_); }

// ---- drag and drop ----

void CGridCtrl::OnBeginDrag() {
  if (!dragAndDrop_) return;
  std::unique_ptr<COleDataSource> source(CopyCellsToDataSource());
  if (!source) return;
  const CGridCellRange range = GetSelectedCellRange();
  SendMessageToParent(range.minRow, range.minCol, GRIDN_BEGINDRAG);
  mouseMode_ = GRID_MOUSE_DRAGGING;
  QPointer<CGridCtrl> self(this);
  const DROPEFFECT effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, this);
  if (!self) return;
  if (effect & DROPEFFECT_MOVE) ClearSelectedCells();
  if (mouseMode_ == GRID_MOUSE_DRAGGING) mouseMode_ = GRID_MOUSE_NONE;
}

DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) {
  if (!dragAndDrop_ || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
  dropCell_ = HitTestCell(point, FALSE);
  if (!IsValid(dropCell_) || !IsCellEditable(dropCell_.row, dropCell_.col)) return DROPEFFECT_NONE;
  SetItemState(dropCell_.row, dropCell_.col, GetItemState(dropCell_.row, dropCell_.col) | GRID_STATE_DROPTARGET);
  RedrawCell(dropCell_.row, dropCell_.col);
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CGridCtrl::OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) {
  if (!dragAndDrop_ || !editable_ || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
  const CGridCellID cell = HitTestCell(point, FALSE);
  if (!IsValid(cell)) {
    OnDragLeave();
    dropCell_ = CGridCellID();
    return DROPEFFECT_NONE;
  }
  if (!IsCellEditable(cell.row, cell.col)) return DROPEFFECT_NONE;
  if (!(cell == dropCell_)) {
    OnDragLeave();
    dropCell_ = cell;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GRID_STATE_DROPTARGET);
    RedrawCell(cell.row, cell.col);
  }
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::OnDragLeave() {
  if (!IsValid(dropCell_)) return;
  SetItemState(dropCell_.row, dropCell_.col, GetItemState(dropCell_.row, dropCell_.col) & ~GRID_STATE_DROPTARGET);
  RedrawCell(dropCell_.row, dropCell_.col);
}

BOOL CGridCtrl::OnDrop(COleDataObject* data, DROPEFFECT, QPoint) {
  if (!dragAndDrop_ || !IsCellEditable(dropCell_.row, dropCell_.col)) return FALSE;
  mouseMode_ = GRID_MOUSE_NONE;
  OnDragLeave();
  const CGridCellID cell = dropCell_;
  dropCell_ = CGridCellID();
  return PasteCellsFromData(cell.row, cell.col, data);
}

BOOL CGridDropHandler::Register(CGridCtrl* grid) {
  if (grid_ || !grid) return FALSE;
  if (!COleDropTarget::Register(grid)) return FALSE;
  grid_ = grid;
  return TRUE;
}

void CGridDropHandler::Revoke() {
  if (grid_) COleDropTarget::Revoke();
  grid_ = nullptr;
}

DROPEFFECT CGridDropHandler::OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  return window == grid_ ? grid_->OnDragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

DROPEFFECT CGridDropHandler::OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  return window == grid_ ? grid_->OnDragOver(data, keyState, point) : DROPEFFECT_NONE;
}

BOOL CGridDropHandler::OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT effect, QPoint point) {
  return window == grid_ ? grid_->OnDrop(data, effect, point) : FALSE;
}

DROPEFFECT CGridDropHandler::OnDropEx(QWidget*, COleDataObject*, DROPEFFECT, DROPEFFECT, QPoint) {
  return DROPEFFECT(-1);
}

void CGridDropHandler::OnDragLeave(QWidget* window) {
  if (window == grid_) grid_->OnDragLeave();
}

DROPEFFECT CGridDropHandler::OnDragScroll(QWidget* window, DWORD keyState, QPoint) {
  if (window != grid_) return DROPEFFECT_NONE;
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}
