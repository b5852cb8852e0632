// Conversion between the calculators' packed-decimal numbers and text.
//
// A number is read as a string of nibbles, the high nibble of each byte
// first. 10-byte form: nibble 0 is 0, nibbles 1-15 the mantissa digits,
// nibble 16 the mark (5 negative, plus 8 when an imaginary part follows),
// nibbles 17-19 the exponent plus 100. 9-byte form: nibble 0 holds the
// hundreds digit of the exponent plus 100 together with the same mark bits,
// nibbles 1-2 its tens and units, nibbles 3-17 the mantissa. Fractions keep
// their text: digits, and 0xB (10-byte) or 0xA (9-byte) for each '/'.
//
// Nothing here goes through the C library's locale: digits are taken from
// and given to std::to_chars / std::from_chars, and the only locale-bound
// character, the decimal separator, comes from CalcNumberDecimalSeparator().
#include "datamodel/CalcNumber.h"

#include "datamodel/CalcNumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

using namespace tallix::calcnum;

namespace {

constexpr int kMaxNibbles = 40;  // two parts of the 10-byte form

int formBytes(bool ten) { return ten ? 10 : 9; }
int formNibbles(bool ten) { return ten ? 20 : 18; }
int firstDigitNibble(bool ten) { return ten ? 1 : 3; }

void unpack(const BYTE* bytes, int count, std::uint8_t* nib) {
  for (int i = 0; i < count; ++i) {
    nib[2 * i] = bytes[i] >> 4;
    nib[2 * i + 1] = bytes[i] & 0x0F;
  }
}

void pack(const std::uint8_t* nib, int count, BYTE* bytes) {
  for (int i = 0; i < count; ++i) bytes[i] = static_cast<BYTE>((nib[2 * i] << 4) | nib[2 * i + 1]);
}

// The mark of a part: 5 for negative plus 8 when an imaginary part follows;
// in the 9-byte form added to the exponent's hundreds digit.
struct Mark {
  bool negative = false;
  bool imaginaryFollows = false;
  int hundreds = 0;
};

Mark readMark(const std::uint8_t* nib, bool ten) {
  const int v = ten ? nib[16] : nib[0];
  const int low = v & 7;
  Mark m;
  m.imaginaryFollows = (v & 8) != 0;
  m.negative = low >= 5;
  m.hundreds = m.negative ? low - 5 : low;
  return m;
}

int markBits(bool negative, bool imaginaryFollows) { return (negative ? 5 : 0) + (imaginaryFollows ? 8 : 0); }

void appendInt(std::string* s, int v) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  s->append(buf, r.ptr);
}

// ---- bytes to text -------------------------------------------------------

// Rounds d1..d15 to ten digits, carrying into the exponent. A carry that
// would take the exponent past 99 keeps the ten digits as they are: the
// calculator cannot hold 1E100, and a shown value must be storable again.
void roundToTenDigits(int* d, int* e) {
  int kept[16];
  std::copy(d, d + 16, kept);
  for (int k = 12; k <= 15; ++k) d[k] = 0;
  if (d[11] <= 4) return;
  d[11] = 0;
  int k = 10;
  while (k >= 1 && ++d[k] == 10) {
    d[k] = 0;
    --k;
  }
  if (k > 0) return;
  if (*e >= 99) {
    std::copy(kept, kept + 11, d);
    d[11] = 0;
    return;
  }
  d[1] = 1;
  ++*e;
}

// Writes d1..dj with exponent e: plain when it fits in g digits, else
// scientific.
void layoutDigits(const int* d, int j, int e, int g, char sep, std::string* s) {
  auto digit = [](int v) { return static_cast<char>('0' + v); };
  if (e >= 0 && e < g) {
    for (int k = 1; k <= e + 1; ++k) *s += k <= j ? digit(d[k]) : '0';
    if (j > e + 1) {
      *s += sep;
      for (int k = e + 2; k <= j; ++k) *s += digit(d[k]);
    }
    return;
  }
  if (e < 0 && -e < g && (-e - 1) + j <= g) {
    *s += '0';
    *s += sep;
    s->append(static_cast<std::size_t>(-e - 1), '0');
    for (int k = 1; k <= j; ++k) *s += digit(d[k]);
    return;
  }
  *s += digit(d[1]);
  if (j > 1) {
    *s += sep;
    for (int k = 2; k <= j; ++k) *s += digit(d[k]);
  }
  *s += 'E';
  appendInt(s, e);  // to_chars gives "-5" for negative exponents, no sign otherwise
}

