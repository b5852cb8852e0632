// The equation pages: the coefficients of a system of simultaneous linear
// equations or of a polynomial equation (older 4019/4020, dialog 641; newer
// 5025/5026, dialog 641) and the newer results (5020, dialog 643), each in a
// numeric grid with columns lettered from 'a' and no row or column
// insertion.
//
// On the coefficient pages the spin (edit 1006) sets the unknowns or the
// degree and sizes the table: rows first, then columns, new cells "0",
// cells that still fit kept. The spin applies a count when the user presses
// Enter, leaves it or steps it, not at every key, so that typing "25" does
// not first make a table for 2.
//
// A table without rows is not stored: the entry loses its item.
#pragma once

#include "pages/QXGridCtrlDataPage.h"
#include "pages/QXPageView.h"

#include <QPointer>
#include <QSpinBox>

class CQXEquationBasePage : public CQXNumericalDataPage {
  Q_OBJECT

 public:
  enum : UINT { kCountEdit = 1006 };
  explicit CQXEquationBasePage(UINT templateId);

  BOOL OnInitDialog() override;
  void MergeMenus() override;
  void UnmergeMenus() override;

  // 1 simultaneous, 2 polynomial; the result page 10, 20 (0 unknown).
  int GetEquationKind() const { return m_kind; }
  QSpinBox* GetCountSpin() const { return m_spin; }

  int m_kind = 0;
  BOOL m_initialised = FALSE;

 protected:
  // The spin's count was set by the user.
  virtual void OnCountChanged(int) {}
  // Sets the spin's range and position without resizing the table.
  void SetSpin(int minimum, int maximum, int position);
  // Data rows first, then columns, without reacting to the spin.
  void ResizeTable(int rows, int columns);
  // Deletes the entry's item: a table without rows is not kept.
  static BOOL DropItem(CQXDocEntry* entry);
  // The leaf of the entry's path (the name the document filed it under).
  static std::string EntryName(const CQXDocEntry* entry);

 private:
  void onSpinChanged(int value);

  QPointer<QSpinBox> m_spin;
  int m_guard = 0;
};

class CQXEquationDataPage : public CQXEquationBasePage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXEquationDataPage();
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;

 protected:
  void OnCountChanged(int count) override;
};

class CQXEquationV5DataPage : public CQXEquationBasePage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXEquationV5DataPage();
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;

 protected:
  void OnCountChanged(int count) override;

 private:
  // Letters up to 7 columns of a system, 4 of a polynomial; beyond, numbers
  // from 0.
  void setHeadings(int columns);
};

class CQXEquationV5ResultDataPage : public CQXEquationBasePage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXEquationV5ResultDataPage();
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
};

class CQXEquationDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXEquationDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXEquationV5DataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXEquationV5DataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXEquationV5ResultDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXEquationV5ResultDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

void RegisterEquationPageClasses();
