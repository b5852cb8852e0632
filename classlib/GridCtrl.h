// CGridCtrl: the spreadsheet-like control under every tabular page. A
// rectangle of cells whose first rows and columns may be fixed headers
// that do not scroll; every cell has its own text (Windows-1252 bytes),
// format (DT_ flags), state bits, image, colours and font.
//
// - Geometry: a cell at x with width w covers the pixels x .. x + w - 2; the
//   pixel x + w - 1 is its grid line. GetCellRect gives the cell's pixels
//   without that line (a Qt rectangle, right and bottom inside).
// - Scrolling steps by whole rows and columns; positions are pixels of the
//   non-fixed area. The client area leaves out the scroll bars.
// - Notifications reach the owner (SetOwner), else the parent, as WM_NOTIFY
//   with an NMGRIDCELL; a left-button release over a cell posts WM_COMMAND.
// - The in-place edit (CGridEditBox, control id 8) is kept by pointer; the
//   grid ends it itself when it takes the focus, is resized, hidden or
//   destroyed, so typed text is never lost.
// - The mouse runs the modes of GridMouseMode; the auto-scroll timer is 513.
#pragma once

#include "classlib/LogFont.h"
#include "platform/ColorRef.h"
#include "platform/DC.h"
#include "platform/OleDropTarget.h"
#include "platform/ScrollWnd.h"
#include "platform/Wnd.h"

#include <QPointer>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CCmdUI;
class CGridCtrl;
class CGridEditBox;
class CGridTipWnd;
class CImageList;
class COleDataObject;
class COleDataSource;

// Cell state bits.
enum : UINT {
  GRID_STATE_FOCUSED = 0x01,
  GRID_STATE_SELECTED = 0x02,
  GRID_STATE_DROPTARGET = 0x04,
  GRID_STATE_READONLY = 0x08,
  GRID_STATE_MODIFIED = 0x20,
  GRID_STATE_CHECKBOX = 0x1000,
  GRID_STATE_CHECKED = 0x2000,
};

// GRIDITEMINFO mask bits.
enum : UINT {
  GRID_MASK_TEXT = 0x01,
  GRID_MASK_IMAGE = 0x02,
  GRID_MASK_PARAM = 0x04,
  GRID_MASK_STATE = 0x08,
  GRID_MASK_BACKGROUND = 0x10,
  GRID_MASK_TEXTCOLOR = 0x20,
  GRID_MASK_FORMAT = 0x40,
  GRID_MASK_FONT = 0x80,
};

// Notification codes of NMGRIDCELL.
enum : int {
  GRIDN_FOCUSLEAVING = -100,
  GRIDN_FOCUSMOVED = -101,
  GRIDN_BEGINTEXTCHANGE = -105,
  GRIDN_ENDTEXTCHANGE = -106,
  GRIDN_BEGINDRAG = -109,
};

// A cell colour that means "the grid's default".
inline constexpr COLORREF GRID_DEFAULT_COLOR = 0xFF000000;
// The control id of the in-place edit.
inline constexpr int GRID_EDIT_ID = 8;
// The auto-scroll timer of a selection drag.
inline constexpr UINT_PTR GRID_AUTOSCROLL_TIMER = 513;

enum GridMouseMode : int {
  GRID_MOUSE_NONE = 0,
  GRID_MOUSE_SELECT_ALL = 1,
  GRID_MOUSE_SELECT_COLUMNS = 2,
  GRID_MOUSE_SELECT_ROWS = 3,
  GRID_MOUSE_SELECT_CELLS = 4,
  GRID_MOUSE_OVER_ROW_BORDER = 6,
  GRID_MOUSE_SIZING_ROW = 7,
  GRID_MOUSE_OVER_COL_BORDER = 8,
  GRID_MOUSE_SIZING_COL = 9,
  GRID_MOUSE_PREPARE_EDIT = 10,
  GRID_MOUSE_PREPARE_DRAG = 11,
  GRID_MOUSE_DRAGGING = 12,
};

struct CGridCellID {
  int row = -1;
  int col = -1;
  CGridCellID() = default;
  CGridCellID(int r, int c) : row(r), col(c) {}
  bool operator==(const CGridCellID&) const = default;
};

// min row, min col, max row, max col.
struct CGridCellRange {
  int minRow = -1, minCol = -1, maxRow = -1, maxCol = -1;
  CGridCellRange() = default;
  CGridCellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
  bool operator==(const CGridCellRange&) const = default;
  int rowSpan() const { return maxRow - minRow + 1; }
  int colSpan() const { return maxCol - minCol + 1; }
};

