// Calculator numbers of the older family with their place in a grid: the
// number cell (stored leaf record 1002, link data record of 14 or 24 bytes)
// and the value grid (record 1302) that lists, matrices, equations and
// value sets keep their numbers in.
#pragma once

#include "datamodel/QXStorable.h"

#include <array>
#include <vector>

// One calculator number (the 10-byte form; a complex value has a second 10
// bytes) with its first index (row) and second index (column), each 1-255.
//
// Stored: dword 1002; dword 22 (empty or real) or 32 (complex); dword kind;
// dword second index; dword first index; 10 bytes real; 10 bytes imaginary
// for a complex value.
//
// Link data record: bytes 0-1 first index, 2-3 second index (big-endian),
// 4-13 the real part, 14-23 the imaginary part (24-byte records only).
class CQXNumberCell : public CQXLeafRecord {
 public:
  static constexpr DWORD kTag = 1002;
  enum Kind : DWORD { kEmpty = 0, kReal = 1, kComplex = 2 };
  static constexpr UINT kNumberSize = 10;
  static constexpr UINT kRealRecordSize = 14;
  static constexpr UINT kComplexRecordSize = 24;

  CQXNumberCell() = default;
  CQXNumberCell(int first, int second) : m_first(DWORD(first)), m_second(DWORD(second)) {}

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return m_kind == kComplex ? 40 : 30; }

  DWORD GetKind() const { return m_kind; }
  BOOL IsEmpty() const { return m_kind == kEmpty; }
  int GetFirst() const { return int(m_first); }
  int GetSecond() const { return int(m_second); }
  const BYTE* GetReal() const { return m_real.data(); }
  const BYTE* GetImaginary() const { return m_imaginary.data(); }
  // 20 for a complex value, 10 otherwise.
  UINT GetValueSize() const { return m_kind == kComplex ? 20 : 10; }
  // Sets a real value (imaginary null) or a complex one.
  void SetValue(const BYTE* real, const BYTE* imaginary);
  void Clear();

  // A record of 14 or 24 bytes with both indexes 1-255, the high nibble of
  // each value's first byte 0, and indexes (1, 1) for a complex record.
  static BOOL IsValidRecord(const BYTE* record, UINT size);
  static int RecordFirst(const BYTE* record) { return int(record[0]) << 8 | record[1]; }
  static int RecordSecond(const BYTE* record) { return int(record[2]) << 8 | record[3]; }
  // Takes the value of an accepted record: complex for 24 bytes, else real.
  // The cell keeps its own indexes.
  BOOL SetFromRecord(const BYTE* record, UINT size);
  // Writes the record with the given indexes: 24 bytes for a complex value,
  // else 14; returns the size, 0 when the buffer is too small.
  UINT GetRecord(BYTE* out, UINT size, int first, int second) const;
  UINT GetRecordSize() const { return m_kind == kComplex ? kComplexRecordSize : kRealRecordSize; }

  bool operator==(const CQXNumberCell& o) const {
    return m_kind == o.m_kind && m_first == o.m_first && m_second == o.m_second && m_real == o.m_real &&
           m_imaginary == o.m_imaginary;
  }

 private:
  DWORD m_kind = kEmpty;
  DWORD m_first = 0;
  DWORD m_second = 0;
  std::array<BYTE, kNumberSize> m_real{};
  std::array<BYTE, kNumberSize> m_imaginary{};
};

// N1 x N2 number cells, N1 and N2 each 1-255 (or both 0: empty). Cell (a, b)
// lies at index (b-1) x N1 + a-1.
//
// Stored: dword 1302; dword N2; dword N1; the N1 x N2 cell records in index
// order, each carrying its own position; dword 0xFEEF0516.
class CQXValueGrid : public CQXStoredPart {
 public:
  static constexpr DWORD kTag = 1302;
  static constexpr int kMaxCount = 255;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // Refuses either size above 255, or one 0 without the other; the old cells
  // are dropped and every cell (a, b) is created empty. Running out of memory
  // throws std::bad_alloc with the grid unchanged.
  BOOL SetSize(int n1, int n2);
  int GetFirstCount() const { return m_n1; }
  int GetSecondCount() const { return m_n2; }
  BOOL IsEmpty() const { return m_cells.empty(); }
  BOOL Contains(int a, int b) const { return a >= 1 && a <= m_n1 && b >= 1 && b <= m_n2; }
  CQXNumberCell* GetCell(int a, int b);
  const CQXNumberCell* GetCell(int a, int b) const;
  // The link record of cell (a, b) with its own indexes; 0 when the cell
  // does not exist or the buffer is too small.
  UINT GetCellRecord(int a, int b, BYTE* out, UINT size) const;
  // Sets cell (a, b) from an accepted record; FALSE outside the grid.
  BOOL SetCellRecord(int a, int b, const BYTE* record, UINT size);
  // Sets the cell that the record's own indexes name; a record whose
  // indexes lie outside the grid is refused.
  BOOL SetCellFromRecord(const BYTE* record, UINT size);
  // FALSE only for an empty cell inside the grid.
  BOOL ValidateCell(int a, int b) const;
  // Every cell (1..N1, 1) is valid.
  BOOL ValidateAll() const;

  bool operator==(const CQXValueGrid& o) const { return m_n1 == o.m_n1 && m_n2 == o.m_n2 && m_cells == o.m_cells; }

 private:
  int m_n1 = 0;
  int m_n2 = 0;
  std::vector<CQXNumberCell> m_cells;
};
