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
// Calculator character codes as text for other programs (the clipboard's
// plain text, a drag's, a text file): each code as the calculator shows it
// (CalcCharText), CR and LF as themselves.
QString CalcPlainText(std::string_view codes);

// One piece of text that comes from other programs, as the calculator takes
// it (SplitCalcPlainText).
struct CalcTextPiece {
  enum Kind : BYTE {
    kTyped,      // a Windows-1252 character: `value` goes in as typing it does
    kCode,       // a calculator character: `value` is its code
    kLineBreak,  // CR, LF, CR LF or LF CR
  };
  Kind kind;
  BYTE value;
};
// Splits `text` into what typing it gives. Typographic punctuation first
// becomes the ASCII meant by it: curly and angle quotes a double or single
// quote, dashes '-', the ellipsis "...", non-breaking and other spaces ' '
// (the calculator's minus sign U+2212 stays its sign). Then an ASCII
// character is typed, a sign the calculator shows (CalcCharText) is its
// code, its two-character signs (the mean of x, the reciprocal ...) before
// either of their characters, and a character of Windows-1252 is typed as
// its byte where the calculator shows that byte as the character: 'Î'
// (0xCE, which shows as theta) or '¹' (0xB9, the division sign) has no code.
// Characters without a code are left out, never taken as another code;
// `complete` (optional) tells whether any was. CalcPlainText's text comes
// back as the codes it was made of, except where a code shows as an ASCII
// character (0x88 shows a "P", which is typed as the letter) and where
// typing turns a character into another code ('+' is the calculator's plus).
std::vector<CalcTextPiece> SplitCalcPlainText(QStringView text, bool* complete = nullptr);

// Whether `font` resolves to one of the calculator fonts.
bool IsCalculatorFont(const QFont& font);
// The reverse of CalcDisplayText for what the user types or sees: in the
// calculator fonts the code drawn at each character, in other fonts the code
// that shows as it (CalcCharText; ASCII is itself, a Windows-1252 character
// whose byte the calculator shows otherwise has none); in both the signs as
// the calculator shows them (θ, x̄ ...) are their codes. FALSE when a
// character has no code (`codes` then holds the others).
BOOL CalcTextCodes(const QString& text, const QFont& font, std::string* codes);
// The same for text outside the calculator fonts: the reverse of
// CalcPlainText (where two codes show alike, the one typing gives).
BOOL CalcPlainCodes(const QString& text, std::string* codes);

// The validator of the edits that take calculator text (names, passwords):
// a character without a code in the edit's font (CalcTextCodes) cannot be
// typed or pasted, and the text is kept as the edit shows its codes
// (CalcDisplayText: θ typed into a calculator font goes to the code's place).
class CQXCalcTextValidator : public QValidator {
  Q_OBJECT

 public:
  // `edit` gives the font; it is also the validator's parent.
  explicit CQXCalcTextValidator(QWidget* edit);
  State validate(QString& input, int& pos) const override;

 private:
  QWidget* edit_;
};
