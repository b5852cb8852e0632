#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDiffEqItem.h"
#include "datamodel/QXMemberFileItems.h"
#include "platform/LanguageLibrary.h"
#include "tests/datamodel/NewItemVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class RawBlockItems : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

Bytes storedBlock(const Bytes& header, const Bytes& data) {
  Bytes v;
  putDword(v, DWORD(data.size()) + 48);
  putDword(v, 40);
  append(v, header);
  putDword(v, DWORD(data.size()));
  append(v, data);
  return v;
}

std::vector<std::string> blockNames(const CQXMemberFileItem& item) {
  std::vector<std::string> names;
  for (int i = 0; i < item.GetBlockList().GetCount(); ++i) names.push_back(item.GetBlockList().GetAt(i)->Name());
  return names;
}

}  // namespace

TEST_F(RawBlockItems, BlocksStoreByHandAndNameFromTheirHeader) {
  CQXRawBlock block;
  ASSERT_TRUE(block.InitHeader(254, "cda_mem", "E-CON", 234));
  Bytes expected = {0x3A, 'M', 'C', 'S', '1', 0x00, 0x00, 0x00, 0x00, 0xEA, 0xFE};
  expected.resize(40, 0xFF);
  put(expected, 11, std::string("cda_mem\xFF" "E-CON", 13));
  EXPECT_EQ(Bytes(block.HeaderImage(), block.HeaderImage() + 40), expected);

  // An empty block: 52 bytes, and it loads back without data.
  const Bytes empty = storedBlock(expected, {});
  EXPECT_EQ(storedBytes(block), empty);
  CQXRawBlock loaded;
  const Bytes data = {1, 2, 3};
  loaded.SetData(data.data(), 3);
  loadBytes(loaded, empty);
  EXPECT_EQ(loaded.GetLength(), 0u);
  EXPECT_EQ(loaded.GetData(), nullptr);

  char text[16];
  ASSERT_TRUE(block.GetName(text, sizeof text));
  EXPECT_STREQ(text, "cda_mem");
  EXPECT_FALSE(block.GetName(text, 7));  // no room for the zero

  // A group longer than 8 comes back cut; an unset one gives nothing.
  block.InitHeader(1, "ABCDEFGH", "LONGGROUPNAME", 0);
  ASSERT_TRUE(block.GetGroup(text, sizeof text));
  EXPECT_STREQ(text, "LONGGROU");
  EXPECT_EQ(block.Name(), "ABCDEFGH");
  block.InitHeader(1, "", "", 0);
  EXPECT_FALSE(block.GetName(text, sizeof text));
  EXPECT_FALSE(block.GetGroup(text, sizeof text));

  Bytes badLength = empty;
  badLength[4] = 41;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badLength); }), kArchiveBadRecord);
  Bytes longData = storedBlock(expected, data);
  longData[48] = 200;  // more data than the stream holds
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, longData); }), kArchiveBadRecord);
}

TEST_F(RawBlockItems, AddInStoresItsBlocksInOrderAndIsNamedByItsGroup) {
  const Bytes h1 = mcs1Header(0x31, "MAIN", "GEOMETRY", 2);
  const Bytes h2 = mcs1Header(0x31, "DATA", "GEOMETRY", 1);
  Bytes record;
  putRecordHeader(record, 5990);
  putDword(record, 2);
  append(record, storedBlock(h1, {0xAA, 0xBB}));
  append(record, storedBlock(h2, {0xCC}));
  append(record, {0x66, 0x17, 0xEF, 0xFE});

  auto item = createItem<CQXAddInItem>(5990);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(displayNameOf(*item), "Add-In");
  loadBytes(*item, record);
  EXPECT_EQ(storedBytes(*item), record);
  EXPECT_EQ(blockNames(*item), (std::vector<std::string>{"MAIN", "DATA"}));
  char name[40];
  ASSERT_TRUE(item->GetName(name, sizeof name));
  EXPECT_STREQ(name, "GEOMETRY");
  EXPECT_EQ(displayNameOf(*item), "GEOMETRY");
  EXPECT_NE(throughDocEntry(item.get()), nullptr);

  // A count beyond what the stream can hold is refused before anything is made.
  Bytes huge = record;
  huge[16] = 0xFF;
  huge[17] = 0xFF;
  EXPECT_EQ(archiveCode([&] { CQXAddInItem other; loadBytes(other, huge); }), kArchiveBadRecord);
}

