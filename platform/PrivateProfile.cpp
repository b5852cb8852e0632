#include "platform/PrivateProfile.h"

#include "platform/AtomicFile.h"
#include "platform/OutsideFile.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>

namespace tallix {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
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
  std::string data;  // the file as read
  std::vector<Line> lines;
  std::string eol = "\r\n";
  bool exists = false;
  // There, but not read (no regular file, or larger than its bound): it
  // reads as empty and is never written over.
  bool unreadable = false;
};

// What a line is, as views into it: a section header (its name), a key
// (name and value, both trimmed) or anything else (blank, comment).
struct LineView {
  Line::Kind kind = Line::Other;
  std::string_view name, value;
  bool hasValue = false;
};

LineView classify(std::string_view raw) {
  LineView line;
  const std::string_view t = trimView(raw);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    const size_t close = t.find(']');
    line.kind = Line::Section;
    line.name = trimView(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return line;
  }
  line.kind = Line::Key;
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    line.name = t;
  } else {
    line.name = trimView(t.substr(0, eq));
    line.value = trimView(t.substr(eq + 1));
    line.hasValue = true;
  }
  return line;
}

Line parseLine(std::string raw) {
  const LineView view = classify(raw);
  Line line;
  line.kind = view.kind;
  line.name = std::string(view.name);
  line.value = std::string(view.value);
  line.hasValue = view.hasValue;
  line.raw = std::move(raw);
  return line;
}

// The file's bytes.
IniFile load(const char* fileName, std::uint64_t bound = kMaxProfileFileSize) {
  IniFile f;
  std::string data;
  OutsideFileError error = OutsideFileError::Missing;
  if (!fileName || !readOutsideFile(fileName, bound, &data, &error)) {
    f.unreadable = error != OutsideFileError::Missing;
    return f;
  }
  f.exists = true;
  f.data = std::move(data);
  return f;
}

