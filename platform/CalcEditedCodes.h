// The codes of an edited calculator text. An edit shows codes as text, and
// outside the calculator fonts codes that show alike (0x88 and 'P', 0x89
// and '+', 0xCD and 'r') read back as one of them: reading the whole text
// again would change codes the user never touched. So the codes of the head
// and the tail that still show as they did are kept, and only what lies
// between is read from the text.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

// What one code shows as in the edit's font.
using CalcCodeShown = std::function<QString(BYTE code)>;
// The codes of text as the edit reads what is typed or shown.
using CalcTextRead = std::function<std::string(QStringView text)>;

// The codes of `text`, an edit of the text that `old` showed as (`shown`
// gives each code's piece): `old` itself while `text` is what it showed;
// else the codes at its start and end whose pieces `text` still begins and
// ends with, and between them the codes `read` gives for the rest. A
// division that would read otherwise than `text` as a whole reads (a sign
// of two characters across it, "x" kept and a macron typed after it) keeps
// fewer codes, down to none.
std::string CalcEditedCodes(std::string_view old, QStringView text, const CalcCodeShown& shown,
                            const CalcTextRead& read);
