// Reads arbitrary text as command-list lines and as tree text, the forms of
// the command-list and tree import. Lines are split at LF; byte 0 chooses
// where the tree text is pasted (a node index, 255 for the root item).
#include "tokens/CommandTextForms.h"
#include "tokens/CommandTree.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<std::string> lines;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text = text.substr(0, text.find('\0'));
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  CQXCommandTable table;
  for (const std::string& line : lines) {
    QXCOMMANDINFO info;
    if (!ParseCommandListLine(line.c_str(), &info)) continue;
    check(std::strlen(info.listText) <= 64 && std::strlen(info.description) <= 1024);
    if (table.SetCommandInfo(&info)) {
      // The numerical form carries any characters back unchanged.
      QXCOMMANDINFO back;
      check(ParseCommandListLine(FormatCommandListLine(info, true, data[0] & 1).c_str(), &back));
      check(std::strcmp(back.characters, info.characters) == 0);
      // The text form too: quotes and separators inside texts come back.
      check(ParseCommandListLine(FormatCommandListLine(info, false, false).c_str(), &back));
      check(std::strcmp(back.characters, info.characters) == 0 && std::strcmp(back.listText, info.listText) == 0 &&
            std::strcmp(back.description, info.description) == 0);
    }
  }
  table.BuildTextIndex();
  std::vector<DWORD> found;
  table.MatchCommands(lines.front().c_str(), &found, data[0] & 2);

  CQXCommandTreeNodes nodes = {{1, "F", 0, true}, {2, "c", 0x10000, false}};
  const int first = ReadTreeText(lines, &nodes, data[0] == 255 ? -1 : data[0] % 3);
  check(first < int(nodes.size()));
  for (size_t i = 0; i < nodes.size(); ++i) {
    check(nodes[i].level >= 1 && nodes[i].level <= kTreeLevelMax &&
          (i == 0 ? nodes[i].level == 1 : nodes[i].level <= nodes[i - 1].level + 1));
    WriteTreeText(nodes, int(i));
  }
  AlignTreeWithTable(&nodes, table);
  return 0;
}
