#include "pages/QXDiffEqGridPages.h"

#include "app/MenuPopups.h"
#include "datamodel/QXDiffEqItem.h"
#include "datamodel/QXNumericArray.h"
#include "pages/QXDiffEqView.h"
#include "platform/MessageBox.h"

#include <QString>

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr UINT kInvalidNumber = 10505, kIntegerRange = 61714, kListInUse = 10577, kOutOfMemory = 61706;
constexpr int kParamRows = 6, kParamNumbers = 5, kNumberSize = 9;
constexpr DWORD kParamSize = 48;
constexpr int kGraphMemRow = 6, kGraphMemByte = 46, kMaxList = 20;
constexpr int kOutputColumns = 11, kFirstList = 2, kWords = 101, kSelWords = 91;
const char* const kParamLabels[] = {"X min", "X max", "h", "Step", "SF", "G-Mem"};
const char* const kParamDefaults[] = {"-5", "5", "0.05", "1", "12", "20"};

// The five numbers of "PARAM" as a table the grid page converts.
class ParamNumbers : public CQXNumericArray {
 public:
  ParamNumbers() : CQXNumericArray(kValues, 0, 0) {}
  int GetTypeId() const override { return 0; }
  void GetDisplayName(char* buffer, UINT size) override {
    if (buffer && size) buffer[0] = 0;
  }
};

// A whole decimal integer, else -1.
int wholeNumber(const std::string& text) {
  bool ok = false;
  const int n = QString::fromLatin1(text.c_str()).trimmed().toInt(&ok, 10);
  return ok && n >= 0 ? n : -1;
}

// The labels of the result rows of `kind` (order or equation count n).
std::vector<std::string> outputRows(int kind, int n) {
  std::vector<std::string> rows{"x"};
  if (kind == 6) {
    for (int i = 1; i <= n; ++i) rows.push_back("y" + std::to_string(i));
    return rows;
  }
  rows.push_back("y");
  const int derivatives = kind == 4 ? 1 : kind == 5 ? n - 1 : 0;
  for (int i = 1; i <= derivatives; ++i) rows.push_back("y(" + std::to_string(i) + ")");
  return rows;
}

// The word of cell (row, col) of the rows after x, and the selection word.
int listWord(int row, int col) { return 1 + (row - 2) * 9 + (col - kFirstList); }
int selWord(int row) { return kSelWords + row - 2; }

}  // namespace

// ---------------------------------------------------------------- parameters

CQXDifferentialEquationParamDataPage::CQXDifferentialEquationParamDataPage(CQXDifferentialEquationDataView* view)
    : CQXNumericalDataPage(CQXDifferentialEquationDataView::kParamPage), m_view(view) {
  tabTextFromDescription = FALSE;
  m_rowsEditable = FALSE;
  m_columnsEditable = FALSE;
}

BOOL CQXDifferentialEquationParamDataPage::OnInitDialog() {
  CQXNumericalDataPage::OnInitDialog();
  CQXGridCtrl& grid = GetGrid();
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  grid.SetColumnCount(2);
  grid.SetRowCount(kParamRows + 1);
  LoadFromItem(nullptr);
  m_initialised = TRUE;
  return FALSE;
}

BOOL CQXDifferentialEquationParamDataPage::GetDefaultParamText(int row, char* buffer, UINT size) {
  const char* text = row >= 1 && row <= kParamRows ? kParamDefaults[row - 1] : "0";
  if (!buffer || std::strlen(text) >= size) return FALSE;
  std::strcpy(buffer, text);
  return TRUE;
}

BOOL CQXDifferentialEquationParamDataPage::LoadFromItem(CQXDocEntry*) {
  CQXGridCtrl& grid = GetGrid();
  const CQXDiffEqItem* item = m_view ? m_view->GetWorkingItem() : nullptr;
  const CQXRawBlock* param = item ? item->FindBlock("PARAM") : nullptr;
  grid.SetColumnCount(2);
  if (param && param->GetLength() > DWORD(kGraphMemByte)) {
    const BYTE* data = param->GetData();
    ParamNumbers numbers;
    numbers.SetDimensions(kParamNumbers, 1);
    for (int i = 0; i < kParamNumbers; ++i) numbers.SetReal(DWORD(i + 1), 1, data + i * kNumberSize, kNumberSize);
    LoadFromNewItem(numbers);
    grid.SetRowCount(kParamRows + 1);
    const int graphMem = data[kGraphMemByte];
    grid.SetItemText(kGraphMemRow, 1, std::to_string(graphMem >= 1 && graphMem <= kMaxList ? graphMem : 1));
    grid.SetItemData(kGraphMemRow, 1, 0);
  } else {
    grid.SetRowCount(kParamRows + 1);
    for (int row = 1; row <= kParamRows; ++row) {
      char text[32] = "0";
      GetDefaultParamText(row, text, sizeof text);
      grid.SetItemText(row, 1, text);
      grid.SetItemData(row, 1, 0);
    }
  }
  grid.SetItemFormat(kGraphMemRow, 1, m_cellFormat);
  SetModified(FALSE);
  for (int row = 1; row <= kParamRows; ++row) grid.SetItemText(row, 0, kParamLabels[row - 1]);
  grid.AutoSizeColumn(0);
  grid.SetFocusCell(1, 1);
  grid.SetItemText(0, 1, "");
  grid.SetColumnWidth(1, 3 * grid.GetDefaultColumnWidth());
  grid.setEnabled(true);
  grid.update();
  return TRUE;
}

