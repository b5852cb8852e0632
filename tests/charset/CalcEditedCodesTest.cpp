// The codes of an edited calculator text: what the user did not edit keeps
// its codes, also where they show as ASCII does, and a sign of two
// characters that the edit completes is read whole.
#include "charset/CalcEditedCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(CalcEditedCodes, TheCodesTheUserDidNotEditStay) {
  // Unchanged, the calculator's P and plus stay, though they read as ASCII.
  EXPECT_EQ(CalcEditedCodes("\x88\x89", u"P+"), "\x88\x89");
  // Typed between them, or one taken out: the others stay.
  EXPECT_EQ(CalcEditedCodes("\x88\x89\xCD", u"P+Ar"), "\x88\x89" "A\xCD");
  EXPECT_EQ(CalcEditedCodes("\x88" "A\x89", u"P+"), "\x88\x89");
  // Replaced, the text reads as typing it gives.
  EXPECT_EQ(CalcEditedCodes("\x88\x89", u"P+r"), "\x88\x89r");
  EXPECT_EQ(CalcEditedCodes("\x88\x89", u"r\u03B8"), "r\xCE");
  // A macron typed after a kept x makes the mean of x, "ˣ" typed before a
  // kept root the x-th root.
  EXPECT_EQ(CalcEditedCodes("Ax", u"Ax\u0304"), "A\xC2");
  EXPECT_EQ(CalcEditedCodes("\x86" "2", u"\u02E3\u221A2"), "\xB8" "2");
}

}  // namespace