DWORD decodeDecimal(const std::uint8_t* nib, bool ten, bool imaginary, bool round, char sep, std::string* out) {
  const int markAt = ten ? 16 : 0;
  for (int k = 0; k < formNibbles(ten); ++k) {
    const int v = nib[k];
    if (v <= 9) continue;
    if (k == markAt && (v == 0xD || (!ten && (v == 0xA || v == 0xE)))) continue;
    return kNumConvErrorConversion;
  }
  const Mark mark = readMark(nib, ten);
  int d[16] = {};
  for (int k = 1; k <= 15; ++k) d[k] = nib[firstDigitNibble(ten) + k - 1];
  int e = ten ? nib[17] * 100 + nib[18] * 10 + nib[19] - 100 : mark.hundreds * 100 + nib[1] * 10 + nib[2] - 100;
  out->clear();
  if (d[1] == 0) return 0;  // zero shows no text of its own

  if (round) roundToTenDigits(d, &e);
  // The 9-byte form shows ten digits; the ones beyond are cut, not rounded.
  const int g = ten && !round ? 15 : 10;
  int j = g;
  while (j > 1 && d[j] == 0) --j;

  if (mark.negative) *out += '-';
  else if (imaginary) *out += '+';
  if (imaginary && j == 1 && d[1] == 1 && e == 0) {
    *out += 'i';
    return 0;
  }
  layoutDigits(d, j, e, g, sep, out);
  if (imaginary) *out += 'i';
  return 0;
}

// n/d or w/n/d: digits on both sides of every '/'.
bool wellFormedFraction(const std::string& s) {
  int slashes = 0;
  bool digitBefore = false;
  for (char c : s) {
    if (c == '/') {
      if (!digitBefore) return false;
      ++slashes;
      digitBefore = false;
    } else {
      digitBefore = true;
    }
  }
  return digitBefore && (slashes == 1 || slashes == 2);
}

DWORD decodeFraction(const std::uint8_t* nib, bool ten, bool imaginary, std::string* out) {
  for (int k = 0; k < formNibbles(ten); ++k) {
    const int v = nib[k];
    const bool allowed = ten ? v != 0xC && v != 0xF : v <= 9 || v == 0xA || v == 0xD || v == 0xE;
    if (!allowed) return kNumConvErrorConversion;
  }
  int from = 0;
  int to = 0;
  std::uint8_t separator = 0;
  if (ten) {
    // Nibble 19 holds the number of characters minus one.
    if (nib[0] != 0 || nib[17] != 0xA || nib[19] > 9) return kNumConvErrorConversion;
    separator = 0xB;
    from = 1;
    to = 2 + nib[19];
  } else {
    // Nibble 2 counts the characters from the first separator on.
    if (nib[1] != 0xA || nib[2] > 9) return kNumConvErrorConversion;
    separator = 0xA;
    from = 3;
    int p = from;
    while (p < 18 && nib[p] != separator) ++p;
    to = p + nib[2];
    if (p == 18 || to > 18) return kNumConvErrorConversion;
  }
  std::string chars;
  for (int k = from; k < to; ++k) {
    if (nib[k] <= 9) chars += static_cast<char>('0' + nib[k]);
    else if (nib[k] == separator) chars += '/';
    else return kNumConvErrorConversion;
  }
  if (!wellFormedFraction(chars)) return kNumConvErrorConversion;

  const Mark mark = readMark(nib, ten);
  out->clear();
  if (mark.negative) *out += '-';
  else if (imaginary) *out += '+';
  *out += chars;
  if (imaginary) *out += 'i';
  return 0;
}

