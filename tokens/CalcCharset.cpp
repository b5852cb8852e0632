#include "tokens/CalcCharset.h"

#include "platform/Cp1252.h"

const std::vector<CalcGlyph>& CalcGlyphs() {
  static const std::vector<CalcGlyph> glyphs = {
      {0x10, u'\u2264', "less than or equal"},
      {0x12, u'\u2265', "greater than or equal"},
      {0x89, u'+', "the calculator's plus sign, as in an+1"},
      {0x99, u'\u2010', "the dash of memory names such as V-Win1"},
      {0xCD, u'r', "the variable r"},
      {0xCE, u'\u03B8', "the variable theta"},
      {0xDD, u'\u25E2', "end-of-line mark of line-break token 0x0C"},
      {0xDE, u'\u21B5', "end-of-line mark of line-break token 0x0D"},
  };
  return glyphs;
}

QChar CalcCharToUnicode(BYTE code) {
  for (const CalcGlyph& g : CalcGlyphs())
    if (g.code == code) return QChar(g.unicode);
  return tallix::cp1252ToUnicode(code);
}
