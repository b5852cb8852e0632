// Filing items in a document: received and pasted items, the overwrite
// questions, delete and undo, the entry commands' enabling. A small
// document over a real item store stands in for the program's document; the
// tree is a map of paths, the overwrite dialog is answered by clicking.
#include "services/DocServices.h"
#include "app/QXDocCommands.h"
#include "app/QXDocItemOps.h"
#include "app/QXTreeView.h"
#include "app/QXUndoBuffer.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRawBlock.h"
#include "link/OverwriteDialog.h"
#include "link/SerialLink.h"
#include "classlib/ProfileSettings.h"
#include "platform/CmdUI.h"
#include "platform/SerialDeviceMap.h"
#include "tests/support/MessageLog.h"
#include "tests/support/OverwriteClicker.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>

using tallix::test::MessageLog;
using tallix::test::OverwriteClicker;
using tallix::test::TestEnvironment;

namespace {

// The document around the item operations, as the program's document
// forwards to them.
class TestDocument : public CQXDocServices, public CQXDocItemHost, public CQXDocCommandHost {
 public:
  COrvoItemStore store;
  CQXDocItemOps ops{this};
  CQXUndoBuffer undo;
  CQXDocCommands commands{this, this, &ops, &undo};
  std::map<std::string, std::string> tree;  // path -> text
  std::vector<int> addFlags;
  TreeSelectionInfo selection;
  bool hasSelection = false, treeFocus = true;
  DWORD unique = 1024;
  int busy = 0;
  std::vector<std::string> shown;
  std::unique_ptr<CQXDocEntry> clipboard;
  CQXCalcLink* link = nullptr;
  CQXCommandTable* tokenTable = nullptr;

  TestDocument() {
    undo.SetDocument(this);
    EXPECT_TRUE(store.Open(nullptr, ORVO_SHARE_EXCLUSIVE));
    for (const char* folder : {"\\Calculator", "\\Calculator\\List", "\\Calculator\\File", "\\Calculator\\File\\File3",
                               "\\Calculator\\Matrix", "\\Calculator\\Display", "\\Calculator\\Memory"})
      addNode(folder, kNodeFolder, 0);
    addNode("\\Calculator\\Program", kNodeFolder | kNodeSortAscending, 4001);
    addNode("\\Calculator\\List\\List1", 0, 4005);  // a default slot
  }

  void addNode(const char* path, DWORD flags, DWORD type) {
    OrvoNodeInfo info;
    info.SetPath(path);
    info.flags = flags;
    info.valueB = type;
    ASSERT_TRUE(store.AddNode(&info)) << path;
  }
  void select(const std::string& path, int type, int kind = 0) {
    std::strcpy(selection.path, path.c_str());
    selection.itemData = type;
    selection.kind = kind;
    hasSelection = true;
  }
  std::vector<std::string> children(const char* folder) {
    std::vector<std::string> names;
    OrvoFindHandle handle = nullptr;
    if (store.FindFirst(folder, &handle)) {
      do {
        OrvoNodeInfo info;
        store.GetFoundInfo(handle, &info);
        names.push_back(std::string(info.path) + "=" + info.description);
      } while (store.FindNext(handle));
    }
    if (handle) store.FindClose(handle);
    return names;
  }
  std::string programText(const std::string& path) {
    CQXDocEntry entry;
    if (!ops.LoadItem(path.c_str(), &entry)) return "";
    auto* program = static_cast<CQXProgramItem*>(entry.GetItem());
    char name[64];
    program->GetDisplayName(name, sizeof name);
    return std::string(name) + ":" + std::to_string(program->GetLength());
  }

