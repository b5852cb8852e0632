// Calculator text in the calculator fonts "QXL2" and "QXL2 TT".
//
// Calculator character codes are bytes. The calculator fonts draw each code at
// one code point: its Windows-1252 character, except the control codes
// 0x01-0x1F and 0x7F and the five bytes Windows-1252 leaves undefined, which
// sit at U+E000 + code. The fonts' character map is built on the same mapping
// and draws the calculator's own characters there (at U+00DD, the code point
// of 0xDD, a line-end mark rather than "Y acute"), so every drawer of
// calculator text converts through here.
#pragma once

#include <QChar>
#include <QString>

#include <string>
#include <string_view>

namespace tallix {

inline constexpr char16_t kCalcFontPrivateBase = 0xE000;
// The families of the two calculator fonts.
inline constexpr char kCalcFontFamily[] = "QXL2";
inline constexpr char kCalcFontFamilyTT[] = "QXL2 TT";

QChar calcFontChar(unsigned char code);
QString calcFontText(std::string_view codes);

// The character code drawn at `ch`, or -1 when the fonts draw none there.
int calcFontCode(QChar ch);
// Characters without a code become `replacement`.
std::string calcFontCodes(const QString& text, char replacement = '?');

}  // namespace tallix
