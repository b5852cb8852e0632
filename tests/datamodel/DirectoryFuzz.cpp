// Feeds arbitrary bytes to the reader of the item store's "Directory".
#include "datamodel/OrvoStoreNode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  COrvoStoreNode root;
  root.id = 1;
  root.flags = kNodeFolder;
  DWORD next = 0;
  char separator = 0;
  if (DecodeDirectory(data, size, &root, &next, &separator) == 0) {
    // What was read writes back to a directory of the same tree.
    const std::vector<BYTE> again = EncodeDirectory(root, next, separator);
    COrvoStoreNode copy;
    copy.id = 1;
    DWORD next2 = 0;
    char sep2 = 0;
    if (DecodeDirectory(again.data(), again.size(), &copy, &next2, &sep2) != 0) __builtin_trap();
  }
  return 0;
}
