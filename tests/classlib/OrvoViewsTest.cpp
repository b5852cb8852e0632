// The class library's view bases: drag feedback and automatic scrolling of
// the tree view, tree creation, lists that delete themselves, list formats,
// the splitter's wheel and keyboard split, and a test frame with them all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

#include "classlib/ListHelpers.h"
#include "classlib/OrvoBases.h"
#include "classlib/OrvoListCtrl.h"
#include "classlib/OrvoTreeView.h"
#include "platform/ClipboardFormats.h"
#include "platform/DC.h"
#include "platform/FrameWnd.h"
#include "platform/ImageList.h"
#include "platform/LanguageLibrary.h"
#include "platform/ScrollView.h"
#include "tests/support/FakeMainFrameServices.h"
#include "tests/support/TestEnvironment.h"

// A tree whose drops CanDropAt accepts while `accept` is set.
class DropTree : public COrvoTreeViewDragDrop {
  Q_OBJECT

 public:
  Q_INVOKABLE DropTree() = default;
  BOOL CanDropAt(COleDataObject*, DWORD, QPoint) override { return accept; }
  bool accept = false;
};

// A tree whose set-up fails.
class RefusingTree : public COrvoTreeView {
  Q_OBJECT

 public:
  Q_INVOKABLE RefusingTree() = default;
  BOOL OnCreateTree() override { return FALSE; }
};

namespace {

// What a shell offers for a dragged shortcut file.
std::unique_ptr<QMimeData> shortcutData() {
  QByteArray descriptor(4 + 332, '\0');
  descriptor[0] = 1;
  const QByteArray contents = "[InternetShortcut]\r\nURL=http://127.0.0.1/a.zip\r\n";
  descriptor[4 + 72] = char(contents.size());
  auto mime = std::make_unique<QMimeData>();
  mime->setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileGroupDescriptor"))),
                descriptor);
  mime->setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileContents"))), contents);
  return mime;
}

class TreeDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = new DropTree;
    ASSERT_TRUE(tree->Create(WS_CHILD | WS_VISIBLE, &window, 1));
    window.resize(160, 120);
    tree->resize(160, 120);
    for (int i = 0; i < 30; ++i) items.push_back(tree->GetTreeCtrl().InsertItem(QString("item %1").arg(i)));
    window.show();
    QApplication::setActiveWindow(&window);
  }
  void TearDown() override {
    window.DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QWidget* viewport() const { return tree->GetTreeCtrl().GetTreeWidget()->viewport(); }
  QPoint at(int item) const {
    QRect r;
    tree->GetTreeCtrl().GetItemRect(items[size_t(item)], &r, TRUE);
    return r.center();
  }
  // The action a drag enter and a move to `point` end with (Ignore when
  // refused).
  Qt::DropAction dragTo(const QMimeData* data, QPoint point, Qt::KeyboardModifiers keys = {}) {
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point, all, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(viewport(), &enter);
    QDragMoveEvent move(point, all, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(viewport(), &move);
    return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
  }
  void leave() {
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(viewport(), &event);
  }
  HTREEITEM highlighted() const { return tree->GetTreeCtrl().GetDropHilightItem(); }

  tallix::test::FakeMainFrameServices frame;
  CWnd window;
  DropTree* tree = nullptr;
  std::vector<HTREEITEM> items;
};

}  // namespace

