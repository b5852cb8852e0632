#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXItemFactory.h"
#include "datamodel/QXRecursionItem.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/OldHeaderVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class FunctionItems : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(FunctionItems, GraphFunctionsTravelOneHeaderAndPacketEach) {
  auto item = createItem<CQXGraphFunc20Item>(4003);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->GetCount(), 20);
  const Bytes text = {0x58, 0x89, 0x32, 0x00};
  const Bytes h = fncHeader("GF", 6, "Y7", 0x12, "GRORSLDYBLNSGTGNNS");
  ASSERT_TRUE(item->ParseHeader(6, h.data(), 50));
  ASSERT_TRUE(item->SetFunctionBytes(6, text.data(), DWORD(text.size())));
  Bytes out(50);
  ASSERT_TRUE(item->BuildHeader(6, out.data(), 50));
  EXPECT_EQ(out, h);
  // An untouched function sends its defaults and an empty text.
  ASSERT_TRUE(item->BuildHeader(19, out.data(), 50));
  EXPECT_EQ(out, fncHeader("GF", 2, "Y20", '=', kGfStyle));
  EXPECT_FALSE(item->BuildHeader(20, out.data(), 50));
  EXPECT_FALSE(item->ParseHeader(-1, h.data(), 50));

  Bytes data(4);
  ASSERT_TRUE(item->GetFunctionBytes(6, data.data(), 4));
  EXPECT_EQ(data, text);
  EXPECT_FALSE(item->GetFunctionBytes(6, data.data(), 3));
  EXPECT_EQ(item->GetFunctionLength(6), 4u);

  std::string label, second;
  ASSERT_TRUE(item->GetFunctionLabels(6, &label, &second));
  EXPECT_EQ(label, "Y7>=");
  EXPECT_EQ(second, "");
  const Bytes parametric = {0x41, 0xF6, 0x42};
  item->SetFunctionBytes(2, parametric.data(), 3);
  EXPECT_EQ(item->GetFunctionForm(2), 2);
  item->GetFunctionLabels(2, &label, &second);
  EXPECT_EQ(label, "Xt3=");
  EXPECT_EQ(second, "Yt3=");
  char name[64];
  item->GetDisplayName(name, sizeof name);
  EXPECT_EQ(name, CLanguageLibrary::LoadStringA(10310));
}

TEST_F(FunctionItems, GraphFunctionHeaderChecks) {
  CQXGraphFunc10Item item;
  const Bytes good = fncHeader("GF", 2, "Y1", '=', kGfStyle);
  std::vector<std::pair<const char*, Bytes>> bad = {
      {"kind", good}, {"code", fncHeader("RF", 2, "Y1", '=', kRfStyle)},
      {"relation", fncHeader("GF", 2, "Y1", '!', kGfStyle)},
      {"style", fncHeader("GF", 2, "Y1", '=', "GRBLNSGTBLNSDYBLNS")},
  };
  put(bad[0].second, 1, "VAL");
  for (auto& [what, h] : bad) EXPECT_FALSE(item.ParseHeader(0, h.data(), 50)) << what;
  EXPECT_TRUE(item.ParseHeader(0, good.data(), 50));
  EXPECT_FALSE(item.ParseHeader(10, good.data(), 50));
}

