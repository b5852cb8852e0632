// CQXGridTable: the table behind a numeric grid page, apart from the page
// window: the grid with its header line and column, data rows and columns
// that grow and shrink within a limit, row and column insertion and
// deletion, and the transfer of calculator numbers between the grid's
// texts and the items of both families (an older value grid, a newer
// number array).
//
// Untouched values stay exact: a load keeps each shown cell's text and the
// bytes it came from (the cell's data indexes them); a store writes those
// bytes again for every cell whose text is unchanged, so rounding to ten
// digits for display never rounds what is stored.
//
// A store checks every cell before it writes anything: a refused table
// leaves the item as it was.
#pragma once

#include "pages/QXGridCtrl.h"

#include <QFrame>
#include <QPointer>

#include <array>
#include <string>
#include <vector>

class CQXNumericArray;
class CQXValueGrid;
class CQXVariableSet;
class QWidget;

class CQXGridTable {
 public:
  CQXGridTable();
  virtual ~CQXGridTable();
  CQXGridTable(const CQXGridTable&) = delete;
  CQXGridTable& operator=(const CQXGridTable&) = delete;

  // Makes the grid window (id 50, sunken edge) in `parent`; notifications
  // go to `owner` (null: the parent).
  BOOL CreateGrid(QWidget* parent, CWnd* owner = nullptr);
  // The grid with its edge at `rect` of the parent.
  void PlaceGrid(const QRect& rect);
  // Takes the grid out of the page's windows (the table keeps it).
  void DestroyGrid();
  CQXGridCtrl& GetGrid() { return *m_grid; }
  const CQXGridCtrl& GetGrid() const { return *m_grid; }

  // Headers.
  void RenumberRowHeaders();
  void RenumberColumnHeaders();
  // Each data row's header from `names` until the rows or the names end
  // (an empty name ends the list too), at most `count` names.
  void SetRowLabelsFromList(const std::vector<std::string>& names, int count);
  void SetRowLabels(const std::vector<std::string>& names) { SetRowLabelsFromList(names, int(names.size())); }
  // The older item's own entry names.
  void SetRowLabelsFromItem(const CQXVariableSet& set);

  // Counts.
  void SetDataRowCount(int n);
  void SetDataColumnCount(int n);
  // Enabled with at least one data row and column; else disabled, and a
  // grid that had the focus gives it to its parent.
  void EnableGridIfHasCells();
  // That many data rows and columns, every cell "0", both header lines,
  // the focus on the first data cell.
  void ResizeGrid(int rows, int columns);
  // Puts the focus cell on the first data cell, or nowhere.
  void FocusFirstCell();

  // Row and column commands (insert before / delete the focus cell's).
  BOOL CanInsertRow() const;
  BOOL CanDeleteRow() const;
  BOOL CanInsertColumn() const;
  BOOL CanDeleteColumn() const;
  void InsertRow();
  void DeleteRow();
  void InsertColumn();
  void DeleteColumn();

  // The page's own flag or any change in the grid; setting sets both.
  BOOL IsModified() const;
  void SetModified(BOOL modified);

  // Numbers. Loading never fails: a value that does not convert shows "0".
  // Both answer whether the item was empty (its cells show defaults).
  BOOL LoadFromOldItem(const CQXValueGrid& values);
  BOOL LoadFromNewItem(const CQXNumericArray& array);
  // FALSE after OnStoreRefused, the item unchanged.
  BOOL StoreToOldItem(CQXValueGrid& values);
  BOOL StoreToNewItem(CQXNumericArray& array);
  // Whether the cell's text converts for generation 1 (older) or 2 (newer).
  BOOL IsCellNumberValid(int row, int col, BOOL complexAllowed, int generation) const;

  // Fields of the page.
  int m_limit = 65535;
  std::string m_defaultCellText = "0";
  BOOL m_rowsEditable = TRUE;
  BOOL m_columnsEditable = TRUE;
  BOOL m_rowsNumbered = TRUE;
  BOOL m_columnsNumbered = TRUE;
  int m_firstColumnNumber = 1;
  int m_firstHeaderLetter = 'a';
  UINT m_cellFormat = DT_RIGHT | DT_SINGLELINE;
  UINT m_rowHeaderFormat = DT_CENTER | DT_SINGLELINE;
  UINT m_columnHeaderFormat = DT_CENTER | DT_SINGLELINE;
  BOOL m_modified = FALSE;
  BOOL m_complexAllowed = FALSE;
  BOOL m_unitPositions = FALSE;
  BOOL m_roundTo10Digits;

 protected:
  virtual void OnRowCountChanged() {}
  virtual void OnColumnCountChanged() {}
  // The text of cell (row, col) of an empty item, into `buffer` (which
  // holds "0" on the way in); FALSE when there is none or it does not fit.
  virtual BOOL GetDefaultCellText(int row, int col, char* buffer, UINT size);
  // A store was refused with message `id` (its arguments `arg1`, `arg2`);
  // for a bad number the cell is already focused, made visible and
  // unselected.
  virtual void OnStoreRefused(UINT id, const std::string& arg1, const std::string& arg2);

 private:
  // A value as loaded: its text and bytes (older 10/20, newer 9/18).
  struct Loaded {
    std::string text;
    int generation = 0;
    bool complex = false;
    std::array<BYTE, 20> bytes{};
  };
  // A converted cell: the real part, and the imaginary part when complex.
  struct Number {
    bool complex = false;
    std::array<BYTE, 20> bytes{};
  };

  bool inDataArea(const CGridCellID& cell) const;
  void fillNewCells(int row0, int row1, int col0, int col1);
  void setCellText(int row, int col, const std::string& text, LPARAM data);
  std::string defaultText(int row, int col);
  void loadValue(int row, int col, int generation, const BYTE* bytes, bool complex);
  // Headers, enabled state and focus after a load.
  void finishLoad();
  // The text of a data cell, any open edit ended first.
  std::string cellText(int row, int col) const;
  // The cell's kept bytes when its text is unchanged; else converts the
  // text. FALSE when it does not convert.
  bool convertCell(int row, int col, int generation, const std::string& text, Number* out) const;
  bool refuseCell(int row, int col);
  void beginStore();

  QPointer<CQXGridCtrl> m_grid;  // a child of the page once created
  QPointer<QFrame> m_frame;
  std::vector<Loaded> m_loaded;
};
