// MulDiv: a * b / c in 64 bits, rounded half away from zero; -1 when c is 0
// or the result does not fit in 32 bits, as the platform answers.
#pragma once

#include <cstdint>
#include <limits>

inline int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const std::uint64_t p = product < 0 ? std::uint64_t(-product) : std::uint64_t(product);
  const std::uint64_t d = c < 0 ? std::uint64_t(-std::int64_t(c)) : std::uint64_t(c);
  const std::uint64_t q = (p + d / 2) / d;
  if (q > std::uint64_t(std::numeric_limits<int>::max())) return -1;
  return negative ? -int(q) : int(q);
}
