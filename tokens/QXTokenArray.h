// The tokens of one editor: a growable array of 32-bit elements. Bits 0-15
// hold the token word (low byte the lead byte, 0 for a one-byte token; high
// byte the token byte), bit 16 is the editor's selection mark, bits 17-31
// are zero. Readers of tokens mask with kTokenWordMask.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>

#include <vector>

inline constexpr DWORD kTokenWordMask = 0xFFFF;
inline constexpr DWORD kTokenSelectedBit = 0x10000;

// The token word of a one-byte token and of a two-byte token.
constexpr WORD MakeTokenWord(BYTE lead, BYTE token) { return WORD(token << 8 | lead); }

class CQXTokenArray {
 public:
  // Storage grows by this many elements at a time.
  static constexpr int kGrowBy = 200;

  int GetSize() const { return int(m_elements.size()); }
  // `i` must be below the size.
  DWORD GetAt(int i) const { return m_elements[std::size_t(i)]; }
  void SetAt(int i, DWORD value) { m_elements[std::size_t(i)] = value; }
  const DWORD* GetData() const { return m_elements.data(); }

  void Add(DWORD value);
  // At the size it appends; otherwise the elements from `i` on move up.
  void InsertAt(int i, DWORD value);
  // Removes the elements from the smaller to the larger of `a` and `b`, both
  // included (cut to the array).
  void RemoveRange(int a, int b);
  // Size 0 and storage freed.
  void RemoveAll();

 private:
  void Reserve();

  std::vector<DWORD> m_elements;
};
