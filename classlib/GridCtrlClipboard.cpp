// The grid's clipboard text and drag and drop.
//
// The text of a cell range: one line per row joined by "\n", fields joined
// by "\t"; a selected cell gives its text (" " when empty), any other cell
// an empty field; one NUL ends it. Pasting splits lines at "\n" and fields
// at runs of tabs and semicolons.
#include "classlib/GridCtrl.h"
#include "classlib/GridEditBox.h"
#include "platform/CmdUI.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isSpace(s[b])) ++b;
  while (e > b && isSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The fields of a line: runs of tabs, semicolons and line breaks separate,
// and give no empty fields.
std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == '\t' || line[i] == ';' || line[i] == '\n')) ++i;
    if (i >= line.size()) break;
    const size_t start = i;
    while (i < line.size() && line[i] != '\t' && line[i] != ';' && line[i] != '\n') ++i;
    fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool clipboardHasText() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText();
}

}  // namespace

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
  QByteArray text;
  for (int r = range.minRow; r <= range.maxRow; ++r) {
    if (r > range.minRow) text += '\n';
    for (int c = range.minCol; c <= range.maxCol; ++c) {
      if (c > range.minCol) text += '\t';
      const CGridCellData* cell = GetCell(r, c);
      if (cell && (cell->state & GRID_STATE_SELECTED)) {
        const std::string t = GetItemText(r, c);
        text += t.empty() ? QByteArray(" ") : QByteArray(t.data(), qsizetype(t.size()));
      }
    }
  }
  text += '\0';
  auto* source = new COleDataSource;
  source->CacheGlobalData(CF_TEXT, text);
  return source;
}

BOOL CGridCtrl::PasteCellsFromData(int row, int col, COleDataObject* data) {
  if (!IsValid(row, col) || !IsCellEditable(row, col) || !data) return FALSE;
  const std::optional<QByteArray> block = data->GetGlobalData(CF_TEXT);
  if (!block) return FALSE;
  // The block is read up to its NUL and never past its size: text from
  // other programs need not end with one.
  const qsizetype end = block->indexOf('\0');
  const std::string text(block->constData(), size_t(end < 0 ? block->size() : end));
  size_t pos = 0;
  for (int line = 0; pos <= text.size(); ++line) {
    const size_t nl = text.find('\n', pos);
    std::string lineText = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (nl != std::string::npos && lineText.empty()) lineText.push_back(' ');
    const std::vector<std::string> fields = splitFields(lineText);
    for (size_t k = 0; k < fields.size(); ++k) {
      const int r = row + line, c = col + int(k);
      if (!IsValid(r, c)) continue;
      // Cells the user may not change are left alone.
      if (!IsCellEditable(r, c)) continue;
      SendMessageToParent(r, c, GRIDN_BEGINTEXTCHANGE);
      SetItemText(r, c, trimmed(fields[k]));
      SetModified(TRUE, r, c);
      SendMessageToParent(r, c, GRIDN_ENDTEXTCHANGE);
      SetItemState(r, c, GetItemState(r, c) & ~GRID_STATE_SELECTED);
    }
    if (nl == std::string::npos) break;
    pos = nl + 1;
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
  ui->Enable(IsValid(focusCell_) && IsCellEditable(focusCell_.row, focusCell_.col) && clipboardHasText());
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
