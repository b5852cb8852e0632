// The Link menu from the program's own window: the application object
// starts as the program does, the simulated calculator sits on COM 7, and
// every command comes from its key on the main window. The modal dialogs
// the commands run are answered by clicking their buttons.
#include "app/QXApp.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "link/BackupFiles.h"
#include "link/LinkCommandsNP.h"
#include "link/OverwriteDialog.h"
#include "link/SendSelectionDialog.h"
#include "link/TransferProgress.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXNumericPages.h"
#include "pages/QXPageView.h"
#include "pages/QXViewTable.h"
#include "tests/link/SessionMCSTestSupport.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <deque>

using namespace tallix::test;

namespace {

// Answers the modal dialogs that show while a command runs: each one gets
// the next step, which names the dialog it expects by its template. A dialog
// out of turn is recorded and cancelled, so that no test hangs; the
// progress dialogs are left alone.
class ModalAnswers {
 public:
  using Action = std::function<void(CDialog&)>;

  ModalAnswers() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(5);
  }
  void then(UINT templateId, Action action) { steps_.push_back({templateId, std::move(action)}); }
  // Clicks the button of the control id.
  void thenClick(UINT templateId, int button) {
    then(templateId, [button](CDialog& d) { QTest::mouseClick(d.GetDlgItemAs<QPushButton>(button), Qt::LeftButton); });
  }

  std::vector<UINT> shown;  // the templates of the dialogs answered, in turn

 private:
  struct Step {
    UINT templateId;
    Action action;
  };
  void poll() {
    auto* dialog = dynamic_cast<CDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || dialog == answered_) return;
    const UINT id = dialog->GetTemplateId();
    if (id == CQXReceiveProgressDialog::kTemplateId || id == CQXSendProgressDialog::kTemplateId) return;
    answered_ = dialog;
    shown.push_back(id);
    if (steps_.empty() || steps_.front().templateId != id) {
      dialog->EndDialog(IDCANCEL);
      return;
    }
    const Action action = std::move(steps_.front().action);
    steps_.pop_front();
    action(*dialog);
  }

  QTimer timer_;
  std::deque<Step> steps_;
  QPointer<CDialog> answered_;
};

const Bytes kText = {0xF7, 0x41, 0xFF};
const Bytes kOtherText = {0xF7, 0x42, 0xFF};

void programPackets(const char* name, const Bytes& text, std::vector<Bytes>* out) {
  out->push_back(onWire(programHeader(name, DWORD(text.size()))));
  out->push_back(Sim::packet(text));
}

