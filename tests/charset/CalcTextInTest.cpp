// Text from other programs as calculator characters (SplitCalcPlainText).
#include "charset/CalcCharset.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The pieces as a string: a typed character as itself, a code as "{XX}", a
// line break as "|"; "!" at the end when a character was left out.
std::string split(const QString& text) {
  bool complete = false;
  std::string out;
  for (const CalcTextPiece& p : SplitCalcPlainText(text, &complete)) {
    switch (p.kind) {
      case CalcTextPiece::kTyped: out += char(p.value); break;
      case CalcTextPiece::kCode: {
        char code[8];
        std::snprintf(code, sizeof code, "{%02X}", p.value);
        out += code;
        break;
      }
      case CalcTextPiece::kLineBreak: out += '|'; break;
      case CalcTextPiece::kToken: ADD_FAILURE() << "a token from a plain reading"; break;
    }
  }
  return complete ? out : out + "!";
}

TEST(CalcTextIn, PunctuationACodeShowsIsThatCodeAndOtherTypographicPunctuationTheAsciiMeant) {
  // Curly and low quotes, the ellipsis, the em dash and the non-breaking
  // space are codes the calculator shows as themselves. Angle quotes and the
  // en dash (whose bytes show as other signs), the other quotes, dashes and
  // spaces are the ASCII meant; the calculator's minus sign stays its own.
  EXPECT_EQ(split(QStringLiteral(u"“HI” ‘a’ „b‟ «c» ‹d› …")), "\x93HI\x94 \x91\x61\x92 \x84\x62\" \"c\" 'd' \x85");
  EXPECT_EQ(split(QStringLiteral(u"1–2—3‐4−5")), "1-2\x97\x33-4{99}5");
  EXPECT_EQ(split(QStringLiteral(u"a\u00A0b\u2009c\u202Fd\u3000e")), "a\xA0\x62 c d e");
  // Text read back as codes takes the same reading.
  std::string codes;
  EXPECT_TRUE(CalcCodesFromPlainText(u"‹…›\u2009", &codes));
  EXPECT_EQ(codes, "'\x85' ");
}

TEST(CalcTextIn, ACharacterTheCalculatorShowsAsAnotherSignHasNoCode) {
  // 'Î' is the code of theta, '¹' that of the division sign, 'Ÿ' of the sum
  // sign: each is left out, never taken as that sign.
  EXPECT_EQ(split(QStringLiteral(u"TÎmin")), "Tmin!");
  EXPECT_EQ(split(QStringLiteral(u"x¹")), "x!");
  EXPECT_EQ(split(QStringLiteral(u"ŸÐ©")), "!");
  // The signs themselves are their codes, the reciprocal before its minus.
  EXPECT_EQ(split(QStringLiteral(u"θπ⁻¹⁻×")), "{CE}{D0}{9B}{87}{A9}");
  // Windows-1252 characters the calculator shows as themselves are typed.
  EXPECT_EQ(split(QStringLiteral(u"€ñé")), "\x80\xF1\xE9");
}

}  // namespace
