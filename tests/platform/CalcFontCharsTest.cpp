#include "platform/CalcFontChars.h"

#include <gtest/gtest.h>

#include <string>

using namespace tallix;

TEST(CalcFontChars, ControlAndUndefinedCodesMoveToPrivateUseAndComeBack) {
  EXPECT_EQ(calcFontChar(0x41), QChar(u'A'));
  EXPECT_EQ(calcFontChar(0x80), QChar(0x20AC));
  EXPECT_EQ(calcFontChar(0xDD), QChar(0x00DD));  // the font draws the line-end mark there
  EXPECT_EQ(calcFontChar(0x01), QChar(0xE001));
  EXPECT_EQ(calcFontChar(0x1F), QChar(0xE01F));
  EXPECT_EQ(calcFontChar(0x7F), QChar(0xE07F));
  EXPECT_EQ(calcFontChar(0x9D), QChar(0xE09D));  // undefined in Windows-1252
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  EXPECT_EQ(calcFontCodes(calcFontText(all)), all);
  // The undefined bytes' own code points and private-use points of no code.
  EXPECT_EQ(calcFontCodes(QStringLiteral("\u009D\uE041\u0001x")), "???x");
}
