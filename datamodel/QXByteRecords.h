// Leaf records that carry bytes: dword tag, dword length n, n bytes (no
// record header, no end mark). The length is checked against what the
// stream holds before anything is read.
#pragma once

#include "datamodel/QXStorable.h"

#include <cstring>
#include <vector>

// The bytes of a byte record, without its framing.
class CQXByteData : public CQXLeafRecord {
 public:
  const BYTE* GetData() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
  DWORD GetLength() const { return DWORD(m_bytes.size()); }
  const std::vector<BYTE>& Bytes() const { return m_bytes; }
  // Replaces the contents with a copy of n bytes; n = 0 empties it.
  void SetData(const BYTE* bytes, DWORD n) {
    if (!bytes || n == 0)
      m_bytes.clear();
    else
      m_bytes.assign(bytes, bytes + n);
  }
  // FALSE when the buffer is smaller than the data.
  BOOL CopyTo(BYTE* buffer, DWORD size) const {
    if (size < GetLength() || (!buffer && GetLength())) return FALSE;
    if (!m_bytes.empty()) std::memcpy(buffer, m_bytes.data(), m_bytes.size());
    return TRUE;
  }
  void Clear() { m_bytes.clear(); }

 protected:
  std::vector<BYTE> m_bytes;
};

template <DWORD Tag>
class CQXByteLeaf : public CQXByteData {
 public:
  static constexpr DWORD kTag = Tag;

  void Load(COrvoArchive& ar) override { m_bytes = ReadLeafRecord(ar, Tag); }
  void Store(COrvoArchive& ar) override { WriteLeafRecord(ar, Tag, m_bytes.data(), DWORD(m_bytes.size())); }
  DWORD GetStoredSize() override { return 8 + GetLength(); }
};

// A graph function's token text.
class CQXByteBlob : public CQXByteLeaf<1003> {};
// A program's or a function memory's token text.
class CQXTextBlob : public CQXByteLeaf<1004> {};
// A third record of the same form.
class CQXByteRecord : public CQXByteLeaf<1005> {};
