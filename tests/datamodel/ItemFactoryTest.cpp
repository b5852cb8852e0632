#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/MemoryArchive.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>

using namespace tallix::test;

namespace {

// A stand-in item of any type id, for the naming and set-up rules.
template <int Id>
class StandIn : public CQXCalcItem {
 public:
  static inline std::string lastName;
  static inline bool refuseScreen = false;
  static inline DWORD screenBytes = 0;
  int GetTypeId() const override { return Id; }
  void GetDisplayName(char* buffer, UINT size) override { CopyText("stand-in", buffer, size); }
  BOOL TakeNameFromPath(const char* path) override {
    lastName = path;
    return TRUE;
  }
  BOOL TakeNewScreen(const ScreenFormat& f, const BYTE*, DWORD size) override {
    screenBytes = size;
    return refuseScreen || f.planes == 0 ? FALSE : TRUE;
  }
};

template <int Id>
CQXCalcItem* makeStandIn() {
  return new StandIn<Id>;
}

class ItemFactory : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = {RegisterItemClass(4001, &makeStandIn<4001>), RegisterItemClass(4017, &makeStandIn<4017>),
             RegisterItemClass(4004, &makeStandIn<4004>), RegisterItemClass(5014, &makeStandIn<5014>)};
  }
  void TearDown() override {
    RegisterItemClass(4001, saved[0]);
    RegisterItemClass(4017, saved[1]);
    RegisterItemClass(4004, saved[2]);
    RegisterItemClass(5014, saved[3]);
  }
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  std::vector<CQXItemCreateFunction> saved;
};

TEST_F(ItemFactory, TheFactoryTableHoldsTheCommandCreatableTypes) {
  EXPECT_EQ(FactoryTypeIds().size(), 29u);
  for (int id : FactoryTypeIds()) EXPECT_TRUE(HasItemFactory(id)) << id;
  for (int id : {4015, 4016, 4017, 4018, 5015, 5016, 5018, 5019, 5020, 5023, 5024, 5990, 1500, 5021, 0})
    EXPECT_FALSE(HasItemFactory(id)) << id;
  // The type table agrees with the factory order.
  std::set<int> factoryIds(FactoryTypeIds().begin(), FactoryTypeIds().end());
  for (const CQXItemTypeInfo& info : ItemTypeTable()) EXPECT_EQ(info.factory, factoryIds.count(info.typeId) == 1);
}

TEST_F(ItemFactory, EveryTypeIdIsCreatedOrCleanlyRefused) {
  for (const CQXItemTypeInfo& info : ItemTypeTable()) {
    std::unique_ptr<CQXCalcItem> item(CreateItemByTypeId(info.typeId));
    if (!info.loadable) {
      EXPECT_EQ(item, nullptr) << info.typeId;
    } else if (item) {
      EXPECT_EQ(item->GetTypeId(), info.typeId);
    }
    CQXDocEntry entry;
    const BOOL made = CreateItemFromFactory(info.typeId, "\\Calculator\\X\\Y", &entry, nullptr);
    EXPECT_EQ(made != FALSE, entry.GetItem() != nullptr) << info.typeId;
    if (made) {
      EXPECT_EQ(entry.GetFlags(), 2u);
    }
  }
  EXPECT_EQ(CreateItemByTypeId(5021), nullptr);
  EXPECT_EQ(CreateItemByTypeId(5022), nullptr);
  EXPECT_EQ(CreateItemByTypeId(9999), nullptr);
}

TEST_F(ItemFactory, NewItemsAreNamedByTheirKind) {
  CQXDocEntry program;
  ASSERT_TRUE(CreateItemFromFactory(4001, "\\Calculator\\Program\\Whatever", &program, nullptr));
  EXPECT_EQ(program.Path(), "\\Calculator\\Program\\Program");

  CQXDocEntry matrix;
  ASSERT_TRUE(CreateItemFromFactory(4004, "\\Calculator\\Matrix\\Mat B", &matrix, nullptr));
  EXPECT_EQ(matrix.Path(), "\\Calculator\\Matrix\\Mat B");
  EXPECT_EQ(StandIn<4004>::lastName, "\\Calculator\\Matrix\\Mat B");

  FakeDocServices doc;
  doc.uniqueNumber = 6;
  CQXDocEntry screen;
  screen.SetItem(CreateItemByTypeId(4017));
  ASSERT_TRUE(ApplyEntryPathToItem(&screen, "\\Calculator\\Display", &doc));
  EXPECT_EQ(screen.Path(), "\\Calculator\\Display\\Display_00000007");
  ASSERT_TRUE(ApplyEntryPathToItem(&screen, "\\Calculator\\Display\\Mine", &doc));
  EXPECT_EQ(screen.Path(), "\\Calculator\\Display\\Mine");
  EXPECT_FALSE(ApplyEntryPathToItem(&screen, "\\Calculator\\Display", nullptr));  // no document to count with

  CQXDocEntry empty;
  EXPECT_FALSE(ApplyEntryPathToItem(&empty, "\\A", &doc));
}

