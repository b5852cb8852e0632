// The tree control's notifications, the scrolling view, and commands that
// reach the views of a splitter with their tool-bar state.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <map>
#include <vector>

#include "platform/CmdUI.h"
#include "platform/DC.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/ListCtrl.h"
#include "platform/ScrollView.h"
#include "platform/SplitterWnd.h"
#include "platform/ToolBar.h"
#include "platform/TreeCtrl.h"
#include "tests/support/TestEnvironment.h"

namespace {

// A window that records its tree control's notifications.
class TreeParent : public CWnd {
 public:
  struct Note {
    int code;
    UINT action;
    HTREEITEM from, to;
    HTREEITEM caretMeanwhile;  // the control's caret while it asked
    LPARAM data;
  };
  BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(lParam);
    auto* tree = static_cast<CTreeCtrl*>(nm->hdr.hwndFrom);
    notes.push_back({nm->hdr.code, nm->action, nm->itemOld.hItem, nm->itemNew.hItem, tree->GetSelectedItem(),
                     nm->hdr.code == TVN_DELETEITEM ? nm->itemOld.lParam : 0});
    if ((nm->hdr.code == TVN_SELCHANGING && refuseSelection) || (nm->hdr.code == TVN_ITEMEXPANDING && refuseExpand))
      *result = TRUE;
    if (nm->hdr.code == TVN_SELCHANGING && deleteOldCaret && nm->itemOld.hItem) {
      deleteOldCaret = false;
      tree->DeleteItem(nm->itemOld.hItem);
    }
    return TRUE;
  }
  std::vector<Note> notes;
  bool deleteOldCaret = false;  // as a page filing its edits under a new entry
  bool refuseSelection = false;
  bool refuseExpand = false;
};

class TreeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.resize(200, 300);
    tree = new CTreeCtrl;
    ASSERT_TRUE(
        tree->Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, QRect(0, 0, 200, 300), &parent, 7));
    parent.show();
    QApplication::setActiveWindow(&parent);
    tree->GetTreeWidget()->setFocus();
  }
  void click(HTREEITEM item) {
    QRect r;
    ASSERT_TRUE(tree->GetItemRect(item, &r, TRUE));
    QTest::mouseClick(tree->GetTreeWidget()->viewport(), Qt::LeftButton, {}, r.center());
  }
  void key(Qt::Key k) { QTest::keyClick(tree->GetTreeWidget(), k); }

  TreeParent parent;
  CTreeCtrl* tree = nullptr;
};

}  // namespace

TEST_F(TreeCtrlTest, ARefusedSelectionChangeKeepsTheCaretForClicksAndKeysAndTheCauseIsReported) {
  HTREEITEM a = tree->InsertItem("a"), b = tree->InsertItem("b"), c = tree->InsertItem("c");
  ASSERT_TRUE(tree->SelectItem(a));
  ASSERT_EQ(parent.notes.size(), 2u);
  EXPECT_EQ(parent.notes[1].code, TVN_SELCHANGED);
  EXPECT_EQ(parent.notes[1].action, TVC_UNKNOWN);

  parent.notes.clear();
  parent.refuseSelection = true;
  click(b);
  key(Qt::Key_Down);
  EXPECT_EQ(tree->GetSelectedItem(), a);
  const QList<QTreeWidgetItem*> shown = tree->GetTreeWidget()->selectedItems();
  EXPECT_EQ(shown, QList<QTreeWidgetItem*>{a});
  ASSERT_EQ(parent.notes.size(), 2u);
  EXPECT_EQ(parent.notes[0].code, TVN_SELCHANGING);
  EXPECT_EQ(parent.notes[0].action, TVC_BYMOUSE);
  EXPECT_EQ(parent.notes[0].to, b);
  EXPECT_EQ(parent.notes[1].action, TVC_BYKEYBOARD);
  EXPECT_EQ(parent.notes[1].caretMeanwhile, a);

  parent.notes.clear();
  parent.refuseSelection = false;
  click(b);
  key(Qt::Key_Down);
  EXPECT_EQ(tree->GetSelectedItem(), c);
  std::vector<std::pair<UINT, HTREEITEM>> changed;
  for (const auto& n : parent.notes) {
    if (n.code == TVN_SELCHANGING) {
      EXPECT_EQ(n.caretMeanwhile, n.from);
    }
    if (n.code == TVN_SELCHANGED) changed.emplace_back(n.action, n.to);
  }
  EXPECT_EQ(changed, (std::vector<std::pair<UINT, HTREEITEM>>{{TVC_BYMOUSE, b}, {TVC_BYKEYBOARD, c}}));
  EXPECT_EQ(tree->GetItemState(c, TVIS_SELECTED), UINT(TVIS_SELECTED));
}

