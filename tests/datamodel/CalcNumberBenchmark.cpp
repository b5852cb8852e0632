// Conversions per second in both directions, over a spread of values the
// pages show: integers, decimals, small and large exponents, complex values
// and fractions.
#include "datamodel/CalcNumber.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

const std::array<const char*, 8> kTexts = {
    "1.5", "-123456789012345", "0.000123", "1.23E-20", "9.87654321012345E99", "2.5-0.5i", "-1/1/2", "42",
};

struct Sample {
  std::array<BYTE, 20> bytes{};
  char text[32]{};
};

std::vector<Sample> samples(DWORD form) {
  std::vector<Sample> out;
  for (const char* t : kTexts) {
    Sample s;
    std::strcpy(s.text, t);
    CQXNumConvRequest r{};
    r.size = sizeof r;
    r.mode = form | kNumConvComplex | kNumConvTextToBytes;
    r.bytes = s.bytes.data();
    r.bytesSize = static_cast<DWORD>(s.bytes.size());
    r.text = s.text;
    r.textSize = sizeof s.text;
    if (ConvertCalcNumber(&r)) out.push_back(s);
  }
  return out;
}

void TextToBytes(benchmark::State& state, DWORD form) {
  SetCalcNumberDecimalSeparator('.');
  std::vector<Sample> in = samples(form);
  std::array<BYTE, 48> bytes{};
  std::size_t i = 0;
  for (auto _ : state) {
    Sample& s = in[i++ % in.size()];
    CQXNumConvRequest r{};
    r.size = sizeof r;
    r.mode = form | kNumConvComplex | kNumConvTextToBytes;
    r.bytes = bytes.data();
    r.bytesSize = static_cast<DWORD>(bytes.size());
    r.text = s.text;
    r.textSize = sizeof s.text;
    benchmark::DoNotOptimize(ConvertCalcNumber(&r));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BytesToText(benchmark::State& state, DWORD form, DWORD extra) {
  SetCalcNumberDecimalSeparator('.');
  std::vector<Sample> in = samples(form);
  char text[256];
  std::size_t i = 0;
  for (auto _ : state) {
    Sample& s = in[i++ % in.size()];
    CQXNumConvRequest r{};
    r.size = sizeof r;
    r.mode = form | extra;
    r.bytes = s.bytes.data();
    r.bytesSize = static_cast<DWORD>(s.bytes.size());
    r.text = text;
    r.textSize = sizeof text;
    benchmark::DoNotOptimize(ConvertCalcNumber(&r));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK_CAPTURE(TextToBytes, ten_byte, kNumConvOlder);
BENCHMARK_CAPTURE(TextToBytes, nine_byte, kNumConvNewer);
BENCHMARK_CAPTURE(BytesToText, ten_byte, kNumConvOlder, 0u);
BENCHMARK_CAPTURE(BytesToText, nine_byte, kNumConvNewer, 0u);
BENCHMARK_CAPTURE(BytesToText, ten_byte_rounded, kNumConvOlder, kNumConvRound10);

BENCHMARK_MAIN();
