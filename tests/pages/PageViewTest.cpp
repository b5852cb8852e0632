// The page protocol between the frame's commit, the page view and its pages.
#include "app/MainFrameFunctions.h"
#include "datamodel/QXMatrixItems.h"
#include "pages/QXDataPage.h"
#include "pages/QXPageView.h"
#include "platform/CmdUI.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"

#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

std::vector<std::string> events;
int livePages = 0;

// A page that logs its activations and deletion; what it answers is set by
// the test.
class StubPage : public CQXDataPage {
 public:
  explicit StubPage(UINT id) : CQXDataPage(id) { ++livePages; }
  ~StubPage() override {
    --livePages;
    events.push_back("delete " + std::to_string(GetPageId()));
  }
  BOOL modified = FALSE, refuseValidate = FALSE, refuseStore = FALSE, dropItem = FALSE;
  BOOL mendable = TRUE;
  BOOL IsRefusalMendable() override { return mendable; }
  int reloads = 0;
  void OnDocNotify(int code, QObject*) override { reloads += code == kNotifyItemChanged; }
  BOOL OnSetActive() override {
    events.push_back("activate " + std::to_string(GetPageId()));
    return CQXDataPage::OnSetActive();
  }
  BOOL IsModified() override { return modified; }
  void SetModified(BOOL on) override { modified = on; }
  BOOL Validate(TreeItemInfo*) override { return !refuseValidate; }
  BOOL StoreToItem(CQXDocEntry* entry) override {
    if (refuseStore) return FALSE;
    if (dropItem) entry->SetItem(nullptr);
    return TRUE;
  }
  void MergeMenus() override { EditMenuEntryItem(200, 0); }
  void UnmergeMenus() override { EditMenuEntryItem(200, 1); }
};

}  // namespace

class StubView : public CQXDataPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE StubView() {
    mainPageId = 624;
    mainPageMenuText = 10024;
  }
  static inline bool fail = false;
  BOOL CreatePages() override {
    for (UINT id : {624u, 625u, 620u}) AddPage(new StubPage(id));
    return !fail;
  }
  StubPage* page(int i) const { return static_cast<StubPage*>(PageAt(i)); }
};

namespace {

class PageView : public ::testing::Test {
 protected:
  PageView() {
    events.clear();
    livePages = 0;
    StubView::fail = false;
    auto* m = new CQXMatrixItem;
    w.doc.put("\\Calculator\\Matrice\\A", m);
  }
  PageWindow w;
};

TEST_F(PageView, AViewWhosePagesCannotBeMadeIsNeverShownAndLeavesNoPage) {
  StubView::fail = true;
  MessageLog log;
  EXPECT_EQ(w.show<StubView>(), nullptr);
  EXPECT_EQ(livePages, 0);
  EXPECT_FALSE(qobject_cast<StubView*>(w.frame->GetContentView()));
  EXPECT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(w.popupTexts(4).first(), "Sélectionner affichage");
}

TEST_F(PageView, PagesGoInFrontOfTheActiveOneFirstAndTheActiveOneLast) {
  StubView* view = w.show<StubView>();
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->GetSheet()->isEnabled());  // until the frame's timer
  ASSERT_TRUE(view->ShowPage(625));
  EXPECT_TRUE(view->IsPageShown(625));
  EXPECT_EQ(view->FindPageIndex(620), 2);
  EXPECT_EQ(view->FindPageIndex(999), -1);
  events.clear();
  w.show<CQXContentsView>();
  EXPECT_EQ(events, (std::vector<std::string>{"delete 624", "delete 620", "delete 625"}));
  EXPECT_EQ(livePages, 0);
}

TEST_F(PageView, APageThatRefusesStopsTheCommitWithNothingWritten) {
  StubView* view = w.show<StubView>();
  ASSERT_TRUE(view);
  for (int i = 0; i < 3; ++i) view->page(i)->modified = TRUE;
  view->page(1)->refuseValidate = TRUE;
  EXPECT_FALSE(CommitActivePage());
  view->page(1)->refuseValidate = FALSE;
  view->page(2)->refuseStore = TRUE;
  EXPECT_FALSE(CommitActivePage());
  EXPECT_TRUE(w.doc.savedPaths.size() == 1);  // the set-up's own filing
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(view->page(i)->modified);

  // Edits that cannot be stored as they are: asked, the user drops them, the
  // pages show the item again and the commit lets the caller go on.
  view->page(2)->mendable = FALSE;
  MessageLog log;
  log.answers = {IDNO};
  EXPECT_TRUE(CommitActivePage());
  EXPECT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(w.doc.savedPaths.size(), 1u);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(view->page(i)->modified);
  EXPECT_EQ(view->page(0)->reloads, 1);

  for (int i = 0; i < 3; ++i) view->page(i)->modified = TRUE;
  view->page(2)->refuseStore = FALSE;
  EXPECT_TRUE(CommitActivePage());
  EXPECT_EQ(w.doc.savedPaths.back(), "\\Calculator\\Matrice\\A");
  EXPECT_FALSE(view->IsAnyPageModified());
}

