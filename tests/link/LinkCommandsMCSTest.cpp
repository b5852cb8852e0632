#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "link/BackupFiles.h"
#include "link/LinkCommandsMCS.h"
#include "link/SendSelection.h"
#include "link/TransferProgress.h"
#include "platform/WinApp.h"
#include "tests/link/SessionMCSTestSupport.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tallix::test;

namespace {

using mcs::block;
using mcs::header;

// A 1 x 1 matrix "MAT_A" as the calculator sends it.
const Bytes kMatrixBlock = concat({Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}, number9(7)});
const Bytes kMatrix[] = {header(6, 25, "MAT_A"), block(kMatrixBlock)};

Bytes fmem(int n, DWORD size) { return header(4, size, std::string("FMEM") + char(n), "FMEM"); }

// A command against the simulator, with the main window and the progress
// dialog as the program has them; the link's waits run Qt's event loop.
class CommandsMCS : public SessionMCSFixture {
 protected:
  void SetUp() override {
    SessionMCSFixture::SetUp();
    sim.setReplyDelay(2);
    pump.onPump = [this](int) {
      pcWaits = true;
      QCoreApplication::processEvents();
      if (duringTransfer) duringTransfer();
    };
    app.m_pMainWnd = &mainWindow;
    mainWindow.show();
    // The user sends everything offered.
    previousSelection = SetSendSelectionQuery([](std::vector<std::string>*) { return TRUE; });
  }
  void TearDown() override {
    SetSendSelectionQuery(previousSelection);
    SessionMCSFixture::TearDown();
  }

  CWinApp app;
  CWnd mainWindow;
  MessageLog messages;
  std::function<void()> duringTransfer;
  SendSelectionQuery previousSelection;
};

