// Fuzz target for the number converter: stored bytes from files and links,
// and typed text, must never be read or written outside their buffers, and a
// failure must leave the output untouched.
//
// Input: byte 0 selects the form, direction, complex and rounding bits;
// byte 1 is the output buffer size; the rest is the number bytes or the text.
#include "datamodel/CalcNumber.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  SetCalcNumberDecimalSeparator((data[0] & 0x20) ? ',' : '.');
  const std::uint8_t sel = data[0];
  const DWORD outSize = data[1];
  DWORD mode = (sel & 1) ? kNumConvOlder : kNumConvNewer;
  if (sel & 2) mode |= kNumConvComplex;
  if (sel & 4) mode |= kNumConvRound10;
  const bool toBytes = (sel & 8) != 0;
  std::vector<std::uint8_t> payload(data + 2, data + size);

  CQXNumConvRequest r{};
  r.size = sizeof r;
  if (toBytes) {
    // The text exactly as long as its buffer, with or without a terminator.
    std::vector<char> text(payload.begin(), payload.end());
    if (sel & 0x10) text.push_back('\0');
    std::vector<BYTE> bytes(outSize, 0xEE);
    r.mode = mode | kNumConvTextToBytes;
    r.text = text.data();
    r.textSize = static_cast<DWORD>(text.size());
    r.bytes = bytes.data();
    r.bytesSize = outSize;
    if (!ConvertCalcNumber(&r)) {
      for (BYTE b : bytes)
        if (b != 0xEE) std::abort();
    }
  } else {
    std::vector<char> text(outSize, '#');
    r.mode = mode;
    r.bytes = payload.data();
    r.bytesSize = static_cast<DWORD>(payload.size());
    r.text = text.data();
    r.textSize = outSize;
    if (ConvertCalcNumber(&r)) {
      if (std::memchr(text.data(), '\0', text.size()) == nullptr) std::abort();
    } else {
      for (char c : text)
        if (c != '#') std::abort();
    }
  }
  return 0;
}