TEST_F(FunctionItems, FunctionInfoRecords) {
  CQXGraphFunc10Item item;
  CQXGraphFunctionInfo info;
  ASSERT_TRUE(item.GetFunctionInfo(4, &info));
  EXPECT_EQ(info.index, 4u);
  EXPECT_EQ(info.form, 1u);
  EXPECT_EQ(info.relation, '=');
  EXPECT_EQ(std::string(info.style, info.style + 18), kGfStyle);
  info.relation = '<';
  std::memcpy(info.style, "GRORSLDYBLNSGTBLNS", 18);
  ASSERT_TRUE(item.SetFunctionInfo(info));
  std::string label;
  item.GetFunctionLabels(4, &label, nullptr);
  EXPECT_EQ(label, "Y5<");
  info.relation = 'x';
  EXPECT_FALSE(item.SetFunctionInfo(info));
  info.relation = '=';
  info.style[0] = 'Q';
  EXPECT_FALSE(item.SetFunctionInfo(info));
  info.index = 10;
  EXPECT_FALSE(item.SetFunctionInfo(info));

  const CQXGraphFunctionInfo fresh = NewGraphFunctionInfo(3);
  EXPECT_EQ(fresh.form, 1u);
  EXPECT_EQ(fresh.further, 1u);
  EXPECT_EQ(fresh.typeLetter, 'Y');
  std::string text;
  AppendGraphTypePrefix(&text, 'r', TRUE);
  AppendRelationText(&text, 0x10);
  AppendGraphTypePrefix(&text, 'X', TRUE);
  AppendRelationText(&text, 0x12);
  AppendRelationText(&text, 'x');
  EXPECT_EQ(text, "r<=X>=");
}

TEST_F(FunctionItems, GraphFunctionsStoreWithoutARecordHeader) {
  CQXGraphFunc10Item item;
  const Bytes text = {0x41, 0x00};
  item.SetFunctionBytes(0, text.data(), 2);
  const Bytes stored = storedBytes(item);
  Bytes head;
  putDword(head, 4002);
  putDword(head, 10);
  putDword(head, 1301);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 12), head);
  EXPECT_EQ(stored.size(), 4u + 4 + 10 * 74 + 2 + 4);
  std::unique_ptr<CQXCalcItem> back = throughDocEntry(&item);
  auto* reloaded = dynamic_cast<CQXGraphFunc10Item*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetFunctionLength(0), 2u);

  // A 4002 record is not a 4003 item, and the count must be the item's.
  CQXGraphFunc20Item twenty;
  EXPECT_EQ(archiveCode([&] { loadBytes(twenty, stored); }), kArchiveBadRecord);
  Bytes wrongCount = stored;
  wrongCount[4] = 11;
  EXPECT_EQ(archiveCode([&] { loadBytes(item, wrongCount); }), kArchiveBadRecord);
}

TEST_F(FunctionItems, FunctionMemoriesAreNamedF1ToF6) {
  auto item = createItem<CQXFuncMemItem>(4012);
  ASSERT_NE(item, nullptr);
  Bytes h(50);
  ASSERT_TRUE(item->BuildHeader(2, h.data(), 50));
  Bytes expected = blankHeader();
  put(expected, 1, "TXT");
  put(expected, 5, "FM");
  put32(expected, 7, 3);
  put(expected, 11, "f3");
  EXPECT_EQ(h, expected);
  // An empty memory sends the end byte alone.
  ASSERT_EQ(item->GetFunctionDataSize(2), 1u);
  BYTE one = 0;
  ASSERT_TRUE(item->GetFunctionBytes(2, &one, 1));
  EXPECT_EQ(one, kTextEndByte);

  // Received: f3 goes to memory 2 only.
  EXPECT_FALSE(item->ParseHeader(1, expected.data(), 50));
  ASSERT_TRUE(item->ParseHeader(2, expected.data(), 50));
  const Bytes text = {0x31, 0x89, 0x58, 0xFF};
  ASSERT_TRUE(item->SetFunctionBytes(2, text.data(), 4));
  ASSERT_TRUE(item->BuildHeader(2, h.data(), 50));
  put32(expected, 7, 6);
  EXPECT_EQ(h, expected);
  Bytes data(4);
  EXPECT_FALSE(item->GetFunctionBytes(2, data.data(), 3));
  ASSERT_TRUE(item->GetFunctionBytes(2, data.data(), 4));
  EXPECT_EQ(data, text);
  EXPECT_FALSE(item->BuildHeader(6, h.data(), 50));

  std::unique_ptr<CQXCalcItem> back = throughDocEntry(item.get());
  auto* reloaded = dynamic_cast<CQXFuncMemItem*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetFunctionLength(2), 4u);
  Bytes stored = storedBytes(*item);
  stored[16] = 7;
  EXPECT_EQ(archiveCode([&] { loadBytes(*reloaded, stored); }), kArchiveBadRecord);
}

