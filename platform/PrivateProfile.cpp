#include "platform/PrivateProfile.h"

#include "platform/AtomicFile.h"
#include "platform/OutsideFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tallix {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

std::string unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

struct Line {
  enum Kind { Other, Section, Key } kind = Other;
  std::string raw;    // the line as read, without its end-of-line
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
  bool hasValue = false;
};

struct IniFile {
  std::vector<Line> lines;
  std::string eol = "\r\n";
  bool exists = false;
  // There, but not read (no regular file, or larger than its bound): it
  // reads as empty and is never written over.
  bool unreadable = false;
};

Line parseLine(std::string raw) {
  Line line;
  line.raw = std::move(raw);
  const std::string t = trim(line.raw);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    const size_t close = t.find(']');
    line.kind = Line::Section;
    line.name = trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  line.kind = Line::Key;
  const size_t eq = t.find('=');
  if (eq == std::string::npos) {
    line.name = t;
  } else {
    line.name = trim(std::string_view(t).substr(0, eq));
    line.value = trim(std::string_view(t).substr(eq + 1));
    line.hasValue = true;
  }
  return line;
}

IniFile load(const char* fileName, std::uint64_t bound = kMaxProfileFileSize) {
  IniFile f;
  std::string data;
  OutsideFileError error = OutsideFileError::Missing;
  if (!fileName || !readOutsideFile(fileName, bound, &data, &error)) {
    f.unreadable = error != OutsideFileError::Missing;
    return f;
  }
  f.exists = true;
  std::string_view text(data);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find("\r\n") == std::string_view::npos && text.find('\n') != std::string_view::npos) f.eol = "\n";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view l = text.substr(pos, end - pos);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    f.lines.push_back(parseLine(std::string(l)));
    pos = end + 1;
  }
  return f;
}

bool save(const char* fileName, const IniFile& f) {
  QByteArray out;
  for (const Line& l : f.lines) {
    out.append(l.raw.data(), qsizetype(l.raw.size()));
    out.append(f.eol.data(), qsizetype(f.eol.size()));
  }
  return writeFileAtomically(filePathFromBytes(fileName), out);
}

// Index of the first line of the section's body and one past its last line;
// {npos, npos} when the section is missing.
std::pair<size_t, size_t> findSection(const IniFile& f, std::string_view section) {
  for (size_t i = 0; i < f.lines.size(); ++i) {
    if (f.lines[i].kind == Line::Section && sameName(f.lines[i].name, section)) {
      size_t end = i + 1;
      while (end < f.lines.size() && f.lines[end].kind != Line::Section) ++end;
      return {i + 1, end};
    }
  }
  return {std::string::npos, std::string::npos};
}

const Line* findKey(const IniFile& f, std::string_view section, std::string_view key) {
  auto [b, e] = findSection(f, section);
  if (b == std::string::npos) return nullptr;
  for (size_t i = b; i < e; ++i)
    if (f.lines[i].kind == Line::Key && sameName(f.lines[i].name, key)) return &f.lines[i];
  return nullptr;
}

// Copies one string, cut to the buffer; returns the characters copied.
DWORD copyValue(const std::string& value, char* out, DWORD size) {
  if (!out || size == 0) return 0;
  const size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return DWORD(n);
}

// Copies a NUL-separated list ending in two NULs, cut so that it still does.
DWORD copyList(const std::vector<std::string>& items, char* out, DWORD size) {
  if (!out || size == 0) return 0;
  if (size == 1) {
    out[0] = '\0';
    return 0;
  }
  size_t pos = 0;
  for (const std::string& item : items) {
    const size_t need = item.size() + 1;
    if (pos + need > size - 1) {
      // Cut: fill what fits, then end with two NULs.
      const size_t room = size - 2 - pos;
      std::memcpy(out + pos, item.data(), std::min(room, item.size()));
      out[size - 2] = '\0';
      out[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(out + pos, item.data(), item.size());
    out[pos + item.size()] = '\0';
    pos += need;
  }
  out[pos] = '\0';
  if (pos == 0 && size >= 2) out[1] = '\0';
  return DWORD(pos);
}

}  // namespace

struct IniSnapshot::Content {
  IniFile file;
};

IniSnapshot::IniSnapshot(const std::string& fileName, std::uint64_t bound) : content_(std::make_unique<Content>()) {
  content_->file = load(fileName.c_str(), bound);
}

IniSnapshot::~IniSnapshot() = default;
IniSnapshot::IniSnapshot(IniSnapshot&&) noexcept = default;
IniSnapshot& IniSnapshot::operator=(IniSnapshot&&) noexcept = default;

bool IniSnapshot::readValue(const std::string& section, const std::string& key, std::string* value) const {
  const Line* l = findKey(content_->file, section, key);
  if (!l) return false;
  if (value) *value = unquote(l->value);
  return true;
}

std::vector<IniEntry> IniSnapshot::sectionEntries(const std::string& section) const {
  std::vector<IniEntry> entries;
  const IniFile& f = content_->file;
  auto [b, e] = findSection(f, section);
  if (b == std::string::npos) return entries;
  for (size_t i = b; i < e; ++i)
    if (f.lines[i].kind == Line::Key) entries.push_back({f.lines[i].name, f.lines[i].value, f.lines[i].hasValue});
  return entries;
}

UINT IniSnapshot::readInt(const std::string& section, const std::string& key, int defaultValue) const {
  std::string value;
  if (!readValue(section, key, &value) || value.empty()) return UINT(defaultValue);
  size_t i = 0;
  bool negative = false;
  if (value[0] == '-' || value[0] == '+') {
    negative = value[0] == '-';
    i = 1;
  }
  std::uint32_t n = 0;  // wraps like the 32-bit original on overflow
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) n = n * 10u + std::uint32_t(value[i] - '0');
  return negative ? UINT(0u - n) : UINT(n);
}

