// The pages that belong to no data kind: the default view of an item whose
// kind has no view of its own ("L'affichage des données n'est pas
// possible.", and the description page), and the empty view of a selection
// without an item ("Pas de données.", with "Nouveau" when the selection's
// kind can be created). The empty view is also the frame's fallback when a
// view cannot be made.
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXPageView.h"

class CCmdUI;

// A page whose menu changes are the standard ones: no "Entrée" in the Edit
// menu while it is active.
class CQXStandardMenuPage : public CQXDataPage {
  Q_OBJECT

 public:
  using CQXDataPage::CQXDataPage;
  void MergeMenus() override;
  void UnmergeMenus() override;
};

class CQXDefaultDataPage : public CQXStandardMenuPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 638;
  Q_INVOKABLE CQXDefaultDataPage();
  ~CQXDefaultDataPage() override;
};

class CQXDefaultDataView : public CQXDataPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXDefaultDataView(QWidget* parent = nullptr);
  ~CQXDefaultDataView() override;
  BOOL CreatePages() override;
};

class CQXEmptyDataPage : public CQXStandardMenuPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 640;
  static constexpr int kNewButton = 1091;
  static constexpr int kNewLabel = 1093;
  Q_INVOKABLE CQXEmptyDataPage();
  ~CQXEmptyDataPage() override;
  DECLARE_MESSAGE_MAP()

 protected:
  BOOL OnInitDialog() override;
  void OnNewButton();

 private:
  QWidget* button_ = nullptr;
};

class CQXEmptyDataView : public CQXPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXEmptyDataView(QWidget* parent = nullptr);
  ~CQXEmptyDataView() override;
  DECLARE_MESSAGE_MAP()
  BOOL CreatePages() override;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;
  void OnShowPage();
  void OnUpdateShowPage(CCmdUI* ui);
  void OnNewItem();
  void OnUpdateNewItem(CCmdUI* ui);

  BOOL menuReplaced = FALSE;
};

// The New command of the main window.
enum : UINT { kCmdNewItem = 22102 };
// TRUE when an item of the tree selection's kind can be created.
BOOL SelectionHasCreator();

void RegisterQXDefaultPageClasses();
