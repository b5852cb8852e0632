// The grid's cell store, focus bookkeeping, sorting, scrolling and painting.
#include <QImage>
#include <QScrollBar>

#include "platform/ScrollView.h"
#include "platform/SysColor.h"
#include "tests/classlib/GridTestSupport.h"

using tallix::test::GridFixture;

namespace {

using Note = std::tuple<int, int, int>;

TEST(GridModel, NewCellsTakeTheFormatAboveAndAColumnOnAnEmptyGridMakesARow) {
  CGridCtrl grid(1, 3, 0, 0);
  grid.SetItemFormat(0, 1, DT_RIGHT);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.GetItemFormat(2, 1), UINT(DT_RIGHT));
  EXPECT_EQ(grid.GetItemFormat(2, 0), 0u);

  CGridCtrl empty;
  EXPECT_EQ(empty.InsertColumn("Nom", DT_CENTER), 0);
  EXPECT_EQ(empty.GetRowCount(), 1);
  EXPECT_EQ(empty.GetItemText(0, 0), "Nom");
  EXPECT_EQ(empty.InsertColumn("x", 0, 5), -1);
}

TEST(GridModel, ShrinkingDropsTheFocusAndTheSelectionBeyond) {
  CGridCtrl grid(8, 4, 1, 1);
  grid.SetFocusCell(6, 2);
  grid.SetSelectedRange(4, 1, 7, 2);
  grid.SetRowCount(5);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(-1, -1));
  EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(4, 1, 4, 2));
  EXPECT_EQ(grid.GetSelectedCount(), 2);
}

TEST(GridModel, InsertAndDeleteKeepTheFocusOnItsCell) {
  CGridCtrl grid(8, 4, 1, 1);
  grid.SetItemText(5, 2, "f");
  grid.SetFocusCell(5, 2);
  grid.SetSelectedRange(1, 1, 2, 2);
  grid.DeleteRow(3);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(4, 2));
  EXPECT_EQ(grid.GetItemText(4, 2), "f");
  EXPECT_TRUE(grid.GetItemState(4, 2) & GRID_STATE_FOCUSED);
  EXPECT_EQ(grid.GetSelectedCount(), 0);
  grid.InsertRow("new", 1);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(5, 2));
  grid.DeleteColumn(1);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(5, 1));
  grid.DeleteRow(5);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(-1, -1));
}

TEST(GridModel, ClearingOneCellsModifiedBitWithTheGridFlagClearClearsAll) {
  CGridCtrl grid(4, 4, 1, 1);
  grid.SetItemState(1, 1, GRID_STATE_MODIFIED);
  grid.SetItemState(2, 3, GRID_STATE_MODIFIED | GRID_STATE_READONLY);
  grid.SetModified(FALSE, 1, 2);
  EXPECT_EQ(grid.GetItemState(1, 1), 0u);
  EXPECT_EQ(grid.GetItemState(2, 3), UINT(GRID_STATE_READONLY));
  grid.SetModified(TRUE, 2, 2);
  EXPECT_TRUE(grid.IsGridModified());
  EXPECT_TRUE(grid.GetItemState(2, 2) & GRID_STATE_MODIFIED);
}

TEST(GridModel, SortKeepsEqualRowsAndComparesBytes) {
  CGridCtrl grid(6, 2, 1, 1);
  for (int r = 1; r < 6; ++r) {
    grid.SetItemText(r, 1, "x");
    grid.SetItemData(r, 1, r);
  }
  grid.SortRowsByColumnText(1, TRUE);
  for (int r = 1; r < 6; ++r) EXPECT_EQ(grid.GetItemData(r, 1), r);

  const char* texts[] = {"b", "\xE9t\xE9", "B", "a", "b"};
  for (int r = 1; r < 6; ++r) grid.SetItemText(r, 1, texts[r - 1]);
  grid.SetRowHeight(3, 33);  // "B"'s row
  grid.SortRowsByColumnText(1, TRUE);
  const char* sorted[] = {"B", "a", "b", "b", "\xE9t\xE9"};
  for (int r = 1; r < 6; ++r) EXPECT_EQ(grid.GetItemText(r, 1), sorted[r - 1]);
  EXPECT_EQ(grid.GetRowHeight(1), 33);
  grid.SortRowsByColumnText(1, FALSE);
  EXPECT_EQ(grid.GetItemText(1, 1), "\xE9t\xE9");
}

TEST_F(GridFixture, FocusChangesAreNotifiedOldThenNew) {
  makeGrid(5, 4);
  grid->SetFocusCell(1, 1);
  grid->SetFocusCell(2, 3);
  EXPECT_EQ(owner->log, (std::vector<Note>{{-101, 1, 1}, {-100, 1, 1}, {-101, 2, 3}}));
}

