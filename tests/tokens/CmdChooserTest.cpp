// The command pane over a stand-in document with a small table: the
// last-used list in recency order beside a sorted view, the sort cycle,
// refreshing after a table change, and the state a new pane comes back to.
#include "classlib/ProfileSettings.h"
#include "platform/DC.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/CmdChooser.h"
#include "tokens/StoredCommandLists.h"
#include "tokens/TokenListFile.h"

#include <QApplication>

#include <QTest>
#include <climits>
#include <gtest/gtest.h>

namespace {

using tallix::test::TestEnvironment;

constexpr char kSection[] = "Token View";
// P, Q, R, S: descriptions sort S, Q, R, P.
const DWORD P = MakeCommandValue(0, 0x50), Q = MakeCommandValue(0, 0x51), R = MakeCommandValue(0, 0x52),
            S = MakeCommandValue(0xF7, 0x53);

class CmdChooser : public ::testing::Test {
 protected:
  void SetUp() override {
    table.SetCommand(0, 0x50, "P", "p", "d4");
    table.SetCommand(0, 0x51, "Q", "q", "d2");
    table.SetCommand(0, 0x52, "R", "r", "d3");
    table.SetCommand(0xF7, 0x53, "S", "s", "d1");
    doc.tokenTable = &table;
    host.resize(400, 300);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  }
  std::unique_ptr<CQXCmdChooser> makePane() {
    auto pane = std::make_unique<CQXCmdChooser>(&doc, kSection);
    EXPECT_TRUE(pane->Create(&host, TRUE));
    pane->MoveViews(0, 0, 400, 300);
    return pane;
  }
  static std::vector<DWORD> shown(CQXCmdChooser& pane, int view) {
    return static_cast<CQXCmdListCtrl*>(pane.GetView(view))->GetCommandValues();
  }
  static void select(CQXCmdChooser& pane, int view, DWORD value) {
    auto* list = static_cast<CQXCmdListCtrl*>(pane.GetView(view));
    for (int row = 0; row < list->GetItemCount(); ++row)
      list->SetItemState(row, DWORD(list->GetItemData(row)) == value ? UINT(LVIS_SELECTED) : 0u, LVIS_SELECTED);
  }
  static int selectedRow(CQXCmdChooser& pane, int view) {
    return GetFirstSelectedItem(static_cast<CListCtrl*>(pane.GetView(view)));
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CQXCommandTable table;
  tallix::test::FakeDocServices doc;
  CWnd host;
};

TEST_F(CmdChooser, TheLastUsedListKeepsItsRecencyOrderWhileSorted) {
  AppWriteProfileInt(kSection, "LUC max", 3);
  AppWriteProfileInt(kSection, "Last View", 1);
  SaveLastUsedCmdList(std::vector<DWORD>{P, Q, R});
  auto pane = makePane();
  ASSERT_EQ(pane->GetCurrentView(), 1);

  select(*pane, 1, S);
  pane->AddSelectionToLastUsed();
  EXPECT_EQ(pane->GetLastUsedCommands(), (std::vector<DWORD>{S, P, Q}));
  EXPECT_EQ(shown(*pane, 2), (std::vector<DWORD>{S, P, Q}));

  // Sorted by description while shown; used from there, nothing changes.
  pane->SetCurrentView(2);
  pane->OnColumnClick(2);
  EXPECT_EQ(shown(*pane, 2), (std::vector<DWORD>{S, Q, P}));
  pane->AddSelectionToLastUsed();
  EXPECT_EQ(pane->GetLastUsedCommands(), (std::vector<DWORD>{S, P, Q}));

  pane->SetCurrentView(1);
  select(*pane, 1, Q);
  pane->AddSelectionToLastUsed();
  EXPECT_EQ(pane->GetLastUsedCommands(), (std::vector<DWORD>{Q, S, P}));
  EXPECT_EQ(shown(*pane, 2), (std::vector<DWORD>{S, Q, P}));
  EXPECT_EQ(selectedRow(*pane, 2), 1);  // the command just used

  // Stored in recency order, not as shown.
  pane->SaveState();
  EXPECT_EQ(LoadLastUsedCmdList(table), (std::vector<DWORD>{Q, S, P}));
}

TEST_F(CmdChooser, DescriptionClicksSortUpDownThenRestoreTheTableOrder) {
  AppWriteProfileInt(kSection, "Last View", 1);
  AppWriteProfileInt(kSection, "LUC max", -5);
  auto pane = makePane();
  // A stored row outside the list selects none (nor the rows around it).
  for (int stored : {-1, 4, INT_MAX}) {
    AppWriteProfileInt(kSection, "Last Selected Cmd", stored);
    pane->Refresh();
    EXPECT_EQ(selectedRow(*pane, 1), -1) << stored;
  }
  select(*pane, 1, R);
  pane->OnColumnClick(2);
  EXPECT_EQ(shown(*pane, 1), (std::vector<DWORD>{S, Q, R, P}));
  EXPECT_EQ(selectedRow(*pane, 1), 2);  // R stays selected
  pane->OnColumnClick(2);
  EXPECT_EQ(shown(*pane, 1), (std::vector<DWORD>{P, R, Q, S}));
  pane->OnColumnClick(2);
  EXPECT_EQ(pane->GetSortState(), 0);
  EXPECT_EQ(shown(*pane, 1), (std::vector<DWORD>{P, Q, R, S}));
  EXPECT_EQ(selectedRow(*pane, 1), 1);  // the row that was selected

  // "LUC max" below 1 keeps one command.
  select(*pane, 1, P);
  pane->AddSelectionToLastUsed();
  select(*pane, 1, S);
  pane->AddSelectionToLastUsed();
  EXPECT_EQ(pane->GetLastUsedCommands(), (std::vector<DWORD>{S}));

  // Two bytes for a table byte, none for a command the table lost.
  QXCMDSELECTION selection;
  ASSERT_TRUE(pane->GetSelectedCommand(&selection));
  EXPECT_EQ(selection.length, 2);
  EXPECT_EQ(selection.bytes[0], 0xF7);
  EXPECT_EQ(selection.bytes[1], 0x53);
  table.RemoveCommand(0xF7, 0x53);
  EXPECT_FALSE(pane->GetSelectedCommand(&selection));

  // A macro of the source list, the stored one selected, its bytes shared.
  CQXMacroListCtrl source;
  ASSERT_TRUE(source.Create(WS_CHILD, QRect(), &host, 90));
  const BYTE bytes[] = {0xF7, 0x10, 0x41};
  source.AddMacro(3, bytes, "Boucle", "", FALSE);
  source.AddMacro(1, bytes, "Avant", "", FALSE);
  AppWriteProfileString("Edit Macro List", "Last Selected Macro", "Boucle");
  pane->SetMacroSource(&source);
  pane->SetCurrentView(4);
  ASSERT_TRUE(pane->GetSelectedCommand(&selection));
  EXPECT_EQ(selection.kind, QXCMDSELECTION::kMacro);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(selection.data()), std::size_t(selection.length)), "\xF7\x10" "A");
  EXPECT_EQ(selection.macro, source.GetMacro(1).record);
  pane->SetCurrentView(1);

