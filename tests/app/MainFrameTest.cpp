// The main window: panes and bars, the guard of commands that would leave an
// edited page, Tab between the panes, the exchange of the content view.
#include "app/MainFrameFunctions.h"
#include "app/QXAppMessages.h"
#include "app/QXContentsView.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "classlib/OrvoPropertyPage.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/QXProgramItem.h"
#include "platform/CmdUI.h"
#include "platform/DocTemplate.h"
#include "platform/StatusBar.h"
#include "platform/ToolBar.h"
#include "platform/WinApp.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

// The document: counts the commands that reach it and the emptied undo
// lists; its items are those of the in-memory document.
class TestDoc : public CQXDoc {
 public:
  DECLARE_MESSAGE_MAP()
  BOOL LoadItem(const char* path, CQXDocEntry* out) override { return fake.LoadItem(path, out); }
  void put(const std::string& path, CQXCalcItem* item) { fake.put(path, item); }
  tallix::test::FakeDocServices fake;
  std::map<std::string, std::vector<BYTE>>& items = fake.items;
  int opened = 0, received = 0, undoCleared = 0;
  void ClearUndo() override { ++undoCleared; }
  void OnOpen() { ++opened; }
  void OnReceive() { ++received; }
  // Receive needs an open store; this document has none.
  void OnUpdateReceive(CCmdUI* cmdUI) { cmdUI->Enable(TRUE); }
};
const CMessageMap& TestDoc::messageMap() {
  static const CMessageMap map = MessageMapOf<TestDoc>(CQXDoc::messageMap())
                                     .command(ID_FILE_OPEN, &TestDoc::OnOpen)
                                     .command(22200, &TestDoc::OnReceive)
                                     .updateUI(22200, &TestDoc::OnUpdateReceive);
  return map;
}

}  // namespace

// A tree with one selected entry (an item unless told otherwise).
class TestTree : public CQXTreeView {
  Q_OBJECT

 public:
  Q_INVOKABLE TestTree() = default;
  static inline bool hasSelection = true;
  static inline int kind = 0;
  static inline const char* path = "\\Calculator\\Programme\\A";
  int flushed = 0;

  BOOL GetSelectedItem(HTREEITEM* item) override {
    *item = hasSelection ? reinterpret_cast<HTREEITEM>(this) : nullptr;
    return hasSelection;
  }
  BOOL GetSelection(TreeSelectionInfo* info) override {
    if (!hasSelection) return FALSE;
    qstrncpy(info->path, path, sizeof info->path);
    info->kind = kind;
    return TRUE;
  }
  BOOL GetItemInfo(HTREEITEM item, TreeItemInfo* info) override {
    if (!item) return FALSE;
    if (info->mask & TreeItemInfo::kPath) qstrncpy(info->path, path, sizeof info->path);
    info->kind = kind;
    info->valid = 1;
    return TRUE;
  }
  void FlushDelayedSelection() override { ++flushed; }
};

// A page with edits not yet stored.
class EditedView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE EditedView() = default;
  static inline bool valid = false, storeFails = false;
  static inline int saved = 0;
  BOOL pending = TRUE;
  BOOL Validate() override { return valid; }
  BOOL SaveToDocument() override {
    ++saved;
    return !storeFails;
  }
  BOOL HasPendingEdits() override { return pending; }
  void SetPendingEdits(BOOL on) override { pending = on; }
  BOOL CanMendFailedStore() override { return !storeFails; }
};

// A page view as the pages issue makes them: a disabled sheet of three
// pages that gets the view's commands first.
class SheetView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE SheetView() = default;
  CQXContentSheet* sheet = nullptr;  // goes with the view's window
  COrvoPropertyPage first{501}, second{520}, third{521};
  int enabledChanges = 0;

  int OnCreate(LPCREATESTRUCT cs) override {
    if (CQXContentsView::OnCreate(cs) == -1) return -1;
    sheet = new CQXContentSheet(QString(), this);
    for (COrvoPropertyPage* p : {&first, &second, &third}) sheet->AddPage(p);
    sheet->Create(this, WS_CHILD | WS_VISIBLE | WS_DISABLED);
    sheet->installEventFilter(this);
    return 0;
  }
  // The sheet's route comes back to its parent, this view: it is not
  // offered the command again.
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    if (sheet && !offering) {
      offering = true;
      const BOOL done = sheet->OnCmdMsg(id, code, extra, info);
      offering = false;
      if (done) return TRUE;
    }
    return CQXContentsView::OnCmdMsg(id, code, extra, info);
  }
  bool offering = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == sheet && event->type() == QEvent::EnabledChange && sheet->isEnabled()) ++enabledChanges;
    return false;
  }
};

