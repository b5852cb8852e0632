// Items between windows and programs: the description block's bytes, the
// clipboard in one program and between two, and drops on the tree as a user
// makes them (moves, copies, refusals, programs over programs).
#include "app/InstanceProbe.h"
#include "app/ItemTransfer.h"
#include "platform/OleDataObject.h"
#include "tests/app/ItemWindow.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/MessageLog.h"
#include "tests/support/OverwriteClicker.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstring>

using namespace tallix::test;

namespace {

TEST(ItemInfoBlock, IsWrittenAsDocumentedAndDamagedBlocksAreRefused) {
  ItemInfoBlock info;
  info.dataType = 4004;
  std::strcpy(info.innerPath, "\\QXL SData Source Item\\MatA");
  std::strcpy(info.sourcePath, "\\Calculator\\Matrix\\MatA");
  info.mainWindow = 0x01020304;
  info.dragView = 7;
  QByteArray expected(1024, '\0');
  expected.replace(0, 8, QByteArray("\x00\x04\x00\x00\xA4\x0F\x00\x00", 8));
  expected.replace(8, 27, "\\QXL SData Source Item\\MatA");
  expected.replace(264, 23, "\\Calculator\\Matrix\\MatA");
  expected.replace(520, 8, QByteArray("\x04\x03\x02\x01\x07\x00\x00\x00", 8));
  ASSERT_EQ(EncodeItemInfo(info), expected);

  ItemInfoBlock read;
  ASSERT_TRUE(DecodeItemInfo(expected + "more", &read));
  EXPECT_EQ(read.dataType, 4004);
  EXPECT_STREQ(read.sourcePath, info.sourcePath);
  EXPECT_EQ(read.dragView, 7u);
  QByteArray badSize = expected, openInner = expected, openSource = expected;
  badSize[0] = 1;
  openInner.replace(8, 256, QByteArray(256, 'a'));
  openSource.replace(264, 256, QByteArray(256, 'a'));
  for (const QByteArray& bad : {expected.left(1023), badSize, openInner, openSource})
    EXPECT_FALSE(DecodeItemInfo(bad, &read));
}

class ItemTransfer : public ::testing::Test {
 protected:
  std::unique_ptr<QMimeData> fromAnotherProgram(const char* path, int dataType) {
    return w.fromAnotherProgram(path, dataType);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  ItemWindow w;
};

TEST_F(ItemTransfer, AProgramGoesOverTheClipboardWhoseDescriptionIsReadAgainAfterAChange) {
  const std::string path = w.file(ItemWindow::program("ABC", 5));
  ASSERT_TRUE(w.doc->CopyItemToClipboard(path.c_str(), 4001));
  EXPECT_TRUE(IsClipboardItemOfKind(4001, TRUE));
  EXPECT_FALSE(IsClipboardItemOfKind(4001, FALSE));
  EXPECT_FALSE(IsClipboardItemOfKind(4004, TRUE));
  std::unique_ptr<CQXDocEntry> entry = w.doc->ReadClipboardItem();
  ASSERT_TRUE(entry && entry->GetItem());
  EXPECT_EQ(static_cast<CQXProgramItem*>(entry->GetItem())->GetLength(), 5u);

  // An object past 64 MiB is not read, whatever it holds.
  COleDataObject clipboard;
  ASSERT_TRUE(clipboard.AttachClipboard());
  auto* big = new QMimeData;
  for (const QString& format : clipboard.GetMimeData()->formats())
    big->setData(format, clipboard.GetMimeData()->data(format));
  const QString object = tallix::clipboardFormatMimeType(GetItemObjectFormat());
  big->setData(object, big->data(object) + QByteArray(4096, '\0'));
  COleDataObject padded;
  padded.Attach(big);
  EXPECT_TRUE(ReadItemDataObject(&padded, &entry));
  big->setData(object, big->data(object).leftJustified(kMaxItemObjectSize + 1, '\0'));
  EXPECT_FALSE(ReadItemDataObject(&padded, &entry));
  EXPECT_FALSE(entry);

  QGuiApplication::clipboard()->setText(QStringLiteral("text"));
  EXPECT_FALSE(IsClipboardItemOfKind(4001, TRUE));
}

TEST_F(ItemTransfer, AMatrixFromAnotherProgramGoesOnlyToMatrixSlotsAndTakesTheSlotsName) {
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  const auto mime = fromAnotherProgram("\\Calculator\\Matrix\\MatA", 4004);
  QWidget* tree = w.treeViewport();
  EXPECT_EQ(ItemWindow::dropOn(tree, w.treePoint("\\Calculator\\List\\List1"), mime.get(), {}, false), DROPEFFECT_NONE);
  EXPECT_EQ(ItemWindow::dropOn(tree, w.treePoint("\\Calculator\\Matrix\\MatB"), mime.get(), Qt::ControlModifier, false),
            DROPEFFECT_COPY);
  // The icon view asks the same question.
  CQXIconView* icons = w.showFolder("\\Calculator\\List");
  ASSERT_TRUE(icons);
  EXPECT_EQ(ItemWindow::dropOn(icons, QPoint(30, 30), mime.get(), {}, false), DROPEFFECT_NONE);

  EXPECT_EQ(ItemWindow::dropOn(tree, w.treePoint("\\Calculator\\Matrix\\MatB"), mime.get()), DROPEFFECT_MOVE);
  CQXDocEntry dropped;
  ASSERT_TRUE(w.doc->LoadItem("\\Calculator\\Matrix\\MatB", &dropped));
  char name[64];
  dropped.GetItem()->GetDisplayName(name, sizeof name);
  EXPECT_TRUE(QByteArray(name).endsWith(" B")) << name;
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 2);
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ItemTransfer, AMoveTheUserRefusesOrDropsOnItsOwnEntryKeepsTheSource) {
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  w.file(ItemWindow::matrix('B', 3), "\\Calculator\\Matrix\\MatB");
  QWidget* tree = w.treeViewport();
  const QPoint a = w.treePoint("\\Calculator\\Matrix\\MatA"), b = w.treePoint("\\Calculator\\Matrix\\MatB");
  EXPECT_EQ(w.drag(tree, a, tree, a), DROPEFFECT_NONE);
  EXPECT_TRUE(messages.texts().empty());
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 2);
  {
    OverwriteClicker clicker;
    clicker.buttons = {7};
    EXPECT_EQ(w.drag(tree, a, tree, b), DROPEFFECT_NONE);
    EXPECT_EQ(clicker.questions.size(), 1u);
  }
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 2);
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatB"), 3);
  OverwriteClicker clicker;
  clicker.buttons = {1};
  EXPECT_EQ(w.drag(tree, a, tree, b), DROPEFFECT_MOVE);
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 0);
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatB"), 2);
}

