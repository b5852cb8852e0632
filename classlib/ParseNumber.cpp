#include "classlib/ParseNumber.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The scan of one number as the C library's "%d" and "%X" read it: white
// space, an optional sign, for hexadecimal an optional "0x", then digits.
// Unlike the C library, a value that does not fit is refused instead of
// being undefined.
bool scan(const char* p, bool hex, int* out) {
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  bool digits = false;
  if (hex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    // "0x" with no hexadecimal digit after it reads as the digit 0.
    p += 2;
    digits = true;
  }
  const int base = hex ? 16 : 10;
  std::uint64_t value = 0;
  for (int d; (d = hexDigit(*p)) >= 0 && d < base; ++p) {
    value = value * std::uint64_t(base) + std::uint64_t(d);
    if (value > 0xFFFFFFFFull) return false;
    digits = true;
  }
  if (!digits) return false;
  if (hex) {
    const auto bits = static_cast<std::uint32_t>(value);
    *out = static_cast<int>(negative ? 0u - bits : bits);
    return true;
  }
  if (value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
  *out = negative ? static_cast<int>(-static_cast<std::int64_t>(value)) : static_cast<int>(value);
  return true;
}

}  // namespace

BOOL ParseNumber(const char* text, int* out) {
  if (!text || !out) return FALSE;
  while (*text == ' ') ++text;
  if (!*text) return FALSE;
  const size_t length = std::strlen(text);
  const bool hex = (length > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ||
                   std::strpbrk(text, "hH") != nullptr;
  return scan(text, hex, out) ? TRUE : FALSE;
}

BOOL ParseNumberList(const char* text, int* values, int maxCount, int* count) {
  if (!count) return FALSE;
  *count = 0;
  if (!text) return TRUE;
  if (!values && maxCount > 0) return FALSE;
  int stored = 0;
  std::string piece;
  for (const char* p = text; stored < maxCount;) {
    while (*p == ' ') ++p;
    if (!*p) break;
    const char* end = std::strchr(p, ' ');
    if (!end) end = p + std::strlen(p);
    piece.assign(p, end);
    p = end;
    int value = 0;
    if (!ParseNumber(piece.c_str(), &value)) return FALSE;
    values[stored++] = value;
  }
  *count = stored;
  return TRUE;
}
