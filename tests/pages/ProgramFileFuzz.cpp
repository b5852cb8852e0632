// The reader of program files (".cas", ".pg"): any input is refused or read;
// a program read writes a file that reads back to the same program.
#include "datamodel/QXProgramItem.h"
#include "pages/QXProgramFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<BYTE> dataOf(const CQXProgramItem& item) {
  std::vector<BYTE> data(item.GetLength());
  if (!data.empty() && !item.GetDataBlock(data.data(), int(data.size()))) __builtin_trap();
  return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > std::size_t(kMaxProgramFileSize)) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CQXProgramItem item;
  if (!ParseProgramFile(bytes, &item)) return 0;
  QByteArray written;
  if (!BuildProgramFile(item, &written)) __builtin_trap();
  CQXProgramItem back;
  if (!ParseProgramFile(written, &back)) __builtin_trap();
  if (dataOf(back) != dataOf(item) || back.IsBaseN() != item.IsBaseN()) __builtin_trap();
  return 0;
}
