#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXItemFactory.h"
#include "platform/LanguageLibrary.h"
#include "tests/datamodel/NewItemVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>

using namespace tallix::test;

namespace {

class GraphFuncV5Items : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

void putEntry(Bytes& v, DWORD type, DWORD option, DWORD style, const Bytes& expression) {
  for (DWORD d : {type, option, style, DWORD(expression.size())}) putDword(v, d);
  append(v, expression);
}

}  // namespace

TEST_F(GraphFuncV5Items, RecursionWithItsNestedRecordsByHand) {
  Bytes record;
  putRecordHeader(record, 5009);
  putDword(record, 2);
  putRecordHeader(record, 5022);
  putRecordHeader(record, 1501);
  putDword(record, 5);
  putDword(record, 3);
  putEntry(record, 1034, 1, 3, {0x41, 0x89, 0x31});
  for (int i = 0; i < 4; ++i) putEntry(record, 264, 0, 2, {});
  putDword(record, 0xFEEF05DD);
  putDword(record, 0xFEEF139E);
  putRecordHeader(record, 5021);
  for (DWORD d : {9u, 3u, 14u, 1u, 0u, 0u}) putDword(record, d);
  putDword(record, 0xFEEF139D);
  putDword(record, 0xFEEF1391);

  auto item = createItem<CQXRecursionV5Item>(5009);
  ASSERT_NE(item, nullptr);
  loadBytes(*item, record);
  EXPECT_EQ(storedBytes(*item), record);
  EXPECT_EQ(item->GetRecursionType(), 2u);
  EXPECT_EQ(item->GetRecursionOrder(), 2);
  EXPECT_EQ(item->GetStartIndexChar(), '1');
  ASSERT_NE(item->GetFormula(0), nullptr);
  EXPECT_EQ(item->GetFormula(0)->GetType(), 1034u);
  EXPECT_EQ(item->GetFormula(0)->GetExpression(), (Bytes{0x41, 0x89, 0x31}));
  EXPECT_EQ(item->GetFormula(5), nullptr);
  EXPECT_EQ(item->GetRange().GetRows(), 14u);

  // A formula set of another count is damage.
  Bytes six = record;
  six[16 + 4 + 32] = 6;
  EXPECT_EQ(archiveCode([&] { loadBytes(*item, six); }), kArchiveBadRecord);

  BYTE setup[13];
  ASSERT_TRUE(item->BuildSetupHeader(setup, sizeof setup));
  Bytes expected = {0xFF, 'S', 'E', 'T', '1', 0x30, 0x02, 'Y', '=', 'D', 'a', 't', 'a'};
  EXPECT_EQ(Bytes(setup, setup + 13), expected);
  CQXRecursionV5Item other;
  ASSERT_TRUE(other.ParseSetupHeader(expected.data(), 13));
  EXPECT_EQ(other.GetRecursionType(), 2u);
  expected[10] = 'T';
  expected[11] = 'A';
  expected[6] = 4;
  EXPECT_FALSE(other.ParseSetupHeader(expected.data(), 13));  // "Y=DATA"
  EXPECT_EQ(other.GetRecursionType(), 2u);
  other.SetRecursionType(3, '1');
  EXPECT_EQ(other.GetRecursionType(), 4u);
  other.SetRecursionType(5, '1');
  EXPECT_EQ(other.GetRecursionOrder(), 1);
}

TEST_F(GraphFuncV5Items, FunctionSetsKeepTheirCount) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(5002, "\\Calculator\\Y=Data\\GraphFunc", &entry, nullptr));
  auto* functions = dynamic_cast<CQXGraphFuncV5Item*>(entry.GetItem());
  ASSERT_NE(functions, nullptr);
  EXPECT_EQ(functions->GetCount(), 30);
  EXPECT_EQ(functions->GetValue(), 20u);
  const Bytes record = {0x02, 0x09, 0x00, 0x03, 0x58, 0x00};
  ASSERT_TRUE(functions->GetEntry(29)->SetFromRecord(record.data(), DWORD(record.size())));
  Bytes stored = storedBytes(*functions);
  EXPECT_EQ(stored.size(), 16u + 16 + 8 + 30 * 16 + 1 + 4 + 4);
  std::unique_ptr<CQXCalcItem> back = throughDocEntry(functions);
  auto* reloaded = dynamic_cast<CQXGraphFuncV5Item*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetEntry(29)->GetRecord(), record);

  stored[32] = 200;  // a count that is not the class's
  EXPECT_EQ(archiveCode([&] { loadBytes(*reloaded, stored); }), kArchiveBadRecord);
  EXPECT_EQ(CreateItemByTypeId(5022), nullptr);
  EXPECT_EQ(CreateItemByTypeId(5021), nullptr);
}

