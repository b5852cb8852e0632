// The grid's cells, counts, sizes, selection and notifications.
#include "classlib/GridCtrl.h"

#include "charset/Cp1252.h"
#include "classlib/GridEditBox.h"
#include "classlib/GridTipWnd.h"
#include "platform/CalcShownText.h"
#include "platform/CmdUI.h"
#include "platform/ImageList.h"
#include "platform/LanguageLibrary.h"
#include "platform/RuntimeClass.h"
#include "platform/SysColor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

LOGFONT boldOf(LOGFONT font) {
  font.lfWeight = 600;
  return font;
}

}  // namespace

const CMessageMap& CGridCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CGridCtrl>(CWnd::messageMap())
                                     .command(ID_EDIT_CUT, &CGridCtrl::OnEditCut)
                                     .command(ID_EDIT_COPY, &CGridCtrl::OnEditCopy)
                                     .command(ID_EDIT_PASTE, &CGridCtrl::OnEditPaste)
                                     .command(ID_EDIT_SELECT_ALL, &CGridCtrl::OnEditSelectAll)
                                     .updateUI(ID_EDIT_CUT, &CGridCtrl::OnUpdateEditCut)
                                     .updateUI(ID_EDIT_COPY, &CGridCtrl::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_PASTE, &CGridCtrl::OnUpdateEditPaste)
                                     .updateUI(ID_EDIT_SELECT_ALL, &CGridCtrl::OnUpdateEditSelectAll);
  return map;
}

CGridCtrl::CGridCtrl(QWidget* parent) : CGridCtrl(0, 0, 0, 0, parent) {}

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent) : CScrollWnd<CWnd>(parent) {
  init(rows, cols, fixedRows, fixedCols);
}

void CGridCtrl::init(int rows, int cols, int fixedRows, int fixedCols) {
  RegisterWindowClass();
  sysText_ = textColor_ = fixedTextColor_ = GetSysColor(COLOR_WINDOWTEXT);
  sysWindow_ = bkColor_ = GetSysColor(COLOR_WINDOW);
  sysShadow_ = shadowColor_ = GetSysColor(COLOR_BTNSHADOW);
  sysFace_ = fixedBkColor_ = GetSysColor(COLOR_BTNFACE);
  wheelLines_ = QApplication::wheelScrollLines();
  fontDesc_ = tallix::logFontFromFont(QApplication::font());
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  SetRowCount(rows);
  SetColumnCount(cols);
  SetFixedRowCount(fixedRows);
  SetFixedColumnCount(fixedCols);
  selected_.clear();
  previous_.clear();
}

CGridCtrl::~CGridCtrl() {
  destroying_ = true;
  if (edit_) edit_->DetachFromGrid();
  delete tip_;
  DeleteAllItems();
}

void CGridCtrl::OnDestroy() {
  // The open edit keeps what was typed, and the owner is told (-106).
  EndEditing();
  dropTarget_.Revoke();
  CWnd::OnDestroy();
}

void CGridCtrl::RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterRuntimeClass(RUNTIME_CLASS(CGridCtrl));
  CLanguageLibrary::RegisterWidgetClass(
      QStringLiteral("QXLGridCtrl"), [](QWidget* parent, const QString& name) -> QWidget* {
        auto* grid = new CGridCtrl(parent);
        grid->setObjectName(name);
        grid->prepareWindow();
        return grid;
      });
}

BOOL CGridCtrl::Create(const QRect& rect, QWidget* parent, UINT id, DWORD style) {
  if (!CWnd::Create(style, parent, id)) return FALSE;
  setGeometry(rect);
  prepareWindow();
  return TRUE;
}

// What making the window does, for a grid made by Create and for one that a
// dialog form makes.
void CGridCtrl::prepareWindow() {
  dropTarget_.Register(this);
  if (titleTips_ && !tip_) tip_ = new CGridTipWnd(this);
  SetFont(fontDesc_, FALSE);
  std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  ResetScrollBars();
}

CWnd* CGridCtrl::GetOwner() const { return owner_ ? owner_.data() : GetParent(); }

