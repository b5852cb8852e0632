#include "datamodel/PictureConversion.h"
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

// The picture as the New command makes it for the newer model: two planes,
// the first goes to a bitmap and comes back, the second stays zero.
TEST_F(GraphFuncV5Items, AFactoryMadePictureConvertsToABitmapAndBack) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(5014, "\\Calculator\\Picture\\Picture4", &entry, nullptr));
  ASSERT_TRUE(PrepareNewItem("ALGEBRA FX 2.0", &entry));
  auto* picture = dynamic_cast<CQXPictureV5Item*>(entry.GetItem());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetName(), "Picture4");
  ASSERT_EQ(picture->GetLength(), 2048u);
  EXPECT_EQ(picture->GetFormat().storedPlanes, 2u);

  ScreenFormat format;
  ASSERT_TRUE(picture->GetImageFormat(format));
  EXPECT_EQ(format.flags & 1, 1);
  EXPECT_EQ(format.dataSize, 2048u);
  for (size_t i = 0; i < 1024; i += 5) format.data[i] = BYTE(0x81 + i);
  const Bytes before(format.data, format.data + 2048);
  CBitmap bitmap;
  int error = -1;
  ASSERT_TRUE(CalcPlanesToBitmap(format, bitmap, FALSE, error)) << error;
  EXPECT_EQ(bitmap.GetWidth(), 128);
  std::fill(format.data, format.data + 1024, BYTE(0));
  ASSERT_TRUE(BitmapToCalcPlanes(format, bitmap, error)) << error;
  EXPECT_EQ(Bytes(picture->GetData(), picture->GetData() + 2048), before);
  EXPECT_TRUE(std::all_of(before.begin() + 1024, before.end(), [](BYTE b) { return b == 0; }));

  // A received picture shorter than a plane is refused by the conversion, not read past.
  Bytes short500(500, 0xFF);
  ASSERT_TRUE(picture->SetBytes(short500.data(), 500));
  ScreenFormat small;
  ASSERT_TRUE(picture->GetImageFormat(small));
  CBitmap none;
  EXPECT_FALSE(CalcPlanesToBitmap(small, none, FALSE, error));
  EXPECT_EQ(error, kUnsupportedPictureFormat);

  // SetImage needs a whole plane and a 48-byte record.
  small.dataSize = 1023;
  EXPECT_FALSE(picture->SetImage(small));
  small.dataSize = 1024;
  small.size = 40;
  EXPECT_FALSE(picture->SetImage(small));
  EXPECT_EQ(picture->GetLength(), 500u);
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
