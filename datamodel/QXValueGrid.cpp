#include "datamodel/QXValueGrid.h"

#include <cstring>

void CQXNumberCell::Load(COrvoArchive& ar) {
  ExpectDword(ar, kTag);
  const DWORD size = ar.ReadDwordValue();
  const DWORD kind = ar.ReadDwordValue();
  if (kind > kComplex || size != (kind == kComplex ? 32u : 22u)) ThrowArchiveException(kArchiveBadRecord);
  const DWORD second = ar.ReadDwordValue();
  const DWORD first = ar.ReadDwordValue();
  std::array<BYTE, kNumberSize> real{}, imaginary{};
  ar.Read(real.data(), kNumberSize);
  if (kind == kComplex) ar.Read(imaginary.data(), kNumberSize);
  m_kind = kind;
  m_first = first;
  m_second = second;
  m_real = real;
  m_imaginary = imaginary;
}

void CQXNumberCell::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(kTag);
  ar.WriteDwordValue(m_kind == kComplex ? 32 : 22);
  ar.WriteDwordValue(m_kind);
  ar.WriteDwordValue(m_second);
  ar.WriteDwordValue(m_first);
  ar.Write(m_real.data(), kNumberSize);
  if (m_kind == kComplex) ar.Write(m_imaginary.data(), kNumberSize);
}

void CQXNumberCell::SetValue(const BYTE* real, const BYTE* imaginary) {
  m_real.fill(0);
  m_imaginary.fill(0);
  if (real) std::memcpy(m_real.data(), real, kNumberSize);
  if (imaginary) std::memcpy(m_imaginary.data(), imaginary, kNumberSize);
  m_kind = imaginary ? kComplex : kReal;
}

void CQXNumberCell::Clear() {
  m_kind = kEmpty;
  m_real.fill(0);
  m_imaginary.fill(0);
}

BOOL CQXNumberCell::IsValidRecord(const BYTE* record, UINT size) {
  if (!record || (size != kRealRecordSize && size != kComplexRecordSize)) return FALSE;
  const int first = RecordFirst(record), second = RecordSecond(record);
  if (first < 1 || first > 255 || second < 1 || second > 255) return FALSE;
  if (record[4] >> 4) return FALSE;
  if (size == kComplexRecordSize && ((record[14] >> 4) || first != 1 || second != 1)) return FALSE;
  return TRUE;
}

BOOL CQXNumberCell::SetFromRecord(const BYTE* record, UINT size) {
  if (!IsValidRecord(record, size)) return FALSE;
  SetValue(record + 4, size == kComplexRecordSize ? record + 14 : nullptr);
  return TRUE;
}

UINT CQXNumberCell::GetRecord(BYTE* out, UINT size, int first, int second) const {
  const UINT n = GetRecordSize();
  if (!out || size < n) return 0;
  out[0] = BYTE(first >> 8);
  out[1] = BYTE(first);
  out[2] = BYTE(second >> 8);
  out[3] = BYTE(second);
  std::memcpy(out + 4, m_real.data(), kNumberSize);
  if (m_kind == kComplex) std::memcpy(out + 14, m_imaginary.data(), kNumberSize);
  return n;
}

BOOL CQXValueGrid::SetSize(int n1, int n2) {
  if (n1 < 0 || n2 < 0 || n1 > kMaxCount || n2 > kMaxCount || (n1 == 0) != (n2 == 0)) return FALSE;
  std::vector<CQXNumberCell> cells;
  cells.reserve(size_t(n1) * size_t(n2));
  for (int b = 1; b <= n2; ++b)
    for (int a = 1; a <= n1; ++a) cells.emplace_back(a, b);
  m_cells = std::move(cells);
  m_n1 = n1;
  m_n2 = n2;
  return TRUE;
}

CQXNumberCell* CQXValueGrid::GetCell(int a, int b) {
  return Contains(a, b) ? &m_cells[size_t(b - 1) * size_t(m_n1) + size_t(a - 1)] : nullptr;
}

const CQXNumberCell* CQXValueGrid::GetCell(int a, int b) const {
  return const_cast<CQXValueGrid*>(this)->GetCell(a, b);
}

UINT CQXValueGrid::GetCellRecord(int a, int b, BYTE* out, UINT size) const {
  const CQXNumberCell* cell = GetCell(a, b);
  return cell ? cell->GetRecord(out, size, a, b) : 0;
}

BOOL CQXValueGrid::SetCellRecord(int a, int b, const BYTE* record, UINT size) {
  CQXNumberCell* cell = GetCell(a, b);
  return cell ? cell->SetFromRecord(record, size) : FALSE;
}

BOOL CQXValueGrid::SetCellFromRecord(const BYTE* record, UINT size) {
  if (!CQXNumberCell::IsValidRecord(record, size)) return FALSE;
  return SetCellRecord(CQXNumberCell::RecordFirst(record), CQXNumberCell::RecordSecond(record), record, size);
}

BOOL CQXValueGrid::ValidateCell(int a, int b) const {
  const CQXNumberCell* cell = GetCell(a, b);
  return !cell || !cell->IsEmpty();
}

BOOL CQXValueGrid::ValidateAll() const {
  for (int a = 1; a <= m_n1; ++a)
    if (!ValidateCell(a, 1)) return FALSE;
  return TRUE;
}

DWORD CQXValueGrid::GetStoredSize() {
  DWORD size = 12 + 4;
  for (CQXNumberCell& cell : m_cells) size += cell.GetStoredSize();
  return size;
}

void CQXValueGrid::Load(COrvoArchive& ar) {
  ExpectDword(ar, kTag);
  const DWORD n2 = ar.ReadDwordValue();
  const DWORD n1 = ar.ReadDwordValue();
  if (n1 > DWORD(kMaxCount) || n2 > DWORD(kMaxCount) || (n1 == 0) != (n2 == 0))
    ThrowArchiveException(kArchiveBadRecord);
  // Every cell takes at least 30 bytes: check before creating them.
  ar.RequireBytes(n1 * n2 * 30);
  CQXValueGrid grid;
  grid.SetSize(int(n1), int(n2));
  for (DWORD b = 1; b <= n2; ++b)
    for (DWORD a = 1; a <= n1; ++a) {
      CQXNumberCell* cell = grid.GetCell(int(a), int(b));
      cell->Load(ar);
      // A cell belongs where the grid keeps it.
      if (cell->GetFirst() != int(a) || cell->GetSecond() != int(b)) ThrowArchiveException(kArchiveBadRecord);
    }
  EndRecord(ar, kTag);
  *this = std::move(grid);
}

void CQXValueGrid::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(kTag);
  ar.WriteDwordValue(DWORD(m_n2));
  ar.WriteDwordValue(DWORD(m_n1));
  for (CQXNumberCell& cell : m_cells) cell.Store(ar);
  WriteRecordEnd(ar, kTag);
}
