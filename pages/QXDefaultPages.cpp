#include "pages/QXDefaultPages.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXAppMessages.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/QXItemFactory.h"
#include "pages/QXDescriptionPage.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"

#include <QAbstractButton>

void CQXStandardMenuPage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXStandardMenuPage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }

// ---------------------------------------------------------------- default

CQXDefaultDataPage::CQXDefaultDataPage() : CQXStandardMenuPage(kPageId) { tabTextFromDescription = TRUE; }

CQXDefaultDataPage::~CQXDefaultDataPage() = default;

CQXDefaultDataView::CQXDefaultDataView(QWidget* parent) : CQXDataPageView(parent) {
  mainPageId = CQXDefaultDataPage::kPageId;
  mainPageMenuText = 10042;
}

CQXDefaultDataView::~CQXDefaultDataView() = default;

BOOL CQXDefaultDataView::CreatePages() {
  AddPage(new CQXDefaultDataPage);
  AddPage(new CQXDescriptionPage);
  return TRUE;
}

// ---------------------------------------------------------------- empty

BOOL SelectionHasCreator() {
  CQXMainFrame* frame = GetMainFrame();
  CQXTreeView* tree = frame ? frame->GetTreeView() : nullptr;
  TreeSelectionInfo selection;
  if (!tree || !tree->GetSelection(&selection)) return FALSE;
  return FindItemFactory(selection.itemData) != nullptr;
}

const CMessageMap& CQXEmptyDataPage::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXEmptyDataPage>(CQXStandardMenuPage::messageMap()).command(kNewButton, &CQXEmptyDataPage::OnNewButton);
  return map;
}

CQXEmptyDataPage::CQXEmptyDataPage() : CQXStandardMenuPage(kPageId) { tabTextFromDescription = TRUE; }

CQXEmptyDataPage::~CQXEmptyDataPage() = default;

BOOL CQXEmptyDataPage::OnInitDialog() {
  CQXStandardMenuPage::OnInitDialog();
  button_ = GetDlgItem(kNewButton);
  if (SelectionHasCreator()) {
    if (auto* button = qobject_cast<QAbstractButton*>(button_)) {
      button->setIcon(CLanguageLibrary::LoadIcon(151));
      button->setIconSize(QSize(32, 32));
    }
  } else {
    if (button_) {
      button_->setEnabled(false);
      button_->hide();
    }
    if (QWidget* label = GetDlgItem(kNewLabel)) label->hide();
  }
  return FALSE;
}

void CQXEmptyDataPage::OnNewButton() {
  if (CWnd* frame = AfxGetMainWnd()) frame->PostMessage(WM_COMMAND, kCmdNewItem);
}

const CMessageMap& CQXEmptyDataView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEmptyDataView>(CQXPageView::messageMap())
                                     .command(kCmdShowMainPage, &CQXEmptyDataView::OnShowPage)
                                     .updateUI(kCmdShowMainPage, &CQXEmptyDataView::OnUpdateShowPage)
                                     .command(kCmdNewItem, &CQXEmptyDataView::OnNewItem)
                                     .updateUI(kCmdNewItem, &CQXEmptyDataView::OnUpdateNewItem);
  return map;
}

CQXEmptyDataView::CQXEmptyDataView(QWidget* parent) : CQXPageView(parent) {}

CQXEmptyDataView::~CQXEmptyDataView() = default;

BOOL CQXEmptyDataView::CreatePages() {
  AddPage(new CQXEmptyDataPage);
  return TRUE;
}

int CQXEmptyDataView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXPageView::OnCreate(lpCreateStruct) == -1) return -1;
  ReplaceViewMenuItems({{kCmdShowMainPage, 10042}});
  menuReplaced = TRUE;
  return 0;
}

void CQXEmptyDataView::OnDestroy() {
  if (menuReplaced) {
    RestoreViewMenuItems();
    menuReplaced = FALSE;
  }
  CQXPageView::OnDestroy();
}

void CQXEmptyDataView::OnShowPage() { ShowPage(CQXEmptyDataPage::kPageId); }

void CQXEmptyDataView::OnUpdateShowPage(CCmdUI* ui) { UpdatePageCommand(CQXEmptyDataPage::kPageId, ui); }

void CQXEmptyDataView::OnNewItem() {
  if (!SelectionHasCreator()) return;
  CQXMainFrame* frame = GetMainFrame();
  if (!frame) return;
  // The command reaches this view again when the tree's route leaves it
  // unhandled: it is passed on once, from the content pane only.
  int row = -1, column = -1;
  if (frame->GetSplitter() && frame->GetSplitter()->GetActivePane(&row, &column) && column == 0) return;
  frame->SendMessage(msgQXSwitchToPane, 0);
  frame->PostMessage(WM_COMMAND, kCmdNewItem);
}

void CQXEmptyDataView::OnUpdateNewItem(CCmdUI* ui) { ui->Enable(SelectionHasCreator()); }

void RegisterQXDefaultPageClasses() {
  RegisterRuntimeClass(RUNTIME_CLASS(CQXDefaultDataPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXDefaultDataView));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXEmptyDataPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXEmptyDataView));
}
