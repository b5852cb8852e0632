#include "classlib/PictureColors.h"
#include "datamodel/PictureConversion.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMemImageItems.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/OldHeaderVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class ImageItems : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(ImageItems, APictureTakesItsHeaderAndBlocks) {
  auto picture = createItem<CQXPictureItem>(4014);
  ASSERT_TRUE(picture);
  const Bytes h = pictureHeader("Picture6");
  ASSERT_TRUE(picture->ParseHeader(h.data(), 50));
  EXPECT_EQ(picture->GetOuterBlockCount(), 1);
  EXPECT_EQ(picture->GetInnerBlockCount(), 4);
  EXPECT_EQ(picture->GetDataBlockSize(), 1024u + 6);
  for (unsigned b = 0; b < 4; ++b) ASSERT_TRUE(picture->SetImageBlock(pictureBlock(0, b, BYTE(0x10 + b)).data(), 1028));
  // Blocks from outside the picture, and any other length, are refused.
  EXPECT_FALSE(picture->SetImageBlock(pictureBlock(1, 0, 0).data(), 1028));
  EXPECT_FALSE(picture->SetImageBlock(pictureBlock(0, 4, 0).data(), 1028));
  EXPECT_FALSE(picture->SetImageBlock(pictureBlock(0, 0, 0, 1023).data(), 1027));
  EXPECT_FALSE(picture->SetImageBlock(pictureBlock(0, 0, 0, 1025).data(), 1029));

  Bytes out(50);
  ASSERT_TRUE(picture->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);
  Bytes got(1028);
  ASSERT_TRUE(picture->GetImageBlock(0, 2, got.data(), 1028));
  EXPECT_EQ(got, pictureBlock(0, 2, 0x12));
  EXPECT_FALSE(picture->GetImageBlock(0, 4, got.data(), 1028));

  EXPECT_EQ(displayNameOf(*picture), CLanguageLibrary::LoadStringA(10333) + " 6");
  char name[16];
  ASSERT_TRUE(picture->GetDocName(name, sizeof name));
  EXPECT_STREQ(name, "Picture6");

  std::unique_ptr<CQXCalcItem> loaded = throughDocEntry(picture.get());
  auto* again = dynamic_cast<CQXPictureItem*>(loaded.get());
  ASSERT_NE(again, nullptr);
  ASSERT_TRUE(again->GetImageBlock(0, 3, got.data(), 1028));
  EXPECT_EQ(got, pictureBlock(0, 3, 0x13));

  for (const char* bad : {"Picture7", "Picture0", "Pictures", "Picture", "picture1"})
    EXPECT_FALSE(picture->ParseHeader(pictureHeader(bad).data(), 50)) << bad;
  Bytes wrongKind = pictureHeader("Picture1");
  put(wrongKind, 1, "MEM");
  EXPECT_FALSE(picture->ParseHeader(wrongKind.data(), 50));
  Bytes tooBig = pictureHeader("Picture1");
  put16(tooBig, 34, 300);  // 300 groups of four 1 KiB planes
  EXPECT_FALSE(picture->ParseHeader(tooBig.data(), 50));
  EXPECT_EQ(picture->GetPictureNumber(), '6');
}

// The picture as the New command makes it for a colour model: its planes go
// to a bitmap and come back the same.
TEST_F(ImageItems, AFactoryMadePictureConvertsToABitmapAndBack) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(4014, "\\Calculator\\Picture\\Picture2", &entry, nullptr));
  ASSERT_TRUE(PrepareNewItem("CFX-9850G", &entry));
  auto* picture = dynamic_cast<CQXPictureItem*>(entry.GetItem());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetPictureNumber(), '2');
  // Orange, blue and green strokes, one plane each.
  for (unsigned b = 0; b < 3; ++b) {
    Bytes d = pictureBlock(0, b, 0);
    for (size_t i = 0; i < 1024; i += 3 + b) d[4 + i] = BYTE(0x81 << b);
    ASSERT_TRUE(picture->SetImageBlock(d.data(), 1028));
  }
  const std::vector<BYTE> before = picture->GetImage().GetBits();

  ScreenFormat format;
  ASSERT_TRUE(picture->GetImageFormat(format));
  EXPECT_EQ(format.flags & 1, 1);
  EXPECT_EQ(format.dataSize, 4096u);
  CBitmap bitmap;
  int error = -1;
  ASSERT_TRUE(CalcPlanesToBitmap(format, bitmap, FALSE, error)) << error;
  EXPECT_EQ(bitmap.GetWidth(), 128);
  EXPECT_EQ(bitmap.GetHeight(), 64);
  std::fill(format.data, format.data + format.dataSize, BYTE(0));
  ASSERT_TRUE(BitmapToCalcPlanes(format, bitmap, error)) << error;
  EXPECT_EQ(picture->GetImage().GetBits(), before);
}