LRESULT CGridCtrl::SendMessageToParent(int row, int col, int code) {
  CWnd* target = GetOwner();
  // While the window is being destroyed (an open edit ending) the owner
  // still hears of it; from the destructor, nothing goes out.
  if (!target || destroying_) return 0;
  NMGRIDCELL nm;
  nm.hdr.hwndFrom = this;
  nm.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
  nm.hdr.code = code;
  nm.row = row;
  nm.col = col;
  return target->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

QFont CGridCtrl::FontOf(const LOGFONT& font) const {
  const std::string key(reinterpret_cast<const char*>(&font), sizeof font);
  auto it = fonts_.find(key);
  if (it == fonts_.end()) it = fonts_.emplace(key, tallix::fontFromLogFont(font)).first;
  return it->second;
}

QString CGridCtrl::ShownText(int row, int col, const std::string& text, const QFont& font) const {
  return row < fixedRows_ || col < fixedCols_ ? CalcDisplayText(text, font) : tallix::fromCp1252(text);
}

void CGridCtrl::SetFont(const LOGFONT& font, BOOL redraw) {
  fontDesc_ = font;
  for (Row& row : rows_)
    for (CGridCellData* cell : row) cell->font = font;
  const QFontMetrics fm(FontOf(font));
  margin_ = fm.horizontalAdvance(QLatin1Char(' '));
  defaultRowHeight_ = fm.height() + fm.leading() + 2 * margin_;
  defaultColWidth_ = 2 * (6 * fm.averageCharWidth() + margin_);
  if (redraw) update();
}

void CGridCtrl::OnSysColorChange() {
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT), window = GetSysColor(COLOR_WINDOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
  if (textColor_ == sysText_) textColor_ = text;
  if (bkColor_ == sysWindow_) bkColor_ = window;
  if (shadowColor_ == sysShadow_) shadowColor_ = shadow;
  if (fixedTextColor_ == sysText_) fixedTextColor_ = text;
  if (fixedBkColor_ == sysFace_) fixedBkColor_ = face;
  sysText_ = text;
  sysWindow_ = window;
  sysFace_ = face;
  sysShadow_ = shadow;
  update();
}

// ---- counts and sizes ----

CGridCellData* CGridCtrl::CreateCell(int row, int col) {
  auto* cell = new CGridCellData;
  if (row > 0 && row - 1 < int(rows_.size()) && col < int(rows_[row - 1].size()))
    cell->format = rows_[row - 1][col]->format;
  cell->font = fontDesc_;
  return cell;
}

void CGridCtrl::EmptyCell(CGridCellData* cell, int row, int col) {
  if (!cell) return;
  // The focus frame and the check box belong to the cell's place, not to
  // its contents.
  SetItemState(row, col, cell->state & (GRID_STATE_FOCUSED | GRID_STATE_CHECKBOX));
  cell->text.clear();
}

void CGridCtrl::deleteCell(int row, int col) {
  CGridCellData* cell = rows_[row][col];
  EmptyCell(cell, row, col);
  selected_.erase(SelectionKey(row, col));
  delete cell;
  rows_[row][col] = nullptr;
}

void CGridCtrl::afterCountChange() {
  if (allowDraw_) {
    ResetScrollBars();
    update();
  }
}

BOOL CGridCtrl::SetRowCount(int rows) {
  if (rows < 0) return FALSE;
  if (rows == rowCount_) return TRUE;
  if (fixedRows_ > rows) fixedRows_ = rows;
  if (focusCell_.row >= rows) SetFocusCell(-1, -1);
  for (int r = rows; r < rowCount_; ++r)
    for (int c = 0; c < colCount_; ++c) deleteCell(r, c);
  std::erase_if(previous_, [rows](const auto& e) { return e.second.row >= rows; });
  if (rows < rowCount_) {
    rows_.resize(size_t(rows));
    rowHeights_.resize(size_t(rows));
  }
  for (int r = rowCount_; r < rows; ++r) {
    rowHeights_.push_back(defaultRowHeight_);
    Row row;
    for (int c = 0; c < colCount_; ++c) row.push_back(CreateCell(r, c));  // the row above is in place
    rows_.push_back(std::move(row));
  }
  rowCount_ = rows;
  afterCountChange();
  return TRUE;
}

BOOL CGridCtrl::SetColumnCount(int cols) {
  if (cols < 0) return FALSE;
  if (cols == colCount_) return TRUE;
  if (fixedCols_ > cols) fixedCols_ = cols;
  if (focusCell_.col >= cols) SetFocusCell(-1, -1);
  for (int r = 0; r < rowCount_; ++r)
    for (int c = cols; c < colCount_; ++c) deleteCell(r, c);
  std::erase_if(previous_, [cols](const auto& e) { return e.second.col >= cols; });
  colWidths_.resize(size_t(cols), defaultColWidth_);
  for (int r = 0; r < rowCount_; ++r) {
    Row& row = rows_[size_t(r)];
    row.resize(std::min(row.size(), size_t(cols)));
    for (int c = int(row.size()); c < cols; ++c) row.push_back(CreateCell(r, c));
  }
  colCount_ = cols;
  afterCountChange();
  return TRUE;
}

BOOL CGridCtrl::SetFixedRowCount(int rows) {
  if (rows < 0) return FALSE;
  if (rows > rowCount_ && !SetRowCount(rows)) return FALSE;
  if (focusCell_.row >= 0 && focusCell_.row < rows) SetFocusCell(-1, -1);
  fixedRows_ = rows;
  afterCountChange();
  return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int cols) {
  if (cols < 0) return FALSE;
  if (cols > colCount_ && !SetColumnCount(cols)) return FALSE;
  if (focusCell_.col >= 0 && focusCell_.col < cols) SetFocusCell(-1, -1);
  fixedCols_ = cols;
  afterCountChange();
  return TRUE;
}

int CGridCtrl::GetRowHeight(int row) const { return row >= 0 && row < rowCount_ ? rowHeights_[size_t(row)] : -1; }
int CGridCtrl::GetColumnWidth(int col) const { return col >= 0 && col < colCount_ ? colWidths_[size_t(col)] : -1; }

BOOL CGridCtrl::SetRowHeight(int row, int height) {
  if (row < 0 || row >= rowCount_ || height < 0) return FALSE;
  rowHeights_[size_t(row)] = height;
  return TRUE;
}

BOOL CGridCtrl::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= colCount_ || width < 0) return FALSE;
  colWidths_[size_t(col)] = width;
  return TRUE;
}