  // Refreshed, the shown list follows the table at once.
  table.SetCommand(0, 0x54, "T", "t", "d0");
  pane->Refresh();
  EXPECT_EQ(shown(*pane, 1), (std::vector<DWORD>{P, Q, R, MakeCommandValue(0, 0x54)}));
}

TEST_F(CmdChooser, ANewPaneComesBackToTheStoredViewSortAndTreeItem) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXToken.tok")));
  // Damaged indexes read 0; a stored command outside the list selects none.
  AppWriteProfileInt(kSection, "Last View", 7);
  AppWriteProfileInt(kSection, "Sort List", -2);
  AppWriteProfileInt(kSection, "Sort List Column", 3);
  AppWriteProfileInt(kSection, "Last Selected Cmd", 4);
  QString treeItem;
  {
    auto pane = makePane();
    EXPECT_EQ(pane->GetCurrentView(), 0);
    EXPECT_EQ(pane->GetSortState(), 0);
    EXPECT_EQ(pane->GetSortColumn(), 0);
    auto* tree = static_cast<CQXCmdTreeCtrl*>(pane->GetView(0));
    ASSERT_GT(tree->GetCount(), 2u);
    QXCMDSELECTION selection;
    EXPECT_FALSE(pane->GetSelectedCommand(&selection));  // the root item
    std::vector<HTREEITEM> items;
    const CQXCommandTreeNodes nodes = tree->GetCommandNodes(&items);
    const auto command = std::find_if(nodes.begin(), nodes.end(), [](const auto& node) { return !node.folder; });
    ASSERT_NE(command, nodes.end());
    HTREEITEM leaf = items[std::size_t(command - nodes.begin())];
    tree->SelectItem(leaf);
    treeItem = tree->GetItemText(leaf);

    pane->SetCurrentView(1);
    EXPECT_EQ(selectedRow(*pane, 1), -1);
    pane->OnColumnClick(1);
    pane->OnColumnClick(1);
    select(*pane, 1, Q);
    pane->SetCurrentView(4);
    pane->SetCurrentView(0);
    pane->SaveState();
  }
  auto pane = makePane();
  EXPECT_EQ(pane->GetCurrentView(), 0);
  EXPECT_EQ(pane->GetSortState(), 2);
  EXPECT_EQ(pane->GetSortColumn(), 1);
  auto* tree = static_cast<CQXCmdTreeCtrl*>(pane->GetView(0));
  ASSERT_NE(tree->GetSelectedItem(), nullptr);
  EXPECT_EQ(tree->GetItemText(tree->GetSelectedItem()), treeItem);
  pane->SetCurrentView(1);
  EXPECT_EQ(shown(*pane, 1), (std::vector<DWORD>{S, R, Q, P}));
  EXPECT_EQ(selectedRow(*pane, 1), 2);  // Q, by its stored index
}

TEST_F(CmdChooser, TheHostsFontKeepsTheTreeLabelsBytes) {
  const std::string folder = "\x86\xD0\x0E\xCE\x99\x9F\x10\x11\x12", command = "\x89\xA8\xA9\xB9\xCD";
  ASSERT_TRUE(WriteTokenListFileWithTree(TokenListWritePath(doc.calculatorName.c_str()).c_str(), table, "FX9850",
                                         doc.calculatorName.c_str(), {{1, folder, 0, true}, {2, command, P, false}}));
  auto pane = makePane();  // the tree, filled in the host's font
  auto* tree = static_cast<CQXCmdTreeCtrl*>(pane->GetView(0));
  CFont font;
  font.SetFont(QApplication::font());
  pane->SetFont(&font);
  tree->SelectItem(tree->GetChildItem(tree->GetChildItem(tree->GetRootItem())));
  pane->SaveState();
  std::vector<std::string> labels;
  ASSERT_TRUE(LoadTreeSelectionPath(kSection, "Cmd Tree Last Item", &labels));
  EXPECT_EQ(labels, (std::vector<std::string>{"Commandes calculatrice graphique", folder, command}));
}

}  // namespace
