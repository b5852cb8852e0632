// Writes that fail part way (a full disk, an I/O error, a crash) leave the
// file as it was after the previous successful write.
#include "platform/storage/StorageTestHooks.h"
#include "tests/platform/StorageTestSupport.h"
#include "tests/support/SparseCompoundFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using namespace storagetest;
namespace hooks = tallix::cfb::testhooks;

namespace {

const Tree kBefore{{"Directory", pattern(1, 1077)},
                   {"Data_Items/Item_00001024", pattern(2, 100)},
                   {"Data_Items/Item_00001025", pattern(3, 9000)},
                   {"Big", pattern(4, 200000)},
                   {"Gone", pattern(5, 5000)}};

class StorageFailure : public StorageTest {
 protected:
  void TearDown() override { hooks::clearWriteFailures(); }

  // Changes of every kind: a stream grows past the cut-off, one shrinks below
  // it, one goes, one comes, the big one is rewritten.
  static Tree change(IStorage* root, bool failing = false) {
    Tree after = kBefore;
    after["Directory"] = pattern(11, 5000);
    after["Data_Items/Item_00001025"] = pattern(12, 50);
    after["Data_Items/Item_00001026"] = pattern(13, 3000);
    after["Big"] = pattern(14, 150000);
    after.erase("Gone");
    // In direct mode a failing write shows in the results; the changes stay.
    const HRESULT written = writeTree(root, {{"Directory", after["Directory"]},
                                             {"Data_Items/Item_00001025", after["Data_Items/Item_00001025"]},
                                             {"Data_Items/Item_00001026", after["Data_Items/Item_00001026"]},
                                             {"Big", after["Big"]}});
    const HRESULT destroyed = root->DestroyElement("Gone");
    if (!failing) {
      EXPECT_EQ(written, S_OK);
      EXPECT_EQ(destroyed, S_OK);
    }
    return after;
  }

  // How many writes a whole commit of these changes takes.
  int writesOfACommit(const std::string& p, const Bytes& original) {
    writeFile(p, original);
    ComPtr<IStorage> root;
    EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    change(root.get());
    hooks::resetWriteCount();
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    return hooks::writeCount();
  }
};

TEST_F(StorageFailure, AFailedCommitLosesNothingAndCanBeRetried) {
  const std::string p = makeFile("f.qxd", kBefore);
  const Bytes original = readFile(p);
  const int writes = writesOfACommit(p, original);
  ASSERT_GT(writes, 5);
  // The last three are the new header, its flush and the cut after the last
  // sector; a failure of the cut costs only space.
  for (int k = 0; k < writes - 1; ++k) {
    writeFile(p, original);
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    const Tree after = change(root.get());
    hooks::failWritesAfter(k, ENOSPC);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_MEDIUMFULL) << "failing write " << k;
    hooks::clearWriteFailures();
    // Meanwhile the file is as it was, or, once the header was written, as it
    // is to be (the writer holds it exclusively: look at a copy)...
    writeFile(path("copy.qxd"), readFile(p));
    const Tree seen = treeOf(path("copy.qxd"));
    EXPECT_TRUE(seen == kBefore || (k >= writes - 2 && seen == after)) << "failing write " << k;
    // ...and the same commit succeeds once the disk has room.
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK) << "failing write " << k;
    root.reset();
    EXPECT_TRUE(treeOf(p) == after) << "failing write " << k;
  }
}

TEST_F(StorageFailure, ACrashDuringACommitLeavesThePreviousContents) {
  const std::string p = makeFile("f.qxd", kBefore);
  const Bytes original = readFile(p);
  const int writes = writesOfACommit(p, original);
  for (int k = 0; k < writes; ++k) {
    writeFile(p, original);
    Tree after;
    {
      ComPtr<IStorage> root;
      ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
      after = change(root.get());
      // Nothing more reaches the disk from the failing write on; that one
      // writes half of its bytes.
      hooks::failWritesAfter(k, EIO, true);
      EXPECT_EQ(root->Commit(STGC_DEFAULT), k < writes - 1 ? STG_E_WRITEFAULT : S_OK);
    }
    hooks::clearWriteFailures();
    const Tree seen = treeOf(p);
    EXPECT_TRUE(seen == kBefore || (k >= writes - 2 && seen == after)) << "crash at write " << k;
  }
}

