// The number transfer of CQXGridTable: grid texts to and from the values
// of an older value grid or a newer number array.
#include "pages/QXGridTable.h"

#include "classlib/GridEditBox.h"
#include "datamodel/CalcNumber.h"
#include "datamodel/QXNumericArray.h"
#include "datamodel/QXValueGrid.h"
#include "pages/QXNumberText.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kInvalidNumber = 10505;
constexpr UINT kIntegerRange = 61714;
constexpr UINT kMaxText = 255;  // the longest text a cell hands the converter

UINT numberSize(int generation) { return generation == 1 ? CQXNumberCell::kNumberSize : CQXNumericArray::kElementSize; }

}  // namespace

std::string CQXGridTable::defaultText(int row, int col) {
  char buffer[64] = "0";
  if (!GetDefaultCellText(row, col, buffer, sizeof buffer)) std::strcpy(buffer, "0");
  buffer[sizeof buffer - 1] = 0;
  return buffer;
}

void CQXGridTable::loadValue(int row, int col, int generation, const BYTE* bytes, bool complex) {
  const std::string text = NumberBytesToText(generation, bytes, complex, m_roundTo10Digits != FALSE);
  if (text.empty()) {
    setCellText(row, col, "0", 0);
    return;
  }
  Loaded kept;
  kept.text = text;
  kept.generation = generation;
  kept.complex = complex;
  std::memcpy(kept.bytes.data(), bytes, numberSize(generation) * (complex ? 2 : 1));
  m_loaded.push_back(kept);
  setCellText(row, col, text, LPARAM(m_loaded.size()));
}

void CQXGridTable::finishLoad() {
  RenumberColumnHeaders();
  RenumberRowHeaders();
  EnableGridIfHasCells();
  FocusFirstCell();
  m_grid->update();
}

BOOL CQXGridTable::LoadFromOldItem(const CQXValueGrid& values) {
  const int rows = values.GetFirstCount(), cols = values.GetSecondCount();
  m_limit = std::max({m_limit, rows, cols});
  m_grid->SetRowCount(rows + m_grid->GetFixedRowCount());
  m_grid->SetColumnCount(cols + m_grid->GetFixedColumnCount());
  m_loaded.clear();
  bool empty = true;
  for (int a = 1; a <= rows && empty; ++a) {
    const CQXNumberCell* cell = values.GetCell(a, 1);
    if (cell && !cell->IsEmpty()) empty = false;
  }
  const int fr = m_grid->GetFixedRowCount(), fc = m_grid->GetFixedColumnCount();
  for (int i = 1; i <= rows; ++i) {
    for (int j = 1; j <= cols; ++j) {
      const CQXNumberCell* cell = values.GetCell(i, j);
      if (empty)
        setCellText(fr + i - 1, fc + j - 1, defaultText(i, 0), 0);
      else if (!cell || cell->IsEmpty())
        setCellText(fr + i - 1, fc + j - 1, "0", 0);
      else {
        BYTE bytes[20];
        std::memcpy(bytes, cell->GetReal(), 10);
        std::memcpy(bytes + 10, cell->GetImaginary(), 10);
        loadValue(fr + i - 1, fc + j - 1, 1, bytes, cell->GetKind() == CQXNumberCell::kComplex);
      }
    }
  }
  finishLoad();
  return empty ? TRUE : FALSE;
}

BOOL CQXGridTable::LoadFromNewItem(const CQXNumericArray& array) {
  const int rows = int(array.GetRows()), cols = int(array.GetColumns());
  m_limit = std::max({m_limit, rows, cols});
  m_grid->SetRowCount(rows + m_grid->GetFixedRowCount());
  m_grid->SetColumnCount(cols + m_grid->GetFixedColumnCount());
  m_loaded.clear();
  const bool empty = array.IsZero();
  const bool complex = array.IsComplex();
  const int fr = m_grid->GetFixedRowCount(), fc = m_grid->GetFixedColumnCount();
  for (int i = 1; i <= rows; ++i) {
    for (int j = 1; j <= cols; ++j) {
      if (empty) {
        setCellText(fr + i - 1, fc + j - 1, defaultText(i, 0), 0);
        continue;
      }
      BYTE bytes[18] = {};
      const BOOL got = complex ? array.GetComplex(DWORD(i), DWORD(j), bytes)
                               : array.GetReal(DWORD(i), DWORD(j), bytes, CQXNumericArray::kElementSize);
      if (got)
        loadValue(fr + i - 1, fc + j - 1, 2, bytes, complex);
      else
        setCellText(fr + i - 1, fc + j - 1, "0", 0);
    }
  }
  finishLoad();
  return empty ? TRUE : FALSE;
}

std::string CQXGridTable::cellText(int row, int col) const {
  std::string text = m_grid->GetItemText(row, col);
  if (text.size() > kMaxText) text.resize(kMaxText);
  return text;
}