  // CQXDocServices.
  void GetCalculatorType(std::string* out) override { *out = "FX9850"; }
  void GetCalculatorName(std::string* out) override { *out = "CFX-9850G"; }
  DWORD NextUniqueNumber() override { return ++unique; }
  CQXCommandTable& GetTokenTable() override { return *tokenTable; }  // never asked here
  BOOL CollectSendableItems(std::vector<std::string>*, std::vector<std::string>*) override { return FALSE; }
  BOOL LoadItemsAt(const char* path, std::vector<std::unique_ptr<CQXDocEntry>>* out) override {
    return ops.LoadItemsAt(path, out);
  }
  BOOL LoadItem(const char* path, CQXDocEntry* out) override { return ops.LoadItem(path, out); }
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) override { return ops.StoreReceivedItem(entry, flags); }
  BOOL SaveItem(CQXDocEntry* entry, char* outPath) override { return ops.SaveItem(entry, outPath); }
  BOOL GetItemDataLength(const char* path, DWORD* out) override { return ops.GetItemDataLength(path, out); }
  BOOL CheckOverwrite(CQXDocEntry* entry) override { return ops.CheckOverwrite(entry); }
  BOOL RemoveItem(const char* path, DWORD* out, BOOL withUndo) override { return ops.RemoveItem(path, out, withUndo); }
  void QueryOverwrite(const char* text, int kind, UINT* answer) override { ops.QueryOverwrite(text, kind, answer); }
  void SetCurrentLink(CQXCalcLink* l) override { link = l; }
  CQXCalcLink* GetCurrentLink() const override { return link; }
  int SetBusy(BOOL on) override { return busy += on ? 1 : -1; }
  BOOL SelectAndShow(const char* path) override {
    shown.push_back(path);
    return TRUE;
  }

  // CQXDocItemHost.
  COrvoItemStore* GetItemStore() override { return &store; }
  BOOL HasTreeView() override { return TRUE; }
  BOOL AddTreeEntry(const char* path, const char* text, int, int flags, int) override {
    tree[path] = text;
    addFlags.push_back(flags);
    return TRUE;
  }
  void RemoveTreeEntry(const char* path) override { tree.erase(path); }
  void SetTreeEntryText(const char* path, const char* text) override { tree[path] = text; }
  BOOL GetTreeSelection(TreeSelectionInfo* info) override {
    if (hasSelection) *info = selection;
    return hasSelection;
  }
  BOOL SelectTreePath(const char* path, BOOL) override {
    OrvoNodeInfo info;
    if (!store.GetNodeInfo(path, &info)) return FALSE;
    select(path, int(info.valueB), (info.flags & kNodeFolder) ? 1 : 0);
    return TRUE;
  }
  void SetModifiedFlag() override {}
  CQXCalcLink* GetCurrentLink() override { return link; }
  BOOL KeepRemovedForUndo(const char* path) override { return undo.PushRemoved(path, 1); }

  // CQXDocCommandHost.
  BOOL IsStoreOpen() override { return store.IsOpen(); }
  BOOL TreeHasFocus() override { return treeFocus; }
  BOOL CommitActivePage() override { return TRUE; }
  void ShowSelectionView(BOOL) override { shown.push_back(selection.path); }
  void PostMainWindowCommand(UINT) override {}
  std::string GetModelName() override { return "CFX-9850G"; }
  BOOL ClipboardHasItem(int) override { return clipboard != nullptr; }
  BOOL CopyItemToClipboard(const char*, int) override { return TRUE; }
  std::unique_ptr<CQXDocEntry> ReadClipboardItem() override { return std::move(clipboard); }
};

std::unique_ptr<CQXDocEntry> Program(const char* name, int length, int kind = kKindProgram) {
  auto* program = new CQXProgramItem;
  program->SetName(name);
  std::vector<BYTE> data(size_t(length), 'x');
  program->SetDataBlock(data.data(), length);
  auto entry = std::make_unique<CQXDocEntry>();
  entry->SetItem(program);
  entry->SetKind(DWORD(kind));
  return entry;
}

std::unique_ptr<CQXDocEntry> FileList(char number, int rows) {
  auto* list = new CQXListItem;
  list->TakeNameFromPath((std::string("\\Calculator\\File\\File3\\List") + number).c_str());
  if (rows) list->GetValues().SetSize(rows, 1);
  auto entry = std::make_unique<CQXDocEntry>();
  entry->SetItem(list);
  entry->SetKind(4002);
  return entry;
}

