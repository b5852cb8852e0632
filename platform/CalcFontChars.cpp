#include "platform/CalcFontChars.h"

#include "charset/Cp1252.h"

namespace tallix {
namespace {

bool isPrivateCode(unsigned char code) {
  return (code >= 0x01 && code <= 0x1F) || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
         code == 0x90 || code == 0x9D;
}

}  // namespace

QChar calcFontChar(unsigned char code) {
  return isPrivateCode(code) ? QChar(char16_t(kCalcFontPrivateBase + code)) : cp1252ToUnicode(code);
}

QString calcFontText(std::string_view codes) {
  QString out;
  out.reserve(qsizetype(codes.size()));
  for (char c : codes) out.append(calcFontChar(static_cast<unsigned char>(c)));
  return out;
}

int calcFontCode(QChar ch) {
  const char16_t u = ch.unicode();
  if (u >= kCalcFontPrivateBase && u <= kCalcFontPrivateBase + 0xFF)
    return isPrivateCode(static_cast<unsigned char>(u - kCalcFontPrivateBase)) ? u - kCalcFontPrivateBase : -1;
  const int code = unicodeToCp1252(u);
  return code >= 0 && !isPrivateCode(static_cast<unsigned char>(code)) ? code : -1;
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
