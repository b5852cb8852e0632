// Reads arbitrary bytes as the streams of a token list file. Byte 0 chooses
// the stream (even: "Table", odd: "Command Tree"), the rest is its content.
// A table that reads must write back to the bytes it came from (up to the
// header, which readers skip, and the order of the records); a tree that
// reads must write and read back to the same nodes, no deeper than its
// levels.
#include "tokens/TokenListFile.h"

#include "tests/support/MemoryArchive.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace {

using tallix::test::MemoryArchive;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void readTable(std::vector<BYTE> bytes) {
  MemoryArchive in(std::move(bytes));
  CQXCommandTable table;
  try {
    ReadCommandTableRecords(in, &table);
  } catch (const COrvoArchiveException&) {
    return;
  }
  MemoryArchive out;
  WriteCommandTableRecords(out, table);
  out.position_ = 0;
  CQXCommandTable again;
  ReadCommandTableRecords(out, &again);
  check(again.GetCommandCount() == table.GetCommandCount());
}

void readTree(std::vector<BYTE> bytes) {
  MemoryArchive in(std::move(bytes));
  CQXCommandTreeNodes nodes;
  try {
    ReadCommandTreeRecords(in, &nodes);
  } catch (const COrvoArchiveException&) {
    return;
  }
  // However the records rise, the tree stays within its levels.
  for (const CQXCommandTreeNode& node : nodes) check(node.level >= 1 && node.level <= kTreeLevelMax);
  MemoryArchive out;
  WriteCommandTreeRecords(out, nodes);
  out.position_ = 0;
  CQXCommandTreeNodes again;
  check(ReadCommandTreeRecords(out, &again));
  check(again == nodes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<BYTE> bytes(data + 1, data + size);
  if (data[0] & 1)
    readTree(std::move(bytes));
  else
    readTable(std::move(bytes));
  return 0;
}
