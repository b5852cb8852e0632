#include "tokens/CalcCharset.h"

#include "platform/CalcFontChars.h"
#include "platform/Cp1252.h"

#include <QFont>
#include <QFontInfo>
#include <QWidget>

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

BOOL CalcTextCodes(const QString& text, const QFont& font, std::string* codes) {
  const bool calculator = IsCalculatorFont(font);
  codes->clear();
  BOOL all = TRUE;
  for (QChar ch : text) {
    const int code = calculator ? tallix::calcFontCode(ch) : tallix::unicodeToCp1252(ch.unicode());
    if (code < 0) {
      all = FALSE;
      continue;
    }
    codes->push_back(char(code));
  }
  return all;
}

CQXCalcTextValidator::CQXCalcTextValidator(QWidget* edit) : QValidator(edit), edit_(edit) {}

QValidator::State CQXCalcTextValidator::validate(QString& input, int&) const {
  std::string codes;
  return CalcTextCodes(input, edit_->font(), &codes) ? Acceptable : Invalid;
}
