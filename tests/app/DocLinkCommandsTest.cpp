#include "app/QXDocLinkCommands.h"
#include "app/QXSendableItems.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/OrvoStoreNode.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXProgramItem.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
#include "tests/link/SessionMCSTestSupport.h"
#include "tests/support/MessageLog.h"

#include <QCoreApplication>

#include <stdexcept>

using namespace tallix::test;

namespace {

// The document as the Link commands see it: the stand-in item services and
// the state the commands set, with what happened to it.
class FakeLinkHost : public CQXDocLinkHost {
 public:
  explicit FakeLinkHost(FakeDocServices* doc) : doc_(doc) {}

  CQXDocServices* GetLinkDocument() override { return doc_; }
  BOOL IsItemStoreOpen() override { return storeOpen; }
  void ClearUndo() override { ++undoCleared; }
  void ResetOverwriteState() override {
    overwriteAll = FALSE;
    listFileAnswers = false;
    ++resets;
  }
  void SetOverwriteAll(BOOL all) override { overwriteAll = all; }
  int SetBusy(BOOL up) override { return busy += up ? 1 : -1; }
  BOOL ShowSelectedItemView() override {
    ++shown;
    return TRUE;
  }

  BOOL storeOpen = TRUE;
  BOOL overwriteAll = FALSE;
  bool listFileAnswers = false;  // set by a test as a transfer would
  int undoCleared = 0, resets = 0, busy = 0, shown = 0;

 private:
  FakeDocServices* doc_;
};

const Bytes kText = {0xF7, 0x41, 0xFF};
const Bytes kProgram[] = {onWire(programHeader("ABC", 3)), Sim::packet(kText)};

class DocLink : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    writeModelList(
        "[CFX-9850G]\r\nComm=1,0,9600,9600,4\r\n[ALGEBRA FX 2.0]\r\nComm=1,0,38400,38400,5\r\n[NO LINK]\r\nName=x\r\n");
    sim.setReplyDelay(2);
    pump.onPump = [this](int) {
      pcWaits = true;
      QCoreApplication::processEvents();
    };
    app.m_pMainWnd = &mainWindow;
  }

  // Operations that record which one ran and with what, and what the
  // document looked like then.
  CQXDocLinkOperations recording() {
    CQXDocLinkOperations ops;
    auto run = [this](const char* name, BOOL result) {
      calls.push_back(name);
      busyDuring = host.busy;
      overwriteAllDuring = host.overwriteAll;
      // The transfer registers its link and the user answers "all" and a
      // list-file question; then it may fail in any way.
      doc.SetCurrentLink(reinterpret_cast<CQXCalcLink*>(&doc));
      host.overwriteAll = TRUE;
      host.listFileAnswers = true;
      if (transferThrows) throw std::runtime_error("transfer");
      return result;
    };
    ops.receiveNP = [this, run](CQXDocServices*, BOOL backup) { return run(backup ? "backupNP" : "receiveNP", received); };
    ops.receiveMCS = [this, run](CQXDocServices*, BOOL backup) {
      return run(backup ? "backupMCS" : "receiveMCS", received);
    };
    ops.sendNP = [run](CQXDocServices*) { return run("sendNP", TRUE); };
    ops.sendMCS = [run](CQXDocServices*) { return run("sendMCS", TRUE); };
    ops.receiveScreenCopy = [this, run](CQXDocServices*) { return run("screen", received); };
    ops.sendBackupNP = [run](CQXDocServices*, const char* text, CQXDocEntry*) {
      return run((std::string("sendBackupNP ") + text).c_str(), TRUE);
    };
    ops.sendBackupMCS = [run](CQXDocServices*, const char* text, CQXDocEntry*) {
      return run((std::string("sendBackupMCS ") + text).c_str(), TRUE);
    };
    ops.loadBackupFile = [this](CQXDocEntry** out) {
      if (!backupItem) return FALSE;
      *out = new CQXDocEntry;
      (*out)->SetItem(backupItem());
      return TRUE;
    };
    ops.editBackupDescription = [this] {
      calls.push_back("description");
      return TRUE;
    };
    ops.linkSettings = [this](const char* model) { calls.push_back(std::string("settings ") + model); };
    return ops;
  }

  CWinApp app;
  CWnd mainWindow;
  MessageLog messages;
  FakeLinkHost host{&doc};
  std::vector<std::string> calls;
  int busyDuring = -1;
  BOOL overwriteAllDuring = -1;
  BOOL received = TRUE;
  bool transferThrows = false;
  std::function<CQXCalcItem*()> backupItem;
};

