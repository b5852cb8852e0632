#include "classlib/ParseNumber.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The parsed value, or "fail".
std::string parse(const char* text) {
  int v = -12345;
  return ParseNumber(text, &v) ? std::to_string(v) : std::string("fail");
}

}  // namespace

TEST(ParseNumber, ReadsDecimalAndTheTwoHexadecimalSpellings) {
  EXPECT_EQ(parse(" 0x1A"), "26");
  EXPECT_EQ(parse("0X1a"), "26");
  EXPECT_EQ(parse("1Ah"), "26");
  EXPECT_EQ(parse("ffH"), "255");
  EXPECT_EQ(parse("12"), "12");
  EXPECT_EQ(parse("   -7"), "-7");
  EXPECT_EQ(parse("12px"), "12");   // stops at the first non-digit
  EXPECT_EQ(parse("0x"), "0");      // two characters only: decimal 0
  EXPECT_EQ(parse("0xh"), "0");     // hexadecimal, but no digit after the prefix
  EXPECT_EQ(parse("0x10 h"), "16");
}

TEST(ParseNumber, RefusesEmptyTextsAndWhatDoesNotConvert) {
  EXPECT_EQ(parse(nullptr), "fail");
  EXPECT_EQ(parse(""), "fail");
  EXPECT_EQ(parse("    "), "fail");
  EXPECT_EQ(parse("abc"), "fail");
  EXPECT_EQ(parse("h"), "fail");
  EXPECT_EQ(parse("-"), "fail");
}

TEST(ParseNumber, NumbersBeyondThirtyTwoBitsAreRefused) {
  EXPECT_EQ(parse("2147483647"), "2147483647");
  EXPECT_EQ(parse("-2147483648"), "-2147483648");
  EXPECT_EQ(parse("2147483648"), "fail");
  EXPECT_EQ(parse("99999999999999999999999"), "fail");
  EXPECT_EQ(parse("0xFFFFFFFF"), "-1");  // a full 32-bit pattern
  EXPECT_EQ(parse("0x100000000"), "fail");
}

TEST(ParseNumberList, SplitsAtBlanksAndStopsAtTheMaximum) {
  int values[4] = {0, 0, 0, 0};
  int count = -1;
  EXPECT_TRUE(ParseNumberList("  120 80  0x3C 40 ", values, 4, &count));
  EXPECT_EQ(count, 4);
  EXPECT_EQ(values[2], 60);

  int three[3] = {0, 0, 0};
  EXPECT_TRUE(ParseNumberList("1 2 3 4 5", three, 3, &count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(three[2], 3);

  EXPECT_TRUE(ParseNumberList("", values, 4, &count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(ParseNumberList("   ", values, 4, &count));
  EXPECT_EQ(count, 0);

  // The caller's text is not cut up.
  const std::string text = "5 6";
  EXPECT_TRUE(ParseNumberList(text.c_str(), values, 4, &count));
  EXPECT_EQ(text, "5 6");
}

TEST(ParseNumberList, ABadPieceFailsWithCountZeroButKeepsEarlierValues) {
  int values[3] = {0, 0, 0};
  int count = -1;
  EXPECT_FALSE(ParseNumberList("120 x 80", values, 3, &count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(values[0], 120);
  EXPECT_EQ(values[1], 0);
}
