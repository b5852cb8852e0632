// The line-based text forms of commands: the command-list text file (one
// command per line: table byte; number byte; kind letter C or N; characters;
// "list text"; "description") and the text form of a command-tree item
// (kind; level; value in hexadecimal; "label"). Lines come without their
// line end; files end every line with CR LF.
#pragma once

#include "tokens/QXCommandTable.h"

#include <string>
#include <vector>

// Splits `line` at `separator`. A field that starts with `quote` runs, quotes
// included, to the quote that is not doubled (a doubled quote stays doubled)
// and swallows a separator right behind it. Characters beyond `maxLength` in
// a field are dropped; splitting stops after `maxFields` fields; the last
// field counts only when it holds a character other than a blank.
int SplitFields(const char* line, char separator, char quote, int maxFields, int maxLength,
                std::vector<std::string>* fields);
// Removes one leading and one trailing double quote.
std::string StripQuotes(const std::string& field);

// The longest field of a command-list line the export writes: a description
// of quotes only, each doubled, between its own two quotes.
inline constexpr int kCommandListFieldMax = 2 * kCommandDescriptionMax + 2;

// A command-list line: "%d;%d;C;\"chars\";\"list\";\"desc\"", or with
// `numerical` the characters as bytes "%u " ("%Xh " with `hex`) after N. A
// quote inside a quoted text is doubled.
std::string FormatCommandListLine(const QXCOMMANDINFO& info, bool numerical, bool hex);
// Reads a command-list line into `info` (texts cut to their fields, doubled
// quotes read as one). False for a line with fewer than four fields, bad
// numbers in the first two, an empty kind, or N numbers that do not read or
// whose low byte is 0. The range of the two bytes is left to
// CQXCommandTable::SetCommand.
bool ParseCommandListLine(const char* line, QXCOMMANDINFO* info);

struct CQXTreeTextLine {
  bool command = false;  // kind 1, else a folder (kind 0)
  int level = 0;         // at most 16
  DWORD value = 0;       // a command's list item value, 0 for a folder
  std::string label;
};
// "%d;%d;%X;\"%s\"", a quote inside the label doubled.
std::string FormatTreeTextLine(const CQXTreeTextLine& line);
// False for lines with fewer than four fields or an empty label field. A
// doubled quote in the label reads as one.
bool ParseTreeTextLine(const char* line, CQXTreeTextLine* out);
