#include "datamodel/QXNumericArray.h"

#include <algorithm>
#include <cstring>

CQXNumericArray::CQXNumericArray(Shape shape, DWORD fixedRows, DWORD fixedColumns)
    : m_shape(shape), m_fixedRows(fixedRows), m_fixedColumns(fixedColumns) {
  SetDimensions(fixedRows, fixedColumns);
}

BOOL CQXNumericArray::SetDimensions(DWORD rows, DWORD columns) {
  if (rows > kMaxSide || columns > kMaxSide) return FALSE;
  m_real.clear();
  m_real.shrink_to_fit();
  m_imag.clear();
  m_imag.shrink_to_fit();
  m_rows = rows;
  m_columns = columns;
  return TRUE;
}

bool CQXNumericArray::place(DWORD r, DWORD c, size_t* offset) const {
  if (r < 1 || r > m_rows || c < 1 || c > m_columns) return false;
  *offset = size_t((std::uint64_t(r - 1) * m_columns + (c - 1)) * kElementSize);
  return true;
}

BOOL CQXNumericArray::setPart(std::vector<BYTE>& part, DWORD r, DWORD c, const BYTE* bytes, DWORD n) {
  size_t offset = 0;
  if (!bytes || n > kElementSize || !place(r, c, &offset)) return FALSE;
  if (part.empty()) part.assign(size_t(partSize()), 0);
  std::memcpy(part.data() + offset, bytes, n);
  return TRUE;
}

BOOL CQXNumericArray::getPart(const std::vector<BYTE>& part, DWORD r, DWORD c, BYTE* buffer, DWORD n) const {
  size_t offset = 0;
  if (part.empty() || !buffer || n > kElementSize || !place(r, c, &offset)) return FALSE;
  std::memcpy(buffer, part.data() + offset, n);
  return TRUE;
}

BOOL CQXNumericArray::SetReal(DWORD r, DWORD c, const BYTE* bytes, DWORD n) { return setPart(m_real, r, c, bytes, n); }
BOOL CQXNumericArray::SetImag(DWORD r, DWORD c, const BYTE* bytes, DWORD n) { return setPart(m_imag, r, c, bytes, n); }

BOOL CQXNumericArray::GetReal(DWORD r, DWORD c, BYTE* buffer, DWORD n) const {
  return getPart(m_real, r, c, buffer, n);
}
BOOL CQXNumericArray::GetImag(DWORD r, DWORD c, BYTE* buffer, DWORD n) const {
  return getPart(m_imag, r, c, buffer, n);
}

BOOL CQXNumericArray::GetComplex(DWORD r, DWORD c, BYTE* buffer) const {
  return buffer && !m_imag.empty() && GetReal(r, c, buffer, kElementSize) &&
         GetImag(r, c, buffer + kElementSize, kElementSize);
}

BOOL CQXNumericArray::SetComplex(DWORD r, DWORD c, const BYTE* bytes) {
  return bytes && SetReal(r, c, bytes, kElementSize) && SetImag(r, c, bytes + kElementSize, kElementSize);
}

BOOL CQXNumericArray::IsZero() const {
  auto zero = [](const std::vector<BYTE>& part) {
    return std::all_of(part.begin(), part.end(), [](BYTE b) { return b == 0; });
  };
  return m_rows == 0 || m_columns == 0 || (zero(m_real) && zero(m_imag));
}

std::uint64_t CQXNumericArray::GetDataSize() const {
  if (m_rows == 0 || m_columns == 0) return 0;
  return GetHeadSize() + partSize() * (m_imag.empty() ? 1 : 2);
}

DWORD CQXNumericArray::GetStoredSize() {
  return kRecordFrameSize + GetFieldsSize() + 24 + DWORD(m_real.size() + m_imag.size());
}

std::vector<BYTE> CQXNumericArray::loadPart(COrvoArchive& ar, DWORD rows, DWORD columns) {
  const DWORD length = ar.ReadDwordValue();
  if (length != 0 && std::uint64_t(length) != std::uint64_t(kElementSize) * rows * columns)
    ThrowArchiveException(kArchiveBadRecord);
  return ar.ReadBytes(length);
}

