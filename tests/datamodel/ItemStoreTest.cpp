#include "datamodel/OrvoItemStore.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

OrvoNodeInfo node(const char* path, DWORD flags = 0, const char* description = "", DWORD a = 0, DWORD b = 0) {
  OrvoNodeInfo info;
  info.SetPath(path);
  info.flags = flags;
  info.SetDescription(description);
  info.valueA = a;
  info.valueB = b;
  return info;
}

std::vector<std::string> children(COrvoItemStore& store, const char* folder) {
  std::vector<std::string> names;
  OrvoFindHandle h = nullptr;
  if (!store.FindFirst(folder, &h)) return names;
  do {
    OrvoNodeInfo info;
    EXPECT_TRUE(store.GetFoundInfo(h, &info));
    names.push_back(info.path);
  } while (store.FindNext(h));
  EXPECT_TRUE(store.FindClose(h));
  return names;
}

// The bytes of a stream at the root of a compound file.
std::vector<BYTE> rootStream(const std::string& file, const char* name) {
  ComPtr<IStorage> root;
  if (FAILED(StgOpenStorage(file.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, root.put())))
    return {};
  ComPtr<IStream> s;
  if (FAILED(root->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, s.put()))) return {};
  std::vector<BYTE> bytes(1 << 20);
  ULONG read = 0;
  s->Read(bytes.data(), ULONG(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

// The element names of "Data_Items" in a closed store file.
std::vector<std::string> itemElements(const std::string& file) {
  std::vector<std::string> names;
  ComPtr<IStorage> root, items;
  if (FAILED(StgOpenStorage(file.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, root.put())) ||
      FAILED(root->OpenStorage("Data_Items", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, items.put())))
    return {"<unreadable>"};
  std::vector<STATSTG> elements;
  items->EnumElements(&elements);
  for (const STATSTG& e : elements) names.push_back(e.pwcsName);
  return names;
}

void writeRootStream(const std::string& file, const char* name, const std::vector<BYTE>& bytes) {
  ComPtr<IStorage> root;
  ASSERT_EQ(StgOpenStorage(file.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, root.put()), S_OK);
  ComPtr<IStream> s;
  ASSERT_EQ(root->CreateStream(name, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, s.put()), S_OK);
  ULONG written = 0;
  ASSERT_EQ(s->Write(bytes.data(), ULONG(bytes.size()), &written), S_OK);
}

class ItemStore : public ::testing::Test {
 protected:
  std::string file(const char* name = "doc.qxd") { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
  QTemporaryDir dir;
};

TEST_F(ItemStore, AFreshStoreCommitsAOneRecordDirectory) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE | ORVO_SHARE_EXCLUSIVE));
  EXPECT_TRUE(store.IsOpen());
  EXPECT_TRUE(store.IsTransacted());
  ASSERT_TRUE(store.Commit());
  EXPECT_FALSE(store.IsDirty());
  store.Close();
  const std::vector<BYTE> dirBytes = rootStream(file(), "Directory");
  ASSERT_EQ(dirBytes.size(), 1024u + 53u);
  EXPECT_EQ(dirBytes[0] | dirBytes[1] << 8, 1077);
  EXPECT_EQ(dirBytes[12] | dirBytes[13] << 8, 1024);  // next free id
}

TEST_F(ItemStore, NodesFollowTheDuplicateRules) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(nullptr, 0));
  auto a = node("\\A", kNodeFolder);
  ASSERT_TRUE(store.AddNode(&a));
  EXPECT_FALSE(store.AddNode(&a));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_ROOTFOLDEREXISTS));
  auto ab = node("\\A\\B", kNodeFolder);
  EXPECT_TRUE(store.AddNode(&ab));
  EXPECT_TRUE(store.AddNode(&ab));  // no name check below other folders
  EXPECT_EQ(store.GetLastError(), 0u);

  auto x = node("\\A\\X");
  ASSERT_TRUE(store.AddNode(&x));
  EXPECT_FALSE(store.AddNode(&x));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_NODEEXISTS));
  auto lost = node("\\Missing\\X");
  EXPECT_FALSE(store.AddNode(&lost));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_PATHNOTFOUND));
  auto bad = node("NoSeparator");
  EXPECT_FALSE(store.AddNode(&bad));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));

  // Folders stay ahead of items, in their order of creation.
  auto c = node("\\A\\C", kNodeFolder);
  ASSERT_TRUE(store.AddNode(&c));
  EXPECT_EQ(children(store, "\\A"), (std::vector<std::string>{"B", "B", "C", "X"}));
  EXPECT_EQ(children(store, "\\"), std::vector<std::string>{"A"});

  OrvoNodeInfo info;
  ASSERT_TRUE(store.GetNodeInfo("\\A\\X", &info));
  EXPECT_STREQ(info.path, "X");
  EXPECT_FALSE(store.GetNodeInfo("\\A\\Nothing", &info));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_PATHNOTFOUND));
  EXPECT_FALSE(store.GetNodeInfo("\\", &info));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));
  EXPECT_FALSE(store.DeleteNode("\\"));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));
}

