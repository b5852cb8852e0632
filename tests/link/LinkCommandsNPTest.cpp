#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "link/BackupFiles.h"
#include "link/LinkCommandsNP.h"
#include "link/SendSelection.h"
#include "link/SendSelectionDialog.h"
#include "link/TransferProgress.h"
#include "platform/WinApp.h"
#include "tests/link/SessionTestSupport.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tallix::test;

namespace {

const Bytes kText = {0xF7, 0x41, 0xFF};
const Bytes kProgram[] = {onWire(programHeader("ABC", 3)), Sim::packet(kText)};

Bytes value(unsigned row, unsigned column, unsigned long long digits) {
  return valueRecord(row, column, number(digits, 0));
}

CQXListItem* list(const std::string& name, const std::string& group, unsigned long long digits) {
  auto* item = new CQXListItem;
  EXPECT_TRUE(item->ParseHeader(valHeader("LT", 1, 1, name, group).data(), 50));
  EXPECT_TRUE(item->GetValues().SetCellFromRecord(value(1, 1, digits).data(), 14));
  return item;
}

template <class T>
T* equation(unsigned long long digits) {
  auto* item = new T;
  EXPECT_TRUE(item->GetValues().SetSize(1, 2));
  EXPECT_TRUE(item->GetValues().SetCellFromRecord(value(1, 1, digits).data(), 14));
  EXPECT_TRUE(item->GetValues().SetCellFromRecord(value(1, 2, digits).data(), 14));
  return item;
}

std::string field(const Bytes& header, size_t offset, size_t length) {
  return std::string(header.begin() + long(offset), header.begin() + long(offset + length));
}

// A command against the simulator, with the main window and the progress
// dialog as the program has them; the link's waits run Qt's event loop.
class CommandsNP : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
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
    SessionFixture::TearDown();
  }
  void shortenTimeouts(DWORD ms) {
    LinkTimings t = fastTimings();
    t.readTimeout = t.requestTimeout = ms;
    SetLinkTimings(t);
  }
  void offer(const std::string& path, const std::string& text) { doc.sendable.emplace_back(path, text); }
  // The calculator as receiver takes a header and answers 0x06.
  void takesHeader() { sim.expectHeaderNP().send({LINK_ACK}); }
  void takesValue() { sim.expectPacket(14).send({LINK_ACK}); }

  CWinApp app;
  CWnd mainWindow;
  MessageLog messages;
  std::function<void()> duringTransfer;
  SendSelectionQuery previousSelection;
};