TEST_F(TreeDragTest, TheEffectAndHighlightFollowTheDataAndTheKeys) {
  const auto shortcut = shortcutData();
  QMimeData text;
  text.setText("plain");

  EXPECT_EQ(dragTo(shortcut.get(), at(2)), Qt::CopyAction);
  EXPECT_EQ(highlighted(), nullptr);
  leave();
  EXPECT_EQ(dragTo(&text, at(2)), Qt::IgnoreAction);
  leave();

  tree->accept = true;
  EXPECT_EQ(dragTo(&text, at(2)), Qt::MoveAction);
  EXPECT_EQ(highlighted(), items[2]);
  EXPECT_NE(tree->scrollTimer, 0u);
  EXPECT_NE(tree->GetTreeCtrl().GetSelectedItem(), items[2]);  // the highlight is not the selection
  EXPECT_EQ(dragTo(&text, at(3), Qt::ControlModifier), Qt::CopyAction);
  EXPECT_EQ(highlighted(), items[3]);
  leave();
  EXPECT_EQ(highlighted(), nullptr);
  EXPECT_EQ(tree->scrollTimer, 0u);

  dragTo(&text, at(1));
  QDropEvent drop(QPointF(at(1)), Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, {});
  QCoreApplication::sendEvent(viewport(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(highlighted(), nullptr);
  EXPECT_EQ(tree->scrollTimer, 0u);
}

TEST_F(TreeDragTest, HoveringInTheTopBandScrollsUpOneItemPerTick) {
  CTreeCtrl& ctrl = tree->GetTreeCtrl();
  tree->accept = true;
  QMimeData text;
  text.setText("plain");
  ctrl.SelectSetFirstVisible(items[10]);
  ASSERT_EQ(ctrl.GetFirstVisibleItem(), items[10]);
  dragTo(&text, QPoint(20, 2));
  EXPECT_EQ(highlighted(), items[10]);
  ASSERT_TRUE(QTest::qWaitFor([&] { return highlighted() != items[10]; }, 1000));
  EXPECT_EQ(highlighted(), items[9]);
  EXPECT_EQ(ctrl.GetFirstVisibleItem(), items[9]);
  ASSERT_TRUE(QTest::qWaitFor([&] { return highlighted() != items[9]; }, 1000));
  EXPECT_EQ(highlighted(), items[8]);

  // At the first item there is nothing above.
  ctrl.SelectSetFirstVisible(items[0]);
  dragTo(&text, QPoint(20, 2));
  QTest::qWait(600);
  EXPECT_EQ(highlighted(), items[0]);
  EXPECT_EQ(ctrl.GetFirstVisibleItem(), items[0]);
  leave();
}

TEST(OrvoTreeView, ATreeThatRefusesItsSetUpFailsItsCreationAndLeavesThePaneFree) {
  CWnd parent;
  COrvoSplitterWnd splitter;
  ASSERT_TRUE(splitter.CreateStatic(&parent, 1, 2));
  EXPECT_FALSE(splitter.CreateView(0, 0, RUNTIME_CLASS(RefusingTree), QSize(100, 100), nullptr));
  EXPECT_EQ(splitter.GetPane(0, 0), nullptr);
  RegisterOrvoWindowClasses();
  EXPECT_TRUE(splitter.CreateView(0, 0, FindRuntimeClass("COrvoTreeView"), QSize(100, 100), nullptr));
  EXPECT_TRUE(qobject_cast<COrvoTreeView*>(splitter.GetPane(0, 0)));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

int g_listsDeleted = 0;

class CountingList : public COrvoListCtrl {
 public:
  explicit CountingList(bool member = false) {
    if (member) autoDelete = FALSE;
  }
  ~CountingList() override { ++g_listsDeleted; }
};

// An owner with its list as a member.
struct ListOwner {
  CWnd window;
  CountingList list{true};
};

}  // namespace

TEST(OrvoListCtrl, AListEndsOnceHoweverItEndsAndAMemberListStays) {
  g_listsDeleted = 0;
  CWnd parent;
  auto* ended = new CountingList;
  ASSERT_TRUE(ended->Create(WS_CHILD | WS_VISIBLE, QRect(), &parent, 2));
  ended->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(g_listsDeleted, 1);

  auto* deleted = new CountingList;
  ASSERT_TRUE(deleted->Create(WS_CHILD | WS_VISIBLE, QRect(), &parent, 2));
  delete deleted;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(g_listsDeleted, 2);

  // Ended with its parent window.
  auto* withParent = new CountingList;
  ASSERT_TRUE(withParent->Create(WS_CHILD | WS_VISIBLE, QRect(), &parent, 2));
  parent.DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(g_listsDeleted, 3);

  {
    ListOwner owner;
    ASSERT_TRUE(owner.list.Create(WS_CHILD | WS_VISIBLE, QRect(), &owner.window, 2));
    owner.list.InsertItem(0, "kept");
    owner.window.DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(g_listsDeleted, 3);
  }
  EXPECT_EQ(g_listsDeleted, 4);  // by its owner only
}

TEST(OrvoListCtrl, FormatsShareItemsSelectionAndColumnWidths) {
  COrvoListCtrl list;
  list.autoDelete = FALSE;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE, QRect(0, 0, 300, 200),
                          nullptr, 2));
  for (int i = 0; i < 3; ++i) list.InsertItem(i, QString("entry %1").arg(i));
  EXPECT_EQ(list.GetColumnCount(), 0);
  EXPECT_EQ(list.GetHeaderCtrl(), nullptr);

  list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
  list.InsertColumn(0, "Nom", LVCFMT_LEFT, 120);
  list.InsertColumn(1, "Détails", LVCFMT_LEFT, 80);
  list.SetItemText(1, 1, "detail");
  EXPECT_EQ(list.GetColumnCount(), 2);
  list.SetItemSelected(1, TRUE);
  list.SetItemFocused(1, TRUE);

  list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
  EXPECT_EQ(list.GetItemView(), static_cast<QAbstractItemView*>(list.GetIconView()));
  EXPECT_EQ(list.GetColumnCount(), 2);  // the header, once made, stays
  EXPECT_EQ(list.GetItemCount(), 3);
  EXPECT_EQ(GetFirstSelectedItem(&list), 1);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
  list.ModifyStyle(LVS_TYPEMASK, LVS_SMALLICON);
  list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(list.GetColumnWidth(0), 120);
  EXPECT_EQ(list.GetColumnWidth(1), 80);
  EXPECT_EQ(list.GetItemText(1, 1), "detail");

  // One selected item at most.
  SetListItemState(&list, 2, LVIS_SELECTED);
  EXPECT_EQ(GetFirstSelectedItem(&list), 2);
  EXPECT_EQ(list.GetSelectedCount(), 1u);

  // Columns made by the list helpers on the report view are the list's.
  COrvoListCtrl commands;
  commands.autoDelete = FALSE;
  ASSERT_TRUE(commands.Create(WS_CHILD | LVS_REPORT, QRect(0, 0, 300, 200), nullptr, 3));
  const int widths[] = {10, 10, 80};
  const ListColumnSetup setup{3, nullptr, widths, "Edit Cmd List", "Column Width 1"};
  ASSERT_TRUE(InitListColumns(commands.GetReportView(), &setup));
  EXPECT_EQ(commands.GetColumnCount(), 3);
  commands.InsertItem(0, "Lbl");
  EXPECT_TRUE(commands.SetItemText(0, 2, "Label"));
  EXPECT_EQ(commands.GetItemText(0, 2), "Label");
}