TEST_F(ItemStore, SortedFoldersKeepTheirItemsInOrderOfDescription) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(nullptr, ORVO_OPEN_DIRECT));
  auto up = node("\\Up", kNodeFolder | kNodeSortAscending);
  auto down = node("\\Down", kNodeFolder | kNodeSortDescending);
  ASSERT_TRUE(store.AddNode(&up));
  ASSERT_TRUE(store.AddNode(&down));
  for (const char* d : {"B", "A", "C"}) {
    auto i = node((std::string("\\Up\\") + d).c_str(), 0, d);
    auto j = node((std::string("\\Down\\") + d).c_str(), 0, d);
    ASSERT_TRUE(store.AddNode(&i));
    ASSERT_TRUE(store.AddNode(&j));
  }
  auto plain = node("\\Up\\Z");  // no description: sorts before every description
  ASSERT_TRUE(store.AddNode(&plain));
  auto last = node("\\Up\\D", 0, "D");
  ASSERT_TRUE(store.AddNode(&last));
  // Items without a description are passed over when the next one is placed.
  EXPECT_EQ(children(store, "\\Up"), (std::vector<std::string>{"Z", "A", "B", "C", "D"}));
  EXPECT_EQ(children(store, "\\Down"), (std::vector<std::string>{"C", "B", "A"}));
}

TEST_F(ItemStore, TheTreeSurvivesCommitAndReopen) {
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE | ORVO_SHARE_EXCLUSIVE));
    auto calc = node("\\Calculator", kNodeFolder, "CFX-9850G", 5, 6);
    ASSERT_TRUE(store.AddNode(&calc));
    auto prog = node("\\Calculator\\Prog", 0x300, "Programme", 7, 8);
    ASSERT_TRUE(store.AddNode(&prog));
    OrvoNodeInfo check;
    ASSERT_TRUE(store.GetNodeInfo("\\Calculator\\Prog", &check));
    ASSERT_TRUE(store.Commit());
  }
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_SHARE_EXCLUSIVE));
  OrvoNodeInfo info;
  ASSERT_TRUE(store.GetNodeInfo("\\Calculator\\Prog", &info));
  EXPECT_EQ(info.flags, 0x300u);
  EXPECT_STREQ(info.description, "Programme");
  EXPECT_EQ(info.valueA, 7u);
  EXPECT_EQ(info.valueB, 8u);
  auto more = node("\\Calculator\\New");
  ASSERT_TRUE(store.AddNode(&more));
  // Ids go on above every id read: 1024 and 1025 were taken.
  IStream* s = nullptr;
  ASSERT_TRUE(store.OpenItemStream(&more, &s, ORVO_STREAM_WRITE | ORVO_STREAM_CREATE));
  store.CloseItemStream(s);
  ASSERT_TRUE(store.Commit());
  store.Close();
  EXPECT_EQ(itemElements(file()), std::vector<std::string>{"Item_00001026"});
}

TEST_F(ItemStore, CloseWithoutCommitDiscardsEverything) {
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE));
    ASSERT_TRUE(store.Commit());
  }
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(file().c_str(), ORVO_SHARE_EXCLUSIVE));
    auto f = node("\\Gone", kNodeFolder);
    ASSERT_TRUE(store.AddNode(&f));
    EXPECT_TRUE(store.IsDirty());
    store.Close();
  }
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_READONLY | ORVO_SHARE_DENYNONE));
  EXPECT_TRUE(children(store, "\\").empty());
}

