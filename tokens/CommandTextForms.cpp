#include "tokens/CommandTextForms.h"

#include "classlib/ParseNumber.h"
#include "tokens/CommandTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool hasNonBlank(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c != ' '; });
}

// A quote inside a quoted text is written twice, so that the text reads back
// whole; reading turns each pair back into one.
std::string doubleQuotes(const char* text) {
  std::string out;
  for (const char* c = text; *c; ++c) {
    out += *c;
    if (*c == '"') out += '"';
  }
  return out;
}

std::string undoubleQuotes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;
  }
  return out;
}

}  // namespace

int SplitFields(const char* line, char separator, char quote, int maxFields, int maxLength,
                std::vector<std::string>* fields) {
  fields->clear();
  if (!line || maxFields <= 0) return 0;
  std::string field;
  auto append = [&](char c) {
    if (int(field.size()) < maxLength) field += c;
  };
  const char* p = line;
  while (*p && int(fields->size()) < maxFields) {
    if (*p == separator) {
      fields->push_back(field);
      field.clear();
      ++p;
    } else if (*p == quote) {
      append(*p++);
      while (*p) {
        if (*p == quote) {
          if (p[1] == quote) {
            append(*p++);
            append(*p++);
            continue;
          }
          append(*p++);
          break;
        }
        append(*p++);
      }
      fields->push_back(field);
      field.clear();
      if (*p == separator) ++p;
    } else {
      append(*p++);
    }
  }
  if (int(fields->size()) < maxFields && hasNonBlank(field)) fields->push_back(field);
  return int(fields->size());
}

std::string StripQuotes(const std::string& field) {
  size_t begin = 0, end = field.size();
  if (end > begin && field[begin] == '"') ++begin;
  if (end > begin && field[end - 1] == '"') --end;
  return field.substr(begin, end - begin);
}

std::string FormatCommandListLine(const QXCOMMANDINFO& info, bool numerical, bool hex) {
  std::string line = std::to_string(info.table) + ";" + std::to_string(info.number);
  if (!numerical) {
    line += ";C;\"";
    line += doubleQuotes(info.characters);
  } else {
    line += ";N;";
    char number[16];
    for (const char* c = info.characters; *c; ++c) {
      std::snprintf(number, sizeof number, hex ? "%Xh " : "%u ", unsigned(static_cast<unsigned char>(*c)));
      line += number;
    }
  }
  line += numerical ? ";\"" : "\";\"";
  line += doubleQuotes(info.listText);
  line += "\";\"";
  line += doubleQuotes(info.description);
  line += '"';
  return line;
}

bool ParseCommandListLine(const char* line, QXCOMMANDINFO* info) {
  std::vector<std::string> fields;
  if (SplitFields(line, ';', '"', 12, kCommandListFieldMax, &fields) < 4) return false;
  for (std::string& f : fields) f = undoubleQuotes(StripQuotes(f));
  int table = 0, number = 0;
  if (!ParseNumber(fields[0].c_str(), &table) || !ParseNumber(fields[1].c_str(), &number)) return false;
  if (fields[2].empty()) return false;
  std::string characters;
  if (fields[2][0] == 'N' || fields[2][0] == 'n') {
    int values[kCommandCharsMax];
    int count = 0;
    if (!ParseNumberList(fields[3].c_str(), values, kCommandCharsMax, &count)) return false;
    for (int i = 0; i < count; ++i) {
      // A zero byte would end the characters early: the line is refused
      // rather than stored cut.
      if ((values[i] & 0xFF) == 0) return false;
      characters += char(values[i] & 0xFF);
    }
  } else {
    characters = fields[3];
  }
  info->Set(table, number, characters.c_str(), fields.size() > 4 ? fields[4].c_str() : "",
            fields.size() > 5 ? fields[5].c_str() : "");
  return true;
}

std::string FormatTreeTextLine(const CQXTreeTextLine& line) {
  char head[48];
  std::snprintf(head, sizeof head, "%d;%d;%X;\"", line.command ? 1 : 0, line.level,
                unsigned(line.command ? line.value : 0));
  return head + doubleQuotes(line.label.c_str()) + "\"";
}

bool ParseTreeTextLine(const char* line, CQXTreeTextLine* out) {
  std::vector<std::string> fields;
  if (SplitFields(line, ';', '"', 5, 255, &fields) < 4 || fields[3].empty()) return false;
  out->command = std::atoi(fields[0].c_str()) != 0;
  out->level = std::min(std::atoi(fields[1].c_str()), kTreeLevelMax);
  out->value = out->command ? DWORD(std::strtoul(fields[2].c_str(), nullptr, 16)) : 0;
  // A doubled quote is one quote of the label (files of older versions
  // never double, and hold no quote inside a label but the label '"').
  out->label = undoubleQuotes(StripQuotes(fields[3]));
  return true;
}
