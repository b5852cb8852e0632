// CQXCalculatorDialog: the choice of the calculator model that new
// documents are made for. The list offers the models of the model list in
// file order, the one of "Settings"/"Default Calculator" selected, else the
// first; the current row is always the selected one. OK (or Return, or a
// double-click on an entry) stores the chosen model there. OK without a
// selection (an empty list) asks for one and keeps the dialog open.
#pragma once

#include "classlib/OrvoHelpDialog.h"

class QListWidget;

class CQXCalculatorDialog : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 502;
  explicit CQXCalculatorDialog(QWidget* parent = nullptr);
  ~CQXCalculatorDialog() override;

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  QListWidget* m_list = nullptr;
};