TEST(OrvoListCtrl, TheEmptyAreaIsFilledAroundTheItems) {
  COrvoListCtrl list;
  list.autoDelete = FALSE;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, QRect(0, 0, 200, 200), nullptr, 2));
  list.InsertColumn(0, "Nom", LVCFMT_LEFT, 100);
  for (int i = 0; i < 3; ++i) list.InsertItem(i, QString("entry %1").arg(i));
  list.show();
  QRect client, first, last;
  list.GetClientRect(&client);
  list.GetItemRect(0, &first, LVIR_BOUNDS);
  list.GetItemRect(2, &last, LVIR_BOUNDS);
  QImage image(client.size(), QImage::Format_RGB32);
  image.fill(Qt::red);
  {
    QPainter painter(&image);
    CDC dc(&painter);
    EXPECT_TRUE(EraseListEmptyArea(&list, &dc));
  }
  const QColor window = list.GetItemView()->palette().color(QPalette::Base);
  EXPECT_EQ(image.pixelColor(10, first.center().y()), QColor(Qt::red));        // under an item
  EXPECT_EQ(image.pixelColor(10, last.bottom() + 5), window);                  // below the items
  EXPECT_EQ(image.pixelColor(first.right() + 5, first.center().y()), window);  // right of them
  EXPECT_EQ(image.pixelColor(0, first.center().y()), window);                  // the two pixels at the left
}

namespace {

// A scrolling pane of 2000 pixels.
class TallView : public CScrollView {
  Q_OBJECT

 public:
  Q_INVOKABLE TallView() = default;
  int OnCreate(LPCREATESTRUCT cs) override {
    SetScrollSizes(MM_TEXT, QSize(100, 2000));
    return CScrollView::OnCreate(cs);
  }
};

}  // namespace