class DocItems : public ::testing::Test {
 protected:
  // Receives the entry as a transfer does; TRUE when it was filed.
  bool receive(std::unique_ptr<CQXDocEntry> entry) {
    if (!doc.StoreReceivedItem(entry.get(), 1)) return false;
    char path[256] = "";
    return entry->GetItem() && doc.SaveItem(entry.get(), path) && path[0];
  }
  std::string receivedPath(CQXCalcItem* item, DWORD kind) {
    CQXDocEntry entry;
    entry.SetItem(item);
    entry.SetKind(kind);
    if (!ops().StoreReceivedItem(&entry, 1)) return "refused";
    return entry.GetItem() ? entry.Path() : "dropped";
  }
  CQXDocItemOps& ops() { return doc.ops; }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  TestDocument doc;
};

TEST_F(DocItems, ReceivedKindsFindTheirFoldersAndNamesThatCannotBePathsAreRefused) {
  auto* matrix = new CQXMatrixItem;
  matrix->SetLetter('C');
  EXPECT_EQ(receivedPath(matrix, 4001), "\\Calculator\\Matrix\\MatC");
  EXPECT_EQ(receivedPath(FileList('2', 3)->DetachItem(), 4002), "\\Calculator\\File\\File3\\List2");
  EXPECT_EQ(receivedPath(FileList('2', 0)->DetachItem(), 4002), "dropped");
  EXPECT_EQ(receivedPath(new CQXProgramItem, 5019), "\\Calculator\\FMemV5");
  EXPECT_EQ(receivedPath(new CQXProgramItem, 4014), "\\Calculator\\Variable");
  auto* v5 = new CQXMatrixV5Item;
  ASSERT_TRUE(v5->SetName("MAT_B"));
  EXPECT_EQ(receivedPath(v5, 5001), "\\Calculator\\Matrix\\Mat_B");
  auto* result = new CQXEquationResultItem;
  result->SetKindFromHeaderName("SIMLRSLT");
  EXPECT_EQ(receivedPath(result, 5008), "dropped");
  EXPECT_EQ(receivedPath(new CQXSimlCoefItem, 5006), "dropped");

  CQXDocEntry screen;
  screen.SetItem(new CQXScreenItem);
  screen.SetKind(4022);
  EXPECT_TRUE(ops().StoreReceivedItem(&screen, 1));
  EXPECT_EQ(screen.Path(), "\\Calculator\\Display\\Display_00001025");
  char text[64];
  screen.GetItem()->GetDisplayName(text, sizeof text);
  EXPECT_STREQ(text, "Copie d'\xE9" "cran");

  // A name from the calculator holding the separator would file the item
  // elsewhere; an empty one names the folder itself.
  for (const char* group : {"AB\\C", ""}) {
    CQXRawBlock block;
    block.InitHeader(0, "X", group, 0);
    BYTE header[40];
    block.GetHeader(header, 40);
    auto* addIn = new CQXAddInItem;
    addIn->GetBlockList().AddBlock(header, 40, nullptr, 0);
    EXPECT_EQ(receivedPath(addIn, 5026), "refused") << group;
  }
  EXPECT_EQ(receivedPath(new CQXProgramItem, 9999), "refused");
  EXPECT_EQ(receivedPath(new CQXProgramItem, 4024), "");
}

TEST_F(DocItems, AReceivedProgramOverOneOfItsNameIsReplacedOnlyOnYes) {
  ASSERT_TRUE(receive(Program("ABC", 5)));
  ASSERT_EQ(doc.children("\\Calculator\\Program"), std::vector<std::string>{"Program_00001025=ABC"});
  {
    OverwriteClicker clicker;
    clicker.buttons = {7};
    EXPECT_FALSE(receive(Program("ABC", 9)));
    EXPECT_EQ(clicker.questions, std::vector<std::string>{"Programme \"ABC\""});
  }
  EXPECT_EQ(doc.children("\\Calculator\\Program"), std::vector<std::string>{"Program_00001025=ABC"});
  EXPECT_EQ(doc.programText("\\Calculator\\Program\\Program_00001025"), "ABC:5");
  {
    OverwriteClicker clicker;
    clicker.buttons = {1};
    EXPECT_TRUE(receive(Program("ABC", 9)));
  }
  EXPECT_EQ(doc.children("\\Calculator\\Program"), std::vector<std::string>{"Program_00001026=ABC"});
  EXPECT_EQ(doc.programText("\\Calculator\\Program\\Program_00001026"), "ABC:9");
  EXPECT_EQ(doc.tree.size(), 1u);
  EXPECT_EQ(doc.busy, 0);
}