DWORD decodePart(const std::uint8_t* nib, bool ten, bool imaginary, bool round, char sep, std::string* out,
                 bool* fraction) {
  if ((nib[0] == 0 && nib[17] == 0xA) || nib[1] == 0xA) {
    *fraction = true;
    return decodeFraction(nib, ten, imaginary, out);
  }
  return decodeDecimal(nib, ten, imaginary, round, sep, out);
}

BOOL fail(CQXNumConvRequest* r, DWORD code, DWORD pos = 0) {
  r->error = code;
  r->errorPos = pos;
  return FALSE;
}

BOOL bytesToText(CQXNumConvRequest* r, bool ten) {
  const int n = formBytes(ten);
  // The buffer must hold every byte that is read.
  if (r->bytesSize < static_cast<DWORD>(n)) return fail(r, kNumConvErrorBadRequest);
  const bool round = (r->mode & kNumConvRound10) != 0;
  const char sep = CalcNumberDecimalSeparator();

  std::uint8_t nib[kMaxNibbles] = {};
  unpack(r->bytes, n, nib);
  bool fraction = false;
  std::string text;
  if (DWORD err = decodePart(nib, ten, false, round, sep, &text, &fraction)) return fail(r, err);
  if (readMark(nib, ten).imaginaryFollows) {
    if (r->bytesSize < static_cast<DWORD>(2 * n)) return fail(r, kNumConvErrorBadRequest);
    r->resultFlags |= kNumConvResultComplex;
    std::uint8_t* imag = nib + 2 * n;
    unpack(r->bytes + n, n, imag);
    std::string part;
    if (DWORD err = decodePart(imag, ten, true, round, sep, &part, &fraction)) return fail(r, err);
    text += part;
  }
  if (fraction) r->resultFlags |= kNumConvResultFraction;
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  if (text.empty()) text = "0";
  if (text.size() > r->textSize - 1) return fail(r, kNumConvErrorBufferSmall);
  std::memcpy(r->text, text.c_str(), text.size() + 1);
  return TRUE;
}

// ---- text to bytes -------------------------------------------------------

// One correctly rounded scientific conversion gives the 15 digits and the
// exponent together, so a value that rounds up to the next decade (9.99..95)
// gets the raised exponent with its digits.
DWORD encodeDecimal(double v, bool ten, bool imaginaryFollows, std::uint8_t* nib) {
  std::fill(nib, nib + formNibbles(ten), std::uint8_t{0});
  const bool negative = v < 0;
  if (negative) v = -v;
  const int mark = markBits(negative, imaginaryFollows);
  if (ten) nib[16] = static_cast<std::uint8_t>(mark);
  if (v == 0) {
    if (!ten) nib[0] = static_cast<std::uint8_t>(mark);
    return 0;
  }
  if (!std::isfinite(v)) return kNumConvErrorRange;

  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  // "d.ddddddddddddddde[+-]XX"
  if (r.ec != std::errc() || r.ptr - buf < 19 || buf[1] != '.' || buf[16] != 'e') return kNumConvErrorConversion;
  const char* expText = buf + 17;
  if (*expText == '+') ++expText;
  int e = 0;
  const auto er = std::from_chars(expText, r.ptr, e);
  if (er.ec != std::errc() || er.ptr != r.ptr) return kNumConvErrorConversion;
  if (e > 99 || e < -99) return kNumConvErrorRange;

  std::uint8_t* digits = nib + firstDigitNibble(ten);
  digits[0] = static_cast<std::uint8_t>(buf[0] - '0');
  for (int k = 1; k < 15; ++k) digits[k] = static_cast<std::uint8_t>(buf[1 + k] - '0');
  const int biased = e + 100;
  std::uint8_t* exp = ten ? nib + 17 : nib;
  exp[0] = static_cast<std::uint8_t>(biased / 100);
  exp[1] = static_cast<std::uint8_t>(biased / 10 % 10);
  exp[2] = static_cast<std::uint8_t>(biased % 10);
  if (!ten) nib[0] = static_cast<std::uint8_t>(nib[0] + mark);
  return 0;
}