TEST_F(ItemStore, DirectModeWritesTheTreeAtOnce) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE | ORVO_OPEN_DIRECT | ORVO_SHARE_EXCLUSIVE));
  EXPECT_FALSE(store.IsTransacted());
  auto f = node("\\Kept", kNodeFolder);
  ASSERT_TRUE(store.AddNode(&f));
  store.Close();  // no Commit
  COrvoItemStore again;
  ASSERT_TRUE(again.Open(file().c_str(), ORVO_OPEN_READONLY | ORVO_SHARE_DENYNONE));
  EXPECT_EQ(children(again, "\\"), std::vector<std::string>{"Kept"});
}

TEST_F(ItemStore, DeletingAFolderRemovesItsItemsAndTheirData) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE));
  auto f = node("\\F", kNodeFolder);
  auto g = node("\\F\\G", kNodeFolder);
  auto i = node("\\F\\G\\I");
  ASSERT_TRUE(store.AddNode(&f));
  ASSERT_TRUE(store.AddNode(&g));
  IStream* s = nullptr;
  ASSERT_TRUE(store.OpenItemStream(&i, &s, ORVO_STREAM_WRITE | ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE));
  ASSERT_TRUE(store.Write(s, "data", 4));
  store.CloseItemStream(s);

  OrvoFindHandle h = nullptr;
  ASSERT_TRUE(store.FindFirst("\\F\\G", &h));
  ASSERT_TRUE(store.DeleteNode("\\F"));
  EXPECT_FALSE(store.FindNext(h));  // the enumeration of a deleted folder ends safely
  OrvoNodeInfo info;
  EXPECT_FALSE(store.GetFoundInfo(h, &info));
  store.FindClose(h);
  EXPECT_TRUE(children(store, "\\").empty());
  EXPECT_FALSE(store.DeleteNode("\\F"));
  ASSERT_TRUE(store.Commit());
  store.Close();
  EXPECT_TRUE(itemElements(file()).empty());
}

TEST_F(ItemStore, NodeInfoChangesByMask) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(nullptr, 0));
  auto f = node("\\F", kNodeFolder | 0x100, "old", 1, 2);
  ASSERT_TRUE(store.AddNode(&f));
  auto change = node("Renamed", 0x300, "new", 10, 20);
  ASSERT_TRUE(store.SetNodeInfo("\\F", &change, ORVO_SET_DESCRIPTION | ORVO_SET_VALUEA | ORVO_SET_ADDFLAGS));
  OrvoNodeInfo info;
  ASSERT_TRUE(store.GetNodeInfo("\\F", &info));
  EXPECT_STREQ(info.description, "new");
  EXPECT_EQ(info.valueA, 10u);
  EXPECT_EQ(info.valueB, 2u);
  EXPECT_EQ(info.flags, kNodeFolder | 0x300u);
  auto clear = node("", 0x200);
  ASSERT_TRUE(store.SetNodeInfo("\\F", &clear, ORVO_SET_CLEARFLAGS));
  ASSERT_TRUE(store.SetNodeInfo("\\F", &change, ORVO_SET_NAME | ORVO_SET_VALUEB));
  ASSERT_TRUE(store.GetNodeInfo("\\Renamed", &info));
  EXPECT_EQ(info.flags, kNodeFolder | 0x100u);
  EXPECT_EQ(info.valueB, 20u);
  EXPECT_FALSE(store.SetNodeInfo("\\Renamed", nullptr, ORVO_SET_NAME));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));
}

TEST_F(ItemStore, DamagedDirectoriesAreRefusedWithTheirCodes) {
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE));
    ASSERT_TRUE(store.Commit());
  }
  std::vector<BYTE> good = rootStream(file(), "Directory");
  ASSERT_EQ(good.size(), 1077u);
  auto openWith = [&](std::vector<BYTE> bytes) {
    writeRootStream(file(), "Directory", bytes);
    COrvoItemStore store;
    EXPECT_FALSE(store.Open(file().c_str(), ORVO_SHARE_EXCLUSIVE));
    EXPECT_FALSE(store.IsOpen());
    return store.GetLastError();
  };
  std::vector<BYTE> b = good;
  b[5] = 0;
  EXPECT_EQ(openWith(b), DWORD(ORVO_E_DAMAGED));
  b = good;
  b[8] = 2;
  EXPECT_EQ(openWith(b), DWORD(ORVO_E_BADVERSION));
  b = good;
  b[16] = 1;
  EXPECT_EQ(openWith(b), DWORD(ORVO_E_BADLAYOUT));
  EXPECT_EQ(openWith(std::vector<BYTE>(good.begin(), good.begin() + 500)), DWORD(ORVO_E_DAMAGED));
}

