// Named numeric entries that travel one "VAL" header each: the values of
// V-Window, zoom factor, table range, recursion range and variable items.
//
// Stored: dword 1303; the group field (dword 8, 8 bytes); the value grid
// (entry count x 1, or empty); dword 0xFEEF0517. The entry names belong to
// the item that supplies them and are stored by it.
//
// Each entry travels as a 1 x 1 value: its header carries the counts 1 and
// 1 (0 and 0 when it is empty) and its value record the indexes (1, 1).
#pragma once

#include "datamodel/QXHeaderFields.h"
#include "datamodel/QXValueGrid.h"

class CQXVariableSet : public CQXStoredPart {
 public:
  static constexpr DWORD kTag = 1303;

  // Kind "VAL" with the given code.
  explicit CQXVariableSet(const char* code);
  CQXVariableSet(const CQXVariableSet&) = delete;
  CQXVariableSet& operator=(const CQXVariableSet&) = delete;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 4 + 12 + m_values.GetStoredSize() + 4; }

  virtual int GetCount() const { return m_count; }
  virtual const CQXStoredNameField* GetNames() const { return m_names; }
  // Entry i's name field, or null.
  virtual const CQXStoredNameField* GetEntryName(int i) const;

  // The entries' names (not owned); ResizeValues then makes the grid count x 1.
  void SetEntries(int count, const CQXStoredNameField* names);
  BOOL ResizeValues() { return m_values.SetSize(m_count, m_count ? 1 : 0); }

  // The entry whose name equals `name` as a whole padded field; -1 if none.
  int FindEntry(const char* name) const;
  // The entry named by header bytes 11-18; -1 if none.
  int FindEntry(const BYTE* header, int length) const;

  // The 50-byte header of the named entry; FALSE for an unknown name.
  BOOL BuildHeader(const char* name, BYTE* header, int length);
  BOOL BuildHeader(int entry, BYTE* header, int length);
  // Checks a received header for the named entry: "VAL", the set's code,
  // 'R' or 'C' and 0x0A at 27-28, counts below 2; an unset group must accept
  // the header's group and takes it.
  BOOL AcceptHeader(const char* name, const BYTE* header, int length);
  BOOL AcceptHeader(int entry, const BYTE* header, int length);
  // The size of the value record that follows a header: 0 when a count is
  // 0, 24 for 'C', 14 for 'R'.
  static UINT GetDataSize(const BYTE* header, int length);

  // The named entry's value record (indexes 1, 1); 0 when the entry is
  // empty or unknown or the buffer is too small.
  UINT GetValueRecord(const char* name, BYTE* out, UINT size) const;
  UINT GetValueRecord(int entry, BYTE* out, UINT size) const;
  BOOL SetValueRecord(const char* name, const BYTE* record, UINT size);
  BOOL SetValueRecord(int entry, const BYTE* record, UINT size);
  // Sets the entry that header bytes 11-18 name.
  BOOL SetFromHeader(const BYTE* header, const BYTE* record, UINT size);

  CQXGroupField& GetGroupField() { return m_group; }
  const CQXGroupField& GetGroupField() const { return m_group; }
  std::string GetCode() const { return m_kind.GetCode(); }
  CQXValueGrid& GetValues() { return m_values; }
  const CQXValueGrid& GetValues() const { return m_values; }

 private:
  CQXGroupField m_group;
  CQXReservedField m_reserved;
  CQXKindField m_kind;
  CQXValueGrid m_values;
  const CQXStoredNameField* m_names = nullptr;
  int m_count = 0;
};
