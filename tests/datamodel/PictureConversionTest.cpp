#include "classlib/PictureColors.h"
#include "datamodel/PictureConversion.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

using Bytes = std::vector<BYTE>;

// A format over `data`: one or more planes, origin, scan and bit order.
ScreenFormat format(int width, int height, int planes, int origin, char scan, char bitOrder, Bytes& data,
                    int flags = 1) {
  ScreenFormat f;
  f.flags = flags;
  f.width = width;
  f.height = height;
  f.planes = planes;
  f.extra = 1;
  f.origin = origin;
  f.scan = scan;
  f.bitOrder = bitOrder;
  f.ink = 'W';
  f.data = data.data();
  f.dataSize = DWORD(data.size());
  return f;
}

COLORREF pixel(const CBitmap& b, int x, int y) { return ColorRefFromQRgb(b.GetImage().pixel(x, y)); }

// Every pixel of row y, as colours.
std::vector<COLORREF> row(const CBitmap& b, int y) {
  std::vector<COLORREF> r;
  for (int x = 0; x < b.GetWidth(); ++x) r.push_back(pixel(b, x, y));
  return r;
}

CBitmap* convert(const ScreenFormat& f, BOOL monochrome = FALSE) {
  auto* bitmap = new CBitmap;
  int error = -1;
  EXPECT_TRUE(CalcPlanesToBitmap(f, *bitmap, monochrome, error)) << error;
  EXPECT_EQ(error, 0);
  return bitmap;
}

class PictureConversion : public ::testing::Test {
 protected:
  TestEnvironment env;
  const COLORREF paper = GetBackgroundBWColor(), ink = GetBWColor();
  const COLORREF bg = GetBackgroundColor(), orange = GetOrangeColor(), blue = GetBlueColor(),
                 green = GetGreenColor();
};

}  // namespace

// Vectors worked by hand: W 16, H 2, default colours.
TEST_F(PictureConversion, MonochromePlanesLandWhereTheOrderSays) {
  auto expectInk = [&](const CBitmap& b, std::vector<std::pair<int, int>> inked) {
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 16; ++x) {
        bool isInk = false;
        for (auto [ix, iy] : inked) isInk |= ix == x && iy == y;
        EXPECT_EQ(pixel(b, x, y), isInk ? ink : paper) << x << "," << y;
      }
  };
  Bytes a = {0x80, 0x01, 0xFF, 0x00};
  std::unique_ptr<CBitmap> b(convert(format(16, 2, 1, 1, 'R', 'F', a)));
  ASSERT_EQ(b->GetWidth(), 16);
  ASSERT_EQ(b->GetHeight(), 2);
  expectInk(*b, {{0, 0}, {15, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}});

  Bytes c = {0x01, 0x00, 0x80, 0x00};
  b.reset(convert(format(16, 2, 1, 4, 'U', 'F', c)));
  expectInk(*b, {{15, 1}, {0, 1}});
  b.reset(convert(format(16, 2, 1, 4, 'U', 'R', c)));
  expectInk(*b, {{8, 1}, {7, 1}});

  Bytes d = {0x80, 0x01, 0x02, 0x00};
  b.reset(convert(format(16, 2, 1, 2, 'D', 'F', d)));
  expectInk(*b, {{8, 0}, {6, 0}, {15, 1}});
}

TEST_F(PictureConversion, PlanesPickTheirColoursAndConvertBack) {
  Bytes data = {0xC0, 0x60, 0x30, 0x00};
  ScreenFormat f = format(8, 1, 4, 1, 'R', 'F', data);
  std::unique_ptr<CBitmap> b(convert(f));
  EXPECT_EQ(row(*b, 0), (std::vector<COLORREF>{orange, blue, green, green, bg, bg, bg, bg}));
  int error = -1;
  ASSERT_TRUE(BitmapToCalcPlanes(f, *b, error));
  EXPECT_EQ(data, (Bytes{0x80, 0x40, 0x30, 0x00}));

  data = {0xC0, 0x60, 0x30};
  ScreenFormat screen = format(8, 1, 3, 1, 'R', 'F', data, 2);
  b.reset(convert(screen));
  EXPECT_EQ(row(*b, 0), (std::vector<COLORREF>{blue, green, orange, orange, bg, bg, bg, bg}));
  b.reset(convert(screen, TRUE));
  EXPECT_EQ(row(*b, 0), (std::vector<COLORREF>{ink, ink, ink, ink, paper, paper, paper, paper}));
  // Screen copies only go one way.
  EXPECT_FALSE(BitmapToCalcPlanes(screen, *b, error));
  EXPECT_EQ(error, kUnsupportedPictureFormat);
}

