#include "pages/QXNumericItems.h"

#include "classlib/ProfileSettings.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXValueSetItems.h"
#include "tokens/SmallHelpers.h"

#include <cstring>

namespace {

constexpr UINT kLeft = DT_LEFT | DT_SINGLELINE;
constexpr UINT kCentre = DT_CENTER | DT_SINGLELINE;

const std::vector<std::string>& newerRowNames(int type) {
  static const std::vector<std::string> vwin = {"Xmin", "Xmax", "Xscale", "Xdot",  "Ymin",    "Ymax",
                                                "Yscale", "Tmin", "Tmax", "Tptch", "XdotDual"};
  static const std::vector<std::string> zoom = {"Xfact", "Yfact"};
  static const std::vector<std::string> range = {"T-Start", "T-End", "T-Pitch"};
  static const std::vector<std::string> variables = [] {
    std::vector<std::string> names;
    for (char c = 'A'; c <= 'Z'; ++c) names.emplace_back(1, c);
    names.emplace_back("r");
    names.emplace_back("theta");
    return names;
  }();
  static const std::vector<std::string> none;
  switch (type) {
    case 5006: return vwin;
    case 5007: return zoom;
    case 5008: return range;
    case 5010: return variables;
    default: return none;
  }
}

// The older item's entry names; the 28 variables end in the calculator's
// bytes for r and theta, shown by name.
std::vector<std::string> olderRowNames(const CQXValueSetItem& item, QXNumericPage page) {
  std::vector<std::string> names;
  for (int i = 0; i < item.GetCount(); ++i) names.push_back(item.GetEntryName(i));
  if (page == QXNumericPage::kVariable && names.size() == 28) {
    names[26] = "r";
    names[27] = "theta";
  }
  return names;
}

bool isOlder(int type) { return type >= 4000 && type < 5000; }

// The values of an older matrix, list or value set; null for another item.
CQXValueGrid* olderValues(CQXCalcItem* item) {
  if (auto* matrix = dynamic_cast<CQXMatrixItem*>(item)) return &matrix->GetValues();
  if (auto* list = dynamic_cast<CQXListItem*>(item)) return &list->GetValues();
  if (auto* set = dynamic_cast<CQXValueSetItem*>(item)) return &set->GetValueSet().GetValues();
  return nullptr;
}

bool pageTakes(QXNumericPage page, int type) {
  switch (page) {
    case QXNumericPage::kMatrix: return type == 4004 || type == 5004;
    case QXNumericPage::kList: return type == 4005 || type == 5005;
    case QXNumericPage::kGraphFactor: return type == 4007 || type == 5007;
    case QXNumericPage::kTableRange: return type == 4008 || type == 5008;
    case QXNumericPage::kVariable: return type == 4010 || type == 4011 || type == 5010;
    case QXNumericPage::kVWin: return type == 4006 || type == 5006;
  }
  return false;
}

// The header column fitted to its names, the data column's header empty
// and its width tripled.
void layOutValueColumn(CQXGridTable& table) {
  CQXGridCtrl& grid = table.GetGrid();
  grid.SetColumnCount(2);
  table.RenumberColumnHeaders();
  grid.AutoSizeColumn(0);
  grid.SetItemText(0, 1, "");
  grid.SetColumnWidth(1, grid.GetColumnWidth(1) * 3);
  grid.ResetScrollBars();
}

}  // namespace

void SetupNumericTable(CQXGridTable& table, QXNumericPage page) {
  const bool table2d = page == QXNumericPage::kMatrix || page == QXNumericPage::kList;
  table.m_rowsEditable = table2d;
  table.m_columnsEditable = page == QXNumericPage::kMatrix;
  table.m_limit = table2d ? AppGetProfileInt("Settings", "Max Columns Rows", 255) : 255;
  table.m_rowHeaderFormat = table2d || page == QXNumericPage::kVariable ? kCentre : kLeft;
  table.m_unitPositions = !table2d && page != QXNumericPage::kVWin;
  table.m_complexAllowed = page == QXNumericPage::kVariable;
  CQXGridCtrl& grid = table.GetGrid();
  grid.SetFixedRowCount(0);
  grid.SetFixedColumnCount(0);
  grid.SetRowCount(1);
  grid.SetColumnCount(page == QXNumericPage::kMatrix ? 1 : 2);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  table.RenumberColumnHeaders();
  if (table2d) {
    // The header column wide enough for "255".
    grid.SetItemText(0, 0, "255");
    grid.AutoSizeColumn(0);
    grid.SetItemText(0, 0, "");
  } else {
    grid.SetItemText(0, 1, "");
  }
}

