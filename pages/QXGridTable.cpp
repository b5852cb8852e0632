#include "pages/QXGridTable.h"

#include "datamodel/CalcNumber.h"
#include "datamodel/QXVariableSet.h"

#include <QApplication>
#include <QFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {
constexpr UINT kGridId = 50;
}  // namespace

CQXGridTable::CQXGridTable() : m_roundTo10Digits(GetRoundTo10DigitsSetting()), m_grid(new CQXGridCtrl(0, 0, 0, 0)) {}

CQXGridTable::~CQXGridTable() {
  // Gone already when the window it lived in was destroyed first.
  delete m_grid.data();
  delete m_frame.data();
}

BOOL CQXGridTable::CreateGrid(QWidget* parent, CWnd* owner) {
  if (m_frame) return FALSE;
  // The sunken client edge around the grid.
  m_frame = new QFrame(parent);
  m_frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* layout = new QVBoxLayout(m_frame);
  layout->setContentsMargins(m_frame->frameWidth(), m_frame->frameWidth(), m_frame->frameWidth(),
                             m_frame->frameWidth());
  if (!m_grid->Create(QRect(), m_frame, kGridId, WS_CHILD | WS_VISIBLE | WS_TABSTOP)) return FALSE;
  layout->addWidget(m_grid.data());
  m_grid->SetOwner(owner);
  m_frame->show();
  return TRUE;
}

void CQXGridTable::PlaceGrid(const QRect& rect) {
  if (m_frame) m_frame->setGeometry(rect);
}

void CQXGridTable::DestroyGrid() {
  if (!m_frame) return;
  // The grid leaves the page's windows but stays with the table, which
  // may still be asked for its cells.
  if (m_grid) {
    m_grid->EndEditing();
    m_grid->hide();
    m_grid->setParent(nullptr);
  }
  delete m_frame.data();
}

bool CQXGridTable::inDataArea(const CGridCellID& cell) const {
  return m_grid->IsValid(cell) && cell.row >= m_grid->GetFixedRowCount() && cell.col >= m_grid->GetFixedColumnCount();
}

void CQXGridTable::RenumberRowHeaders() {
  if (m_grid->GetFixedColumnCount() == 0 || m_grid->GetRowCount() == 0) return;
  const int fixed = m_grid->GetFixedRowCount();
  for (int r = fixed; r < m_grid->GetRowCount(); ++r) {
    const int n = r - fixed + 1;
    m_grid->SetItemText(r, 0, m_rowsNumbered ? std::to_string(n) : std::string(1, char(m_firstHeaderLetter + n - 1)));
    m_grid->SetItemFormat(r, 0, m_rowHeaderFormat);
  }
}

void CQXGridTable::RenumberColumnHeaders() {
  if (m_grid->GetFixedRowCount() == 0 || m_grid->GetFixedColumnCount() == 0) return;
  const int fixed = m_grid->GetFixedColumnCount();
  for (int c = fixed; c < m_grid->GetColumnCount(); ++c) {
    const int n = c - fixed;
    m_grid->SetItemText(0, c,
                       m_columnsNumbered ? std::to_string(m_firstColumnNumber + n)
                                         : std::string(1, char(m_firstHeaderLetter + n)));
    m_grid->SetItemFormat(0, c, m_columnHeaderFormat);
  }
}

void CQXGridTable::SetRowLabelsFromList(const std::vector<std::string>& names, int count) {
  if (m_grid->GetFixedColumnCount() == 0) return;
  const int fixed = m_grid->GetFixedRowCount();
  const int n = std::min({count, int(names.size()), m_grid->GetRowCount() - fixed});
  for (int i = 0; i < n && !names[size_t(i)].empty(); ++i) {
    m_grid->SetItemText(fixed + i, 0, names[size_t(i)]);
    m_grid->SetItemFormat(fixed + i, 0, m_rowHeaderFormat);
  }
}

void CQXGridTable::SetRowLabelsFromItem(const CQXVariableSet& set) {
  std::vector<std::string> names;
  for (int i = 0; i < set.GetCount(); ++i) {
    const CQXStoredNameField* name = set.GetEntryName(i);
    names.push_back(name ? name->GetText() : std::string());
  }
  SetRowLabels(names);
}

