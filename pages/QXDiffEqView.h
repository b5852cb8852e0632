// The differential-equation view (5027) and its type page.
//
// The view takes the selected entry's item over as its working copy and
// keeps copies of the numbered equation records "1".."50" in slots; its
// pages share both: the type page (647) sets the equation kind and the order
// or equation count, the equations page edits the slots of that kind, the
// parameter page (649) the record "PARAM" and the output page (650) "OUTP".
// A commit writes the slots and records into the entry's item; the pages
// that read the working item write it too, so that what they show after a
// commit is what was committed. Edits the user drops ("Non" after a failed
// store) leave with the working item and the slots: both are taken anew
// from the document's item.
//
// Equation kinds: 0-3 first order (separable, linear, Bernoulli, other),
// 4 second order, 5 order n (fields n + 2, records 17 + k), 6 a system of
// n first-order equations (fields 2n + 1, records 28 + k: y1'..yn', x0,
// y10..yn0).
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXPageView.h"

#include <array>
#include <memory>
#include <vector>

class CCmdUI;
class CQXDiffEqItem;
class CQXRawBlock;
class QComboBox;
class QSpinBox;

class CQXDifferentialEquationDataView : public CQXDataPageView {
  Q_OBJECT

 public:
  enum : UINT { kTypePage = 647, kFieldsPage = 648, kParamPage = 649, kOutputPage = 650 };
  // "&Réglages de fenêtre" (21019) shows the parameter page, "&Paramètre"
  // (21020) the output page.
  enum : UINT { kCmdShowParam = 21019, kCmdShowOutput = 21020, kCmdShowType = 21021, kCmdShowFields = 21022 };
  static constexpr int kSlotCount = 50;

  Q_INVOKABLE explicit CQXDifferentialEquationDataView(QWidget* parent = nullptr);
  ~CQXDifferentialEquationDataView() override;
  DECLARE_MESSAGE_MAP()

  BOOL CreatePages() override;
  // The working item, slots, kind and count anew from the document's item,
  // and the pages from them.
  void DiscardPendingEdits() override;

  // Never null once the pages are made (a new item when the selection
  // held none).
  CQXDiffEqItem* GetWorkingItem() const { return m_workingItem.get(); }
  int GetEquationKind() const { return m_kind; }
  int GetCount() const { return m_count; }
  void SetEquation(int kind, int count);

  // The record copy of slot `i` (1-50), or null.
  CQXRawBlock* GetSlot(int i) const;
  void SetSlot(int i, std::unique_ptr<CQXRawBlock> record);
  // Slot numbers of kind 5 or 6 for a new count: each record keeps its role
  // (kind 5: 17 + k for every field; kind 6: y1'..yn' stay at 28.., x0 goes
  // to 28 + n, yj0 to 28 + n + j) and takes the name of its new slot; what
  // has no place under the new count is dropped.
  void RenumberKindRecords(int kind, int oldCount, int newCount);
  // For every slot 1..last: the item's record of that number is removed and
  // the slot's copy, when there is one, appended. FALSE (61706 shown) when
  // memory runs out.
  BOOL CopySlotsInto(CQXDiffEqItem* item, int last) const;

  // The differential equation of `entry` to store into: a new one for an
  // entry without item; null (after 61705) for an item of another kind.
  static CQXDiffEqItem* StoreTarget(CQXDocEntry* entry);

  void OnShowType();
  void OnShowFields();
  void OnShowParam();
  void OnShowOutput();
  void OnUpdateShowType(CCmdUI* ui);
  void OnUpdateShowFields(CCmdUI* ui);
  void OnUpdateShowParam(CCmdUI* ui);
  void OnUpdateShowOutput(CCmdUI* ui);

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;

 private:
  // The item of `entry` becomes the working item (a new one when it holds
  // no differential equation) and its records 1-50 fill the slots.
  void takeWorkingItem(std::unique_ptr<CQXDocEntry> entry);

  int m_kind = 0;
  int m_count = 1;
  std::array<std::unique_ptr<CQXRawBlock>, kSlotCount + 1> m_slots;  // [0] unused
  std::unique_ptr<CQXDiffEqItem> m_workingItem;
  BOOL m_menuItemsAdded = FALSE;
};

class CQXDifferentialEquationDataPage : public CQXDataPage {
  Q_OBJECT

 public:
  enum : UINT {
    kFirstOrder = 1094,
    kSecondOrder = 1095,
    kNthOrder = 1096,
    kSystem = 1097,
    kCombo = 1099,
    kOrderEdit = 1103,   // spin 1033
    kSystemEdit = 1102,  // spin 1034
  };

  explicit CQXDifferentialEquationDataPage(CQXDifferentialEquationDataView* view = nullptr);
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL IsModified() override { return m_modified; }
  void SetModified(BOOL modified) override { m_modified = modified; }
  void MergeMenus() override;
  void UnmergeMenus() override;

  // Checks the kind's radio button and shows its controls; the count (-1:
  // left as it is) goes into the kind's spin.
  void ShowKind(int kind, int count);
  // The kind and count the controls stand for.
  void GetShownEquation(int* kind, int* count) const;

  QComboBox* GetCombo() const { return m_combo; }
  QSpinBox* GetOrderSpin() const { return m_spins[0]; }
  QSpinBox* GetSystemSpin() const { return m_spins[1]; }

  void OnFirstOrder();
  void OnSecondOrder();
  void OnNthOrder();
  void OnSystem();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  void onCountChanged(int kind, int value);
  void setSpin(int index, int value);

  CQXDifferentialEquationDataView* m_view;
  QComboBox* m_combo = nullptr;
  std::array<QSpinBox*, 2> m_spins{};  // kind 5, kind 6
  // The counts the view's slots of kinds 5 and 6 are numbered for.
  std::array<int, 2> m_counts{1, 1};
  BOOL m_initialised = FALSE;
  BOOL m_modified = FALSE;
  int m_guard = 0;
};

void RegisterDiffEqPageClasses();
