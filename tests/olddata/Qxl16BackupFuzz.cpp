// Feeds arbitrary bytes as an old backup file to the library's reader.
//
// The starting inputs in corpus-backup are written by the exports test with
// TALLIX_OLDDATA_CORPUS set.
#include "olddata/QXL16Data.h"
#include "tests/olddata/FuzzFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tallix::test::FuzzFile file(data, size);
  qxl16_Record* chain = nullptr;
  if (qxl16_ReadBackupFile(file.path(), &chain) == 0) {
    std::size_t total = 0;
    for (const qxl16_Record* r = chain; r; r = r->next) total += r->dataLength;
    if (total > size) __builtin_trap();  // records copy, they never invent bytes
  }
  qxl16_Free(chain);
  return 0;
}