void CQXGridTable::EnableGridIfHasCells() {
  const bool hasCells = m_grid->GetDataRowCount() > 0 && m_grid->GetDataColumnCount() > 0;
  if (!hasCells && m_grid->hasFocus() && m_grid->parentWidget()) m_grid->parentWidget()->setFocus();
  m_grid->setEnabled(hasCells);
}

void CQXGridTable::setCellText(int row, int col, const std::string& text, LPARAM data) {
  GRIDITEMINFO item;
  item.row = row;
  item.col = col;
  item.mask = GRID_MASK_TEXT | GRID_MASK_FORMAT | GRID_MASK_PARAM;
  item.text = text;
  item.format = m_cellFormat;
  item.lParam = data;
  m_grid->SetItem(&item);
}

void CQXGridTable::fillNewCells(int row0, int row1, int col0, int col1) {
  for (int r = row0; r < row1; ++r)
    for (int c = col0; c < col1; ++c) setCellText(r, c, m_defaultCellText, 0);
}

void CQXGridTable::SetDataRowCount(int n) {
  const int fixed = m_grid->GetFixedRowCount();
  const int before = m_grid->GetRowCount();
  const int after = std::clamp(n, 0, m_limit) + fixed;
  if (after == before) {
    EnableGridIfHasCells();
    return;
  }
  const CGridCellID focus = m_grid->GetFocusCell();
  m_grid->SetRowCount(after);
  EnableGridIfHasCells();
  RenumberRowHeaders();
  if (after > before) {
    fillNewCells(std::max(before, fixed), after, m_grid->GetFixedColumnCount(), m_grid->GetColumnCount());
    const int firstCol = m_grid->GetFixedColumnCount();
    if (focus.row < 0) {
      const CGridCellID to(fixed, focus.col >= firstCol ? focus.col : firstCol);
      if (m_grid->IsValid(to)) m_grid->SetFocusCell(to);
    } else if (focus.col < 0) {
      if (m_grid->IsValid(focus.row, firstCol)) m_grid->SetFocusCell(focus.row, firstCol);
    }
  } else if (focus.row >= after) {
    if (m_grid->GetDataRowCount() > 0)
      m_grid->SetFocusCell(after - 1, std::max(focus.col, m_grid->GetFixedColumnCount()));
    else
      m_grid->SetFocusCell(-1, -1);
  }
  m_modified = TRUE;
  m_grid->update();
}

void CQXGridTable::SetDataColumnCount(int n) {
  const int fixed = m_grid->GetFixedColumnCount();
  const int before = m_grid->GetColumnCount();
  const int after = std::clamp(n, 0, m_limit) + fixed;
  if (after == before) {
    EnableGridIfHasCells();
    return;
  }
  const CGridCellID focus = m_grid->GetFocusCell();
  m_grid->SetColumnCount(after);
  EnableGridIfHasCells();
  RenumberColumnHeaders();
  if (after > before) {
    fillNewCells(m_grid->GetFixedRowCount(), m_grid->GetRowCount(), std::max(before, fixed), after);
    const int firstRow = m_grid->GetFixedRowCount();
    if (focus.col < 0) {
      const CGridCellID to(focus.row >= firstRow ? focus.row : firstRow, fixed);
      if (m_grid->IsValid(to)) m_grid->SetFocusCell(to);
    } else if (focus.row < 0) {
      if (m_grid->IsValid(firstRow, focus.col)) m_grid->SetFocusCell(firstRow, focus.col);
    }
  } else if (focus.col >= after) {
    if (m_grid->GetDataColumnCount() > 0)
      m_grid->SetFocusCell(std::max(focus.row, m_grid->GetFixedRowCount()), after - 1);
    else
      m_grid->SetFocusCell(-1, -1);
  }
  m_modified = TRUE;
  m_grid->update();
}

void CQXGridTable::FocusFirstCell() {
  const CGridCellID first(m_grid->GetFixedRowCount(), m_grid->GetFixedColumnCount());
  m_grid->SetFocusCell(m_grid->IsValid(first) ? first : CGridCellID());
}

