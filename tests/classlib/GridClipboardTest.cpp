// The grid's clipboard text, drag and drop, and the product grid's
// commands, right clicks, Delete and copy.
#include <QClipboard>
#include <QMimeData>

#include "classlib/GridEditBox.h"
#include "classlib/GridText.h"
#include "platform/ImageList.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tests/classlib/GridTestSupport.h"

using tallix::test::GridFixture;

namespace {

using Note = std::tuple<int, int, int>;

QByteArray clipboardBytes() {
  COleDataObject data;
  data.AttachClipboard();
  return data.GetGlobalData(CF_TEXT).value_or(QByteArray());
}

void setClipboardText(const QString& text) { QApplication::clipboard()->setText(text); }

TEST_F(GridFixture, CopyWritesRowsFieldsSpacesAndEmptyFieldsForUnselectedCells) {
  makeGrid(5, 4);
  grid->SetItemText(1, 1, "1.5");
  grid->SetItemText(2, 1, "-2");
  grid->SetItemText(2, 2, "x");
  grid->SetSelectedRange(1, 1, 2, 2);
  grid->OnEditCopy();
  EXPECT_EQ(clipboardBytes(), QByteArray("1.5\t \n-2\tx\0", 11));

  // A Ctrl-selection of two corners keeps every tab and line break.
  grid->SetSelectedRange(1, 1, 1, 1);
  grid->SetItemState(2, 3, grid->GetItemState(2, 3) | GRID_STATE_SELECTED);
  std::unique_ptr<COleDataSource> source(grid->CopyCellsToDataSource());
  ASSERT_TRUE(source);
  std::unique_ptr<QMimeData> mime(source->CreateMimeData());
  EXPECT_EQ(mime->text(), "1.5\t\t\n\t\t ");

  grid->ResetSelectedRange();
  EXPECT_EQ(grid->CopyCellsToDataSource(), nullptr);
}

TEST_F(GridFixture, PasteSplitsAtTabsAndSemicolonsClipsAtTheEdgesAndSkipsReadOnlyCells) {
  makeGrid(4, 4);
  grid->SetItemText(2, 2, "ro");
  grid->SetItemState(2, 2, GRID_STATE_READONLY);
  grid->SetSelectedRange(1, 1, 3, 3);
  grid->SetFocusCell(1, 1);
  owner->log.clear();
  setClipboardText("1;\t2\t\t3\n 4 \t5\t6\t7\n8");
  grid->OnEditPaste();
  EXPECT_EQ(text(1, 1), "1");
  EXPECT_EQ(text(1, 2), "2");
  EXPECT_EQ(text(1, 3), "3");
  EXPECT_EQ(text(2, 1), "4");
  EXPECT_EQ(text(2, 2), "ro");
  EXPECT_FALSE(grid->GetItemState(2, 2) & GRID_STATE_MODIFIED);
  EXPECT_EQ(text(2, 3), "6");
  EXPECT_EQ(text(3, 1), "8");
  EXPECT_EQ(grid->GetColumnCount(), 4);
  EXPECT_TRUE(grid->GetItemState(1, 2) & GRID_STATE_MODIFIED);
  EXPECT_FALSE(grid->GetItemState(1, 2) & GRID_STATE_SELECTED);
  EXPECT_TRUE(grid->GetItemState(3, 3) & GRID_STATE_SELECTED);
  EXPECT_EQ(std::count(owner->log.begin(), owner->log.end(), Note{-105, 2, 2}), 0);
  EXPECT_EQ(owner->log.front(), (Note{-105, 1, 1}));
  EXPECT_EQ(owner->log[1], (Note{-106, 1, 1}));

  // A read-only start cell takes nothing.
  grid->SetFocusCell(2, 2);
  grid->OnEditPaste();
  EXPECT_EQ(text(2, 2), "ro");
}

TEST_F(GridFixture, ClearingKeepsReadOnlyCellsCheckBoxesAndTheFocusFrame) {
  makeGrid(4, 4);
  grid->SetItemText(1, 1, "a");
  grid->SetItemText(1, 2, "ro");
  grid->SetItemState(1, 2, GRID_STATE_READONLY);
  grid->SetItemState(2, 1, GRID_STATE_CHECKBOX | GRID_STATE_CHECKED);
  grid->SetItemState(2, 2, GRID_STATE_CHECKBOX | GRID_STATE_CHECKED | GRID_STATE_READONLY);
  grid->SetFocusCell(1, 1);
  grid->SetSelectedRange(1, 1, 2, 2);
  grid->Clear();
  EXPECT_EQ(text(1, 1), "");
  EXPECT_EQ(grid->GetItemState(1, 1) & (GRID_STATE_FOCUSED | GRID_STATE_MODIFIED),
            UINT(GRID_STATE_FOCUSED | GRID_STATE_MODIFIED));
  EXPECT_EQ(text(1, 2), "ro");
  EXPECT_EQ(grid->GetItemState(2, 1) & (GRID_STATE_CHECKBOX | GRID_STATE_CHECKED), UINT(GRID_STATE_CHECKBOX));
  EXPECT_TRUE(grid->GetItemState(2, 2) & GRID_STATE_CHECKED);
}

TEST_F(GridFixture, AMoveDragWithinTheGridClearsTheSourcesAfterWritingTheTargets) {
  makeGrid(5, 4);
  grid->EnableDragAndDrop();
  grid->SetItemText(1, 1, "a");
  grid->SetItemText(1, 2, "b");
  grid->SetItemState(4, 2, GRID_STATE_READONLY);
  click(1, 1);
  QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, centre(1, 2));
  std::vector<std::string> targetsAtClear;
  DROPEFFECT refused = 0;
  const DoDragDropHandler old = SetDoDragDropHandler([&](COleDataSource& source, DROPEFFECT, QWidget*) {
    COleDataObject data;
    data.Attach(source.CreateMimeData());
    refused = grid->OnDragEnter(&data, 0, centre(4, 2));
    grid->OnDragEnter(&data, 0, centre(3, 1));
    EXPECT_TRUE(grid->GetItemState(3, 1) & GRID_STATE_DROPTARGET);
    EXPECT_EQ(grid->OnDragOver(&data, MK_CONTROL, centre(3, 2)), DROPEFFECT_COPY);
    EXPECT_EQ(grid->OnDragOver(&data, 0, centre(3, 1)), DROPEFFECT_MOVE);
    EXPECT_TRUE(grid->OnDrop(&data, DROPEFFECT_MOVE, centre(3, 1)));
    targetsAtClear = {text(3, 1), text(3, 2), text(1, 1)};
    return DROPEFFECT(DROPEFFECT_MOVE);
  });
  owner->log.clear();
  QTest::mousePress(grid, Qt::LeftButton, {}, centre(1, 1));
  QTest::mouseMove(grid, centre(2, 1));
  QTest::mouseRelease(grid, Qt::LeftButton, {}, centre(2, 1));
  SetDoDragDropHandler(old);
  EXPECT_EQ(refused, DROPEFFECT_NONE);
  EXPECT_EQ(targetsAtClear, (std::vector<std::string>{"a", "b", "a"}));
  EXPECT_EQ(text(3, 1), "a");
  EXPECT_EQ(text(3, 2), "b");
  EXPECT_EQ(text(1, 1), "");
  EXPECT_EQ(text(1, 2), "");
  EXPECT_EQ(grid->GetItemState(3, 1) & GRID_STATE_DROPTARGET, 0u);
  EXPECT_NE(std::find(owner->log.begin(), owner->log.end(), Note{-109, 1, 1}), owner->log.end());
}

