// Reading and writing fixed-width numbers in a given byte order: stored
// records and compound files are little-endian, link headers and link data
// records big-endian.
#pragma once

#include "platform/WinTypes.h"

inline WORD GetLittleEndian16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }
inline void PutLittleEndian16(BYTE* p, unsigned v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
}
inline DWORD GetLittleEndian32(const BYTE* p) {
  return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
inline void PutLittleEndian32(BYTE* p, DWORD v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
  p[2] = BYTE(v >> 16);
  p[3] = BYTE(v >> 24);
}

inline unsigned GetBigEndian16(const BYTE* p) { return unsigned(p[0]) << 8 | p[1]; }
inline DWORD GetBigEndian32(const BYTE* p) {
  return DWORD(p[0]) << 24 | DWORD(p[1]) << 16 | DWORD(p[2]) << 8 | p[3];
}
inline void PutBigEndian16(BYTE* p, unsigned v) {
  p[0] = BYTE(v >> 8);
  p[1] = BYTE(v);
}
inline void PutBigEndian32(BYTE* p, DWORD v) {
  p[0] = BYTE(v >> 24);
  p[1] = BYTE(v >> 16);
  p[2] = BYTE(v >> 8);
  p[3] = BYTE(v);
}