// Every origin with the two scans that move away from it, both bit orders,
// random pictures with ink in at most one plane per pixel, in the default
// colours and in colours of the user's own.
TEST_F(PictureConversion, PicturesComeBackUnchanged) {
  const std::pair<int, char> orders[] = {{1, 'R'}, {3, 'R'}, {2, 'L'}, {4, 'L'},
                                         {1, 'D'}, {2, 'D'}, {3, 'U'}, {4, 'U'}};
  std::mt19937 random(7);
  for (bool ownColours : {false, true}) {
    if (ownColours) {
      SetOrangeColor(RGB(200, 100, 0));
      SetBlueColor(RGB(1, 2, 3));
      SetGreenColor(RGB(0, 128, 64));
      SetBWColor(RGB(90, 0, 90));  // a two-tone ink other than black survives too
    }
    for (auto [origin, scan] : orders)
      for (char bitOrder : {'F', 'R'}) {
        const int w = 24, h = 5, plane = w * h / 8;
        Bytes colour(size_t(plane) * 4, 0), mono(size_t(plane), 0);
        for (int i = 0; i < plane; ++i) {
          mono[size_t(i)] = BYTE(random());
          for (int bit = 0; bit < 8; ++bit) {
            const int p = int(random() % 4);  // 3: no ink
            if (p < 3) colour[size_t(p * plane + i)] |= BYTE(1 << bit);
          }
        }
        for (Bytes* data : {&colour, &mono}) {
          const Bytes before = *data;
          ScreenFormat f = format(w, h, data == &colour ? 4 : 1, origin, scan, bitOrder, *data);
          std::unique_ptr<CBitmap> b(convert(f));
          std::fill(data->begin(), data->end(), BYTE(0x5A));
          int error = -1;
          ASSERT_TRUE(BitmapToCalcPlanes(f, *b, error));
          EXPECT_EQ(*data, before) << origin << scan << bitOrder << " own colours " << ownColours;
        }
      }
  }
}

TEST_F(PictureConversion, FormatsThatDoNotFitAreRefusedBeforeAnythingIsWritten) {
  Bytes data(16, 0xAB);
  const ScreenFormat good = format(16, 2, 4, 1, 'R', 'F', data);
  std::vector<std::pair<const char*, ScreenFormat>> bad;
  auto add = [&](const char* what, auto change) {
    ScreenFormat f = good;
    change(f);
    bad.emplace_back(what, f);
  };
  add("neither picture nor screen copy", [](ScreenFormat& f) { f.flags = 0; });
  add("two planes", [](ScreenFormat& f) { f.planes = 2; });
  add("ink", [](ScreenFormat& f) { f.ink = 'B'; });
  add("bit order", [](ScreenFormat& f) { f.bitOrder = 'X'; });
  add("origin 0", [](ScreenFormat& f) { f.origin = 0; });
  add("origin 5", [](ScreenFormat& f) { f.origin = 5; });
  add("scan", [](ScreenFormat& f) { f.scan = 'X'; });
  add("R from the right", [](ScreenFormat& f) { f.origin = 2; });
  add("L from the left", [](ScreenFormat& f) { f.scan = 'L'; });
  add("D from the bottom", [](ScreenFormat& f) { f.scan = 'D', f.origin = 3; });
  add("U from the top", [](ScreenFormat& f) { f.scan = 'U'; });
  add("width 0", [](ScreenFormat& f) { f.width = 0; });
  add("height -1", [](ScreenFormat& f) { f.height = -1; });
  add("width not a multiple of 8", [](ScreenFormat& f) { f.width = 12; });
  add("no data", [](ScreenFormat& f) { f.data = nullptr; });
  add("one byte short", [](ScreenFormat& f) { f.dataSize = 15; });
  add("more planes than data", [](ScreenFormat& f) { f.height = 3; });

  CBitmap source;
  source.CreateBitmap(16, 2);
  for (auto& [what, f] : bad) {
    CBitmap out;
    int error = -1;
    EXPECT_FALSE(CalcPlanesToBitmap(f, out, FALSE, error)) << what;
    EXPECT_EQ(error, kUnsupportedPictureFormat) << what;
    EXPECT_FALSE(out.HasPixels()) << what;
    error = -1;
    EXPECT_FALSE(BitmapToCalcPlanes(f, source, error)) << what;
    EXPECT_EQ(error, kUnsupportedPictureFormat) << what;
    EXPECT_EQ(data, Bytes(16, 0xAB)) << what;
  }
}
