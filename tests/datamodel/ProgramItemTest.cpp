#include "datamodel/QXItemFactory.h"
#include "datamodel/QXProgramItem.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/OldHeaderVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class ProgramItem : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(ProgramItem, ExchangesItsHeaderAndText) {
  // Received: a BASE-N program "CONV" without password, 5 bytes of text.
  Bytes h = blankHeader();
  put(h, 1, "TXT");
  put(h, 5, "PG");
  put32(h, 7, 7);
  put(h, 11, "CONV");
  put(h, 35, "BN");
  const Bytes text = {0xF7, 0x00, 0x41, 0x0D, 0xFF};

  std::unique_ptr<CQXCalcItem> created(CreateItemByTypeId(4001));
  auto* item = dynamic_cast<CQXProgramItem*>(created.get());
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->ParseHeader(h.data(), 50));
  EXPECT_EQ(GetHeaderDataLength(h.data(), 50) - 2, text.size());
  ASSERT_TRUE(item->SetDataBlock(text.data(), int(text.size())));
  EXPECT_TRUE(item->IsBaseN());
  EXPECT_FALSE(item->HasPassword());
  EXPECT_EQ(item->GetLength(), 5u);

  // Sent back: the same header and the same data packet.
  Bytes out(50);
  ASSERT_TRUE(item->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);
  Bytes data(5);
  EXPECT_FALSE(item->GetDataBlock(data.data(), 4));
  ASSERT_TRUE(item->GetDataBlock(data.data(), 5));
  EXPECT_EQ(data, text);

  char name[64];
  item->GetDisplayName(name, sizeof name);
  EXPECT_STREQ(name, "CONV");
  EXPECT_EQ(detailTextOf(*item), "4 " + CLanguageLibrary::LoadStringA(10662) + " (" +
                               CLanguageLibrary::LoadStringA(10209) + ")   B");
}

TEST_F(ProgramItem, HeaderChecksRefuseMalformedFields) {
  Bytes good = blankHeader();
  put(good, 1, "TXT");
  put(good, 5, "PG");
  put32(good, 7, 2);
  put(good, 11, "A");
  put(good, 35, "NL");
  CQXProgramItem item;
  item.SetName("KEEP");
  Bytes b = good;
  put(b, 1, "TXF");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  b = good;
  put(b, 5, "FM");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  b = good;
  put(b, 35, "BX");
  EXPECT_FALSE(item.ParseHeader(b.data(), 50));
  EXPECT_FALSE(item.ParseHeader(good.data(), 40));
  EXPECT_FALSE(item.ParseHeader(nullptr, 50));
  char name[16];
  item.GetDisplayName(name, sizeof name);
  EXPECT_STREQ(name, "KEEP");
  EXPECT_TRUE(item.ParseHeader(good.data(), 50));
}

TEST_F(ProgramItem, DetailTextCountsTheTextWithoutItsEndByte) {
  CQXProgramItem item;
  const std::string lengthText = CLanguageLibrary::LoadStringA(10662);
  const std::string byteText = CLanguageLibrary::LoadStringA(10209);
  EXPECT_EQ(detailTextOf(item), "0 " + lengthText + " (" + byteText + ")    ");
  item.SetPassword("PW");
  item.SetBaseN(TRUE);
  Bytes text(120, 0x41);
  text.back() = 0xFF;
  item.SetDataBlock(text.data(), 120);
  EXPECT_EQ(detailTextOf(item), "119 " + lengthText + " (" + byteText + ") * B");
  char password[9];
  ASSERT_TRUE(item.GetPassword(password, sizeof password));
  EXPECT_STREQ(password, "PW");

  char buffer[8] = "x";
  CQXDetailTextRecord noText{0, buffer, sizeof buffer};
  EXPECT_FALSE(item.GetDetailText(&noText));
  EXPECT_STREQ(buffer, "x");
  // A short buffer holds the beginning.
  CQXDetailTextRecord shortBuffer{1, buffer, sizeof buffer};
  EXPECT_TRUE(item.GetDetailText(&shortBuffer));
  EXPECT_STREQ(buffer, "119 Lon");
}

TEST_F(ProgramItem, EightCharacterNamesAreShownWhole) {
  CQXProgramItem item;
  ASSERT_TRUE(item.SetName("ABCDEFGH"));
  char name[64];
  item.GetDisplayName(name, sizeof name);
  EXPECT_STREQ(name, "ABCDEFGH");
  item.GetDisplayName(name, 4);
  EXPECT_STREQ(name, "ABC");
}

TEST_F(ProgramItem, StoresAndReloads) {
  CQXProgramItem item;
  item.SetName("GAME");
  item.SetPassword("KEY");
  const Bytes text = {0x41, 0x42, 0xFF};
  item.SetDataBlock(text.data(), 3);

  Bytes header50(50);
  item.BuildHeader(header50.data(), 50);
  Bytes expected;
  putDword(expected, 4001);
  for (int i = 0; i < 3; ++i) putDword(expected, 0);
  putDword(expected, 1300);
  putDword(expected, 3 + 50);
  putDword(expected, 1);
  expected.insert(expected.end(), header50.begin(), header50.end());
  putDword(expected, 1004);
  putDword(expected, 3);
  expected.insert(expected.end(), text.begin(), text.end());
  putDword(expected, 0xFEEF0514);
  putDword(expected, 0xFEEF0FA1);
  EXPECT_EQ(storedBytes(item), expected);

  std::unique_ptr<CQXCalcItem> loaded = throughDocEntry(&item);
  auto* program = dynamic_cast<CQXProgramItem*>(loaded.get());
  ASSERT_NE(program, nullptr);
  EXPECT_TRUE(program->HasPassword());
  EXPECT_EQ(program->GetLength(), 3u);

  Bytes badTag = expected;
  badTag[0] = 0xA2;
  EXPECT_EQ(archiveCode([&] { loadBytes(item, badTag); }), kArchiveBadRecord);
  Bytes badEnd = expected;
  badEnd.back() = 0;
  EXPECT_EQ(archiveCode([&] { loadBytes(item, badEnd); }), kArchiveBadRecord);

  // Write failures surface as code 12.
  MemoryArchive failing;
  failing.failWritesAfter_ = 40;
  EXPECT_EQ(archiveCode([&] { item.Store(failing); }), kArchiveWriteFailed);
}

TEST_F(ProgramItem, TheFactoryNamesANewProgram) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(4001, "\\Calculator\\Program\\X", &entry, nullptr));
  EXPECT_EQ(entry.Path(), "\\Calculator\\Program\\Program");
  EXPECT_EQ(entry.GetItem()->GetTypeId(), 4001);
}
