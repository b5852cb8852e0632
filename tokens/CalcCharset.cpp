#include "tokens/CalcCharset.h"

#include "platform/CalcFontChars.h"
#include "platform/Cp1252.h"

#include <QFont>
#include <QFontInfo>

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

bool IsCalculatorFont(const QFont& font) {
  // The family the font resolves to: a face that is not installed is drawn in
  // another font, which knows nothing of the calculator's code points.
  const QString family = QFontInfo(font).family();
  return family == QLatin1String(tallix::kCalcFontFamily) || family == QLatin1String(tallix::kCalcFontFamilyTT);
}

QString CalcDisplayText(std::string_view codes, const QFont& font) {
  if (IsCalculatorFont(font)) return tallix::calcFontText(codes);
  QString out;
  for (char c : codes) out += CalcCharText(static_cast<BYTE>(c));
  return out;
}
