#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "tests/support/MemoryArchive.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

// A stand-in item whose record holds one dword and `padding` bytes.
class TestItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4007;
  DWORD value = 0;
  std::vector<BYTE> padding;
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10314, "", buffer, size); }
  void Load(COrvoArchive& ar) override {
    BeginRecord(ar, kTypeId);
    value = ar.ReadDwordValue();
    padding = ar.ReadBytes(ar.ReadDwordValue());
    EndRecord(ar, kTypeId);
  }
  void Store(COrvoArchive& ar) override {
    WriteRecordStart(ar, kTypeId);
    ar.WriteDwordValue(value);
    ar.WriteDwordValue(DWORD(padding.size()));
    if (!padding.empty()) ar.Write(padding.data(), DWORD(padding.size()));
    WriteRecordEnd(ar, kTypeId);
  }
  DWORD GetStoredSize() override { return kRecordFrameSize + 8 + DWORD(padding.size()); }
};

class Records : public ::testing::Test {
 protected:
  void SetUp() override { previous = RegisterItemClass(TestItem::kTypeId, [] { return (CQXCalcItem*)new TestItem; }); }
  void TearDown() override { RegisterItemClass(TestItem::kTypeId, previous); }
  CQXItemCreateFunction previous = nullptr;
};

using tallix::test::archiveErrorOf;

TEST_F(Records, TextIsALeafRecord) {
  MemoryArchive ar;
  CQXText empty;
  EXPECT_EQ(empty.GetStoredSize(), 8u);
  empty.Store(ar);
  std::vector<BYTE> expected;
  putDword(expected, 1101);
  putDword(expected, 0);
  EXPECT_EQ(ar.bytes_, expected);

  MemoryArchive ar2;
  CQXText("ABC").Store(ar2);
  putDword(expected = {}, 1101);
  putDword(expected, 3);
  putBytes(expected, "ABC");
  EXPECT_EQ(ar2.bytes_, expected);
  ar2.Seek(0);
  CQXText back;
  back.Load(ar2);
  EXPECT_EQ(back.Text(), "ABC");

  CQXText longText(std::string(100, 'x').c_str());
  char buf[64];
  longText.GetText(buf, sizeof buf);
  EXPECT_EQ(std::string(buf), std::string(63, 'x'));
}

TEST_F(Records, DamagedTextsThrowCode7AndNeverReadPastTheEnd) {
  std::vector<BYTE> bad;
  putDword(bad, 1102);  // wrong tag
  putDword(bad, 0);
  MemoryArchive a(bad);
  CQXText t;
  EXPECT_EQ(archiveErrorOf([&] { t.Load(a); }), 7);

  std::vector<BYTE> huge;
  putDword(huge, 1101);
  putDword(huge, 0xFFFFFFF0u);  // a length far past the end: refused before any allocation
  putBytes(huge, "abc");
  MemoryArchive b(huge);
  EXPECT_EQ(archiveErrorOf([&] { t.Load(b); }), 7);

  MemoryArchive c(std::vector<BYTE>{0x4D, 0x04});  // two bytes: the tag read itself fails
  EXPECT_EQ(archiveErrorOf([&] { t.Load(c); }), 11);
  EXPECT_EQ(c.GetErrorCode(), 11);
}

TEST_F(Records, DescriptionsFrameTheirBytes) {
  CQXDescription d;
  EXPECT_EQ(d.GetStoredSize(), 28u);
  d.SetBytes({'{', 'r', '}'});
  MemoryArchive ar;
  d.Store(ar);
  std::vector<BYTE> expected;
  putDword(expected, 1102);
  putDword(expected, 0);
  putDword(expected, 0);
  putDword(expected, 0);
  putDword(expected, 4);
  putDword(expected, 3);
  putBytes(expected, "{r}");
  putDword(expected, 0xFEEF044E);
  EXPECT_EQ(ar.bytes_, expected);
  EXPECT_EQ(d.GetStoredSize(), expected.size());

  ar.Seek(0);
  CQXDescription back;
  back.Load(ar);
  EXPECT_EQ(back.GetBytes(), d.GetBytes());
  EXPECT_EQ(back.GetFormat(), 4u);

  expected[expected.size() - 1] = 0;  // broken end mark
  MemoryArchive broken(expected);
  EXPECT_EQ(archiveErrorOf([&] { back.Load(broken); }), 7);
}

TEST_F(Records, AnEntryIsTheWholeItemStream) {
  CQXDocEntry entry;
  auto* item = new TestItem;
  item->value = 0x11223344;
  item->padding.assign(12, 0xAB);  // stored size 40
  entry.SetItem(item);
  EXPECT_EQ(item->GetStoredSize(), 40u);
  EXPECT_EQ(entry.GetStoredSize(), 76u);

  MemoryArchive ar(std::vector<BYTE>(200, 0xEE));  // a longer old record is cut off
  entry.Store(ar);
  std::vector<BYTE> expected;
  for (DWORD d : {3u, 0u, 0u, 0u, 56u, 40u, 0u, 4007u}) putDword(expected, d);
  for (DWORD d : {4007u, 0u, 0u, 0u, 0x11223344u, 12u}) putDword(expected, d);
  expected.insert(expected.end(), 12, 0xAB);
  putDword(expected, 0xFEEF0FA7);
  putDword(expected, 0xFEEF0003);
  EXPECT_EQ(ar.bytes_, expected);

  ar.Seek(0);
  CQXDocEntry back;
  back.Load(ar);
  auto* loaded = dynamic_cast<TestItem*>(back.GetItem());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->value, 0x11223344u);
  EXPECT_EQ(back.GetDescription(), nullptr);
}

