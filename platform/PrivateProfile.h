// Private-profile (INI) files with the Windows semantics that the list files
// ("QXGraph.lst", "CharCnv.lst", "Interface.lst", "Sensor.lst", "qxmenu.ini")
// are written for.
//
// Behaviour, fixed and tested:
// - Section and key names are compared without regard to ASCII case.
// - Names and values are trimmed of blanks and tabs; a value enclosed in a
//   matching pair of '"' or '\'' loses the pair (reads of single keys only).
// - Lines whose first non-blank character is ';' are comments and are
//   skipped by every read; a line without '=' inside a section is a key with
//   no value (it is returned as it stands by GetPrivateProfileSection).
// - The first occurrence of a section or key wins.
// - A missing file or section reads as empty, never as an error. So does a
//   file that is no regular file or is larger than its bound
//   (kMaxProfileFileSize unless a snapshot is given another); it is not read
//   at all, and writes to it fail and leave it as it was.
// - A value longer than the caller's buffer is cut to size-1 characters and
//   the count returned is size-1; lists (of names or section lines) are cut
//   so that they still end in two NULs and the count is size-2.
// - Files are bytes; no character set conversion happens here.
// - Writes rewrite the whole file through a temporary file and a rename,
//   keeping every other line, comment and blank line as it was.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The largest profile or list file read: the shipped lists hold a few
// kilobytes, a menu extension a person writes a few dozen.
inline constexpr std::uint64_t kMaxProfileFileSize = std::uint64_t(256) << 10;

// `section` null: the names of all sections; `key` null: the names of all
// keys of the section; both as NUL-separated lists ending in two NULs.
// When the key is missing, `defaultValue` (null meaning "") is copied with
// its trailing blanks removed. Returns the number of characters copied, not
// counting the terminating NUL.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD size, const char* fileName);

// The key's value read as an optional sign and decimal digits (reading stops
// at the first other character; no digits gives 0). A missing key, or one
// whose value is empty, gives `defaultValue`.
UINT GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                          const char* fileName);

// Every line of the section except comments and blank lines, "name=value" with
// both sides trimmed (or the trimmed line where it has no '='), as a
// NUL-separated list ending in two NULs. Returns the characters copied without
// the final NUL.
DWORD GetPrivateProfileSection(const char* section, char* out, DWORD size, const char* fileName);

// `key` null removes the whole section; `value` null removes the key;
// otherwise sets the key (adding section and key as needed, creating the
// file). `section` null does nothing and succeeds. FALSE when the file
// cannot be written; the old file is then left as it was.
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName);

// Replaces the section's lines with `lines`, a NUL-separated list ending in two
// NULs; an empty list ("\0") empties the section but keeps its header.
BOOL WritePrivateProfileSection(const char* section, const char* lines, const char* fileName);

namespace tallix {

// Convenience forms over the same parser, for code written in C++ terms.
struct IniEntry {
  std::string name;
  std::string value;  // trimmed, quotes not removed
  bool hasValue = false;
};

// Reads `key`; false when the file, section or key is missing. The value is
// trimmed and unquoted as GetPrivateProfileString does.
bool iniReadValue(const std::string& fileName, const std::string& section, const std::string& key,
                  std::string* value);
std::vector<std::string> iniSectionNames(const std::string& fileName);
std::vector<IniEntry> iniSectionEntries(const std::string& fileName, const std::string& section);

// A file read once, for a reader with many questions: the answers of the
// reads above, from the file as it was when the snapshot was taken. Taking
// it finds the file's sections; a section's lines are read when it is first
// asked about, and its keys indexed when a key is first asked for, so no
// question costs more than one reading of the section it is about.
class IniSnapshot {
 public:
  explicit IniSnapshot(const std::string& fileName, std::uint64_t bound = kMaxProfileFileSize);
  ~IniSnapshot();
  IniSnapshot(IniSnapshot&&) noexcept;
  IniSnapshot& operator=(IniSnapshot&&) noexcept;

  bool readValue(const std::string& section, const std::string& key, std::string* value) const;
  // The first `limit` entries of the section: its lines are read only as far
  // as they take.
  std::vector<IniEntry> sectionEntries(const std::string& section,
                                       size_t limit = std::numeric_limits<size_t>::max()) const;
  // Hands `visit` the name, the value (trimmed, quotes kept) and whether the
  // line has one, of each entry of the section in order, while it returns
  // true: the lines are read only as far as that, and nothing is copied.
  using EntryVisitor = std::function<bool(std::string_view name, std::string_view value, bool hasValue)>;
  void forEachEntry(const std::string& section, const EntryVisitor& visit) const;
  // As GetPrivateProfileInt.
  UINT readInt(const std::string& section, const std::string& key, int defaultValue) const;

 private:
  struct Content;
  std::unique_ptr<Content> content_;
};

// The lines of sections that snapshots have read since the program started:
// what a test of a reader's work counts.
std::uint64_t iniSectionLinesRead();

}  // namespace tallix
