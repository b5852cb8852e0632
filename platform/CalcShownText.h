// Calculator text in a font: codes drawn in it, and what it shows read back
// as codes. In the calculator fonts each code sits at a code point of its
// own (platform/CalcFontChars.h); in any other font a code is drawn as the
// calculator shows it (CalcCharText, charset/CalcCharset.h), which may take
// two characters.
#pragma once

#include <QString>

#include <string>
#include <string_view>

class QFont;

// Whether `font` resolves to one of the calculator fonts.
bool IsCalculatorFont(const QFont& font);
// Calculator character codes as text to draw in `font`: in the calculator
// fonts each code at its own code point (tallix::calcFontText), in any other
// font its plain text (CalcPlainText). Every window that draws calculator
// codes goes through here.
QString CalcDisplayText(std::string_view codes, const QFont& font);
// The reverse of CalcDisplayText for what the user types or sees
// (CalcCodesFromText): in the calculator fonts the code drawn at each
// character, in other fonts the code that shows as it (ASCII is itself, a
// Windows-1252 character whose byte the calculator shows otherwise has
// none); in both the signs as the calculator shows them (θ, x̄ ...) are
// their codes. False when a character has no code (`codes` then holds the
// others).
bool CalcCodesFromShownText(const QString& text, const QFont& font, std::string* codes);
// `text`, an edit of the codes `old` shown in `font`, as codes: those the
// user did not edit stay (CalcEditedCodes in that font).
std::string CalcEditedCodesIn(const QFont& font, std::string_view old, const QString& text);