TEST_F(DocItems, AListFileIsAskedOnceAndYesReplacesTheWholeFile) {
  ASSERT_TRUE(receive(FileList('1', 2)));
  ASSERT_TRUE(receive(FileList('2', 2)));
  ASSERT_TRUE(receive(FileList('5', 2)));
  {
    // No: every list of file 3 in this transfer is skipped.
    OverwriteClicker clicker;
    clicker.buttons = {7};
    EXPECT_FALSE(receive(FileList('1', 4)));
    EXPECT_FALSE(receive(FileList('2', 4)));
    EXPECT_EQ(clicker.questions, std::vector<std::string>{"Fichier de listage 3"});
  }
  ops().ResetOverwriteState();
  {
    OverwriteClicker clicker;
    clicker.buttons = {1};
    EXPECT_TRUE(receive(FileList('1', 4)));
    EXPECT_TRUE(receive(FileList('2', 4)));
    EXPECT_EQ(clicker.questions.size(), 1u);
  }
  EXPECT_EQ(doc.children("\\Calculator\\File\\File3").size(), 2u);
  EXPECT_FALSE(ops().HasData("\\Calculator\\File\\File3\\List5"));

  // Emptying a folder says whether every child went: a folder stays.
  doc.addNode("\\Calculator\\File\\File3\\Sub", kNodeFolder, 0);
  DWORD deleted = 0;
  EXPECT_FALSE(ops().RemoveFolderContents("\\Calculator\\File\\File3", &deleted));
  EXPECT_EQ(deleted, 2u);
  EXPECT_EQ(doc.children("\\Calculator\\File\\File3").size(), 1u);
  EXPECT_TRUE(ops().RemoveFolderContents("\\Calculator\\Matrix", &deleted));
}

TEST_F(DocItems, AllEndsTheQuestionsAndAnnulerWithoutALinkIsANo) {
  ASSERT_TRUE(receive(Program("A", 1)));
  ASSERT_TRUE(receive(Program("B", 1)));
  {
    OverwriteClicker clicker;
    clicker.buttons = {2};
    EXPECT_FALSE(receive(Program("A", 2)));
    clicker.buttons = {1030};
    EXPECT_TRUE(receive(Program("A", 3)));
    EXPECT_TRUE(receive(Program("B", 3)));
    EXPECT_EQ(clicker.questions.size(), 2u);
  }
  EXPECT_TRUE(ops().GetOverwriteAll());
  UINT answer = 0;
  ops().QueryOverwrite("X", 1, &answer);
  EXPECT_EQ(answer, 4u);

  // During a transfer Annuler cancels the registered link.
  ops().ResetOverwriteState();
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  AppWriteProfileString(kCommDevicesSection, SerialDeviceProfileKey(7).c_str(), ptsname(master));
  AppWriteProfileInt("Comm Settings", "Port", 7);
  {
    CQXCalcLink link;
    ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
    doc.SetCurrentLink(&link);
    OverwriteClicker clicker;
    clicker.buttons = {2};
    EXPECT_FALSE(receive(Program("B", 4)));
    EXPECT_TRUE(link.IsCancelled());
    doc.SetCurrentLink(nullptr);
  }
  close(master);
}

// A program whose storing fails after some bytes, as a full disk would.
class FailingProgram : public CQXProgramItem {
 public:
  void Store(COrvoArchive& ar) override {
    ar.WriteDwordValue(1);
    throw COrvoArchiveException(12);
  }
};

