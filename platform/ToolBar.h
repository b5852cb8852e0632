// CToolBar: a QToolBar built from a tool-bar resource of the language
// library. Each button is a QAction that carries its command id (property
// "commandId") and its picture from the resource's strip; a frame runs its
// buttons' commands and update handlers (enabled, checked) like those of its
// other tool bars. A bar outside a frame gets that from SetOwner and
// OnUpdateCmdUI.
#pragma once

#include <QPointer>
#include <QToolBar>

#include "platform/CmdTarget.h"
#include "platform/ControlBarStyles.h"
#include "platform/WinMessages.h"

class CWnd;

class CToolBar : public QToolBar, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CToolBar(QWidget* parent = nullptr);
  ~CToolBar() override;
  DECLARE_MESSAGE_MAP()

  // The bar as child `nID` of `parent` with window and CBRS_ styles; shown
  // with WS_VISIBLE.
  BOOL Create(QWidget* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
  BOOL CreateEx(QWidget* parent, DWORD ctrlStyle, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);
  // Replaces the buttons by those of the resource; FALSE when it is missing.
  BOOL LoadToolBar(UINT nIDResource);

  DWORD GetBarStyle() const { return barStyle_; }
  void SetBarStyle(DWORD style) { barStyle_ = style; }
  UINT GetDlgCtrlID() const;

  // Buttons and separators in order.
  int GetCount() const;
  // The command of the n-th entry, ID_SEPARATOR for a separator.
  UINT GetItemID(int index) const;
  int CommandToIndex(UINT id) const;
  QAction* GetButton(int index) const;

  // Buttons send their commands to `owner` (not needed in a frame, which
  // takes them itself); a frame then updates them through the owner.
  void SetOwner(CWnd* owner);
  CWnd* GetOwner() const;
  // Runs the buttons' update handlers from `target`.
  virtual void OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler);

 private:
  DWORD barStyle_ = 0;
  QPointer<CWnd> owner_;
};