int CGridCtrl::GetFixedRowHeight() const {
  int h = 0;
  for (int r = 0; r < fixedRows_; ++r) h += rowHeights_[size_t(r)];
  return h;
}

int CGridCtrl::GetFixedColumnWidth() const {
  int w = 0;
  for (int c = 0; c < fixedCols_; ++c) w += colWidths_[size_t(c)];
  return w;
}

int CGridCtrl::GetVirtualHeight() const {
  int h = 0;
  for (int v : rowHeights_) h += v;
  return h;
}

int CGridCtrl::GetVirtualWidth() const {
  int w = 0;
  for (int v : colWidths_) w += v;
  return w;
}

QSize CGridCtrl::largestExtent(int row, int col) {
  // Measures on a scratch surface: the window needs no paint event for it.
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  CDC dc(&painter);
  QSize largest(0, 0);
  for (int r = row < 0 ? 0 : row; r < (row < 0 ? rowCount_ : row + 1); ++r)
    for (int c = col < 0 ? 0 : col; c < (col < 0 ? colCount_ : col + 1); ++c)
      largest = largest.expandedTo(GetCellExtent(r, c, &dc));
  return largest;
}

BOOL CGridCtrl::AutoSizeColumn(int col) {
  if (col < 0 || col >= colCount_) return FALSE;
  colWidths_[size_t(col)] = largestExtent(-1, col).width();
  ResetScrollBars();
  return TRUE;
}

BOOL CGridCtrl::AutoSizeRow(int row) {
  if (row < 0 || row >= rowCount_) return FALSE;
  rowHeights_[size_t(row)] = largestExtent(row, -1).height();
  ResetScrollBars();
  return TRUE;
}

// ---- inserting and deleting ----

void CGridCtrl::clearSelectionKeepFocus() {
  const SelectionMap selected = selected_;
  for (const auto& [key, cell] : selected)
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GRID_STATE_SELECTED);
  previous_.clear();
}

int CGridCtrl::InsertColumn(const std::string& heading, UINT format, int index) {
  if (index == -1) index = colCount_;
  if (index < 0 || index > colCount_) return -1;
  clearSelectionKeepFocus();
  if (rowCount_ == 0 && !SetRowCount(1)) return -1;
  colWidths_.insert(colWidths_.begin() + index, defaultColWidth_);
  for (int r = 0; r < rowCount_; ++r) rows_[size_t(r)].insert(rows_[size_t(r)].begin() + index, CreateCell(r, index));
  ++colCount_;
  rows_[0][size_t(index)]->text = heading;
  for (int r = 0; r < rowCount_; ++r) rows_[size_t(r)][size_t(index)]->format = format;
  const QFont bold = FontOf(boldOf(fontDesc_));
  colWidths_[size_t(index)] = QFontMetrics(bold).horizontalAdvance(ShownText(0, index, heading, bold)) + 2 * margin_;
  if (focusCell_.col >= index) ++focusCell_.col;
  afterCountChange();
  return index;
}

