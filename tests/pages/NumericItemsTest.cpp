// The six numeric pages' items in the table: names, defaults, layouts and
// the modified state after a load.
#include "GridTestHost.h"

#include "datamodel/CalcNumber.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXValueSetItems.h"
#include "pages/QXNumericItems.h"

namespace tallix::test {
namespace {

class NumericItemsTest : public GridTableFixture {
 protected:
  // Sets the page up and loads `item` (owned by the entry).
  QXNumericLoad load(QXNumericPage page, CQXCalcItem* item, const char* path = "x") {
    SetupNumericTable(*table, page);
    table->defaultText = [this, page](int row, char* buffer, UINT size) {
      return GetNumericDefaultText(page, itemType, row, buffer, size);
    };
    entry.SetItem(item);
    entry.SetPath(path);
    return LoadNumericItem(*table, page, &entry, &itemType);
  }
  std::string column(int col) {
    std::string all;
    for (int r = 1; r < grid().GetRowCount(); ++r) all += text(r, col) + " ";
    return all;
  }

  CQXDocEntry entry;
  int itemType = 0;
};

TEST_F(NumericItemsTest, NewerVWindowDefaultsUnderACommaStoreBack) {
  SetCalcNumberDecimalSeparator(',');
  auto* vwin = new CQXVWindowV5Item;
  ASSERT_TRUE(vwin->InitNew());
  EXPECT_EQ(load(QXNumericPage::kVWin, vwin), kNumericLoadedNew);
  EXPECT_EQ(column(0), "Xmin Xmax Xscale Xdot Ymin Ymax Yscale Tmin Tmax Tptch XdotDual ");
  EXPECT_EQ(column(1), "-6,3 6,3 1 0,1 -3,1 3,1 1 0 6,2831853 0,10471975 0,1 ");
  EXPECT_TRUE(table->IsModified());
  EXPECT_EQ(StoreNumericItem(*table, QXNumericPage::kVWin, &entry), kNumericStored);
  SetCalcNumberDecimalSeparator('.');
  EXPECT_EQ(load(QXNumericPage::kVWin, entry.DetachItem()), kNumericLoaded);
  EXPECT_EQ(column(1), "-6.3 6.3 1 0.1 -3.1 3.1 1 0 6.2831853 0.10471975 0.1 ");
  EXPECT_FALSE(table->IsModified());
  SetCalcNumberDecimalSeparator(0);
}

TEST_F(NumericItemsTest, OlderZoomFactorBlankShowsTwoAndIsWritten) {
  auto* zoom = new CQXZoomFactorItem;
  ASSERT_TRUE(zoom->GetValueSet().ResizeValues());
  EXPECT_EQ(load(QXNumericPage::kGraphFactor, zoom), kNumericLoadedNew);
  EXPECT_EQ(column(1), "2 2 ");
  EXPECT_TRUE(table->IsModified());
  ASSERT_EQ(StoreNumericItem(*table, QXNumericPage::kGraphFactor, &entry), kNumericStored);
  BYTE record[24];
  ASSERT_EQ(zoom->GetValueRecord(1, record, sizeof record), 14u);
  EXPECT_EQ(record[1], 1);  // every value at (1, 1)
  EXPECT_EQ(record[3], 1);
}

TEST_F(NumericItemsTest, VariablesListsAndMatrices) {
  auto* vars = new CQXAlphaMemItem;
  ASSERT_TRUE(vars->InitNew());
  EXPECT_EQ(load(QXNumericPage::kVariable, vars), kNumericLoaded);
  EXPECT_EQ(text(1, 0), "A");
  EXPECT_EQ(text(26, 0), "Z");
  EXPECT_EQ(text(27, 0) + text(28, 0), "rtheta");
  EXPECT_FALSE(table->IsModified());
  grid().SetItemText(3, 1, "1+2i");
  EXPECT_EQ(StoreNumericItem(*table, QXNumericPage::kVariable, &entry), kNumericStored);
  EXPECT_TRUE(vars->IsComplex());

  auto* old28 = new CQXVariable28Item;
  ASSERT_TRUE(old28->GetValueSet().ResizeValues());
  load(QXNumericPage::kVariable, old28);
  EXPECT_EQ(text(28, 0), "theta");

  auto* list = new CQXListV5Item;
  ASSERT_TRUE(list->SetNameFromHeader("1LIST12", ""));
  ASSERT_TRUE(list->SetDimensions(3, 1));
  EXPECT_EQ(load(QXNumericPage::kList, list), kNumericLoaded);
  EXPECT_EQ(text(0, 1), "12");
  EXPECT_EQ(grid().GetDataRowCount(), 3);

  EXPECT_EQ(load(QXNumericPage::kMatrix, nullptr), kNumericLoadNoItem);
  EXPECT_EQ(grid().GetDataRowCount(), 1);
  EXPECT_EQ(text(1, 1), "0");
  EXPECT_TRUE(table->IsModified());
  EXPECT_EQ(load(QXNumericPage::kMatrix, new CQXZoomFactorV5Item), kNumericLoadForeign);
  EXPECT_EQ(StoreNumericItem(*table, QXNumericPage::kMatrix, &entry), kNumericStoreForeign);
}

}  // namespace
}  // namespace tallix::test
