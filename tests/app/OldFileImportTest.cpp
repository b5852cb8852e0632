// Old documents of both families, written with the old-file test writer,
// opened through the document and the real old-data library: every item
// they hold lands in a ".qxd" file that another compound-file reader lists
// and that opens again. With TALLIX_OLD_FILES set, the fixtures are also
// written there (the copies in tests/app/old-files/ come from it).
#include "app/DocManagerEx.h"
#include "app/OldDataLibraryImport.h"
#include "app/QXDoc.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"
#include "tests/datamodel/NewItemVectors.h"
#include "tests/olddata/OldFileWriter.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tallix::test;
using namespace qxl16;

namespace {

// A transfer block of the older family: the header after its ':' without
// the checksum, then the data.
Bytes olderBlock(const Bytes& header, const Bytes& data = {}) {
  Bytes block(header.begin() + 1, header.begin() + 49);
  block.insert(block.end(), data.begin(), data.end());
  return block;
}
Bytes newerBlock(const Bytes& header, const Bytes& data = {}) {
  Bytes block(header.begin() + 1, header.begin() + 39);
  block.insert(block.end(), data.begin(), data.end());
  return block;
}

// An old screen copy: height, width and depth at 2-4, the pixels from 6.
COrvoQXListItem* oldScreen(OldDocument& doc, const char* name, BYTE depth) {
  auto* copy = doc.Make<COrvoQXListItem>();
  copy->m_strName = name;
  const size_t stride = depth == 1 ? 16 : 64;
  copy->m_data = {0, 0, 64, 128, depth, 0};
  for (size_t i = 0; i < stride * 64; ++i) copy->m_data.push_back(BYTE(i * 7));
  return copy;
}

// Programs, a matrix, graph functions, a recursion and two screen copies.
void writeOlderFile(const std::string& path, bool damaged) {
  OldDocument doc;
  doc.SetModel(0x811E);
  auto program = [&](const char* name) {
    return doc.Blocks<COrvoQXListItemNP>(name, {OlderProgramBlock(name, {'1', '+', '1', 0xFF})});
  };
  doc.programs = {program("ONE"), damaged ? doc.Make<COrvoQXListItem>() : program("TWO"), program("THREE")};
  Bytes cells = valueRecord(1, 1, number(1, 0));
  append(cells, valueRecord(1, 2, number(2, 0)));
  std::vector<Bytes> matrix = {olderBlock(valHeader("MT", 1, 2, "Mat A"), cells)};
  std::vector<Bytes> functions, recursion;
  for (int n = 1; n <= 20; ++n)
    functions.push_back(olderBlock(fncHeader("GF", 2, "Y" + std::to_string(n), '=', kGfStyle), {'1', 0xFF}));
  for (const char* formula : {"an", "bn"})
    recursion.push_back(olderBlock(fncHeader("RF", 2, formula, '=', kRfStyle), {'2', 0xFF}));
  for (const char* range : {"R Start", "R End"})
    recursion.push_back(olderBlock(valHeader("RR", 1, 1, range, "Y=Data"), valueRecord(1, 1, number(3, 0))));
  doc.transfers = {doc.Blocks<COrvoQXListItemNP>("M", matrix), doc.Blocks<COrvoQXListItemNP>("G", functions),
                   doc.Blocks<COrvoQXListItemNP>("R", recursion, true)};
  doc.screenCopies = {oldScreen(doc, "Mono", 1), oldScreen(doc, "Couleur", 4)};
  WriteDocument(path, doc);
}

// Programs, a matrix, function memories, a CAS memory and a screen copy.
void writeNewerFile(const std::string& path) {
  OldDocument doc;
  doc.SetModel(0xA04E);
  doc.programs = {doc.Blocks<COrvoQXListItemMCS>("ALG", {NewerProgramBlock("ALG", Bytes(14, 0))}),
                  doc.Blocks<COrvoQXListItemMCS>("BETA", {NewerProgramBlock("BETA", Bytes(11, 0))})};
  Bytes numbers(16, 0);
  numbers[8] = 1, numbers[10] = 2;
  numbers.resize(16 + 18, 0x10);
  std::vector<Bytes> memories;
  for (BYTE n : {1, 2}) {
    Bytes h = mcs1Header(4, "FMEM", "", 2);
    h[15] = n;
    memories.push_back(newerBlock(h, {'1', 0}));
  }
  doc.transfers = {
      doc.Blocks<COrvoQXListItemMCS>("M", {newerBlock(mcs1Header(6, "MAT_B", "", 34), numbers)}),
      doc.Blocks<COrvoQXListItemMCS>("F", memories),
      doc.Blocks<COrvoQXListItemMCS>("C", {newerBlock(mcs1Header(254, "A", "CAS", 2), {1, 2}),
                                           newerBlock(mcs1Header(254, "B", "CAS", 1), {3})})};
  doc.screenCopies = {oldScreen(doc, "Ecran", 4)};
  WriteDocument(path, doc);
}

class OldFileImport : public ::testing::Test {
 protected:
  OldFileImport() {
    SetOldFileImport(&library);
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  }
  ~OldFileImport() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetOldFileImport(nullptr);
  }
  std::string path(const char* name) const { return QFile::encodeName(dir.filePath(name)).toStdString(); }
  bool open(const char* name) {
    const bool opened = app.OpenDocumentFile(dir.filePath(name)) != nullptr;
    QCoreApplication::sendPostedEvents();
    return opened;
  }
  // The number of items with data in a folder.
  int itemsIn(const char* folder) {
    std::vector<std::unique_ptr<CQXDocEntry>> entries;
    doc->LoadItemsAt(folder, &entries);
    int n = 0;
    for (const auto& entry : entries) n += entry && entry->GetItem() ? 1 : 0;
    return n;
  }
  bool hasItem(const char* path) {
    DWORD length = 0;
    return doc->GetItemDataLength(path, &length) && length > 0;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CQXOldDataLibraryImport library;
  MessageLog messages;
  CWinApp app;
  QTemporaryDir dir;
  CQXDoc* doc = nullptr;
};

TEST_F(OldFileImport, BothFamiliesBecomeDocumentsThatOpenAgain) {
  writeOlderFile(path("older.qxi"), false);
  writeNewerFile(path("newer.qxi"));
  const QString keep = qEnvironmentVariable("TALLIX_OLD_FILES");
  if (!keep.isEmpty()) {
    writeOlderFile(QFile::encodeName(keep + "/CFX9850.qxi").toStdString(), false);
    writeOlderFile(QFile::encodeName(keep + "/DAMAGED.qxi").toStdString(), true);
    writeNewerFile(QFile::encodeName(keep + "/ALGEBRA.qxi").toStdString());
  }

  ASSERT_TRUE(open("older.qxi"));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(doc->GetPathName(), dir.filePath("older.qxd"));
  auto checkOlder = [&] {
    EXPECT_EQ(itemsIn("\\Calculator\\Program"), 3);
    EXPECT_TRUE(hasItem("\\Calculator\\Matrix\\MatA"));
    EXPECT_TRUE(hasItem("\\Calculator\\Y=Data\\GraphFunctions"));
    EXPECT_TRUE(hasItem("\\Calculator\\Y=Data\\Recursion"));
    EXPECT_EQ(itemsIn("\\Calculator\\Display"), 2);
  };
  checkOlder();

  ASSERT_TRUE(open("newer.qxi"));
  EXPECT_TRUE(messages.shown.empty());
  auto checkNewer = [&] {
    EXPECT_EQ(itemsIn("\\Calculator\\Program"), 2);
    EXPECT_TRUE(hasItem("\\Calculator\\Matrix\\Mat_B"));
    EXPECT_TRUE(hasItem("\\Calculator\\FMemV5"));
    EXPECT_TRUE(hasItem("\\Calculator\\Memory\\CAS Memory"));
    EXPECT_EQ(itemsIn("\\Calculator\\Display"), 1);
  };
  checkNewer();

  // What was saved lists in another program's reader and opens again.
  QProcess peer;
  peer.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"),
              QStringLiteral("import olefile,sys; o=olefile.OleFileIO(sys.argv[1]); "
                             "print(sum(1 for e in o.listdir() if e[0]=='Data_Items'))"),
              dir.filePath("older.qxd")});
  ASSERT_TRUE(peer.waitForFinished(60000));
  EXPECT_GE(peer.readAllStandardOutput().trimmed().toInt(), 9);
  ASSERT_TRUE(open("older.qxd"));
  checkOlder();
  ASSERT_TRUE(open("newer.qxd"));
  checkNewer();
}

TEST_F(OldFileImport, ADamagedEntryIsSkippedAndCounted) {
  writeOlderFile(path("damaged.qxi"), true);
  ASSERT_TRUE(open("damaged.qxi"));
  EXPECT_EQ(itemsIn("\\Calculator\\Program"), 2);
  EXPECT_TRUE(hasItem("\\Calculator\\Matrix\\MatA"));
  ASSERT_EQ(messages.texts(), std::vector<QString>({CLanguageLibrary::FormatMessage(10509, QStringLiteral("1"))}));
  EXPECT_EQ(messages.shown.back().type & 0xF0, UINT(MB_ICONINFORMATION));
}

}  // namespace