TEST_F(StorageFailure, DirectModeWritesLoseNothingEither) {
  const std::string p = makeFile("f.qxd", kBefore);
  const Bytes original = readFile(p);
  // The states the file goes through, one element release after another.
  std::vector<Tree> states{kBefore};
  {
    ComPtr<IStorage> scratch;
    ASSERT_EQ(StgCreateDocfile(nullptr, kCreate | STGM_DELETEONRELEASE, 0, scratch.put()), S_OK);
    ASSERT_EQ(writeTree(scratch.get(), kBefore), S_OK);
    const Tree after = change(scratch.get());
    for (const char* path : {"Big", "Data_Items/Item_00001025", "Data_Items/Item_00001026", "Directory"}) {
      states.push_back(states.back());
      states.back()[path] = after.at(path);
    }
    states.push_back(after);
  }
  for (int k = 0; k < 12; ++k) {
    writeFile(p, original);
    {
      ComPtr<IStorage> root;
      ASSERT_EQ(openFile(p, kOpenRW, &root), S_OK);
      hooks::failWritesAfter(k, EIO, true);
      change(root.get(), true);  // releasing each stream writes in direct mode
    }  // and so does the root's release, failing as well
    hooks::clearWriteFailures();
    // Each write that got through is whole: the file holds the contents
    // after one of the element releases, never a mixture.
    const Tree read = treeOf(p);
    EXPECT_NE(std::find(states.begin(), states.end(), read), states.end()) << "crash at write " << k;
  }
  // Once the disk works again, the root's release writes what was left.
  writeFile(p, original);
  Tree after;
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW, &root), S_OK);
    hooks::failWritesAfter(0, ENOSPC);
    after = change(root.get(), true);
    hooks::clearWriteFailures();
  }
  EXPECT_TRUE(treeOf(p) == after);
}

// A save of an unchanged document: its small records are written again, one
// with other bytes of the same length. Such saves rewrite only the sectors
// whose bytes change, in sectors the last state does not use, so the file
// keeps its size, and a crash at any write still leaves the last state.
TEST_F(StorageFailure, UnchangedSavesKeepTheSizeAndACrashInOneLosesNothing) {
  Tree before{{"Directory", pattern(1, 20000)}};
  for (int i = 0; i < 300; ++i)
    before["Data_Items/Item_" + std::to_string(10000 + i)] = pattern(std::uint32_t(i), std::size_t(40 + i % 200));
  const std::string p = makeFile("many.qxd", before);
  const Bytes original = readFile(p);
  Tree after = before;
  after["Data_Items/Item_10007"] = pattern(77, 47);
  auto save = [&](IStorage* root) {
    EXPECT_EQ(writeTree(root, {{"Data_Items/Item_10007", after.at("Data_Items/Item_10007")},
                               {"Data_Items/Item_10008", after.at("Data_Items/Item_10008")}}),
              S_OK);
  };
  auto commitCounted = [&](int failAt) {
    ComPtr<IStorage> root;
    EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    save(root.get());
    hooks::resetWriteCount();
    if (failAt >= 0) hooks::failWritesAfter(failAt, EIO, true);
    root->Commit(STGC_DEFAULT);
    hooks::clearWriteFailures();
    return hooks::writeCount();
  };
  for (int i = 0; i < 5; ++i) commitCounted(-1);
  EXPECT_TRUE(treeOf(p) == after);
  EXPECT_LE(readFile(p).size(), original.size() + original.size() / 10);

  writeFile(p, original);
  const int writes = commitCounted(-1);
  for (int k = 0; k < writes; ++k) {
    writeFile(p, original);
    commitCounted(k);
    const Tree seen = treeOf(p);
    EXPECT_TRUE(seen == before || (k >= writes - 2 && seen == after)) << "crash at write " << k;
  }
}

TEST_F(StorageFailure, ANewFileThatCannotBeWrittenIsRemoved) {
  const std::string p = path("new.qxd");
  ComPtr<IStorage> root;
  hooks::failWritesAfter(0, ENOSPC);
  EXPECT_EQ(createFile(p, kCreate, &root), STG_E_MEDIUMFULL);
  hooks::clearWriteFailures();
  EXPECT_TRUE(readFile(p).empty());
  EXPECT_EQ(openFile(p, kOpenRead, &root), STG_E_FILENOTFOUND);
}

