#include "charset/Cp1252.h"

#include <QString>
#include <gtest/gtest.h>

#include <string>

using namespace tallix;

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  const QString text = fromCp1252(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(toCp1252(text), all);
}

TEST(Cp1252, TheWindowsOnlyRangeMapsToItsCharacters) {
  EXPECT_EQ(fromCp1252("\x80"), QString(QChar(0x20AC)));  // euro sign
  EXPECT_EQ(fromCp1252("\x9F"), QString(QChar(0x0178)));  // Y with diaeresis
  EXPECT_EQ(fromCp1252("\x85"), QString(QChar(0x2026)));  // ellipsis
  EXPECT_EQ(fromCp1252("\x81"), QString(QChar(0x0081)));  // undefined: kept as control
  EXPECT_EQ(fromCp1252("\xE9t\xE9"), QStringLiteral("été"));
  EXPECT_EQ(toCp1252(QStringLiteral("Paramètres €")), std::string("Param\xE8tres \x80"));
}

TEST(Cp1252, CharactersOutsideThePageBecomeTheReplacement) {
  EXPECT_EQ(toCp1252(QStringLiteral("a\u03A9b")), "a?b");
  EXPECT_EQ(toCp1252(QString::fromUtf8("x\xF0\x9F\x98\x80y"), '_'), "x_y");  // one replacement per character
  EXPECT_EQ(unicodeToCp1252(0x0100), -1);
  EXPECT_EQ(unicodeToCp1252(0x2122), 0x99);
}
