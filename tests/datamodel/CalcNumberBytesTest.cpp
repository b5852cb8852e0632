// Byte layouts worked out by hand, nibble by nibble, from the two forms:
//   10 bytes: 0 | d1..d15 | mark (5 neg, +8 imaginary follows) | e+100 (3 digits)
//    9 bytes: hundreds of e+100 + mark | tens, units | d1..d15
// Each vector is checked in both directions where both apply.
#include "tests/datamodel/CalcNumberTestUtil.h"

using namespace calcnum_test;

namespace {

struct Vector {
  const char* text;
  const char* hex;
};

void expectBothWays(const Vector& v, DWORD mode) {
  SCOPED_TRACE(v.text);
  const BytesResult enc = toBytes(v.text, mode | kNumConvComplex);
  EXPECT_TRUE(enc.ok) << enc.error;
  EXPECT_EQ(enc.hex, v.hex);
  const TextResult dec = toText(v.hex, mode);
  EXPECT_TRUE(dec.ok) << dec.error;
  EXPECT_EQ(dec.text, v.text);
}

}  // namespace

TEST_F(CalcNumberTest, TenByteRealValues) {
  const Vector vectors[] = {
      {"1.5", "01 50 00 00 00 00 00 00 01 00"},
      {"-1.5", "01 50 00 00 00 00 00 00 51 00"},
      {"0", "00 00 00 00 00 00 00 00 00 00"},
      {"1E-99", "01 00 00 00 00 00 00 00 00 01"},
      {"-1E-99", "01 00 00 00 00 00 00 00 50 01"},
      {"9.87654321012345E99", "09 87 65 43 21 01 23 45 01 99"},
      {"123456789012345", "01 23 45 67 89 01 23 45 01 14"},
      {"0.000123", "01 23 00 00 00 00 00 00 00 96"},
      {"1.23E-20", "01 23 00 00 00 00 00 00 00 80"},
      {"100000", "01 00 00 00 00 00 00 00 01 05"},
  };
  for (const Vector& v : vectors) expectBothWays(v, kTen);
}

TEST_F(CalcNumberTest, NineByteRealValues) {
  const Vector vectors[] = {
      {"1.5", "10 01 50 00 00 00 00 00 00"},
      {"-1.5", "60 01 50 00 00 00 00 00 00"},
      {"0", "00 00 00 00 00 00 00 00 00"},
      {"1E-99", "00 11 00 00 00 00 00 00 00"},
      {"1E99", "19 91 00 00 00 00 00 00 00"},
      {"-1E-99", "50 11 00 00 00 00 00 00 00"},
      {"-1E99", "69 91 00 00 00 00 00 00 00"},
      {"0.000123", "09 61 23 00 00 00 00 00 00"},
  };
  for (const Vector& v : vectors) expectBothWays(v, kNine);
}

TEST_F(CalcNumberTest, ZeroWithAnExponentStillReadsAsZero) {
  EXPECT_EQ(toText("00 00 00 00 00 00 00 00 01 00", kTen).text, "0");
  EXPECT_EQ(toText("10 00 00 00 00 00 00 00 00", kNine).text, "0");
}

TEST_F(CalcNumberTest, ShownDigitsDependOnTheForm) {
  // 15 digits in the 10-byte form; the 9-byte form shows ten, cut not rounded.
  EXPECT_EQ(toText("11 41 23 45 67 89 01 23 45", kNine).text, "1.23456789E14");
  EXPECT_EQ(toText("10 01 99 99 99 99 99 99 99", kNine).text, "1.999999999");
  EXPECT_EQ(toText("01 99 99 99 99 99 99 99 01 00", kTen).text, "1.99999999999999");
  // Plain notation up to the digit limit, then scientific.
  EXPECT_EQ(toText("01 00 00 00 00 00 00 00 01 14", kTen).text, "100000000000000");
  EXPECT_EQ(toText("01 00 00 00 00 00 00 00 01 15", kTen).text, "1E15");
  EXPECT_EQ(toText("10 91 00 00 00 00 00 00 00", kNine).text, "1000000000");
  EXPECT_EQ(toText("11 01 00 00 00 00 00 00 00", kNine).text, "1E10");
  EXPECT_EQ(toText("08 51 00 00 00 00 00 00 00", kNine).text, "1E-15");
  // Too many digits after the leading zeros: scientific.
  EXPECT_EQ(toText("08 91 23 45 67 89 00 00 00", kNine).text, "1.23456789E-11");
  EXPECT_EQ(toText("09 91 23 45 67 89 00 00 00", kNine).text, "0.123456789");
}

