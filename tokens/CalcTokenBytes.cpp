#include "tokens/CalcTokenBytes.h"

#include "tokens/QXTokenArray.h"
#include "tokens/QXTokenTextMap.h"

std::vector<CalcByteToken> SplitCalcTokens(const BYTE* data, int length, const CQXTokenTextMap* map) {
  std::vector<CalcByteToken> tokens;
  if (!data || length <= 0) return tokens;
  tokens.reserve(std::size_t(length));
  for (int i = 0; i < length; ++i) {
    const BYTE b = data[i];
    if (map && map->IsLeadByte(b) && i + 1 < length) {
      tokens.push_back({MakeTokenWord(b, data[i + 1]), i, 2});
      ++i;
    } else {
      tokens.push_back({MakeTokenWord(0, b), i, 1});
    }
  }
  return tokens;
}

int FindOneByteToken(const BYTE* data, int length, const CQXTokenTextMap* map, BYTE token) {
  for (const CalcByteToken& t : SplitCalcTokens(data, length, map))
    if (t.length == 1 && data[t.offset] == token) return t.offset;
  return -1;
}

void AppendCalcTokenBytes(WORD word, std::string* out) {
  if (word & 0xFF) out->push_back(static_cast<char>(word & 0xFF));
  out->push_back(static_cast<char>(word >> 8));
}