TEST_F(GridFixture, DeleteWithASelectionClearsItOnceAndKeepsTheFocusCell) {
  makeGrid(4, 4);
  grid->SetItemText(1, 1, "f");
  grid->SetItemText(2, 2, "s");
  grid->SetFocusCell(1, 1);
  grid->SetSelectedRange(2, 2, 2, 2);
  owner->log.clear();
  key(Qt::Key_Delete);
  EXPECT_EQ(text(1, 1), "f");
  EXPECT_EQ(text(2, 2), "");
  EXPECT_EQ(owner->log, (std::vector<Note>{{-105, 2, 2}, {-106, 2, 2}}));
  key(Qt::Key_Delete);
  EXPECT_EQ(text(1, 1), "");
}

TEST_F(GridFixture, RightClicksSelectLikeALeftClickOnHeadersAndMoveTheFocusElsewhere) {
  makeGrid(5, 4);
  grid->SetSelectedRange(1, 1, 2, 2);
  grid->SetFocusCell(1, 1);
  QTest::mouseClick(grid, Qt::RightButton, {}, centre(4, 3));
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(4, 3));
  EXPECT_EQ(grid->GetSelectedCellRange(), CGridCellRange(1, 1, 2, 2));
  QTest::mouseClick(grid, Qt::RightButton, {}, centre(2, 2));
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(4, 3));
  QTest::mouseClick(grid, Qt::RightButton, {}, centre(0, 2));
  EXPECT_EQ(grid->GetSelectedCellRange(), CGridCellRange(1, 2, 4, 2));
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(1, 2));
  QTest::mouseClick(grid, Qt::RightButton, {}, centre(0, 0));
  EXPECT_EQ(grid->GetSelectedCellRange(), CGridCellRange(1, 1, 4, 3));
}