BOOL GetNumericDefaultText(QXNumericPage page, int itemType, int row, char* buffer, UINT size) {
  static const char* const range[] = {"1", "5", "1"};
  static const char* const olderVWin[] = {"-6.3", "6.3", "1", "-3.1", "3.1", "1", "0", "6.2831853", "0.06283185"};
  static const char* const newerVWin[] = {"-6.3", "6.3", "1",         "0.1",        "-3.1", "3.1",
                                          "1",    "0",   "6.2831853", "0.10471975", "0.1"};
  const char* text = "0";
  switch (page) {
    case QXNumericPage::kGraphFactor: text = "2"; break;
    case QXNumericPage::kTableRange:
      if (row >= 1 && row <= 3) text = range[row - 1];
      break;
    case QXNumericPage::kVWin:
      if (itemType == 4006) {
        if (row >= 1 && row <= 9) text = olderVWin[row - 1];
      } else if (itemType == 5006) {
        if (row >= 1 && row <= 11) text = newerVWin[row - 1];
      } else {
        return FALSE;
      }
      break;
    default: break;
  }
  if (!buffer || std::strlen(text) + 1 > size) return FALSE;
  std::strcpy(buffer, text);
  if (page == QXNumericPage::kVWin) ApplyLocaleDecimalPoint(buffer);
  return TRUE;
}

QXNumericLoad LoadNumericItem(CQXGridTable& table, QXNumericPage page, const CQXDocEntry* entry, int* itemType) {
  CQXCalcItem* item = entry ? entry->GetItem() : nullptr;
  const bool table2d = page == QXNumericPage::kMatrix || page == QXNumericPage::kList;
  if (!item) {
    if (table2d) {
      table.ResizeGrid(1, 1);
      table.SetModified(TRUE);
    } else {
      table.GetGrid().SetRowCount(table.GetGrid().GetFixedRowCount());
      table.EnableGridIfHasCells();
    }
    return kNumericLoadNoItem;
  }
  const int type = item->GetTypeId();
  if (!pageTakes(page, type)) return kNumericLoadForeign;
  if (itemType) *itemType = type;

  bool empty = false;
  if (isOlder(type)) {
    const CQXValueGrid* values = olderValues(item);
    if (!values) return kNumericLoadForeign;
    // Only the value sets' pages look at `empty`.
    empty = table.LoadFromOldItem(*values);
    if (auto* set = dynamic_cast<CQXValueSetItem*>(item)) table.SetRowLabels(olderRowNames(*set, page));
  } else if (auto* array = dynamic_cast<CQXNumericArray*>(item)) {
    if (type == 5004 || type == 5005) table.m_complexAllowed = TRUE;
    empty = table.LoadFromNewItem(*array);
    if (!table2d) table.SetRowLabels(newerRowNames(type));
  } else {
    return kNumericLoadForeign;
  }

  CQXGridCtrl& grid = table.GetGrid();
  if (table2d) {
    if (page == QXNumericPage::kList) {
      grid.SetColumnCount(2);
      table.RenumberColumnHeaders();
      grid.SetColumnWidth(1, grid.GetColumnWidth(1) * 3);
      char number[8] = {};
      if (auto* newer = dynamic_cast<CQXListV5Item*>(item)) {
        newer->GetListNumber(number, sizeof number);
      } else {
        char path[260] = {};
        const UINT n = entry->GetPath(path, sizeof path);
        if (n > 0 && path[0]) number[0] = path[std::strlen(path) - 1];
      }
      grid.SetItemText(0, 1, number);
      grid.ResetScrollBars();
    }
    if (grid.GetDataRowCount() > 0 && grid.GetDataColumnCount() > 0) {
      table.SetModified(FALSE);
      return kNumericLoaded;
    }
    table.ResizeGrid(1, 1);
    table.SetModified(TRUE);
    return kNumericLoadedNew;
  }
  layOutValueColumn(table);
  // Defaults shown count as a change, so that a commit writes them.
  const bool modified = empty && page != QXNumericPage::kVariable;
  table.SetModified(modified ? TRUE : FALSE);
  return modified ? kNumericLoadedNew : kNumericLoaded;
}

QXNumericStore StoreNumericItem(CQXGridTable& table, QXNumericPage page, CQXDocEntry* entry) {
  CQXCalcItem* item = entry ? entry->GetItem() : nullptr;
  if (!item || !pageTakes(page, item->GetTypeId())) return kNumericStoreForeign;
  const int type = item->GetTypeId();
  BOOL stored = FALSE;
  if (isOlder(type)) {
    CQXValueGrid* values = olderValues(item);
    if (!values) return kNumericStoreForeign;
    stored = table.StoreToOldItem(*values);
  } else if (auto* array = dynamic_cast<CQXNumericArray*>(item)) {
    if (type == 5004 || type == 5005) table.m_complexAllowed = TRUE;
    stored = table.StoreToNewItem(*array);
  } else {
    return kNumericStoreForeign;
  }
  return stored ? kNumericStored : kNumericStoreRefused;
}