TEST_F(ItemFactory, NewPicturesGetTheModelsScreenOrFail) {
  env.writeProgramFile(QStringLiteral("QXGraph.lst"),
                       "[Colour]\nPicture Format=3,1,1,D,W,F\nScreen Size=128,64\n"
                       "[Refused]\nPicture Format=0,1,1,D,W,F\nScreen Size=128,64\n");
  MessageLog log;
  CQXDocEntry picture;
  picture.SetItem(CreateItemByTypeId(5014));
  EXPECT_TRUE(PrepareNewItem("Colour", &picture));
  EXPECT_EQ(StandIn<5014>::screenBytes, 3u * 1024u);
  EXPECT_TRUE(log.shown.empty());

  // A refused format is a failure, not a picture without pixels.
  EXPECT_FALSE(PrepareNewItem("Refused", &picture));
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(log.shown[0].text, QStringLiteral("La commande a échoué."));
  EXPECT_EQ(log.shown[0].type & 0xF0, UINT(MB_ICONSTOP));

  EXPECT_FALSE(PrepareNewItem("NoSuchModel", &picture));
  CQXDocEntry program;
  program.SetItem(CreateItemByTypeId(4001));
  EXPECT_TRUE(PrepareNewItem("NoSuchModel", &program));  // nothing to prepare
  CQXDocEntry none;
  EXPECT_FALSE(PrepareNewItem("Colour", &none));
}

TEST(GraphFuncEntry, StoredAndLinkFormsRoundTrip) {
  CQXGraphFuncEntry f;
  EXPECT_EQ(f.GetType(), 264u);
  EXPECT_EQ(f.GetStyle(), 2u);
  f.SetType(0);
  f.SetStyle(0);
  EXPECT_EQ(f.GetType(), 264u);  // 0 reads as the new values
  EXPECT_EQ(f.GetStyle(), 2u);
  const BYTE record[] = {0x04, 0x09, 0x01, 0x03, 'X', '+', '1', 0};
  ASSERT_TRUE(f.SetFromRecord(record, sizeof record));
  EXPECT_EQ(f.GetType(), 1033u);
  EXPECT_EQ(f.GetOption(), 1u);
  EXPECT_EQ(f.GetStyle(), 3u);
  EXPECT_EQ(f.GetRecordSize(), 8u);
  EXPECT_EQ(f.GetRecord(), std::vector<BYTE>(record, record + sizeof record));
  EXPECT_FALSE(f.SetFromRecord(record, 3));

  MemoryArchive ar;
  f.Store(ar);
  EXPECT_EQ(ar.bytes_.size(), f.GetStoredSize());
  std::vector<BYTE> expected;
  for (DWORD d : {1033u, 1u, 3u, 3u}) putDword(expected, d);
  putBytes(expected, "X+1");
  EXPECT_EQ(ar.bytes_, expected);
  ar.Seek(0);
  CQXGraphFuncEntry back;
  back.Load(ar);
  EXPECT_EQ(back.GetRecord(), f.GetRecord());
  f.SetExpression(nullptr, 0);
  EXPECT_TRUE(f.GetExpression().empty());
}

TEST(GraphFuncEntry, LabelsFollowTheTypeCode) {
  std::string a, b = "old";
  FormatGraphFuncLabel(3, 1033, &a, &b);
  EXPECT_EQ(a, "Xt3=");
  EXPECT_EQ(b, "Yt3=");
  FormatGraphFuncLabel(3, 264, &a, &b);
  EXPECT_EQ(a, "Y3=");
  EXPECT_EQ(b, "");
  const std::pair<DWORD, const char*> cases[] = {{392, "Y1<"}, {408, "Y1>"}, {424, "Y1<="}, {440, "Y1>="},
                                                 {521, "X1="}, {1034, "r1="}};
  for (auto [code, text] : cases) {
    FormatGraphFuncLabel(1, code, &a, &b);
    EXPECT_EQ(a, text);
  }
}

}  // namespace
