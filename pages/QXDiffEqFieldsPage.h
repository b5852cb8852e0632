// The equations page (648) of the differential-equation view: one token
// field per equation of the view's kind and count, each kept in the view's
// slot of its record ("1".."46": 00 00 00 02, the tokens, a 0x00 end byte).
// The "..." menu has "Yn" (10050, the byte 0x59) on top.
#pragma once

#include "pages/QXFunctionFieldPage.h"

#include <string>

class CQXDifferentialEquationDataView;

class CQXDifferentialEquationFNCDataPage : public CQXFunctionFieldCtrlDataPage {
  Q_OBJECT

 public:
  enum : UINT { kCmdInsertY = 10050 };
  explicit CQXDifferentialEquationFNCDataPage(CQXDifferentialEquationDataView* view = nullptr);
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry*) override { return TRUE; }
  BOOL StoreToItem(CQXDocEntry* entry) override;

  // Fields for the view's kind and count, filled from its slots.
  void Rebuild();
  // The fields into the view's slots; FALSE when memory runs out.
  BOOL WriteFields();
  // The label of field `k` of `kind` with count `n`.
  static std::string FieldLabel(int kind, int n, int k);
  static int FieldCount(int kind, int n);

  void OnInsertY();
  int GetBuiltKind() const { return m_kind; }
  int GetBuiltCount() const { return m_count; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  LRESULT OnEquationButton(WPARAM wParam, LPARAM lParam);

 private:
  CQXDifferentialEquationDataView* m_view;
  int m_kind = 0;
  int m_count = 1;
};
