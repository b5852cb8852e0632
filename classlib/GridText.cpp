#include "classlib/GridText.h"

namespace tallix {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isSeparator(char c) { return c == '\t' || c == ';' || c == '\n'; }

std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isSpace(s[b])) ++b;
  while (e > b && isSpace(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSeparator(line[i])) ++i;
    if (i >= line.size()) break;
    const size_t start = i;
    while (i < line.size() && !isSeparator(line[i])) ++i;
    fields.push_back(trimmed(line.substr(start, i - start)));
  }
  return fields;
}

}  // namespace

GridTextLines parseGridText(const QByteArray& block) {
  const qsizetype nul = block.indexOf('\0');
  const std::string_view text(block.constData(), size_t(nul < 0 ? block.size() : nul));
  GridTextLines lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    if (nl != std::string_view::npos && line.empty()) line = " ";
    lines.push_back(splitFields(line));
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return lines;
}

QByteArray formatGridText(const GridTextLines& lines) {
  QByteArray out;
  for (size_t n = 0; n < lines.size(); ++n) {
    if (n) out += '\n';
    for (size_t k = 0; k < lines[n].size(); ++k) {
      if (k) out += '\t';
      out.append(lines[n][k].data(), qsizetype(lines[n][k].size()));
    }
  }
  out += '\0';
  return out;
}

}  // namespace tallix