class MainWindowLink : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    for (const char* name : {"QXGraph.lst", "QXL2.fon", "QXL2.ttf"})
      ASSERT_TRUE(env.copyFromBuild(QLatin1String(name))) << name;
    AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
    pump.onPump = [this](int) {
      pcWaits = true;
      QCoreApplication::processEvents();
      if (duringTransfer) duringTransfer();
    };
    // The right pane shows the page views, as in the program.
    RegisterQXPageClasses();
    CQXDoc::SetSelectionViewFunction(&ShowSelectionView);
    app.SetArguments({QStringLiteral("QXLWIN32")});
    ASSERT_TRUE(app.InitInstance());
    frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd.data());
    ASSERT_TRUE(frame);
    QApplication::setActiveWindow(frame);
    QCoreApplication::processEvents();
    ASSERT_TRUE(document());
    std::string model;
    document()->GetCalculatorName(&model);
    ASSERT_EQ(model, "CFX-9850G");
  }
  void TearDown() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CQXDoc::SetSelectionViewFunction(nullptr);
    SessionFixture::TearDown();
  }

  CQXDoc* document() const { return qobject_cast<CQXDoc*>(frame->GetActiveDocument()); }
  // The key goes to the main window; the command runs before it returns.
  void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(frame, key, modifiers);
    QCoreApplication::processEvents();
  }
  // A calculator of its own for each transfer, on COM 7.
  CalcSimulator& calculator() {
    calc_ = std::make_unique<CalcSimulator>();
    calc_->setReplyDelay(2);
    pointComAt(kPort, calc_->devicePath());
    pcWaits = false;
    return *calc_;
  }
  // The calculator's request once the PC listens, then each packet after
  // the PC's 0x06 for the one before.
  CalcSimulator& sending(const std::vector<Bytes>& packets) {
    CalcSimulator& calc = calculator();
    calc.waitUntil([this] { return pcWaits.load(); }).send({LINK_REQUEST}).expect({LINK_READY});
    for (const Bytes& p : packets) {
      calc.send(p);
      if (p != endPacket()) calc.expect({LINK_ACK});
    }
    return calc;
  }
  // The calculator sends the packets; the key starts the receive.
  void receive(const std::vector<Bytes>& packets, Qt::Key key = Qt::Key_F5,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    CalcSimulator& calc = sending(packets);
    calc.start();
    press(key, modifiers);
    EXPECT_TRUE(calc.finish()) << calc.error();
  }
  std::vector<std::string> sendable(std::vector<std::string>* texts = nullptr) {
    std::vector<std::string> paths, names;
    document()->CollectSendableItems(&paths, &names);
    if (texts) *texts = names;
    return paths;
  }
  // The text of the program filed at `path`, empty when there is none.
  Bytes programText(const std::string& path) {
    CQXDocEntry entry;
    auto* program = document()->LoadItem(path.c_str(), &entry) ? dynamic_cast<CQXProgramItem*>(entry.GetItem()) : nullptr;
    if (!program) return {};
    Bytes text(program->GetLength());
    program->GetDataBlock(text.data(), int(text.size()));
    return text;
  }
  // The path of the program shown as `name`, with its tree entry.
  std::string programPath(const char* name, HTREEITEM* entry = nullptr) {
    std::vector<std::string> texts;
    const std::vector<std::string> paths = sendable(&texts);
    for (size_t i = 0; i < paths.size(); ++i) {
      if (texts[i] != std::string("Programme \"") + name + "\"") continue;
      if (entry) *entry = document()->GetTreeView()->FindPath(paths[i].c_str());
      return paths[i];
    }
    return {};
  }

  CQXApp app;
  QPointer<CQXMainFrame> frame;
  MessageLog messages;
  ModalAnswers dialogs;
  std::function<void()> duringTransfer;
  std::unique_ptr<CalcSimulator> calc_;
};

