// Small look-ups of calculator models for the data model: the calculator
// types the program knows, the default calculator of new documents, a
// model's calculator type and its character conversion table.
#pragma once

#include "datamodel/ScreenFormat.h"
#include "platform/WinTypes.h"

#include <string>

// TRUE exactly for "FXALGEBRA20", "GRPH100P", "FX9850" and "FX7400".
BOOL IsKnownCalculatorType(const char* type);

// "Settings"/"Default Calculator" (default ""); TRUE when it is not empty.
BOOL GetDefaultCalculator(std::string* out);

// The model's "Calculator Type" in "QXGraph.lst" (default "FX9850").
void ReadCalculatorSetting(const char* model, std::string* out);

constexpr UINT kCharConvertEntries = 256;

// Fills the character conversion table of a model: entry c is the token a
// typed character c becomes, table (lead) byte << 16 | token byte, or 0 for
// no conversion. The section of "CharCnv.lst" is the model's
// "Char Convert Table" in "QXGraph.lst" (default
// "Default Char Convert Table"); in it, "<c> Char" gives the token byte and
// "<c> Table" the table byte (0 when absent or outside 0..255); a character
// whose "<c> Char" is absent or outside 0..255 stays 0, and so does entry
// 255. FALSE, the table untouched, for fewer than 256 entries, a null table
// or an empty section name; a missing file or section gives TRUE with every
// entry 0.
BOOL LoadCharConvertTable(const char* model, DWORD* table, UINT entries);

// "Picture Format" and "Screen Size" of the model in "QXGraph.lst"; FALSE,
// with `out` untouched, when either text is empty or longer than 60
// characters.
BOOL ReadScreenFormat(const char* model, ScreenFormat* out);
