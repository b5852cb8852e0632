// The command tree and command list controls: the tree text through the
// clipboard, moves, deletion, label edits and their keys, drags of
// commands, and the stored tree and lists read into the controls.
#include "platform/CalcShownText.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/CmdUI.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/CommandControlFiles.h"
#include "tokens/TokenClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

using tallix::test::TestEnvironment;

// A window around the controls that, like a frame's accelerators or a
// dialog's keys, takes every key offered to it and counts the posted drag
// notices.
class Host : public CWnd {
 public:
  int keysTaken = 0;
  int dragged = 0;

 protected:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN) return FALSE;
    ++keysTaken;
    return TRUE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMsgCommandDragged) ++dragged;
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// Form 550 with its command tree; the tree's "Copier" reaches the dialog.
class TreeDialog : public CDialog {
 public:
  TreeDialog() : CDialog(550) {}
  DECLARE_MESSAGE_MAP()
  CQXCmdTreeCtrl* tree = nullptr;
  void OnTreeCopy() { EndDialog(IDOK); }

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    tree = CQXCmdTreeCtrl::Init(1026, this);
    if (tree) {
      tree->SetCommandNodes({{1, "Maths", 0, true}});
      tree->SelectItem(tree->GetChildItem(tree->GetRootItem()));
    }
    return TRUE;
  }
};

const CMessageMap& TreeDialog::messageMap() {
  static const CMessageMap map = MessageMapOf<TreeDialog>(CDialog::messageMap()).command(23004, &TreeDialog::OnTreeCopy);
  return map;
}

// Opens the dialog from a menu command.
class Opener : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  int result = 0;
  std::function<void(TreeDialog&)> during;
  void OnOpen() {
    TreeDialog dialog;
    QTimer::singleShot(0, &dialog, [&] { during(dialog); });
    // Never left waiting, whatever goes wrong.
    QTimer::singleShot(20000, &dialog, [&] { dialog.EndDialog(IDCANCEL); });
    result = dialog.DoModal();
  }
};

const CMessageMap& Opener::messageMap() {
  static const CMessageMap map = MessageMapOf<Opener>(CWnd::messageMap()).command(4242, &Opener::OnOpen);
  return map;
}

class CommandControls : public ::testing::Test {
 protected:
  void SetUp() override {
    host.resize(400, 400);
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, QRect(0, 0, 400, 200), &host, 1026));
    ASSERT_TRUE(tree.LoadImages());
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    // root: Maths { Sub { sin }, cos }, "a\"b", and the '"' command
    CQXCommandTreeNodes nodes{{1, "Maths", 0, true},  {2, "Sub", 0, true}, {3, "sin", 0x970000, false},
                              {2, "cos", 0xA70000, false}, {1, "a\"b", 0, true}, {2, "\"", 0x220000, false}};
    tree.SetCommandNodes(nodes, &items);
    original = tree.GetCommandNodes();
  }
  HTREEITEM select(int index) {
    tree.SelectItem(items[std::size_t(index)]);
    return items[std::size_t(index)];
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  Host host;
  CQXCmdTreeCtrl tree;
  std::vector<HTREEITEM> items;
  CQXCommandTreeNodes original;
};

TEST_F(CommandControls, TreeTextCopiesAndPastesQuotesWhole) {
  select(4);
  ASSERT_TRUE(tree.Copy(TRUE));
  COleDataObject data;
  data.AttachClipboard();
  EXPECT_EQ(data.GetGlobalData(GetTreeCmdFormat()), QByteArray("0;1;0;\"a\"\"b\"\r\n1;2;220000;\"\"\"\"\r\n", 32));
  EXPECT_TRUE(data.IsDataAvailable(CF_TEXT));

  // Pasted onto a command it goes beside it, onto a folder inside.
  select(2);
  ASSERT_TRUE(tree.Paste());
  CQXCommandTreeNodes nodes = tree.GetCommandNodes();
  ASSERT_EQ(nodes.size(), original.size() + 2);
  EXPECT_EQ(nodes[3], (CQXCommandTreeNode{3, "a\"b", 0, true}));
  EXPECT_EQ(nodes[4], (CQXCommandTreeNode{4, "\"", 0x220000, false}));
  EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), QStringLiteral("a\"b"));

  // A line of an older version, unquoted inside, still gives the '"' command.
  COleDataSource old;
  old.CacheGlobalData(GetTreeCmdFormat(), QByteArray("1;40;220000;\"\"\"\r\n", 18));
  old.SetClipboard();
  tree.SelectItem(tree.GetRootItem());
  ASSERT_TRUE(tree.Paste());
  nodes = tree.GetCommandNodes();
  EXPECT_EQ(nodes.back(), (CQXCommandTreeNode{1, "\"", 0x220000, false}));
}