TEST_F(CalcNumberTest, NineByteHundredsDigitSharesItsNibbleWithSignAndComplexMark) {
  // Nibble 0: hundreds digit of e+100 (0 or 1), +5 negative, +8 imaginary follows.
  const Vector vectors[] = {
      {"-0.000025+3i", "D9 52 50 00 00 00 00 00 00 10 03 00 00 00 00 00 00 00"},  // 0+5+8
      {"-7+2i", "E0 07 00 00 00 00 00 00 00 10 02 00 00 00 00 00 00 00"},         // 1+5+8
      {"1E50-1E-50i", "95 01 00 00 00 00 00 00 00 55 01 00 00 00 00 00 00 00"},   // 1+8 and 0+5
      {"0.00002+i", "89 52 00 00 00 00 00 00 00 10 01 00 00 00 00 00 00 00"},        // 0+8
  };
  for (const Vector& v : vectors) expectBothWays(v, kNine);
}

TEST_F(CalcNumberTest, TenByteComplexValues) {
  const Vector vectors[] = {
      {"-7+2i", "07 00 00 00 00 00 00 00 D1 00 02 00 00 00 00 00 00 00 01 00"},
      {"2.5-0.5i", "02 50 00 00 00 00 00 00 81 00 05 00 00 00 00 00 00 00 50 99"},
      {"i", "00 00 00 00 00 00 00 00 80 00 01 00 00 00 00 00 00 00 01 00"},
      {"-i", "00 00 00 00 00 00 00 00 80 00 01 00 00 00 00 00 00 00 51 00"},
  };
  for (const Vector& v : vectors) expectBothWays(v, kTen);
  const TextResult r = toText(vectors[0].hex, kTen);
  EXPECT_EQ(r.flags, kNumConvResultComplex);
}

TEST_F(CalcNumberTest, AnImaginaryPartOfZeroShowsOnlyTheRealPart) {
  EXPECT_EQ(toText("03 00 00 00 00 00 00 00 81 00 00 00 00 00 00 00 00 00 00 00", kTen).text, "3");
  // The decoder ignores a complex mark on the imaginary part itself.
  EXPECT_EQ(toText("90 03 00 00 00 00 00 00 00 90 02 00 00 00 00 00 00 00", kNine).text, "3+2i");
}

TEST_F(CalcNumberTest, FractionsInBothForms) {
  // 10-byte: nibble 17 = A marks the fraction, nibble 19 = characters - 1,
  // '/' is B. 9-byte: nibble 1 = A, nibble 2 = characters from the first '/',
  // '/' is A, nibble 0 = 1 + mark.
  const Vector ten[] = {
      {"1/2", "01 B2 00 00 00 00 00 00 0A 02"},
      {"-1/1/2", "01 B1 B2 00 00 00 00 00 5A 04"},
      {"12/345677", "01 2B 34 56 77 00 00 00 0A 08"},
      {"1/1/234567", "01 B1 B2 34 56 70 00 00 0A 09"},
      {"3+1/2i", "03 00 00 00 00 00 00 00 81 00 01 B2 00 00 00 00 00 00 0A 02"},
  };
  for (const Vector& v : ten) expectBothWays(v, kTen);
  const Vector nine[] = {
      {"1/2", "1A 21 A2 00 00 00 00 00 00"},
      {"-1/1/2", "6A 41 A1 A2 00 00 00 00 00"},
      {"12/345677", "1A 71 2A 34 56 77 00 00 00"},
      {"1/1/234567", "1A 91 A1 A2 34 56 70 00 00"},
      {"1/2-3/4i", "9A 21 A2 00 00 00 00 00 00 6A 23 A4 00 00 00 00 00 00"},
  };
  for (const Vector& v : nine) expectBothWays(v, kNine);

  EXPECT_EQ(toText("1A 21 A2 00 00 00 00 00 00", kNine).flags, kNumConvResultFraction);
  EXPECT_EQ(toText(nine[4].hex, kNine).flags, kNumConvResultFraction | kNumConvResultComplex);
}

TEST_F(CalcNumberTest, MalformedStoredFractionsAreRefused) {
  EXPECT_EQ(toText("0B 20 00 00 00 00 00 00 0A 01", kTen).error, kNumConvErrorConversion);  // "/2"
  EXPECT_EQ(toText("01 C2 00 00 00 00 00 00 0A 02", kTen).error, kNumConvErrorConversion);  // C
  EXPECT_EQ(toText("01 B2 00 00 00 00 00 00 0A 0C", kTen).error, kNumConvErrorConversion);  // count C
  EXPECT_EQ(toText("1A 21 20 00 00 00 00 00 00", kNine).error, kNumConvErrorConversion);    // no '/'
  EXPECT_EQ(toText("1A 91 23 45 67 8A 20 00 00", kNine).error, kNumConvErrorConversion);    // runs past its end
  EXPECT_EQ(toText("1A 21 F2 00 00 00 00 00 00", kNine).error, kNumConvErrorConversion);    // F
}

