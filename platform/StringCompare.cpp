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

TextCompareKey makeKey(const char* s) {
  TextCompareKey k;
  k.bytes = s;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) {
    if (ignoredAtFirst(*p)) {
      k.level4.push_back(int(k.level1.size()) * 256 + *p);
      continue;
    }
    const Weights w = weigh(*p);
    for (unsigned char b : w.base) k.level1.push_back(primary(b));
    k.level2.push_back(w.accent);
    k.level3.push_back(w.upper);
  }
  return k;
}

int compareLevel(const std::vector<int>& a, const std::vector<int>& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

TextCompareKey MakeTextCompareKey(const char* text) { return makeKey(text ? text : ""); }

int CompareTextKeys(const TextCompareKey& ka, const TextCompareKey& kb) {
  if (int c = compareLevel(ka.level1, kb.level1)) return c;
  if (int c = compareLevel(ka.level2, kb.level2)) return c;
  if (int c = compareLevel(ka.level3, kb.level3)) return c;
  if (int c = compareLevel(ka.level4, kb.level4)) return c;
  const int c = std::strcmp(ka.bytes.c_str(), kb.bytes.c_str());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareTextLocale(const char* a, const char* b) {
  return CompareTextKeys(MakeTextCompareKey(a), MakeTextCompareKey(b));
}

}  // namespace tallix
