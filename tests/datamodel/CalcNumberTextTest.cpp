// Typed text: what the scanner accepts and where it refuses, fractions,
// error codes, the request record and the decimal separator.
#include "classlib/ProfileSettings.h"
#include "tests/datamodel/CalcNumberTestUtil.h"
#include "tests/support/TestEnvironment.h"

#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <string>

using namespace calcnum_test;

TEST(CalcNumberRequest, RecordHoldsNativePointersAndChecksItsSize) {
  // 36 bytes with 4-byte pointers; with 8-byte pointers each pointer is
  // aligned to 8, which puts the record at 48.
  EXPECT_EQ(sizeof(CQXNumConvRequest), sizeof(void*) == 8 ? 48u : 36u);
  EXPECT_EQ(offsetof(CQXNumConvRequest, mode), 4u);
  EXPECT_EQ(offsetof(CQXNumConvRequest, bytes), 8u);

  BYTE bytes[10] = {0x01, 0x50, 0, 0, 0, 0, 0, 0, 0x01, 0x00};
  char text[32] = "";
  CQXNumConvRequest r{};
  r.mode = kNumConvOlder;
  r.bytes = bytes;
  r.bytesSize = sizeof bytes;
  r.text = text;
  r.textSize = sizeof text;
  r.size = 36;
  if (sizeof(CQXNumConvRequest) != 36) {
    EXPECT_FALSE(ConvertCalcNumber(&r));
    EXPECT_EQ(r.error, 0u) << "a wrong size returns without an error code";
  }
  r.size = sizeof r;
  EXPECT_TRUE(ConvertCalcNumber(&r));
  EXPECT_FALSE(ConvertCalcNumber(nullptr));

  CQXNumConvRequest missing = r;
  missing.text = nullptr;
  EXPECT_FALSE(ConvertCalcNumber(&missing));
  EXPECT_EQ(missing.error, kNumConvErrorBadRequest);
  missing = r;
  missing.bytesSize = 0;
  EXPECT_FALSE(ConvertCalcNumber(&missing));
  EXPECT_EQ(missing.error, kNumConvErrorBadRequest);
}