TEST_F(ImageItems, AScreenCopyTakesItsPlanesAndIsColouredAsOne) {
  auto screen = createItem<CQXScreenItem>(4017);
  ASSERT_TRUE(screen);
  EXPECT_FALSE(screen->ParseHeader(screenHeader("DA").data(), 40));
  ASSERT_TRUE(screen->ParseHeader(screenHeader("DD").data(), 40));
  EXPECT_EQ(screen->GetDataBlockSize(), 1026u);
  ASSERT_TRUE(screen->ParseHeader(screenHeader("DC").data(), 40));
  EXPECT_EQ(screen->GetDataBlockSize(), 1027u);

  Bytes plane(1024, 0);
  plane[0] = 0x80;  // the data starts at the bottom-left corner
  for (int p : {0, 4}) EXPECT_FALSE(screen->SetImageData(p, plane.data(), 1024)) << p;
  EXPECT_FALSE(screen->SetImageData(1, plane.data(), 1025));
  ASSERT_TRUE(screen->SetImageData(1, plane.data(), 1024));
  screen->SetText("Display_00000007");

  ScreenFormat format;
  ASSERT_TRUE(screen->GetImageFormat(format));
  EXPECT_EQ(format.flags, 2);
  CBitmap bitmap;
  int error = -1;
  ASSERT_TRUE(CalcPlanesToBitmap(format, bitmap, FALSE, error));
  EXPECT_EQ(ColorRefFromQRgb(bitmap.GetImage().pixel(0, 63)), GetBlueColor());
  EXPECT_FALSE(BitmapToCalcPlanes(format, bitmap, error));

  std::unique_ptr<CQXCalcItem> loaded = throughDocEntry(screen.get());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(displayNameOf(*loaded), "Display_00000007");
}

TEST_F(ImageItems, MemoryImagesKeepTheirHeaderAndBytes) {
  auto graphs = createItem<CQXGraphMemItem>(4015);
  ASSERT_TRUE(graphs);
  const std::string name = "G\x99Mem2";
  const Bytes h = memHeader("GM", 100, name);
  ASSERT_TRUE(graphs->ParseHeader(h.data(), 50));
  Bytes memory(100);
  for (size_t i = 0; i < memory.size(); ++i) memory[i] = BYTE(i * 13);
  ASSERT_TRUE(graphs->SetBytes(memory.data(), 100));
  Bytes out(50);
  ASSERT_TRUE(graphs->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);
  char docName[8];
  ASSERT_TRUE(graphs->GetDocName(docName, sizeof docName));
  EXPECT_STREQ(docName, "GMem2");
  EXPECT_EQ(displayNameOf(*graphs), CLanguageLibrary::LoadStringA(10335) + " 2");

  // Stored size: record header, name field, dword 1, header image, bytes, end mark.
  const Bytes stored = storedBytes(*graphs);
  EXPECT_EQ(stored.size(), 16u + 12 + 4 + 50 + 108 + 4);
  std::unique_ptr<CQXCalcItem> loaded = throughDocEntry(graphs.get());
  auto* again = dynamic_cast<CQXGraphMemItem*>(loaded.get());
  ASSERT_NE(again, nullptr);
  Bytes back(100);
  ASSERT_TRUE(again->GetBytes(back.data(), 100));
  EXPECT_EQ(back, memory);
  Bytes badDword = stored;
  badDword[16 + 12] = 2;
  EXPECT_EQ(archiveCode([&] { loadBytes(*again, badDword); }), kArchiveBadRecord);

  // Only the item's own code, and a length that holds the framing.
  EXPECT_FALSE(graphs->ParseHeader(memHeader("DM", 100, name).data(), 50));
  Bytes shortLength = h;
  put32(shortLength, 7, 1);
  EXPECT_FALSE(graphs->ParseHeader(shortLength.data(), 50));
  auto dynamic = createItem<CQXDynaGraphMemV4Item>(4016);
  auto backup = createItem<CQXBackupV4Item>(4018);
  EXPECT_TRUE(dynamic->ParseHeader(memHeader("DM", 0, "").data(), 50));
  EXPECT_FALSE(dynamic->ParseHeader(memHeader("BU", 0, "").data(), 50));
  EXPECT_TRUE(backup->ParseHeader(memHeader("BU", 8, "").data(), 50));
  EXPECT_EQ(displayNameOf(*backup), CLanguageLibrary::LoadStringA(10340));

  ASSERT_TRUE(graphs->TakeNameFromPath("\\Calculator\\Graph Memory\\GMem5"));
  ASSERT_TRUE(graphs->GetDocName(docName, sizeof docName));
  EXPECT_STREQ(docName, "GMem5");
}
