// The codes of an edited calculator text. An edit shows codes as text, and
// outside the calculator fonts codes that show alike (0x88 and 'P', 0x89
// and '+', 0xCD and 'r') read back as one of them: reading the whole text
// again would change codes the user never touched. So the codes at the
// start and the end that still show as they did are kept, and only what
// lies between is read from the text.
#pragma once

#include "charset/CalcCharset.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>

// What a font shows one code as: CalcCharText outside the calculator fonts.
using CalcCodeShownAs = QString (*)(std::uint8_t code);

// The codes of `text`, an edit of the text the codes `old` showed as in a
// font (`shown` gives each code's text there, `fontCode` reads text back as
// CalcCodesFromText does): `old` itself while `text` is what it showed;
// else the codes at its start and end whose texts `text` still begins and
// ends with, and between them the codes the rest reads as. A division that
// reads otherwise than `text` as a whole (a sign of two characters across
// it: "x" kept and a macron typed after it) keeps fewer codes, down to none.
// The defaults are the calculator's plain text (CalcPlainText).
std::string CalcEditedCodes(std::string_view old, QStringView text, CalcCodeShownAs shown = &CalcCharText,
                            CalcFontCodeOf fontCode = nullptr);
