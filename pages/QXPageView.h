// CQXPageView: a right-pane view that holds one sheet of data pages and
// answers the content view's operations through the pages: the frame's
// commit of the open page becomes IsAnyPageModified, ValidatePages,
// StorePages and SetPagesModified(0); the document's updates become
// NotifyPages. CQXDataPageView: the page view of a data kind, with its main
// page and the description page and their two items in the View menu.
//
// The view remembers the path and information of the entry it shows, as
// the tree had them when it was made: a filing that moves the tree's
// selection away (a drop that replaced the shown item) does not make the
// page store into another item. Its own store moves them along.
#pragma once

#include "app/QXContentsView.h"
#include "app/QXTreeView.h"

#include <QPointer>

#include <memory>

class CCmdUI;
class CQXDataPage;
class CQXDocEntry;
class CQXDocServices;

class CQXPageView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXPageView(QWidget* parent = nullptr);
  ~CQXPageView() override;
  DECLARE_MESSAGE_MAP()

  BOOL SaveToDocument() override { return StorePages(); }
  BOOL Validate() override { return ValidatePages(); }
  BOOL HasPendingEdits() override { return IsAnyPageModified(); }
  void SetPendingEdits(BOOL on) override { SetPagesModified(on); }
  BOOL CanMendFailedStore() override { return storeMendable_; }
  // The pages load the shown item again and are unmodified.
  void DiscardPendingEdits() override;

  // TRUE when every page stored and the item was filed.
  virtual BOOL StorePages();
  // TRUE when every page accepts its contents.
  virtual BOOL ValidatePages();
  virtual BOOL IsAnyPageModified();
  virtual void SetPagesModified(BOOL modified);
  // Makes the pages (new objects, the view deletes them) and adds them;
  // FALSE makes the view's creation fail. The base has no pages: FALSE.
  virtual BOOL CreatePages();
  // Removes and deletes every page, the active one last.
  virtual void RemovePages();
  virtual void NotifyPages(int code, QObject* argument);

  CQXContentSheet* GetSheet() const { return sheet_; }
  void AddPage(CQXDataPage* page);
  // Activates the page with that id; FALSE when there is none.
  BOOL ShowPage(UINT pageId);
  BOOL IsPageShown(UINT pageId) const;
  // -1 when no page has that id.
  int FindPageIndex(UINT pageId) const;
  void EnableSheet(BOOL enable);
  // Enabled when a page has that id, checked when it is the active one.
  void UpdatePageCommand(UINT pageId, CCmdUI* ui);

  // The path of the entry the view shows.
  const char* GetEntryPath() const { return entryPath_; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  void OnUpdate(CView* sender, LPARAM hint, QObject* hintObject) override;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  LRESULT OnSizeMessage(WPARAM, LPARAM);
  LRESULT OnGetViewData(WPARAM wParam, LPARAM lParam);

  CQXDataPage* PageAt(int index) const;
  // The document the view stores into, or null.
  CQXDocServices* GetDocServices() const;
  // The shown entry's information (name, path, description).
  void GetEntryInfo(TreeItemInfo* info);
  // The shown entry as the document holds it now; null when the document
  // holds no item there.
  std::unique_ptr<CQXDocEntry> LoadShownEntry();

 private:
  void layoutSheet();
  void rememberEntry();

  QPointer<CQXContentSheet> sheet_;
  bool storeMendable_ = true;  // the last failed store was a page's refusal of what the user can mend
  bool entryKnown_ = false;
  char entryPath_[256] = {};
  TreeItemInfo entryInfo_;
};

class CQXDataPageView : public CQXPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXDataPageView(QWidget* parent = nullptr);
  ~CQXDataPageView() override;
  DECLARE_MESSAGE_MAP()

  UINT GetMainPageId() const { return mainPageId; }
  UINT GetMainPageMenuText() const { return mainPageMenuText; }
  BOOL IsMenuReplaced() const { return menuReplaced; }

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;
  void OnShowMainPage();
  void OnUpdateShowMainPage(CCmdUI* ui);
  void OnShowDescription();
  void OnUpdateShowDescription(CCmdUI* ui);

  // Set by each kind's constructor.
  UINT mainPageId = 0;
  UINT mainPageMenuText = 0;
  BOOL menuReplaced = FALSE;
};

// View-menu commands of the page views.
enum : UINT {
  kCmdShowDescription = 21000,
  kCmdShowMainPage = 21016,
  kCmdSelectView = 22401,
  kCmdShowSelectedItem = 28020,
};
// The description page's dialog.
enum : UINT { kDescriptionPageId = 620 };

// Puts the items {command id, menu text id}, in their order, in place of
// "Sélectionner affichage" (22401) at the top of the View popup (key 500),
// or puts 22401 back and takes the page views' two commands out.
void ReplaceViewMenuItems(const std::vector<std::pair<UINT, UINT>>& items);
void RestoreViewMenuItems();
