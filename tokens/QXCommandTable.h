// The catalogue of a calculator model's commands (tokens). A command is
// addressed by its table byte (the lead byte, 0 for a one-byte token) and its
// number byte (the token byte) and keeps three texts: its characters (the
// calculator character codes the token shows), a list text and a
// description.
//
// Blocks of 256 slots, one per table byte, are kept in the order in which
// their table byte first appeared; enumeration runs block by block and, in a
// block, by ascending number byte. Byte 255 is the calculator's end byte and
// never a command's table or number byte.
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

inline constexpr int kCommandCharsMax = 256;
inline constexpr int kCommandListTextMax = 64;
inline constexpr int kCommandDescriptionMax = 1024;

// One command as callers read and write it (1360 bytes; set `size` first).
struct QXCOMMANDINFO {
  DWORD size = sizeof(QXCOMMANDINFO);
  LONG number = 0;  // number byte, 0..255
  LONG table = 0;   // table (lead) byte, 0..255
  char characters[kCommandCharsMax + 1] = {};
  char listText[kCommandListTextMax + 1] = {};
  char description[kCommandDescriptionMax + 2] = {};

  // Clears every field but the size.
  void Clear();
  // Copies the texts in, each cut to its field.
  void Set(int tableByte, int numberByte, const char* chars, const char* list, const char* desc);
};
static_assert(sizeof(QXCOMMANDINFO) == 1360);

// A command as one value in lists, the command tree and the popup: number
// byte in bits 16..31, table byte in bits 0..15.
constexpr DWORD MakeCommandValue(int table, int number) { return DWORD(number) << 16 | DWORD(table & 0xFFFF); }
constexpr int CommandValueTable(DWORD value) { return int(value & 0xFFFF); }
constexpr int CommandValueNumber(DWORD value) { return int(value >> 16); }
// The calculator bytes of a command value: table byte and number byte, or
// the number byte alone when the table byte is 0. Their count.
inline int CommandValueBytes(DWORD value, BYTE bytes[2]) {
  const BYTE table = BYTE(CommandValueTable(value)), number = BYTE(CommandValueNumber(value));
  if (table == 0) {
    bytes[0] = number;
    return 1;
  }
  bytes[0] = table;
  bytes[1] = number;
  return 2;
}
// A text index value: trimmed length in bits 16..31, number byte in 8..15,
// table byte in 0..7.
constexpr int TextIndexLength(DWORD value) { return int(value >> 16); }
constexpr int TextIndexNumber(DWORD value) { return int(value >> 8 & 0xFF); }
constexpr int TextIndexTable(DWORD value) { return int(value & 0xFF); }

// The first `n` bytes of two texts (up to a NUL) are equal when ASCII
// letters are taken without regard to case, as commands are matched.
bool EqualTextIgnoringAsciiCase(const char* a, const char* b, int n);

class CQXCommandTable {
 public:
  struct Entry {
    std::string characters;   // 0..256 bytes, no NUL inside
    std::string listText;     // 0..64
    std::string description;  // 0..1024
  };
  struct Block {
    int table = 0;
    int used = 0;
    std::array<std::unique_ptr<Entry>, 256> entries;
  };

  CQXCommandTable() = default;
  // A copy of every enumerated command.
  CQXCommandTable(const CQXCommandTable& other);
  // Adds the commands of `other` without emptying this table first (callers
  // call RemoveAll before).
  CQXCommandTable& operator=(const CQXCommandTable& other);
  ~CQXCommandTable();

  // Adds or replaces a command. 0 when the table or number byte is outside
  // 0..254, the characters are longer than 256 bytes or
  // memory runs out. List text and description are cut to 64 and 1024.
  BOOL SetCommand(int table, int number, const char* characters, const char* listText, const char* description);
  BOOL SetCommandInfo(const QXCOMMANDINFO* info);
  // 0 when out of range or absent. A block that empties stays.
  BOOL RemoveCommand(int table, int number);
  // The block of a table byte; 0 when there is none.
  BOOL FindBlock(int table, const Block** out) const;
  int GetBlockCount() const { return int(m_blocks.size()); }

  // Enumeration: a position names an occupied slot (number byte in bits
  // 16..23, block index in bits 0..15) until the table changes. 0 at the end.
  BOOL GetFirstCommand(DWORD* position) const;
  BOOL GetNextCommand(DWORD* position) const;
  // The command at a position: `characters` must hold 257 bytes; list text and
  // description are copied up to their buffer size - 1 when a buffer is given.
  BOOL GetCommand(DWORD position, int* table, int* number, char* characters, int* length, char* listText,
                  int listTextSize, char* description, int descriptionSize) const;
  BOOL GetCommandInfo(DWORD position, QXCOMMANDINFO* info) const;
  BOOL LookupCommand(int table, int number, QXCOMMANDINFO* info) const;
  // The entry of a token code, or null; valid until the table changes.
  const Entry* FindCommand(int table, int number) const;
  int GetCommandCount() const;

  BOOL CopyFrom(const CQXCommandTable& other);
  // Frees every command and block and empties the text index.
  void RemoveAll();

  // The text index: commands with non-blank characters, longest trimmed
  // characters first, equal lengths in the order of CompareTextLocale. 0 when
  // the table is empty.
  BOOL BuildTextIndex();
  const std::vector<DWORD>& GetTextIndex() const { return m_textIndex; }
  // Appends to `out` the index values of the commands whose characters begin
  // `text` (both false) or also those that begin with `text` (both true),
  // comparing ASCII letters without regard to case. 0 for a blank text, or
  // when `both` is false and no command is short enough.
  BOOL MatchCommands(const char* text, std::vector<DWORD>* out, BOOL both) const;
  // Skips leading white space by moving *start, cuts trailing white space by
  // writing NULs (never before *start), returns the remaining length.
  static int TrimText(char* text, char** start);

 private:
  Block* FindBlock(int table);
  Block* AddBlock(int table);
  static std::unique_ptr<Entry> CreateEntry(const char* characters, const char* listText, const char* description);
  BOOL FindFrom(size_t block, int slot, DWORD* position) const;
  const Entry* EntryAt(DWORD position) const;

  std::vector<std::unique_ptr<Block>> m_blocks;
  std::vector<DWORD> m_textIndex;
};
