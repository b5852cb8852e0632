#include "datamodel/CalcNumberText.h"

#include "datamodel/CalcNumber.h"

#include <charconv>
#include <limits>
#include <numeric>
#include <system_error>

namespace tallix::calcnum {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }

// What the scanner took last in the current term (spaces aside).
enum class Last { None, Sign, Digit, Slash, Dot, E, ExpSign, I };

struct Term {
  std::string text;
  bool begun = false;         // a sign, digit, '.' or 'E' was taken
  bool imaginary = false;
  bool digits = false;        // any digit, mantissa or exponent
  bool dot = false;
  bool exponent = false;
  int slashes = 0;
  bool spaced = false;        // a space came after the term's content
  bool iAfterDigits = false;  // an 'i' closed the term
  Last last = Last::None;
};

void keep(const Term& term, ScannedNumber* out) {
  if (term.imaginary) {
    out->hasImaginary = true;
    out->imaginary = term.text;
    if (!term.digits) out->imaginary += '1';
  } else {
    out->real = term.text;
  }
}

}  // namespace

// A small state machine: a term is a sign, a mantissa (digits with one '.',
// or up to two '/' between digits), an optional exponent and an 'i' before
// or after it. One sign between two terms splits a complex number.
long scanNumberText(std::string_view t, ScannedNumber* out) {
  *out = ScannedNumber{};
  Term term;
  Term first;
  bool split = false;
  bool imaginarySeen = false;

  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    const long at = static_cast<long>(i);
    if (c == ' ') {
      if (term.begun && term.last != Last::Sign) term.spaced = true;
      continue;
    }
    if (!term.begun) {
      // The start of the text: an 'i' here only marks the term ("i2" is 2i).
      if (isDigit(c)) {
        term.text += c;
        term.digits = true;
        term.last = Last::Digit;
      } else if (isSign(c)) {
        if (c == '-') term.text += c;
        term.last = Last::Sign;
      } else if (c == '.') {
        term.text += c;
        term.dot = true;
        term.last = Last::Dot;
      } else if (c == 'E') {
        // "E5" stands for 1E5.
        term.text += c;
        term.exponent = true;
        term.last = Last::E;
      } else if (c == 'i') {
        if (imaginarySeen) return at;
        imaginarySeen = term.imaginary = true;
        term.last = Last::I;
        continue;
      } else {
        return at;
      }
      term.begun = true;
      continue;
    }

    if (isDigit(c)) {
      if (term.spaced || term.iAfterDigits) return at;
      term.text += c;
      term.digits = true;
      term.last = Last::Digit;
    } else if (isSign(c)) {
      if (term.last == Last::E && !term.spaced) {
        if (c == '-') term.text += c;
        term.last = Last::ExpSign;
      } else if (term.last == Last::Digit || term.last == Last::I) {
        if (split) return at;
        split = true;
        first = term;
        term = Term{};
        term.begun = true;
        if (c == '-') term.text += c;
        term.last = Last::Sign;
      } else {
        return at;  // right after a sign, '/', '.' or an 'E' without digits
      }
    } else if (c == '/') {
      if (term.spaced || term.last != Last::Digit || term.dot || term.exponent || term.slashes == 2) return at;
      term.text += c;
      ++term.slashes;
      term.last = Last::Slash;
    } else if (c == '.') {
      const bool afterPrefixI = term.last == Last::I && !term.digits;
      if (term.spaced || term.dot || term.slashes || term.exponent) return at;
      if (term.last != Last::Sign && term.last != Last::Digit && !afterPrefixI) return at;
      term.text += c;
      term.dot = true;
      term.last = Last::Dot;
    } else if (c == 'E') {
      if (term.spaced || term.last != Last::Digit || term.exponent || term.slashes) return at;
      term.text += c;
      term.exponent = true;
      term.last = Last::E;
    } else if (c == 'i') {
      if (imaginarySeen) return at;
      if (term.last == Last::E || term.last == Last::ExpSign || term.last == Last::Slash || term.last == Last::Dot)
        return at;
      imaginarySeen = term.imaginary = true;
      if (term.digits) term.iAfterDigits = true;
      term.last = Last::I;
    } else {
      return at;
    }
  }

  const long end = static_cast<long>(t.size());
  if (term.begun && term.last != Last::Digit && term.last != Last::I) return end;
  if (split && !first.imaginary && !term.imaginary) return end;  // "1+2"
  if (split) keep(first, out);
  keep(term, out);
  return -1;
}

namespace {

bool parseCount(std::string_view s, std::uint64_t* v) {
  if (s.empty()) return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), *v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

void appendNumber(std::string* s, std::uint64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  s->append(buf, r.ptr);
}

}  // namespace

DWORD normaliseFraction(std::string_view term, Fraction* out) {
  bool negative = false;
  if (!term.empty() && term.front() == '-') {
    negative = true;
    term.remove_prefix(1);
  }
  std::uint64_t parts[3] = {0, 0, 0};
  int count = 0;
  while (true) {
    const std::size_t slash = term.find('/');
    if (count == 3) return kNumConvErrorConversion;
    // Digits that do not fit in 64 bits are out of range.
    if (!parseCount(term.substr(0, slash), &parts[count++])) return kNumConvErrorRange;
    if (slash == std::string_view::npos) break;
    term.remove_prefix(slash + 1);
  }
  if (count < 2) return kNumConvErrorConversion;

  Fraction f;
  if (count == 3) {
    f.whole = parts[0];
    f.num = parts[1];
    f.den = parts[2];
  } else {
    f.num = parts[0];
    f.den = parts[1];
  }
  if (f.den < 1) return kNumConvErrorRange;
  const std::uint64_t carried = f.num / f.den;
  if (f.whole > std::numeric_limits<std::uint64_t>::max() - carried) return kNumConvErrorRange;
  f.whole += carried;
  f.num %= f.den;
  if (f.num != 0) {
    const std::uint64_t g = std::gcd(f.num, f.den);
    f.num /= g;
    f.den /= g;
  }
  f.negative = negative && (f.whole != 0 || f.num != 0);
  *out = f;
  return 0;
}

std::string fractionText(const Fraction& f) {
  std::string s;
  if (f.num == 0) {
    appendNumber(&s, f.whole);
    return s;
  }
  if (f.whole >= 1) {
    appendNumber(&s, f.whole);
    s += '/';
  }
  appendNumber(&s, f.num);
  s += '/';
  appendNumber(&s, f.den);
  return s;
}

DWORD parseDecimalTerm(std::string_view term, double* out) {
  std::string s(term);
  const std::size_t e = s.find('E');
  if (e != std::string::npos) {
    std::string mantissa = s.substr(0, e);
    if (mantissa.empty() || mantissa == "-") mantissa += '1';
    s = mantissa + 'e' + s.substr(e + 1);
  }
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) return kNumConvErrorRange;
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return kNumConvErrorConversion;
  *out = v;
  return 0;
}

}  // namespace tallix::calcnum