// F5 files a program under "Programmes"; Ctrl+S keeps it; after reopening,
// F6 sends it back: its header and data as the calculator expects them,
// and the calculator's "exists" asks or not as the setting says.
TEST_F(MainWindowLink, ReceiveSaveReopenAndSendBack) {
  std::vector<Bytes> packets;
  programPackets("ABC", kText, &packets);
  packets.push_back(endPacket());
  receive(packets);
  EXPECT_TRUE(messages.shown.empty());
  HTREEITEM entry = nullptr;
  const std::string path = programPath("ABC", &entry);
  ASSERT_TRUE(entry) << path;
  ASSERT_TRUE(entry->parent());
  EXPECT_EQ(entry->parent()->text(0), QStringLiteral("Programmes"));
  EXPECT_EQ(programText(path), kText);
  EXPECT_EQ(document()->GetBusyCount(), 0);
  EXPECT_EQ(document()->GetCurrentLink(), nullptr);
  EXPECT_TRUE(frame->isEnabled());

  const QString file = env.dataFile(QStringLiteral("received.qxd"));
  {
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) { chooseFile(d, file); });
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(script.shown, 1);
  }
  ASSERT_FALSE(document()->IsModified());
  ASSERT_TRUE(document()->OnNewDocument());
  ASSERT_TRUE(sendable().empty());
  ASSERT_TRUE(app.OpenDocumentFile(file));
  QCoreApplication::processEvents();
  ASSERT_EQ(programPath("ABC"), path);
  EXPECT_EQ(programText(path), kText);

  // The bytes the calculator takes, worked out from the header layout:
  // "TXT", 0, "PG", the text length + 2, the name padded with 0xFF, no
  // group and no password, "NL", 0xFF to the end, the checksum; then the
  // text as one data packet, and "END".
  const Bytes header = {0x3A, 'T',  'X',  'T',  0x00, 'P',  'G',  0x00, 0x00, 0x00, 0x05, 'A',  'B',
                        'C',  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'N',  'L',  0xFF, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x25};
  const Bytes data = {0x3A, 0xF7, 0x41, 0xFF, 0xC9};
  Bytes end(50, 0xFF);
  end[0] = 0x3A;
  end[1] = 'E';
  end[2] = 'N';
  end[3] = 'D';
  end[49] = 0x56;

  for (int question : {1, 0}) {
    SCOPED_TRACE(question);
    AppWriteProfileInt("Settings", "Query Snd Overwrite", question);
    QStringList offered;
    dialogs.then(CQXSendSelectionDialog::kTemplateId, [&](CDialog& d) {
      auto* list = d.GetDlgItemAs<QListWidget>(CQXSendSelectionDialog::IDC_LIST);
      for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
      list->item(0)->setCheckState(Qt::Checked);
      QTest::mouseClick(d.GetDlgItemAs<QPushButton>(IDOK), Qt::LeftButton);
    });
    if (question) dialogs.thenClick(CQXOverwriteDialog::kTemplateId, IDOK);
    CalcSimulator& calc = calculator();
    calc.expect({LINK_REQUEST}).send({LINK_READY});
    calc.expectHeaderNP().send({LINK_EXISTS}).expect({LINK_ACK}).send({LINK_ACK});
    calc.expectPacket(kText.size()).send({LINK_ACK}).expectHeaderNP();
    calc.start();
    dialogs.shown.clear();
    press(Qt::Key_F6);
    EXPECT_TRUE(calc.finish()) << calc.error();
    EXPECT_EQ(offered, QStringList{QStringLiteral("Programme \"ABC\"")});
    std::vector<UINT> expectedDialogs = {CQXSendSelectionDialog::kTemplateId};
    if (question) expectedDialogs.push_back(CQXOverwriteDialog::kTemplateId);
    EXPECT_EQ(dialogs.shown, expectedDialogs);
    EXPECT_EQ(calc.packets(), (std::vector<Bytes>{header, data, end}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(document()->GetCurrentLink(), nullptr);
  }
}

// "Query Rcv Overwrite" 1 asks before a received item replaces one of the
// same name: "Non" keeps it, "Toutes" answers for the whole transfer; 0
// replaces without a question.
TEST_F(MainWindowLink, ReceivedItemsReplaceTheirNamesakesAsTheUserAnswers) {
  AppWriteProfileInt("Settings", "Query Rcv Overwrite", 1);
  auto twoPrograms = [](const Bytes& text) {
    std::vector<Bytes> packets;
    programPackets("ABC", text, &packets);
    programPackets("XYZ", text, &packets);
    packets.push_back(endPacket());
    return packets;
  };
  receive(twoPrograms(kText));
  EXPECT_TRUE(dialogs.shown.empty());
  const std::string abc = programPath("ABC"), xyz = programPath("XYZ");
  ASSERT_FALSE(abc.empty());
  ASSERT_FALSE(xyz.empty());

  // "Non" keeps the program as it was.
  bool iconShown = false;
  dialogs.then(CQXOverwriteDialog::kTemplateId, [&](CDialog& d) {
    const auto* icon = d.GetDlgItemAs<QLabel>(CQXOverwriteDialog::IDC_KIND_ICON);
    iconShown = icon && !icon->pixmap().isNull();
    QTest::mouseClick(d.GetDlgItemAs<QPushButton>(CQXOverwriteDialog::IDC_NO), Qt::LeftButton);
  });
  std::vector<Bytes> one;
  programPackets("ABC", kOtherText, &one);
  one.push_back(endPacket());
  receive(one);
  EXPECT_EQ(dialogs.shown, std::vector<UINT>{CQXOverwriteDialog::kTemplateId});
  EXPECT_TRUE(iconShown);
  EXPECT_EQ(programText(abc), kText);
  EXPECT_EQ(sendable().size(), 2u);

  // "Toutes" answers once for both items of a transfer.
  dialogs.shown.clear();
  dialogs.thenClick(CQXOverwriteDialog::kTemplateId, CQXOverwriteDialog::IDC_ALL);
  receive(twoPrograms(kOtherText));
  EXPECT_EQ(dialogs.shown, std::vector<UINT>{CQXOverwriteDialog::kTemplateId});
  EXPECT_EQ(programText(programPath("ABC")), kOtherText);
  EXPECT_EQ(programText(programPath("XYZ")), kOtherText);

  AppWriteProfileInt("Settings", "Query Rcv Overwrite", 0);
  dialogs.shown.clear();
  receive(twoPrograms(kText));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(programText(programPath("ABC")), kText);
  EXPECT_EQ(programText(programPath("XYZ")), kText);
  EXPECT_EQ(sendable().size(), 2u);
  EXPECT_TRUE(messages.shown.empty());
}

// A matrix shown in the right pane shows the values that replaced it.
TEST_F(MainWindowLink, TheRightPaneShowsWhatAReceiveReplaced) {
  AppWriteProfileInt("Settings", "Query Rcv Overwrite", 0);
  const char path[] = "\\Calculator\\Matrix\\MatA";
  auto matrix = [](unsigned long long digits) {
    return std::vector<Bytes>{onWire(valHeader("MT", 1, 1, "Mat A")),
                              Sim::packet(valueRecord(1, 1, number(digits, 0))), endPacket()};
  };
  receive(matrix(5));
  ASSERT_TRUE(document()->SelectAndShow(path));
  QCoreApplication::processEvents();
  auto* page = frame->findChild<CQXMatrixDataPage*>();
  ASSERT_TRUE(page);
  EXPECT_EQ(page->GetGrid().GetItemText(1, 1), "5");

  receive(matrix(7));
  EXPECT_TRUE(messages.shown.empty());
  page = frame->findChild<CQXMatrixDataPage*>();
  ASSERT_TRUE(page);
  EXPECT_EQ(page->GetGrid().GetItemText(1, 1), "7");
}

// A program whose description was typed in is filed again as a new entry
// when another entry is clicked; the click still selects that entry.
TEST_F(MainWindowLink, AnEditedDescriptionIsKeptWhenAnotherEntryIsClicked) {
  std::vector<Bytes> packets;
  programPackets("ABC", kText, &packets);
  programPackets("XYZ", kOtherText, &packets);
  packets.push_back(endPacket());
  receive(packets);
  HTREEITEM abc = nullptr, xyz = nullptr;
  const std::string oldPath = programPath("ABC", &abc);
  programPath("XYZ", &xyz);
  ASSERT_TRUE(abc && xyz);
  QTreeWidget* tree = document()->GetTreeView()->GetTreeCtrl().GetTreeWidget();
  auto click = [tree](HTREEITEM item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCoreApplication::processEvents();
  };
  click(abc);
  auto* view = qobject_cast<CQXPageView*>(frame->GetContentView());
  ASSERT_TRUE(view);
  view->EnableSheet(TRUE);
  ASSERT_TRUE(view->ShowPage(CQXDescriptionPage::kPageId));
  auto* page = qobject_cast<CQXDescriptionPage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(page);
  page->GetEdit()->setFocus();
  QTest::keyClicks(page->GetEdit(), "note");

  click(xyz);
  EXPECT_EQ(tree->currentItem(), xyz);
  const std::string newPath = programPath("ABC");
  EXPECT_NE(newPath, oldPath);
  CQXDocEntry entry;
  ASSERT_TRUE(document()->LoadItem(newPath.c_str(), &entry));
  ASSERT_TRUE(entry.GetDescription());
  const std::vector<BYTE>& rtf = entry.GetDescription()->GetBytes();
  EXPECT_NE(std::string(rtf.begin(), rtf.end()).find("note"), std::string::npos);
  EXPECT_TRUE(messages.shown.empty());
}

// A document of a model whose link entry names the newer protocol receives
// over 40-byte packets.
TEST_F(MainWindowLink, ANewerModelReceivesOverItsPackets) {
  ASSERT_TRUE(document()->NewDocumentForCalculator("ALGEBRA FX 2.0", ""));
  const Bytes program = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF7, 0x41, 0x00};
  CalcSimulator& calc = calculator();
  calc.waitUntil([this] { return pcWaits.load(); });
  mcs::startSending(calc, "038400");
  mcs::sendPackets(calc, {mcs::header(1, DWORD(program.size()), "ABC"), mcs::block(program), mcs::endPacket()});
  calc.start();
  press(Qt::Key_F5);
  EXPECT_TRUE(calc.finish()) << calc.error();
  EXPECT_TRUE(messages.shown.empty());
  HTREEITEM entry = nullptr;
  programPath("ABC", &entry);
  EXPECT_TRUE(entry);
  EXPECT_EQ(document()->GetBusyCount(), 0);
}

