// Helpers for driving ConvertCalcNumber the way the pages do, with byte
// strings written as "01 50 00 ..." so that expected values read like the
// layout they were worked out from.
#pragma once

#include "datamodel/CalcNumber.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace calcnum_test {

constexpr DWORD kTen = kNumConvOlder;
constexpr DWORD kNine = kNumConvNewer;
// Never produced by the encoder (0xE is only ever a high nibble beside a
// digit or 0xA), so trailing sentinels mark what was not written.
constexpr BYTE kSentinel = 0xEE;

inline std::vector<BYTE> fromHex(const std::string& hex) {
  std::vector<BYTE> out;
  unsigned v = 0;
  int n = 0;
  for (char c : hex) {
    if (c == ' ') continue;
    v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
    if (++n == 2) {
      out.push_back(static_cast<BYTE>(v));
      v = 0;
      n = 0;
    }
  }
  return out;
}

inline std::string toHex(const std::vector<BYTE>& bytes) {
  std::string s;
  char buf[4];
  for (BYTE b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    if (!s.empty()) s += ' ';
    s += buf;
  }
  return s;
}

struct TextResult {
  BOOL ok = FALSE;
  std::string text;
  DWORD flags = 0;
  DWORD error = 0;
};

// Bytes to text with a buffer of `textSize` characters.
inline TextResult toText(const std::string& hex, DWORD mode, DWORD textSize = 256) {
  std::vector<BYTE> bytes = fromHex(hex);
  std::vector<char> text(textSize, '#');
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = mode;
  r.bytes = bytes.data();
  r.bytesSize = static_cast<DWORD>(bytes.size());
  r.text = text.data();
  r.textSize = textSize;
  TextResult out;
  out.ok = ConvertCalcNumber(&r);
  out.flags = r.resultFlags;
  out.error = r.error;
  if (out.ok) {
    out.text = text.data();
  } else {
    EXPECT_EQ(text[0], '#') << "the text buffer was written on failure";
  }
  return out;
}

struct BytesResult {
  BOOL ok = FALSE;
  std::string hex;  // the bytes written
  DWORD flags = 0;
  DWORD error = 0;
  DWORD errorPos = 0;
};

// Text to bytes into a buffer of `bytesSize` bytes (the pages use 32 and 48).
inline BytesResult toBytes(const std::string& text, DWORD mode, DWORD bytesSize = 48) {
  std::vector<BYTE> bytes(bytesSize, kSentinel);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = mode | kNumConvTextToBytes;
  r.bytes = bytes.data();
  r.bytesSize = bytesSize;
  r.text = buffer.data();
  r.textSize = static_cast<DWORD>(buffer.size());
  BytesResult out;
  out.ok = ConvertCalcNumber(&r);
  out.flags = r.resultFlags;
  out.error = r.error;
  out.errorPos = r.errorPos;
  while (!bytes.empty() && bytes.back() == kSentinel) bytes.pop_back();
  out.hex = toHex(bytes);
  if (!out.ok) {
    EXPECT_EQ(out.hex, "") << "the number buffer was written on failure";
  }
  return out;
}

// Every test starts from '.' as separator, whatever the machine's locale.
class CalcNumberTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCalcNumberDecimalSeparator('.'); }
  void TearDown() override { SetCalcNumberDecimalSeparator(0); }
};

}  // namespace calcnum_test