TEST_F(ItemTransfer, ProgramsDroppedOnProgramsLeaveTheProgramsTheUserMeant) {
  QWidget* tree = w.treeViewport();
  // The tree point of the program described `name`.
  auto at = [&](const char* name) {
    CTreeCtrl& ctrl = w.tree->GetTreeCtrl();
    for (HTREEITEM item = ctrl.GetChildItem(w.tree->FindPath("\\Calculator\\Program")); item;
         item = ctrl.GetNextSiblingItem(item)) {
      TreeItemInfo info;
      info.mask = TreeItemInfo::kPath | TreeItemInfo::kDescription;
      w.tree->GetItemInfo(item, &info);
      if (std::strcmp(info.description, name) == 0) return w.treePoint(info.path);
    }
    ADD_FAILURE() << name;
    return QPoint();
  };
  OverwriteClicker clicker;
  clicker.buttons = {1, 1};
  w.file(ItemWindow::program("A", 1));
  w.file(ItemWindow::program("B", 2));
  // Moved onto another: it takes its place under its own name, unasked.
  EXPECT_EQ(w.drag(tree, at("A"), tree, at("B")), DROPEFFECT_MOVE);
  EXPECT_EQ(w.programs(), std::vector<std::string>{"A:1"});
  // Onto its own folder: it stays.
  EXPECT_EQ(w.drag(tree, at("A"), tree, w.treePoint("\\Calculator\\Program")), DROPEFFECT_NONE);
  EXPECT_EQ(w.programs(), std::vector<std::string>{"A:1"});
  // Copied onto another (asked): a copy under the target's name.
  w.file(ItemWindow::program("B", 2));
  EXPECT_EQ(w.drag(tree, at("A"), tree, at("B"), Qt::ControlModifier), DROPEFFECT_COPY);
  EXPECT_EQ(w.programs(), (std::vector<std::string>{"A:1", "B:1"}));
  EXPECT_EQ(clicker.questions.size(), 1u);

  // From another program: onto the folder it keeps its name, onto a program
  // it takes that one's (asked).
  const std::string d = w.file(ItemWindow::program("D", 4));
  const auto elsewhere = fromAnotherProgram(d.c_str(), 4001);
  DWORD deleted = FALSE;
  ASSERT_TRUE(w.doc->RemoveItem(d.c_str(), &deleted, FALSE));
  EXPECT_EQ(ItemWindow::dropOn(tree, w.treePoint("\\Calculator\\Program"), elsewhere.get()), DROPEFFECT_MOVE);
  EXPECT_EQ(w.programs(), (std::vector<std::string>{"A:1", "B:1", "D:4"}));
  EXPECT_EQ(ItemWindow::dropOn(tree, at("B"), elsewhere.get()), DROPEFFECT_MOVE);
  EXPECT_EQ(w.programs(), (std::vector<std::string>{"A:1", "B:4", "D:4"}));
  EXPECT_EQ(clicker.questions.size(), 2u);
}