struct GRIDITEMINFO {
  int row = 0;
  int col = 0;
  UINT mask = 0;
  UINT state = 0;
  UINT format = 0;
  std::string text;
  int image = -1;
  COLORREF background = GRID_DEFAULT_COLOR;
  COLORREF textColor = GRID_DEFAULT_COLOR;
  LPARAM lParam = 0;
  LOGFONT font{};
};

struct NMGRIDCELL {
  NMHDR hdr;
  int row = -1;
  int col = -1;
};

// One cell; owned by the grid, made by CreateCell.
class CGridCellData {
 public:
  virtual ~CGridCellData() = default;
  UINT state = 0;
  UINT format = 0;
  std::string text;
  int image = -1;
  COLORREF background = GRID_DEFAULT_COLOR;
  COLORREF textColor = GRID_DEFAULT_COLOR;
  LOGFONT font{};
  LPARAM lParam = 0;
};

// The grid's drop target: forwards Qt's drag events to its grid.
class CGridDropHandler : public COleDropTarget {
 public:
  // Registers for `grid` once; FALSE when already registered.
  BOOL Register(CGridCtrl* grid);
  void Revoke();
  BOOL IsRegistered() const { return grid_ != nullptr; }

  DROPEFFECT OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) override;
  DROPEFFECT OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) override;
  BOOL OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT effect, QPoint point) override;
  DROPEFFECT OnDropEx(QWidget* window, COleDataObject* data, DROPEFFECT effect, DROPEFFECT allowed,
                      QPoint point) override;
  void OnDragLeave(QWidget* window) override;
  DROPEFFECT OnDragScroll(QWidget* window, DWORD keyState, QPoint point) override;

 private:
  CGridCtrl* grid_ = nullptr;
};

