// Fuzz target of the profile snapshot: whatever the file's bytes, every
// section and key it holds reads from the snapshot as a plain reading of the
// documented rules gives it (lines split at '\n' less one '\r', blanks
// trimmed, ';' comments, the first section and key of a name without regard
// to ASCII case), also when only the first entries of a section are asked.
#include "platform/PrivateProfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

struct Section {
  std::string name;
  std::vector<tallix::IniEntry> entries;
};

std::vector<Section> readPlainly(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<Section> sections;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      sections.push_back({std::string(trimmed(line.substr(1, close == std::string_view::npos ? close : close - 1))), {}});
      inSection = true;
    } else if (inSection) {
      const size_t eq = line.find('=');
      tallix::IniEntry entry{std::string(eq == std::string_view::npos ? line : trimmed(line.substr(0, eq))),
                             eq == std::string_view::npos ? std::string() : std::string(trimmed(line.substr(eq + 1))),
                             eq != std::string_view::npos};
      sections.back().entries.push_back(entry);
    }
  }
  return sections;
}

bool sameEntries(const std::vector<tallix::IniEntry>& a, const std::vector<tallix::IniEntry>& b, size_t count) {
  if (a.size() != std::min(b.size(), count)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].value != b[i].value || a[i].hasValue != b[i].hasValue) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir* dir = new QTemporaryDir;
  const QString path = dir->filePath(QStringLiteral("profile.ini"));
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  out.write(reinterpret_cast<const char*>(data), qint64(size));
  out.close();

  const tallix::IniSnapshot snapshot(QFile::encodeName(path).toStdString());
  const std::vector<Section> sections = readPlainly(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> seen;
  for (const Section& section : sections) {
    if (std::find(seen.begin(), seen.end(), lower(section.name)) != seen.end()) continue;  // the first one wins
    seen.push_back(lower(section.name));
    if (!sameEntries(snapshot.sectionEntries(section.name), section.entries, section.entries.size()) ||
        !sameEntries(snapshot.sectionEntries(lower(section.name), 2), section.entries, 2))
      __builtin_trap();
    std::vector<std::string> keys;
    for (const tallix::IniEntry& entry : section.entries) {
      if (std::find(keys.begin(), keys.end(), lower(entry.name)) != keys.end()) continue;
      keys.push_back(lower(entry.name));
      std::string value, expected = entry.value;
      if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
        expected = expected.substr(1, expected.size() - 2);
      if (!snapshot.readValue(section.name, lower(entry.name), &value) || value != expected) __builtin_trap();
    }
    // A name the section does not hold is not found.
    if (std::find(keys.begin(), keys.end(), "\x01") == keys.end() && snapshot.readValue(section.name, "\x01", nullptr))
      __builtin_trap();
  }
  if (std::find(seen.begin(), seen.end(), "\x01") == seen.end() && !snapshot.sectionEntries("\x01").empty())
    __builtin_trap();
  return 0;
}
