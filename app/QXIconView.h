// CQXIconView: the right pane while the tree's selection is a folder. A
// list control (child id 2) holds one entry per child of the folder, in the
// tree's order, as large icons, small icons ("Liste") or details, whose
// second column sums up each item's data. Its entries work as the tree's:
// they open (the tree selects them and shows their page), are created,
// copied, cut, pasted, deleted, dragged out and dropped on.
//
// The format is shared by every icon view of the run: read once from
// "Settings"/"List Format" (0 small icons, 3 details, anything else large
// icons) and written back by each view's destructor (large 1, details 3,
// small 0); the details' column widths live in "LV Col1 Width" and
// "LV Col2 Width". While the view is shown the View menu holds its three
// format commands in place of "Sélectionner affichage" and the Edit menu has
// no "Entrée"; both come back when it goes.
#pragma once

#include "app/ItemTransfer.h"
#include "app/QXContentsView.h"
#include "classlib/OrvoListCtrl.h"
#include "platform/OleDropTarget.h"

#include <QPointer>

#include <string>

class CQXDoc;
class QContextMenuEvent;

class CQXIconView : public CQXContentsView, public CQXSelectedInfoSource {
  Q_OBJECT

 public:
  static constexpr UINT kListId = 2;
  static constexpr DWORD kListStyle = 0x50008104;  // child, visible, no sort header, auto-arrange, single selection
  static constexpr UINT_PTR kScrollTimerId = 2962;
  static constexpr UINT kScrollPeriodMs = 250;
  enum ListFormat : int { kLargeIcons = 0, kDetails = 1, kSmallIcons = 2 };

  Q_INVOKABLE explicit CQXIconView(QWidget* parent = nullptr);
  ~CQXIconView() override;
  DECLARE_MESSAGE_MAP()

  // The entries of the tree's caret folder; FALSE without a list control
  // or when an entry cannot be made (the list stays partly filled).
  BOOL Refill() override;
  // In details format the texts of entry `index` again: its detail text
  // (emptied when the slot has no data) and its display name.
  BOOL UpdateEntry(int index);
  // The selected entry: kind and item data always, name, path and display
  // text by mask; FALSE when none is selected.
  BOOL GetSelectedInfo(TreeItemInfo* info) override;
  // Deletes the first entry whose path is exactly `path`.
  void RemoveEntryByPath(const char* path);

  COrvoListCtrl* GetListCtrl() const { return list_; }
  // The format of the run (ListFormat), read from the settings first.
  static int GetListFormat();

  void OnUpdate(CView* sender, LPARAM hint, QObject* hintObject) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnTimer(UINT_PTR id) override;
  DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) override;
  DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) override;
  void OnDragLeave() override;
  BOOL OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint point) override;

  void OnViewIcons();
  void OnViewList();
  void OnViewDetails();
  void OnUpdateViewFormat(CCmdUI* ui);
  void OnViewAutoArrange();
  void OnEditItem();
  void OnUpdateEditItem(CCmdUI* ui);
  void OnNewItem();
  void OnUpdateNewItem(CCmdUI* ui);
  void OnEditOrNew();
  void OnUpdateEditOrNew(CCmdUI* ui);
  void OnEditCopy();
  void OnEditCut();
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnEditPaste();
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnDelete();
  void OnUpdateDelete(CCmdUI* ui);
  void OnEditUndo();
  void OnUpdateEditUndo(CCmdUI* ui);

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void OnBeginDrag(NMHDR* header, LRESULT* result);
  void OnDoubleClick(NMHDR* header, LRESULT* result);
  void OnDeleteItem(NMHDR* header, LRESULT* result);

 private:
  struct EntryRecord;
  CQXDoc* document() const;
  const EntryRecord* recordAt(int index) const;
  int selectedIndex() const;
  // The record of the selected entry when it is an item with data.
  const EntryRecord* selectedItemWithData() const;
  BOOL hasData(const std::string& path) const;
  // The data type a new entry would get (the selected entry's, else the
  // tree selection's); 0 when no new item can be made for it.
  int newItemType() const;
  void fillInfo(int index, TreeItemInfo* info) const;
  // The detail text of the item at `path`, empty when it has no data.
  QString detailText(const std::string& path) const;
  void applyFormat(int format);
  void saveColumnWidths();
  // Refills with redraw off, then selects and focuses `index` again.
  void refillAndSelect(int index);
  void setDropHilite(int index);
  void endDragFeedback();
  void changeMenus();
  void restoreMenus();
  QPoint listPoint(QPoint viewPoint) const;

  COleDropTarget dropTarget_;
  QPointer<COrvoListCtrl> list_;
  BOOL menuChanged_ = FALSE;
  UINT_PTR scrollTimer_ = 0;
  int dropHilite_ = -1;
  ItemDragDescription dragged_;
};

void RegisterQXIconViewClass();
