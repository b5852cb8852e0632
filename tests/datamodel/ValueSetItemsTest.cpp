#include "datamodel/QXItemFactory.h"
#include "datamodel/QXValueSetItems.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/OldHeaderVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class ValueSetItems : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(ValueSetItems, AVWindowMemoryIsReceivedEntryByEntry) {
  auto item = createItem<CQXVWindowItem>(4006);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->GetCount(), 9);
  char folder[16];
  EXPECT_FALSE(item->GetDocFolder(folder, sizeof folder));  // no group yet
  EXPECT_FALSE(item->GetDocName(folder, sizeof folder));

  const char* names[] = {"Xmin", "Xmax", "Xscl", "Ymin", "Ymax", "Yscl", "T\xCEmin", "T\xCEmax", "T\xCEptch"};
  for (int i = 0; i < 9; ++i) {
    const Bytes h = valHeader("WD", 1, 1, names[i], "V\x99Win3");
    ASSERT_TRUE(item->ParseHeader(h.data(), 50)) << i;
    ASSERT_EQ(CQXValueSetItem::GetDataSize(h.data(), 50), 14u);
    ASSERT_TRUE(item->SetFromHeader(h.data(), valueRecord(1, 1, number(unsigned(i + 1), 0)).data(), 14));
  }
  EXPECT_EQ(displayNameOf(*item), CLanguageLibrary::LoadStringA(10312) + " 3");
  ASSERT_TRUE(item->GetDocFolder(folder, sizeof folder));
  EXPECT_STREQ(folder, "VWin");
  ASSERT_TRUE(item->GetDocName(folder, sizeof folder));
  EXPECT_STREQ(folder, "VWin3");
  EXPECT_FALSE(item->GetDocName(folder, 5));

  // Sent back entry by entry, each with its value.
  for (int i = 0; i < 9; ++i) {
    Bytes h(50);
    ASSERT_TRUE(item->BuildHeader(i, h.data(), 50));
    EXPECT_EQ(h, valHeader("WD", 1, 1, names[i], "V\x99Win3")) << i;
    Bytes record(24);
    ASSERT_EQ(item->GetValueRecord(i, record.data(), 24), 14u);
    record.resize(14);
    EXPECT_EQ(record, valueRecord(1, 1, number(unsigned(i + 1), 0)));
  }
  Bytes h(50);
  EXPECT_FALSE(item->BuildHeader(9, h.data(), 50));
}

TEST_F(ValueSetItems, VWindowHeadersAreChecked) {
  CQXVWindowItem item;
  const Bytes good = valHeader("WD", 1, 1, "Xmin", "Y=Data");
  Bytes b = good;
  put(b, 11, "Xmin2");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));  // no such entry
  b = good;
  put(b, 11, "Xmi\xFF");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  b = good;
  put(b, 5, "FT");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  b = good;
  put(b, 19, "Y=Dat\xFF\xFF\xFF");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  EXPECT_TRUE(item.ParseHeader(good.data(), 50));
  EXPECT_EQ(displayNameOf(item), CLanguageLibrary::LoadStringA(10312));
  char text[16];
  ASSERT_TRUE(item.GetDocFolder(text, sizeof text));
  EXPECT_STREQ(text, "Y=Data");
  ASSERT_TRUE(item.GetDocName(text, sizeof text));
  EXPECT_STREQ(text, "VWin");
  // A value record that does not fit the header's entry is refused.
  EXPECT_FALSE(item.SetFromHeader(good.data(), valueRecord(0, 1, number(1, 0)).data(), 14));
}

TEST_F(ValueSetItems, TheGroupOfANewVWindowComesFromItsName) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(4006, "\\Calculator\\VWin\\VWin5", &entry, nullptr));
  auto* item = dynamic_cast<CQXVWindowItem*>(entry.GetItem());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetGroup(), "V\x99Win5");
  item->SetGroupFromName("VWin");
  EXPECT_EQ(item->GetGroup(), "Y=Data");
  item->SetGroupFromName("VWin7");
  EXPECT_EQ(item->GetGroup(), "Y=Data");
}