TEST_F(TreeCtrlTest, ASelectionChangeWhoseOldCaretWentMeanwhileReportsALiveItem) {
  HTREEITEM a = tree->InsertItem("a"), b = tree->InsertItem("b"), c = tree->InsertItem("c"),
            d = tree->InsertItem("d");
  auto moveDeletingTheCaret = [&](HTREEITEM from, HTREEITEM to, bool byClick) {
    ASSERT_TRUE(tree->SelectItem(from));
    parent.notes.clear();
    parent.deleteOldCaret = true;
    if (byClick) click(to);
    else EXPECT_TRUE(tree->SelectItem(to));
    EXPECT_EQ(tree->GetSelectedItem(), to);
    ASSERT_FALSE(parent.notes.empty());
    EXPECT_EQ(parent.notes.back().code, TVN_SELCHANGED);
    EXPECT_EQ(parent.notes.back().to, to);
    EXPECT_NE(parent.notes.back().from, from);
  };
  moveDeletingTheCaret(a, c, false);
  moveDeletingTheCaret(d, b, true);  // the rows above the click stay
}

TEST_F(TreeCtrlTest, ARefusedCollapseKeepsTheItemOpen) {
  HTREEITEM root = tree->InsertItem("root");
  tree->InsertItem("child", root);
  tree->Expand(root, TVE_EXPAND);
  tree->SelectItem(root);
  parent.notes.clear();
  parent.refuseExpand = true;
  key(Qt::Key_Left);
  EXPECT_EQ(tree->GetItemState(root, TVIS_EXPANDED), UINT(TVIS_EXPANDED));
  ASSERT_FALSE(parent.notes.empty());
  EXPECT_EQ(parent.notes[0].code, TVN_ITEMEXPANDING);
  EXPECT_EQ(parent.notes[0].action, TVE_COLLAPSE);
  parent.refuseExpand = false;
  key(Qt::Key_Left);
  EXPECT_EQ(tree->GetItemState(root, TVIS_EXPANDED), 0u);
}

TEST_F(TreeCtrlTest, EveryRemovedItemIsReportedOnceWithItsData) {
  HTREEITEM root = tree->InsertItem(TVIF_TEXT | TVIF_PARAM, "root", 0, 0, 0, 0, 1, TVI_ROOT, TVI_LAST);
  HTREEITEM x = tree->InsertItem(TVIF_TEXT | TVIF_PARAM, "x", 0, 0, 0, 0, 2, root, TVI_LAST);
  tree->InsertItem(TVIF_TEXT | TVIF_PARAM, "x1", 0, 0, 0, 0, 3, x, TVI_LAST);
  HTREEITEM x2 = tree->InsertItem(TVIF_TEXT | TVIF_PARAM, "x2", 0, 0, 0, 0, 4, x, TVI_LAST);
  tree->InsertItem(TVIF_TEXT | TVIF_PARAM, "y", 0, 0, 0, 0, 5, root, TVI_LAST);
  tree->SelectItem(x2);
  parent.notes.clear();

  ASSERT_TRUE(tree->DeleteItem(x));
  // The caret went with the subtree: it is on a live item, reported as such.
  HTREEITEM caret = tree->GetSelectedItem();
  ASSERT_NE(caret, nullptr);
  EXPECT_TRUE(tree->GetItemText(caret) == "root" || tree->GetItemText(caret) == "y");
  EXPECT_EQ(parent.notes.back().code, TVN_SELCHANGED);
  EXPECT_EQ(parent.notes.back().to, caret);

  tree->DestroyWindow();  // the rest goes while the parent listens
  std::map<LPARAM, int> deleted;
  for (const auto& n : parent.notes)
    if (n.code == TVN_DELETEITEM) ++deleted[n.data];
  EXPECT_EQ(deleted, (std::map<LPARAM, int>{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}));
}

