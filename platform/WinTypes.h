// The integer types and result conventions that the program's interfaces are
// written in: BOOL results (1 success, 0 failure), 32-bit DWORD/UINT values,
// HRESULT codes for storage calls.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using HRESULT = std::int32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Points and rectangles in pixels; a rectangle's right and bottom edges lie
// just outside it (width = right - left).
struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};