// The text of the file's bytes, without a byte-order mark.
std::string_view textOf(std::string_view data) {
  std::string_view text = data;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

// The whole file as lines, as the writers keep it.
IniFile loadLines(const char* fileName) {
  IniFile f = load(fileName);
  const std::string_view text = textOf(f.data);
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
      // Cut: fill what fits, then end with two NULs. A list that reached
      // the last character has no room left at all.
      const size_t room = pos < size - 2 ? size - 2 - pos : 0;
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

// Lines of sections that snapshots have read since the start.
std::atomic<std::uint64_t> sectionLinesRead{0};

// FNV-1a over the lower-case bytes.
constexpr std::uint32_t kNameHashStart = 2166136261u;
std::uint32_t nameHashStep(std::uint32_t h, char c) { return (h ^ std::uint8_t(lowerAscii(c))) * 16777619u; }

std::uint32_t nameHash(std::string_view name) {
  std::uint32_t h = kNameHashStart;
  for (char c : name) h = nameHashStep(h, c);
  return h;
}

// Lines found by their name without regard to ASCII case, the first line of
// a name when several have it: the hashes of the names with the lines'
// places in a text, whose names `nameOf(place)` reads again from the text.
// Lines are added in the order of the text, then put once into buckets by
// the top bits of their hash (about one line a bucket), keeping that order
// within a bucket: two sweeps through the lines, so that indexing a file of
// a few hundred thousand sections costs about what reading it does.
class NameIndex {
 public:
  void add(std::string_view name, size_t place) { add(nameHash(name), place); }
  void add(std::uint32_t hash, size_t place) { entries_.push_back({hash, std::uint32_t(place)}); }
  void reserve(size_t n) { entries_.reserve(n); }
  // Sorts what was added into its buckets; finds answer from then on.
  void finish() {
    if (entries_.size() < 16) return;  // a few: looked through in order
    bits_ = std::min(int(std::bit_width(entries_.size())) - 1, 24);
    start_.assign((size_t(1) << bits_) + 1, 0);
    for (const Entry& e : entries_) ++start_[bucket(e.hash) + 1];
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    std::vector<Entry> sorted(entries_.size());
    std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
    for (const Entry& e : entries_) sorted[next[bucket(e.hash)]++] = e;
    entries_.swap(sorted);
  }
  // The place of the first line named `name`, or npos.
  template <class NameOf>
  size_t find(std::string_view name, const NameOf& nameOf) const {
    const std::uint32_t hash = nameHash(name);
    size_t from = 0, to = entries_.size();
    if (!start_.empty()) {
      from = start_[bucket(hash)];
      to = start_[bucket(hash) + 1];
    }
    for (size_t i = from; i < to; ++i)
      if (entries_[i].hash == hash && sameName(nameOf(entries_[i].place), name)) return entries_[i].place;
    return std::string::npos;
  }

 private:
  struct Entry {
    std::uint32_t hash;
    std::uint32_t place;
  };
  size_t bucket(std::uint32_t hash) const { return bits_ == 0 ? 0 : hash >> (32 - bits_); }
  std::vector<Entry> entries_;       // in the text's order within each bucket
  std::vector<std::uint32_t> start_;  // where each bucket starts; empty while unsorted
  int bits_ = 0;
};

}  // namespace

// The file's bytes with the first section line of each name found, and the
// keys of each section asked for a key.
struct IniSnapshot::Content {
  std::string data;
  std::string_view text;  // at most 4 GiB - 1 of it, far beyond any INI file
  NameIndex sections;
  std::map<size_t, NameIndex> keys;  // by the place of the section's line

  // The line at `at`, without its end.
  std::string_view lineAt(size_t at) const {
    const void* nl = std::memchr(text.data() + at, '\n', text.size() - at);
    std::string_view line = text.substr(at, nl ? size_t(static_cast<const char*>(nl) - text.data()) - at : std::string_view::npos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  size_t nextLine(size_t at) const {
    const void* nl = std::memchr(text.data() + at, '\n', text.size() - at);
    return nl ? size_t(static_cast<const char*>(nl) - text.data()) + 1 : text.size();
  }
  std::string_view nameAt(size_t at) const { return classify(lineAt(at)).name; }

  // Section lines are lines whose first character other than a blank is
  // '['; only the '[' are looked at to find them, not every line.
  void indexSections() {
    const char* const bytes = text.data();
    const size_t size = text.size();
    sections.reserve(size / 3 + 1);  // a section line takes three bytes at least
    size_t from = 0;
    while (from < size) {
      const void* hit = std::memchr(bytes + from, '[', size - from);
      if (!hit) break;
      const size_t at = size_t(static_cast<const char*>(hit) - bytes);
      size_t start = at;
      while (start > 0 && isBlank(bytes[start - 1])) --start;
      if (start > 0 && bytes[start - 1] != '\n') {
        from = at + 1;
        continue;
      }
      // The name runs to the first ']' or, without one, to the line's end
      // less a '\r' before it (as classify() reads it), without the blanks
      // around it; it is hashed as it is read, up to its last character
      // other than a blank.
      size_t i = at + 1;
      while (i < size && isBlank(bytes[i])) ++i;
      std::uint32_t hash = kNameHashStart, nameHashed = hash;
      for (; i < size; ++i) {
        const char c = bytes[i];
        if (c == ']' || c == '\n') break;
        hash = nameHashStep(hash, c);
        if (!isBlank(c) && (c != '\r' || (i + 1 < size && bytes[i + 1] != '\n'))) nameHashed = hash;
      }
      sections.add(nameHashed, start);
      const void* nl = i < size && bytes[i] == ']' ? std::memchr(bytes + i, '\n', size - i) : bytes + i;
      from = nl ? size_t(static_cast<const char*>(nl) - bytes) + 1 : size;
    }
    sections.finish();
  }

  // The place of the first section line of `name`, or npos.
  size_t section(std::string_view name) const {
    return sections.find(name, [this](size_t at) { return nameAt(at); });
  }

  // Hands `f` the place and the parts of each key line of the section at
  // `section`, in order, while it returns true.
  template <class F>
  void forEachKey(size_t section, const F& f) const {
    std::uint64_t lines = 0;
    for (size_t at = nextLine(section), eol = at; at < text.size(); at = eol + 1) {
      const void* nl = std::memchr(text.data() + at, '\n', text.size() - at);
      eol = nl ? size_t(static_cast<const char*>(nl) - text.data()) : text.size();
      std::string_view raw = text.substr(at, eol - at);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      const LineView line = classify(raw);
      ++lines;
      if (line.kind == Line::Section || (line.kind == Line::Key && !f(at, line))) break;
    }
    sectionLinesRead.fetch_add(lines, std::memory_order_relaxed);
  }

  // The first key line of `key` in the first section of `section`.
  bool findKey(std::string_view section, std::string_view key, LineView* found) {
    const size_t at = this->section(section);
    if (at == std::string::npos) return false;
    const auto nameOf = [this](size_t place) { return nameAt(place); };
    const auto [it, added] = keys.try_emplace(at);
    NameIndex& index = it->second;
    if (added) {
      forEachKey(at, [&index](size_t place, const LineView& line) {
        index.add(line.name, place);
        return true;
      });
      index.finish();
    }
    const size_t place = index.find(key, nameOf);
    if (place == std::string::npos) return false;
    *found = classify(lineAt(place));
    return true;
  }
};

IniSnapshot::IniSnapshot(const std::string& fileName, std::uint64_t bound) : content_(std::make_unique<Content>()) {
  content_->data = load(fileName.c_str(), bound).data;
  content_->text = textOf(content_->data).substr(0, std::numeric_limits<std::uint32_t>::max() - 1);
  content_->indexSections();
}

IniSnapshot::~IniSnapshot() = default;
IniSnapshot::IniSnapshot(IniSnapshot&&) noexcept = default;
IniSnapshot& IniSnapshot::operator=(IniSnapshot&&) noexcept = default;

bool IniSnapshot::readValue(const std::string& section, const std::string& key, std::string* value) const {
  LineView line;
  if (!content_->findKey(section, key, &line)) return false;
  if (value) *value = unquote(std::string(line.value));
  return true;
}

std::vector<IniEntry> IniSnapshot::sectionEntries(const std::string& section, size_t limit) const {
  std::vector<IniEntry> entries;
  if (limit == 0) return entries;
  forEachEntry(section, [&](std::string_view name, std::string_view value, bool hasValue) {
    entries.push_back({std::string(name), std::string(value), hasValue});
    return entries.size() < limit;
  });
  return entries;
}

void IniSnapshot::forEachEntry(const std::string& section, const EntryVisitor& visit) const {
  const size_t at = content_->section(section);
  if (at == std::string::npos) return;
  content_->forEachKey(at, [&visit](size_t, const LineView& line) { return visit(line.name, line.value, line.hasValue); });
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
  for (const Line& l : loadLines(fileName.c_str()).lines)
    if (l.kind == Line::Section) names.push_back(l.name);
  return names;
}

std::vector<IniEntry> iniSectionEntries(const std::string& fileName, const std::string& section) {
  return IniSnapshot(fileName).sectionEntries(section);
}

std::uint64_t iniSectionLinesRead() { return sectionLinesRead.load(std::memory_order_relaxed); }

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
  IniFile f = loadLines(fileName);
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
    while (at > b && f.lines[at - 1].kind == Line::Other && trimView(f.lines[at - 1].raw).empty()) --at;
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
  IniFile f = loadLines(fileName);
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
