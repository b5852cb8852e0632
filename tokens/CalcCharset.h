// The calculator characters that Windows-1252 does not draw as the
// calculator shows them. Command characters are calculator character codes;
// the calculator font draws these codes with the glyphs below, every other
// code as its Windows-1252 character. A command that shows as one symbol
// uses its own token code as its character; a few symbols that have no code
// of their own sit at free codes below 0x20.
//
// The list and the glyphs are kept in resources/fonts/CalcGlyphs.txt. Text in
// the calculator fonts is converted with platform/CalcFontChars.h;
// CalcCharText is for showing calculator characters in other fonts.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <string_view>
#include <vector>

class QFont;

struct CalcGlyph {
  BYTE code;
  const char16_t* text;  // what the glyph shows, one cell; some cells show two signs
  const char* meaning;
};

const std::vector<CalcGlyph>& CalcGlyphs();
// What the calculator shows for a character code.
QString CalcCharText(BYTE code);
// Calculator character codes as text to draw in `font`: in the calculator
// fonts each code at its own code point (tallix::calcFontText), in any other
// font what the calculator shows for it (CalcCharText), which may take two
// characters. Every window that draws calculator codes goes through here.
QString CalcDisplayText(std::string_view codes, const QFont& font);
// Whether `font` resolves to one of the calculator fonts.
bool IsCalculatorFont(const QFont& font);