TEST_F(GraphFuncV5Items, PictureStoredByHandAndNamedFromHeaders) {
  const Bytes image = {0x81, 0x42, 0x24, 0x18};
  Bytes record;
  putRecordHeader(record, 5014);
  putNameField(record, 10, "Picture3");
  for (DWORD d : {1u, 128u, 64u, 2u, 1u, 4u, DWORD('U'), DWORD('F'), DWORD('W')}) putDword(record, d);
  putDword(record, DWORD(image.size()));
  append(record, image);
  putDword(record, 0xFEEF1396);
  ASSERT_EQ(record.size(), 16u + 58 + 4);

  auto picture = createItem<CQXPictureV5Item>(5014);
  ASSERT_NE(picture, nullptr);
  loadBytes(*picture, record);
  EXPECT_EQ(storedBytes(*picture), record);
  char name[16];
  ASSERT_TRUE(picture->GetHeaderName(name, sizeof name));
  EXPECT_STREQ(name, "PICT3");
  EXPECT_EQ(picture->GetDocName(name, sizeof name), 9);
  EXPECT_EQ(displayNameOf(*picture), CLanguageLibrary::LoadStringA(10333) + " 3");

  ASSERT_TRUE(picture->SetNameFromHeader("PICT12"));
  EXPECT_EQ(picture->GetName(), "Picture12");
  EXPECT_FALSE(picture->SetNameFromHeader("PICT"));
  EXPECT_FALSE(picture->TakeNameFromPath("\\Calculator\\Picture\\Picture"));
  ASSERT_TRUE(picture->TakeNameFromPath("\\Calculator\\Picture\\Picture7"));
  EXPECT_EQ(picture->GetName(), "Picture7");

  // The stored plane count follows the bytes received.
  Bytes bytes(2048, 0);
  ASSERT_TRUE(picture->SetBytes(bytes.data(), 2048));
  EXPECT_EQ(picture->GetFormat().storedPlanes, 2u);
  ASSERT_TRUE(picture->SetBytes(bytes.data(), 500));
  EXPECT_EQ(picture->GetFormat().storedPlanes, 1u);
  EXPECT_FALSE(picture->SetBytes(bytes.data(), 0));
  BYTE small[499];
  EXPECT_FALSE(picture->GetBytes(small, sizeof small));
  CQXPictureV5Item::Format none;
  none.width = 0;
  picture->SetFormat(none);
  ASSERT_TRUE(picture->SetBytes(bytes.data(), 100));
  EXPECT_EQ(picture->GetFormat().storedPlanes, 1u);

  CQXGraphMemV5Item memory;
  ASSERT_TRUE(memory.SetNameFromHeader("GMEM12"));
  EXPECT_EQ(memory.GetName(), "GMem12");
  ASSERT_TRUE(memory.GetHeaderName(name, sizeof name));
  EXPECT_STREQ(name, "GMEM12");
  EXPECT_FALSE(memory.SetNameFromHeader("GMEM"));
  ASSERT_TRUE(memory.SetBytes(bytes.data(), 3));
  EXPECT_EQ(storedBytes(memory).size(), 16u + 22 + 3);
}

TEST_F(GraphFuncV5Items, EveryNewerTypeIsMadeAndStoresAndReloads) {
  const std::map<int, const char*> paths = {
      {5004, "\\Calculator\\Mat\\MAT_C"}, {5005, "\\Calculator\\List\\List4"}, {5006, "\\Calculator\\Y=Data\\VWin"},
      {5014, "\\Calculator\\Picture\\Picture2"}, {5015, "\\Calculator\\GMem\\GMem3"}};
  int made = 0;
  for (const CQXItemTypeInfo& info : ItemTypeTable()) {
    if (info.typeId < 5000 || !info.loadable) continue;
    std::unique_ptr<CQXCalcItem> empty(CreateItemByTypeId(info.typeId));
    ASSERT_NE(empty, nullptr) << info.typeId;
    EXPECT_NE(throughDocEntry(empty.get()), nullptr) << info.typeId;
    CQXDocEntry entry;
    const auto path = paths.find(info.typeId);
    const char* p = path == paths.end() ? "\\Calculator\\Item" : path->second;
    if (HasItemFactory(info.typeId) || info.typeId == 5015) {
      ASSERT_TRUE(info.typeId == 5015 ? (entry.SetItem(CreateItemByTypeId(5015)), ApplyEntryPathToItem(&entry, p, nullptr))
                                      : CreateItemFromFactory(info.typeId, p, &entry, nullptr))
          << info.typeId;
      EXPECT_NE(throughDocEntry(entry.GetItem()), nullptr) << info.typeId;
      ++made;
    }
  }
  EXPECT_EQ(made, 15);
}
