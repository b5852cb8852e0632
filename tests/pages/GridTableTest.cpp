// The grid table's counts, headers, row and column commands, and the
// grid's corner marker.
#include "GridTestHost.h"

#include <QImage>

namespace tallix::test {
namespace {

using GridTableTest = GridTableFixture;

TEST_F(GridTableTest, HeadersNumberedOrLettered) {
  table->ResizeGrid(3, 3);
  EXPECT_EQ(text(1, 0), "1");
  EXPECT_EQ(text(3, 0), "3");
  EXPECT_EQ(text(0, 3), "3");
  EXPECT_EQ(text(2, 2), "0");
  table->m_rowsNumbered = FALSE;
  table->m_columnsNumbered = FALSE;
  table->RenumberRowHeaders();
  table->RenumberColumnHeaders();
  EXPECT_EQ(text(1, 0) + text(2, 0) + text(3, 0), "abc");
  EXPECT_EQ(text(0, 1) + text(0, 3), "ac");
  EXPECT_EQ(grid().GetFocusCell(), CGridCellID(1, 1));
}

TEST_F(GridTableTest, RowCountStaysWithinTheLimit) {
  table->m_limit = 255;
  table->ResizeGrid(1, 1);
  table->SetModified(FALSE);
  table->SetDataRowCount(300);
  EXPECT_EQ(grid().GetDataRowCount(), 255);
  EXPECT_EQ(text(255, 1), "0");
  EXPECT_EQ(text(255, 0), "255");
  EXPECT_TRUE(table->IsModified());
  grid().SetFocusCell(200, 1);
  table->SetDataRowCount(2);
  EXPECT_EQ(grid().GetFocusCell(), CGridCellID(2, 1));
  table->SetDataColumnCount(0);
  EXPECT_FALSE(grid().isEnabled());
  table->SetDataColumnCount(2);
  EXPECT_TRUE(grid().isEnabled());
  EXPECT_EQ(text(2, 2), "0");
}

TEST_F(GridTableTest, InsertAndDeleteRowsAndColumns) {
  table->ResizeGrid(2, 2);
  grid().SetItemText(1, 1, "11");
  grid().SetItemText(2, 2, "22");
  table->SetModified(FALSE);

  // Insert before the focus cell's row and column.
  grid().SetFocusCell(2, 2);
  ASSERT_TRUE(table->CanInsertRow());
  table->InsertRow();
  EXPECT_EQ(grid().GetDataRowCount(), 3);
  EXPECT_EQ(text(2, 2), "0");
  EXPECT_EQ(text(3, 2), "22");
  EXPECT_EQ(text(3, 0), "3");
  EXPECT_EQ(table->rowChanges, 1);
  EXPECT_TRUE(table->IsModified());
  table->InsertColumn();
  EXPECT_EQ(grid().GetDataColumnCount(), 3);
  EXPECT_EQ(text(3, 3), "22");
  EXPECT_EQ(text(0, 3), "3");
  EXPECT_EQ(table->columnChanges, 1);

  // Deleting the last row moves the focus up.
  grid().SetFocusCell(3, 1);
  table->DeleteRow();
  EXPECT_EQ(grid().GetFocusCell(), CGridCellID(2, 1));

  // Limits and locked rows or columns disable the commands.
  table->m_limit = 2;
  EXPECT_FALSE(table->CanInsertRow());
  EXPECT_TRUE(table->CanDeleteRow());
  table->m_columnsEditable = FALSE;
  EXPECT_FALSE(table->CanDeleteColumn());
  grid().SetFocusCell(0, 1);
  EXPECT_FALSE(table->CanDeleteRow());

  // Deleting the only rows leaves no focus cell and a disabled grid.
  grid().SetFocusCell(1, 1);
  table->DeleteRow();
  table->DeleteRow();
  EXPECT_EQ(grid().GetDataRowCount(), 0);
  EXPECT_FALSE(grid().IsValid(grid().GetFocusCell()));
  EXPECT_FALSE(table->CanDeleteRow());
  EXPECT_FALSE(grid().isEnabled());
}

// The corner cell's pixels in each state differ.
TEST_F(GridTableTest, CornerShowsFocusAndEditing) {
  table->ResizeGrid(2, 2);
  QRect corner;
  grid().GetCellRect(0, 0, &corner);
  const auto cornerImage = [&] {
    QCoreApplication::processEvents();
    return grid().grab(corner).toImage();
  };
  grid().setFocus();
  const QImage focused = cornerImage();
  EXPECT_EQ(grid().GetItemImage(0, 0), CQXGridCtrl::kFocusImage);
  grid().SetFocusCell(1, 1);
  grid().EditFocusCell();
  const QImage editing = cornerImage();
  EXPECT_EQ(grid().GetItemImage(0, 0), CQXGridCtrl::kEditImage);
  grid().EndEditing();
  host->setFocus();
  const QImage unfocused = cornerImage();
  EXPECT_EQ(grid().GetItemImage(0, 0), -1);
  EXPECT_NE(focused, editing);
  EXPECT_NE(focused, unfocused);
  EXPECT_NE(editing, unfocused);
}

}  // namespace
}  // namespace tallix::test
