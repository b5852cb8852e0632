// The E-CON view (5028): a working copy of the selected item that its
// pages edit — the set-up page (651), the custom probe page (652) and the
// description — and the View-menu item "&Sonde Particulière" (21024) for
// the probe page. The working item reaches the document when the pages
// are stored: the set-up page copies every record into the entry's item.
// Edits the user drops ("Non" after a failed store) leave with the working
// item: it is taken anew from the document's.
//
// CQXECONCustomProbePage (dialog 652): the custom probes "2001".."2099"
// of the working item as five rows (number, probe name, unit name, sample
// time, intercept); Open, Save, Delete, and "&Vernier..." for the user's
// sensor table. A probe is written over its record's own bytes. Saving or
// deleting a probe, or changing the sensor table, makes the set-up page
// offer the sensors anew when it is shown next.
#pragma once

#include "pages/QXPageView.h"
#include "pages/QXPropertyListDataPage.h"

#include <QComboBox>
#include <QPointer>

#include <memory>
#include <string>

class CCmdUI;
class CQXDataLoggerItem;

class CQXECONDataView : public CQXDataPageView {
  Q_OBJECT

 public:
  enum : UINT { kCmdShowProbePage = 21024, kProbeMenuText = 10056 };
  Q_INVOKABLE explicit CQXECONDataView(QWidget* parent = nullptr);
  ~CQXECONDataView() override;
  DECLARE_MESSAGE_MAP()

  BOOL CreatePages() override;
  // The working item anew from the document's, and the pages from it.
  void DiscardPendingEdits() override;

  // Null when the selection held no data-logger item.
  CQXDataLoggerItem* GetWorkingItem() const { return m_workingItem.get(); }
  BOOL GetProbesChanged() const { return m_probesChanged; }
  void SetProbesChanged(BOOL changed) { m_probesChanged = changed; }

  void OnShowProbePage();
  void OnUpdateShowProbePage(CCmdUI* ui);

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;

 private:
  // The item of `entry` becomes the working item (none when it holds no
  // data-logger item).
  void takeWorkingItem(std::unique_ptr<CQXDocEntry> entry);

  std::unique_ptr<CQXDataLoggerItem> m_workingItem;
  BOOL m_probesChanged = FALSE;
  BOOL m_menuItemAdded = FALSE;
};

class CQXECONCustomProbePage : public CQXPropertyListDataPage {
  Q_OBJECT

 public:
  enum : UINT { kPageId = 652, kCombo = 1107, kOpen = 1106, kSave = 1108, kDelete = 1086, kVernier = 1117 };

  Q_INVOKABLE explicit CQXECONCustomProbePage(CQXECONDataView* view = nullptr);
  ~CQXECONCustomProbePage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;

  // Shows probe `number` in the rows; FALSE without a working item or
  // record (10160 for the numbers 1-99).
  BOOL ShowProbe(int number);
  // Number 1-99, a name, a unit, two numbers; FALSE after the first
  // refused row.
  BOOL CheckRows();

  QComboBox* GetCombo() const { return m_combo; }

  void OnOpen();
  void OnSave();
  void OnDelete();
  void OnVernier();

  BOOL m_initialised = FALSE;

 protected:
  BOOL OnInitDialog() override;

 private:
  CQXDataLoggerItem* workingItem() const;
  void showSelectedProbe();

  CQXECONDataView* m_view;
  QPointer<QComboBox> m_combo;
};

void RegisterECONPageClasses();