void CQXGridTable::ResizeGrid(int rows, int columns) {
  m_grid->SetRowCount(std::max(rows, 0) + m_grid->GetFixedRowCount());
  m_grid->SetColumnCount(std::max(columns, 0) + m_grid->GetFixedColumnCount());
  for (int r = m_grid->GetFixedRowCount(); r < m_grid->GetRowCount(); ++r)
    for (int c = m_grid->GetFixedColumnCount(); c < m_grid->GetColumnCount(); ++c) setCellText(r, c, "0", 0);
  RenumberColumnHeaders();
  RenumberRowHeaders();
  EnableGridIfHasCells();
  FocusFirstCell();
  m_grid->update();
}

BOOL CQXGridTable::CanInsertRow() const {
  return m_rowsEditable && m_grid->GetDataRowCount() < m_limit && inDataArea(m_grid->GetFocusCell());
}

BOOL CQXGridTable::CanDeleteRow() const { return m_rowsEditable && inDataArea(m_grid->GetFocusCell()); }

BOOL CQXGridTable::CanInsertColumn() const {
  return m_columnsEditable && m_grid->GetDataColumnCount() < m_limit && inDataArea(m_grid->GetFocusCell());
}

BOOL CQXGridTable::CanDeleteColumn() const { return m_columnsEditable && inDataArea(m_grid->GetFocusCell()); }

void CQXGridTable::InsertRow() {
  if (!CanInsertRow()) return;
  const CGridCellID focus = m_grid->GetFocusCell();
  m_grid->InsertRow("0", focus.row);
  RenumberRowHeaders();
  fillNewCells(focus.row, focus.row + 1, m_grid->GetFixedColumnCount(), m_grid->GetColumnCount());
  m_grid->SetFocusCell(focus);
  m_modified = TRUE;
  m_grid->update();
  OnRowCountChanged();
}

void CQXGridTable::DeleteRow() {
  if (!CanDeleteRow()) return;
  const CGridCellID focus = m_grid->GetFocusCell();
  m_grid->DeleteRow(focus.row);
  RenumberRowHeaders();
  const int row = focus.row < m_grid->GetRowCount() ? focus.row : focus.row - 1;
  if (inDataArea(CGridCellID(row, focus.col))) m_grid->SetFocusCell(row, focus.col);
  EnableGridIfHasCells();
  m_modified = TRUE;
  m_grid->update();
  OnRowCountChanged();
}

void CQXGridTable::InsertColumn() {
  if (!CanInsertColumn()) return;
  const CGridCellID focus = m_grid->GetFocusCell();
  const int width = m_grid->GetColumnWidth(focus.col);
  m_grid->InsertColumn("", m_columnHeaderFormat, focus.col);
  m_grid->SetColumnWidth(focus.col, width);
  RenumberColumnHeaders();
  fillNewCells(m_grid->GetFixedRowCount(), m_grid->GetRowCount(), focus.col, focus.col + 1);
  m_grid->SetFocusCell(focus);
  m_modified = TRUE;
  m_grid->ResetScrollBars();
  m_grid->update();
  OnColumnCountChanged();
}

void CQXGridTable::DeleteColumn() {
  if (!CanDeleteColumn()) return;
  const CGridCellID focus = m_grid->GetFocusCell();
  m_grid->DeleteColumn(focus.col);
  RenumberColumnHeaders();
  const int col = focus.col < m_grid->GetColumnCount() ? focus.col : focus.col - 1;
  if (inDataArea(CGridCellID(focus.row, col))) m_grid->SetFocusCell(focus.row, col);
  EnableGridIfHasCells();
  m_modified = TRUE;
  m_grid->update();
  OnColumnCountChanged();
}

BOOL CQXGridTable::IsModified() const { return m_modified || m_grid->GetModified(-1, -1); }

void CQXGridTable::SetModified(BOOL modified) {
  m_modified = modified;
  m_grid->SetModified(modified, -1, -1);
}

BOOL CQXGridTable::GetDefaultCellText(int, int, char* buffer, UINT size) {
  if (!buffer || size < 2) return FALSE;
  std::strcpy(buffer, "0");
  return TRUE;
}

void CQXGridTable::OnStoreRefused(UINT, const std::string&, const std::string&) {}