TEST_F(RawBlockItems, FindBlockComparesTheWholeNameUpToItsEnd) {
  CQXDynaGraphMemItem item;
  CQXRawBlockList& list = item.GetBlockList();
  // An eight-character name runs straight into the group.
  list.AddBlock(mcs1Header(0, "DYNAMEM1", "DYNA", 0).data(), 40, nullptr, 0);
  list.AddBlock(mcs1Header(0, "RESULT0", "DYNA", 0).data(), 40, nullptr, 0);
  EXPECT_EQ(item.FindBlock("DYNAMEM1"), list.GetAt(0));
  EXPECT_EQ(item.FindBlock("RESULT"), nullptr);
  EXPECT_EQ(item.FindBlock("RESULT0"), list.GetAt(1));
  EXPECT_TRUE(item.RemoveBlock("DYNAMEM1"));
  EXPECT_FALSE(item.RemoveBlock("DYNAMEM1"));
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.AddBlock(mcs1Header(0, "X", "", 0).data(), 39, nullptr, 0), nullptr);

  CQXMemoryItem memory;
  EXPECT_EQ(displayNameOf(memory), CLanguageLibrary::LoadStringA(10334));
  memory.GetBlock().InitHeader(0, "MEM1", "MEMORY", 0);
  EXPECT_EQ(displayNameOf(memory), "MEM1");
  EXPECT_NE(throughDocEntry(&memory), nullptr);
}

TEST_F(RawBlockItems, DifferentialEquationRecords) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(5027, "\\Calculator\\DiffEq\\DiffEq", &entry, nullptr));
  auto* item = dynamic_cast<CQXDiffEqItem*>(entry.GetItem());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(blockNames(*item), (std::vector<std::string>{"OUTP", "RESULT", "RESULT0"}));
  Bytes result0(18, 0);
  result0[0] = 0x30;
  result0[2] = 1;
  result0[9] = 1;
  const CQXRawBlock* r0 = item->FindBlock("RESULT0");
  EXPECT_EQ(Bytes(r0->GetData(), r0->GetData() + r0->GetLength()), result0);
  EXPECT_EQ(item->FindBlock("OUTP")->GetLength(), 202u);
  EXPECT_EQ(item->FindBlock("OUTP")->GetData()[182], 1);
  for (int i = 0; i < 3; ++i) {
    const CQXRawBlock* b = item->GetBlockList().GetAt(i);
    EXPECT_EQ(GetBigEndian32(b->HeaderImage() + 6), b->GetLength()) << b->Name();
    EXPECT_EQ(b->HeaderImage()[10], 254);
    EXPECT_EQ(b->Group(), "DIFF_EQ");
  }
  EXPECT_EQ(item->GetEquationKind(), 0);

  // A received RESULT0 of another length is resized, and its header follows.
  item->FindBlock("RESULT0")->SetData(Bytes(30, 0).data(), 30);
  ASSERT_TRUE(item->SetEquationKind(4));
  EXPECT_EQ(item->GetEquationKind(), 4);
  EXPECT_EQ(GetBigEndian32(item->FindBlock("RESULT0")->HeaderImage() + 6), 18u);
  ASSERT_TRUE(item->EnsureResult());
  EXPECT_EQ(blockNames(*item), (std::vector<std::string>{"OUTP", "RESULT0", "RESULT"}));
  item->SetEquationKind(7);
  EXPECT_EQ(item->FindBlock("RESULT0")->GetData()[2], 1);
  EXPECT_EQ(item->GetEquationKind(), 0);

  EXPECT_EQ(item->GetParamCount(5), 1);
  EXPECT_FALSE(item->SetParamCount(4, 3));
  ASSERT_TRUE(item->SetParamCount(6, 3));
  EXPECT_EQ(item->GetParamCount(6), 3);
  EXPECT_EQ(item->FindBlock("48")->GetLength(), 6u);

  EXPECT_EQ(MapDiffEqField(0, 2), 9);
  EXPECT_EQ(MapDiffEqField(3, 3), -1);
  EXPECT_EQ(MapDiffEqField(4, 5), 16);
  EXPECT_EQ(MapDiffEqField(5, 40), 57);
  EXPECT_EQ(MapDiffEqField(6, 0), 28);
  EXPECT_EQ(MapDiffEqField(7, 0), -1);
  EXPECT_EQ(MapDiffEqField(-1, 0), -1);
}

