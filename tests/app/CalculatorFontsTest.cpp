#include "app/CalculatorFonts.h"
#include "charset/CalcCharset.h"
#include "classlib/ProfileSettings.h"
#include "platform/CalcFontChars.h"
#include "platform/DC.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QFontDatabase>
#include <QRawFont>
#include <gtest/gtest.h>

#include <set>

using tallix::test::MessageLog;
using tallix::test::TestEnvironment;

namespace {

quint32 glyphOf(const QRawFont& font, unsigned char code) {
  const QList<quint32> glyphs = font.glyphIndexesForString(QString(tallix::calcFontChar(code)));
  return glyphs.size() == 1 ? glyphs[0] : 0;
}

TEST(CalculatorFonts, BothFamiliesDrawEveryCodeThroughTheMapping) {
  TestEnvironment env;
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXL2.fon")));
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXL2.ttf")));
  MessageLog log;
  ASSERT_TRUE(InstallCalculatorFonts());
  EXPECT_TRUE(CheckCalculatorFont(nullptr, TRUE, FALSE));
  EXPECT_TRUE(CheckCalculatorFont(nullptr, TRUE, TRUE));
  EXPECT_TRUE(log.shown.empty());

  std::set<int> own;
  for (const CalcGlyph& g : CalcGlyphs()) own.insert(g.code);
  const std::set<int> withoutCharacter = {0x7F, 0x81, 0x8F, 0x90, 0x9D};
  for (auto create : {CreateCalculatorFont, CreateCalculatorFontTT}) {
    CFont font;
    ASSERT_TRUE(create(&font, 10, nullptr));
    const QRawFont raw = QRawFont::fromFont(font.font());
    ASSERT_EQ(raw.familyName(), font.font().family());
    const quint32 box = glyphOf(raw, 0x01);
    ASSERT_NE(box, 0u);
    for (int code = 0x20; code <= 0xFF; ++code) {
      const quint32 glyph = glyphOf(raw, code);
      EXPECT_NE(glyph, 0u) << std::hex << code;
      EXPECT_EQ(glyph == box, withoutCharacter.count(code) == 1) << std::hex << code;
    }
    // Every calculator character has a glyph of its own, none of the
    // Windows-1252 letters': 0xDD and 0xDE are line-end marks, not Y acute and
    // thorn.
    std::set<quint32> ownGlyphs, textGlyphs;
    for (int code = 0x01; code <= 0xFF; ++code)
      (own.count(code) ? ownGlyphs : textGlyphs).insert(glyphOf(raw, code));
    EXPECT_EQ(ownGlyphs.size(), own.size());
    EXPECT_EQ(ownGlyphs.count(box), 0u);
    for (quint32 g : ownGlyphs) EXPECT_EQ(textGlyphs.count(g), 0u) << g;
    EXPECT_TRUE(own.count(0xDD) && own.count(0xDE));
  }

  EXPECT_TRUE(RemoveCalculatorFonts());
  EXPECT_FALSE(QFontDatabase::families().contains(QStringLiteral("QXL2")));
  EXPECT_FALSE(QFontDatabase::families().contains(QStringLiteral("QXL2 TT")));
}

TEST(CalculatorFonts, WithoutTheFilesTheCheckWarnsWithTheFaceUnlessSwitchedOff) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  RemoveCalculatorFonts();
  EXPECT_FALSE(InstallCalculatorFonts());
  MessageLog log;
  EXPECT_FALSE(CheckCalculatorFont(nullptr, FALSE, FALSE));
  EXPECT_TRUE(log.shown.empty());
  EXPECT_FALSE(CheckCalculatorFont(nullptr, TRUE, TRUE));
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_TRUE(log.shown[0].text.startsWith(QStringLiteral("La police de caractères \"QXL2\" n'est pas installée.")))
      << log.shown[0].text.toStdString();
  EXPECT_EQ(log.shown[0].type & 0xF0u, UINT(MB_ICONEXCLAMATION));

  AppWriteProfileInt("Settings", "QXL Font Check", 0);
  EXPECT_TRUE(CheckCalculatorFont(nullptr, TRUE, TRUE));
  EXPECT_EQ(log.shown.size(), 1u);
}

}  // namespace