TEST_F(DocLink, ReceiveFilesTheProgramAndRefreshesThePaneOnce) {
  calcSends({kProgram[0], kProgram[1], endPacket()});
  sim.start();
  CQXDocLinkCommands commands(&host);
  EXPECT_TRUE(commands.OnCommand(CQXDocLinkCommands::ID_LINK_RECEIVE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  auto program = doc.get("\\Calculator\\Program\\Program");
  ASSERT_TRUE(program && program->GetItem());
  EXPECT_EQ(displayNameOf(*program->GetItem()), "ABC");
  EXPECT_EQ(host.shown, 1);
  EXPECT_EQ(host.busy, 0);
  EXPECT_EQ(host.undoCleared, 1);
  EXPECT_EQ(doc.currentLink, nullptr);
}

// A model whose link entry names the newer protocol receives over 40-byte
// packets.
TEST_F(DocLink, ReceiveOnANewerModelTakesItsPackets) {
  doc.calculatorType = "FXALGEBRA20";
  doc.calculatorName = "ALGEBRA FX 2.0";
  const Bytes matrix = concat({Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}, number9(7)});
  sim.waitUntil([this] { return pcWaits.load(); });
  mcs::startSending(sim, "038400");
  mcs::sendPackets(sim, {mcs::header(6, DWORD(matrix.size()), "MAT_A"), mcs::block(matrix), mcs::endPacket()});
  sim.start();
  CQXDocLinkCommands(&host).OnLinkReceive();
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(doc.get("\\Calculator\\Matrix\\Mat_A"));
  EXPECT_EQ(host.shown, 1);
}

// Backup > Receive takes a backup only: a program ends the transfer with the
// link's message and is not filed.
TEST_F(DocLink, BackupReceiveFilesNoOtherItem) {
  calcSends({kProgram[0]});
  sim.send(kProgram[1]).expect({LINK_CANCEL}).start();
  CQXDocLinkCommands(&host).OnBackupReceive();
  EXPECT_TRUE(sim.finish()) << sim.error();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, CLanguageLibrary::LoadString(10554));
  EXPECT_TRUE(doc.items.empty());
  EXPECT_EQ(host.shown, 0);
}

TEST_F(DocLink, TheModelChoosesTheProtocolAndTheSettingsTheQuestions) {
  CQXDocLinkCommands commands(&host, recording());
  struct Case {
    const char* model;
    UINT command;
    const char* key;
    int setting;
    const char* ran;
    BOOL overwriteAll;
  };
  const Case cases[] = {
      {"CFX-9850G", CQXDocLinkCommands::ID_LINK_RECEIVE, nullptr, 0, "receiveNP", FALSE},
      {"ALGEBRA FX 2.0", CQXDocLinkCommands::ID_LINK_RECEIVE, "Query Rcv Overwrite", 0, "receiveMCS", TRUE},
      {"NO LINK", CQXDocLinkCommands::ID_LINK_RECEIVE, "Query Rcv Overwrite", 1, "receiveNP", FALSE},
      {"CFX-9850G", CQXDocLinkCommands::ID_LINK_SEND, "Query Snd Overwrite", 0, "sendNP", TRUE},
      {"ALGEBRA FX 2.0", CQXDocLinkCommands::ID_LINK_SEND, "Query Rcv Overwrite", 0, "sendMCS", FALSE},
      {"ALGEBRA FX 2.0", CQXDocLinkCommands::ID_BACKUP_RECEIVE, nullptr, 0, "backupMCS", FALSE},
      {"CFX-9850G", CQXDocLinkCommands::ID_BACKUP_RECEIVE, nullptr, 0, "backupNP", FALSE},
      {"ALGEBRA FX 2.0", CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN, "Query Rcv Overwrite", 0, "screen", TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + c.ran);
    AppWriteProfileInt("Settings", "Query Rcv Overwrite", 1);
    AppWriteProfileInt("Settings", "Query Snd Overwrite", 1);
    if (c.key) AppWriteProfileInt("Settings", c.key, c.setting);
    doc.calculatorName = c.model;
    calls.clear();
    ASSERT_TRUE(commands.OnCommand(c.command));
    EXPECT_EQ(calls, std::vector<std::string>{c.ran});
    EXPECT_EQ(overwriteAllDuring, c.overwriteAll);
  }
  doc.calculatorName = "ALGEBRA FX 2.0";
  calls.clear();
  commands.OnCommand(CQXDocLinkCommands::ID_LINK_SETTINGS);
  commands.OnCommand(CQXDocLinkCommands::ID_BACKUP_DESCRIPTION);
  EXPECT_EQ(calls, (std::vector<std::string>{"settings ALGEBRA FX 2.0", "description"}));

  // Without an open item store the document's own commands do nothing; the
  // backup commands work on files of their own.
  host.storeOpen = FALSE;
  calls.clear();
  for (UINT id : {CQXDocLinkCommands::ID_LINK_RECEIVE, CQXDocLinkCommands::ID_LINK_SEND,
                  CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN, CQXDocLinkCommands::ID_BACKUP_RECEIVE})
    commands.OnCommand(id);
  EXPECT_EQ(calls, std::vector<std::string>{"backupMCS"});
  EXPECT_FALSE(CQXDocLinkCommands::IsCommandEnabled(CQXDocLinkCommands::ID_LINK_SEND, FALSE));
  EXPECT_TRUE(CQXDocLinkCommands::IsCommandEnabled(CQXDocLinkCommands::ID_BACKUP_SEND, FALSE));
}