TEST_F(RawBlockItems, DataLoggerSetupsAndFields) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(5028, "\\Calculator\\E-CON\\E-CON", &entry, nullptr));
  auto* item = dynamic_cast<CQXDataLoggerItem*>(entry.GetItem());
  ASSERT_NE(item, nullptr);
  CQXRawBlock* setup = item->FindBlock("cda_mem");
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(setup->GetLength(), 234u);
  EXPECT_EQ(setup->HeaderImage()[9], 0xEA);
  EXPECT_EQ(setup->Group(), "E-CON");

  BYTE title[128];
  ASSERT_EQ(CQXDataLoggerItem::GetBytesField(setup, 0, title, sizeof title), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title), 19), std::string("No Title\0\0\0\0\0\0\0\0\0\0\0", 19));
  EXPECT_EQ(CQXDataLoggerItem::GetBytesField(setup, 0, title, 18), 0);
  DWORD v = 0;
  const std::vector<std::pair<int, DWORD>> defaults = {{28, 20}, {30, 2}, {38, 2}, {46, 1}, {48, 3},
                                                       {50, 1},  {74, 10}, {96, 1}, {100, 0}};
  for (auto [field, value] : defaults) {
    ASSERT_EQ(CQXDataLoggerItem::GetIntField(setup, field, &v), 1) << field;
    EXPECT_EQ(v, value) << field;
  }
  BYTE number[9];
  ASSERT_EQ(CQXDataLoggerItem::GetBytesField(setup, 78, number, 9), 1);
  EXPECT_EQ(Bytes(number, number + 9), (Bytes{0x10, 0x01, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(CQXDataLoggerItem::GetIntField(setup, 19, &v), 0);
  EXPECT_EQ(CQXDataLoggerItem::GetBytesField(setup, 102, title, sizeof title + 20), 0);  // past 234 bytes
  EXPECT_EQ(CQXDataLoggerItem::GetIntField(nullptr, 28, &v), -2);

  // 16-bit fields are little-endian.
  ASSERT_EQ(CQXDataLoggerItem::SetIntField(setup, 74, 0x1234), 1);
  EXPECT_EQ(setup->GetData()[74], 0x34);
  EXPECT_EQ(setup->GetData()[75], 0x12);

  EXPECT_EQ(item->AddSetupRecord(0, 7), 1);
  EXPECT_EQ(item->AddSetupRecord(1, 12), 1);
  EXPECT_EQ(item->AddSetupRecord(0, 5), 1);
  CQXDataLoggerItem::SetIntField(item->FindBlock("1005"), 28, 99);
  EXPECT_EQ(item->AddSetupRecord(0, 5), 1);
  EXPECT_EQ(blockNames(*item), (std::vector<std::string>{"cda_mem", "1007", "2012", "1005"}));
  ASSERT_EQ(CQXDataLoggerItem::GetIntField(item->FindBlock("1005"), 28, &v), 1);
  EXPECT_EQ(v, 20u);
  EXPECT_EQ(item->AddSetupRecord(2, 1), 0);
  EXPECT_EQ(item->AddSetupRecord(1, 0), 0);
  EXPECT_EQ(item->AddSetupRecord(0, 100), 0);

  CQXRawBlock* probe = item->FindBlock("2012");
  EXPECT_EQ(probe->GetLength(), 134u);
  const Bytes text = {'A', 'B', 'C', 'D', 'E', 'F', 'G'};
  ASSERT_EQ(CQXDataLoggerItem::SetBytesField(probe, 2019, text.data(), 5), 1);
  for (DWORD i = 0; i < 134; ++i) EXPECT_EQ(probe->GetData()[i], i >= 19 && i < 24 ? text[i - 19] : 0) << i;
  EXPECT_EQ(CQXDataLoggerItem::SetBytesField(probe, 2001, text.data(), 5), 0);
  EXPECT_EQ(CQXDataLoggerItem::GetFieldWidth(2050), 74);
  EXPECT_EQ(CQXDataLoggerItem::GetFieldWidth(44), 0);
  EXPECT_NE(throughDocEntry(item), nullptr);
}