int CGridCtrl::InsertRow(const std::string& heading, int index) {
  if (index == -1) index = rowCount_;
  if (index < 0 || index > rowCount_) return -1;
  clearSelectionKeepFocus();
  if (colCount_ == 0 && !SetColumnCount(1)) return -1;
  rowHeights_.insert(rowHeights_.begin() + index, defaultRowHeight_);
  rows_.insert(rows_.begin() + index, Row(size_t(colCount_), nullptr));
  // The selection was cleared above, so no selection key needs moving.
  for (int c = 0; c < colCount_; ++c) rows_[size_t(index)][size_t(c)] = CreateCell(index, c);
  ++rowCount_;
  rows_[size_t(index)][0]->text = heading;
  const QFontMetrics fm(FontOf(boldOf(fontDesc_)));
  rowHeights_[size_t(index)] = fm.height() + 2 * margin_;
  if (focusCell_.row >= index) ++focusCell_.row;
  afterCountChange();
  return index;
}

BOOL CGridCtrl::DeleteColumn(int col) {
  if (col < 0 || col >= colCount_) return FALSE;
  clearSelectionKeepFocus();
  for (int r = 0; r < rowCount_; ++r) {
    deleteCell(r, col);
    rows_[size_t(r)].erase(rows_[size_t(r)].begin() + col);
  }
  colWidths_.erase(colWidths_.begin() + col);
  if (col < fixedCols_) --fixedCols_;
  --colCount_;
  if (focusCell_.col == col)
    focusCell_ = CGridCellID();
  else if (focusCell_.col > col)
    --focusCell_.col;
  afterCountChange();
  return TRUE;
}

BOOL CGridCtrl::DeleteRow(int row) {
  if (row < 0 || row >= rowCount_) return FALSE;
  clearSelectionKeepFocus();
  for (int c = 0; c < colCount_; ++c) deleteCell(row, c);
  rows_.erase(rows_.begin() + row);
  rowHeights_.erase(rowHeights_.begin() + row);
  if (row < fixedRows_) --fixedRows_;
  --rowCount_;
  if (focusCell_.row == row)
    focusCell_ = CGridCellID();
  else if (focusCell_.row > row)
    --focusCell_.row;
  afterCountChange();
  return TRUE;
}

BOOL CGridCtrl::DeleteAllItems() {
  for (Row& row : rows_)
    for (CGridCellData*& cell : row) {
      delete cell;
      cell = nullptr;
    }
  rows_.clear();
  rowHeights_.clear();
  colWidths_.clear();
  selected_.clear();
  previous_.clear();
  rowCount_ = colCount_ = fixedRows_ = fixedCols_ = 0;
  focusCell_ = CGridCellID();
  if (!destroying_) afterCountChange();
  return TRUE;
}

// ---- cells ----

CGridCellData* CGridCtrl::GetCell(int row, int col) const {
  if (!IsValid(row, col)) return nullptr;
  return rows_[size_t(row)][size_t(col)];
}

