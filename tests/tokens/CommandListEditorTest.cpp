// The command-list editor dialogs: the text export and import of a whole
// table, one command's fields, moves in the table, and the one write of
// table and tree.
#include "classlib/ProfileSettings.h"
#include "classlib/OrvoListCtrl.h"
#include "classlib/SettingsTable.h"
#include "platform/CalcShownText.h"
#include "platform/LanguageLibrary.h"
#include "platform/ToolBar.h"
#include "platform/storage/StorageTestHooks.h"
#include "tests/support/CalcTextByHand.h"
#include "tests/support/CommandHost.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/QXEditCmdDlg.h"
#include "tokens/QXEditCmdListDlg.h"
#include "tokens/QXEditCmdTreeDlg.h"
#include "tokens/QXUserCmdListDlg.h"
#include "tokens/StoredCommandLists.h"
#include "tokens/TokenListFile.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cerrno>

#include <gtest/gtest.h>

using tallix::settings::kEditCmdList;
using tallix::test::CommandHost;
using tallix::test::MessageLog;
using tallix::test::TestEnvironment;

namespace {

std::string path(const TestEnvironment& env, const char* name) {
  return QFile::encodeName(env.dataFile(QLatin1String(name))).toStdString();
}

// Every command as one comparable line.
std::vector<std::string> commands(const CQXCommandTable& table) {
  std::vector<std::string> out;
  DWORD position = 0;
  for (BOOL more = table.GetFirstCommand(&position); more; more = table.GetNextCommand(&position)) {
    QXCOMMANDINFO info;
    table.GetCommandInfo(position, &info);
    out.push_back(std::to_string(info.table) + ":" + std::to_string(info.number) + ":" + info.characters + "|" +
                  info.listText + "|" + info.description);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void click(QWidget* dialog, int id) {
  auto* button = qobject_cast<QPushButton*>(static_cast<CWnd*>(dialog)->GetDlgItem(id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

class CommandListEditor : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
};

}  // namespace

TEST_F(CommandListEditor, ExportedListsImportIntoTheSameTable) {
  CQXCommandTable shipped;
  ASSERT_TRUE(ReadCommandTable(QFile::encodeName(env.programFile("QXToken.tok")).constData(), &shipped));
  ASSERT_GT(shipped.GetCommandCount(), 1000);
  ASSERT_NE(shipped.FindCommand(0, 0x22), nullptr);
  shipped.SetCommand(0xF7, 0xEE, "x\"y", "a\"b", std::string(kCommandDescriptionMax, '"').c_str());
  CQXEditCmdListDlg out(&shipped);
  ASSERT_TRUE(out.Create(CQXEditCmdListDlg::kTemplateId));
  EXPECT_EQ(out.GetList()->GetItemCount(), shipped.GetCommandCount());

  for (int numerical : {0, 1}) {
    AppWriteProfileInt(kEditCmdList, "Cmd Export Numerical", numerical);
    AppWriteProfileInt(kEditCmdList, "Cmd Hex Values", numerical);
    ASSERT_TRUE(out.ExportCommandList(path(env, "list.txt").c_str()));
    CQXCommandTable empty;
    CQXEditCmdListDlg in(&empty);
    ASSERT_TRUE(in.Create(CQXEditCmdListDlg::kTemplateId));
    ASSERT_TRUE(in.ImportCommandList(path(env, "list.txt").c_str()));
    EXPECT_EQ(commands(empty), commands(shipped)) << "numerical " << numerical;
    EXPECT_EQ(in.GetList()->GetItemCount(), shipped.GetCommandCount());
    in.EndDialog(IDCANCEL);
  }
  EXPECT_TRUE(messages.shown.empty());
  out.EndDialog(IDCANCEL);
}

TEST_F(CommandListEditor, ImportSkipsWhatCannotBeACommandAndKeepsReading) {
  QFile file(env.dataFile("bad.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("0;255;C;\"end\"\r\n255;1;C;\"lead\"\r\n0;66;N;66 0 ;\"\"\r\n0;65;C\r\n247;2;C;\"b\"\r\n0;1;C;\"a\"\r\n");
  file.close();
  CQXCommandTable table;
  table.SetCommand(247, 1, "old", "", "");
  CQXEditCmdListDlg dialog(&table);
  ASSERT_TRUE(dialog.Create(CQXEditCmdListDlg::kTemplateId));
  ASSERT_TRUE(dialog.ImportCommandList(path(env, "bad.txt").c_str()));
  EXPECT_EQ(commands(table), (std::vector<std::string>{"0:1:a||", "247:1:old||", "247:2:b||"}));
  // New rows go where their pair sorts; the last one read is selected.
  COrvoListCtrl* list = dialog.GetList();
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetItemText(0, 0), "0 1");
  EXPECT_EQ(list->GetItemText(2, 0), "247 2");
  EXPECT_EQ(GetFirstSelectedItem(list), 0);

  // An export that fails on the way (a full disk) keeps the file that was
  // there and leaves nothing beside it.
  const QByteArray before = tallix::test::fileContents(env.dataFile("bad.txt"));
  const QStringList files = QDir(env.dataDir()).entryList(QDir::Files);
  {
    tallix::test::FileSizeLimit full(16);
    EXPECT_FALSE(dialog.ExportCommandList(path(env, "bad.txt").c_str()));
  }
  EXPECT_EQ(tallix::test::fileContents(env.dataFile("bad.txt")), before);
  EXPECT_EQ(QDir(env.dataDir()).entryList(QDir::Files), files);
  dialog.EndDialog(IDCANCEL);
}

TEST_F(CommandListEditor, OneCommandNumbersCharactersAndRange) {
  CQXEditCmdDlg dialog;
  dialog.m_command.Set(0, 65, "AB", "X", "Y");
  ASSERT_TRUE(dialog.Create(CQXEditCmdDlg::kTemplateId));
  auto* numbers = dialog.GetDlgItemAs<QLineEdit>(1034);
  auto* characters = dialog.GetDlgItemAs<QLineEdit>(1035);
  EXPECT_EQ(numbers->text(), "65 66 ");
  numbers->clear();
  QTest::keyClicks(numbers, "43h 44h");
  EXPECT_EQ(characters->text(), "CD");
  QTest::keyClicks(numbers, " z");
  EXPECT_EQ(characters->text(), "");
  numbers->setText("65 256");  // a zero byte would cut the characters
  EXPECT_EQ(characters->text(), "");
  QTest::keyClicks(characters, "E");
  EXPECT_EQ(numbers->text(), "69 ");

  // 255 ends a program: neither byte may be it.
  dialog.GetDlgItemAs<QSpinBox>(1032)->setValue(255);
  EXPECT_FALSE(dialog.UpdateData(TRUE));
  dialog.GetDlgItemAs<QSpinBox>(1032)->setValue(7);
  dialog.GetDlgItemAs<QComboBox>(1031)->setEditText("255");
  EXPECT_FALSE(dialog.UpdateData(TRUE));
  const QString range = CLanguageLibrary::FormatMessage(61714, "0", "254");
  EXPECT_EQ(messages.texts(), (std::vector<QString>{range, range}));
  dialog.GetDlgItemAs<QComboBox>(1031)->setEditText("247");
  ASSERT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_EQ(dialog.m_command.table, 247);
  EXPECT_EQ(dialog.m_command.number, 7);
  EXPECT_STREQ(dialog.m_command.characters, "E");
  dialog.EndDialog(IDCANCEL);
}

// The characters field outside the calculator fonts: the codes it was given
// stay where the user did not edit them, even those that show alike; typed
// and pasted characters are the codes that show as them.
TEST_F(CommandListEditor, TheCharactersFieldKeepsItsCodesAndTakesTheCalculatorsText) {
  CQXEditCmdDlg dialog;
  dialog.m_command.Set(0, 65, "\x88\x89\xCE", "X", "Y");
  ASSERT_TRUE(dialog.Create(CQXEditCmdDlg::kTemplateId));
  auto* characters = dialog.GetDlgItemAs<QLineEdit>(1035);
  ASSERT_FALSE(IsCalculatorFont(characters->font()));
  EXPECT_EQ(characters->text(), QStringLiteral("P+θ"));
  EXPECT_EQ(dialog.GetDlgItemAs<QLineEdit>(1034)->text(), "136 137 206 ");
  ASSERT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_STREQ(dialog.m_command.characters, "\x88\x89\xCE");
  characters->setFocus();
  characters->setCursorPosition(1);
  QTest::keyClicks(characters, "P");
  EXPECT_EQ(dialog.GetDlgItemAs<QLineEdit>(1034)->text(), "136 80 137 206 ");
  ASSERT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_STREQ(dialog.m_command.characters, "\x88P\x89\xCE");

  characters->selectAll();
  QTest::keyClick(characters, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("PP+θ"));
  QGuiApplication::clipboard()->setText(QStringLiteral("θ√"));
  QTest::keyClick(characters, Qt::Key_V, Qt::ControlModifier);
  ASSERT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_STREQ(dialog.m_command.characters, "\xCE\x86");
  tallix::test::CheckCalcTextEditByHand(characters);
  dialog.EndDialog(IDCANCEL);
}

TEST_F(CommandListEditor, ANewNumberByteMovesTheCommandAndNextWalksOn) {
  AppWriteProfileInt(kEditCmdList, "Cmd Extended", 1);
  CQXCommandTable table;
  table.SetCommand(0, 1, "a", "", "");
  table.SetCommand(0, 5, "b", "", "");
  CQXEditCmdListDlg dialog(&table);
  ASSERT_TRUE(dialog.Create(CQXEditCmdListDlg::kTemplateId));
  // The first command gets number 3 and Next; the one after its new place
  // is closed with OK.
  int shown = 0;
  QTimer script;
  script.setInterval(5);
  QObject::connect(&script, &QTimer::timeout, [&] {
    auto* edit = qobject_cast<CQXEditCmdDlg*>(QApplication::activeModalWidget());
    if (!edit || !edit->isVisible()) return;
    if (++shown == 1) {
      edit->GetDlgItemAs<QSpinBox>(1032)->setValue(3);
      click(edit, CQXEditCmdDlg::kNextButton);
    } else {
      EXPECT_STREQ(edit->m_command.characters, "b");
      click(edit, IDOK);
    }
  });
  script.start();
  click(&dialog, 1030);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(commands(table), (std::vector<std::string>{"0:3:a||", "0:5:b||"}));
  ASSERT_EQ(dialog.GetList()->GetItemCount(), 2);
  EXPECT_EQ(dialog.GetList()->GetItemText(0, 0), "0 3");
  dialog.EndDialog(IDCANCEL);
}

TEST_F(CommandListEditor, OkWritesTableAndTreeInOneFile) {
  CQXCommandTable table;
  table.SetCommand(0, 0x41, "A", "", "");
  const std::string file = TokenListWritePath("CFX-9850G");
  ASSERT_TRUE(WriteTokenListFileWithTree(file.c_str(), table, "FX9850", "CFX-9850G", {{1, "F", 0, true}}));
  table.SetCommand(0xF7, 0xEE, "NEWCMD", "", "");
  CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
  ASSERT_TRUE(dialog.Create(CQXEditCmdTreeDlg::kTemplateId));
  CQXCmdTreeCtrl* tree = dialog.GetTree();
  tree->SelectItem(tree->GetRootItem());
  click(&dialog, 1046);  // the list's first command below the root
  // Wherever the writing fails, the file holds the old table and tree or
  // both new ones.
  for (int writes = 0;; ++writes) {
    ASSERT_LT(writes, 200);
    tallix::cfb::testhooks::failWritesAfter(writes, ENOSPC);
    click(&dialog, IDOK);
    tallix::cfb::testhooks::clearWriteFailures();
    EXPECT_EQ(dialog.GetModalResult(), IDOK);
    CQXCommandTable back;
    CQXCommandTreeNodes nodes;
    ASSERT_TRUE(ReadCommandTable(file.c_str(), &back));
    ASSERT_TRUE(ReadCommandTree(file.c_str(), &nodes));
    const bool written = back.FindCommand(0xF7, 0xEE) != nullptr;
    ASSERT_EQ(nodes.size(), written ? 2u : 1u) << "after " << writes << " writes";
    if (written) break;
  }
}

TEST_F(CommandListEditor, TreeLabelsKeepTheirBytesThroughFontPasteRenameMoveAlignAndOk) {
  // Codes another font shows as symbols or as other characters.
  const std::string symbols = "\x86\xD0\x0E\xCE\x99\x9F\x10\x11\x12", others = "\x89\xA8\xA9\xB9\xCD";
  CQXCommandTable table;
  table.SetCommand(0xF7, 0x01, others.c_str(), "", "");
  const CQXCommandTreeNodes nodes = {{1, symbols, 0, true}, {2, others, MakeCommandValue(0xF7, 0x01), false}};
  const std::string file = TokenListWritePath("CFX-9850G");
  ASSERT_TRUE(WriteTokenListFileWithTree(file.c_str(), table, "FX9850", "CFX-9850G", nodes));
  CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
  ASSERT_TRUE(dialog.Create(CQXEditCmdTreeDlg::kTemplateId));
  CQXCmdTreeCtrl* tree = dialog.GetTree();
  tree->SetLabelFont(QApplication::font());  // what the Font button does
  ASSERT_FALSE(IsCalculatorFont(tree->GetTreeWidget()->font()));

  tree->SelectItem(tree->GetChildItem(tree->GetRootItem()));
  ASSERT_TRUE(tree->Copy());
  tree->SelectItem(tree->GetRootItem());
  ASSERT_TRUE(tree->Paste());
  // The pasted folder, renamed by typing after its label.
  QLineEdit* edit = tree->EditLabel();
  ASSERT_NE(edit, nullptr);
  edit->end(false);
  QTest::keyClicks(edit, "x");
  QTest::keyClick(edit, Qt::Key_Return);
  QTRY_VERIFY(!tree->GetEditControl());
  ASSERT_TRUE(tree->Move(0));
  ASSERT_TRUE(tree->AlignWithTable(table));
  click(&dialog, IDOK);

  CQXCommandTreeNodes back;
  ASSERT_TRUE(ReadCommandTree(file.c_str(), &back));
  EXPECT_EQ(back, (CQXCommandTreeNodes{{1, symbols + "x", 0, true}, nodes[1], nodes[0], nodes[1]}));
}

// A new folder's label and a renamed one start selected whole: what the
// user types replaces them.
TEST_F(CommandListEditor, TypingIntoALabelEditReplacesTheLabel) {
  CQXCommandTable table;
  const std::string file = TokenListWritePath("CFX-9850G");
  ASSERT_TRUE(WriteTokenListFileWithTree(file.c_str(), table, "FX9850", "CFX-9850G", {{1, "Old", 0, true}}));
  CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
  ASSERT_TRUE(dialog.Create(CQXEditCmdTreeDlg::kTemplateId));
  dialog.show();
  CQXCmdTreeCtrl* tree = dialog.GetTree();
  const auto typeLabel = [tree](UINT command, const char* text) {
    static_cast<CWnd*>(tree->GetParent())->SendMessage(WM_COMMAND, command);
    QCoreApplication::processEvents();  // as the dialog's loop runs before the first key
    QLineEdit* edit = tree->GetEditControl();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(!tree->GetEditControl());
  };
  tree->SelectItem(tree->GetRootItem());
  typeLabel(23001, "MesCmd");
  tree->SelectItem(tree->GetChildItem(tree->GetRootItem()));
  typeLabel(23002, "Neu");
  EXPECT_EQ(tree->GetCommandNodes(), (CQXCommandTreeNodes{{1, "Neu", 0, true}, {1, "MesCmd", 0, true}}));
  dialog.EndDialog(IDCANCEL);
}

TEST_F(CommandListEditor, ToolBarButtonsWorkTheTreeAndFollowItsSelection) {
  CQXCommandTable table;
  table.SetCommand(0, 0x41, "A", "", "");
  const CQXCommandTreeNodes nodes = {{1, "F", 0, true}, {2, "A", MakeCommandValue(0, 0x41), false}, {1, "G", 0, true}};
  const std::string file = TokenListWritePath("CFX-9850G");
  ASSERT_TRUE(WriteTokenListFileWithTree(file.c_str(), table, "FX9850", "CFX-9850G", nodes));
  CommandHost host;
  CQXCommandTreeNodes after;
  host.run = [&] {
    CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
    tallix::test::whenModal<CQXEditCmdTreeDlg>([&](CQXEditCmdTreeDlg* shown) {
      CQXCmdTreeCtrl* tree = shown->GetTree();
      CToolBar* bar = shown->GetToolBar();
      const auto button = [bar](UINT id) { return bar->GetButton(bar->CommandToIndex(id)); };
      std::vector<HTREEITEM> items;
      tree->GetCommandNodes(&items);
      tree->SelectItem(items[1]);  // a command: no rename, no new folder inside
      EXPECT_FALSE(button(23002)->isEnabled());
      EXPECT_FALSE(button(23001)->isEnabled());
      tree->SelectItem(items[0]);
      EXPECT_TRUE(button(23002)->isEnabled());
      EXPECT_FALSE(button(23007)->isEnabled());
      button(23008)->trigger();  // F below G
      EXPECT_TRUE(button(23007)->isEnabled());
      EXPECT_FALSE(button(23008)->isEnabled());
      button(23004)->trigger();
      EXPECT_TRUE(button(23005)->isEnabled());
      button(23006)->trigger();
      after = tree->GetCommandNodes();
      shown->EndDialog(IDCANCEL);
    });
    dialog.DoModal();
  };
  host.Run();
  EXPECT_EQ(after, CQXCommandTreeNodes{nodes[2]});
}

TEST_F(CommandListEditor, UserListTakesCommandsOfTheTreeOnly) {
  CQXCommandTable table;
  ASSERT_TRUE(ReadCommandTable(TokenListReadPath("CFX-9850G").c_str(), &table));
  SaveUserCmdList(std::vector<DWORD>{MakeCommandValue(0, 1)});
  const auto run = [&](int button) {
    CQXUserCmdListDlg dialog(&table, "CFX-9850G");
    EXPECT_TRUE(dialog.Create(CQXUserCmdListDlg::kTemplateId));
    CQXCmdTreeCtrl* tree = dialog.GetTree();
    CQXCmdListCtrl* list = dialog.GetList();
    EXPECT_EQ(list->GetCommandValues(), std::vector<DWORD>{MakeCommandValue(0, 1)});
    // A folder is not added; the first command of the first folder is, after
    // the selected row.
    const HTREEITEM folder = tree->GetChildItem(tree->GetRootItem());
    tree->SelectItem(folder);
    click(&dialog, 1064);
    EXPECT_EQ(list->GetItemCount(), 1);
    HTREEITEM command = tree->GetChildItem(folder);
    while (command && !TreeItemIsLeaf(*tree, command)) command = tree->GetChildItem(command);
    EXPECT_NE(command, nullptr);
    tree->SelectItem(command);
    list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    click(&dialog, 1064);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(GetFirstSelectedItem(list), 1);
    EXPECT_EQ(DWORD(list->GetItemData(1)), DWORD(tree->GetItemData(command)));
    // Deleting the last row selects the one before it.
    click(&dialog, 1047);
    click(&dialog, 1047);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(GetFirstSelectedItem(list), -1);
    click(&dialog, button);
  };
  run(IDCANCEL);
  EXPECT_EQ(LoadUserCmdList(table), std::vector<DWORD>{MakeCommandValue(0, 1)});
  run(IDOK);
  EXPECT_TRUE(LoadUserCmdList(table).empty());
}

// Kept up for a look with TALLIX_SHOW_MS.
TEST_F(CommandListEditor, Show) {
  const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS");
  if (ms <= 0) GTEST_SKIP();
  AppWriteProfileInt(kEditCmdList, "Cmd Extended", 1);
  AppWriteProfileInt(kEditCmdList, "Cmd List Export", 1);
  CQXCommandTable table;
  ASSERT_TRUE(ReadCommandTable(TokenListReadPath("CFX-9850G").c_str(), &table));
  const int which = qEnvironmentVariableIntValue("TALLIX_SHOW_DIALOG");
  if (which == 523) {
    CQXUserCmdListDlg dialog(&table, "CFX-9850G");
    ASSERT_TRUE(dialog.Create(523));
    QTest::qWait(ms);
  } else if (which == 551) {
    CQXEditCmdListDlg dialog(&table);
    ASSERT_TRUE(dialog.Create(551));
    QTest::qWait(ms);
  } else if (which == 552) {
    CQXEditCmdDlg dialog;
    dialog.m_command.Set(247, 16, "Locate ", "Locate", "Affiche un texte");
    ASSERT_TRUE(dialog.Create(552));
    QTest::qWait(ms);
  } else {
    CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
    ASSERT_TRUE(dialog.Create(550));
    QTest::qWait(ms);
  }
}

TEST_F(CommandListEditor, AWriteProtectedCopyDisablesOk) {
  const std::string copy = TokenListWritePath("CFX-9850G");
  ASSERT_TRUE(QFile::copy(env.programFile("QXToken.tok"), QFile::decodeName(copy.c_str())));
  ASSERT_TRUE(QFile::setPermissions(QFile::decodeName(copy.c_str()), QFile::ReadOwner | QFile::ReadGroup));
  CQXCommandTable table;
  CQXEditCmdTreeDlg dialog(table, "FX9850", "CFX-9850G");
  ASSERT_TRUE(dialog.Create(CQXEditCmdTreeDlg::kTemplateId));
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(10573, QFile::decodeName(copy.c_str()))});
  EXPECT_FALSE(dialog.GetDlgItem(IDOK)->isEnabled());
  dialog.EndDialog(IDCANCEL);
}