// The largest file the reader opens is the largest the writer makes: a
// commit past it is refused before anything is written, and the file opens
// as it was. Files of that size are sparse ones, their bulk never read.
TEST_F(StorageFailure, NoFileIsWrittenPastTheSizeTheReaderOpens) {
  const std::string p = path("large.qxd");
  ASSERT_TRUE(tallix::test::writeSparseCompoundFile(p, kMaxCompoundFileSize - (12u << 20)));
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    ASSERT_EQ(writeStream(root.get(), "Fits", pattern(1, 5000)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    ASSERT_EQ(writeStream(root.get(), "Past", pattern(2, 16u << 20)), S_OK);
    struct stat before {};
    ASSERT_EQ(::stat(p.c_str(), &before), 0);
    hooks::resetWriteCount();
    EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_DOCFILETOOLARGE);
    EXPECT_EQ(hooks::writeCount(), 0);
    struct stat after {};
    ASSERT_EQ(::stat(p.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_LE(std::uint64_t(after.st_size), kMaxCompoundFileSize);
  }
  ComPtr<IStorage> again;
  ASSERT_EQ(openFile(p, kOpenRead, &again), S_OK);
  EXPECT_EQ(readStream(again.get(), "Fits"), pattern(1, 5000));
  EXPECT_FALSE(readStream(again.get(), "Past").has_value());
  again.reset();

  // The reader's bound: one byte more is refused unopened.
  const std::string small = makeFile("small.qxd", {{"S", pattern(3, 100)}});
  ASSERT_EQ(::truncate(small.c_str(), off_t(kMaxCompoundFileSize)), 0);
  EXPECT_EQ(openFile(small, kOpenRead, &again), S_OK);
  again.reset();
  ASSERT_EQ(::truncate(small.c_str(), off_t(kMaxCompoundFileSize + 1)), 0);
  EXPECT_EQ(openFile(small, kOpenRead, &again), STG_E_ACCESSDENIED);
}

// At the bound itself: a commit that makes the file exactly as large as the
// reader opens is taken, and the file opens again; one that needs a byte
// more is refused with nothing written. The stream that fills the file to
// the bound is found by halving, each try on a fresh file of the same size.
TEST_F(StorageFailure, ACommitMakesTheFileAsLargeAsTheBoundAndNotAByteLarger) {
  const std::string p = path("edge.qxd");
  constexpr std::uint64_t kSector = 512;
  struct Result {
    HRESULT hr = STG_E_UNKNOWN;
    int writes = -1;
    std::uint64_t size = 0;
  };
  // Commits a stream of `bytes` into a file close to the bound.
  auto commit = [&](std::uint64_t bytes) {
    Result r;
    if (!tallix::test::writeSparseCompoundFile(p, kMaxCompoundFileSize - (9u << 20))) return r;
    ComPtr<IStorage> root;
    if (openFile(p, kOpenRW | STGM_TRANSACTED, &root) != S_OK ||
        writeStream(root.get(), "Edge", pattern(6, std::size_t(bytes))) != S_OK)
      return r;
    hooks::resetWriteCount();
    r.hr = root->Commit(STGC_DEFAULT);
    r.writes = hooks::writeCount();
    root.reset();
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0) r.size = std::uint64_t(st.st_size);
    return r;
  };
  std::uint64_t fits = 8, past = 4096;  // in sectors
  ASSERT_EQ(commit(fits * kSector).hr, S_OK);
  ASSERT_EQ(commit(past * kSector).hr, STG_E_DOCFILETOOLARGE);
  while (past - fits > 1) {
    const std::uint64_t mid = (fits + past) / 2;
    (commit(mid * kSector).hr == S_OK ? fits : past) = mid;
  }
  const Result full = commit(fits * kSector);
  EXPECT_EQ(full.hr, S_OK);
  EXPECT_EQ(full.size, kMaxCompoundFileSize);
  {
    ComPtr<IStorage> again;
    ASSERT_EQ(openFile(p, kOpenRead, &again), S_OK);
    const auto edge = readStream(again.get(), "Edge");
    ASSERT_TRUE(edge.has_value());
    EXPECT_EQ(edge->size(), fits * kSector);
  }
  const Result over = commit(fits * kSector + 1);
  EXPECT_EQ(over.hr, STG_E_DOCFILETOOLARGE);
  EXPECT_EQ(over.writes, 0);
  EXPECT_LT(over.size, kMaxCompoundFileSize);
}

}  // namespace