TEST_F(CommandControls, MovesTakeTheSubtreeAndADeletedRootComesBackEmpty) {
  select(1);
  EXPECT_FALSE(tree.Move(0));  // the first child does not move up
  ASSERT_TRUE(tree.Move(1));
  const CQXCommandTreeNodes moved = tree.GetCommandNodes();
  EXPECT_EQ(moved[1], original[3]);
  EXPECT_EQ(moved[2], original[1]);
  EXPECT_EQ(moved[3], original[2]);
  EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), QStringLiteral("Sub"));

  tree.SelectItem(tree.GetRootItem());
  ASSERT_TRUE(tree.DeleteItem());
  ASSERT_TRUE(tree.GetRootItem());
  EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), QStringLiteral("Commandes calculatrice graphique"));
  EXPECT_TRUE(tree.GetCommandNodes().empty());
}

TEST_F(CommandControls, LabelEditsKeepTheirKeysAndNeverLeaveALabelEmpty) {
  tree.SelectItem(tree.GetRootItem());
  EXPECT_EQ(tree.EditLabel(), nullptr);
  select(2);
  EXPECT_EQ(tree.EditLabel(), nullptr);

  select(0);
  QLineEdit* edit = tree.EditLabel();
  ASSERT_NE(edit, nullptr);
  QTRY_VERIFY(edit->validator());
  edit->setCursorPosition(0);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), QStringLiteral("aths"));
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("aths"));
  // Escape cancels: the label stays.
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(host.keysTaken, 0);
  QTRY_VERIFY(!tree.GetEditControl());
  EXPECT_EQ(tree.GetItemText(items[0]), QStringLiteral("Maths"));

  edit = tree.EditLabel();
  ASSERT_NE(edit, nullptr);
  edit->clear();
  QTest::keyClick(edit, Qt::Key_Return);
  QTRY_VERIFY(!tree.GetEditControl());
  EXPECT_EQ(tree.GetItemText(items[0]), QStringLiteral("sans nom"));
  EXPECT_EQ(host.keysTaken, 0);

  // The root never collapses.
  tree.GetTreeWidget()->collapseItem(tree.GetRootItem());
  EXPECT_TRUE(tree.GetItemState(tree.GetRootItem(), TVIS_EXPANDED) & TVIS_EXPANDED);
}