TEST_F(Records, EntriesWithDescriptionRoundTrip) {
  CQXDocEntry entry;
  entry.SetItem(new TestItem);
  auto* d = new CQXDescription;
  d->SetBytes({'h', 'i'});
  entry.SetDescription(d);
  MemoryArchive ar;
  entry.Store(ar);
  EXPECT_EQ(ar.bytes_.size(), entry.GetStoredSize());
  ar.Seek(0);
  CQXDocEntry back;
  back.Load(ar);
  ASSERT_TRUE(back.GetDescription());
  EXPECT_EQ(back.GetDescription()->GetBytes(), (std::vector<BYTE>{'h', 'i'}));
}

TEST_F(Records, DamagedEntriesThrowCode7) {
  std::vector<BYTE> wrongTag;
  for (DWORD d : {4u, 0u, 0u, 0u}) putDword(wrongTag, d);
  MemoryArchive a(wrongTag);
  CQXDocEntry e;
  EXPECT_EQ(archiveErrorOf([&] { e.Load(a); }), 7);
  EXPECT_EQ(a.position_, 16u);  // nothing read after the header

  std::vector<BYTE> unknown;
  for (DWORD d : {3u, 0u, 0u, 0u, 20u, 4u, 0u, 9999u, 0u}) putDword(unknown, d);
  putDword(unknown, 0xFEEF0003);
  MemoryArchive b(unknown);
  EXPECT_EQ(archiveErrorOf([&] { e.Load(b); }), 7);

  std::vector<BYTE> noItem;
  for (DWORD d : {3u, 0u, 0u, 0u, 16u, 0u, 0u, 9999u, 0xFEEF0003u}) putDword(noItem, d);
  MemoryArchive c(noItem);
  CQXDocEntry empty;
  EXPECT_EQ(archiveErrorOf([&] { empty.Load(c); }), 0);
  EXPECT_EQ(empty.GetItem(), nullptr);

  std::vector<BYTE> overstated;  // an item size larger than the stream
  for (DWORD d : {3u, 0u, 0u, 0u, 0u, 0x7FFFFFFFu, 0u, 4007u}) putDword(overstated, d);
  MemoryArchive o(overstated);
  EXPECT_EQ(archiveErrorOf([&] { empty.Load(o); }), 7);

  // The item's own end mark is checked.
  CQXDocEntry good;
  good.SetItem(new TestItem);
  MemoryArchive g;
  good.Store(g);
  g.bytes_[g.bytes_.size() - 5] ^= 0xFF;
  g.Seek(0);
  EXPECT_EQ(archiveErrorOf([&] { empty.Load(g); }), 7);
}

TEST_F(Records, WriteFailuresThrowCode12) {
  CQXDocEntry entry;
  entry.SetItem(new TestItem);
  MemoryArchive ar;
  ar.failWritesAfter_ = 20;
  EXPECT_EQ(archiveErrorOf([&] { entry.Store(ar); }), 12);
  EXPECT_EQ(ar.GetErrorCode(), 12);
}

TEST_F(Records, EntryPathsAreBoundedAndSplit) {
  CQXDocEntry e;
  EXPECT_EQ(e.SetPath("\\Calculator\\List\\List 1"), 24);
  char buf[64];
  EXPECT_EQ(e.GetPath(buf, 23), 0u);  // no room for the zero
  EXPECT_EQ(e.GetPath(buf, 24), 23u);
  EXPECT_EQ(e.GetFolder(buf, sizeof buf), 16u);
  EXPECT_STREQ(buf, "\\Calculator\\List");
  EXPECT_EQ(e.GetName(buf, sizeof buf), 6u);
  EXPECT_STREQ(buf, "List 1");
  EXPECT_EQ(e.SetPath(std::string(300, 'a').c_str()), 256);
  EXPECT_EQ(e.Path().size(), 255u);
}

TEST(ArchiveBase, UnsupportedOperationsThrowCode1) {
  struct Bare : COrvoArchive {
    BOOL Open(const char*, int, BOOL) override { return TRUE; }
    BOOL Close() override { return TRUE; }
  } bare;
  DWORD d = 0;
  EXPECT_EQ(archiveErrorOf([&] { bare.ReadDword(&d); }), 1);
  EXPECT_EQ(archiveErrorOf([&] { bare.Seek(0); }), 1);
  EXPECT_EQ(bare.GetErrorCode(), 0);
}

}  // namespace