void encodeFraction(const Fraction& f, const std::string& chars, bool ten, bool imaginaryFollows,
                    std::uint8_t* nib) {
  std::fill(nib, nib + formNibbles(ten), std::uint8_t{0});
  const int mark = markBits(f.negative, imaginaryFollows);
  const std::uint8_t separator = ten ? 0xB : 0xA;
  std::uint8_t* text = nib + (ten ? 1 : 3);
  for (std::size_t k = 0; k < chars.size(); ++k)
    text[k] = chars[k] == '/' ? separator : static_cast<std::uint8_t>(chars[k] - '0');
  if (ten) {
    nib[16] = static_cast<std::uint8_t>(mark);
    nib[17] = 0xA;
    nib[19] = static_cast<std::uint8_t>(chars.size() - 1);
  } else {
    nib[0] = static_cast<std::uint8_t>(1 + mark);
    nib[1] = 0xA;
    nib[2] = static_cast<std::uint8_t>(chars.size() - chars.find('/'));
  }
}

DWORD encodeTerm(const std::string& term, bool ten, bool imaginaryFollows, std::uint8_t* nib, bool* fraction) {
  double v = 0;
  if (term.find('/') != std::string::npos) {
    Fraction f;
    if (DWORD err = normaliseFraction(term, &f)) return err;
    if (f.num == 0) {
      v = static_cast<double>(f.whole);
    } else {
      const std::string chars = fractionText(f);
      const auto digits = chars.size() - static_cast<std::size_t>(std::count(chars.begin(), chars.end(), '/'));
      if (digits < 9) {
        encodeFraction(f, chars, ten, imaginaryFollows, nib);
        *fraction = true;
        return 0;
      }
      // Too long for the fraction form: stored as its decimal value.
      v = static_cast<double>(static_cast<long double>(f.whole) +
                              static_cast<long double>(f.num) / static_cast<long double>(f.den));
    }
    if (f.negative) v = -v;
  } else if (DWORD err = parseDecimalTerm(term, &v)) {
    return err;
  }
  return encodeDecimal(v, ten, imaginaryFollows, nib);
}

BOOL textToBytes(CQXNumConvRequest* r, bool ten) {
  const int n = formBytes(ten);
  std::string text(r->text, strnlen(r->text, r->textSize));
  const char sep = CalcNumberDecimalSeparator();
  for (char& c : text) {
    if (c == sep) c = '.';
    else if (c == 'e') c = 'E';
    else if (c == 'I') c = 'i';
    else if (c == ';') c = '/';
  }

  ScannedNumber terms;
  const long refused = scanNumberText(text, &terms);
  if (refused >= 0) return fail(r, kNumConvErrorSyntax, static_cast<DWORD>(refused));
  if (terms.real.empty()) terms.real = "0";
  if (terms.hasImaginary) {
    if (!(r->mode & kNumConvComplex)) return fail(r, kNumConvErrorConversion, 0);
    if (r->bytesSize < static_cast<DWORD>(2 * n)) return fail(r, kNumConvErrorBufferSmall);
    r->resultFlags |= kNumConvResultComplex;
  }

  std::uint8_t nib[kMaxNibbles] = {};
  bool fraction = false;
  if (DWORD err = encodeTerm(terms.real, ten, terms.hasImaginary, nib, &fraction)) return fail(r, err);
  if (terms.hasImaginary) {
    if (DWORD err = encodeTerm(terms.imaginary, ten, false, nib + 2 * n, &fraction)) return fail(r, err);
  }
  const int count = terms.hasImaginary ? 2 * n : n;
  if (r->bytesSize < static_cast<DWORD>(count)) return fail(r, kNumConvErrorBufferSmall);
  if (fraction) r->resultFlags |= kNumConvResultFraction;
  pack(nib, count, r->bytes);
  return TRUE;
}

}  // namespace

BOOL ConvertCalcNumber(CQXNumConvRequest* request) {
  if (!request || request->size != sizeof(CQXNumConvRequest)) return FALSE;
  request->error = 0;
  request->errorPos = 0;
  if (!request->text || !request->textSize || !request->bytes || !request->bytesSize)
    return fail(request, kNumConvErrorBadRequest);
  request->resultFlags = 0;
  const bool ten = (request->mode & kNumConvOlder) != 0;
  return (request->mode & kNumConvTextToBytes) ? textToBytes(request, ten) : bytesToText(request, ten);
}