TEST_F(CalcNumberTest, TypedFormsThatMeanTheSameNumber) {
  const std::string one5 = "01 50 00 00 00 00 00 00 01 00";
  for (const char* t : {"1.5", " 1.5 ", "+1.5", "15E-1", "15e-1", "0.15E1", "1.50000"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(toBytes(t, kTen).hex, one5);
  }
  EXPECT_EQ(toBytes("-.5", kTen).hex, "05 00 00 00 00 00 00 00 50 99");
  EXPECT_EQ(toBytes("", kTen).hex, "00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(toBytes("   ", kNine).hex, "00 00 00 00 00 00 00 00 00");
  // "E5" has an implied mantissa of 1.
  EXPECT_EQ(toBytes("E5", kTen).hex, "01 00 00 00 00 00 00 00 01 05");
  EXPECT_EQ(toBytes("1;2", kTen).hex, toBytes("1/2", kTen).hex);
}

TEST_F(CalcNumberTest, ComplexTermsInEitherOrder) {
  const DWORD c = kTen | kNumConvComplex;
  const std::string twoThree = toBytes("2+3i", c).hex;
  for (const char* t : {"3i+2", "2+i3", "2 + 3i", "2+3I", "i3+2"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(toBytes(t, c).hex, twoThree);
  }
  EXPECT_EQ(toBytes("2+3i", c).flags, kNumConvResultComplex);
  EXPECT_EQ(toBytes("2-i", c).hex, toBytes("2-1i", c).hex);
  EXPECT_EQ(toBytes("-i", c).hex, toBytes("0-1i", c).hex);
  EXPECT_EQ(toBytes("i", c).hex, toBytes("1i", c).hex);
  EXPECT_EQ(toBytes("1E5-2E-3i", c).hex, toBytes("100000-0.002i", c).hex);

  // Without the complex bit an imaginary part is a conversion error.
  const BytesResult plain = toBytes("2+3i", kTen);
  EXPECT_EQ(plain.error, kNumConvErrorConversion);
  EXPECT_EQ(plain.errorPos, 0u);
  // A complex value needs room for both parts.
  EXPECT_EQ(toBytes("2+3i", c, 19).error, kNumConvErrorBufferSmall);
  EXPECT_EQ(toBytes("2+3i", kNine | kNumConvComplex, 18).ok, TRUE);
  EXPECT_EQ(toBytes("2", kNine, 8).error, kNumConvErrorBufferSmall);
}

TEST_F(CalcNumberTest, ScannerRefusesMalformedTextAtTheOffendingCharacter) {
  const struct {
    const char* text;
    DWORD pos;
  } cases[] = {
      {"1+2", 3},       // two real terms: refused at the end
      {"1/2/3/4", 5},   // a third '/'
      {"1..2", 2},      {"1.2.3", 3},   {"2i3", 2},    {"1 2", 2},
      {"1+2i+3", 4},    // a second split
      {"1E", 2},        {"1Ei", 2},     {"1E5E2", 3},  {"1/.5", 2},
      {"1/2E3", 3},     {"1.5/2", 3},   {"1+", 2},     {"2ii", 2},
      {"1/-2", 2},      {"abc", 0},     {"1,5", 1},    {"--1", 1},
      {"-E5", 1},       {"/2", 0},      {"1./2", 2},   {"1.", 2},
      {"2 .5", 2},      {"1E-", 3},     {"1E+-2", 3},  {"1/ 2", 3},
      {"+", 1},         {"1e5.2", 3},   {"1 2i", 2},   {"i+i", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const BytesResult r = toBytes(c.text, kTen | kNumConvComplex);
    EXPECT_EQ(r.error, kNumConvErrorSyntax);
    EXPECT_EQ(r.errorPos, c.pos);
  }
}

TEST_F(CalcNumberTest, FractionsAreReducedAndKeptWhenShortEnough) {
  // 4/2 is the whole number 2, stored as a decimal.
  const BytesResult two = toBytes("4/2", kTen);
  EXPECT_EQ(two.hex, "02 00 00 00 00 00 00 00 01 00");
  EXPECT_EQ(two.flags, 0u);
  // 6/4 reduces to the mixed fraction 1 1/2.
  const BytesResult six = toBytes("6/4", kTen);
  EXPECT_EQ(six.hex, "01 B1 B2 00 00 00 00 00 0A 04");
  EXPECT_EQ(six.flags, kNumConvResultFraction);
  EXPECT_EQ(toBytes("-3/6", kNine).hex, "6A 21 A2 00 00 00 00 00 00");
  EXPECT_EQ(toBytes("2/3/6", kNine).hex, toBytes("2/1/2", kNine).hex);
  EXPECT_EQ(toBytes("0/5", kTen).hex, "00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(toBytes("-7/7", kTen).hex, "01 00 00 00 00 00 00 00 51 00");

  // Nine digits or more: stored as the decimal value.
  const BytesResult longer = toBytes("1234567/89", kTen);
  EXPECT_EQ(longer.flags, 0u);
  EXPECT_EQ(toText(longer.hex, kTen).text, "13871.5393258427");
  EXPECT_EQ(toText(toBytes("-1/1/23456789", kTen).hex, kTen).text, "-1.00000004263158");

  EXPECT_EQ(toBytes("1/0", kTen).error, kNumConvErrorRange);
  EXPECT_EQ(toBytes("5/0/0", kTen).error, kNumConvErrorRange);
}

TEST_F(CalcNumberTest, FractionArithmeticStaysExactIn64Bits) {
  // Parts beyond 64 bits are out of range rather than wrapped.
  EXPECT_EQ(toBytes("99999999999999999999/3", kTen).error, kNumConvErrorRange);
  EXPECT_EQ(toBytes("18446744073709551615/3/2", kTen).error, kNumConvErrorRange);
  // Large coprime values reduce at once (no subtraction loop).
  EXPECT_EQ(toText(toBytes("18446744073709551615/18446744073709551614", kTen).hex, kTen).text, "1");
  EXPECT_EQ(toText(toBytes("18446744073709551614/18446744073709551615", kTen).hex, kTen).text, "1");
  EXPECT_EQ(toBytes("99999990/99999999", kTen).error, 0u);
}

TEST_F(CalcNumberTest, ImaginaryUnitAndSignsInText) {
  EXPECT_EQ(toText("00 00 00 00 00 00 00 00 80 00 05 00 00 00 00 00 00 00 51 00", kTen).text, "-5i");
  EXPECT_EQ(toText("00 00 00 00 00 00 00 00 80 00 01 50 00 00 00 00 00 00 01 00", kTen).text, "1.5i");
  EXPECT_EQ(toText("01 00 00 00 00 00 00 00 81 00 01 00 00 00 00 00 00 00 01 01", kTen).text, "1+10i");
}

TEST_F(CalcNumberTest, TextBufferMustHoldTheWholeResult) {
  const std::string hex = "01 23 00 00 00 00 00 00 00 80";  // "1.23E-20": 8 characters
  EXPECT_EQ(toText(hex, kTen, 9).text, "1.23E-20");
  EXPECT_EQ(toText(hex, kTen, 8).error, kNumConvErrorBufferSmall);
  EXPECT_EQ(toText("00 00 00 00 00 00 00 00 00 00", kTen, 2).text, "0");
  EXPECT_EQ(toText("00 00 00 00 00 00 00 00 00 00", kTen, 1).error, kNumConvErrorBufferSmall);
}

TEST_F(CalcNumberTest, TextIsReadNoFurtherThanItsBuffer) {
  BYTE bytes[10];
  char text[3] = {'1', '2', '3'};  // no terminator within the buffer
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = kNumConvOlder | kNumConvTextToBytes;
  r.bytes = bytes;
  r.bytesSize = sizeof bytes;
  r.text = text;
  r.textSize = sizeof text;
  ASSERT_TRUE(ConvertCalcNumber(&r));
  EXPECT_EQ(toHex({bytes, bytes + 10}), "01 23 00 00 00 00 00 00 01 02");
}

TEST_F(CalcNumberTest, SeparatorOverrideAppliesBothWays) {
  SetCalcNumberDecimalSeparator(',');
  EXPECT_EQ(toText("01 50 00 00 00 00 00 00 51 00", kTen).text, "-1,5");
  EXPECT_EQ(toBytes("-1,5", kTen).hex, "01 50 00 00 00 00 00 00 51 00");
  EXPECT_EQ(toBytes("2,5E-3", kTen).hex, "02 50 00 00 00 00 00 00 00 97");
  // Characters that belong to numbers cannot serve as separator.
  SetCalcNumberDecimalSeparator('-');
  EXPECT_NE(CalcNumberDecimalSeparator(), '-');
  SetCalcNumberDecimalSeparator(0);
  const QString point = QLocale::system().decimalPoint();
  if (point == QLatin1String(".") || point == QLatin1String(",")) {
    EXPECT_EQ(CalcNumberDecimalSeparator(), point.at(0).toLatin1());
  }
}

namespace {

// Switches the C library to a French locale for one test: the installed one,
// or one compiled into a private directory when the machine has the sources.
class FrenchCLocale {
 public:
  FrenchCLocale() : old_(std::setlocale(LC_ALL, nullptr)) {
    if (std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
      active_ = true;
      return;
    }
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (localedef.isEmpty() || !dir_.isValid()) return;
    const QString target = dir_.filePath(QStringLiteral("fr_FR.UTF-8"));
    QProcess p;
    p.start(localedef, {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                        target});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return;
    const char* oldPath = std::getenv("LOCPATH");
    if (oldPath) oldLocPath_ = oldPath;
    hadLocPath_ = oldPath != nullptr;
    setenv("LOCPATH", dir_.path().toLocal8Bit().constData(), 1);
    active_ = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
  }
  ~FrenchCLocale() {
    std::setlocale(LC_ALL, old_.c_str());
    if (hadLocPath_) setenv("LOCPATH", oldLocPath_.c_str(), 1);
    else unsetenv("LOCPATH");
  }
  bool active() const { return active_; }

 private:
  std::string old_;
  QTemporaryDir dir_;
  bool active_ = false;
  bool hadLocPath_ = false;
  std::string oldLocPath_;
};

}  // namespace

TEST_F(CalcNumberTest, TheCLibraryLocaleNeverReachesNumbers) {
  FrenchCLocale french;
  RecordProperty("c_locale", french.active() ? "fr_FR.UTF-8" : "C.UTF-8");
  if (!french.active()) {
    // No French locale to be had: the C.UTF-8 locale with a ',' separator
    // still checks that only the separator changes.
    std::setlocale(LC_ALL, "C.UTF-8");
  } else {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the C library now formats the French way";
  }

  // The user's separator is '.', the C library's is ','.
  SetCalcNumberDecimalSeparator('.');
  EXPECT_EQ(toText("01 23 45 00 00 00 00 00 00 97", kTen).text, "0.0012345");
  EXPECT_EQ(toBytes("0.0012345", kTen).hex, "01 23 45 00 00 00 00 00 00 97");
  EXPECT_EQ(toBytes("1,5", kTen).errorPos, 1u);
  EXPECT_EQ(toText(toBytes("1234567/89", kNine).hex, kNine).text, "13871.53932");

  // With ',' chosen, the separator follows the choice and nothing else.
  SetCalcNumberDecimalSeparator(',');
  EXPECT_EQ(toText("01 23 45 00 00 00 00 00 00 97", kTen).text, "0,0012345");
  EXPECT_EQ(toBytes("0,0012345", kTen).hex, "01 23 45 00 00 00 00 00 00 97");
  EXPECT_EQ(toText(toBytes("1234567/89", kNine).hex, kNine).text, "13871,53932");
}

TEST(CalcNumberSettings, RoundingFollowsTheUsersSetting) {
  tallix::test::TestEnvironment env;
  EXPECT_TRUE(GetRoundTo10DigitsSetting());
  ASSERT_TRUE(AppWriteProfileInt("Settings", "Round to 10 Digits", 0));
  EXPECT_FALSE(GetRoundTo10DigitsSetting());
  ASSERT_TRUE(AppWriteProfileInt("Settings", "Round to 10 Digits", 2));
  EXPECT_TRUE(GetRoundTo10DigitsSetting());
}
