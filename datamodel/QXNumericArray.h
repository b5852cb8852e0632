// The table of calculator numbers that every numeric item of the newer
// family is built on: rows x columns 9-byte numbers, row by row, with an
// optional second table of imaginary parts. Elements are counted from 1.
#pragma once

#include "datamodel/QXCalcItem.h"

#include <cstdint>
#include <string>
#include <vector>

class CQXNumericArray : public CQXCalcItem {
 public:
  static constexpr DWORD kElementSize = 9;
  static constexpr DWORD kMaxSide = 65535;
  enum Shape : DWORD { kList = 1, kMatrix = 2, kValues = 3 };

  // Stored item record: record header (tag = type id), the item's own
  // fields, the array, end mark 0xFEEF0000 | type id. The array: dword 9,
  // dword shape, dword rows, dword columns, dword n and n real bytes, dword m
  // and m imaginary bytes; each part is empty or exactly 9 x rows x columns.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // Frees both parts and sets the size; FALSE for a side above 65535.
  BOOL SetDimensions(DWORD rows, DWORD columns);
  DWORD GetRows() const { return m_rows; }
  DWORD GetColumns() const { return m_columns; }
  // The fixed size (the item's InitValues); 0 x 0 for a size from the data.
  BOOL InitValues() { return SetDimensions(m_fixedRows, m_fixedColumns); }
  DWORD GetFixedRows() const { return m_fixedRows; }
  DWORD GetFixedColumns() const { return m_fixedColumns; }

  // n (at most 9) bytes of element (r, c); the part is made, zeroed, on first
  // use. FALSE for an element outside the table.
  BOOL SetReal(DWORD r, DWORD c, const BYTE* bytes, DWORD n);
  BOOL SetImag(DWORD r, DWORD c, const BYTE* bytes, DWORD n);
  // FALSE also when the part does not exist.
  BOOL GetReal(DWORD r, DWORD c, BYTE* buffer, DWORD n) const;
  BOOL GetImag(DWORD r, DWORD c, BYTE* buffer, DWORD n) const;
  // 18 bytes: the real then the imaginary part; Get needs both parts.
  BOOL GetComplex(DWORD r, DWORD c, BYTE* buffer) const;
  BOOL SetComplex(DWORD r, DWORD c, const BYTE* bytes);

  BOOL IsShape1() const { return m_shape == kList; }
  BOOL IsShape2() const { return m_shape == kMatrix; }
  BOOL IsShape3() const { return m_shape == kValues; }
  DWORD GetShape() const { return m_shape; }
  BOOL IsComplex() const { return !m_imag.empty(); }
  BOOL HasReal() const { return !m_real.empty(); }
  // Every byte of both parts 0 (a missing part counts as zero), or no elements.
  BOOL IsZero() const;

  // The length of the numeric block that carries this table on the link:
  // 0 without elements; else the head (16 matrix, 14 list, 0 values), the
  // real parts, and the imaginary parts when there are any.
  std::uint64_t GetDataSize() const;
  DWORD GetHeadSize() const { return m_shape == kMatrix ? 16 : m_shape == kList ? 14 : 0; }

 protected:
  CQXNumericArray(Shape shape, DWORD fixedRows, DWORD fixedColumns);

  // The item's own fields between the record header and the array.
  virtual void LoadFields(COrvoArchive&) {}
  virtual void StoreFields(COrvoArchive&) {}
  virtual DWORD GetFieldsSize() { return 0; }

 private:
  std::uint64_t partSize() const { return std::uint64_t(kElementSize) * m_rows * m_columns; }
  bool place(DWORD r, DWORD c, size_t* offset) const;
  BOOL setPart(std::vector<BYTE>& part, DWORD r, DWORD c, const BYTE* bytes, DWORD n);
  BOOL getPart(const std::vector<BYTE>& part, DWORD r, DWORD c, BYTE* buffer, DWORD n) const;
  std::vector<BYTE> loadPart(COrvoArchive& ar, DWORD rows, DWORD columns);

  DWORD m_shape;
  DWORD m_fixedRows;
  DWORD m_fixedColumns;
  DWORD m_rows = 0;
  DWORD m_columns = 0;
  std::vector<BYTE> m_real;
  std::vector<BYTE> m_imag;
};

// The numeric block of the link and of old data files: a head of 16 bytes
// (matrix: rows and columns 16-bit little-endian at 8 and 10) or 14 bytes
// (list: rows at 8) or none (values: the item's fixed size), then the real
// parts row by row, then the imaginary parts when the block holds them.
//
// Reads a block into the array: only head + r x c x 9 or head + r x c x 18
// bytes are accepted; FALSE leaves the array as it was.
BOOL ReadNumericBlock(CQXNumericArray& array, const BYTE* block, DWORD length);
// The block for the array, GetDataSize() bytes (empty without elements).
std::vector<BYTE> BuildNumericBlock(const CQXNumericArray& array);
