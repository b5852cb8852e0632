#include "platform/StringCompare.h"

#include <cstring>
#include <string>
#include <vector>

namespace tallix {
namespace {

struct Weights {
  std::string base;  // level 1: one or more base characters ('\0' for none)
  int accent = 0;    // level 2
  int upper = 0;     // level 3
};

// Primary class of a base character: symbols < digits < letters.
int primary(unsigned char c) {
  if (c >= '0' && c <= '9') return 0x200 + c;
  if (c >= 'a' && c <= 'z') return 0x300 + c;
  return 0x100 + c;  // punctuation and symbols keep their byte order
}

Weights weigh(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return {std::string(1, char(c - 'A' + 'a')), 0, 1};
  if (c >= 'a' && c <= 'z') return {std::string(1, char(c)), 0, 0};
  // Windows-1252 letters beyond ASCII: base letter, accent rank, case.
  struct Letter { unsigned char byte; const char* base; int accent; int upper; };
  static const Letter letters[] = {
      {0x8A, "s", 5, 1}, {0x9A, "s", 5, 0}, {0x8C, "oe", 1, 1}, {0x9C, "oe", 1, 0},
      {0x8E, "z", 5, 1}, {0x9E, "z", 5, 0}, {0x9F, "y", 4, 1}, {0xFF, "y", 4, 0},
      {0xC0, "a", 2, 1}, {0xC1, "a", 1, 1}, {0xC2, "a", 3, 1}, {0xC3, "a", 6, 1},
      {0xC4, "a", 4, 1}, {0xC5, "a", 7, 1}, {0xC6, "ae", 1, 1}, {0xC7, "c", 8, 1},
      {0xC8, "e", 2, 1}, {0xC9, "e", 1, 1}, {0xCA, "e", 3, 1}, {0xCB, "e", 4, 1},
      {0xCC, "i", 2, 1}, {0xCD, "i", 1, 1}, {0xCE, "i", 3, 1}, {0xCF, "i", 4, 1},
      {0xD0, "d", 9, 1}, {0xD1, "n", 6, 1}, {0xD2, "o", 2, 1}, {0xD3, "o", 1, 1},
      {0xD4, "o", 3, 1}, {0xD5, "o", 6, 1}, {0xD6, "o", 4, 1}, {0xD8, "o", 10, 1},
      {0xD9, "u", 2, 1}, {0xDA, "u", 1, 1}, {0xDB, "u", 3, 1}, {0xDC, "u", 4, 1},
      {0xDD, "y", 1, 1}, {0xDE, "th", 1, 1}, {0xDF, "ss", 1, 0},
      {0xE0, "a", 2, 0}, {0xE1, "a", 1, 0}, {0xE2, "a", 3, 0}, {0xE3, "a", 6, 0},
      {0xE4, "a", 4, 0}, {0xE5, "a", 7, 0}, {0xE6, "ae", 1, 0}, {0xE7, "c", 8, 0},
      {0xE8, "e", 2, 0}, {0xE9, "e", 1, 0}, {0xEA, "e", 3, 0}, {0xEB, "e", 4, 0},
      {0xEC, "i", 2, 0}, {0xED, "i", 1, 0}, {0xEE, "i", 3, 0}, {0xEF, "i", 4, 0},
      {0xF0, "d", 9, 0}, {0xF1, "n", 6, 0}, {0xF2, "o", 2, 0}, {0xF3, "o", 1, 0},
      {0xF4, "o", 3, 0}, {0xF5, "o", 6, 0}, {0xF6, "o", 4, 0}, {0xF8, "o", 10, 0},
      {0xF9, "u", 2, 0}, {0xFA, "u", 1, 0}, {0xFB, "u", 3, 0}, {0xFC, "u", 4, 0},
      {0xFD, "y", 1, 0}, {0xFE, "th", 1, 0},
  };
  for (const Letter& l : letters)
    if (l.byte == c) return {l.base, l.accent, l.upper};
  return {std::string(1, char(c)), 0, 0};
}

bool ignoredAtFirst(unsigned char c) { return c == '-' || c == '\''; }

// The key as one byte string whose byte order is the comparison's: the
// levels one after another, each a run of elements ended by a zero byte that
// no element begins with (a shorter run sorts first), then the bytes. The
// primary weights go straight into the key; the other levels of a short text
// stay within their strings' own room.
TextCompareKey makeKey(const char* s) {
  const std::size_t length = std::strlen(s);
  TextCompareKey key;
  key.reserve(5 * length + 8);
  std::string level2, level3, level4;
  std::size_t primaries = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) {
    if (ignoredAtFirst(*p)) {
      // Its place among the primary weights, then the byte; 5 bytes from 1.
      const unsigned value = unsigned(primaries) * 256 + *p;
      level4 += char(1);
      for (int shift = 24; shift >= 0; shift -= 8) level4 += char((value >> shift) & 0xFF);
      continue;
    }
    const Weights w = weigh(*p);
    for (unsigned char b : w.base) {
      const int weight = primary(b);  // 0x100 to 0x3FF: the high byte is never 0
      key += char(weight >> 8);
      key += char(weight & 0xFF);
      ++primaries;
    }
    level2 += char(w.accent + 1);
    level3 += char(w.upper + 1);
  }
  for (const std::string* level : {&level2, &level3, &level4}) {
    key += '\0';
    key += *level;
  }
  key += '\0';
  key.append(s, length);
  return key;
}

}  // namespace

TextCompareKey MakeTextCompareKey(const char* text) { return makeKey(text ? text : ""); }

int CompareTextKeys(const TextCompareKey& ka, const TextCompareKey& kb) {
  // std::string compares its bytes as unsigned values.
  const int c = ka.compare(kb);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareTextLocale(const char* a, const char* b) {
  return CompareTextKeys(MakeTextCompareKey(a), MakeTextCompareKey(b));
}

}  // namespace tallix
