// The calculator's character set: what each character code shows, the
// calculator's text as plain text for other programs and, back, text as the
// codes it shows.
//
// Character codes are bytes. The calculator shows a code as its Windows-1252
// character, except the codes of its own signs (CalcGlyphs): a command that
// shows as one symbol uses its own token code as its character; a few
// symbols that have no code of their own sit at free codes below 0x20. The
// list and the glyphs are kept in resources/fonts/CalcGlyphs.txt.
//
// No font here: drawing codes in a font and reading back what a font shows
// are platform/CalcShownText.h, the calculator fonts' own code points
// platform/CalcFontChars.h.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CalcGlyph {
  std::uint8_t code;
  const char16_t* text;  // what the glyph shows, one cell; some cells show two signs
  const char* meaning;
};

const std::vector<CalcGlyph>& CalcGlyphs();
// What the calculator shows for a character code.
QString CalcCharText(std::uint8_t code);
// Calculator character codes as text for other programs (the clipboard's
// plain text, a drag's, a text file) and for every font but the calculator
// fonts: each code as the calculator shows it (CalcCharText), CR and LF as
// themselves.
QString CalcPlainText(std::string_view codes);

// One piece of text that comes from other programs, as the calculator takes
// it (SplitCalcPlainText) or a token editor (SplitTokenPlainText, tokens/).
struct CalcTextPiece {
  enum Kind : std::uint8_t {
    kTyped,      // a Windows-1252 character: `value` goes in as typing it does
    kCode,       // a calculator sign: `value` is its code
    kLineBreak,  // CR, LF, CR LF or LF CR
    kToken,      // a token's whole text: `value` is the token word (token readers only)
  };
  Kind kind;
  std::uint16_t value;
};

// The one reading of text as calculator characters, place by place:
// - a sign the calculator shows in two characters (the mean of x, the
//   reciprocal ..., also in composed form) is its code, before either of
//   its characters;
// - ASCII is typed, also where a calculator sign looks the same ("P",
//   "+");
// - a sign the calculator shows (CalcCharText: θ, →, the minus sign U+2212)
//   is its code;
// - a Windows-1252 character is typed as its byte where the calculator shows
//   that byte as the character ("…" is 0x85, a curly quote its byte, 'é'
//   0xE9): 'Î' (0xCE, which shows as theta) or '¹' (0xB9, the division
//   sign) has no code that way;
// - typographic punctuation that no code shows is the ASCII meant by it
//   (TypographicAscii: angle quotes, the en dash and other dashes, other
//   spaces);
// - any other character has no code: it is left out, never taken as another
//   code, and `complete` (optional) tells whether any was.
// CR, LF, CR LF and LF CR are line breaks. CalcPlainText's text comes back
// as the codes it was made of, except where a code shows as an ASCII
// character (0x88 shows a "P", which is typed as the letter) and where
// typing turns a character into another code ('+' is the calculator's plus).
std::vector<CalcTextPiece> SplitCalcPlainText(QStringView text, bool* complete = nullptr);

// The code a font draws at a character, or -1 for none: for text in a font
// that has a code point of its own for each code (the calculator fonts,
// tallix::calcFontCode).
using CalcFontCodeOf = int (*)(char16_t ch);
// Text as the codes it shows, by the reading of SplitCalcPlainText, a typed
// piece as its byte and CR and LF as themselves. With `fontCode`, the code
// the font draws at a character takes the place of the Windows-1252
// readings (ASCII and its bytes), after the two-character signs and before
// the calculator's signs. False when a character has no code (`codes` then
// holds the others).
bool CalcCodesFromText(QStringView text, CalcFontCodeOf fontCode, std::string* codes);
// The reverse of CalcPlainText (where two codes show alike, the one typing
// gives).
bool CalcCodesFromPlainText(QStringView text, std::string* codes);

// The ASCII a user means by typographic punctuation, as word processors and
// web pages write it: curly, low and angle quotes a double or single quote,
// dashes '-', the ellipsis "...", non-breaking and other spaces ' '. Null for
// any other character; the calculator's minus sign (U+2212) is its own sign,
// not a dash. The reading above takes it only for a character that no code
// shows; a token editor for one that no token shows (SplitTokenPlainText).
const char* TypographicAscii(char16_t ch);
