// The data pages that show a table of numbers in a grid.
//
// CQXGridCtrlDataPage: a page whose dialog holds the placeholder 1063; the
// grid (id 50) takes its place from its top edge to the page's bottom. Its
// context menu (311) opens over the grid only; the edit commands go to the
// grid, rows and columns are inserted before and deleted at the focus cell.
//
// CQXNumericalDataPage: adds the editing command (F2), validation (a table
// needs at least one cell) and the messages of a refused store: the page
// comes to the front, the message names the fault and the grid keeps the
// focus.
//
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXGridTable.h"

#include <QRect>

#include <memory>

class CCmdUI;
class CQXDocEntry;
class QContextMenuEvent;
struct TreeItemInfo;

class CQXGridCtrlDataPage : public CQXDataPage, public CQXGridTable {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXGridCtrlDataPage();
  explicit CQXGridCtrlDataPage(UINT templateId);
  ~CQXGridCtrlDataPage() override;
  DECLARE_MESSAGE_MAP()

  enum : UINT { kPlaceholderId = 1063, kContextMenuId = 311 };

  BOOL IsModified() override { return CQXGridTable::IsModified(); }
  void SetModified(BOOL modified) override { CQXGridTable::SetModified(modified); }
  // Code 2: the item changed; the page loads it again.
  void OnDocNotify(int code, QObject* argument) override;
  // Where the page takes the entry it shows from: the selection's.
  virtual BOOL FetchCurrentItem(std::unique_ptr<CQXDocEntry>* entry) { return GetCurrentItem(entry); }
  // The print view prints the page's grid.
  int GetPrintKind() const override { return kPrintKind; }
  QWidget* GetPrintControl() override { return &GetGrid(); }

  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  // Print kind 1: the page prints its grid.
  static constexpr int kPrintKind = 1;

  // Commands and their update handlers.
  void OnEditUndo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnInsertRow();
  void OnDeleteRow();
  void OnInsertColumn();
  void OnDeleteColumn();
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnUpdateEditCut(CCmdUI* ui);
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateEditClear(CCmdUI* ui);
  void OnUpdateEditSelectAll(CCmdUI* ui);
  void OnUpdateInsertRow(CCmdUI* ui);
  void OnUpdateDeleteRow(CCmdUI* ui);
  void OnUpdateInsertColumn(CCmdUI* ui);
  void OnUpdateDeleteColumn(CCmdUI* ui);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void OnDestroy() override;

  QRect m_gridRect;  // the placeholder's rectangle
};

class CQXNumericalDataPage : public CQXGridCtrlDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXNumericalDataPage();
  explicit CQXNumericalDataPage(UINT templateId);
  DECLARE_MESSAGE_MAP()

  BOOL Validate(TreeItemInfo* info) override;
  // Focuses the page, unselects the focus cell and focuses the grid.
  void FocusCurrentCell();

  void OnEditCell();
  void OnUpdateEditCell(CCmdUI* ui);

  std::string m_caption;

 protected:
  // Brings the page to the front of its sheet, shows message `id` and
  // leaves the focus in the grid of the content pane.
  void ShowPageMessage(UINT id, const QString& arg1 = {}, const QString& arg2 = {});
  void OnStoreRefused(UINT id, const std::string& arg1, const std::string& arg2) override;
  // An entry without an item, or of a type the page does not store: the
  // command failed (61705).
  BOOL RefuseForeignEntry();
};
