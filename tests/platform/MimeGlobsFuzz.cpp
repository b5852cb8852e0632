// Feeds arbitrary bytes to the readers of the desktop's MIME database: as a
// compiled glob list and as a package file.
#include "platform/DesktopMime.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  // Every pattern found names its type and is not empty.
  for (const auto& globs : {tallix::readMimeGlobList(bytes), tallix::readMimePackage(bytes)})
    for (const tallix::MimeGlob& g : globs)
      if (g.type.isEmpty() || g.pattern.isEmpty()) __builtin_trap();
  return 0;
}