bool CQXGridTable::convertCell(int row, int col, int generation, const std::string& text, Number* out) const {
  const bool complexAllowed = m_complexAllowed != FALSE;
  const LPARAM index = m_grid->GetItemData(row, col);
  if (index > 0 && size_t(index) <= m_loaded.size()) {
    const Loaded& kept = m_loaded[size_t(index - 1)];
    if (kept.generation == generation && kept.text == text && (complexAllowed || !kept.complex)) {
      out->complex = kept.complex;
      out->bytes = kept.bytes;
      return true;
    }
  }
  std::array<BYTE, 48> bytes{};
  DWORD flags = 0;
  if (!NumberTextToBytes(generation, text, complexAllowed, m_roundTo10Digits != FALSE, &bytes, &flags)) return false;
  out->complex = (flags & kNumConvResultComplex) != 0;
  out->bytes.fill(0);
  std::memcpy(out->bytes.data(), bytes.data(), numberSize(generation) * (out->complex ? 2 : 1));
  return true;
}

BOOL CQXGridTable::IsCellNumberValid(int row, int col, BOOL complexAllowed, int generation) const {
  if (generation != 1 && generation != 2) return FALSE;
  const std::string text = cellText(row, col);
  if (generation == 2 && text.empty()) return FALSE;
  std::array<BYTE, 48> bytes{};
  return NumberTextToBytes(generation, text, complexAllowed != FALSE, m_roundTo10Digits != FALSE, &bytes, nullptr) ? TRUE
                                                                                                          : FALSE;
}

bool CQXGridTable::refuseCell(int row, int col) {
  m_grid->ClearSelection();
  m_grid->SetFocusCell(row, col);
  m_grid->EnsureVisible(row, col);
  OnStoreRefused(kInvalidNumber, {}, {});
  return false;
}

void CQXGridTable::beginStore() {
  // An open edit's text belongs to the table being stored.
  m_grid->EndEditing();
  if (m_grid->isVisible()) m_grid->setFocus();
}

BOOL CQXGridTable::StoreToOldItem(CQXValueGrid& values) {
  beginStore();
  int rows = m_grid->GetDataRowCount(), cols = m_grid->GetDataColumnCount();
  if (rows == 0 || cols == 0) rows = cols = 0;
  // The value grid holds at most 255 rows and columns; refuse a larger
  // table rather than lose it.
  if (rows > CQXValueGrid::kMaxCount || cols > CQXValueGrid::kMaxCount) {
    OnStoreRefused(kIntegerRange, "1", std::to_string(CQXValueGrid::kMaxCount));
    return FALSE;
  }
  const int fr = m_grid->GetFixedRowCount(), fc = m_grid->GetFixedColumnCount();
  std::vector<Number> numbers(size_t(rows) * size_t(cols));
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j)
      if (!convertCell(fr + i, fc + j, 1, cellText(fr + i, fc + j), &numbers[size_t(i) * size_t(cols) + size_t(j)]))
        return refuseCell(fr + i, fc + j);

  CQXValueGrid fresh;
  if (!fresh.SetSize(rows, cols)) {
    OnStoreRefused(kIntegerRange, "1", std::to_string(CQXValueGrid::kMaxCount));
    return FALSE;
  }
  for (int i = 1; i <= rows; ++i) {
    for (int j = 1; j <= cols; ++j) {
      const Number& n = numbers[size_t(i - 1) * size_t(cols) + size_t(j - 1)];
      BYTE record[CQXNumberCell::kComplexRecordSize] = {};
      const int first = m_unitPositions ? 1 : i, second = m_unitPositions ? 1 : j;
      record[0] = BYTE(first >> 8);
      record[1] = BYTE(first);
      record[2] = BYTE(second >> 8);
      record[3] = BYTE(second);
      std::memcpy(record + 4, n.bytes.data(), n.complex ? 20 : 10);
      const UINT size = n.complex ? CQXNumberCell::kComplexRecordSize : CQXNumberCell::kRealRecordSize;
      if (!fresh.SetCellRecord(i, j, record, size)) return refuseCell(fr + i - 1, fc + j - 1);
    }
  }
  values = fresh;
  return TRUE;
}

BOOL CQXGridTable::StoreToNewItem(CQXNumericArray& array) {
  beginStore();
  int rows = m_grid->GetDataRowCount(), cols = m_grid->GetDataColumnCount();
  if (rows == 0 || cols == 0) rows = cols = 0;
  const int fr = m_grid->GetFixedRowCount(), fc = m_grid->GetFixedColumnCount();
  std::vector<Number> numbers(size_t(rows) * size_t(cols));
  bool anyComplex = false;
  Number zero;
  if (!convertCell(-1, -1, 2, "0", &zero)) return FALSE;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      Number& n = numbers[size_t(i) * size_t(cols) + size_t(j)];
      const std::string text = cellText(fr + i, fc + j);
      // A cleared cell stands for 0.
      if (text.empty())
        n = zero;
      else if (!convertCell(fr + i, fc + j, 2, text, &n))
        return refuseCell(fr + i, fc + j);
      anyComplex = anyComplex || n.complex;
    }
  }
  if (!array.SetDimensions(DWORD(rows), DWORD(cols))) return FALSE;
  const DWORD size = CQXNumericArray::kElementSize;
  for (int i = 1; i <= rows; ++i) {
    for (int j = 1; j <= cols; ++j) {
      const Number& n = numbers[size_t(i - 1) * size_t(cols) + size_t(j - 1)];
      if (n.complex) {
        array.SetComplex(DWORD(i), DWORD(j), n.bytes.data());
      } else {
        array.SetReal(DWORD(i), DWORD(j), n.bytes.data(), size);
        if (anyComplex) array.SetImag(DWORD(i), DWORD(j), zero.bytes.data(), size);
      }
    }
  }
  return TRUE;
}