// A command only the page handles (the document's own commands reach the
// document first).
constexpr UINT kPageCommand = 32001;

// A view that has the frame replace it from inside its own command handler,
// as an icon view does on a double click.
class SelfReplacingView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE SelfReplacingView() = default;
  DECLARE_MESSAGE_MAP()
  void OnOpenEntry() {
    GetMainFrame()->ReplaceContentView(RUNTIME_CLASS(CQXContentsView), nullptr, TRUE);
    setProperty("after", 1);  // the view is still there for the rest of the handler
  }
};
const CMessageMap& SelfReplacingView::messageMap() {
  static const CMessageMap map =
      MessageMapOf<SelfReplacingView>(CQXContentsView::messageMap()).command(kPageCommand, &SelfReplacingView::OnOpenEntry);
  return map;
}

namespace {

class MainFrame : public ::testing::Test {
 protected:
  MainFrame() {
    RegisterQXMainFrameClasses();
    TestTree::hasSelection = true;
    TestTree::kind = 0;
    EditedView::valid = false;
    EditedView::storeFails = false;
    EditedView::saved = 0;
  }
  ~MainFrame() override {
    if (frame) frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void open() {
    frame = new CQXMainFrame;
    CCreateContext context{RUNTIME_CLASS(TestTree), &doc};
    ASSERT_TRUE(frame->LoadFrame(128, nullptr, &context));
    app.m_pMainWnd = frame;
    frame->setGeometry(40, 40, 700, 480);
    frame->show();
    QApplication::setActiveWindow(frame);
    QCoreApplication::processEvents();
  }
  TestTree* tree() const { return qobject_cast<TestTree*>(frame->GetTreeView()); }
  template <class View>
  View* showView() {
    CQXContentsView* view = nullptr;
    EXPECT_TRUE(frame->ReplaceContentView(RUNTIME_CLASS(View), &view, FALSE));
    return qobject_cast<View*>(view);
  }
  int treeWidth() const {
    int current = 0, min = 0;
    frame->GetSplitter()->GetColumnInfo(0, current, min);
    return current;
  }
  int activeColumn() const {
    int row = -1, col = -1;
    return frame->GetSplitter()->GetActivePane(&row, &col) ? col : -1;
  }
  // Runs what the key press posted.
  static void press(QWidget* to, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(to, key, mods);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CWinApp app;
  TestDoc doc;
  QPointer<CQXMainFrame> frame;
};

TEST_F(MainFrame, TwoPanesAndBarsFollowTheSettingsAndTheWidthIsKept) {
  AppWriteProfileInt("Settings", "Toolbar", 0);
  open();
  EXPECT_EQ(frame->objectName(), "orvoQXFrameClass");
  ASSERT_TRUE(tree() && frame->GetContentView());
  EXPECT_EQ(frame->GetContentView()->objectName(), "orvoQXViewClass");
  EXPECT_EQ(frame->GetActiveView(), tree());
  EXPECT_EQ(treeWidth(), 200);
  ASSERT_TRUE(frame->GetToolBar() && frame->GetStatusBar());
  EXPECT_EQ(frame->GetToolBar()->GetDlgCtrlID(), 0xE800u);
  EXPECT_EQ(frame->GetStatusBar()->GetDlgCtrlID(), 59393u);
  EXPECT_EQ(frame->GetStatusBar()->GetCount(), 4);
  frame->OnIdleUpdateCmdUI();  // no key held: the indicators are blank
  EXPECT_EQ(frame->GetStatusBar()->GetPaneLabel(2)->text(), "");
  EXPECT_TRUE(frame->GetToolBar()->isHidden());
  EXPECT_FALSE(frame->GetStatusBar()->isHidden());

  frame->SendMessage(WM_COMMAND, 59392);
  frame->SendMessage(WM_COMMAND, 59393);
  EXPECT_FALSE(frame->GetToolBar()->isHidden());
  EXPECT_TRUE(frame->GetStatusBar()->isHidden());
  EXPECT_EQ(AppGetProfileInt("Settings", "Toolbar", -1), 1);
  EXPECT_EQ(AppGetProfileInt("Settings", "Status Bar", -1), 0);

  // The user's width survives a new content view and is written back.
  frame->GetSplitter()->SetColumnInfo(0, 260, 0);
  frame->GetSplitter()->RecalcLayout();
  frame->GetSplitter()->SetColumnInfo(0, 200, 0);  // as after a drag: the ideal is stale
  showView<CQXContentsView>();
  EXPECT_EQ(treeWidth(), 260);
  frame->resize(900, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(treeWidth(), 260);
  frame->DestroyWindow();
  EXPECT_EQ(AppGetProfileInt("Settings", "Calc Pane width", 0), 260);
}

TEST_F(MainFrame, AnEditedPageThatRefusesItsContentsStopsGuardedCommandsAndTheClose) {
  open();
  auto* view = showView<EditedView>();
  ASSERT_TRUE(view);
  tallix::test::MessageLog log;
  frame->SendMessage(WM_COMMAND, ID_FILE_OPEN);
  frame->SendMessage(WM_COMMAND, 22200);
  frame->SendMessage(WM_CLOSE);
  EXPECT_EQ(doc.opened + doc.received, 0);
  EXPECT_TRUE(frame && !frame->IsDestroyed());
  EXPECT_EQ(doc.undoCleared, 3);
  EXPECT_EQ(EditedView::saved, 0);

  // A folder selected, or nothing: no page to commit.
  TestTree::kind = 1;
  frame->SendMessage(WM_COMMAND, 22200);
  EXPECT_EQ(doc.received, 1);
  TestTree::kind = 0;

  EditedView::valid = true;
  frame->SendMessage(WM_COMMAND, ID_FILE_OPEN);
  EXPECT_EQ(doc.opened, 1);
  EXPECT_EQ(EditedView::saved, 1);
  EXPECT_FALSE(view->pending);
  frame->SendMessage(WM_COMMAND, 22200);  // nothing pending any more
  EXPECT_EQ(doc.received, 2);
  EXPECT_EQ(EditedView::saved, 1);
}

// Edits that pass the check but cannot be stored never keep the user in:
// the question's Non drops them and the command or the close goes on.
TEST_F(MainFrame, APageThatCannotStoreAsksAndNonLetsTheUserLeave) {
  open();
  auto* view = showView<EditedView>();
  ASSERT_TRUE(view);
  EditedView::valid = EditedView::storeFails = true;
  tallix::test::MessageLog log;
  log.answers = {IDCANCEL, IDYES, IDNO};
  frame->SendMessage(WM_CLOSE);
  ASSERT_TRUE(frame && !frame->IsDestroyed());
  EXPECT_EQ(EditedView::saved, 1);
  frame->SendMessage(WM_COMMAND, ID_FILE_OPEN);  // Oui: stored once more, in vain
  EXPECT_EQ(EditedView::saved, 3);
  EXPECT_EQ(doc.opened, 0);
  frame->SendMessage(WM_COMMAND, ID_FILE_OPEN);
  EXPECT_EQ(doc.opened, 1);
  EXPECT_FALSE(view->pending);
  ASSERT_EQ(log.shown.size(), 3u);
  EXPECT_TRUE(log.texts()[0].startsWith("Enregistrer les modifications"));

  view->pending = TRUE;
  log.answers = {IDNO};
  frame->SendMessage(WM_CLOSE);
  EXPECT_TRUE(!frame || frame->IsDestroyed());
}

TEST_F(MainFrame, CtrlTabGoesToTheFirstPageAndComesBackFromEitherEnd) {
  open();
  auto* view = showView<SheetView>();
  ASSERT_TRUE(view);
  view->sheet->SetActivePage(2);
  tree()->SetFocus();
  ASSERT_EQ(activeColumn(), 0);

  press(tree(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(activeColumn(), 1);
  EXPECT_EQ(view->sheet->GetActiveIndex(), 0);
  EXPECT_EQ(tree()->flushed, 1);

  // Shift+Ctrl+Tab on the first page, Ctrl+Tab on the last: the tree.
  press(view->sheet, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(activeColumn(), 0);
  view->sheet->SetActivePage(2);
  frame->GetSplitter()->SetActivePane(0, 1);
  press(view->sheet, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(activeColumn(), 0);

  // Plain Tab in the tree: the content view.
  press(tree(), Qt::Key_Tab, Qt::NoModifier);
  EXPECT_EQ(activeColumn(), 1);

  // Kept up for a look when TALLIX_SHOW_MS is set.
  view->sheet->EnableWindow(TRUE);
  if (const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS"); ms > 0) QTest::qWait(ms);
}

TEST_F(MainFrame, AQuickSecondReplacementRestartsTheTimerAndEnablesThePageOnce) {
  open();
  ASSERT_TRUE(showView<SheetView>());
  QTest::qWait(50);
  CQXContentsView* second = nullptr;
  QElapsedTimer sinceSecond;
  sinceSecond.start();
  ASSERT_TRUE(frame->ReplaceContentView(RUNTIME_CLASS(SheetView), &second, TRUE));
  auto* view = qobject_cast<SheetView*>(second);
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->sheet->isEnabled());
  EXPECT_NE(frame->GetContentTimer(), 0u);
  // The page is enabled a whole period after the second replacement (timers
  // may fire a little early), not when the first timer would have run out.
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->sheet->isEnabled(); }, 5000));
  EXPECT_GE(sinceSecond.elapsed(), qint64(CQXMainFrame::kContentTimerMs) * 9 / 10);
  EXPECT_EQ(frame->GetContentTimer(), 0u);
  QTest::qWait(150);
  EXPECT_TRUE(view->sheet->isEnabled());
  EXPECT_EQ(view->enabledChanges, 1);
  EXPECT_EQ(activeColumn(), 1);  // asked to be activated
}

TEST_F(MainFrame, AViewReplacedFromItsOwnHandlerLivesUntilTheHandlerReturned) {
  open();
  QPointer<CQXContentsView> view = showView<SelfReplacingView>();
  ASSERT_TRUE(view);
  frame->OnCmdMsg(kPageCommand, CN_COMMAND, nullptr, nullptr);  // offered from the tree pane
  EXPECT_TRUE(view && view->property("after").toInt() == 1);
  EXPECT_NE(frame->GetContentView(), view);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(view);
}

TEST_F(MainFrame, AViewThatCannotBeMadeGivesTheEmptyViewAndAMessage) {
  open();
  tallix::test::MessageLog log;
  CQXContentsView* view = nullptr;
  EXPECT_TRUE(frame->ReplaceContentView(RUNTIME_CLASS(QObject), &view, TRUE));
  EXPECT_EQ(view, nullptr);
  ASSERT_TRUE(frame->GetContentView());
  EXPECT_EQ(frame->GetContentView()->metaObject(), RUNTIME_CLASS(CQXContentsView));
  ASSERT_EQ(log.texts().size(), 1u);
  EXPECT_EQ(log.texts()[0], "La commande a échoué.");
}

TEST_F(MainFrame, TheSelectedEntryIsLoadedThroughTheDocument) {
  open();
  auto* program = new CQXProgramItem;
  doc.put(TestTree::path, program);
  std::unique_ptr<CQXDocEntry> entry;
  TreeItemInfo info;
  info.mask = TreeItemInfo::kPath;
  ASSERT_TRUE(GetSelectedDocItem(&entry, &info));
  ASSERT_TRUE(entry && entry->GetItem());
  EXPECT_EQ(entry->Path(), TestTree::path);
  EXPECT_STREQ(info.path, TestTree::path);

  doc.items.clear();
  EXPECT_FALSE(GetSelectedDocItem(&entry, nullptr));
  EXPECT_FALSE(entry);
  TestTree::hasSelection = false;
  EXPECT_FALSE(GetSelectedItemInfo(&info));
  EXPECT_TRUE(CommitActivePage());  // nothing selected: nothing to commit
}

TEST_F(MainFrame, TheDocumentTemplateMakesTheFrameWithItsPanes) {
  CSingleDocTemplate docTemplate(128, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame), RUNTIME_CLASS(CQXTreeView));
  CDocument* made = docTemplate.OpenDocumentFile(QString());
  ASSERT_TRUE(made);
  frame = GetMainFrame();
  ASSERT_TRUE(frame && frame->GetTreeView() && frame->GetContentView());
  EXPECT_EQ(frame->GetContentView()->GetDocument(), made);
  EXPECT_EQ(frame->GetContentView()->GetTreeView(), frame->GetTreeView());
  EXPECT_EQ(GetCurrentDocument(), made);
  frame->DestroyWindow();
}

}  // namespace

#include "MainFrameTest.moc"
