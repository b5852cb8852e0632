#include "tests/platform/StorageTestSupport.h"

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace storagetest;

namespace {

class StorageModes : public StorageTest {
 protected:
  // What another opener sees in the file now (it may read while the writer
  // denies only writing).
  Tree seenByReader(const std::string& p) {
    ComPtr<IStorage> reader;
    EXPECT_EQ(openFile(p, STGM_READ | STGM_SHARE_DENY_NONE, &reader), S_OK);
    return reader ? readTree(reader.get()) : Tree{};
  }
  static constexpr DWORD kWriterLettingRead = STGM_READWRITE | STGM_SHARE_DENY_WRITE;
};

TEST_F(StorageModes, TransactedChangesReachTheFileOnlyWithTheRootCommit) {
  const Tree before{{"Directory", pattern(1, 100)}, {"Data_Items/Item_00001024", pattern(2, 5000)}};
  const std::string p = makeFile("t.qxd", before);
  ComPtr<IStorage> root;
  ASSERT_EQ(openFile(p, kWriterLettingRead | STGM_TRANSACTED, &root), S_OK);
  ASSERT_EQ(writeStream(root.get(), "Directory", pattern(3, 200)), S_OK);
  ASSERT_EQ(root->DestroyElement("Data_Items"), S_OK);
  EXPECT_EQ(seenByReader(p), before);
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  EXPECT_EQ(seenByReader(p), (Tree{{"Directory", pattern(3, 200)}}));
}

TEST_F(StorageModes, ReleaseWithoutCommitAndRevertDiscardChanges) {
  const Tree before{{"Directory", pattern(1, 100)}, {"A/x", pattern(2, 7000)}};
  const std::string p = makeFile("t.qxd", before);
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    ASSERT_EQ(writeTree(root.get(), {{"A/x", pattern(3, 10)}, {"New", pattern(4, 10)}}), S_OK);
  }
  EXPECT_EQ(treeOf(p), before);

  ComPtr<IStorage> root;
  ComPtr<IStream> open;
  ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
  ASSERT_EQ(writeStream(root.get(), "Directory", pattern(5, 10)), S_OK);
  ASSERT_EQ(root->OpenStream("Directory", nullptr, kSub, 0, open.put()), S_OK);
  ASSERT_EQ(root->Revert(), S_OK);
  EXPECT_EQ(readTree(root.get()), before);
  // What was open under the reverted storage is dead, but can be released.
  ULONG moved;
  char c;
  EXPECT_EQ(open->Read(&c, 1, &moved), STG_E_REVERTED);
}

TEST_F(StorageModes, TransactedSubStoragesCommitIntoTheirParent) {
  const std::string p = makeFile("t.qxd", {{"Data_Items/Item_00001024", pattern(1, 10)}});
  ComPtr<IStorage> root, items;
  ASSERT_EQ(openFile(p, kWriterLettingRead | STGM_TRANSACTED, &root), S_OK);
  const DWORD transactedSub = kSub | STGM_TRANSACTED;
  ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, transactedSub, nullptr, 0, items.put()), S_OK);
  ASSERT_EQ(writeStream(items.get(), "Item_00001025", pattern(2, 6000)), S_OK);
  items.reset();  // not committed: the parent never sees it
  EXPECT_EQ(readTree(root.get()), (Tree{{"Data_Items/Item_00001024", pattern(1, 10)}}));

  ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, transactedSub, nullptr, 0, items.put()), S_OK);
  ASSERT_EQ(writeStream(items.get(), "Item_00001025", pattern(2, 6000)), S_OK);
  ASSERT_EQ(items->Commit(STGC_DEFAULT), S_OK);
  ASSERT_EQ(writeStream(items.get(), "Item_00001026", pattern(3, 1)), S_OK);  // after the commit
  items.reset();
  const Tree committed{{"Data_Items/Item_00001024", pattern(1, 10)}, {"Data_Items/Item_00001025", pattern(2, 6000)}};
  EXPECT_EQ(readTree(root.get()), committed);
  EXPECT_EQ(seenByReader(p).size(), 1u);  // the file waits for the root
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  root.reset();
  EXPECT_EQ(treeOf(p), committed);
}