TEST_F(CalcNumberTest, BadDigitsInStoredNumbersAreRefused) {
  EXPECT_EQ(toText("0C 00 00 00 00 00 00 00 01 00", kTen).error, kNumConvErrorConversion);
  EXPECT_EQ(toText("01 00 00 00 00 00 00 00 A1 00", kTen).error, kNumConvErrorConversion);  // mark A
  EXPECT_EQ(toText("01 00 00 00 00 00 00 00 01 0F", kTen).error, kNumConvErrorConversion);  // exponent F
  EXPECT_EQ(toText("10 01 5B 00 00 00 00 00 00", kNine).error, kNumConvErrorConversion);
}

TEST_F(CalcNumberTest, RoundingToTenDigitsCarriesThroughDigitsAndExponent) {
  const DWORD r = kNumConvRound10;
  // 9.99999999995 becomes 10 in both forms.
  EXPECT_EQ(toText("09 99 99 99 99 99 50 00 01 00", kTen | r).text, "10");
  EXPECT_EQ(toText("09 99 99 99 99 99 50 00 01 00", kTen).text, "9.99999999995");
  EXPECT_EQ(toText("09 99 99 99 99 95 00 00 01 00", kTen | r).text, "10");
  EXPECT_EQ(toText("10 09 99 99 99 99 99 50 00", kNine | r).text, "10");
  EXPECT_EQ(toText("10 09 99 99 99 99 95 00 00", kNine | r).text, "10");
  EXPECT_EQ(toText("10 09 99 99 99 99 95 00 00", kNine).text, "9.999999999");
  // A carry in the middle, and a digit 4 that does not carry.
  EXPECT_EQ(toText("01 23 45 67 89 95 00 00 01 00", kTen | r).text, "1.2345679");
  EXPECT_EQ(toText("01 23 45 67 89 94 00 00 01 00", kTen | r).text, "1.234567899");
  // -0.999999999995 + i: the carry raises e from -1 to 0, which moves the
  // 9-byte exponent's hundreds digit from 0 to 1 under the sign and mark.
  EXPECT_EQ(toText("D9 99 99 99 99 99 95 00 00 10 01 00 00 00 00 00 00 00", kNine | r).text, "-1+i");
  EXPECT_EQ(toText("09 99 99 99 99 95 00 00 00 99", kTen | r).text, "1");
  // At the top of the range the ten digits stay as they are rather than
  // showing 1E100, which could not be stored again.
  EXPECT_EQ(toText("09 99 99 99 99 95 00 00 01 99", kTen | r).text, "9.999999999E99");
  // Rounding never acts when converting text.
  EXPECT_EQ(toBytes("1.23456789012345", kTen | r).hex, "01 23 45 67 89 01 23 45 01 00");
}

TEST_F(CalcNumberTest, EncodingCarriesARoundedMantissaIntoTheExponent) {
  // Values whose scaled mantissa lands just below 10 must not be stored a
  // decade low.
  EXPECT_EQ(toBytes("1E-14", kTen).hex, "01 00 00 00 00 00 00 00 00 86");
  EXPECT_EQ(toBytes("1E-14", kNine).hex, "08 61 00 00 00 00 00 00 00");
  EXPECT_EQ(toBytes("1E-11", kTen).hex, "01 00 00 00 00 00 00 00 00 89");
  EXPECT_EQ(toBytes("1E72", kTen).hex, "01 00 00 00 00 00 00 00 01 72");
  EXPECT_EQ(toBytes("0.1", kTen).hex, "01 00 00 00 00 00 00 00 00 99");
  // Sixteen digits round to fifteen, carrying into the next decade.
  EXPECT_EQ(toBytes("9.999999999999999", kTen).hex, "01 00 00 00 00 00 00 00 01 01");
  EXPECT_EQ(toBytes("-9.999999999999999E-100", kTen).hex, "01 00 00 00 00 00 00 00 50 01");
  EXPECT_EQ(toBytes("9.999999999999999E99", kTen).error, kNumConvErrorRange);
  EXPECT_EQ(toBytes("1E-100", kNine).error, kNumConvErrorRange);
  EXPECT_EQ(toBytes("1E100", kTen).error, kNumConvErrorRange);
  EXPECT_EQ(toBytes("0.5E100", kTen).hex, "05 00 00 00 00 00 00 00 01 99");
}

TEST_F(CalcNumberTest, TheNumberBufferMustHoldWhatIsRead) {
  EXPECT_EQ(toText("01 50 00 00 00 00 00 00 01", kTen).error, kNumConvErrorBadRequest);
  // The complex mark asks for a second part the buffer does not have.
  EXPECT_EQ(toText("07 00 00 00 00 00 00 00 D1 00", kTen).error, kNumConvErrorBadRequest);
  EXPECT_EQ(toText("E0 07 00 00 00 00 00 00 00 10 02 00 00 00 00 00 00", kNine).error, kNumConvErrorBadRequest);
  // A longer buffer is fine: only the number's own bytes are read.
  EXPECT_EQ(toText("01 50 00 00 00 00 00 00 01 00 FF FF", kTen).text, "1.5");
}
