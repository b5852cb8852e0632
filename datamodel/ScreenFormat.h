// The description of a calculator picture or screen image: its size, the
// order in which the calculator lays out its pixels, and the plane bytes.
// Filled from the model list ("Picture Format", "Screen Size") and by the
// picture and screen-copy items.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

struct ScreenFormat {
  std::int32_t size = 48;      // record size as the format defines it: always 48
  std::int32_t flags = 0;      // bit 0: picture (both ways); bit 1: screen copy (to bitmap only)
  std::int32_t reserved = 0;
  std::int32_t height = 0;     // rows
  std::int32_t width = 0;      // pixels per row, a multiple of 8
  std::int32_t origin = 0;     // 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right
  std::int32_t scan = 0;       // 'R', 'L', 'D' or 'U'
  std::int32_t bitOrder = 0;   // 'F' most significant bit first, 'R' least significant first
  std::int32_t ink = 0;        // 'W'
  std::int32_t planes = 0;     // 1, 3, or 4 (three colour planes and one without pixels)
  std::int32_t extra = 0;      // carried, not used by the conversion
  BYTE* data = nullptr;        // the plane bytes, owned by whoever filled the record
  DWORD dataSize = 0;          // the bytes at `data`; the conversion reads and writes no more
};