class CGridCtrl : public CScrollWnd<CWnd> {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CGridCtrl(QWidget* parent = nullptr);
  CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent = nullptr);
  ~CGridCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Makes the factory of the window class "QXLGridCtrl" known to the
  // language library's forms, once.
  static void RegisterWindowClass();
  // Places the grid at `rect` in `parent` with control id `id`.
  BOOL Create(const QRect& rect, QWidget* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

  // Notifications go to the owner when one is set, else to the parent.
  void SetOwner(CWnd* owner) { owner_ = owner; }
  CWnd* GetOwner() const;

  // Colours and options.
  void SetTextColor(COLORREF c) { textColor_ = c; }
  COLORREF GetTextColor() const { return textColor_; }
  void SetBkColor(COLORREF c) { bkColor_ = c; }
  COLORREF GetBkColor() const { return bkColor_; }
  void SetShadowColor(COLORREF c) { shadowColor_ = c; }
  COLORREF GetShadowColor() const { return shadowColor_; }
  void SetFixedTextColor(COLORREF c) { fixedTextColor_ = c; }
  COLORREF GetFixedTextColor() const { return fixedTextColor_; }
  void SetFixedBkColor(COLORREF c) { fixedBkColor_ = c; }
  COLORREF GetFixedBkColor() const { return fixedBkColor_; }
  void SetGridColor(COLORREF c) { gridColor_ = c; }
  COLORREF GetGridColor() const { return gridColor_; }
  // 0 none, 1 horizontal, 2 vertical, 3 both.
  void SetGridLines(int lines) { gridLines_ = lines; }
  int GetGridLines() const { return gridLines_; }
  void SetEditable(BOOL on = TRUE) { editable_ = on; }
  BOOL IsEditable() const { return editable_; }
  void EnableDragAndDrop(BOOL on = TRUE) { dragAndDrop_ = on; }
  BOOL IsDragAndDropEnabled() const { return dragAndDrop_; }
  void SetListMode(BOOL on = TRUE) { listMode_ = on; }
  BOOL GetListMode() const { return listMode_; }
  void SetSingleRowSelection(BOOL on = TRUE) { singleRowSelection_ = on; }
  BOOL GetSingleRowSelection() const { return singleRowSelection_; }
  void SetDrawingAllowed(BOOL on = TRUE) { allowDraw_ = on; }
  BOOL IsDrawingAllowed() const { return allowDraw_; }
  void EnableSelection(BOOL on = TRUE);
  BOOL IsSelectable() const { return enableSelection_; }
  void SetHeaderSort(BOOL on = TRUE) { sortOnClick_ = on; }
  BOOL GetHeaderSort() const { return sortOnClick_; }
  void SetHandleTabKey(BOOL on = TRUE) { handleTab_ = on; }
  BOOL GetHandleTabKey() const { return handleTab_; }
  void SetDoubleBuffering(BOOL on = TRUE) { doubleBuffer_ = on; }
  BOOL GetDoubleBuffering() const { return doubleBuffer_; }
  void EnableTitleTips(BOOL on = TRUE) { titleTips_ = on; }
  BOOL GetTitleTips() const { return titleTips_; }
  void EnableRowResize(BOOL on = TRUE) { allowRowResize_ = on; }
  void EnableColumnResize(BOOL on = TRUE) { allowColResize_ = on; }
  void SetImageList(CImageList* list) { imageList_ = list; }
  CImageList* GetImageList() const { return imageList_; }
  int GetMargin() const { return margin_; }
  int GetDefaultRowHeight() const { return defaultRowHeight_; }
  int GetDefaultColumnWidth() const { return defaultColWidth_; }
  int GetMouseMode() const { return mouseMode_; }

  // The grid font (WM_SETFONT / WM_GETFONT): copied into every cell; sets
  // the margin and the default sizes of new rows and columns.
  void SetFont(const LOGFONT& font, BOOL redraw = TRUE);
  const LOGFONT& GetFont() const { return fontDesc_; }
  // The QFont of a font description (cached per description).
  QFont FontOf(const LOGFONT& font) const;
  // What a cell shows of `text` in `font`: the headings (fixed cells) are
  // the calculator's labels and names (CalcDisplayText), the other cells
  // the PC's text of numbers (Windows-1252).
  QString ShownText(int row, int col, const std::string& text, const QFont& font) const;

  // Counts and sizes.
  BOOL SetRowCount(int rows);
  BOOL SetColumnCount(int cols);
  BOOL SetFixedRowCount(int rows);
  BOOL SetFixedColumnCount(int cols);
  int GetRowCount() const { return rowCount_; }
  int GetColumnCount() const { return colCount_; }
  int GetFixedRowCount() const { return fixedRows_; }
  int GetFixedColumnCount() const { return fixedCols_; }
  int GetRowHeight(int row) const;
  int GetColumnWidth(int col) const;
  BOOL SetRowHeight(int row, int height);
  BOOL SetColumnWidth(int col, int width);
  int GetFixedRowHeight() const;
  int GetFixedColumnWidth() const;
  int GetVirtualHeight() const;
  int GetVirtualWidth() const;
  BOOL AutoSizeColumn(int col);
  BOOL AutoSizeRow(int row);

  // Inserting and deleting; each clears the selection first.
  int InsertColumn(const std::string& heading, UINT format = 0, int index = -1);
  int InsertRow(const std::string& heading, int index = -1);
  BOOL DeleteColumn(int col);
  BOOL DeleteRow(int row);
  BOOL DeleteAllItems();

  // Cells.
  BOOL SetItem(const GRIDITEMINFO* item);
  BOOL GetItem(GRIDITEMINFO* item) const;
  virtual std::string GetItemText(int row, int col) const;
  BOOL SetItemText(int row, int col, const std::string& text);
  BOOL SetItemImage(int row, int col, int image);
  int GetItemImage(int row, int col) const;
  BOOL SetItemFormat(int row, int col, UINT format);
  UINT GetItemFormat(int row, int col) const;
  BOOL SetItemFont(int row, int col, const LOGFONT& font);
  LOGFONT GetItemFont(int row, int col) const;
  BOOL SetItemBkColor(int row, int col, COLORREF color);
  BOOL SetItemFgColor(int row, int col, COLORREF color);
  BOOL SetItemData(int row, int col, LPARAM data);
  LPARAM GetItemData(int row, int col) const;
  BOOL SetItemState(int row, int col, UINT state);
  UINT GetItemState(int row, int col) const;
  BOOL IsCellEditable(int row, int col) const;
  BOOL IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
  BOOL IsValid(const CGridCellID& cell) const { return IsValid(cell.row, cell.col); }
  BOOL IsValid(const CGridCellRange& range) const;
  CGridCellData* GetCell(int row, int col) const;

  // With row > 0 and col > 0 the cell's modified bit, else the grid's flag;
  // a clear grid flag clears every cell's bit.
  void SetModified(BOOL modified = TRUE, int row = -1, int col = -1);
  BOOL IsGridModified() const { return modified_; }

  // Focus, selection, visibility.
  CGridCellID SetFocusCell(int row, int col);
  CGridCellID SetFocusCell(const CGridCellID& cell) { return SetFocusCell(cell.row, cell.col); }
  CGridCellID GetFocusCell() const { return focusCell_; }
  CGridCellRange GetSelectedCellRange() const;
  int GetSelectedCount() const { return int(selected_.size()); }
  void ResetSelectedRange();
  void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, BOOL redraw = FALSE);
  void SetSelectedRange(const CGridCellRange& r, BOOL redraw = FALSE) {
    SetSelectedRange(r.minRow, r.minCol, r.maxRow, r.maxCol, redraw);
  }
  void SelectAllCells();
  BOOL GetCellOrigin(int row, int col, QPoint* origin) const;
  BOOL GetCellRect(int row, int col, QRect* rect) const;
  BOOL GetTextRect(int row, int col, QRect* rect) const;
  CGridCellID GetFirstVisibleCell() const;
  CGridCellRange GetVisibleCellRange(QRect* covered = nullptr) const;
  CGridCellRange GetFullyVisibleCellRange() const;
  CGridCellID HitTestCell(QPoint point, BOOL allowFixed = FALSE) const;
  BOOL IsCellVisible(int row, int col) const;
  void EnsureVisible(int row, int col);
  BOOL RedrawCell(int row, int col);
  // Draws the cell at once into `dc` (a fresh one on the window when null).
  BOOL RedrawCell(int row, int col, CDC* dc);
  BOOL RedrawColumn(int col);
  BOOL SortRowsByColumnText(int col, BOOL ascending);
  int GetSortColumn() const { return sortColumn_; }
  BOOL GetSortAscending() const { return sortAscending_; }

  // Scroll positions (pixels of the non-fixed area) and ranges.
  int GetScrollPos32(int bar) const { return GetScrollPos(bar); }
  int GetScrollMax(int bar) const { return bar == 0 ? hMax_ : vMax_; }
  void ResetScrollBars();

  // Operations that subclasses override.
  virtual void ClearSelectedCells();
  virtual COleDataSource* CopyCellsToDataSource();
  virtual BOOL PasteCellsFromData(int row, int col, COleDataObject* data);
  virtual void OnEditCut();
  virtual void OnEditCopy();
  virtual void OnEditPaste();
  virtual void OnEditSelectAll();
  // The focus cell's picture; `offset` receives its size. Null without one.
  virtual std::unique_ptr<CImageList> CreateDragImage(QPoint* offset);
  virtual void OnFixedColumnClick(const CGridCellID& cell);
  virtual void OnFixedRowClick(const CGridCellID& cell);
  virtual QSize GetCellExtent(int row, int col, CDC* dc);
  virtual void OnEndEditCell(int row, int col, const std::string& text);
  virtual void OnEditCell(int row, int col, UINT ch);
  virtual void CreateInPlaceEditControl(const QRect& rect, DWORD style, UINT id, int row, int col,
                                        const std::string& text, UINT ch);
  virtual void OnDraw(CDC* dc);
  virtual BOOL DrawFixedCell(CDC* dc, int row, int col, QRect rect, BOOL erase = FALSE);
  virtual BOOL DrawCell(CDC* dc, int row, int col, QRect rect, BOOL erase = FALSE);
  virtual CGridCellData* CreateCell(int row, int col);
  virtual void EmptyCell(CGridCellData* cell, int row, int col);

  // The open in-place edit, or null.
  CGridEditBox* GetInPlaceEdit() const;
  // Ends the open in-place edit (its text goes into the cell).
  void EndEditing();

  // Message handlers.
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar = nullptr) override;
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar = nullptr) override;
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual void OnChar(UINT ch, UINT repeat, UINT flags);
  virtual void OnLButtonDown(UINT flags, QPoint point);
  virtual void OnLButtonUp(UINT flags, QPoint point);
  virtual void OnLButtonDblClk(UINT flags, QPoint point);
  virtual void OnRButtonDown(UINT flags, QPoint point);
  virtual void OnMouseMove(UINT flags, QPoint point);
  void OnTimer(UINT_PTR id) override;
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnSysColorChange();

  // Whether the clipboard offers text (CF_TEXT).
  static BOOL ClipboardHasText();
  // Command-update handlers of the edit commands.
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditCut(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateEditSelectAll(CCmdUI* ui);

  // Drag and drop (only with drag and drop enabled).
  void OnBeginDrag();
  DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point);
  DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, QPoint point);
  void OnDragLeave();
  BOOL OnDrop(COleDataObject* data, DROPEFFECT effect, QPoint point);
  CGridCellID GetDropCell() const { return dropCell_; }

  // Sends an NMGRIDCELL with `code` for (row, col) to the owner.
  LRESULT SendMessageToParent(int row, int col, int code);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void changeEvent(QEvent* e) override;
  void OnDestroy() override;

  // Selection driven by the mouse mode (from the anchor to `cell`).
  void OnSelecting(const CGridCellID& cell);
  BOOL MouseOverRowResizeArea(QPoint point) const;
  BOOL MouseOverColumnResizeArea(QPoint point) const;
  void SetMouseMode(int mode) { mouseMode_ = mode; }
  void SetSelectionAnchor(const CGridCellID& cell) { anchor_ = cell; }
  void SetLastMousePoint(QPoint p) { lastMouse_ = p; }
  void ClearPreviousSelection() { previous_.clear(); }
  void ShowSizeCursor(int mode);
  // The default handling of a key the grid does not take.
  virtual void DefaultKeyDown(UINT key);

 private:
  friend class CGridEditBox;
  using Row = std::vector<CGridCellData*>;
  using SelectionMap = std::map<DWORD, CGridCellID>;
  static DWORD SelectionKey(int row, int col) { return (DWORD(col) << 16) | (DWORD(row) & 0xFFFF); }

  // One field of a cell: `fallback` (or FALSE) when the cell is missing.
  template <class T>
  T cellField(int row, int col, T CGridCellData::*field, const T& fallback) const {
    const CGridCellData* cell = GetCell(row, col);
    return cell ? cell->*field : fallback;
  }
  template <class T>
  BOOL setCellField(int row, int col, T CGridCellData::*field, const T& value) {
    CGridCellData* cell = GetCell(row, col);
    if (cell) cell->*field = value;
    return cell ? TRUE : FALSE;
  }
  void init(int rows, int cols, int fixedRows, int fixedCols);
  void clearSelectionKeepFocus();
  void prepareWindow();
  // The largest cell extent of a row (col -1) or a column (row -1).
  QSize largestExtent(int row, int col);
  void deleteCell(int row, int col);
  void afterCountChange();
  void sortRows(int col, BOOL ascending, int lo, int hi);
  void editEnded(int row, int col, const std::string& text, UINT key);
  QPoint mouseAt(QMouseEvent* e) const;
  void hideTitleTip();
  void offerTitleTip(const CGridCellID& cell);
  // Turns the check box of a cell the user may change.
  void toggleCheck(int row, int col);

  // Colours.
  COLORREF textColor_, bkColor_, shadowColor_, fixedTextColor_, fixedBkColor_;
  COLORREF gridColor_ = RGB(192, 192, 192);
  COLORREF sysText_, sysWindow_, sysFace_, sysShadow_;
  int gridLines_ = 3;
  BOOL editable_ = TRUE, modified_ = FALSE, dragAndDrop_ = FALSE, listMode_ = FALSE;
  BOOL singleRowSelection_ = FALSE, allowDraw_ = TRUE, enableSelection_ = TRUE, sortOnClick_ = TRUE;
  BOOL handleTab_ = TRUE, doubleBuffer_ = TRUE, titleTips_ = TRUE;
  int rowCount_ = 0, fixedRows_ = 0, colCount_ = 0, fixedCols_ = 0;
  std::vector<int> rowHeights_, colWidths_;
  int margin_ = 0, defaultColWidth_ = 30, defaultRowHeight_ = 10;
  int vMax_ = 0, hMax_ = 0;
  LOGFONT fontDesc_{};
  CImageList* imageList_ = nullptr;
  std::vector<Row> rows_;
  int mouseMode_ = GRID_MOUSE_NONE;
  QPoint downPoint_, lastMouse_;
  CGridCellID clickCell_, anchor_, focusCell_;
  bool timerRunning_ = false;
  int autoScrollMs_ = 25;
  int resizeMargin_ = 3;
  BOOL allowRowResize_ = TRUE, allowColResize_ = TRUE;
  int wheelLines_ = 3;
  SelectionMap selected_, previous_;
  CGridTipWnd* tip_ = nullptr;
  CGridCellID dropCell_;
  CGridDropHandler dropTarget_;
  BOOL sortAscending_ = TRUE;
  int sortColumn_ = -1;

  QPointer<CWnd> owner_;
  QPointer<CGridEditBox> edit_;
  int sizingIndex_ = -1;      // the row or column being sized
  int sizingLine_ = -1;       // where the sizing line is drawn, -1 none
  bool inResize_ = false;     // re-entry guard of resizeEvent
  bool destroying_ = false;
  mutable std::map<std::string, QFont> fonts_;
};