// The three memories merge into the document's function memory, which is
// written once; the memory it held before stays.
TEST_F(CommandsMCS, ReceivedItemsAreFiledAndMemoriesMergeOnce) {
  auto* held = new CQXFuncMemV5Item;
  const BYTE text[] = {'Z', 0};
  held->GetEntry(3)->SetBytes(text, 2);
  doc.put("\\Calculator\\FMemV5", held);
  doc.savedPaths.clear();
  calcSends({kMatrix[0], kMatrix[1], fmem(1, 3), block({'X', '+', 0}), fmem(2, 0), fmem(3, 2), block({'Y', 0}),
             header(0x31, 2, "MAIN", "GEOMETRY"), block({4, 5}), mcs::endPacket()});
  sim.start();
  EXPECT_TRUE(LinkReceiveMCS(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(GetTransferProgressMCS(), nullptr);
  const std::vector<std::string> saved = {"\\Calculator\\Matrix\\Mat_A", "\\Calculator\\FMemV5",
                                          "\\Calculator\\Memory\\GEOMETRY"};
  EXPECT_EQ(doc.savedPaths, saved);
  auto memories = doc.get("\\Calculator\\FMemV5");
  ASSERT_TRUE(memories);
  auto* item = dynamic_cast<CQXFuncMemV5Item*>(memories->GetItem());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetEntry(0)->GetLength(), 2u);
  EXPECT_EQ(item->GetEntry(2)->GetLength(), 1u);
  EXPECT_EQ(item->GetEntry(3)->GetLength(), 1u);
}

TEST_F(CommandsMCS, EndAloneShowsNothing) {
  calcSends({mcs::endPacket()});
  sim.expectSilence(50).start();
  EXPECT_FALSE(LinkReceiveMCS(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
}

// The command itself ends the receive after a whole item: the calculator,
// still owed its 0x06, is told with 0x18, after the pause before an answer.
TEST_F(CommandsMCS, AnItemTheCommandRefusesEndsWithOneMessageAndACancelByte) {
  struct Case {
    const char* name;
    BOOL backupOnly;
    BOOL saves;
    std::vector<Bytes> packets;  // then 0x18
    UINT message;
  };
  const Case cases[] = {
      {"backup only", TRUE, TRUE, {kMatrix[0], kMatrix[1]}, 10554},
      {"cannot insert", FALSE, FALSE, {kMatrix[0], kMatrix[1]}, 10513},
      // A data-logger set-up has no folder here; its end shows in the next header.
      {"no folder", FALSE, TRUE, {header(0xFE, 2, "SETUP", "E-CON"), block({1, 2}), kMatrix[0]}, 10555},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The first case with a pause long enough to tell from the line's delay.
    LinkTimings timings = fastTimings();
    if (&c == cases) timings.pendingAnswerPauseMCS = 300;
    SetLinkTimings(timings);
    CalcSimulator calc;
    pointComAt(kPort, calc.devicePath());
    pcWaits = false;
    calc.setReplyDelay(2);
    calc.waitUntil([this] { return pcWaits.load(); });
    mcs::startSending(calc);
    mcs::sendPackets(calc, std::vector<Bytes>(c.packets.begin(), c.packets.end() - 1));
    calc.send(c.packets.back());
    if (&c == cases) calc.expectSilence(60);
    calc.expect({LINK_CANCEL}).expectSilence(50);
    calc.start();
    messages.shown.clear();
    doc.saveSucceeds = c.saves;
    EXPECT_TRUE(LinkReceiveMCS(&doc, c.backupOnly));
    EXPECT_TRUE(calc.finish()) << calc.error();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, CLanguageLibrary::LoadString(c.message));
    EXPECT_TRUE(doc.items.empty());
  }
}

// A cancel while an item arrives (its answer still to go out) tells the
// calculator once.
TEST_F(CommandsMCS, CancelWhileAnItemArrivesSendsOneCancelByte) {
  calcSends({});
  sim.send(kMatrix[0]).expect({LINK_CANCEL}).expectSilence(50).start();
  duringTransfer = [&] {
    CQXTransferProgress* progress = GetTransferProgressMCS();
    auto* text = progress ? progress->GetDialog()->GetDlgItemAs<QLabel>(CQXTransferProgressDialog::IDC_ITEM_TEXT)
                          : nullptr;
    if (!text || !text->text().startsWith(QLatin1String("Matrice"))) return;
    duringTransfer = nullptr;
    QTest::mouseClick(progress->GetDialog()->GetDlgItemAs<QPushButton>(IDCANCEL), Qt::LeftButton);
  };
  EXPECT_FALSE(LinkReceiveMCS(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandsMCS, AFailureShowsItsMessage) {
  calcSends({}, "019200");
  sim.expect({LINK_CANCEL}).start();
  EXPECT_FALSE(LinkReceiveMCS(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::LoadString(10556)});
}

TEST_F(CommandsMCS, AReceivedBackupIsOfferedForABackupFile) {
  calcSends({mcs::backupHeader(4, "RAM"), block({1, 2, 3, 4}), mcs::backupHeader(2, "ROM"), block({5, 6}),
             mcs::endPacket()});
  sim.expectSilence(50).start();
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("calc.qxm"));
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& d) { chooseFile(d, file); });
  EXPECT_TRUE(LinkReceiveMCS(&doc, TRUE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(script.shown, 1);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(doc.items.empty());
  CQXDocEntry* loaded = nullptr;
  ASSERT_TRUE(ReadBackupFile(file.toLocal8Bit().constData(), &loaded));
  std::unique_ptr<CQXDocEntry> entry(loaded);
  auto* backup = dynamic_cast<CQXBackupItem*>(entry->GetItem());
  ASSERT_NE(backup, nullptr);
  ASSERT_EQ(backup->GetBlockList().GetCount(), 2);
  EXPECT_EQ(backup->GetBlockList().GetAt(1)->GetLength(), 2u);
}

TEST_F(CommandsMCS, ChosenItemsGoOutThenTheEnd) {
  auto* matrix = new CQXMatrixV5Item;
  matrix->SetName("MAT_A");
  ASSERT_TRUE(ReadNumericBlock(*matrix, kMatrixBlock.data(), DWORD(kMatrixBlock.size())));
  doc.put("\\Calculator\\Matrix\\Mat_A", matrix);
  doc.sendable.emplace_back("\\Calculator\\Matrix\\Mat_A", "Matrice A");
  mcs::startReceiving(sim);
  sim.expect(kMatrix[0]).send({LINK_ACK}).expect(kMatrix[1]).send({LINK_ACK}).expect(mcs::endPacket());
  sim.start();
  EXPECT_TRUE(LinkSendMCS(&doc));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandsMCS, ABackupGoesOutAsReceivedThenTheEnd) {
  const Bytes members[] = {mcs::backupHeader(4, "RAM"), block({1, 2, 3, 4}), mcs::backupHeader(2, "ROM"), block({5, 6})};
  CQXDocEntry entry;
  auto* backup = new CQXBackupItem;
  entry.SetItem(backup);
  backup->GetBlockList().AddBlock(members[0].data(), 40, members[1].data() + 1, 4);
  backup->GetBlockList().AddBlock(members[2].data(), 40, members[3].data() + 1, 2);
  mcs::startReceiving(sim);
  for (const Bytes& p : members) sim.expect(p).send({LINK_ACK});
  sim.expect(mcs::endPacket()).start();
  EXPECT_TRUE(LinkSendBackupMCS(&doc, "", &entry));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(entry.GetItem(), backup);  // still the caller's
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
