// CQXContentsView: the base of every view in the right pane of the main
// window (the icon view of a folder, the page views of items), with the five
// operations by which the frame and the tree talk to it; a bare one is the
// empty placeholder of the pane. CQXContentSheet: the child property sheet
// a page view puts into the pane.
#pragma once

#include "classlib/OrvoBases.h"
#include "classlib/OrvoPropertySheet.h"

class CQXTreeView;
struct TreeItemInfo;

class CQXContentsView : public COrvoBaseView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXContentsView(QWidget* parent = nullptr);
  ~CQXContentsView() override;
  DECLARE_MESSAGE_MAP()

  // Rebuilds the view's contents from the document.
  virtual BOOL Refill() { return TRUE; }
  // Stores the pending edits into the document.
  virtual BOOL SaveToDocument() { return TRUE; }
  // Checks the pending edits before they are stored; FALSE refuses (the
  // view has told the user why).
  virtual BOOL Validate() { return TRUE; }
  virtual BOOL HasPendingEdits() { return FALSE; }
  virtual void SetPendingEdits(BOOL) {}
  // After SaveToDocument failed: TRUE when the user can mend the edits and
  // store them then, FALSE when they cannot be stored as they are.
  virtual BOOL CanMendFailedStore() { return TRUE; }
  // Drops the pending edits: the view shows the document's contents again
  // and has nothing pending.
  virtual void DiscardPendingEdits() { SetPendingEdits(FALSE); }

  // The first view of the document that is a tree view, or null.
  CQXTreeView* GetTreeView() const;
};

// What the icon view of a folder tells the frame when one of its entries is
// to be opened: the information of its selected entry (FALSE: none).
class CQXSelectedInfoSource {
 public:
  virtual ~CQXSelectedInfoSource() = default;
  virtual BOOL GetSelectedInfo(TreeItemInfo* info) = 0;
};

class CQXContentSheet : public COrvoChildPropertySheet {
 public:
  CQXContentSheet(const QString& caption, QWidget* parent, UINT firstPage = 0);
  ~CQXContentSheet() override;
  DECLARE_MESSAGE_MAP()

  // Ctrl+Tab past the last page, or Shift+Ctrl+Tab before the first, gives
  // the focus back to the tree.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void OnSelectPage(UINT id);
  LRESULT OnResizeActivePage(WPARAM, LPARAM);
};

// Registers CQXContentsView by class name.
void RegisterQXContentsViewClass();
