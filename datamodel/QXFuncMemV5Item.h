// The function memory of the newer family (5012): twenty token texts
// "1".."20".
#pragma once

#include "datamodel/QXCalcItem.h"

#include <vector>

// One function-memory slot (element type 1502): the token text without its
// terminating byte. Stored as dword length n and n bytes (no tag, no end
// mark); GetStoredSize is that true size, 4 + n. Records written by older
// versions announced n + 16 per slot in the document entry's item size; they
// load the same, since the slots are read one after the other.
class CQXFuncMemEntry : public CQXStorable {
 public:
  static constexpr int kTypeId = 1502;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 4 + GetLength(); }

  // A received text: its last (terminating) byte is dropped; a length of
  // 0 or 1 gives an empty slot.
  void SetBytes(const BYTE* data, DWORD length);
  // Replaces the text by exactly the bytes given.
  void Assign(const BYTE* data, DWORD length);
  // The text and a terminating 0; FALSE for a buffer below GetBufferSize.
  BOOL GetBytes(BYTE* buffer, DWORD size) const;
  DWORD GetBufferSize() const { return GetLength() + 1; }
  DWORD GetLength() const { return DWORD(m_bytes.size()); }
  const BYTE* GetData() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
  BOOL IsEmpty() const { return m_bytes.empty(); }

 private:
  std::vector<BYTE> m_bytes;
};

// Stored: record header (tag 5012); dword 20 (slots); dword 20 (set
// value); the twenty slots; end mark 0xFEEF1394.
class CQXFuncMemV5Item : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 5012;
  static constexpr int kCount = 20;
  CQXFuncMemV5Item() { InitEntries(); }

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10324, {}, buffer, size); }
  BOOL InitNew() override { return InitEntries(); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // Twenty empty slots.
  BOOL InitEntries();
  int GetCount() const { return int(m_entries.size()); }
  // Slot i (0-based) or null.
  CQXFuncMemEntry* GetEntry(int i);

 private:
  std::vector<CQXFuncMemEntry> m_entries;
};
