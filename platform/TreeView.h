// CTreeView: a view that is one tree control. The control fills the view,
// takes its focus, and its TVS_ style bits follow the view's (ModifyStyle on
// either). Its notifications are the view's own: they reach the view's
// notifyReflect entries, as a control's reflected notifications do.
#pragma once

#include "platform/TreeCtrl.h"
#include "platform/View.h"

class CTreeView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CTreeView(QWidget* parent = nullptr);
  ~CTreeView() override;
  DECLARE_MESSAGE_MAP()

  CTreeCtrl& GetTreeCtrl() const { return *tree_; }
  void GetClientRect(QRect* rect) const override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 protected:
  // The view's creation, then the control's (-1 when either fails).
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;

 private:
  CTreeCtrl* tree_;
};