TEST_F(ItemStore, FilesThatAreNotStoresOrMissingAreReported) {
  COrvoItemStore store;
  EXPECT_FALSE(store.Open(file("missing.qxd").c_str(), ORVO_SHARE_EXCLUSIVE));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_NOTFOUND));
  QFile plain(QString::fromStdString(file("plain.qxi")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write(QByteArray(2048, 'x'));
  plain.close();
  EXPECT_FALSE(store.Open(file("plain.qxi").c_str(), ORVO_SHARE_EXCLUSIVE));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_FILEEXISTS));  // how an old document is recognised
  auto n = node("\\A", kNodeFolder);
  EXPECT_FALSE(store.AddNode(&n));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_NOTOPEN));
  EXPECT_FALSE(store.Commit());
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_NOTOPEN));
}

TEST_F(ItemStore, SaveAsContinuesOnTheNewFileAndAFailureKeepsTheOld) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(nullptr, 0));
  auto f = node("\\F", kNodeFolder);
  auto i = node("\\F\\I");
  ASSERT_TRUE(store.AddNode(&f));
  IStream* s = nullptr;
  ASSERT_TRUE(store.OpenItemStream(&i, &s, ORVO_STREAM_WRITE | ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE));
  ASSERT_TRUE(store.Write(s, "abc", 3));
  store.CloseItemStream(s);

  const std::string bad = dir.filePath(QStringLiteral("no/such/dir/x.qxd")).toStdString();
  EXPECT_FALSE(store.Open(bad.c_str(), ORVO_OPEN_SAVEAS | ORVO_SHARE_EXCLUSIVE));
  EXPECT_TRUE(store.IsOpen());
  EXPECT_EQ(children(store, "\\F"), std::vector<std::string>{"I"});

  ASSERT_TRUE(store.Open(file("saved.qxd").c_str(), ORVO_OPEN_SAVEAS | ORVO_SHARE_EXCLUSIVE));
  EXPECT_FALSE(store.IsDirty());
  store.Close();
  COrvoItemStore back;
  ASSERT_TRUE(back.Open(file("saved.qxd").c_str(), ORVO_OPEN_READONLY | ORVO_SHARE_DENYWRITE));
  ASSERT_TRUE(back.OpenItemStream(&i, &s, ORVO_STREAM_READ));
  char buf[3];
  ASSERT_TRUE(back.Read(s, buf, 3));
  EXPECT_EQ(std::string(buf, 3), "abc");
  EXPECT_FALSE(back.Read(s, buf, 1));  // the whole count or failure
  back.CloseItemStream(s);
}

TEST_F(ItemStore, ItemStreamsOpenCreateAndFail) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(nullptr, 0));
  auto f = node("\\F", kNodeFolder);
  ASSERT_TRUE(store.AddNode(&f));
  auto i = node("\\F\\I");
  IStream* s = nullptr;
  EXPECT_FALSE(store.OpenItemStream(&i, &s, ORVO_STREAM_READ));  // no node: no code
  EXPECT_EQ(store.GetLastError(), 0u);
  ASSERT_TRUE(store.OpenItemStream(&i, &s, ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE));
  store.CloseItemStream(s);
  EXPECT_FALSE(store.OpenItemStream(&i, &s, ORVO_STREAM_CREATENODE | ORVO_STREAM_NEWNODEONLY));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_NODEEXISTS));
  EXPECT_FALSE(store.OpenItemStream(nullptr, &s, 0));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));
  EXPECT_FALSE(store.CloseItemStream(nullptr));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_BADPATH));

  // A stream already missing counts as deleted.
  EXPECT_TRUE(store.DeleteItemStream(&i));
  EXPECT_TRUE(store.DeleteItemStream(&i));
  auto none = node("\\F\\None");
  EXPECT_FALSE(store.DeleteItemStream(&none));
  EXPECT_EQ(store.GetLastError(), DWORD(ORVO_E_PATHNOTFOUND));
}

