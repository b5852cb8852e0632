// The document tree driven as a user drives it: sorted entries, the delayed
// selection of the keyboard, a selection the open page refuses to give up,
// the calculator entry that stays open, paths that select.
#include "app/DocManagerEx.h"
#include "app/QXContentsView.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "platform/WinApp.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstring>

using namespace tallix::test;

namespace {

// Counts the right-pane views it is asked for.
class WatchedDoc : public CQXDoc {
  Q_OBJECT

 public:
  Q_INVOKABLE WatchedDoc() = default;
  BOOL ShowSelectionPane(const TreeSelectionInfo& selection) override {
    shown.push_back(selection.path);
    return CQXDoc::ShowSelectionPane(selection);
  }
  std::vector<std::string> shown;
};

// A page whose edits are invalid while `valid` is false.
class EditedView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE EditedView() = default;
  static inline bool valid = false;
  BOOL Validate() override { return valid; }
  BOOL HasPendingEdits() override { return TRUE; }
};

class TreeView : public ::testing::Test {
 protected:
  TreeView() {
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(WatchedDoc), RUNTIME_CLASS(CQXMainFrame),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<WatchedDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
    tree = doc->GetTreeView();
    app.m_pMainWnd->resize(300, 600);
    app.m_pMainWnd->show();
    widget()->setFocus();
    doc->shown.clear();
  }
  ~TreeView() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QTreeWidget* widget() const { return tree->GetTreeCtrl().GetTreeWidget(); }
  std::string selected() {
    TreeSelectionInfo info;
    return tree->GetSelection(&info) ? info.path : "";
  }
  void add(const char* path, const char* text, int kind, int flags) {
    TreeEntryDescription entry;
    std::strcpy(entry.path, path);
    std::strcpy(entry.text, text);
    entry.kind = kind;
    entry.flags = flags;
    ASSERT_TRUE(tree->AddEntry(&entry)) << path;
  }
  std::vector<std::string> children(const char* path) {
    std::vector<std::string> out;
    CTreeCtrl& ctrl = tree->GetTreeCtrl();
    for (HTREEITEM item = ctrl.GetChildItem(tree->FindPath(path)); item; item = ctrl.GetNextSiblingItem(item)) {
      char name[64];
      tree->GetItemName(item, name, sizeof name);
      out.push_back(name);
    }
    return out;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  WatchedDoc* doc = nullptr;
  CQXTreeView* tree = nullptr;
};

TEST_F(TreeView, SortedEntriesGoAmongTheItemsPassingFoldersOver) {
  ASSERT_TRUE(tree->RemoveAll());
  add("\\R", "R", 2, 0);
  add("\\R\\b", "B", 0, 0);
  add("\\R\\F1", "A folder", 1, 0);
  add("\\R\\d", "D", 0, 0);
  add("\\R\\F2", "C folder", 1, 0);
  add("\\R\\c", "C", 0, 0x20);
  add("\\R\\e", "e", 0, 0x20);
  add("\\R\\a", "a", 0, 0x20);
  EXPECT_EQ(children("\\R"), (std::vector<std::string>{"a", "b", "c", "F1", "d", "e", "F2"}));
  // A folder that is not there refuses the entry.
  TreeEntryDescription lost;
  std::strcpy(lost.path, "\\R\\Nope\\x");
  EXPECT_FALSE(tree->AddEntry(&lost));
}

TEST_F(TreeView, KeysMoveTheSelectionAndOneViewFollowsAfterTheLastKey) {
  ASSERT_TRUE(tree->SelectPath("\\Calculator\\Matrix", TRUE));
  doc->shown.clear();
  // Time passes between the keys but no event is handled, so the delay can
  // only run out after the last key; each key restarts it.
  for (int i = 0; i < 10; ++i) {
    QTest::keyClick(widget(), Qt::Key_Down);
    QThread::msleep(30);
  }
  QElapsedTimer sinceLastKey;
  sinceLastKey.start();
  EXPECT_TRUE(doc->shown.empty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !doc->shown.empty(); }, 5000));
  // Timers may fire a little early.
  EXPECT_GE(sinceLastKey.elapsed(), qint64(CQXTreeView::kDelayMs) * 9 / 10);
  EXPECT_EQ(doc->shown, std::vector<std::string>{"\\Calculator\\Matrix\\MatJ"});
  EXPECT_FALSE(tree->IsDelayPending());

  // A click shows the entry at once; a refusing page keeps the selection.
  CTreeCtrl& ctrl = tree->GetTreeCtrl();
  QRect rect;
  ASSERT_TRUE(ctrl.GetItemRect(tree->FindPath("\\Calculator\\Matrix\\MatB"), &rect, TRUE));
  auto* frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd);
  CQXContentsView* page = nullptr;
  ASSERT_TRUE(frame->ReplaceContentView(RUNTIME_CLASS(EditedView), &page, FALSE));
  QTest::mouseClick(widget()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(selected(), "\\Calculator\\Matrix\\MatJ");
  EXPECT_EQ(frame->GetContentView(), page);
  EditedView::valid = true;
  QTest::mouseClick(widget()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(selected(), "\\Calculator\\Matrix\\MatB");
  EXPECT_EQ(doc->shown.back(), "\\Calculator\\Matrix\\MatB");
  EXPECT_NE(frame->GetContentView(), page);
  // 28020 shows the selection again.
  frame->SendMessage(WM_COMMAND, CQXDoc::kCmdShowSelection);
  EXPECT_EQ(doc->shown.size(), 3u);
  // While the document files items, a selection does not replace the pane.
  doc->SetBusy(TRUE);
  ASSERT_TRUE(tree->SelectPath("\\Calculator\\Matrix\\MatC", FALSE));
  doc->SetBusy(FALSE);
  EXPECT_EQ(doc->shown.size(), 3u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TreeView, TheCalculatorEntryStaysOpenAndPathsSelect) {
  // The new document's tree opens on its calculator entry.
  EXPECT_EQ(selected(), "\\Calculator");
  HTREEITEM root = tree->GetTreeCtrl().GetRootItem();
  QTest::keyClick(widget(), Qt::Key_Left);
  EXPECT_TRUE(tree->GetTreeCtrl().GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
  ASSERT_TRUE(tree->SelectPath("\\Calculator\\List", TRUE));
  QTest::keyClick(widget(), Qt::Key_Left);
  EXPECT_FALSE(tree->GetTreeCtrl().GetItemState(tree->FindPath("\\Calculator\\List"), TVIS_EXPANDED) & TVIS_EXPANDED);

  EXPECT_TRUE(tree->SelectPath("\\", FALSE));
  EXPECT_EQ(selected(), "\\Calculator");
  EXPECT_FALSE(tree->SelectPath("\\Calculator\\Nope\\List1", FALSE));
  EXPECT_FALSE(tree->SelectPath("Calculator", FALSE));
  EXPECT_EQ(selected(), "\\Calculator");
}

}  // namespace

#include "TreeViewTest.moc"