TEST_F(PageView, AStoreUnderANewPathMovesTheSelectionWithoutRebuildingTheView) {
  StubView* view = w.show<StubView>();
  ASSERT_TRUE(view);
  view->page(0)->modified = TRUE;
  w.doc.fileUnder["\\Calculator\\Matrice\\A"] = "\\Calculator\\Matrice\\B";
  EXPECT_TRUE(CommitActivePage());
  ASSERT_EQ(PageTree::selected.size(), 1u);
  EXPECT_EQ(PageTree::selected[0], (std::pair<std::string, int>{"\\Calculator\\Matrice\\B", 1}));
  EXPECT_EQ(w.doc.busy, 0);
  EXPECT_EQ(w.frame->GetContentView(), view);
  EXPECT_STREQ(view->GetEntryPath(), "\\Calculator\\Matrice\\B");
  QCoreApplication::processEvents();
  EXPECT_EQ(w.doc.shownSelection, 0);
}

TEST_F(PageView, AFilingThatMovedTheSelectionDoesNotMakeThePageStoreElsewhere) {
  StubView* view = w.show<StubView>();
  ASSERT_TRUE(view);
  // A drop took the shown entry; the tree now selects another item.
  w.doc.put("\\Calculator\\Matrice\\C", new CQXMatrixItem);
  PageTree::path = "\\Calculator\\Matrice\\C";
  view->page(0)->modified = TRUE;
  EXPECT_TRUE(CommitActivePage());
  EXPECT_EQ(w.doc.savedPaths.back(), "\\Calculator\\Matrice\\A");

  // A page that empties the item removes it, busy all along; the removal
  // moved the selection, so the document is asked to show it.
  view->page(0)->modified = TRUE;
  view->page(0)->dropItem = TRUE;
  w.doc.onFiling = [] { PageTree::path = "\\Calculator\\Matrice\\D"; };
  EXPECT_TRUE(CommitActivePage());
  ASSERT_EQ(w.doc.removed.size(), 1u);
  EXPECT_EQ(w.doc.removed[0], (std::pair<std::string, int>{"\\Calculator\\Matrice\\A", 1}));
  EXPECT_EQ(w.doc.busy, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(w.doc.shownSelection, 1);
}

TEST_F(PageView, TheViewMenuShowsThePagesWhileTheViewLivesAndTheEditMenuKeepsItsItems) {
  const QStringList edit = w.popupTexts(1);
  ASSERT_TRUE(edit.contains("Sauvegarder"));
  for (int i = 0; i < 20; ++i) {
    StubView* view = w.show<StubView>();
    ASSERT_TRUE(view);
    EXPECT_EQ(w.popupTexts(4).mid(0, 2), (QStringList{"Matrice", "Description"}));
    EXPECT_FALSE(w.popupTexts(1).contains("Entrée"));
    view->ShowPage(620);
  }
  w.show<CQXContentsView>();
  EXPECT_EQ(w.popupTexts(4).first(), "Sélectionner affichage");
  EXPECT_EQ(w.popupTexts(4).count("Sélectionner affichage"), 1);
  EXPECT_EQ(w.popupTexts(1), edit);
}

TEST_F(PageView, CommandsReachThePageTheViewAndTheDocumentOnceWithoutLooping) {
  StubView* view = w.show<StubView>();
  ASSERT_TRUE(view);
  view->SendMessage(WM_COMMAND, 21000);
  EXPECT_TRUE(view->IsPageShown(620));
  CCmdUI ui;
  ui.m_nID = 21016;
  EXPECT_TRUE(view->OnCmdMsg(21016, CN_UPDATE_COMMAND_UI, &ui, nullptr));
  EXPECT_TRUE(ui.m_bEnabled);
  EXPECT_EQ(ui.m_nCheck, 0);
  // Handled by the document, through the sheet and back.
  view->SendMessage(WM_COMMAND, 28020);
  EXPECT_EQ(w.doc.shownSelection, 1);
  EXPECT_FALSE(view->OnCmdMsg(4242, CN_COMMAND, nullptr, nullptr));
}

}  // namespace

#include "PageViewTest.moc"
