// Small helpers several subsystems share: whether a file name is taken,
// digit grouping for byte counts, the user's decimal separator in number
// texts, file messages, and file dialog filters joined from string-table entries.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

// TRUE when anything exists under `path`: a file (readable or not), a
// folder, a symbolic link even when it leads nowhere. FALSE for an empty
// path. Callers use it to find out whether writing there would replace
// something.
BOOL FileExists(const QString& path);

// Copies `digits` into `out` with `separator` after every third digit
// counted from the right ("1234567" -> "1,234,567"). FALSE, with `out`
// untouched, when `size` is below n + n / 3 + 1 for n digits or a pointer
// is null.
BOOL InsertThousandsSeparator(const char* digits, char separator, char* out, UINT size);

// Replaces the first '.' of `text` by the decimal separator of number texts
// (CalcNumberDecimalSeparator). Nothing for a null text.
void ApplyLocaleDecimalPoint(char* text);

// Message `id` ("... %1 ...") with the file path, icon exclamation: how the
// readers and writers of the program's files report a failure.
void ShowFileMessage(UINT id, const char* path);

// Appends the strings of `ids` (ended by 0; null for none) to `filter`,
// then one "|": the string-table filters end in "|" themselves, so the
// result ends in "||".
void BuildFileDialogFilter(const UINT* ids, QString* filter);