BOOL CGridCtrl::IsValid(const CGridCellRange& r) const {
  return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < rowCount_ &&
         r.maxCol < colCount_ && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

BOOL CGridCtrl::SetItem(const GRIDITEMINFO* item) {
  if (!item) return FALSE;
  CGridCellData* cell = GetCell(item->row, item->col);
  if (!cell) return FALSE;
  if (item->mask & GRID_MASK_TEXT) cell->text = item->text;
  if (item->mask & GRID_MASK_PARAM) cell->lParam = item->lParam;
  if (item->mask & GRID_MASK_IMAGE) cell->image = item->image;
  if (item->mask & GRID_MASK_STATE) SetItemState(item->row, item->col, item->state);
  if (item->mask & GRID_MASK_FORMAT) cell->format = item->format;
  if (item->mask & GRID_MASK_BACKGROUND) cell->background = item->background;
  if (item->mask & GRID_MASK_TEXTCOLOR) cell->textColor = item->textColor;
  if (item->mask & GRID_MASK_FONT) cell->font = item->font;
  return TRUE;
}

BOOL CGridCtrl::GetItem(GRIDITEMINFO* item) const {
  if (!item) return FALSE;
  const CGridCellData* cell = GetCell(item->row, item->col);
  if (!cell) return FALSE;
  if (item->mask & GRID_MASK_TEXT) item->text = GetItemText(item->row, item->col);
  if (item->mask & GRID_MASK_PARAM) item->lParam = cell->lParam;
  if (item->mask & GRID_MASK_IMAGE) item->image = cell->image;
  if (item->mask & GRID_MASK_STATE) item->state = cell->state;
  if (item->mask & GRID_MASK_FORMAT) item->format = cell->format;
  if (item->mask & GRID_MASK_BACKGROUND) item->background = cell->background;
  if (item->mask & GRID_MASK_TEXTCOLOR) item->textColor = cell->textColor;
  if (item->mask & GRID_MASK_FONT) item->font = cell->font;
  return TRUE;
}

std::string CGridCtrl::GetItemText(int row, int col) const { return cellField(row, col, &CGridCellData::text, {}); }
BOOL CGridCtrl::SetItemText(int row, int col, const std::string& text) {
  return setCellField(row, col, &CGridCellData::text, text);
}
BOOL CGridCtrl::SetItemImage(int row, int col, int image) { return setCellField(row, col, &CGridCellData::image, image); }
int CGridCtrl::GetItemImage(int row, int col) const { return cellField(row, col, &CGridCellData::image, -1); }
BOOL CGridCtrl::SetItemFormat(int row, int col, UINT format) {
  return setCellField(row, col, &CGridCellData::format, format);
}
UINT CGridCtrl::GetItemFormat(int row, int col) const { return cellField(row, col, &CGridCellData::format, 0u); }
BOOL CGridCtrl::SetItemFont(int row, int col, const LOGFONT& font) {
  return setCellField(row, col, &CGridCellData::font, font);
}
LOGFONT CGridCtrl::GetItemFont(int row, int col) const { return cellField(row, col, &CGridCellData::font, fontDesc_); }
BOOL CGridCtrl::SetItemBkColor(int row, int col, COLORREF color) {
  return setCellField(row, col, &CGridCellData::background, color);
}
BOOL CGridCtrl::SetItemFgColor(int row, int col, COLORREF color) {
  return setCellField(row, col, &CGridCellData::textColor, color);
}
BOOL CGridCtrl::SetItemData(int row, int col, LPARAM data) { return setCellField(row, col, &CGridCellData::lParam, data); }
LPARAM CGridCtrl::GetItemData(int row, int col) const { return cellField(row, col, &CGridCellData::lParam, LPARAM(0)); }

BOOL CGridCtrl::SetItemState(int row, int col, UINT state) {
  CGridCellData* cell = GetCell(row, col);
  if (!cell) return FALSE;
  if (state & GRID_STATE_SELECTED)
    selected_[SelectionKey(row, col)] = CGridCellID(row, col);
  else
    selected_.erase(SelectionKey(row, col));
  cell->state = state;
  return TRUE;
}

UINT CGridCtrl::GetItemState(int row, int col) const {
  const CGridCellData* cell = GetCell(row, col);
  return cell ? cell->state : 0;
}

BOOL CGridCtrl::IsCellEditable(int row, int col) const {
  const CGridCellData* cell = GetCell(row, col);
  return cell && editable_ && !(cell->state & GRID_STATE_READONLY);
}

void CGridCtrl::SetModified(BOOL modified, int row, int col) {
  if (row > 0 && col > 0) {
    if (CGridCellData* cell = GetCell(row, col)) {
      if (modified) {
        cell->state |= GRID_STATE_MODIFIED;
        modified_ = TRUE;
      } else {
        cell->state &= ~GRID_STATE_MODIFIED;
      }
    }
  } else {
    modified_ = modified;
  }
  if (!modified_)
    for (Row& r : rows_)
      for (CGridCellData* cell : r) cell->state &= ~GRID_STATE_MODIFIED;
}

// ---- focus and selection ----

CGridCellID CGridCtrl::SetFocusCell(int row, int col) {
  const CGridCellID previous = focusCell_;
  const CGridCellID next(row, col);
  if (next == previous) return previous;
  const auto redrawHeaders = [this](const CGridCellID& cell, const CGridCellID& other) {
    if (cell.row != other.row)
      for (int c = 0; c < fixedCols_; ++c) RedrawCell(cell.row, c);
    if (cell.col != other.col)
      for (int r = 0; r < fixedRows_; ++r) RedrawCell(r, cell.col);
  };
  if (CGridCellData* old = GetCell(previous.row, previous.col)) {
    SendMessageToParent(previous.row, previous.col, GRIDN_FOCUSLEAVING);
    old->state &= ~GRID_STATE_FOCUSED;
    RedrawCell(previous.row, previous.col);
    redrawHeaders(previous, next);
  }
  focusCell_ = next;
  if (CGridCellData* cell = GetCell(row, col)) {
    cell->state |= GRID_STATE_FOCUSED;
    RedrawCell(row, col);
    redrawHeaders(next, previous);
    SendMessageToParent(row, col, GRIDN_FOCUSMOVED);
  }
  return previous;
}

CGridCellRange CGridCtrl::GetSelectedCellRange() const {
  if (selected_.empty()) return CGridCellRange();
  CGridCellRange r(rowCount_, colCount_, -1, -1);
  for (const auto& [key, cell] : selected_) {
    r.minRow = std::min(r.minRow, cell.row);
    r.minCol = std::min(r.minCol, cell.col);
    r.maxRow = std::max(r.maxRow, cell.row);
    r.maxCol = std::max(r.maxCol, cell.col);
  }
  return r;
}

void CGridCtrl::ResetSelectedRange() {
  const SelectionMap selected = selected_;
  for (const auto& [key, cell] : selected) {
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GRID_STATE_SELECTED);
    RedrawCell(cell.row, cell.col);
  }
  selected_.clear();
  SetFocusCell(-1, -1);
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, BOOL redraw) {
  if (!enableSelection_) return;
  const CGridCellRange range(minRow, minCol, maxRow, maxCol);
  const auto inRange = [&](const CGridCellID& c) {
    return c.row >= minRow && c.row <= maxRow && c.col >= minCol && c.col <= maxCol;
  };
  const SelectionMap selected = selected_;
  for (const auto& [key, cell] : selected) {
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GRID_STATE_SELECTED);
    if (!inRange(cell)) RedrawCell(cell.row, cell.col);
  }
  if (!singleRowSelection_)
    for (const auto& [key, cell] : previous_)
      if (IsValid(cell)) {
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GRID_STATE_SELECTED);
        RedrawCell(cell.row, cell.col);
      }
  if (IsValid(range))
    for (int r = minRow; r <= maxRow; ++r)
      for (int c = minCol; c <= maxCol; ++c) {
        const UINT state = GetItemState(r, c);
        if (state & GRID_STATE_SELECTED) continue;
        SetItemState(r, c, state | GRID_STATE_SELECTED);
        RedrawCell(r, c);
      }
  (void)redraw;  // cells are repainted by the next paint either way
}

