// Numbers between the grid and the items of both families: exact bytes for
// untouched cells, refused tables left unchanged, complex and empty cells.
#include "CalcNumberBytes.h"
#include "GridTestHost.h"

#include "datamodel/CalcNumber.h"
#include "datamodel/QXNumericArray.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXValueGrid.h"

namespace tallix::test {
namespace {

std::string textOf(int generation, const std::vector<BYTE>& bytes, bool round) {
  std::vector<BYTE> in(bytes);
  char text[256] = {};
  CQXNumConvRequest r{};
  r.size = sizeof r;
  r.mode = (generation == 1 ? kNumConvOlder : kNumConvNewer) | (round ? kNumConvRound10 : 0) |
           (bytes.size() > 10 ? kNumConvComplex : 0);
  r.bytes = in.data();
  r.bytesSize = DWORD(in.size());
  r.text = text;
  r.textSize = 256;
  EXPECT_TRUE(ConvertCalcNumber(&r));
  return text;
}

using GridNumbersTest = GridTableFixture;

TEST_F(GridNumbersTest, OlderUntouchedCellsKeepTheirBytes) {
  table->m_roundTo10Digits = TRUE;
  const char* texts[2][2] = {{"1.23456789012345", "-9.87654321098765E-12"}, {"3", "2.00000000000001"}};
  CQXValueGrid values;
  ASSERT_TRUE(values.SetSize(2, 2));
  for (int a = 1; a <= 2; ++a)
    for (int b = 1; b <= 2; ++b) putOld(values, a, b, bytesOf(1, texts[a - 1][b - 1]));
  const CQXValueGrid original = values;

  EXPECT_FALSE(table->LoadFromOldItem(values));
  for (int a = 1; a <= 2; ++a)
    for (int b = 1; b <= 2; ++b) EXPECT_EQ(text(a, b), textOf(1, oldValue(original, a, b), true));
  EXPECT_EQ(text(1, 1), "1.23456789");  // shown rounded

  typeInto(2, 1, "7");
  ASSERT_TRUE(table->StoreToOldItem(values));
  EXPECT_EQ(oldValue(values, 1, 1), oldValue(original, 1, 1));
  EXPECT_EQ(oldValue(values, 1, 2), oldValue(original, 1, 2));
  EXPECT_EQ(oldValue(values, 2, 2), oldValue(original, 2, 2));
  EXPECT_EQ(oldValue(values, 2, 1), bytesOf(1, "7"));
  EXPECT_EQ(values.GetCell(2, 2)->GetFirst(), 2);

  // A bad number: message, that cell focused, the item unchanged.
  const CQXValueGrid stored = values;
  grid().SetItemText(1, 2, "1..2");
  EXPECT_FALSE(table->StoreToOldItem(values));
  EXPECT_EQ(table->refused, std::vector<UINT>{10505});
  EXPECT_EQ(grid().GetFocusCell(), CGridCellID(1, 2));
  EXPECT_TRUE(values == stored);
}

TEST_F(GridNumbersTest, OlderEmptyItemShowsDefaultsAndLargeTablesAreRefused) {
  table->defaults = {"2", "2"};
  CQXValueGrid values;
  ASSERT_TRUE(values.SetSize(2, 1));
  EXPECT_TRUE(table->LoadFromOldItem(values));
  EXPECT_EQ(text(1, 1), "2");
  EXPECT_EQ(text(2, 1), "2");
  table->m_unitPositions = TRUE;
  ASSERT_TRUE(table->StoreToOldItem(values));
  EXPECT_EQ(oldValue(values, 2, 1), bytesOf(1, "2"));
  EXPECT_EQ(values.GetCell(2, 1)->GetFirst(), 2);  // the cell keeps its place

  // No default for a row: the cell shows "0", not what a buffer held.
  table->defaults = {"2"};
  ASSERT_TRUE(values.SetSize(2, 1));
  table->LoadFromOldItem(values);
  EXPECT_EQ(text(2, 1), "0");

  table->m_limit = 300;
  table->SetDataRowCount(300);
  const CQXValueGrid before = values;
  EXPECT_FALSE(table->StoreToOldItem(values));
  EXPECT_EQ(table->refused, std::vector<UINT>{61714});
  EXPECT_EQ(table->refusedArgs, (std::vector<std::string>{"1", "255"}));
  EXPECT_TRUE(values == before);
}

TEST_F(GridNumbersTest, NewerComplexAndClearedCells) {
  table->m_complexAllowed = TRUE;
  CQXMatrixV5Item matrix;
  ASSERT_TRUE(matrix.SetDimensions(2, 2));
  const std::vector<BYTE> big = bytesOf(2, "1.23456789012345");
  matrix.SetReal(1, 1, big.data(), 9);
  EXPECT_FALSE(table->LoadFromNewItem(matrix));
  grid().SetItemText(1, 2, "1+2i");
  grid().SetItemText(2, 2, "");
  ASSERT_TRUE(table->StoreToNewItem(matrix));
  ASSERT_TRUE(matrix.IsComplex());
  BYTE value[18];
  ASSERT_TRUE(matrix.GetComplex(1, 1, value));
  EXPECT_EQ(std::vector<BYTE>(value, value + 9), big);
  const std::vector<BYTE> zero = bytesOf(2, "0");
  EXPECT_EQ(std::vector<BYTE>(value + 9, value + 18), zero);
  ASSERT_TRUE(matrix.GetComplex(2, 2, value));
  EXPECT_EQ(std::vector<BYTE>(value, value + 9), zero);
  ASSERT_TRUE(matrix.GetComplex(1, 2, value));
  EXPECT_EQ(std::vector<BYTE>(value, value + 18), bytesOf(2, "1+2i", true));

  // An all-zero item shows the defaults.
  CQXZoomFactorV5Item zoom;
  ASSERT_TRUE(zoom.InitNew());
  table->defaults = {"2", "2"};
  EXPECT_TRUE(table->LoadFromNewItem(zoom));
  EXPECT_EQ(text(2, 1), "2");
  EXPECT_FALSE(table->IsCellNumberValid(2, 1, FALSE, 3));
  EXPECT_TRUE(table->IsCellNumberValid(2, 1, FALSE, 2));
}

}  // namespace
}  // namespace tallix::test
