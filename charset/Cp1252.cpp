#include "charset/Cp1252.h"

namespace tallix {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QChar cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return QChar(kHigh[byte - 0x80]);
  return QChar(char16_t(byte));
}

int unicodeToCp1252(char16_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == ch) return 0x80 + i;
  return -1;
}

QString fromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(qsizetype(bytes.size()));
  for (char c : bytes) out.append(cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string toCp1252(const QString& text, char replacement) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      ++i;  // one character outside the BMP: one replacement
      out.push_back(replacement);
      continue;
    }
    const int b = unicodeToCp1252(ch.unicode());
    out.push_back(b < 0 ? replacement : static_cast<char>(b));
  }
  return out;
}

}  // namespace tallix
