#include "classlib/ProfileFont.h"
#include "classlib/ProfileSettings.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

LOGFONT sampleFont() {
  LOGFONT lf{};
  lf.lfHeight = -13;
  lf.lfWidth = 7;
  lf.lfEscapement = 900;
  lf.lfOrientation = -900;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfUnderline = 0;
  lf.lfStrikeOut = 1;
  lf.lfCharSet = 2;
  lf.lfOutPrecision = 3;
  lf.lfClipPrecision = 4;
  lf.lfQuality = 5;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::strcpy(lf.lfFaceName, "QXL2 TT");
  return lf;
}

std::vector<BYTE> stored(const char* section, const char* key) {
  std::vector<BYTE> bytes;
  tallix::profileBinary(section, key, &bytes);
  return bytes;
}

DWORD dwordAt(const std::vector<BYTE>& b, size_t at) {
  return DWORD(b[at]) | DWORD(b[at + 1]) << 8 | DWORD(b[at + 2]) << 16 | DWORD(b[at + 3]) << 24;
}

}  // namespace

TEST(ProfileFont, LongRecordIsLaidOutAsStoredAndReadsBack) {
  TestEnvironment env;
  const LOGFONT lf = sampleFont();
  ASSERT_TRUE(WriteProfileFont(&lf, 12345, "Settings", "Program Editor Font"));

  const std::vector<BYTE> b = stored("Settings", "Program Editor Font");
  ASSERT_EQ(b.size(), 76u);
  EXPECT_EQ(dwordAt(b, 0), 76u);
  EXPECT_EQ(dwordAt(b, 4), 60u);
  EXPECT_EQ(dwordAt(b, 8), DWORD(-13));     // lfHeight, little-endian
  EXPECT_EQ(dwordAt(b, 20), DWORD(-900));   // lfOrientation
  EXPECT_EQ(dwordAt(b, 24), 700u);          // lfWeight
  const BYTE flags[8] = {1, 0, 1, 2, 3, 4, 5, 0x31};
  EXPECT_EQ(std::memcmp(&b[28], flags, 8), 0);
  EXPECT_EQ(std::memcmp(&b[36], "QXL2 TT\0", 8), 0);
  EXPECT_EQ(dwordAt(b, 68), 0u);
  EXPECT_EQ(dwordAt(b, 72), 0u);

  LOGFONT back{};
  ASSERT_TRUE(ReadProfileFont(&back, "Settings", "Program Editor Font"));
  EXPECT_EQ(std::memcmp(&back, &lf, sizeof lf), 0);
}

TEST(ProfileFont, ShortRecordRoundTripsAndNeitherFormReadsAsTheOther) {
  TestEnvironment env;
  const LOGFONT lf = sampleFont();
  ASSERT_TRUE(WriteProfileFontShort(&lf, "Settings", "Desc Page Font"));
  const std::vector<BYTE> b = stored("Settings", "Desc Page Font");
  ASSERT_EQ(b.size(), 72u);
  EXPECT_EQ(dwordAt(b, 0), 72u);
  EXPECT_EQ(dwordAt(b, 4), 60u);
  EXPECT_EQ(dwordAt(b, 68), 0u);

  LOGFONT back{};
  ASSERT_TRUE(ReadProfileFontShort(&back, "Settings", "Desc Page Font"));
  EXPECT_EQ(std::memcmp(&back, &lf, sizeof lf), 0);

  ASSERT_TRUE(WriteProfileFont(&lf, 0, "Edit Cmd List", "Cmd Font"));
  EXPECT_FALSE(ReadProfileFontShort(&back, "Edit Cmd List", "Cmd Font"));
  EXPECT_FALSE(ReadProfileFont(&back, "Settings", "Desc Page Font"));
}