TEST_F(DocItems, AFailedWriteOverAProgramKeepsTheOldOneAndLeavesNoNode) {
  ASSERT_TRUE(receive(Program("ABC", 5)));
  CQXDocEntry edited;
  auto* failing = new FailingProgram;
  failing->SetName("ABC");
  edited.SetItem(failing);
  edited.SetPath("\\Calculator\\Program\\Program_00001025");
  EXPECT_FALSE(doc.SaveItem(&edited, nullptr));
  EXPECT_EQ(doc.children("\\Calculator\\Program"), std::vector<std::string>{"Program_00001025=ABC"});
  EXPECT_EQ(doc.programText("\\Calculator\\Program\\Program_00001025"), "ABC:5");
  EXPECT_EQ(doc.tree.size(), 1u);
}

TEST_F(DocItems, DeleteKeepsADefaultSlotAndUndoRestoresOnlyTheLastDelete) {
  ASSERT_TRUE(receive(Program("ONE", 1)));
  ASSERT_TRUE(receive(Program("TWO", 2)));
  ASSERT_TRUE(receive(FileList('1', 2)));
  DWORD deleted = 7;
  EXPECT_TRUE(ops().RemoveItem("\\Calculator\\Program\\Program_00001025", &deleted, TRUE));
  EXPECT_TRUE(deleted);
  EXPECT_TRUE(ops().RemoveItem("\\Calculator\\Program\\Program_00001026", &deleted, TRUE));
  EXPECT_EQ(doc.tree.count("\\Calculator\\Program\\Program_00001026"), 0u);
  EXPECT_TRUE(doc.undo.Undo());
  EXPECT_FALSE(doc.undo.CanUndo());
  EXPECT_EQ(doc.children("\\Calculator\\Program"), std::vector<std::string>{"Program_00001027=TWO"});
  EXPECT_EQ(doc.shown.back(), "\\Calculator\\Program\\Program_00001027");

  // A default slot keeps its node, without data; a receive empties Undo.
  CQXDocEntry slot;
  auto* list = new CQXListItem;
  list->SetListNumber('1');
  list->GetValues().SetSize(2, 1);
  slot.SetItem(list);
  slot.SetPath("\\Calculator\\List\\List1");
  ASSERT_TRUE(doc.SaveItem(&slot, nullptr));
  EXPECT_TRUE(ops().RemoveItem("\\Calculator\\List\\List1", &deleted, TRUE));
  EXPECT_FALSE(deleted);
  OrvoNodeInfo info;
  EXPECT_TRUE(doc.store.GetNodeInfo("\\Calculator\\List\\List1", &info));
  EXPECT_FALSE(ops().HasData("\\Calculator\\List\\List1"));
  EXPECT_TRUE(doc.undo.CanUndo());
  doc.undo.Clear();  // what the document does before a receive
  EXPECT_FALSE(doc.undo.CanUndo());
}

TEST_F(DocItems, UndoKeepsItsRecordWhenTheItemCannotBeFiledAgain) {
  ASSERT_TRUE(receive(Program("ONE", 1)));
  ASSERT_TRUE(ops().RemoveItem("\\Calculator\\Program\\Program_00001025", nullptr, TRUE));
  doc.store.Close();
  EXPECT_FALSE(doc.undo.Undo());
  EXPECT_TRUE(doc.undo.CanUndo());
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_EQ(messages.texts()[0], QStringLiteral("L'insertion des données n'est pas possible."));
}

TEST_F(DocItems, UndoOfAPasteBringsBackWhatItReplaced) {
  // Onto the empty default slot: Undo leaves it empty again.
  doc.select("\\Calculator\\List\\List1", 4005);
  auto pasted = FileList('1', 3);
  EXPECT_TRUE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, std::move(pasted)));
  EXPECT_TRUE(ops().HasData("\\Calculator\\List\\List1"));
  EXPECT_TRUE(doc.undo.Undo());
  EXPECT_FALSE(ops().HasData("\\Calculator\\List\\List1"));

  // Onto a filled slot: the old list comes back.
  EXPECT_TRUE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, FileList('1', 3)));
  {
    OverwriteClicker clicker;
    clicker.buttons = {1};
    EXPECT_TRUE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, FileList('1', 6)));
  }
  EXPECT_TRUE(doc.undo.Undo());
  CQXDocEntry back;
  ASSERT_TRUE(ops().LoadItem("\\Calculator\\List\\List1", &back));
  EXPECT_EQ(static_cast<CQXListItem*>(back.GetItem())->GetValues().GetFirstCount(), 3);
}