// A label edited outside the calculator fonts: what is typed or pasted
// becomes the codes that show as it, and copies back as it shows; the codes
// the user did not edit stay, also those that show alike.
TEST_F(CommandControls, ALabelTypedInAnotherFontTakesTheCodesThatShowAsIt) {
  ASSERT_FALSE(IsCalculatorFont(tree.GetTreeWidget()->font()));
  select(0);
  QLineEdit* edit = tree.EditLabel();
  ASSERT_NE(edit, nullptr);
  QTRY_VERIFY(edit->validator());
  // The dialog takes the plain keys; typed text comes as input does.
  edit->selectAll();
  for (const QString& typed : {QStringLiteral("rθ"), QStringLiteral("Î")}) {
    QInputMethodEvent input;
    input.setCommitString(typed);
    QApplication::sendEvent(edit, &input);
  }
  EXPECT_EQ(edit->text(), QStringLiteral("rθ"));
  QGuiApplication::clipboard()->setText(QStringLiteral("√"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("rθ√"));
  QTest::keyClick(edit, Qt::Key_Return);
  QTRY_VERIFY(!tree.GetEditControl());
  EXPECT_EQ(tree.GetCommandNodes()[0].label, "r\xCE\x86");
  EXPECT_EQ(tree.GetItemText(items[0]), QStringLiteral("rθ√"));

  tree.SetCommandNodes({{1, "P\x88\x89+", 0, true}}, &items);
  select(0);
  edit = tree.EditLabel();
  ASSERT_NE(edit, nullptr);
  QTRY_VERIFY(edit->validator());
  edit->end(false);
  QInputMethodEvent input;
  input.setCommitString(QStringLiteral("1"));
  QApplication::sendEvent(edit, &input);
  QTest::keyClick(edit, Qt::Key_Return);
  QTRY_VERIFY(!tree.GetEditControl());
  EXPECT_EQ(tree.GetCommandNodes()[0].label, "P\x88\x89+1");
}

TEST_F(CommandControls, ADraggedCommandTellsTheParent) {
  CQXCmdListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, QRect(0, 200, 400, 200), &host, 1027));
  list.InitCommandColumns("Edit Cmd List");
  CQXCommandTable table;
  table.SetCommand(0xF7, 0x01, "If ", "If", "condition");
  table.SetCommand(0, 0x97, "sin ", "sin", "");
  ASSERT_EQ(FillCommandList(&list, table), 2);
  EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("sin"));
  list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  list.dragEnabled = TRUE;

  QByteArray offered;
  DROPEFFECT asked = 0;
  const DoDragDropHandler previous = SetDoDragDropHandler([&](COleDataSource& s, DROPEFFECT allowed, QWidget*) {
    std::unique_ptr<QMimeData> mime(s.CreateMimeData());
    COleDataObject data;
    data.Attach(mime.release());
    offered = ReadTokenBlock(data.GetGlobalData(GetTokenBytesFormat()).value_or("")).value_or("none");
    asked = allowed;
    return DROPEFFECT_MOVE;
  });
  NMLISTVIEW nm;
  nm.hdr = {&list, 1027, LVN_BEGINDRAG};
  host.SendMessage(WM_NOTIFY, 1027, reinterpret_cast<LPARAM>(&nm.hdr));
  SetDoDragDropHandler(previous);
  EXPECT_EQ(offered, QByteArray("\xF7\x01"));
  EXPECT_EQ(asked & (DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
  QTRY_COMPARE(host.dragged, 1);

  // The stored lists keep the rows the table knows.
  SaveUserCmdList(&list);
  table.RemoveCommand(0, 0x97);
  EXPECT_EQ(LoadUserCmdList(&list, table), 1);
  EXPECT_EQ(list.GetItemData(0), MakeCommandValue(0xF7, 0x01));
}

TEST_F(CommandControls, TheStoredTreeAndSelectionComeBack) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXToken.tok")));
  const std::string path = QFile::encodeName(env.programFile(QStringLiteral("QXToken.tok"))).toStdString();
  ASSERT_TRUE(WriteCommandTree(path.c_str(), &tree));
  select(1);
  SaveTreeSelectionPath(&tree, "Token View", "Cmd Tree Last Item");

  CQXCmdTreeCtrl back;
  ASSERT_TRUE(back.Create(WS_CHILD | WS_VISIBLE, QRect(0, 200, 400, 200), &host, 1028));
  ASSERT_TRUE(ReadCommandTree(path.c_str(), &back));
  EXPECT_EQ(back.GetCommandNodes(), original);
  EXPECT_TRUE(back.GetItemState(back.GetRootItem(), TVIS_EXPANDED) & TVIS_EXPANDED);
  ASSERT_TRUE(RestoreTreeSelectionPath(&back, "Token View", "Cmd Tree Last Item"));
  EXPECT_EQ(back.GetItemText(back.GetSelectedItem()), QStringLiteral("Sub"));
  EXPECT_TRUE(back.GetItemState(back.GetParentItem(back.GetSelectedItem()), TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(CommandControls, AMenuChoiceInAModalDialogReachesTheDialog) {
  Opener opener;
  opener.during = [&](TreeDialog& dialog) {
    ASSERT_NE(dialog.tree, nullptr);
    QTimer::singleShot(50, &dialog, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (QAction* action : menu->actions())
        if (CommandIdOf(action) == 23004 && action->isEnabled())
          QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), dialog.tree->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(dialog.tree, &key);
  };
  opener.SendMessage(WM_COMMAND, 4242, 0);
  // Only the dialog's "Copier" handler ends it with IDOK.
  EXPECT_EQ(opener.result, IDOK);
}

}  // namespace
