// The macro file: named, described sequences of calculator bytes that the
// user inserts into a program in one step. A text file, every line ending
// in CR LF:
//   QXLWIN Macro File
//   (empty)
//   Name=<name>                  per macro
//   Description=<description>
//   Macro Start
//   7Fh 40h 41h ...              up to 16 bytes a line, "%02Xh " each
//   Macro End
//   (empty)
// A reader skips everything before the header line (compared without regard
// to case), empty lines and lines beginning with ';'; a byte line holds up
// to 32 numbers (decimal, or hexadecimal as "0x41" or "41h"), of which the
// low byte counts.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class COrvoTextArchive;
class CQXMacroListCtrl;

// The bytes of one macro. Rows of macro lists share it: a row copied into
// another list keeps the same record.
struct CQXMacroRecord {
  std::vector<BYTE> bytes;
};

struct CQXMacro {
  std::string name;         // at most 80 characters
  std::string description;  // at most 255
  std::shared_ptr<CQXMacroRecord> record;  // null for a macro without bytes
};

inline constexpr std::size_t kMacroNameMax = 80;
inline constexpr std::size_t kMacroDescriptionMax = 255;

// Reads the macros after the header line; FALSE when there is no header
// line. A macro not closed by "Macro End" is dropped. Throws CFileException.
BOOL ReadMacroRecords(COrvoTextArchive& ar, std::vector<CQXMacro>* macros);
// Writes the header and every macro. Throws CFileException.
void WriteMacroRecords(COrvoTextArchive& ar, const std::vector<CQXMacro>& macros);

// Replaces the rows of `list` by the macros of the file; on any failure
// (message 61733 or 61877 with the file name) the rows stay as they were.
BOOL ReadMacroFile(CQXMacroListCtrl* list, const char* path);
// Writes every row; on failure (message 61734) the file stays as it was.
BOOL WriteMacroFile(CQXMacroListCtrl* list, const char* path);

// The macro file in use: "Edit Macro List"/"Macro File" when set, else
// "qxlmacro.qxc" of the data folder (read from the program directory until
// the user saved one).
std::string MacroFilePath(bool forWriting);