void CQXNumericArray::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(GetTypeId()));
  LoadFields(ar);
  ExpectDword(ar, kElementSize);
  const DWORD shape = ar.ReadDwordValue();
  if (shape < kList || shape > kValues) ThrowArchiveException(kArchiveBadRecord);  // the item keeps its own
  const DWORD rows = ar.ReadDwordValue();
  const DWORD columns = ar.ReadDwordValue();
  if (rows > kMaxSide || columns > kMaxSide) ThrowArchiveException(kArchiveBadRecord);
  std::vector<BYTE> real = loadPart(ar, rows, columns);
  std::vector<BYTE> imag = loadPart(ar, rows, columns);
  EndRecord(ar, DWORD(GetTypeId()));
  m_rows = rows;
  m_columns = columns;
  m_real = std::move(real);
  m_imag = std::move(imag);
}

void CQXNumericArray::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(GetTypeId()));
  StoreFields(ar);
  ar.WriteDwordValue(kElementSize);
  ar.WriteDwordValue(m_shape);
  ar.WriteDwordValue(m_rows);
  ar.WriteDwordValue(m_columns);
  for (const std::vector<BYTE>* part : {&m_real, &m_imag}) {
    ar.WriteDwordValue(DWORD(part->size()));
    if (!part->empty()) ar.Write(part->data(), DWORD(part->size()));
  }
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}

// --- Numeric blocks -----------------------------------------------------------

BOOL ReadNumericBlock(CQXNumericArray& array, const BYTE* block, DWORD length) {
  const DWORD head = array.GetHeadSize();
  const bool fixed = array.GetFixedRows() != 0;
  DWORD rows = fixed ? array.GetFixedRows() : array.GetRows();
  DWORD columns = fixed ? array.GetFixedColumns() : array.GetColumns();
  if (head) {
    if (!block || length < head) return FALSE;
    rows = DWORD(block[8]) | DWORD(block[9]) << 8;
    columns = array.IsShape2() ? (DWORD(block[10]) | DWORD(block[11]) << 8) : 1;
  }
  const std::uint64_t part = std::uint64_t(CQXNumericArray::kElementSize) * rows * columns;
  const bool complex = part != 0 && length == head + 2 * part;
  if (!complex && length != head + part) return FALSE;
  if (!array.SetDimensions(rows, columns)) return FALSE;
  const BYTE* p = block + head;
  for (DWORD r = 1; r <= rows; ++r)
    for (DWORD c = 1; c <= columns; ++c, p += CQXNumericArray::kElementSize)
      array.SetReal(r, c, p, CQXNumericArray::kElementSize);
  if (complex)
    for (DWORD r = 1; r <= rows; ++r)
      for (DWORD c = 1; c <= columns; ++c, p += CQXNumericArray::kElementSize)
        array.SetImag(r, c, p, CQXNumericArray::kElementSize);
  return TRUE;
}

std::vector<BYTE> BuildNumericBlock(const CQXNumericArray& array) {
  const std::uint64_t size = array.GetDataSize();
  std::vector<BYTE> block(size_t(size), 0);
  if (size == 0) return block;
  const DWORD rows = array.GetRows(), columns = array.GetColumns();
  if (array.GetHeadSize()) {
    block[8] = BYTE(rows);
    block[9] = BYTE(rows >> 8);
    if (array.IsShape2()) {
      block[10] = BYTE(columns);
      block[11] = BYTE(columns >> 8);
    }
  }
  BYTE* p = block.data() + array.GetHeadSize();
  for (int imaginary = 0; imaginary < (array.IsComplex() ? 2 : 1); ++imaginary)
    for (DWORD r = 1; r <= rows; ++r)
      for (DWORD c = 1; c <= columns; ++c, p += CQXNumericArray::kElementSize)
        if (imaginary)
          array.GetImag(r, c, p, CQXNumericArray::kElementSize);
        else
          array.GetReal(r, c, p, CQXNumericArray::kElementSize);  // no real part: zeros
  return block;
}