// However a transfer ends, a later paste finds no stale answer and no link
// to cancel; the busy counter is back and the pane is refreshed only after a
// receive that brought something.
TEST_F(DocLink, EveryTransferLeavesNoLinkAndNoAnswers) {
  backupItem = [] { return new CQXBackupV4Item; };
  CQXDocLinkCommands commands(&host, recording());
  for (bool throws : {false, true}) {
    transferThrows = throws;
    for (UINT id = CQXDocLinkCommands::ID_LINK_RECEIVE; id <= CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN; ++id) {
      if (id == CQXDocLinkCommands::ID_LINK_SETTINGS || id == CQXDocLinkCommands::ID_BACKUP_DESCRIPTION) continue;
      SCOPED_TRACE(std::to_string(id) + (throws ? " throws" : ""));
      host.shown = 0;
      if (throws)
        EXPECT_THROW(commands.OnCommand(id), std::runtime_error);
      else
        commands.OnCommand(id);
      EXPECT_EQ(doc.currentLink, nullptr);
      EXPECT_FALSE(host.overwriteAll);
      EXPECT_FALSE(host.listFileAnswers);
      EXPECT_EQ(host.busy, 0);
      const bool refreshes = id == CQXDocLinkCommands::ID_LINK_RECEIVE || id == CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN;
      EXPECT_EQ(host.shown, refreshes && !throws ? 1 : 0);
    }
  }
  EXPECT_EQ(busyDuring, 0);  // the last one, a screen copy, is not counted
  transferThrows = false;
  calls.clear();
  commands.OnLinkReceive();
  EXPECT_EQ(busyDuring, 1);
}

TEST_F(DocLink, ABackupFileGoesOutByItsItemsType) {
  CQXDocLinkCommands commands(&host, recording());
  backupItem = [] { return new CQXBackupV4Item; };
  commands.OnBackupSend();
  backupItem = [] { return new CQXBackupItem; };
  commands.OnBackupSend();
  EXPECT_EQ(calls, (std::vector<std::string>{"sendBackupNP Backup V4", "sendBackupMCS Backup V5"}));
  EXPECT_TRUE(messages.shown.empty());

  calls.clear();
  backupItem = [] { return new CQXProgramItem; };
  commands.OnBackupSend();
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Erreur survenue lors du chargement du fichier.");
  EXPECT_EQ(messages.shown[0].type, UINT(MB_ICONINFORMATION));

  // No file chosen: nothing more.
  messages.shown.clear();
  backupItem = nullptr;
  commands.OnBackupSend();
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(messages.shown.empty());
}

// ---- the items offered for sending

