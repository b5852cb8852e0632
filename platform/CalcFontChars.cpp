#include "platform/CalcFontChars.h"

#include <array>

namespace tallix {
namespace {

// Built from the calculator glyph list with the fonts themselves.
constexpr std::array<char16_t, 256> kCodePoints = {
#include "CalcFontMap.inc"
};

}  // namespace

QChar calcFontChar(unsigned char code) { return QChar(kCodePoints[code]); }

QString calcFontText(std::string_view codes) {
  QString out;
  out.reserve(qsizetype(codes.size()));
  for (char c : codes) out.append(calcFontChar(static_cast<unsigned char>(c)));
  return out;
}

int calcFontCode(QChar ch) {
  const char16_t u = ch.unicode();
  if (u >= kCalcFontPrivateBase && u <= kCalcFontPrivateBase + 0xFF)
    return kCodePoints[u - kCalcFontPrivateBase] == u ? u - kCalcFontPrivateBase : -1;
  for (int code = 0; code < 256; ++code)
    if (kCodePoints[code] == u) return code;
  return -1;
}

std::string calcFontCodes(const QString& text, char replacement) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (QChar ch : text) {
    const int code = calcFontCode(ch);
    out.push_back(code < 0 ? replacement : static_cast<char>(code));
  }
  return out;
}

}  // namespace tallix