BOOL CQXDifferentialEquationParamDataPage::Validate(TreeItemInfo*) {
  if (!m_initialised) return TRUE;
  CQXGridCtrl& grid = GetGrid();
  grid.EndEditing();
  int bad = 0;
  const int graphMem = wholeNumber(grid.GetItemText(kGraphMemRow, 1));
  if (graphMem < 1 || graphMem > kMaxList) bad = kGraphMemRow;
  for (int row = 1; row <= 4 && !bad; ++row)
    if (!IsCellNumberValid(row, 1, FALSE, 2)) bad = row;
  if (!bad) return TRUE;
  grid.ClearSelection();
  grid.SetFocusCell(bad, 1);
  grid.EnsureVisible(bad, 1);
  ShowPageMessage(kInvalidNumber);
  return FALSE;
}

BOOL CQXDifferentialEquationParamDataPage::StoreToItem(CQXDocEntry* entry) {
  if (!m_initialised || !m_view) return TRUE;
  CQXDiffEqItem* item = CQXDifferentialEquationDataView::StoreTarget(entry);
  if (!item) return FALSE;
  try {
    ParamNumbers numbers;
    if (!StoreToNewItem(numbers)) return FALSE;
    std::vector<BYTE> data(kParamSize, 0);
    for (int i = 0; i < kParamNumbers; ++i)
      numbers.GetReal(DWORD(i + 1), 1, data.data() + i * kNumberSize, kNumberSize);
    data[45] = 'E';
    const int graphMem = wholeNumber(GetGrid().GetItemText(kGraphMemRow, 1));
    data[kGraphMemByte] = BYTE(graphMem >= 1 && graphMem <= kMaxList ? graphMem : 1);
    // Into the working item as well: what the page shows again after the
    // commit is what was committed.
    if (!item->SetRecord("PARAM", data) || !m_view->GetWorkingItem()->SetRecord("PARAM", data)) {
      AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
      return FALSE;
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXDifferentialEquationParamDataPage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXDifferentialEquationParamDataPage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }

// ---------------------------------------------------------------- output

CQXDifferentialEquationOutputDataPage::CQXDifferentialEquationOutputDataPage(CQXDifferentialEquationDataView* view)
    : CQXNumericalDataPage(CQXDifferentialEquationDataView::kOutputPage), m_view(view) {
  tabTextFromDescription = FALSE;
  m_rowsEditable = FALSE;
  m_columnsEditable = FALSE;
}

BOOL CQXDifferentialEquationOutputDataPage::OnInitDialog() {
  CQXNumericalDataPage::OnInitDialog();
  CQXGridCtrl& grid = GetGrid();
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  grid.SetColumnCount(kOutputColumns);
  for (int col = 1; col < kOutputColumns; ++col) grid.SetColumnWidth(col, grid.GetColumnWidth(0) / 2);
  Rebuild();
  m_initialised = TRUE;
  return FALSE;
}

void CQXDifferentialEquationOutputDataPage::Rebuild() {
  CQXGridCtrl& grid = GetGrid();
  const std::vector<std::string> rows =
      outputRows(m_view ? m_view->GetEquationKind() : 0, m_view ? m_view->GetCount() : 1);
  grid.EndEditing();
  grid.ClearSelection();
  grid.SetRowCount(1 + int(rows.size()));
  grid.SetColumnCount(kOutputColumns);
  static const char* const kHeaders[] = {"", "Sel", "1st", "2nd", "3rd"};
  for (int col = 0; col < kOutputColumns; ++col) {
    grid.SetItemText(0, col, col < 5 ? kHeaders[col] : std::to_string(col - 1) + "th");
    grid.SetItemFormat(0, col, m_columnHeaderFormat);
  }
  const CQXRawBlock* output = m_view ? m_view->GetWorkingItem()->FindBlock("OUTP") : nullptr;
  auto word = [output](int index) {
    if (!output || DWORD(2 * index + 1) >= output->GetLength()) return 0;
    return output->GetData()[2 * index] | output->GetData()[2 * index + 1] << 8;
  };
  auto listText = [](int value) { return value >= 1 && value <= kMaxList ? std::to_string(value) : std::string(); };
  for (int row = 1; row <= int(rows.size()); ++row) {
    grid.SetItemText(row, 0, rows[size_t(row - 1)]);
    grid.SetItemFormat(row, 0, m_rowHeaderFormat);
    for (int col = 1; col < kOutputColumns; ++col) {
      std::string text;
      UINT state = 0;
      if (col == 1) {
        // x has no selection; each result row a check box.
        state = row == 1 ? UINT(GRID_STATE_READONLY)
                         : UINT(GRID_STATE_CHECKBOX) | (word(selWord(row)) ? UINT(GRID_STATE_CHECKED) : 0u);
      } else if (row == 1) {
        text = col == kFirstList ? listText(word(0)) : "-";
        if (col != kFirstList) state = GRID_STATE_READONLY;
      } else {
        text = listText(word(listWord(row, col)));
      }
      grid.SetItemText(row, col, text);
      grid.SetItemFormat(row, col, m_cellFormat);
      grid.SetItemState(row, col, state);
      grid.SetItemData(row, col, 0);
    }
  }
  SetModified(FALSE);
  grid.AutoSizeColumn(0);
  grid.SetFocusCell(1, kFirstList);
  grid.setEnabled(true);
  grid.update();
}

int CQXDifferentialEquationOutputDataPage::listNumber(int row, int col) const {
  const std::string text = GetGrid().GetItemText(row, col);
  if (QString::fromLatin1(text.c_str()).trimmed().isEmpty()) return 0;
  const int n = wholeNumber(text);
  return n >= 1 && n <= kMaxList ? n : -1;
}

BOOL CQXDifferentialEquationOutputDataPage::checkCell(int row, int col) {
  CQXGridCtrl& grid = GetGrid();
  const int n = listNumber(row, col);
  if (n == 0) return TRUE;
  if (n < 0) {
    grid.ClearSelection();
    grid.SetFocusCell(row, col);
    grid.EnsureVisible(row, col);
    ShowPageMessage(kIntegerRange, QStringLiteral("1"), QStringLiteral("20"));
    return FALSE;
  }
  for (int r = 1; r < grid.GetRowCount(); ++r) {
    for (int c = kFirstList; c < grid.GetColumnCount(); ++c) {
      if ((r == row && c == col) || !grid.IsCellEditable(r, c) || listNumber(r, c) != n) continue;
      grid.ClearSelection();
      grid.SetFocusCell(row, col);
      grid.EnsureVisible(row, col);
      grid.SetItemState(row, col, grid.GetItemState(row, col) | GRID_STATE_SELECTED);
      grid.SetItemState(r, c, grid.GetItemState(r, c) | GRID_STATE_SELECTED);
      grid.update();
      ShowPageMessage(kListInUse);
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CQXDifferentialEquationOutputDataPage::CheckCells() {
  CQXGridCtrl& grid = GetGrid();
  grid.EndEditing();
  if (grid.GetRowCount() > 1 && !checkCell(1, kFirstList)) return FALSE;
  for (int row = 2; row < grid.GetRowCount(); ++row)
    for (int col = kFirstList; col < grid.GetColumnCount(); ++col)
      if (!checkCell(row, col)) return FALSE;
  return TRUE;
}

BOOL CQXDifferentialEquationOutputDataPage::Validate(TreeItemInfo*) { return m_initialised ? CheckCells() : TRUE; }

BOOL CQXDifferentialEquationOutputDataPage::WriteOutput(CQXDiffEqItem* item) {
  if (!item) return FALSE;
  if (!item->FindBlock("OUTP") && !item->EnsureOutput()) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  if (!CheckCells()) return FALSE;
  try {
    // The record's own words first: rows this kind does not show keep theirs.
    const CQXRawBlock* output = item->FindBlock("OUTP");
    std::vector<BYTE> data(2 * kWords, 0);
    std::memcpy(data.data(), output->GetData(), std::min<size_t>(data.size(), output->GetLength()));
    auto put = [&data](int index, int value) {
      if (index < 0 || index >= kWords) return;
      data[size_t(2 * index)] = BYTE(value);
      data[size_t(2 * index + 1)] = BYTE(value >> 8);
    };
    CQXGridCtrl& grid = GetGrid();
    if (grid.GetRowCount() > 1) put(0, listNumber(1, kFirstList));
    for (int row = 2; row < grid.GetRowCount(); ++row) {
      for (int col = kFirstList; col < grid.GetColumnCount(); ++col) put(listWord(row, col), listNumber(row, col));
      put(selWord(row), (grid.GetItemState(row, 1) & GRID_STATE_CHECKED) ? 1 : 0);
    }
    if (!item->SetRecord("OUTP", data)) {
      AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
      return FALSE;
    }
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXDifferentialEquationOutputDataPage::DoDataExchange(CDataExchange* pDX) {
  CQXNumericalDataPage::DoDataExchange(pDX);
  if (!m_initialised || !m_view) return;
  if (!pDX->m_bSaveAndValidate) {
    Rebuild();
    return;
  }
  if (!WriteOutput(m_view->GetWorkingItem())) pDX->Fail();
}

BOOL CQXDifferentialEquationOutputDataPage::StoreToItem(CQXDocEntry* entry) {
  if (!m_initialised || !m_view) return TRUE;
  CQXDiffEqItem* item = CQXDifferentialEquationDataView::StoreTarget(entry);
  return item && WriteOutput(item) && WriteOutput(m_view->GetWorkingItem());
}

void CQXDifferentialEquationOutputDataPage::MergeMenus() { EditMenuEntryItem(kPopupEdit, FALSE); }

void CQXDifferentialEquationOutputDataPage::UnmergeMenus() { EditMenuEntryItem(kPopupEdit, TRUE); }
