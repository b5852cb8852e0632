// Windows-1252 text conversion.
//
// Stored and linked texts are 8-bit strings; they are turned into Unicode only
// where the user interface shows them, and back where the user typed them.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tallix {

// Every byte maps to one character; the five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same value, so that any byte string survives a round trip.
QString fromCp1252(std::string_view bytes);
QChar cp1252ToUnicode(unsigned char byte);

// Characters outside Windows-1252 become `replacement`.
std::string toCp1252(const QString& text, char replacement = '?');
// The Windows-1252 byte of `ch`, or -1 when it has none.
int unicodeToCp1252(char16_t ch);

}  // namespace tallix
