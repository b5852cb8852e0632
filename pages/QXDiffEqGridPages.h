// The grid pages of the differential-equation view.
//
// CQXDifferentialEquationParamDataPage (649): "X min", "X max", "h",
// "Step", "SF" and "G-Mem" of the record "PARAM" (48 bytes: five newer
// numbers, 'E', the graph memory 1-20, 0). Values keep their bytes while
// their text is unchanged.
//
// CQXDifferentialEquationOutputDataPage (650): which calculator list (1-20,
// empty for none) takes each result, and whether a result row is selected
// ("Sel", a check box), kept in "OUTP" as 101 little-endian words: word 0
// the list of x, then nine words per result row, from word 91 the rows'
// selection. The rows follow the view's equation kind; the words of rows
// the kind does not show stay as they were.
#pragma once

#include "pages/QXGridCtrlDataPage.h"

#include <string>

class CQXDiffEqItem;
class CQXDifferentialEquationDataView;

class CQXDifferentialEquationParamDataPage : public CQXNumericalDataPage {
  Q_OBJECT

 public:
  explicit CQXDifferentialEquationParamDataPage(CQXDifferentialEquationDataView* view = nullptr);

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL Validate(TreeItemInfo* info) override;
  BOOL IsModified() override { return m_initialised && CQXNumericalDataPage::IsModified(); }
  void MergeMenus() override;
  void UnmergeMenus() override;
  // The text of row 1-6 when there is no "PARAM"; FALSE when it does not
  // fit `size`.
  virtual BOOL GetDefaultParamText(int row, char* buffer, UINT size);

  BOOL m_initialised = FALSE;

 protected:
  BOOL OnInitDialog() override;
  // Stored zeros show as zeros, not as the defaults of a missing record.
  BOOL GetDefaultCellText(int, int, char*, UINT) override { return FALSE; }

 private:
  CQXDifferentialEquationDataView* m_view;
};

class CQXDifferentialEquationOutputDataPage : public CQXNumericalDataPage {
  Q_OBJECT

 public:
  explicit CQXDifferentialEquationOutputDataPage(CQXDifferentialEquationDataView* view = nullptr);

  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL Validate(TreeItemInfo* info) override;
  BOOL IsModified() override { return m_initialised && CQXNumericalDataPage::IsModified(); }
  void MergeMenus() override;
  void UnmergeMenus() override;

  // Rows for the view's kind, values from the working item's "OUTP".
  void Rebuild();
  // Every list cell empty or a list 1-20 no other cell has; FALSE after the
  // message of the first that is not.
  BOOL CheckCells();
  // The shown rows' words into the item's "OUTP" (made when missing) over
  // its own; FALSE when a cell is refused or memory runs out.
  BOOL WriteOutput(CQXDiffEqItem* item);

  BOOL m_initialised = FALSE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  // The list number of a cell: 0 empty, 1-20, -1 anything else.
  int listNumber(int row, int col) const;
  BOOL checkCell(int row, int col);

  CQXDifferentialEquationDataView* m_view;
};