void CGridCtrl::SelectAllCells() {
  if (!enableSelection_) return;
  SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1);
}

void CGridCtrl::EnableSelection(BOOL on) {
  ResetSelectedRange();
  enableSelection_ = on;
}

// ---- sorting ----

BOOL CGridCtrl::SortRowsByColumnText(int col, BOOL ascending) {
  if (col < 0 || col >= colCount_) return FALSE;
  ResetSelectedRange();
  sortRows(col, ascending, fixedRows_, rowCount_ - 1);
  return TRUE;
}

void CGridCtrl::sortRows(int col, BOOL ascending, int lo, int hi) {
  if (lo >= hi) return;
  const auto text = [&](int r) -> const std::string& { return rows_[size_t(r)][size_t(col)]->text; };
  const std::string pivot = text((lo + hi) / 2);
  int i = lo, j = hi;
  while (i <= j) {
    if (ascending) {
      while (text(i) < pivot && i < hi) ++i;
      while (text(j) > pivot && j > lo) --j;
    } else {
      while (text(i) > pivot && i < hi) ++i;
      while (text(j) < pivot && j > lo) --j;
    }
    if (i <= j) {
      if (text(i) != text(j)) {
        std::swap(rows_[size_t(i)], rows_[size_t(j)]);
        std::swap(rowHeights_[size_t(i)], rowHeights_[size_t(j)]);
      }
      ++i;
      --j;
    }
  }
  if (lo < j) sortRows(col, ascending, lo, j);
  if (i < hi) sortRows(col, ascending, i, hi);
}
