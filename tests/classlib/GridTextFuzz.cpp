// Feeds arbitrary clipboard blocks to the grid's text reader; what it reads
// must survive being written and read again.
#include "classlib/GridText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray block(reinterpret_cast<const char*>(data), qsizetype(size));
  const tallix::GridTextLines lines = tallix::parseGridText(block);
  for (const auto& line : lines)
    for (const std::string& field : line)
      if (field.find_first_of("\t;\n") != std::string::npos || field.find('\0') != std::string::npos)
        __builtin_trap();
  const QByteArray written = tallix::formatGridText(lines);
  if (written.isEmpty() || written.back() != '\0') __builtin_trap();
  const tallix::GridTextLines again = tallix::parseGridText(written);
  // Empty fields vanish on reading; every non-empty one comes back.
  const auto nonEmpty = [](const std::vector<std::string>& line) {
    std::vector<std::string> kept;
    for (const std::string& f : line)
      if (!f.empty()) kept.push_back(f);
    return kept;
  };
  if (again.size() != lines.size()) __builtin_trap();
  for (size_t n = 0; n < lines.size(); ++n)
    if (nonEmpty(lines[n]) != nonEmpty(again[n])) __builtin_trap();
  return 0;
}
