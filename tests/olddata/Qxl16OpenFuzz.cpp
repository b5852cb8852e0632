// Feeds arbitrary bytes as an old document to the library's open and reads
// everything it offers, as the program's import would.
//
// The starting inputs in corpus-open are written by the exports test with
// TALLIX_OLDDATA_CORPUS set.
#include "olddata/QXL16Data.h"
#include "tests/olddata/FuzzFile.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tallix::test::FuzzFile file(data, size);
  qxl16_Handle h = nullptr;
  if (qxl16_Open(file.path(), &h) != 0) return 0;
  char text[64];
  qxl16_GetCalcName(h, text, sizeof text);
  qxl16_GetCalcType(h, text, sizeof text);
  for (auto get : {&qxl16_GetProgram, &qxl16_GetHardCopy, &qxl16_GetTransferData}) {
    qxl16_Position at = nullptr;
    for (;;) {
      qxl16_Record* r = nullptr;
      const int result = get(h, &at, &r);
      qxl16_Free(r);
      if (result == qxl16_EndOfList || result == qxl16_Empty || result == qxl16_BadArgument) break;
    }
  }
  qxl16_Close(h);
  return 0;
}