TEST_F(TreeCtrlTest, ALabelEditIsAskedForAndItsEndSaysTheTextOrACancel) {
  struct Editor : CWnd {
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
      auto* info = reinterpret_cast<NMTVDISPINFO*>(lParam);
      if (info->hdr.code == TVN_BEGINLABELEDIT) *result = refuse;
      if (info->hdr.code == TVN_ENDLABELEDIT) {
        ends.push_back(info->item.pszText ? *info->item.pszText : QString("<cancel>"));
        *result = TRUE;
      }
      return TRUE;
    }
    BOOL refuse = FALSE;
    std::vector<QString> ends;
  } editor;
  editor.resize(200, 200);
  auto* labels = new CTreeCtrl;
  ASSERT_TRUE(labels->Create(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, QRect(0, 0, 200, 200), &editor, 3));
  editor.show();
  QApplication::setActiveWindow(&editor);
  HTREEITEM item = labels->InsertItem("old");

  editor.refuse = TRUE;
  EXPECT_EQ(labels->EditLabel(item), nullptr);
  editor.refuse = FALSE;
  QLineEdit* edit = labels->EditLabel(item);
  ASSERT_NE(edit, nullptr);
  edit->setText("new");
  QTest::keyClick(edit, Qt::Key_Return);
  QCoreApplication::processEvents();  // the item view commits after the key
  EXPECT_EQ(labels->GetItemText(item), "new");
  edit = labels->EditLabel(item);
  ASSERT_NE(edit, nullptr);
  edit->setText("dropped");
  QTest::keyClick(edit, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(labels->GetItemText(item), "new");
  EXPECT_EQ(editor.ends, (std::vector<QString>{"new", "<cancel>"}));
}

TEST(ListCtrl, ItemsReportTheirDeletionAndDoubleClicks) {
  struct Owner : CWnd {
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT*) override {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
      if (nm->hdr.code == LVN_DELETEITEM) deleted.push_back(nm->lParam);
      if (nm->hdr.code == NM_DBLCLK) clicked.push_back(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
      return TRUE;
    }
    std::vector<LPARAM> deleted;
    std::vector<int> clicked;
  } owner;
  owner.resize(300, 200);
  auto* list = new CListCtrl;
  ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, QRect(0, 0, 300, 200), &owner, 2));
  list->InsertColumn(0, "Nom", LVCFMT_LEFT, 100);
  for (int i = 0; i < 3; ++i) list->InsertItem(LVIF_TEXT | LVIF_PARAM, i, QString("entry %1").arg(i), 0, 0, -1, 10 + i);
  owner.show();
  QRect second;
  ASSERT_TRUE(list->GetItemRect(1, &second, LVIR_LABEL));
  EXPECT_EQ(list->HitTest(second.center()), 1);
  QTest::mouseDClick(list->GetItemView()->viewport(), Qt::LeftButton, {}, second.center());
  QTest::mouseDClick(list->GetItemView()->viewport(), Qt::LeftButton, {}, QPoint(5, 190));
  EXPECT_EQ(owner.clicked, (std::vector<int>{1, -1}));
  list->DeleteItem(1);
  owner.DestroyWindow();
  EXPECT_EQ(owner.deleted, (std::vector<LPARAM>{11, 10, 12}));
}

namespace {

// A scrolling view that records its scroll codes and draws a mark.
class MarkView : public CScrollView {
 public:
  void OnVScroll(UINT code, UINT pos, QScrollBar* bar) override {
    codes.push_back(code);
    CScrollView::OnVScroll(code, pos, bar);
  }
  void OnDraw(CDC* dc) override { dc->GetPainter()->fillRect(QRect(0, 905, 10, 10), Qt::red); }
  std::vector<UINT> codes;
};

}  // namespace

TEST(ScrollView, BarActionsArriveAsScrollCodesAndMoveByLineAndPage) {
  MarkView view;
  view.resize(100, 100);
  view.SetScrollSizes(MM_TEXT, QSize(50, 1000));
  int mode = 0;
  QSize total, page, line;
  view.GetDeviceScrollSizes(mode, total, page, line);
  EXPECT_EQ(page, QSize(5, 100));
  EXPECT_EQ(line, QSize(0, 10));
  EXPECT_TRUE(view.HasScrollBar(SB_VERT));
  EXPECT_FALSE(view.HasScrollBar(SB_HORZ));

  QScrollBar* bar = view.GetScrollBarCtrl(SB_VERT);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view.GetScrollPosition(), QPoint(0, 10));
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(view.GetScrollPosition(), QPoint(0, 110));
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(view.GetScrollPosition(), QPoint(0, 900));  // the total less the client height
  EXPECT_EQ(view.codes, (std::vector<UINT>{SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM}));

  // OnDraw draws in document coordinates: the mark at 905 shows at 5.
  QRect client;
  view.GetClientRect(&client);
  const QImage shot = view.grab(client).toImage();
  EXPECT_EQ(shot.pixelColor(5, 7), QColor(Qt::red));
  EXPECT_FALSE(view.OnScrollBy(QSize(0, 50)));  // at the end already
}

