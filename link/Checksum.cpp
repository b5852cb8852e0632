#include "link/Checksum.h"

BYTE ComputeChecksum(const BYTE* bytes, DWORD count, int start) {
  int value = start;
  for (DWORD i = 0; i < count; ++i) {
    value -= bytes[i];
    if (value < 0) value += 256;
  }
  return BYTE(value & 0xFF);
}