// A user's drag of the item at `path` out of the tree, which the drag loop
// reports as a move into another program; `data` gets the dragged data
// object's block and object.
void dragOutAsMove(ItemWindow& w, const char* path, QByteArray* data = nullptr) {
  const DoDragDropHandler old = SetDoDragDropHandler([data](COleDataSource& source, DROPEFFECT, QWidget*) {
    const std::unique_ptr<QMimeData> mime(source.CreateMimeData());
    if (data)
      *data = mime->data(tallix::clipboardFormatMimeType(GetItemInfoFormat())) +
              mime->data(tallix::clipboardFormatMimeType(GetItemObjectFormat()));
    return DROPEFFECT_MOVE;
  });
  const QPoint at = w.treePoint(path);
  QTest::mousePress(w.treeViewport(), Qt::LeftButton, {}, at);
  QTest::mouseMove(w.treeViewport(), at + QPoint(30, 0));
  QTest::mouseRelease(w.treeViewport(), Qt::LeftButton, {}, at + QPoint(30, 0));
  SetDoDragDropHandler(old);
}

TEST_F(ItemTransfer, AMoveIntoAnotherProgramTakesTheItemOnlyOnceThatProgramFiledIt) {
  const char* const a = "\\Calculator\\Matrix\\MatA";
  auto filedElsewhere = [&](const char* path) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(ItemDragViewId(w.tree), bytes.data());
    bytes += path;
    COPYDATASTRUCT data;
    data.dwData = kItemMovedDataCode;
    data.cbData = DWORD(bytes.size());
    data.lpData = bytes.constData();
    return w.frame->SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  };
  w.file(ItemWindow::matrix('A', 2), a);
  dragOutAsMove(w, a);
  EXPECT_EQ(w.matrixRows(a), 2);
  EXPECT_EQ(filedElsewhere("\\Calculator\\Matrix\\MatB"), 0);
  EXPECT_EQ(w.matrixRows(a), 2);
  EXPECT_NE(filedElsewhere(a), 0);
  EXPECT_EQ(w.matrixRows(a), 0);
  EXPECT_EQ(filedElsewhere(a), 0);

  // Late confirmations: for an item replaced meanwhile, one whose page is
  // being edited, one in a document opened meanwhile.
  w.file(ItemWindow::matrix('A', 2), a);
  dragOutAsMove(w, a);
  w.file(ItemWindow::matrix('A', 4), a);
  EXPECT_EQ(filedElsewhere(a), 0);
  dragOutAsMove(w, a);
  ASSERT_TRUE(w.tree->SelectPath(a, FALSE) && w.doc->ShowSelectedItemView());
  w.frame->GetContentView()->SetPendingEdits(TRUE);
  EXPECT_EQ(filedElsewhere(a), 0);
  w.frame->GetContentView()->SetPendingEdits(FALSE);
  dragOutAsMove(w, a);
  w.doc->SetModifiedFlag(FALSE);
  w.app.OnFileNew();
  w.file(ItemWindow::matrix('A', 4), a);
  EXPECT_EQ(filedElsewhere(a), 0);
  EXPECT_EQ(w.matrixRows(a), 4);
}

// The program a matrix is dragged out of: it hands the dragged data over in
// TALLIX_PEER_FILE and, once its input closes, writes there the rows its
// matrix has left.
TEST(ItemMovePeer, DISABLED_DragAMatrixOut) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  ItemWindow w;
  w.file(ItemWindow::matrix('C', 3), "\\Calculator\\Matrix\\MatC");
  QByteArray dragged;
  dragOutAsMove(w, "\\Calculator\\Matrix\\MatC", &dragged);
  writeFileContents(qEnvironmentVariable("TALLIX_PEER_FILE"), dragged);
  servePeerUntilStdinCloses();
  writeFileContents(qEnvironmentVariable("TALLIX_PEER_FILE"),
                    QByteArray::number(w.matrixRows("\\Calculator\\Matrix\\MatC")));
}