TEST_F(ItemStore, ANodeMadeForAStreamThatCannotOpenIsTakenOutAgain) {
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE));
    auto f = node("\\F", kNodeFolder);
    ASSERT_TRUE(store.AddNode(&f));
    ASSERT_TRUE(store.Commit());
  }
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_READONLY | ORVO_SHARE_DENYWRITE));
  auto i = node("\\F\\New");
  IStream* s = nullptr;
  EXPECT_FALSE(store.OpenItemStream(&i, &s, ORVO_STREAM_WRITE | ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE));
  EXPECT_NE(store.GetLastError(), 0u);
  EXPECT_EQ(s, nullptr);
  EXPECT_TRUE(children(store, "\\F").empty());
}

TEST_F(ItemStore, LoadFromStorageBringsInAnotherStoresTree) {
  COrvoItemStore source;
  ASSERT_TRUE(source.Open(nullptr, 0));
  auto f = node("\\Clip", kNodeFolder);
  ASSERT_TRUE(source.AddNode(&f));
  auto i = node("\\Clip\\Item");
  IStream* s = nullptr;
  ASSERT_TRUE(source.OpenItemStream(&i, &s, ORVO_STREAM_WRITE | ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE));
  ASSERT_TRUE(source.Write(s, "xyz", 3));
  source.CloseItemStream(s);
  ASSERT_TRUE(source.Commit());

  COrvoItemStore target;
  ASSERT_TRUE(target.Open(nullptr, 0));
  ASSERT_TRUE(target.LoadFromStorage(source.GetRootStorage()));
  EXPECT_TRUE(target.IsDirty());
  EXPECT_EQ(children(target, "\\"), std::vector<std::string>{"Clip"});
  EXPECT_EQ(children(target, "\\Clip"), std::vector<std::string>{"Item"});
  ASSERT_TRUE(target.OpenItemStream(&i, &s, ORVO_STREAM_READ));
  char buf[3];
  ASSERT_TRUE(target.Read(s, buf, 3));
  EXPECT_EQ(std::string(buf, 3), "xyz");
  target.CloseItemStream(s);

  // Detach hands over the root storage; the store is closed.
  IStorage* root = target.Detach();
  ASSERT_TRUE(root);
  EXPECT_FALSE(target.IsOpen());
  root->Release();
}

TEST(ItemStoreErrors, StorageResultsMapToStoreCodes) {
  EXPECT_EQ(COrvoItemStore::MapError(S_OK), 0u);
  EXPECT_EQ(COrvoItemStore::MapError(STG_S_CONVERTED), 0u);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_FILENOTFOUND), 0x2000000Au);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_PATHNOTFOUND), 0x2000000Du);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_TOOMANYOPENFILES), 0x20000006u);
  for (HRESULT hr : {STG_E_ACCESSDENIED, STG_E_SHAREVIOLATION, STG_E_LOCKVIOLATION})
    EXPECT_EQ(COrvoItemStore::MapError(hr), 0x20000004u);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_INSUFFICIENTMEMORY), 0x20000003u);
  for (HRESULT hr : {STG_E_INVALIDPOINTER, STG_E_INVALIDNAME, STG_E_INVALIDFLAG})
    EXPECT_EQ(COrvoItemStore::MapError(hr), 0x20000007u);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_FILEALREADYEXISTS), 0x20000009u);
  EXPECT_EQ(COrvoItemStore::MapError(STG_E_DOCFILECORRUPT), 0x20000002u);
}

// Run in a second process by the test below: opens the file named in the
// environment exclusively and exits with the store's error code.
TEST(ItemStoreChild, DISABLED_OpenExclusively) {
  const char* path = std::getenv("TALLIX_STORE_FILE");
  ASSERT_TRUE(path);
  COrvoItemStore store;
  store.Open(path, ORVO_SHARE_EXCLUSIVE);
  std::exit(store.IsOpen() ? 0 : int(store.GetLastError() & 0xFF));
}

TEST_F(ItemStore, AFileOpenElsewhereExclusivelyIsRefused) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(file().c_str(), ORVO_OPEN_CREATE));
  ASSERT_TRUE(store.Commit());
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TALLIX_STORE_FILE"), QString::fromStdString(file()));
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_also_run_disabled_tests"),
               QStringLiteral("--gtest_filter=ItemStoreChild.DISABLED_OpenExclusively")});
  ASSERT_TRUE(child.waitForFinished(30000));
  EXPECT_EQ(child.exitCode(), 0x04);  // 0x20000004: access denied, sharing or lock violation
}

}  // namespace