// A transacted storage reads its parent's elements until its first change;
// a change, even through a stream opened before it, stays its own until it
// commits, and the root's Revert goes back to what the file holds.
TEST_F(StorageModes, ChangesInPlaceStayWithTheTransactedStorageUntilItCommits) {
  const Tree before{{"Data_Items/Item_00001024", pattern(1, 10)}, {"Data_Items/Item_00001025", pattern(2, 5000)}};
  const std::string p = makeFile("t.qxd", before);
  ComPtr<IStorage> root, items;
  ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
  auto writeAtStart = [](IStream* s) {
    ULONG moved = 0;
    EXPECT_EQ(s->Write("abc", 3, &moved), S_OK);
  };
  Tree changed = before;
  std::copy_n("abc", 3, changed["Data_Items/Item_00001024"].begin());
  {
    ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, kSub | STGM_TRANSACTED, nullptr, 0, items.put()), S_OK);
    ComPtr<IStream> small, big;
    ASSERT_EQ(items->OpenStream("Item_00001024", nullptr, kSub, 0, small.put()), S_OK);
    ASSERT_EQ(items->OpenStream("Item_00001025", nullptr, kSub, 0, big.put()), S_OK);
    writeAtStart(small.get());
    writeAtStart(big.get());
    small.reset();
    big.reset();
    Tree both = changed;
    std::copy_n("abc", 3, both["Data_Items/Item_00001025"].begin());
    EXPECT_EQ(readTree(items.get(), "Data_Items/"), both);
  }
  items.reset();
  EXPECT_EQ(readTree(root.get()), before);

  ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, kSub | STGM_TRANSACTED, nullptr, 0, items.put()), S_OK);
  ComPtr<IStream> small;
  ASSERT_EQ(items->OpenStream("Item_00001024", nullptr, kSub, 0, small.put()), S_OK);
  writeAtStart(small.get());
  ASSERT_EQ(items->Revert(), S_OK);
  EXPECT_EQ(readTree(items.get(), "Data_Items/"), before);
  ASSERT_EQ(items->OpenStream("Item_00001024", nullptr, kSub, 0, small.put()), S_OK);
  writeAtStart(small.get());
  small.reset();
  ASSERT_EQ(items->Commit(STGC_DEFAULT), S_OK);
  items.reset();
  EXPECT_EQ(readTree(root.get()), changed);
  ASSERT_EQ(root->Revert(), S_OK);  // the file still holds the state before
  EXPECT_EQ(readTree(root.get()), before);
}