TEST(OrvoSplitterWnd, OneWheelTurnScrollsEveryScrollingPaneAndAKeyboardSplitCanBeUndone) {
  CWnd parent;
  parent.resize(480, 300);
  auto* splitter = new COrvoSplitterWnd;
  ASSERT_TRUE(splitter->CreateStatic(&parent, 1, 3));
  splitter->resize(480, 300);
  ASSERT_TRUE(splitter->CreateView(0, 0, RUNTIME_CLASS(COrvoTreeView), QSize(120, 300), nullptr));
  ASSERT_TRUE(splitter->CreateView(0, 1, RUNTIME_CLASS(TallView), QSize(150, 300), nullptr));
  ASSERT_TRUE(splitter->CreateView(0, 2, RUNTIME_CLASS(TallView), QSize(0, 0), nullptr));
  parent.show();
  splitter->RecalcLayout();
  auto* tree = qobject_cast<COrvoTreeView*>(splitter->GetPane(0, 0));
  for (int i = 0; i < 60; ++i) tree->GetTreeCtrl().InsertItem(QString("entry %1").arg(i));
  auto* left = qobject_cast<CScrollView*>(splitter->GetPane(0, 1));
  auto* right = qobject_cast<CScrollView*>(splitter->GetPane(0, 2));
  QScrollBar* treeBar = tree->GetTreeCtrl().GetTreeWidget()->verticalScrollBar();

  QWheelEvent wheel(QPointF(10, 10), QPointF(left->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(left, &wheel);
  EXPECT_GT(left->GetScrollPosition().y(), 0);
  EXPECT_EQ(left->GetScrollPosition(), right->GetScrollPosition());
  EXPECT_EQ(treeBar->value(), 0);

  int before = 0, min = 0;
  splitter->GetColumnInfo(0, before, min);
  EXPECT_EQ(before, 120);
  ASSERT_TRUE(splitter->DoKeyboardSplit());
  QTest::keyClick(splitter, Qt::Key_Right);
  QTest::keyClick(splitter, Qt::Key_Right);
  int moved = 0;
  splitter->GetColumnInfo(0, moved, min);
  EXPECT_GT(moved, before);
  QTest::keyClick(splitter, Qt::Key_Escape);
  int after = 0;
  splitter->GetColumnInfo(0, after, min);
  EXPECT_EQ(after, before);
  EXPECT_FALSE(splitter->IsTracking());

  ASSERT_TRUE(splitter->DoKeyboardSplit());
  QTest::keyClick(splitter, Qt::Key_Left);
  QTest::keyClick(splitter, Qt::Key_Return);
  splitter->GetColumnInfo(0, after, min);
  EXPECT_LT(after, before);
  parent.DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

// The application's pictures: folders 0-3, items 4 and 5.
void fillImages(CImageList& list, int size) {
  list.Create(size, size, ILC_COLOR32 | ILC_MASK, 6, 10);
  for (unsigned id : {7370u, 7370u, 7365u, 7366u, 7367u, 7368u}) list.Add(CLanguageLibrary::LoadIcon(id));
}

// A drawing larger than its pane.
class GridView : public CScrollView {
  Q_OBJECT

 public:
  Q_INVOKABLE GridView() = default;
  int OnCreate(LPCREATESTRUCT cs) override {
    SetScrollSizes(MM_TEXT, QSize(900, 1200));
    return CScrollView::OnCreate(cs);
  }
  void OnDraw(CDC* dc) override {
    QPainter* p = dc->GetPainter();
    p->fillRect(QRect(0, 0, 900, 1200), Qt::white);
    for (int x = 0; x <= 900; x += 50) p->drawLine(x, 0, x, 1200);
    for (int y = 0; y <= 1200; y += 50) {
      p->drawLine(0, y, 900, y);
      dc->TextOut(4, y + 4, QString("ligne %1").arg(y / 50));
    }
  }
};

class PaneFrame : public CFrameWnd {
 public:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* context) override {
    splitter = new COrvoSplitterWnd;
    return splitter->CreateStatic(this, 1, 2) &&
           splitter->CreateView(0, 0, RUNTIME_CLASS(DropTree), QSize(220, 0), context) &&
           splitter->CreateView(0, 1, RUNTIME_CLASS(GridView), QSize(0, 0), context);
  }
  COrvoSplitterWnd* splitter = nullptr;
};

// Keeps the windows up for a look when TALLIX_SHOW_MS is set.
void lingerForALook() {
  const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS");
  if (ms > 0) QTest::qWait(ms);
}

}  // namespace

TEST(PaneFrame, ATreeBesideAScrollingViewWithDropFeedbackAndListsInThreeFormats) {
  tallix::test::TestEnvironment env(tallix::test::TestEnvironment::WithLanguageLibrary);
  tallix::test::FakeMainFrameServices services;
  CImageList small, large;
  fillImages(small, 16);
  fillImages(large, 32);
  ASSERT_EQ(small.GetImageCount(), 6);

  auto* frame = new PaneFrame;
  ASSERT_TRUE(frame->LoadFrame(128));
  auto* bar = new COrvoToolBar;
  bar->Create(frame);
  bar->LoadToolBar(128);
  auto* status = new COrvoStatusBar;
  status->Create(frame);
  const UINT panes[] = {ID_SEPARATOR};
  status->SetIndicators(panes, 1);
  frame->RecalcLayout();
  frame->setGeometry(10, 10, 640, 420);
  frame->show();
  frame->splitter->RecalcLayout();

  auto* tree = qobject_cast<DropTree*>(frame->splitter->GetPane(0, 0));
  ASSERT_TRUE(tree);
  CTreeCtrl& ctrl = tree->GetTreeCtrl();
  ctrl.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
  ctrl.SetImageList(&small, TVSIL_NORMAL);
  HTREEITEM root = ctrl.InsertItem("CFX-9850G", 0, 1);
  for (int f = 0; f < 4; ++f) {
    HTREEITEM folder = ctrl.InsertItem(QString("Dossier %1").arg(f + 1), 2, 3, root);
    for (int i = 0; i < 6; ++i) ctrl.InsertItem(QString("Programme %1").arg(f * 6 + i + 1), 4, 5, folder);
    ctrl.Expand(folder, TVE_EXPAND);
  }
  ctrl.Expand(root, TVE_EXPAND);
  ctrl.SelectItem(ctrl.GetChildItem(root));
  tree->accept = true;

  // A drag over the tree: its highlight apart from the selection.
  QMimeData data;
  data.setText("item");
  HTREEITEM target = ctrl.GetNextVisibleItem(ctrl.GetNextVisibleItem(ctrl.GetChildItem(root)));
  QRect r;
  ctrl.GetItemRect(target, &r, TRUE);
  QWidget* viewport = ctrl.GetTreeWidget()->viewport();
  QDragEnterEvent enter(r.center(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(viewport, &enter);
  QDragMoveEvent move(r.center(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(viewport, &move);
  EXPECT_EQ(ctrl.GetDropHilightItem(), target);
  auto* grid = qobject_cast<CScrollView*>(frame->splitter->GetPane(0, 1));
  ASSERT_TRUE(grid);
  grid->ScrollToPosition(QPoint(0, 120));
  EXPECT_TRUE(grid->HasScrollBar(SB_VERT));

  // Lists in the three formats.
  CWnd lists;
  lists.setGeometry(10, 460, 960, 320);
  const DWORD formats[] = {LVS_ICON, LVS_SMALLICON, LVS_REPORT};
  std::vector<COrvoListCtrl*> made;
  for (int i = 0; i < 3; ++i) {
    auto* list = new COrvoListCtrl;
    ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_AUTOARRANGE | LVS_SINGLESEL | formats[i],
                             QRect(10 + i * 315, 10, 305, 300), &lists, UINT(10 + i)));
    list->SetImageList(&large, LVSIL_NORMAL);
    list->SetImageList(&small, LVSIL_SMALL);
    list->InsertColumn(0, "Nom", LVCFMT_LEFT, 120);
    list->InsertColumn(1, "Détails", LVCFMT_LEFT, 160);
    for (int k = 0; k < 8; ++k) {
      list->InsertItem(k, k < 2 ? QString("Dossier %1").arg(k + 1) : QString("Programme %1").arg(k - 1), k < 2 ? 2 : 4);
      list->SetItemText(k, 1, k < 2 ? QString() : QString("%1 octets").arg(100 * k));
    }
    list->SetItemSelected(3, TRUE);
    made.push_back(list);
  }
  lists.show();
  EXPECT_EQ(made[0]->GetItemView(), static_cast<QAbstractItemView*>(made[0]->GetIconView()));
  EXPECT_EQ(made[2]->GetItemView(), static_cast<QAbstractItemView*>(made[2]->GetReportView()));
  lingerForALook();

  QDragLeaveEvent leave;
  QCoreApplication::sendEvent(viewport, &leave);
  EXPECT_EQ(ctrl.GetDropHilightItem(), nullptr);
  lists.DestroyWindow();
  frame->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

#include "OrvoViewsTest.moc"