TEST_F(FunctionItems, RecursionFormulasSetTheTypeAndRangesFollow) {
  auto item = createItem<CQXRecursionItem>(4009);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetRecursionType(), 1);
  const std::string an1 = "an\x89" "1", bn1 = "bn\x89" "1";
  const Bytes a = fncHeader("RF", 5, an1, '=', kRfStyle);
  const Bytes b = fncHeader("RF", 5, bn1, '=', kRfStyle);
  int type = 0;
  ASSERT_TRUE(CQXRecursionItem::ParseRecursionType(b.data(), 50, &type));
  EXPECT_EQ(type, 2);
  EXPECT_FALSE(item->ParseFormulaHeader(0, b.data(), 50));  // b's name for formula a
  ASSERT_TRUE(item->ParseFormulaHeader(0, a.data(), 50));
  EXPECT_EQ(item->GetRecursionType(), 2);
  EXPECT_EQ(item->GetRangeCount(), 8);
  const Bytes text = {0x41, 0x42, 0x00};
  ASSERT_TRUE(item->SetFormulaBytes(0, text.data(), 3));
  EXPECT_FALSE(item->ParseFormulaHeader(1, fncHeader("RF", 5, "bn", '=', kRfStyle).data(), 50));
  ASSERT_TRUE(item->ParseFormulaHeader(1, b.data(), 50));
  EXPECT_EQ(item->GetFormulaLength(0), 3u);

  const char* ranges[] = {"R Start", "R End", "a0", "a1", "anStart", "b0", "b1", "bnStart"};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(item->GetRangeName(i), ranges[i]);
    const Bytes h = valHeader("RR", 1, 1, ranges[i], "Y=Data");
    ASSERT_TRUE(item->ParseRangeHeader(h.data(), 50)) << i;
    ASSERT_EQ(CQXRecursionItem::GetRangeDataSize(h.data(), 50), 14u);
    ASSERT_TRUE(item->SetRangeFromHeader(h.data(), valueRecord(1, 1, number(unsigned(i), 0)).data(), 14));
  }
  EXPECT_FALSE(item->ParseRangeHeader(valHeader("RR", 1, 1, "a2", "Y=Data").data(), 50));
  EXPECT_FALSE(item->ParseRangeHeader(valHeader("WD", 1, 1, "a0", "Y=Data").data(), 50));

  Bytes out(50);
  ASSERT_TRUE(item->BuildFormulaHeader(0, out.data(), 50));
  EXPECT_EQ(out, a);
  ASSERT_TRUE(item->BuildRangeHeader(4, out.data(), 50));
  EXPECT_EQ(out, valHeader("RR", 1, 1, "anStart", "Y=Data"));
  char name[16];
  ASSERT_TRUE(item->GetDocName(name, sizeof name));
  EXPECT_STREQ(name, "Y=Data");

  BYTE style[18];
  ASSERT_TRUE(item->GetFormulaStyle(1, style, 18));
  style[8] = 'a';
  style[9] = '1';
  EXPECT_TRUE(item->SetFormulaStyle(1, style));
  style[0] = 'G';
  EXPECT_FALSE(item->SetFormulaStyle(1, style));
  EXPECT_FALSE(item->SetRecursionType(4));

  std::unique_ptr<CQXCalcItem> back = throughDocEntry(item.get());
  auto* reloaded = dynamic_cast<CQXRecursionItem*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetRecursionType(), 2);
  Bytes record(14);
  EXPECT_EQ(reloaded->GetRangeValue(7, record.data(), 14), 14u);
  EXPECT_EQ(record, valueRecord(1, 1, number(7, 0)));
}