TEST(ProfileFont, DamagedOrMissingRecordsAreIgnored) {
  TestEnvironment env;
  LOGFONT untouched{};
  untouched.lfHeight = 99;
  LOGFONT out = untouched;
  EXPECT_FALSE(ReadProfileFont(&out, "Settings", "Program Editor Font"));
  EXPECT_EQ(out.lfHeight, 99);

  // A valid record with one marker changed at a time.
  const LOGFONT lf = sampleFont();
  ASSERT_TRUE(WriteProfileFont(&lf, 0, "Settings", "Good"));
  const std::vector<BYTE> good = stored("Settings", "Good");
  for (size_t at : {size_t(4), size_t(72)}) {
    std::vector<BYTE> bad = good;
    bad[at] ^= 1;
    ASSERT_TRUE(AppWriteProfileBinary("Settings", "Bad", bad.data(), UINT(bad.size())));
    out = untouched;
    EXPECT_FALSE(ReadProfileFont(&out, "Settings", "Bad")) << "offset " << at;
    EXPECT_EQ(out.lfHeight, 99);
  }
  std::vector<BYTE> longer = good;
  longer.push_back(0);
  ASSERT_TRUE(AppWriteProfileBinary("Settings", "Bad", longer.data(), UINT(longer.size())));
  EXPECT_FALSE(ReadProfileFont(&out, "Settings", "Bad"));
  ASSERT_TRUE(AppWriteProfileBinary("Settings", "Bad", nullptr, 0));
  EXPECT_FALSE(ReadProfileFont(&out, "Settings", "Bad"));

  ASSERT_TRUE(WriteProfileFontShort(&lf, "Settings", "Short"));
  std::vector<BYTE> shortBad = stored("Settings", "Short");
  shortBad[68] = 1;
  ASSERT_TRUE(AppWriteProfileBinary("Settings", "Short", shortBad.data(), UINT(shortBad.size())));
  EXPECT_FALSE(ReadProfileFontShort(&out, "Settings", "Short"));

  EXPECT_FALSE(WriteProfileFont(nullptr, 0, "Settings", "Null"));
  EXPECT_FALSE(ReadProfileFont(nullptr, "Settings", "Good"));
}

TEST(LogFont, ConvertsToAndFromQFont) {
  LOGFONT lf{};
  lf.lfHeight = -15;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfUnderline = 1;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::strcpy(lf.lfFaceName, "Caf\xE9 Mono");  // Windows-1252 face name

  const QFont font = tallix::fontFromLogFont(lf);
  EXPECT_EQ(font.family(), QStringLiteral("Café Mono"));
  EXPECT_EQ(font.pixelSize(), 15);
  EXPECT_EQ(font.weight(), QFont::Bold);
  EXPECT_TRUE(font.italic());
  EXPECT_TRUE(font.underline());
  EXPECT_FALSE(font.strikeOut());
  EXPECT_TRUE(font.fixedPitch());
  EXPECT_EQ(font.styleHint(), QFont::Monospace);
  EXPECT_TRUE(font.styleStrategy() & QFont::NoAntialias);

  const LOGFONT back = tallix::logFontFromFont(font);
  EXPECT_EQ(back.lfHeight, -15);
  EXPECT_EQ(back.lfWeight, FW_BOLD);
  EXPECT_EQ(back.lfItalic, 1);
  EXPECT_EQ(back.lfUnderline, 1);
  EXPECT_EQ(back.lfStrikeOut, 0);
  EXPECT_EQ(back.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
  EXPECT_EQ(back.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_STREQ(back.lfFaceName, "Caf\xE9 Mono");

  // A point-sized font gets a pixel height; a long family is cut to 31 bytes.
  QFont points(QString(40, QLatin1Char('F')));
  points.setPointSize(12);
  const LOGFONT fromPoints = tallix::logFontFromFont(points);
  EXPECT_LT(fromPoints.lfHeight, 0);
  EXPECT_EQ(std::strlen(fromPoints.lfFaceName), 31u);
}

TEST(LogFont, AFaceNameWithoutTerminatorIsReadWithinItsField) {
  LOGFONT lf{};
  std::memset(lf.lfFaceName, 'A', LF_FACESIZE);
  lf.lfHeight = 20;  // a cell height
  const QFont font = tallix::fontFromLogFont(lf);
  EXPECT_EQ(font.family(), QString(LF_FACESIZE, QLatin1Char('A')));
  EXPECT_EQ(font.pixelSize(), 20);
}
