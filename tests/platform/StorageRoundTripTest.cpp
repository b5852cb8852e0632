#include "tests/platform/StorageTestSupport.h"

using namespace storagetest;

namespace {

class StorageRoundTrip : public StorageTest {};

// Sizes around every boundary of the format: empty, mini sectors, the mini
// stream cut-off, more than one FAT sector's reach (128 sectors).
Tree everySizeClass() {
  Tree t;
  std::uint32_t salt = 1;
  for (std::size_t size : {0, 1, 63, 64, 65, 4095, 4096, 4097, 100000})
    t["Sizes/s" + std::to_string(size)] = pattern(salt++, size);
  t["Data_Items/Item_00001024"] = pattern(50, 300);
  t["Data_Items/Deeper/Item_00001025"] = pattern(51, 9000);
  t["Directory"] = pattern(52, 1077);
  t["\x05SummaryInformation"] = pattern(53, 200);
  t["\xC9l\xE9ments \x80"] = pattern(54, 10);  // "Éléments €" in Windows-1252
  return t;
}

TEST_F(StorageRoundTrip, TreesOfEverySizeClassSurviveReopening) {
  const Tree tree = everySizeClass();
  const std::string p = makeFile("tree.qxd", tree);
  EXPECT_EQ(treeOf(p), tree);
  // The file is made of whole 512-byte sectors after its header.
  EXPECT_EQ(readFile(p).size() % 512, 0u);
}

TEST_F(StorageRoundTrip, ClassIdsStateBitsAndTimesAreKept) {
  const std::string p = path("meta.qxd");
  CLSID rootId{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  CLSID subId{0xCAFEBABE, 1, 2, {9, 9, 9, 9, 9, 9, 9, 9}};
  FILETIME created{0x11111111, 0x01D00000}, modified{0x22222222, 0x01D10000};
  {
    ComPtr<IStorage> root, sub;
    ASSERT_EQ(createFile(p, kCreate, &root), S_OK);
    ASSERT_EQ(root->SetClass(rootId), S_OK);
    ASSERT_EQ(root->SetStateBits(0xF0F0, 0xFFFF), S_OK);
    ASSERT_EQ(root->CreateStorage("Sub", kSub, 0, 0, sub.put()), S_OK);
    ASSERT_EQ(sub->SetClass(subId), S_OK);
    ASSERT_EQ(sub->SetStateBits(5, 0xF), S_OK);
    sub.reset();
    ASSERT_EQ(root->SetElementTimes("Sub", &created, nullptr, &modified), S_OK);
  }
  ComPtr<IStorage> root, sub;
  ASSERT_EQ(openFile(p, kOpenRead, &root), S_OK);
  STATSTG st;
  ASSERT_EQ(root->Stat(&st, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(st.clsid, rootId);
  EXPECT_EQ(st.grfStateBits, 0xF0F0u);
  EXPECT_EQ(st.pwcsName, p);
  std::vector<STATSTG> elements;
  ASSERT_EQ(root->EnumElements(&elements), S_OK);
  ASSERT_EQ(elements.size(), 1u);
  EXPECT_EQ(elements[0].clsid, subId);
  EXPECT_EQ(elements[0].grfStateBits, 5u);
  EXPECT_EQ(elements[0].ctime, created);
  EXPECT_EQ(elements[0].mtime, modified);
}

TEST_F(StorageRoundTrip, AFileAboveTheDifatThresholdReadsBackAndKeepsItsBigStreamInPlace) {
  // 109 FAT sectors reach 6.8 MB; beyond that the FAT needs DIFAT sectors.
  const Bytes big = pattern(7, 7300000);
  const std::string p = makeFile("big.qxd", {{"Big", big}, {"Small", pattern(8, 10)}});
  const Bytes raw = readFile(p);
  EXPECT_GT(le32At(raw, 44), 109u);  // FAT sectors
  EXPECT_GE(le32At(raw, 72), 1u);    // DIFAT sectors
  const std::size_t sizeBefore = raw.size();
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    ASSERT_EQ(writeStream(root.get(), "Small", pattern(9, 20)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  // The unchanged stream was not written again: the file did not grow by it.
  EXPECT_LT(readFile(p).size(), sizeBefore + 100000);
  const Tree back = treeOf(p);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back.at("Big") == big);
  EXPECT_EQ(back.at("Small"), pattern(9, 20));
}

TEST_F(StorageRoundTrip, RepeatedChangesKeepTheFileSmallAndRight) {
  Tree tree = everySizeClass();
  const std::string p = makeFile("cycles.qxd", tree);
  std::size_t largest = 0;
  for (std::uint32_t round = 0; round < 12; ++round) {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    // Streams grow past and shrink below the cut-off in turn; one goes and
    // comes back each time.
    const std::size_t size = round % 2 ? 200 : 20000;
    tree["Sizes/s4096"] = pattern(100 + round, size);
    tree["Directory"] = pattern(200 + round, 1077 + round);
    ASSERT_EQ(writeTree(root.get(), {{"Sizes/s4096", tree["Sizes/s4096"]}, {"Directory", tree["Directory"]}}), S_OK);
    if (round % 2) {
      ASSERT_EQ(root->DestroyElement("\x05SummaryInformation"), S_OK);
      tree.erase("\x05SummaryInformation");
    } else {
      ASSERT_EQ(writeStream(root.get(), "\x05SummaryInformation", pattern(round, 5000)), S_OK);
      tree["\x05SummaryInformation"] = pattern(round, 5000);
    }
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root.reset();
    ASSERT_EQ(treeOf(p), tree) << "round " << round;
    largest = std::max(largest, readFile(p).size());
  }
  // Freed sectors are used again: the file stays near the size of its data.
  EXPECT_LT(largest, 260000u);
}

TEST_F(StorageRoundTrip, NamesMatchWithoutRegardToCaseAndAreCheckedOnTheWayIn) {
  ComPtr<IStorage> root;
  ASSERT_EQ(createFile(path("names.qxd"), kCreate, &root), S_OK);
  ASSERT_EQ(writeStream(root.get(), "Data_Items", pattern(1, 5)), S_OK);
  EXPECT_EQ(readStream(root.get(), "DATA_ITEMS"), pattern(1, 5));
  EXPECT_EQ(readStream(root.get(), "data_items"), pattern(1, 5));
  ComPtr<IStream> s;
  EXPECT_EQ(root->CreateStream("data_ITEMS", kSub, 0, 0, s.put()), STG_E_FILEALREADYEXISTS);
  // 31 characters at most, none of \ / : !, not empty, not null.
  EXPECT_EQ(writeStream(root.get(), std::string(31, 'x').c_str(), {}), S_OK);
  EXPECT_EQ(root->CreateStream(std::string(32, 'x').c_str(), kSub, 0, 0, s.put()), STG_E_INVALIDNAME);
  for (const char* bad : {"", "a\\b", "a/b", "a:b", "a!b"})
    EXPECT_EQ(root->CreateStream(bad, kSub, 0, 0, s.put()), STG_E_INVALIDNAME) << bad;
  EXPECT_EQ(root->CreateStream(nullptr, kSub, 0, 0, s.put()), STG_E_INVALIDPOINTER);
  EXPECT_EQ(root->CreateStream("x", kSub, 0, 0, nullptr), STG_E_INVALIDPOINTER);
}

TEST_F(StorageRoundTrip, ElementsAreListedShorterNamesFirstThenByUpperCase) {
  ComPtr<IStorage> root;
  ASSERT_EQ(createFile(path("order.qxd"), kCreate, &root), S_OK);
  for (const char* name : {"bb", "Ab", "a", "B", "aa", "_x", "zzz", "\xE9t\xE9"})
    ASSERT_EQ(writeStream(root.get(), name, {}), S_OK);
  std::vector<STATSTG> elements;
  ASSERT_EQ(root->EnumElements(&elements), S_OK);
  std::vector<std::string> names;
  for (const auto& e : elements) names.push_back(e.pwcsName);
  // '_' (0x5F) sorts after the upper-case letters; 'é' upper-cases to 'É'.
  EXPECT_EQ(names, (std::vector<std::string>{"a", "B", "aa", "Ab", "bb", "_x", "zzz", "\xE9t\xE9"}));
}

TEST_F(StorageRoundTrip, StreamsSeekReadWriteAndResizeLikeFiles) {
  ComPtr<IStorage> root;
  ComPtr<IStream> s;
  ASSERT_EQ(createFile(path("stream.qxd"), kCreate, &root), S_OK);
  ASSERT_EQ(root->CreateStream("S", kSub, 0, 0, s.put()), S_OK);
  std::uint64_t pos = 0;
  // Writing past the end fills the gap with zeros.
  ASSERT_EQ(s->Seek(10, STREAM_SEEK_SET, &pos), S_OK);
  ULONG moved = 0;
  ASSERT_EQ(s->Write("abc", 3, &moved), S_OK);
  EXPECT_EQ(moved, 3u);
  ASSERT_EQ(s->Seek(-4, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 9u);
  char buf[16] = {};
  ASSERT_EQ(s->Read(buf, sizeof buf, &moved), S_OK);  // a short read at the end is no error
  EXPECT_EQ(moved, 4u);
  EXPECT_EQ(std::string(buf, 4), std::string("\0abc", 4));
  ASSERT_EQ(s->Read(buf, sizeof buf, &moved), S_OK);
  EXPECT_EQ(moved, 0u);
  EXPECT_EQ(s->Seek(-1, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(0, 7, &pos), STG_E_INVALIDFUNCTION);
  ASSERT_EQ(s->SetSize(5000), S_OK);
  ASSERT_EQ(s->SetSize(11), S_OK);
  STATSTG st;
  ASSERT_EQ(s->Stat(&st, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(st.cbSize, 11u);
  EXPECT_EQ(st.type, STGTY_STREAM);
  EXPECT_EQ(st.pwcsName, "S");
  s.reset();
  EXPECT_EQ(readStream(root.get(), "S"), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a'}));
  // A stream opened for reading refuses writes; one opened for writing, reads.
  ASSERT_EQ(root->OpenStream("S", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, s.put()), S_OK);
  EXPECT_EQ(s->Write("x", 1, &moved), STG_E_ACCESSDENIED);
  EXPECT_EQ(s->SetSize(0), STG_E_ACCESSDENIED);
  ASSERT_EQ(root->OpenStream("S", nullptr, STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, s.put()), S_OK);
  EXPECT_EQ(s->Read(buf, 1, &moved), STG_E_ACCESSDENIED);
}

TEST_F(StorageRoundTrip, CopyToCopiesAWholeTreeAndMergesIntoWhatIsThere) {
  Tree tree = everySizeClass();
  const std::string from = makeFile("from.qxd", tree);
  const std::string to = makeFile("to.qxd", {{"Directory", pattern(90, 5)},
                                             {"Data_Items/Item_00009999", pattern(91, 7)},
                                             {"Sizes", pattern(92, 3)}});
  {
    ComPtr<IStorage> source, dest;
    ASSERT_EQ(openFile(from, kOpenRead, &source), S_OK);
    ASSERT_EQ(openFile(to, kOpenRW | STGM_TRANSACTED, &dest), S_OK);
    const char* exclude[] = {"\x05SummaryInformation", nullptr};
    ASSERT_EQ(source->CopyTo(0, nullptr, exclude, dest.get()), S_OK);
    ASSERT_EQ(dest->Commit(STGC_DEFAULT), S_OK);
  }
  // Streams are replaced, storages merged, a stream in the way of a storage
  // gives way; the excluded name is not copied.
  tree.erase("\x05SummaryInformation");
  tree["Data_Items/Item_00009999"] = pattern(91, 7);
  EXPECT_EQ(treeOf(to), tree);
}

TEST_F(StorageRoundTrip, CopyToIntoOneOfItsOwnStoragesEnds) {
  ComPtr<IStorage> root, sub;
  ASSERT_EQ(createFile(path("self.qxd"), kCreate, &root), S_OK);
  ASSERT_EQ(writeTree(root.get(), {{"A/x", pattern(1, 10)}, {"y", pattern(2, 5000)}}), S_OK);
  ASSERT_EQ(root->CreateStorage("B", kSub, 0, 0, sub.put()), S_OK);
  ASSERT_EQ(root->CopyTo(0, nullptr, nullptr, sub.get()), S_OK);
  sub.reset();
  const Tree expected{{"A/x", pattern(1, 10)}, {"y", pattern(2, 5000)}, {"B/A/x", pattern(1, 10)},
                      {"B/y", pattern(2, 5000)}};
  EXPECT_EQ(readTree(root.get()), expected);
}

TEST_F(StorageRoundTrip, RenameAndDestroyChangeOnlyWhatTheyName) {
  const std::string p = makeFile("rename.qxd", {{"A/x", pattern(1, 10)}, {"b", pattern(2, 6000)}, {"c", {}}});
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW, &root), S_OK);
    EXPECT_EQ(root->RenameElement("b", "c"), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root->RenameElement("nope", "d"), STG_E_FILENOTFOUND);
    ASSERT_EQ(root->RenameElement("A", "Folder"), S_OK);
    ASSERT_EQ(root->RenameElement("b", "B"), S_OK);  // only the case changes
    ASSERT_EQ(root->DestroyElement("c"), S_OK);
    EXPECT_EQ(root->DestroyElement("c"), STG_E_FILENOTFOUND);
  }
  std::vector<STATSTG> elements;
  ComPtr<IStorage> root;
  ASSERT_EQ(openFile(p, kOpenRead, &root), S_OK);
  ASSERT_EQ(root->EnumElements(&elements), S_OK);
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].pwcsName, "B");
  EXPECT_EQ(elements[1].pwcsName, "Folder");
  EXPECT_EQ(readTree(root.get()), (Tree{{"Folder/x", pattern(1, 10)}, {"B", pattern(2, 6000)}}));
}

}  // namespace
