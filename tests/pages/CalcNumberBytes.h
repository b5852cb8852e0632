// The stored bytes of numbers typed as text, for tests that build items by
// hand.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "datamodel/CalcNumber.h"
#include "datamodel/QXValueGrid.h"

namespace tallix::test {

// Text to the bytes of a number of generation 1 (10 bytes) or 2 (9).
inline std::vector<BYTE> bytesOf(int generation, const char* text, bool complex = false) {
  std::array<BYTE, 48> out{};
  std::string buffer(text);
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = kNumConvTextToBytes | (generation == 1 ? kNumConvOlder : kNumConvNewer) | (complex ? kNumConvComplex : 0);
  r.bytes = out.data();
  r.bytesSize = generation == 1 ? 32 : 48;
  r.text = buffer.data();
  r.textSize = DWORD(buffer.size() + 1);
  EXPECT_TRUE(ConvertCalcNumber(&r)) << text;
  const size_t n = (generation == 1 ? 10 : 9) * ((r.resultFlags & kNumConvResultComplex) ? 2 : 1);
  return std::vector<BYTE>(out.begin(), out.begin() + long(n));
}

// A real value grid cell's record at (a, b).
inline void putOld(CQXValueGrid& values, int a, int b, const std::vector<BYTE>& number) {
  BYTE record[14] = {0, BYTE(a), 0, BYTE(b)};
  std::memcpy(record + 4, number.data(), 10);
  ASSERT_TRUE(values.SetCellRecord(a, b, record, 14));
}

// The 10 bytes of the real part of cell (a, b).
inline std::vector<BYTE> oldValue(const CQXValueGrid& values, int a, int b) {
  const CQXNumberCell* cell = values.GetCell(a, b);
  return std::vector<BYTE>(cell->GetReal(), cell->GetReal() + 10);
}

}  // namespace tallix::test
