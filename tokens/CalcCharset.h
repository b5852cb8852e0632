// The calculator characters that Windows-1252 does not draw as the
// calculator shows them. Command characters are calculator character codes;
// the calculator font draws these codes with the glyphs below, every other
// code as its Windows-1252 character.
#pragma once

#include "platform/WinTypes.h"

#include <QChar>

#include <vector>

struct CalcGlyph {
  BYTE code;
  char16_t unicode;  // the character the glyph shows
  const char* meaning;
};

const std::vector<CalcGlyph>& CalcGlyphs();
// The character the calculator shows for a character code.
QChar CalcCharToUnicode(BYTE code);