TEST_F(GridFixture, CommandsGoToTheEditWhileOpenAndToTheFocusedGridOtherwise) {
  makeGrid(4, 4);
  grid->SetItemText(1, 1, "12");
  grid->SetSelectedRange(1, 1, 1, 1);
  grid->SetFocusCell(1, 1);
  setClipboardText("");
  owner->setFocus();
  grid->Copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "");
  EXPECT_FALSE(grid->CanCopy());
  grid->setFocus();
  EXPECT_TRUE(grid->CanCopy());
  grid->Copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "12");
  grid->EditFocusCell();
  ASSERT_TRUE(grid->IsEditing());
  EXPECT_FALSE(grid->CanCopy());
  grid->SelectAll();
  EXPECT_TRUE(grid->CanCopy());
  grid->GetInPlaceEdit()->setCursorPosition(0);
  grid->Clear();  // nothing selected: nothing goes
  EXPECT_EQ(grid->GetInPlaceEdit()->text(), "12");
  grid->SelectAll();
  grid->Clear();
  EXPECT_EQ(grid->GetInPlaceEdit()->text(), "");
  EXPECT_TRUE(grid->CanUndo());
}

TEST(GridText, ABlockEndsAtItsNulOrItsSize) {
  const tallix::GridTextLines lines = tallix::parseGridText(QByteArray("7\t8\n\n9", 5));
  EXPECT_EQ(lines, (tallix::GridTextLines{{"7", "8"}, {""}, {}}));
  EXPECT_EQ(tallix::parseGridText(QByteArray("1\0junk", 6)), (tallix::GridTextLines{{"1"}}));
}

TEST(OrvoGrid, CopyGridFromTakesEverythingButImagesAndData) {
  COrvoGridCtrl source(3, 2, 1, 1), copy;
  source.SetRowHeight(2, 31);
  source.SetColumnWidth(1, 77);
  source.SetItemText(2, 1, "t");
  source.SetItemFormat(2, 1, DT_RIGHT);
  source.SetItemState(2, 1, GRID_STATE_READONLY | GRID_STATE_SELECTED);
  source.SetItemBkColor(1, 1, RGB(1, 2, 3));
  source.SetItemFgColor(1, 1, RGB(4, 5, 6));
  LOGFONT font = source.GetFont();
  font.lfWeight = 700;
  source.SetItemFont(0, 1, font);
  source.SetItemImage(1, 1, 3);
  source.SetItemData(1, 1, 42);
  EXPECT_TRUE(copy.CopyGridFrom(source));
  EXPECT_EQ(copy.GetRowCount(), 3);
  EXPECT_EQ(copy.GetFixedColumnCount(), 1);
  EXPECT_EQ(copy.GetRowHeight(2), 31);
  EXPECT_EQ(copy.GetColumnWidth(1), 77);
  EXPECT_EQ(copy.GetItemText(2, 1), "t");
  EXPECT_EQ(copy.GetItemFormat(2, 1), UINT(DT_RIGHT));
  EXPECT_EQ(copy.GetItemState(2, 1), UINT(GRID_STATE_READONLY | GRID_STATE_SELECTED));
  EXPECT_EQ(copy.GetSelectedCount(), 1);
  EXPECT_EQ(copy.GetItemFont(0, 1).lfWeight, 700);
  GRIDITEMINFO item;
  item.row = item.col = 1;
  item.mask = GRID_MASK_BACKGROUND | GRID_MASK_TEXTCOLOR | GRID_MASK_IMAGE | GRID_MASK_PARAM;
  copy.GetItem(&item);
  EXPECT_EQ(item.background, RGB(1, 2, 3));
  EXPECT_EQ(item.textColor, RGB(4, 5, 6));
  EXPECT_EQ(item.image, -1);
  EXPECT_EQ(item.lParam, 0);
}

}  // namespace
