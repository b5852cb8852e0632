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
#include <QValidator>

#include <string>
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
// The reverse of CalcDisplayText for what the user types: in the calculator
// fonts the code drawn at each character, in other fonts its Windows-1252
// byte. FALSE when a character has no code (`codes` then holds the others).
BOOL CalcTextCodes(const QString& text, const QFont& font, std::string* codes);

// The validator of the edits that take calculator text (names, passwords):
// a character without a code in the edit's font (CalcTextCodes) cannot be
// typed or pasted.
class CQXCalcTextValidator : public QValidator {
  Q_OBJECT

 public:
  // `edit` gives the font; it is also the validator's parent.
  explicit CQXCalcTextValidator(QWidget* edit);
  State validate(QString& input, int& pos) const override;

 private:
  QWidget* edit_;
};