TEST_F(DocItems, AllAnsweredInOnePasteHoldsForThatPasteAlone) {
  EXPECT_TRUE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, FileList('1', 3)));
  OverwriteClicker clicker;
  clicker.buttons = {1030, 7};
  EXPECT_TRUE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, FileList('1', 6)));
  EXPECT_FALSE(doc.commands.PasteInto("\\Calculator\\List\\List1", 4005, TRUE, FileList('1', 2)));
  EXPECT_EQ(clicker.questions.size(), 2u);
  EXPECT_FALSE(ops().GetOverwriteAll());
}

TEST_F(DocItems, UndoOfAProgramPasteBringsBackTheProgramOfItsName) {
  ASSERT_TRUE(receive(Program("ABC", 5)));
  ASSERT_TRUE(receive(Program("SEL", 1)));
  doc.select("\\Calculator\\Program\\Program_00001026", 4001);
  {
    OverwriteClicker clicker;
    clicker.buttons = {1};
    EXPECT_TRUE(doc.commands.PasteInto(doc.selection.path, 4001, TRUE, Program("ABC", 9)));
  }
  EXPECT_EQ(doc.children("\\Calculator\\Program").size(), 2u);
  EXPECT_TRUE(doc.undo.Undo());
  // Kept in the order of their names.
  const auto programs = doc.children("\\Calculator\\Program");
  ASSERT_EQ(programs.size(), 2u);
  EXPECT_EQ(programs[1], "Program_00001026=SEL");
  EXPECT_EQ(doc.programText("\\Calculator\\Program\\" + programs[0].substr(0, 16)), "ABC:5");

  // Refused: nothing filed, nothing to undo.
  OverwriteClicker clicker;
  clicker.buttons = {7};
  EXPECT_FALSE(doc.commands.PasteInto("\\Calculator\\Program", 4001, TRUE, Program("ABC", 9)));
  EXPECT_FALSE(doc.undo.CanUndo());
}

TEST_F(DocItems, NewProgramsAreNamedInTurnAndTheCommandsFollowTheTreeFocus) {
  doc.select("\\Calculator\\Program", 4001, 1);
  doc.commands.OnNewEntry();
  doc.select("\\Calculator\\Program", 4001, 1);
  doc.commands.OnNewEntry();
  EXPECT_EQ(doc.children("\\Calculator\\Program"),
            (std::vector<std::string>{"Program_00001025=P0001", "Program_00001026=P0002"}));
  EXPECT_EQ(doc.addFlags.back(), 0x22);

  auto enabled = [&](void (CQXDocCommands::*update)(CCmdUI*)) {
    CCmdUI ui;
    (doc.commands.*update)(&ui);
    return bool(ui.m_bEnabled);
  };
  doc.select("\\Calculator\\Program\\Program_00001025", 4001);
  EXPECT_TRUE(enabled(&CQXDocCommands::OnUpdateEditEntry));
  EXPECT_TRUE(enabled(&CQXDocCommands::OnUpdateNewEntry));
  EXPECT_TRUE(enabled(&CQXDocCommands::OnUpdateEditOrNew));
  EXPECT_FALSE(enabled(&CQXDocCommands::OnUpdateSaveEntry));
  doc.treeFocus = false;
  EXPECT_FALSE(enabled(&CQXDocCommands::OnUpdateEditEntry));
  EXPECT_FALSE(enabled(&CQXDocCommands::OnUpdateNewEntry));
  EXPECT_FALSE(enabled(&CQXDocCommands::OnUpdateEditOrNew));
  EXPECT_TRUE(enabled(&CQXDocCommands::OnUpdateSaveEntry));
}

}  // namespace