class SendableItems : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXLWIN32.LNG")));
    ASSERT_TRUE(CLanguageLibrary::Load(env.programFile(QStringLiteral("QXLWIN32.LNG"))));
    ASSERT_TRUE(store.Open(nullptr, 0));
  }
  void folder(const std::string& path) {
    OrvoNodeInfo info;
    info.flags = kNodeFolder;
    info.SetPath(path.c_str());
    info.SetDescription(path.substr(path.rfind('\\') + 1).c_str());
    ASSERT_TRUE(store.AddNode(&info)) << path;
  }
  // An item node; with data when `data` is true.
  void item(const std::string& path, const char* description, bool data = true) {
    OrvoNodeInfo info;
    info.SetPath(path.c_str());
    info.SetDescription(description);
    ASSERT_TRUE(store.AddNode(&info)) << path;
    if (!data) return;
    COrvoItemStream stream(&store);
    ASSERT_TRUE(stream.Open(path.c_str(), 2, TRUE));
    stream.Write("x", 1);
  }

  TestEnvironment env;
  COrvoItemStore store;
};

TEST_F(SendableItems, OfferedInTheCalculatorsOrder) {
  std::vector<std::string> paths, texts;
  EXPECT_FALSE(CollectSendableItems(&store, &paths, &texts));

  // Made in an order unlike the offered one.
  for (const char* f : {"", "\\Memory", "\\Picture", "\\Equation", "\\VWin", "\\File", "\\File\\File2", "\\File\\File3",
                        "\\List", "\\Matrix", "\\Program", "\\Y=Data", "\\Y=Data\\Display", "\\Y=Data\\Y=Data",
                        "\\Y=Data\\Sub"})
    folder(std::string("\\Calculator") + f);
  item("\\Calculator\\FMemV5", "FMem V5");
  item("\\Calculator\\FMem", "Mémoires", false);
  item("\\Calculator\\Variable", "Variables");
  item("\\Calculator\\Memory\\GEOMETRY", "GEOMETRY");
  item("\\Calculator\\Picture\\Pict1", "Pict 1");
  item("\\Calculator\\Equation\\DiffEquation", "diff");
  item("\\Calculator\\Equation\\PolyEquation", "poly");
  item("\\Calculator\\Equation\\SimlEquation", "siml");
  item("\\Calculator\\VWin\\V-Win1", "V-Win 1");
  item("\\Calculator\\File\\File2\\List1", "List 1", false);
  item("\\Calculator\\File\\File3\\List2", "List 2");
  item("\\Calculator\\List\\List1", "List 1");
  item("\\Calculator\\Matrix\\MatA", "Mat A");
  item("\\Calculator\\Matrix\\MatB", "Mat B", false);
  item("\\Calculator\\Program\\P0001", "ABC");
  item("\\Calculator\\Y=Data\\Display\\Display_1", "screen");
  item("\\Calculator\\Y=Data\\Y=Data\\Y1", "nested");
  item("\\Calculator\\Y=Data\\Sub\\Y2", "Y2");
  item("\\Calculator\\Y=Data\\Functions", "Fonctions");

  ASSERT_TRUE(CollectSendableItems(&store, &paths, &texts));
  const std::vector<std::string> expectedPaths = {
      "\\Calculator\\Y=Data\\Sub\\Y2",      "\\Calculator\\Y=Data\\Functions",    "\\Calculator\\Program\\P0001",
      "\\Calculator\\Matrix\\MatA",         "\\Calculator\\List\\List1",          "\\Calculator\\File\\File3",
      "\\Calculator\\VWin\\V-Win1",         "\\Calculator\\Equation\\SimlEquation", "\\Calculator\\Equation\\DiffEquation",
      "\\Calculator\\Picture\\Pict1",       "\\Calculator\\Memory\\GEOMETRY",     "\\Calculator\\Variable",
      "\\Calculator\\FMemV5"};
  const std::vector<std::string> expectedTexts = {
      "Y2",     "Fonctions", "Programme \"ABC\"", "Mat A",    "List 1",     "Fichier de listage 3",
      "V-Win 1", "Equations", "Equations diff\xE9rentielles", "Pict 1", "GEOMETRY", "Variables", "FMem V5"};
  EXPECT_EQ(paths, expectedPaths);
  EXPECT_EQ(texts, expectedTexts);
}

}  // namespace