namespace {

int g_toolFlag = 1;
std::vector<std::string> g_calls;

class PaneDoc : public CDocument {
 public:
  DECLARE_MESSAGE_MAP()
  void OnDocCommand() { g_calls.push_back("doc"); }
};
const CMessageMap& PaneDoc::messageMap() {
  static const CMessageMap map = MessageMapOf<PaneDoc>(CDocument::messageMap()).command(22201, &PaneDoc::OnDocCommand);
  return map;
}

}  // namespace

class PaneView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE PaneView() = default;
  DECLARE_MESSAGE_MAP()
  void OnViewCommand() { g_calls.push_back(objectName().toStdString()); }
  void OnUpdateViewCommand(CCmdUI* ui) { ui->Enable(g_toolFlag); }
};
const CMessageMap& PaneView::messageMap() {
  static const CMessageMap map = MessageMapOf<PaneView>(CView::messageMap())
                                     .command(22200, &PaneView::OnViewCommand)
                                     .updateUI(22200, &PaneView::OnUpdateViewCommand);
  return map;
}

TEST(PaneCommands, TheActivePaneItsDocumentOrNobodyTakesACommandAndTheToolButtonFollows) {
  tallix::test::TestEnvironment env(tallix::test::TestEnvironment::WithLanguageLibrary);
  g_calls.clear();
  PaneDoc doc;
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(128));
  auto* splitter = new CSplitterWnd;
  ASSERT_TRUE(splitter->CreateStatic(frame, 1, 2));
  CCreateContext context{RUNTIME_CLASS(PaneView), &doc};
  ASSERT_TRUE(splitter->CreateView(0, 0, RUNTIME_CLASS(PaneView), QSize(120, 100), &context));
  ASSERT_TRUE(splitter->CreateView(0, 1, RUNTIME_CLASS(PaneView), QSize(0, 0), &context));
  splitter->GetPane(0, 0)->setObjectName("left");
  splitter->GetPane(0, 1)->setObjectName("right");
  auto* bar = new CToolBar;
  ASSERT_TRUE(bar->Create(frame));
  ASSERT_TRUE(bar->LoadToolBar(128));
  frame->RecalcLayout();
  frame->resize(500, 300);
  frame->show();
  QApplication::setActiveWindow(frame);
  splitter->RecalcLayout();
  splitter->SetActivePane(0, 0);

  int row = -1, col = -1;
  EXPECT_EQ(splitter->GetActivePane(&row, &col), splitter->GetPane(0, 0));
  EXPECT_TRUE(frame->OnCmdMsg(22200, CN_COMMAND, nullptr, nullptr));
  EXPECT_TRUE(frame->OnCmdMsg(22201, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(frame->OnCmdMsg(22206, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"left", "doc"}));

  // A click makes the other pane the active one.
  QWidget* right = splitter->GetPane(0, 1);
  QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(frame->GetActiveView(), right);
  frame->OnCmdMsg(22200, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(g_calls.back(), "right");

  QAction* viewButton = bar->GetButton(bar->CommandToIndex(22200));
  QAction* nobodys = bar->GetButton(bar->CommandToIndex(22206));
  frame->OnIdleUpdateCmdUI();
  EXPECT_TRUE(viewButton->isEnabled());
  EXPECT_FALSE(nobodys->isEnabled());
  g_toolFlag = 0;
  frame->OnIdleUpdateCmdUI();
  EXPECT_FALSE(viewButton->isEnabled());
  g_toolFlag = 1;

  // The active pane replaced by another view.
  splitter->DeleteView(0, 1);
  EXPECT_EQ(frame->GetActiveView(), nullptr);
  EXPECT_EQ(splitter->GetPane(0, 1), nullptr);
  ASSERT_TRUE(splitter->CreateView(0, 1, RUNTIME_CLASS(PaneView), QSize(0, 0), &context));
  EXPECT_TRUE(splitter->GetPane(0, 1)->isVisible());

  frame->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  POSITION pos = doc.GetFirstViewPosition();
  EXPECT_EQ(pos, nullptr);  // the panes left the document with the frame
}

#include "ControlsTest.moc"
