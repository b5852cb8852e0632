// The checksum of the link's packets, also used by the program files'
// transfer blocks.
#pragma once

#include "platform/WinTypes.h"

// `start` minus every byte, kept in 0..255 at each step. With `start` 256
// (or 0) it is (256 - sum) mod 256: a packet's bytes and its checksum add up
// to 0 mod 256.
BYTE ComputeChecksum(const BYTE* bytes, DWORD count, int start);
