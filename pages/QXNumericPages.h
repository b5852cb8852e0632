// The six numeric item pages: matrix (dialog 624, rows and columns spins),
// list (625, rows spin), and zoom factor, table range, variables and
// V-Window (643, one grid). Each serves the items of both families of its
// kind; what they do with the items is in QXNumericItems.h.
#pragma once

#include "pages/QXGridCtrlDataPage.h"
#include "pages/QXNumericItems.h"

class QSpinBox;

class CQXNumericItemPage : public CQXNumericalDataPage {
  Q_OBJECT

 public:
  CQXNumericItemPage(UINT templateId, QXNumericPage page);
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  // No "Entrée" in the Edit menu while the page is active.
  void MergeMenus() override;
  void UnmergeMenus() override;

  QXNumericPage GetNumericPage() const { return m_page; }
  int GetItemType() const { return m_itemType; }
  // The spins standing for the rows (1009 with edit 1006) and columns (1008
  // with edit 1007); null where the dialog has none.
  QSpinBox* GetRowsSpin() const { return m_rowsSpin; }
  QSpinBox* GetColumnsSpin() const { return m_columnsSpin; }

  BOOL m_initialised = FALSE;

 protected:
  BOOL GetDefaultCellText(int row, int col, char* buffer, UINT size) override;
  void OnRowCountChanged() override;
  void OnColumnCountChanged() override;

 private:
  void onSpinChanged(QSpinBox* spin, int value);
  void setSpin(QSpinBox* spin, int value);

  QXNumericPage m_page;
  int m_itemType = 0;
  QSpinBox* m_rowsSpin = nullptr;
  QSpinBox* m_columnsSpin = nullptr;
  int m_spinGuard = 0;
};

class CQXMatrixDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXMatrixDataPage() : CQXNumericItemPage(624, QXNumericPage::kMatrix) {}
};

class CQXListDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXListDataPage() : CQXNumericItemPage(625, QXNumericPage::kList) {}
};

class CQXGraphFactorDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXGraphFactorDataPage() : CQXNumericItemPage(643, QXNumericPage::kGraphFactor) {}
};

class CQXTableRangeDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXTableRangeDataPage() : CQXNumericItemPage(643, QXNumericPage::kTableRange) {}
};

class CQXVariableDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXVariableDataPage() : CQXNumericItemPage(643, QXNumericPage::kVariable) {}
};

class CQXVWinDataPage : public CQXNumericItemPage {
  Q_OBJECT
 public:
  Q_INVOKABLE CQXVWinDataPage() : CQXNumericItemPage(643, QXNumericPage::kVWin) {}
};

// Makes the grid controls, the numeric pages and their views creatable by
// name (the kind-to-view table finds the views so).
void RegisterNumericPageClasses();