TEST_F(FunctionItems, DamagedRecursionRecords) {
  CQXRecursionItem item;
  item.SetRecursionType(3);
  const Bytes stored = storedBytes(item);
  Bytes head;
  putDword(head, 3);
  putDword(head, 8);
  EXPECT_EQ(Bytes(stored.begin() + 16, stored.begin() + 24), head);
  CQXRecursionItem loaded;
  loadBytes(loaded, stored);
  EXPECT_EQ(loaded.GetRecursionType(), 3);
  EXPECT_EQ(loaded.GetRangeName(4), "a2");
  Bytes badType = stored;
  badType[16] = 4;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badType); }), kArchiveBadRecord);
  Bytes badCount = stored;
  badCount[20] = 2;  // type 3 with two range entries
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badCount); }), kArchiveBadRecord);
}

TEST_F(FunctionItems, NewerFunctionMemorySlots) {
  CQXFuncMemEntry entry;
  const Bytes received = {0x41, 0x42, 0x00};
  entry.SetBytes(received.data(), 3);
  EXPECT_EQ(entry.GetLength(), 2u);
  EXPECT_EQ(entry.GetBufferSize(), 3u);
  Bytes out(3, 0xEE);
  EXPECT_FALSE(entry.GetBytes(out.data(), 2));
  ASSERT_TRUE(entry.GetBytes(out.data(), 3));
  EXPECT_EQ(out, received);
  entry.SetBytes(received.data(), 1);  // the terminator alone
  EXPECT_TRUE(entry.IsEmpty());
  EXPECT_EQ(entry.GetBufferSize(), 1u);
  entry.Assign(received.data(), 2);
  entry.SetBytes(received.data(), 0);  // nothing received: empty, nothing dropped
  EXPECT_TRUE(entry.IsEmpty());
  entry.Assign(received.data(), 3);
  EXPECT_EQ(entry.GetLength(), 3u);
}

TEST_F(FunctionItems, NewerFunctionMemoryStoresItsTrueSizeAndReadsOlderRecords) {
  CQXDocEntry made;
  ASSERT_TRUE(CreateItemFromFactory(5012, "\\Calculator\\FMem\\FMem", &made, nullptr));
  auto* item = dynamic_cast<CQXFuncMemV5Item*>(made.GetItem());
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->GetCount(), 20);
  const Bytes text = {0x58, 0x2B, 0x31};
  item->GetEntry(4)->Assign(text.data(), 3);
  EXPECT_EQ(item->GetEntry(20), nullptr);
  const Bytes stored = storedBytes(*item);
  EXPECT_EQ(stored.size(), 16u + 8 + 20 * 4 + 3 + 4);
  std::unique_ptr<CQXCalcItem> back = throughDocEntry(item);
  ASSERT_NE(back, nullptr);

  // An entry written by an older version announces 16 more bytes per slot
  // than it holds, and its stream was lengthened to match.
  Bytes old;
  putDword(old, 3);
  for (int i = 0; i < 3; ++i) putDword(old, 0);
  const DWORD overstated = 16 + 8 + 20 * 16 + 3 + 4;
  putDword(old, overstated + 16);
  putDword(old, overstated);
  putDword(old, 0);
  putDword(old, 5012);
  old.insert(old.end(), stored.begin(), stored.end());
  putDword(old, 0xFEEF0003);
  old.resize(32 + overstated + 4, 0);
  CQXDocEntry loaded;
  MemoryArchive ar(old);
  loaded.Load(ar);
  auto* reloaded = dynamic_cast<CQXFuncMemV5Item*>(loaded.GetItem());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetEntry(4)->GetLength(), 3u);
  EXPECT_TRUE(reloaded->GetEntry(5)->IsEmpty());

  Bytes badCount = stored;
  badCount[20] = 19;
  EXPECT_EQ(archiveCode([&] { loadBytes(*reloaded, badCount); }), kArchiveBadRecord);
  Bytes longSlot = stored;
  longSlot[24] = 0xFF;  // slot 0 claims 255 bytes
  longSlot[25] = 0xFF;
  EXPECT_EQ(archiveCode([&] { loadBytes(*reloaded, longSlot); }), kArchiveBadRecord);
}
