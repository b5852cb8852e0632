// Random values through text -> bytes -> text -> bytes: the bytes hold
// exactly the typed digits and exponent, the text shown reads back as the
// same value, and typing that text again gives the same bytes.
#include "tests/datamodel/CalcNumberTestUtil.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <system_error>

using namespace calcnum_test;

namespace {

struct Decimal {
  bool negative = false;
  std::string digits;  // d1..dj, d1 and dj non-zero
  int exponent = 0;
};

Decimal randomDecimal(std::mt19937_64& rng, int maxDigits) {
  std::uniform_int_distribution<int> count(1, maxDigits), nonZero(1, 9), digit(0, 9), exp(-99, 99), coin(0, 1);
  Decimal d;
  d.negative = coin(rng) == 1;
  const int n = count(rng);
  d.digits += static_cast<char>('0' + nonZero(rng));
  for (int k = 1; k < n - 1; ++k) d.digits += static_cast<char>('0' + digit(rng));
  if (n > 1) d.digits += static_cast<char>('0' + nonZero(rng));
  d.exponent = exp(rng);
  return d;
}

std::string scientificText(const Decimal& d) {
  std::string s = d.negative ? "-" : "";
  s += d.digits[0];
  if (d.digits.size() > 1) s += "." + d.digits.substr(1);
  return s + "E" + std::to_string(d.exponent);
}

// The nibbles of one part, laid out as the forms define them.
std::string layout(const Decimal& d, bool ten, bool imaginaryFollows) {
  int nib[20] = {};
  const int mark = (d.negative ? 5 : 0) + (imaginaryFollows ? 8 : 0);
  const int biased = d.exponent + 100;
  const int first = ten ? 1 : 3;
  for (std::size_t k = 0; k < d.digits.size(); ++k) nib[first + k] = d.digits[k] - '0';
  int* exp = ten ? nib + 17 : nib;
  exp[0] = biased / 100;
  exp[1] = biased / 10 % 10;
  exp[2] = biased % 10;
  if (ten) nib[16] = mark;
  else nib[0] += mark;
  std::vector<BYTE> bytes;
  for (int k = 0; k < (ten ? 20 : 18); k += 2) bytes.push_back(static_cast<BYTE>(nib[k] << 4 | nib[k + 1]));
  return toHex(bytes);
}

double readBack(std::string text) {
  for (char& c : text)
    if (c == 'E') c = 'e';
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_TRUE(r.ec == std::errc() && r.ptr == text.data() + text.size()) << text;
  return v;
}

}  // namespace

TEST_F(CalcNumberTest, RandomDecimalsSurviveTextBytesText) {
  std::mt19937_64 rng(20240917);
  for (bool ten : {true, false}) {
    const DWORD mode = ten ? kTen : kNine;
    // The 9-byte form shows ten digits, so only those round-trip through text.
    const int maxDigits = ten ? 15 : 10;
    for (int i = 0; i < 3000; ++i) {
      const Decimal d = randomDecimal(rng, maxDigits);
      const std::string typed = scientificText(d);
      SCOPED_TRACE(typed);
      const BytesResult enc = toBytes(typed, mode);
      ASSERT_TRUE(enc.ok) << enc.error;
      ASSERT_EQ(enc.hex, layout(d, ten, false));
      const TextResult shown = toText(enc.hex, mode);
      ASSERT_TRUE(shown.ok) << shown.error;
      EXPECT_EQ(readBack(shown.text), readBack(typed)) << shown.text;
      EXPECT_EQ(toBytes(shown.text, mode).hex, enc.hex) << shown.text;
    }
  }
}

TEST_F(CalcNumberTest, RandomComplexValuesSurviveTextBytesText) {
  std::mt19937_64 rng(77031);
  for (bool ten : {true, false}) {
    const DWORD mode = (ten ? kTen : kNine) | kNumConvComplex;
    for (int i = 0; i < 1000; ++i) {
      const Decimal re = randomDecimal(rng, ten ? 15 : 10);
      Decimal im = randomDecimal(rng, ten ? 15 : 10);
      const std::string imText = scientificText(im);
      const std::string typed = scientificText(re) + (im.negative ? "" : "+") + imText + "i";
      SCOPED_TRACE(typed);
      const BytesResult enc = toBytes(typed, mode);
      ASSERT_TRUE(enc.ok) << enc.error;
      ASSERT_EQ(enc.hex, layout(re, ten, true) + " " + layout(im, ten, false));
      const TextResult shown = toText(enc.hex, mode);
      ASSERT_TRUE(shown.ok) << shown.error;
      EXPECT_EQ(shown.flags, kNumConvResultComplex);
      EXPECT_EQ(toBytes(shown.text, mode).hex, enc.hex) << shown.text;
    }
  }
}

TEST_F(CalcNumberTest, RandomFractionsKeepTheirValue) {
  std::mt19937_64 rng(4242);
  std::uniform_int_distribution<std::uint64_t> wholeDist(0, 999), numDist(1, 99999), denDist(1, 9999);
  std::uniform_int_distribution<int> coin(0, 1);
  for (bool ten : {true, false}) {
    const DWORD mode = ten ? kTen : kNine;
    for (int i = 0; i < 2000; ++i) {
      const bool mixed = coin(rng) == 1;
      const bool negative = coin(rng) == 1;
      const std::uint64_t w = mixed ? wholeDist(rng) : 0, n = numDist(rng), d = denDist(rng);
      std::string typed = negative ? "-" : "";
      if (mixed) typed += std::to_string(w) + "/";
      typed += std::to_string(n) + "/" + std::to_string(d);
      SCOPED_TRACE(typed);
      const BytesResult enc = toBytes(typed, mode);
      ASSERT_TRUE(enc.ok) << enc.error;
      const TextResult shown = toText(enc.hex, mode);
      ASSERT_TRUE(shown.ok);
      EXPECT_EQ(shown.flags, enc.flags);
      // (w*d + n)/d exactly when kept as a fraction; else the decimal value.
      const double value = (negative ? -1.0 : 1.0) * (static_cast<double>(w) + static_cast<double>(n) / d);
      if (enc.flags & kNumConvResultFraction) {
        std::string t = shown.text;
        const bool shownNegative = !t.empty() && t[0] == '-';
        if (shownNegative) t.erase(0, 1);
        EXPECT_EQ(shownNegative, negative);
        std::uint64_t parts[3] = {0, 0, 0};
        int count = 0;
        std::size_t at = 0;
        while (count < 3) {
          const std::size_t slash = t.find('/', at);
          parts[count++] = std::stoull(t.substr(at, slash - at));
          if (slash == std::string::npos) break;
          at = slash + 1;
        }
        ASSERT_GE(count, 2) << shown.text;
        const std::uint64_t sw = count == 3 ? parts[0] : 0, sn = parts[count - 2], sd = parts[count - 1];
        EXPECT_LT(sn, sd);
        EXPECT_EQ((sw * sd + sn) * d, (w * d + n) * sd) << shown.text;
        EXPECT_EQ(toBytes(shown.text, mode).hex, enc.hex);
      } else {
        const double back = readBack(shown.text);
        EXPECT_NEAR(back, value, std::fabs(value) * (ten ? 1e-14 : 1e-9)) << shown.text;
      }
    }
  }
}