TEST_F(ItemTransfer, APlainDragFromAnotherProgramMovesTheItemOnceFiledHere) {
  QProcess peer;
  const QString file = env.dataFile(QStringLiteral("dragged.bin"));
  const QString peerTest = QStringLiteral("ItemMovePeer.DISABLED_DragAMatrixOut");
  ASSERT_TRUE(startPeerTest(peer, peerTest, QStringLiteral("TALLIX_PEER_FILE"), file));
  const QByteArray dragged = fileContents(file);
  QMimeData mime;
  mime.setData(tallix::clipboardFormatMimeType(GetItemInfoFormat()), dragged.left(kItemInfoSize));
  mime.setData(tallix::clipboardFormatMimeType(GetItemObjectFormat()), dragged.mid(kItemInfoSize));
  const char* const d = "\\Calculator\\Matrix\\MatD";
  w.file(ItemWindow::matrix('D', 2), d);
  OverwriteClicker clicker;
  clicker.buttons = {1};
  EXPECT_EQ(ItemWindow::dropOn(w.treeViewport(), w.treePoint(d), &mime), DROPEFFECT_MOVE);
  EXPECT_EQ(w.matrixRows(d), 3);
  peer.closeWriteChannel();
  ASSERT_TRUE(peer.waitForFinished(10000));
  EXPECT_EQ(fileContents(file), "0");
}

TEST_F(ItemTransfer, WritesFuzzCorpusWhenAsked) {
  const QString corpus = qEnvironmentVariable("TALLIX_ITEM_CORPUS");
  if (corpus.isEmpty()) GTEST_SKIP();
  w.file(ItemWindow::matrix('A', 3), "\\Calculator\\Matrix\\MatA");
  const std::tuple<const char*, std::string, int> items[] = {{"program", w.file(ItemWindow::program("ABC", 5)), 4001},
                                                             {"matrix", "\\Calculator\\Matrix\\MatA", 4004}};
  for (const auto& [name, path, type] : items) {
    COleDataSource source;
    ASSERT_TRUE(BuildItemDataObject(w.doc, path.c_str(), type, 0, &source));
    const std::unique_ptr<QMimeData> mime(source.CreateMimeData());
    const QByteArray bytes = mime->data(tallix::clipboardFormatMimeType(GetItemInfoFormat())) +
                             mime->data(tallix::clipboardFormatMimeType(GetItemObjectFormat()));
    ASSERT_TRUE(writeFileContents(corpus + "/" + name + ".bin", bytes));
    ASSERT_TRUE(writeFileContents(corpus + "/" + name + "-cut.bin", bytes.left(bytes.size() * 2 / 3)));
  }
}

// The two programs of the clipboard test: the first copies a program and
// keeps the clipboard until its input closes; the second pastes it and
// writes what it got into TALLIX_PEER_FILE.
TEST(ItemClipboardPeer, DISABLED_CopyAProgram) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  FakeDocServices doc;
  doc.put("\\Calculator\\Program\\Program_00001025", ItemWindow::program("PEER", 7));
  ASSERT_TRUE(CopyItemToClipboard(&doc, "\\Calculator\\Program\\Program_00001025", 4001));
  servePeerUntilStdinCloses();
}

TEST(ItemClipboardPeer, DISABLED_PasteTheProgram) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  QElapsedTimer waited;
  waited.start();
  while (!IsClipboardItemOfKind(4001, TRUE) && waited.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  std::unique_ptr<CQXDocEntry> entry;
  QByteArray result = "nothing";
  if (PasteItemFromClipboard(&entry) && entry && entry->GetItem()) {
    char name[64] = "";
    entry->GetItem()->GetDisplayName(name, sizeof name);
    result = QByteArray(name) + ":" + QByteArray::number(static_cast<CQXProgramItem*>(entry->GetItem())->GetLength());
  }
  writeFileContents(qEnvironmentVariable("TALLIX_PEER_FILE"), result);
  std::printf("ready\n");
  std::fflush(stdout);
}

TEST(ItemClipboard, ASecondProgramOnTheSameDisplayPastesTheFirstOnesProgram) {
  const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
  if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
  TestEnvironment env;
  // A display of its own: no other test shares its clipboard.
  QProcess server;
  server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-ac"), QStringLiteral("-screen"), QStringLiteral("0"),
                      QStringLiteral("320x240x24")});
  ASSERT_TRUE(server.waitForStarted(5000));
  QByteArray display;
  while (!display.contains('\n') && server.waitForReadyRead(20000)) display += server.readAllStandardOutput();
  ASSERT_FALSE(display.trimmed().isEmpty());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display.trimmed()));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  environment.insert(QStringLiteral("TALLIX_PEER_FILE"), env.dataFile(QStringLiteral("pasted.txt")));

  QProcess first, second;
  EXPECT_TRUE(startPeerTest(first, QStringLiteral("ItemClipboardPeer.DISABLED_CopyAProgram"), environment));
  EXPECT_TRUE(startPeerTest(second, QStringLiteral("ItemClipboardPeer.DISABLED_PasteTheProgram"), environment));
  second.waitForFinished(30000);
  first.closeWriteChannel();
  first.waitForFinished(10000);
  server.terminate();
  server.waitForFinished(5000);
  EXPECT_EQ(fileContents(env.dataFile(QStringLiteral("pasted.txt"))), "PEER:7");
}

}  // namespace
