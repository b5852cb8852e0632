// Calculator bytes and token words. In calculator byte order a two-byte
// token is its lead byte followed by its token byte; every other token is
// its token byte alone.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

class CQXTokenTextMap;

// One token of a calculator byte string: its word and where its bytes lie.
struct CalcByteToken {
  WORD word;
  int offset;
  int length;  // 1 or 2
};

// Splits calculator bytes into tokens. A lead byte of `map` and the byte
// after it, whatever its value (a lead byte or 0xFF included), are one
// token; every other byte is a one-byte token, and so is a lead byte at the
// very end, so that no byte is lost and the bytes come back as they were.
// Without a map every byte is a one-byte token.
std::vector<CalcByteToken> SplitCalcTokens(const BYTE* data, int length, const CQXTokenTextMap* map);

// The offset of the first one-byte token `token` in the walk above, or -1.
// A byte of that value that is the token byte of a two-byte token is not
// one: this is how the two parts of a parametric function are found at
// their separator 0xF6.
int FindOneByteToken(const BYTE* data, int length, const CQXTokenTextMap* map, BYTE token);

// The number of calculator bytes of a token word: 2 when its lead byte is
// not 0, else 1.
constexpr int CalcTokenByteCount(WORD word) { return (word & 0xFF) != 0 ? 2 : 1; }
// Appends the calculator bytes of a token word.
void AppendCalcTokenBytes(WORD word, std::string* out);
