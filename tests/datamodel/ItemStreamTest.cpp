#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

int codeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const COrvoArchiveException& e) {
    return e.GetErrorCode();
  }
  return 0;
}

class ItemStream : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store.Open(nullptr, 0));
    OrvoNodeInfo f;
    f.SetPath("\\F");
    f.flags = kNodeFolder;
    ASSERT_TRUE(store.AddNode(&f));
  }
  COrvoItemStore store;
};

TEST_F(ItemStream, CreateWriteAndReadBack) {
  COrvoItemStream out(&store);
  ASSERT_TRUE(out.Create("\\F\\I", 2, "Programme"));
  DWORD pos = 99;
  out.GetPosition(&pos);
  EXPECT_EQ(pos, 0u);
  const char data[20] = "0123456789abcdefghi";
  out.Write(data, 20);
  out.GetPosition(&pos);
  EXPECT_EQ(pos, 20u);
  out.WriteDwordValue(0x01020304);
  DWORD length = 0;
  out.GetLength(&length);
  EXPECT_EQ(length, 24u);
  out.Close();
  EXPECT_EQ(out.GetErrorCode(), 0);

  OrvoNodeInfo info;
  ASSERT_TRUE(store.GetNodeInfo("\\F\\I", &info));
  EXPECT_STREQ(info.description, "Programme");

  COrvoItemStream in(&store);
  ASSERT_TRUE(in.Open("\\F\\I", 3, FALSE));  // mode 3 reads only
  EXPECT_EQ(codeOf([&] { in.Write("x", 1); }), 12);
  in.Seek(20);
  EXPECT_EQ(in.ReadDwordValue(), 0x01020304u);
  EXPECT_EQ(codeOf([&] { in.ReadDwordValue(); }), 11);  // at the end
  EXPECT_EQ(in.GetErrorCode(), 11);
}

TEST_F(ItemStream, OpenReportsThroughItsStatus) {
  COrvoItemStream s(&store);
  EXPECT_TRUE(s.Close());  // never opened
  EXPECT_EQ(s.GetErrorCode(), 0);
  EXPECT_FALSE(s.Open(nullptr, 1, FALSE));
  EXPECT_EQ(s.GetErrorCode(), 6);
  EXPECT_FALSE(s.Open("\\F\\Missing", 1, FALSE));
  EXPECT_EQ(s.GetErrorCode(), 8);
  EXPECT_FALSE(s.Create("NoPath", 2, nullptr));
  EXPECT_EQ(s.GetErrorCode(), 9);
  COrvoItemStore closed;
  COrvoItemStream c(&closed);
  EXPECT_FALSE(c.Open("\\F\\I", 1, FALSE));
  EXPECT_EQ(c.GetErrorCode(), 5);
  EXPECT_FALSE(c.Create("\\F\\I", 1, nullptr));
  EXPECT_EQ(c.GetErrorCode(), 5);
}

TEST_F(ItemStream, ReadingAnEmptyStreamThrows11) {
  COrvoItemStream s(&store);
  ASSERT_TRUE(s.Create("\\F\\Empty", 0, nullptr));
  DWORD d = 0;
  EXPECT_EQ(codeOf([&] { s.ReadDword(&d); }), 11);
  EXPECT_EQ(s.GetErrorCode(), 11);
}

TEST_F(ItemStream, OpeningAgainClosesTheHeldStreamFirst) {
  COrvoItemStream s(&store);
  ASSERT_TRUE(s.Create("\\F\\I", 2, nullptr));
  s.WriteDwordValue(7);
  // The item's stream is exclusive: without closing the held one first the
  // item could not be opened again.
  ASSERT_TRUE(s.Open("\\F\\I", 1, FALSE));
  EXPECT_EQ(s.ReadDwordValue(), 7u);
  COrvoItemStream other(&store);
  EXPECT_FALSE(other.Open("\\F\\I", 1, FALSE));  // still held by `s`
  s.Close();
  EXPECT_TRUE(other.Open("\\F\\I", 1, FALSE));
}

TEST_F(ItemStream, AStreamOutlivingItsStoreIsClosedQuietly) {
  auto s = std::make_unique<COrvoItemStream>(&store);
  ASSERT_TRUE(s->Create("\\F\\I", 2, nullptr));
  store.Close();
  EXPECT_TRUE(s->Close());
  DWORD d = 0;
  EXPECT_EQ(codeOf([&] { s->ReadDword(&d); }), 11);
}

// An entry written through an item stream is the whole stream, and a shorter
// entry leaves no tail of a longer one.
TEST_F(ItemStream, DocumentEntriesFillTheWholeStream) {
  tallix::test::TestEnvironment env(tallix::test::TestEnvironment::WithLanguageLibrary);
  auto makeEntry = [](DWORD bytes) {
    auto* entry = new CQXDocEntry;
    auto* d = new CQXDescription;
    d->SetBytes(std::vector<BYTE>(bytes, 'x'));
    entry->SetItem(new CQXGraphFuncEntry);  // any item will do here
    entry->SetDescription(d);
    return std::unique_ptr<CQXDocEntry>(entry);
  };
  COrvoItemStream s(&store);
  ASSERT_TRUE(s.Create("\\F\\E", 2, nullptr));
  makeEntry(100)->Store(s);
  s.Close();
  ASSERT_TRUE(s.Open("\\F\\E", 2, FALSE));
  auto small = makeEntry(3);
  small->Store(s);
  DWORD length = 0;
  s.GetLength(&length);
  EXPECT_EQ(length, small->GetStoredSize());
}

// A document written by the store opens in an independent compound-file
// reader with the streams where they belong.
TEST(ItemStorePeer, OlefileListsTheStoresStreams) {
  if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) GTEST_SKIP() << "no python3";
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("peer.qxd")).toStdString();
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(path.c_str(), ORVO_OPEN_CREATE | ORVO_SHARE_EXCLUSIVE));
    OrvoNodeInfo f;
    f.SetPath("\\Calculator");
    f.flags = kNodeFolder;
    ASSERT_TRUE(store.AddNode(&f));
    COrvoItemStream s(&store);
    ASSERT_TRUE(s.Create("\\Calculator\\P", 2, nullptr));
    s.Write("hello", 5);
    s.Close();
    ASSERT_TRUE(store.Commit());
  }
  QProcess py;
  py.start(QStringLiteral("/usr/bin/python3"),
           {QStringLiteral("-c"),
            QStringLiteral("import olefile,sys\n"
                           "o=olefile.OleFileIO(sys.argv[1])\n"
                           "print(sorted('/'.join(e) for e in o.listdir()))\n"
                           "print(o.openstream('Data_Items/Item_00001025').read())\n"
                           "print(len(o.openstream('Directory').read()))\n"),
            QString::fromStdString(path)});
  ASSERT_TRUE(py.waitForFinished(30000));
  const QString out = QString::fromUtf8(py.readAllStandardOutput());
  if (py.exitCode() != 0 && QString::fromUtf8(py.readAllStandardError()).contains(QStringLiteral("No module")))
    GTEST_SKIP() << "python3-olefile is not installed";
  EXPECT_EQ(py.exitCode(), 0);
  EXPECT_EQ(out, QStringLiteral("['Data_Items/Item_00001025', 'Directory']\nb'hello'\n%1\n")
                     .arg(1024 + 57 + 66 + 53));  // root, folder and item records
}

}  // namespace