// Backup > Receive takes nothing but a backup; Backup > Send refuses a
// backup file without one before the line is touched; Ctrl+F5 files a
// screen copy.
TEST_F(MainWindowLink, BackupCommandsAndScreenCopy) {
  std::vector<Bytes> packets;
  programPackets("ABC", kText, &packets);
  CalcSimulator& calc = sending({packets[0]});
  calc.send(packets[1]).expect({LINK_CANCEL}).start();
  press(Qt::Key_F7);
  EXPECT_TRUE(calc.finish()) << calc.error();
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::LoadString(10554)});
  EXPECT_TRUE(sendable().empty());

  // A backup arriving is offered for a file: the user cancels.
  Bytes backup(300, 0x5A);
  {
    FileDialogScript script;
    messages.shown.clear();
    receive({onWire(memHeader("BU", 300, "BACKUP")), Sim::packet(backup)}, Qt::Key_F7);
    EXPECT_EQ(script.shown, 1);
    EXPECT_TRUE(messages.shown.empty());
  }

  // A backup file whose data is a program.
  const QString file = env.dataFile(QStringLiteral("program.qxm"));
  {
    CQXDocEntry entry;
    auto* program = new CQXProgramItem;
    program->SetName("ABC");
    program->SetDataBlock(kText.data(), int(kText.size()));
    entry.SetItem(program);
    ASSERT_TRUE(WriteBackupFile(file.toLocal8Bit().constData(), document(), &entry, "d"));
  }
  {
    CalcSimulator& silent = calculator();
    silent.expectSilence(50).start();
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) { chooseFile(d, file); });
    messages.shown.clear();
    press(Qt::Key_F8);
    EXPECT_TRUE(silent.finish()) << silent.error();
    EXPECT_EQ(script.shown, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, CLanguageLibrary::LoadString(10572));
    EXPECT_EQ(messages.shown[0].type, UINT(MB_ICONINFORMATION));
    EXPECT_TRUE(silent.received().empty());
  }

  messages.shown.clear();
  receive({onWire(screenHeader("DD")), Sim::packet(Bytes(1024, 0x11))}, Qt::Key_F5, Qt::ControlModifier);
  EXPECT_TRUE(messages.shown.empty());
  OrvoNodeInfo info;
  ASSERT_TRUE(document()->GetItemStore()->GetNodeInfo("\\Calculator\\Display\\Display_00001025", &info));
  EXPECT_STREQ(info.description, "Copie d'\xE9" "cran");
  EXPECT_TRUE(document()->GetTreeView()->FindPath("\\Calculator\\Display\\Display_00001025"));
}