TEST_F(CommandsNP, ReceivedItemsAreFiledBehindTheProgressDialog) {
  calcSends({kProgram[0], kProgram[1], onWire(valHeader("MT", 1, 1, "Mat B")), Sim::packet(value(1, 1, 5)),
             endPacket()});
  sim.start();
  bool shown = false;
  duringTransfer = [&] {
    CQXTransferProgress* progress = GetTransferProgressNP();
    if (!progress) return;
    CQXTransferProgressDialog* dialog = progress->GetDialog();
    // The main window is disabled, the dialog and its "Annuler" are not.
    shown = shown || (dialog->isVisible() && !mainWindow.isEnabled() && dialog->GetDlgItem(IDCANCEL)->isEnabled() &&
                      doc.currentLink != nullptr);
  };
  EXPECT_TRUE(LinkReceiveNP(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(shown);
  EXPECT_TRUE(mainWindow.isEnabled());
  EXPECT_EQ(GetTransferProgressNP(), nullptr);
  EXPECT_EQ(doc.currentLink, nullptr);
  ASSERT_EQ(doc.items.size(), 2u);
  auto program = doc.get("\\Calculator\\Program\\Program");
  ASSERT_TRUE(program && program->GetItem());
  EXPECT_EQ(displayNameOf(*program->GetItem()), "ABC");
  EXPECT_TRUE(doc.get("\\Calculator\\Matrix\\MatB"));
}

// The command itself ends the receive after a whole item: the calculator,
// still owed its 0x06, is told with 0x18.
TEST_F(CommandsNP, AnItemTheCommandRefusesEndsWithOneMessageAndACancelByte) {
  struct Case {
    const char* name;
    std::function<BOOL(CQXDocServices*)> command;
    UINT message;
  };
  const Case cases[] = {
      {"backup only", [](CQXDocServices* d) { return LinkReceiveNP(d, TRUE); }, 10554},
      {"screen copy", [](CQXDocServices* d) { return LinkReceiveScreenCopy(d); }, 10555},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CalcSimulator calc;
    pointComAt(kPort, calc.devicePath());
    pcWaits = false;
    calc.setReplyDelay(2);
    calc.waitUntil([this] { return pcWaits.load(); }).send({LINK_REQUEST}).expect({LINK_READY});
    calc.send(kProgram[0]).expect({LINK_ACK}).send(kProgram[1]).expect({LINK_CANCEL}).expectSilence(50);
    calc.start();
    messages.shown.clear();
    EXPECT_TRUE(c.command(&doc));
    EXPECT_TRUE(calc.finish()) << calc.error();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, CLanguageLibrary::LoadString(c.message));
    EXPECT_EQ(messages.shown[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_TRUE(doc.items.empty());
  }
}

TEST_F(CommandsNP, CancelDuringAReceiveKeepsWhatArrivedAndShowsNothing) {
  calcSends({kProgram[0]});
  sim.send(kProgram[1]).expect({LINK_CANCEL}).start();
  duringTransfer = [&] {
    CQXTransferProgress* progress = GetTransferProgressNP();
    if (!progress || doc.items.empty()) return;
    duringTransfer = nullptr;
    QTest::mouseClick(progress->GetDialog()->GetDlgItemAs<QPushButton>(IDCANCEL), Qt::LeftButton);
  };
  EXPECT_TRUE(LinkReceiveNP(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(doc.items.size(), 1u);
  EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(CommandsNP, EachFailureShowsExactlyOneMessage) {
  // No device behind the COM number.
  pointComAt(9, "/nonexistent/tty");
  EXPECT_FALSE(LinkReceiveNP(&doc, FALSE));
  EXPECT_EQ(messages.texts(), std::vector<QString>{"L'interface sériel 9 n'a pas pu être ouvert."});

  // The calculator never asks.
  pointComAt(kPort, sim.devicePath());
  shortenTimeouts(150);
  messages.shown.clear();
  EXPECT_FALSE(LinkReceiveNP(&doc, FALSE));
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::LoadString(10553)});

  // The calculator falls silent inside a data packet. The PC's reads wait
  // long enough here that only that silence ends one, however slowly the
  // simulator runs.
  LinkTimings silence = fastTimings();
  silence.readTimeout = 1000;
  SetLinkTimings(silence);
  const Bytes half(kProgram[1].begin(), kProgram[1].begin() + 2);
  pcWaits = false;
  calcSends({kProgram[0]});
  sim.send(half).expect({LINK_ERROR}).start();
  messages.shown.clear();
  EXPECT_FALSE(LinkReceiveNP(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::LoadString(10561)});
  EXPECT_TRUE(doc.items.empty());
}

TEST_F(CommandsNP, ACancelledSelectionSendsNothing) {
  offer("\\Calculator\\Program\\P1", "Programme \"ABC\"");
  SetSendSelectionQuery(nullptr);  // the program's own dialog
  QString shownItem;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CQXSendSelectionDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shownItem = dialog->GetDlgItemAs<QListWidget>(CQXSendSelectionDialog::IDC_LIST)->item(0)->text();
    QTest::mouseClick(dialog->GetDlgItemAs<QPushButton>(IDCANCEL), Qt::LeftButton);
  });
  sim.expectSilence(100).start();
  EXPECT_FALSE(LinkSendNP(&doc));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(shownItem, "Programme \"ABC\"");
  EXPECT_TRUE(sim.received().empty());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandsNP, AReceivedBackupIsOfferedForABackupFile) {
  Bytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i);
  calcSends({onWire(memHeader("BU", 300, "BACKUP")), Sim::packet(data)});
  sim.expectSilence(50).start();
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("calc.qxm"));
  bool transferOver = false;
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& d) {
    transferOver = GetTransferProgressNP() == nullptr && mainWindow.isEnabled();
    chooseFile(d, file);
  });
  EXPECT_TRUE(LinkReceiveNP(&doc, FALSE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(script.shown, 1);
  EXPECT_TRUE(transferOver);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(doc.items.empty());
  CQXDocEntry* loaded = nullptr;
  ASSERT_TRUE(ReadBackupFile(file.toLocal8Bit().constData(), &loaded));
  std::unique_ptr<CQXDocEntry> entry(loaded);
  auto* backup = dynamic_cast<CQXBackupV4Item*>(entry->GetItem());
  ASSERT_NE(backup, nullptr);
  Bytes back(300);
  ASSERT_TRUE(backup->GetBytes(back.data(), int(back.size())));
  EXPECT_EQ(back, data);
}

TEST_F(CommandsNP, ABackupGoesOutWithoutTheEnd) {
  Bytes data(300, 0x5A);
  CQXDocEntry entry;
  auto* backup = new CQXBackupV4Item;
  entry.SetItem(backup);
  ASSERT_TRUE(backup->ParseHeader(memHeader("BU", 300, "BACKUP").data(), 50));
  ASSERT_TRUE(backup->SetBytes(data.data(), int(data.size())));
  calcListens();
  takesHeader();
  sim.expectPacket(300).send({LINK_ACK}).expectSilence(100).start();
  EXPECT_TRUE(LinkSendBackupNP(&doc, "Backup V4", &entry));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(entry.GetItem(), backup);  // still the caller's
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandsNP, AListFileGoesOutWithItsSixListsThenTheEnd) {
  doc.put("\\Calculator\\File\\File2\\List1", list("List 1", "File 2", 1));
  doc.put("\\Calculator\\File\\File2\\List3", list("List 3", "File 2", 3));
  offer("\\Calculator\\File\\File2", "Fichier de listage 2");
  calcListens();
  for (int n = 1; n <= 6; ++n) {
    takesHeader();
    if (n == 1 || n == 3) takesValue();
  }
  sim.expectHeaderNP().start();
  EXPECT_TRUE(LinkSendNP(&doc));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  const std::vector<Bytes> packets = sim.packets();
  ASSERT_EQ(packets.size(), 9u);
  std::string numbers;
  for (const Bytes& p : packets) {
    if (p.size() != 50) continue;
    if (field(p, 1, 3) == "END") break;
    EXPECT_EQ(field(p, 19, 6), "File 2");
    numbers += field(p, 11, 6) + ",";
  }
  EXPECT_EQ(numbers, "List 1,List 2,List 3,List 4,List 5,List 6,");
  EXPECT_EQ(packets.back(), endPacket());
}

TEST_F(CommandsNP, AnEquationGoesOutAsBothKindsSimultaneousFirst) {
  doc.put("\\Calculator\\Equation\\PolyEquation", equation<CQXPolyEquationItem>(4));
  offer("\\Calculator\\Equation\\PolyEquation", "Equations");
  calcListens();
  takesHeader();  // the empty simultaneous equation: no values
  takesHeader();
  takesValue();
  takesValue();
  sim.expectHeaderNP().start();
  EXPECT_TRUE(LinkSendNP(&doc));
  EXPECT_TRUE(sim.finish()) << sim.error();
  const std::vector<Bytes> packets = sim.packets();
  ASSERT_EQ(packets.size(), 5u);
  EXPECT_EQ(field(packets[0], 5, 2), "SE");
  EXPECT_EQ(packets[0][8], 0);  // no rows
  EXPECT_EQ(field(packets[1], 5, 2), "PE");
  EXPECT_EQ(packets.back(), endPacket());
  EXPECT_TRUE(messages.shown.empty());
}

// The equation that was not chosen goes out as the document holds it, so
// that the calculator's copy is not replaced by an empty one.
TEST(AddCompanionItems, TheOtherEquationComesFromTheDocument) {
  FakeDocServices doc;
  doc.put("\\Calculator\\Equation\\SimlEquation", equation<CQXSimlEquationItem>(1));
  doc.put("\\Calculator\\Equation\\PolyEquation", equation<CQXPolyEquationItem>(2));
  CQXDocEntryArray entries;
  ASSERT_TRUE(doc.LoadItemsAt("\\Calculator\\Equation\\SimlEquation", &entries));
  AddCompanionItems("\\Calculator\\Equation\\SimlEquation", &entries, &doc);
  ASSERT_EQ(entries.size(), 2u);
  auto* polynomial = dynamic_cast<CQXPolyEquationItem*>(entries[1]->GetItem());
  ASSERT_NE(polynomial, nullptr);
  EXPECT_EQ(polynomial->GetValues().GetSecondCount(), 2);

  // Another folder gets nothing added.
  CQXDocEntryArray programs;
  AddCompanionItems("\\Calculator\\Program\\P1", &programs, &doc);
  EXPECT_TRUE(programs.empty());
}

TEST(TransferProgressDialog, TheByteCountIsGroupedByThreeWithDots) {
  TestEnvironment env;
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXLWIN32.LNG")));
  ASSERT_TRUE(CLanguageLibrary::Load(env.programFile(QStringLiteral("QXLWIN32.LNG"))));
  CQXReceiveProgressDialog dialog(nullptr);
  ASSERT_TRUE(dialog.Create(static_cast<QWidget*>(nullptr)));
  auto* count = dialog.GetDlgItemAs<QLabel>(CQXTransferProgressDialog::IDC_BYTE_COUNT);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->text(), "0");
  const std::pair<DWORD, const char*> cases[] = {
      {999, "999"}, {1000, "1.000"}, {12345, "12.345"}, {1234567, "1.234.567"}};
  for (const auto& [n, text] : cases) {
    dialog.SetByteCount(n);
    EXPECT_EQ(count->text(), text);
  }
  dialog.DestroyWindow();
}

}  // namespace
