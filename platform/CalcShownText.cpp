#include "platform/CalcShownText.h"

#include "charset/CalcCharset.h"
#include "charset/CalcEditedCodes.h"
#include "platform/CalcFontChars.h"

#include <QFont>
#include <QFontInfo>

#include <cstdint>

namespace {

// The calculator fonts' code points, both ways.
QString calcFontPiece(std::uint8_t code) { return QString(tallix::calcFontChar(code)); }
int calcFontCodeOf(char16_t ch) { return tallix::calcFontCode(QChar(ch)); }

}  // namespace

bool IsCalculatorFont(const QFont& font) {
  // The family the font resolves to: a face that is not installed is drawn in
  // another font, which knows nothing of the calculator's code points.
  const QString family = QFontInfo(font).family();
  return family == QLatin1String(tallix::kCalcFontFamily) || family == QLatin1String(tallix::kCalcFontFamilyTT);
}

QString CalcDisplayText(std::string_view codes, const QFont& font) {
  return IsCalculatorFont(font) ? tallix::calcFontText(codes) : CalcPlainText(codes);
}

bool CalcCodesFromShownText(const QString& text, const QFont& font, std::string* codes) {
  return CalcCodesFromText(text, IsCalculatorFont(font) ? calcFontCodeOf : nullptr, codes);
}

std::string CalcEditedCodesIn(const QFont& font, std::string_view old, const QString& text) {
  return IsCalculatorFont(font) ? CalcEditedCodes(old, text, calcFontPiece, calcFontCodeOf)
                                : CalcEditedCodes(old, text);
}