// Small streams are read from the file when asked for. Commits of one open
// file move parts of its mini stream; every stream still reads its own bytes,
// also one opened before the commits, and the file does not grow.
TEST_F(StorageModes, SmallStreamsReadFromTheFileStayRightAcrossCommits) {
  Tree tree;
  for (int i = 0; i < 200; ++i) tree["S" + std::to_string(100 + i)] = pattern(std::uint32_t(i), std::size_t(30 + i * 7 % 400));
  const std::string p = makeFile("small.qxd", tree);
  const std::size_t firstSize = readFile(p).size();
  ComPtr<IStorage> root;
  ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
  ComPtr<IStream> held;
  ASSERT_EQ(root->OpenStream("S150", nullptr, kSub, 0, held.put()), S_OK);
  for (int round = 0; round < 5; ++round) {
    // One stream grows past its neighbours (its mini sectors scatter), one shrinks.
    const std::string grown = "S" + std::to_string(110 + round), shrunk = "S" + std::to_string(120 + round);
    tree[grown] = pattern(std::uint32_t(1000 + round), tree[grown].size() + 150);
    tree[shrunk].resize(10);
    ASSERT_EQ(writeTree(root.get(), {{grown, tree[grown]}, {shrunk, tree[shrunk]}}), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    for (const auto& [name, bytes] : tree) {
      if (name == "S150") continue;  // held open above
      EXPECT_EQ(readStream(root.get(), name.c_str()), bytes) << name << " after commit " << round;
    }
    Bytes seen(tree["S150"].size());
    ULONG got = 0;
    ASSERT_EQ(held->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(held->Read(seen.data(), ULONG(seen.size()), &got), S_OK);
    EXPECT_EQ(seen, tree["S150"]);
  }
  held.reset();
  root.reset();
  EXPECT_EQ(treeOf(p), tree);
  EXPECT_LE(readFile(p).size(), firstSize + firstSize / 10);
}

TEST_F(StorageModes, DirectChangesReachTheFileWhenTheirElementIsReleased) {
  const std::string p = makeFile("d.qxd", {{"Old", pattern(1, 10)}, {"A/x", pattern(2, 10)}});
  ComPtr<IStorage> root, sub;
  ASSERT_EQ(openFile(p, kWriterLettingRead, &root), S_OK);
  ComPtr<IStream> s;
  ASSERT_EQ(root->CreateStream("New", kSub, 0, 0, s.put()), S_OK);
  ULONG moved;
  ASSERT_EQ(s->Write("abc", 3, &moved), S_OK);
  ASSERT_EQ(s->Commit(STGC_DEFAULT), S_OK);  // a stream's commit sends it on
  EXPECT_EQ(seenByReader(p).at("New"), (Bytes{'a', 'b', 'c'}));
  ASSERT_EQ(s->Write("d", 1, &moved), S_OK);
  s.reset();
  EXPECT_EQ(seenByReader(p).at("New"), (Bytes{'a', 'b', 'c', 'd'}));
  ASSERT_EQ(root->DestroyElement("Old"), S_OK);  // at once
  EXPECT_EQ(seenByReader(p).count("Old"), 0u);
  ASSERT_EQ(root->OpenStorage("A", nullptr, kSub, nullptr, 0, sub.put()), S_OK);
  ASSERT_EQ(writeStream(sub.get(), "y", pattern(3, 9000)), S_OK);  // the stream's release
  EXPECT_EQ(seenByReader(p).at("A/y"), pattern(3, 9000));
  sub.reset();
  ASSERT_EQ(root->Revert(), S_OK);  // nothing to revert in direct mode
  EXPECT_EQ(readTree(root.get()).at("A/y"), pattern(3, 9000));
}

TEST_F(StorageModes, ADirectSubStorageOfATransactedRootWaitsForTheRoot) {
  const std::string p = makeFile("d.qxd", {{"A/x", pattern(1, 10)}});
  ComPtr<IStorage> root, sub;
  ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
  ASSERT_EQ(root->OpenStorage("A", nullptr, kSub, nullptr, 0, sub.put()), S_OK);
  ASSERT_EQ(writeStream(sub.get(), "y", pattern(2, 10)), S_OK);
  sub.reset();
  EXPECT_EQ(readTree(root.get()).count("A/y"), 1u);
  root.reset();
  EXPECT_EQ(treeOf(p), (Tree{{"A/x", pattern(1, 10)}}));
}

// How the item store saves a document under a new name: the committed items
// of a transacted sub-storage travel with the root's CopyTo; the old file
// keeps what it had.
TEST_F(StorageModes, ASaveAsCopyCarriesCommittedSubStorageChanges) {
  const std::string oldPath = makeFile("old.qxd", {{"Directory", pattern(1, 1077)}, {"Data_Items/Item_00001024", pattern(2, 10)}});
  const std::string newPath = path("new.qxd");
  {
    ComPtr<IStorage> root, items, copy, copiedItems;
    ASSERT_EQ(openFile(oldPath, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, kSub | STGM_TRANSACTED, nullptr, 0, items.put()), S_OK);
    ASSERT_EQ(writeStream(items.get(), "Item_00001025", pattern(3, 6000)), S_OK);
    ASSERT_EQ(writeStream(root.get(), "Directory", pattern(4, 1130)), S_OK);
    ASSERT_EQ(items->Commit(STGC_DEFAULT), S_OK);
    ASSERT_EQ(createFile(newPath, kCreateTransacted, &copy), S_OK);
    ASSERT_EQ(root->CopyTo(0, nullptr, nullptr, copy.get()), S_OK);
    ASSERT_EQ(copy->OpenStorage("Data_Items", nullptr, kSub | STGM_TRANSACTED, nullptr, 0, copiedItems.put()), S_OK);
    ASSERT_EQ(copy->Commit(STGC_DEFAULT), S_OK);
  }
  EXPECT_EQ(treeOf(newPath), (Tree{{"Directory", pattern(4, 1130)},
                                   {"Data_Items/Item_00001024", pattern(2, 10)},
                                   {"Data_Items/Item_00001025", pattern(3, 6000)}}));
  EXPECT_EQ(treeOf(oldPath), (Tree{{"Directory", pattern(1, 1077)}, {"Data_Items/Item_00001024", pattern(2, 10)}}));
}

TEST_F(StorageModes, TheNamelessTemporaryFileGoesWithItsLastRelease) {
  ComPtr<IStorage> root;
  ASSERT_EQ(StgCreateDocfile(nullptr, kCreate | STGM_DELETEONRELEASE | STGM_TRANSACTED, 0, root.put()), S_OK);
  STATSTG st;
  ASSERT_EQ(root->Stat(&st, STATFLAG_DEFAULT), S_OK);
  ASSERT_FALSE(st.pwcsName.empty());
  ASSERT_EQ(writeStream(root.get(), "Directory", pattern(1, 50)), S_OK);
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  EXPECT_EQ(::access(st.pwcsName.c_str(), F_OK), 0);
  ComPtr<IStorage> second(root);  // one more reference
  root.reset();
  EXPECT_EQ(::access(st.pwcsName.c_str(), F_OK), 0);
  second.reset();
  EXPECT_NE(::access(st.pwcsName.c_str(), F_OK), 0);
}

TEST_F(StorageModes, OpeningAndCreatingFilesReportThePlatformsResults) {
  ComPtr<IStorage> root;
  const std::string p = makeFile("x.qxd", {});
  EXPECT_EQ(createFile(p, kCreate & ~STGM_CREATE, &root), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(openFile(path("missing.qxd"), kOpenRead, &root), STG_E_FILENOTFOUND);
  EXPECT_EQ(openFile(path("no/such/dir.qxd"), kOpenRead, &root), STG_E_PATHNOTFOUND);
  EXPECT_EQ(createFile(path("no/such/dir.qxd"), kCreate, &root), STG_E_PATHNOTFOUND);
  EXPECT_EQ(StgOpenStorage(nullptr, nullptr, kOpenRead, nullptr, 0, root.put()), STG_E_INVALIDNAME);
  EXPECT_EQ(openFile(p, kOpenRead | 0x80000000u, &root), STG_E_INVALIDFLAG);
  EXPECT_EQ(openFile(p, 3 | STGM_SHARE_EXCLUSIVE, &root), STG_E_INVALIDFLAG);
  EXPECT_EQ(createFile(path("ro.qxd"), STGM_READ | STGM_SHARE_EXCLUSIVE | STGM_CREATE, &root), STG_E_INVALIDFLAG);
  EXPECT_EQ(openFile(dir_.path().toStdString(), kOpenRead, &root), STG_E_ACCESSDENIED);
  EXPECT_EQ(StgOpenStorage(p.c_str(), nullptr, kOpenRead, nullptr, 0, nullptr), STG_E_INVALIDPOINTER);

  // A write-protected file opens for reading only.
  ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
  EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), STG_E_ACCESSDENIED);
  ASSERT_EQ(openFile(p, STGM_READ | STGM_TRANSACTED, &root), S_OK);
  ComPtr<IStream> s;
  EXPECT_EQ(root->CreateStream("x", kSub, 0, 0, s.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->DestroyElement("x"), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->SetClass(CLSID{1}), STG_E_ACCESSDENIED);
}

TEST_F(StorageModes, ElementsAreOpenedExclusivelyAndOnceAtATime) {
  ComPtr<IStorage> root, sub;
  ASSERT_EQ(createFile(path("e.qxd"), kCreate, &root), S_OK);
  ASSERT_EQ(writeTree(root.get(), {{"A/x", pattern(1, 10)}, {"s", pattern(2, 10)}}), S_OK);
  ComPtr<IStream> s, again;
  EXPECT_EQ(root->OpenStream("s", nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, 0, s.put()), STG_E_INVALIDFLAG);
  EXPECT_EQ(root->OpenStream("s", nullptr, kSub | STGM_TRANSACTED, 0, s.put()), STG_E_INVALIDFLAG);
  EXPECT_EQ(root->OpenStream("A", nullptr, kSub, 0, s.put()), STG_E_FILENOTFOUND);  // a storage
  ASSERT_EQ(root->OpenStream("s", nullptr, kSub, 0, s.put()), S_OK);
  EXPECT_EQ(root->OpenStream("S", nullptr, kSub, 0, again.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->CreateStream("s", kSub | STGM_CREATE, 0, 0, again.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->RenameElement("s", "t"), STG_E_ACCESSDENIED);
  // Destroying an open element reverts it.
  ASSERT_EQ(root->DestroyElement("s"), S_OK);
  ULONG moved;
  EXPECT_EQ(s->Write("x", 1, &moved), STG_E_REVERTED);
  // Releasing a storage reverts what is open below it.
  ASSERT_EQ(root->OpenStorage("A", nullptr, kSub, nullptr, 0, sub.put()), S_OK);
  ASSERT_EQ(sub->OpenStream("x", nullptr, kSub, 0, s.put()), S_OK);
  sub.reset();
  EXPECT_EQ(s->Write("x", 1, &moved), STG_E_REVERTED);
  root.reset();
  s.reset();
}

}  // namespace
