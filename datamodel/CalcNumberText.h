// The text side of calculator numbers: the scanner that checks typed text and
// splits it into a real and an imaginary term, fraction reduction, and the
// reading of decimal terms. Used by ConvertCalcNumber only.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tallix::calcnum {

// The terms of a typed number, each as sign ('-' or nothing), digits, '.',
// '/' and 'E' only; spaces and the 'i' are gone. An imaginary term typed
// without digits reads "1" ("-1" for "-i").
struct ScannedNumber {
  std::string real;
  bool hasImaginary = false;
  std::string imaginary;
};

// `text` has '.' as decimal separator, 'E', 'i' and '/' (the caller mapped
// the locale's separator, 'e', 'I' and ';'). Returns -1 when the text is
// accepted, else the index at which it was refused.
long scanNumberText(std::string_view text, ScannedNumber* out);

// A fraction after reduction: value = (negative ? -1 : 1) * (whole + num/den)
// with num < den and num/den in lowest terms.
struct Fraction {
  bool negative = false;
  std::uint64_t whole = 0;
  std::uint64_t num = 0;
  std::uint64_t den = 1;
};

// Reduces a scanned term "n/d" or "w/n/d". Returns 0, or kNumConvErrorRange
// when the denominator is below 1 or a part does not fit in 64 bits.
DWORD normaliseFraction(std::string_view term, Fraction* out);

// The fraction's characters without sign: "w/n/d", "n/d", or "w" when the
// fraction part is 0 ("0" for zero).
std::string fractionText(const Fraction& f);

// Reads a scanned decimal term (a mantissa, optionally "E" and an exponent;
// an empty mantissa before "E" means 1). Returns 0, or kNumConvErrorRange
// when the value is beyond what a double holds.
DWORD parseDecimalTerm(std::string_view term, double* out);

}  // namespace tallix::calcnum