// "Annuler" in the progress dialog after the first item: no message, the
// item stays, the document holds no link any more, and the next receive
// works as the first did.
TEST_F(MainWindowLink, CancelInTheProgressDialogKeepsWhatArrived) {
  std::vector<Bytes> packets;
  programPackets("ABC", kText, &packets);
  CalcSimulator& calc = sending({packets[0]});
  calc.send(packets[1]).expect({LINK_CANCEL}).start();
  bool cancelled = false;
  duringTransfer = [&] {
    CQXTransferProgress* progress = GetTransferProgressNP();
    if (!progress || cancelled || sendable().empty()) return;
    cancelled = true;
    EXPECT_NE(document()->GetCurrentLink(), nullptr);
    QTest::mouseClick(progress->GetDialog()->GetDlgItemAs<QPushButton>(IDCANCEL), Qt::LeftButton);
  };
  press(Qt::Key_F5);
  EXPECT_TRUE(calc.finish()) << calc.error();
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(programPath("ABC").empty());
  EXPECT_EQ(document()->GetCurrentLink(), nullptr);
  EXPECT_EQ(document()->GetBusyCount(), 0);
  EXPECT_TRUE(frame->isEnabled());

  duringTransfer = nullptr;
  packets.clear();
  programPackets("XYZ", kText, &packets);
  packets.push_back(endPacket());
  receive(packets);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(sendable().size(), 2u);
}

}  // namespace
