#include "tokens/CalcCharset.h"

#include "platform/Cp1252.h"

const std::vector<CalcGlyph>& CalcGlyphs() {
  // The glyph list the calculator fonts are drawn from.
  static const std::vector<CalcGlyph> glyphs = {
#define CALC_GLYPH(code, text, meaning) {code, text, meaning},
#include "CalcGlyphs.inc"
#undef CALC_GLYPH
  };
  return glyphs;
}

QString CalcCharText(BYTE code) {
  for (const CalcGlyph& g : CalcGlyphs())
    if (g.code == code) return QString::fromUtf16(g.text);
  return QString(tallix::cp1252ToUnicode(code));
}
