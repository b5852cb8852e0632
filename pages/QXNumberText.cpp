#include "pages/QXNumberText.h"

#include "datamodel/CalcNumber.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kMaxText = 255;
DWORD generationMode(int generation) { return generation == 1 ? kNumConvOlder : kNumConvNewer; }
UINT numberSize(int generation) { return generation == 1 ? 10 : 9; }
}  // namespace

std::string NumberBytesToText(int generation, const BYTE* bytes, bool complex, bool roundTo10Digits) {
  std::array<BYTE, 20> in{};
  const UINT size = numberSize(generation) * (complex ? 2 : 1);
  std::memcpy(in.data(), bytes, size);
  char text[256] = {};
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = generationMode(generation) | (complex ? kNumConvComplex : 0) | (roundTo10Digits ? kNumConvRound10 : 0);
  r.bytes = in.data();
  r.bytesSize = size;
  r.text = text;
  r.textSize = generation == 1 ? 256 : 255;
  if (!ConvertCalcNumber(&r)) return std::string();
  return text;
}

bool NumberTextToBytes(int generation, const std::string& text, bool complex, bool roundTo10Digits,
                       std::array<BYTE, 48>* bytes, DWORD* resultFlags) {
  std::array<char, kMaxText + 1> buffer{};
  std::memcpy(buffer.data(), text.data(), std::min(text.size(), kMaxText));
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = kNumConvTextToBytes | generationMode(generation) | (complex ? kNumConvComplex : 0) |
           (roundTo10Digits ? kNumConvRound10 : 0);
  r.bytes = bytes->data();
  r.bytesSize = generation == 1 ? 32 : 48;
  r.text = buffer.data();
  r.textSize = DWORD(buffer.size());
  if (!ConvertCalcNumber(&r)) return false;
  if (resultFlags) *resultFlags = r.resultFlags;
  return true;
}
