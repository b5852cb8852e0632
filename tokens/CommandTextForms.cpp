#include "tokens/CommandTextForms.h"

#include "classlib/ParseNumber.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool hasNonBlank(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c != ' '; });
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
    line += info.characters;
  } else {
    line += ";N;";
    char number[16];
    for (const char* c = info.characters; *c; ++c) {
      std::snprintf(number, sizeof number, hex ? "%Xh " : "%u ", unsigned(static_cast<unsigned char>(*c)));
      line += number;
    }
  }
  line += numerical ? ";\"" : "\";\"";
  line += info.listText;
  line += "\";\"";
  line += info.description;
  line += '"';
  return line;
}

bool ParseCommandListLine(const char* line, QXCOMMANDINFO* info) {
  std::vector<std::string> fields;
  if (SplitFields(line, ';', '"', 12, 1029, &fields) < 4) return false;
  for (std::string& f : fields) f = StripQuotes(f);
  int table = 0, number = 0;
  if (!ParseNumber(fields[0].c_str(), &table) || !ParseNumber(fields[1].c_str(), &number)) return false;
  if (fields[2].empty()) return false;
  std::string characters;
  if (fields[2][0] == 'N' || fields[2][0] == 'n') {
    int values[kCommandCharsMax];
    int count = 0;
    if (!ParseNumberList(fields[3].c_str(), values, kCommandCharsMax, &count)) return false;
    for (int i = 0; i < count; ++i) characters += char(values[i] & 0xFF);
  } else {
    characters = fields[3];
  }
  // A zero byte ends the characters, as it ends every stored text.
  info->Set(table, number, characters.c_str(), fields.size() > 4 ? fields[4].c_str() : "",
            fields.size() > 5 ? fields[5].c_str() : "");
  return true;
}

std::string FormatTreeTextLine(const CQXTreeTextLine& line) {
  char head[48];
  std::snprintf(head, sizeof head, "%d;%d;%X;\"", line.command ? 1 : 0, line.level,
                unsigned(line.command ? line.value : 0));
  // An inner quote is doubled, so that the label reads back whole.
  std::string label;
  for (char c : line.label) {
    label += c;
    if (c == '"') label += '"';
  }
  return head + label + "\"";
}

bool ParseTreeTextLine(const char* line, CQXTreeTextLine* out) {
  std::vector<std::string> fields;
  if (SplitFields(line, ';', '"', 5, 255, &fields) < 4 || fields[3].empty()) return false;
  out->command = std::atoi(fields[0].c_str()) != 0;
  out->level = std::min(std::atoi(fields[1].c_str()), 16);
  out->value = out->command ? DWORD(std::strtoul(fields[2].c_str(), nullptr, 16)) : 0;
  // A doubled quote is one quote of the label (files of older versions
  // never double, and hold no quote inside a label but the label '"').
  const std::string label = StripQuotes(fields[3]);
  out->label.clear();
  for (std::size_t i = 0; i < label.size(); ++i) {
    out->label += label[i];
    if (label[i] == '"' && i + 1 < label.size() && label[i + 1] == '"') ++i;
  }
  return true;
}