bool iniReadValue(const std::string& fileName, const std::string& section, const std::string& key,
                  std::string* value) {
  return IniSnapshot(fileName).readValue(section, key, value);
}

std::vector<std::string> iniSectionNames(const std::string& fileName) {
  std::vector<std::string> names;
  for (const Line& l : load(fileName.c_str()).lines)
    if (l.kind == Line::Section) names.push_back(l.name);
  return names;
}

std::vector<IniEntry> iniSectionEntries(const std::string& fileName, const std::string& section) {
  return IniSnapshot(fileName).sectionEntries(section);
}

}  // namespace tallix

using namespace tallix;

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                              DWORD size, const char* fileName) {
  if (!out || size == 0) return 0;
  if (!section) return copyList(iniSectionNames(fileName ? fileName : ""), out, size);
  if (!key) {
    std::vector<std::string> names;
    for (const IniEntry& e : iniSectionEntries(fileName ? fileName : "", section)) names.push_back(e.name);
    return copyList(names, out, size);
  }
  std::string value;
  if (iniReadValue(fileName ? fileName : "", section, key, &value)) return copyValue(value, out, size);
  std::string def = defaultValue ? defaultValue : "";
  while (!def.empty() && def.back() == ' ') def.pop_back();
  return copyValue(def, out, size);
}

UINT GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* fileName) {
  if (!section || !key) return UINT(defaultValue);
  return IniSnapshot(fileName ? fileName : "").readInt(section, key, defaultValue);
}

DWORD GetPrivateProfileSection(const char* section, char* out, DWORD size, const char* fileName) {
  if (!out || size == 0) return 0;
  std::vector<std::string> lines;
  if (section)
    for (const IniEntry& e : iniSectionEntries(fileName ? fileName : "", section))
      lines.push_back(e.hasValue ? e.name + "=" + e.value : e.name);
  return copyList(lines, out, size);
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName) {
  if (!fileName) return FALSE;
  if (!section) return TRUE;
  IniFile f = load(fileName);
  if (f.unreadable) return FALSE;
  auto [b, e] = findSection(f, section);
  if (!key) {
    if (b == std::string::npos) return TRUE;
    f.lines.erase(f.lines.begin() + std::ptrdiff_t(b - 1), f.lines.begin() + std::ptrdiff_t(e));
    return save(fileName, f) ? TRUE : FALSE;
  }
  if (b != std::string::npos) {
    for (size_t i = b; i < e; ++i) {
      Line& l = f.lines[i];
      if (l.kind != Line::Key || !sameName(l.name, key)) continue;
      if (!value) {
        f.lines.erase(f.lines.begin() + std::ptrdiff_t(i));
      } else {
        l = parseLine(std::string(l.name) + "=" + value);
      }
      return save(fileName, f) ? TRUE : FALSE;
    }
    if (!value) return TRUE;
    // New keys go after the section's last key, before trailing blank lines.
    size_t at = e;
    while (at > b && f.lines[at - 1].kind == Line::Other && trim(f.lines[at - 1].raw).empty()) --at;
    f.lines.insert(f.lines.begin() + std::ptrdiff_t(at), parseLine(std::string(key) + "=" + value));
    return save(fileName, f) ? TRUE : FALSE;
  }
  if (!value) return TRUE;
  f.lines.push_back(parseLine("[" + std::string(section) + "]"));
  f.lines.push_back(parseLine(std::string(key) + "=" + value));
  return save(fileName, f) ? TRUE : FALSE;
}

BOOL WritePrivateProfileSection(const char* section, const char* lines, const char* fileName) {
  if (!fileName || !section) return FALSE;
  std::vector<Line> body;
  for (const char* p = lines; p && *p; p += std::strlen(p) + 1) body.push_back(parseLine(p));
  IniFile f = load(fileName);
  if (f.unreadable) return FALSE;
  auto [b, e] = findSection(f, section);
  if (b == std::string::npos) {
    f.lines.push_back(parseLine("[" + std::string(section) + "]"));
    f.lines.insert(f.lines.end(), body.begin(), body.end());
  } else {
    f.lines.erase(f.lines.begin() + std::ptrdiff_t(b), f.lines.begin() + std::ptrdiff_t(e));
    f.lines.insert(f.lines.begin() + std::ptrdiff_t(b), body.begin(), body.end());
  }
  return save(fileName, f) ? TRUE : FALSE;
}