TEST_F(GridFixture, AHundredRowsScrollByWholeRowsAndSortInListMode) {
  makeGrid(101, 10, QSize(300, 200));
  for (int r = 1; r <= 100; ++r) grid->SetItemText(r, 2, std::to_string(1000 - r));
  EXPECT_GT(grid->GetScrollMax(SB_VERT), 0);
  grid->EnsureVisible(100, 9);
  EXPECT_TRUE(grid->IsCellVisible(100, 9));
  const CGridCellRange range = grid->GetFullyVisibleCellRange();
  EXPECT_EQ(range.maxRow, 100);
  EXPECT_EQ(grid->GetScrollPos32(SB_VERT) % 20, 0);
  grid->OnVScroll(SB_TOP, 0);
  grid->OnHScroll(SB_LEFT, 0);
  EXPECT_EQ(grid->GetFirstVisibleCell(), CGridCellID(1, 1));

  grid->SetListMode();
  click(0, 2);
  EXPECT_EQ(text(1, 2), "900");
  EXPECT_EQ(grid->GetSortColumn(), 2);
  click(0, 2);
  EXPECT_EQ(text(1, 2), "999");
}

TEST_F(GridFixture, HeaderBordersResizeByDraggingAndFitByDoubleClicking) {
  makeGrid(4, 4);
  grid->SetItemText(2, 1, "a rather long cell text");
  QTest::mouseMove(grid, QPoint(79, 10));
  EXPECT_EQ(grid->GetMouseMode(), GRID_MOUSE_OVER_COL_BORDER);
  QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(79, 10));
  QTest::mouseMove(grid, QPoint(120, 10));
  QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(120, 10));
  EXPECT_EQ(grid->GetColumnWidth(1), 80);
  QTest::mouseMove(grid, QPoint(119, 10));
  QTest::mouseDClick(grid, Qt::LeftButton, {}, QPoint(119, 10));
  EXPECT_GT(grid->GetColumnWidth(1), 100);
  EXPECT_EQ(grid->GetColumnWidth(2), 40);
}

TEST_F(GridFixture, WheelPartsOfANotchAddUp) {
  makeGrid(60, 3, QSize(200, 150));
  for (int i = 0; i < 240; ++i) grid->OnMouseWheel(0, -1, QPoint());
  EXPECT_GT(grid->GetScrollPos32(SB_VERT), 0);
}

// ---- painting ----

QColor pixel(const QImage& image, QPoint p) { return image.pixelColor(p); }

TEST_F(GridFixture, PaintsHeadersSelectionFocusLinesAndShadow) {
  makeGrid(5, 4);
  grid->SetItemText(1, 0, "Abc");
  grid->SetItemText(2, 0, "Abc");
  grid->SetSelectedRange(1, 1, 2, 2);
  grid->SetFocusCell(1, 1);
  grid->SetItemState(3, 3, GRID_STATE_CHECKBOX);
  grid->SetItemState(4, 3, GRID_STATE_CHECKBOX | GRID_STATE_CHECKED);
  const QImage image = grid->grab().toImage();
  QRect focus, selected, header1, header2, check, checked;
  grid->GetCellRect(1, 1, &focus);
  grid->GetCellRect(2, 2, &selected);
  grid->GetCellRect(1, 0, &header1);
  grid->GetCellRect(2, 0, &header2);
  grid->GetCellRect(3, 3, &check);
  grid->GetCellRect(4, 3, &checked);

  // The focus cell: black frame on the background, not highlighted.
  EXPECT_EQ(pixel(image, focus.topLeft()), QColor(Qt::black));
  EXPECT_EQ(pixel(image, focus.center()), ColorRefToQColor(grid->GetBkColor()));
  EXPECT_EQ(pixel(image, selected.center()), ColorRefToQColor(GetSysColor(COLOR_HIGHLIGHT)));
  // The focus row's header is sunken, the next one raised; bold text is darker.
  EXPECT_EQ(pixel(image, header1.topLeft()), ColorRefToQColor(GetSysColor(COLOR_3DDKSHADOW)));
  EXPECT_EQ(pixel(image, header2.topLeft()), ColorRefToQColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
  const auto ink = [&](const QRect& r) {
    int n = 0;
    for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
      for (int x = r.left() + 2; x < r.right() - 1; ++x) n += qGray(image.pixel(x, y)) < 100;
    return n;
  };
  EXPECT_GT(ink(header1), ink(header2));
  // Grid lines, and the shadow right of the last column.
  EXPECT_EQ(pixel(image, QPoint(selected.right() + 1, selected.center().y())), QColor(192, 192, 192));
  EXPECT_EQ(pixel(image, QPoint(4 * 40 + 10, 10)), ColorRefToQColor(grid->GetShadowColor()));
  // A check box, checked and not.
  EXPECT_NE(image.copy(check), image.copy(checked));
  EXPECT_EQ(pixel(image, check.center()), ColorRefToQColor(GetSysColor(COLOR_WINDOW)));
}

}  // namespace
