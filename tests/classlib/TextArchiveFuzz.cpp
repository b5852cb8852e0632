// Reads arbitrary bytes line by line. Input: the line size (first byte), the
// buffer size (second byte, plus one), then the text. Every character that is
// not a line end comes out once, in order, in pieces no longer than size - 1.
#include "classlib/OrvoTextArchive.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const UINT lineSize = data[0];
  const UINT bufferSize = UINT(data[1]) + 1;
  std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  for (char& c : text)
    if (c == '\0') c = ' ';  // a NUL would end the returned C string early
  CMemFile file(QByteArray(text.data(), qsizetype(text.size())));
  COrvoTextArchive archive(&file, CArchive::load, bufferSize);
  std::vector<char> dst(lineSize + 1u);
  std::string joined;
  std::size_t consumed = 0;
  for (;;) {
    const UINT n = archive.ReadLine(dst.data(), lineSize);
    if (n == 0) break;
    const std::string piece(dst.data());
    if (lineSize < 2 || piece.size() > lineSize - 1 || n < piece.size() || n > piece.size() + 1) __builtin_trap();
    joined += piece;
    consumed += n;
    if (consumed > text.size()) __builtin_trap();
  }
  std::string expected;
  if (lineSize >= 2)
    for (char c : text)
      if (c != '\r' && c != '\n') expected += c;
  if (joined != expected) __builtin_trap();
  return 0;
}