TEST_F(ValueSetItems, ZoomFactorsAndTableRangesBelongToYData) {
  auto zoom = createItem<CQXZoomFactorItem>(4007);
  auto table = createItem<CQXTableRangeItem>(4008);
  ASSERT_NE(zoom, nullptr);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(zoom->GetCount(), 2);
  EXPECT_EQ(table->GetCount(), 3);
  Bytes h(50);
  ASSERT_TRUE(zoom->BuildHeader(1, h.data(), 50));
  EXPECT_EQ(h, valHeader("FT", 0, 0, "Yfct", "Y=Data"));
  ASSERT_TRUE(table->BuildHeader(2, h.data(), 50));
  EXPECT_EQ(h, valHeader("TR", 0, 0, "F pitch", "Y=Data"));

  // A received header of another group does not move them.
  const Bytes in = valHeader("TR", 1, 1, "F Start", "File 1");
  ASSERT_TRUE(table->ParseHeader(in.data(), 50));
  ASSERT_TRUE(table->SetFromHeader(in.data(), valueRecord(1, 1, number(1, 0)).data(), 14));
  char folder[16];
  ASSERT_TRUE(table->GetDocFolder(folder, sizeof folder));
  EXPECT_STREQ(folder, "Y=Data");
  EXPECT_EQ(displayNameOf(*zoom), CLanguageLibrary::LoadStringA(10314));
  EXPECT_EQ(displayNameOf(*table), CLanguageLibrary::LoadStringA(10316));
}

TEST_F(ValueSetItems, StoredRecordsCarryTheirNamesAndValues) {
  CQXZoomFactorItem zoom;
  zoom.SetValueRecord(0, valueRecord(1, 1, number(2, 0)).data(), 14);
  const Bytes stored = storedBytes(zoom);
  EXPECT_EQ(stored.size(), 16u + 4 + 12 * 2 + (12 + (12 + 2 * 30 + 4) + 8) + 4);
  Bytes head;
  putDword(head, 4007);
  for (int i = 0; i < 3; ++i) putDword(head, 0);
  putDword(head, 2);
  putDword(head, 8);
  putBytes(head, "Xfct");
  for (int i = 0; i < 4; ++i) head.push_back(0xFF);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + long(head.size())), head);
  EXPECT_EQ(Bytes(stored.end() - 4, stored.end()), (Bytes{0xA7, 0x0F, 0xEF, 0xFE}));

  CQXZoomFactorItem loaded;
  loadBytes(loaded, stored);
  Bytes record(14);
  EXPECT_EQ(loaded.GetValueRecord(0, record.data(), 14), 14u);
  EXPECT_EQ(loaded.GetValueRecord(1, record.data(), 14), 0u);

  // A count other than the item's own is a damaged record.
  Bytes three = stored;
  three[16] = 3;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, three); }), kArchiveBadRecord);
  Bytes otherTag = stored;
  otherTag[0] = 0xA8;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, otherTag); }), kArchiveBadRecord);

  for (CQXCalcItem* item : std::initializer_list<CQXCalcItem*>{new CQXVWindowItem, new CQXTableRangeItem,
                                                               new CQXVariable28Item, new CQXVariable26Item}) {
    std::unique_ptr<CQXCalcItem> owned(item);
    auto* set = dynamic_cast<CQXValueSetItem*>(item);
    set->SetValueRecord(1, valueRecord(1, 1, number(7, 0), number(3, 0)).data(), 24);
    std::unique_ptr<CQXCalcItem> back = throughDocEntry(item);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetTypeId(), item->GetTypeId());
  }
}

TEST_F(ValueSetItems, VariablesAreLettersAndTwoCalculatorCharacters) {
  CQXVariable28Item v28;
  CQXVariable26Item v26;
  EXPECT_EQ(v28.GetCount(), 28);
  EXPECT_EQ(v26.GetCount(), 26);
  EXPECT_EQ(v28.GetEntryName(0), "A");
  EXPECT_EQ(v28.GetEntryName(25), "Z");
  EXPECT_EQ(v28.GetEntryName(26), "\xCD");
  EXPECT_EQ(v28.GetEntryName(27), "\xCE");
  EXPECT_EQ(v26.FindEntry("\xCE"), -1);

  // A complex variable travels with 'C' and a 24-byte record.
  Bytes in = valHeader("VM", 1, 1, "\xCE", "Variable", 'C');
  ASSERT_TRUE(v28.ParseHeader(in.data(), 50));
  ASSERT_EQ(CQXValueSetItem::GetDataSize(in.data(), 50), 24u);
  ASSERT_TRUE(v28.SetFromHeader(in.data(), valueRecord(1, 1, number(1, 0), number(5, -1)).data(), 24));
  Bytes h(50);
  ASSERT_TRUE(v28.BuildHeader(27, h.data(), 50));
  EXPECT_EQ(h, in);
  EXPECT_FALSE(v26.ParseHeader(in.data(), 50));
  ASSERT_TRUE(v26.BuildHeader(0, h.data(), 50));
  EXPECT_EQ(h, valHeader("VM", 0, 0, "A", "Variable"));

  ASSERT_TRUE(v28.InitNames());
  EXPECT_EQ(v28.GetValueRecord(27, h.data(), 50), 0u);  // values emptied
  EXPECT_EQ(displayNameOf(v28), CLanguageLibrary::LoadStringA(10323));
}
