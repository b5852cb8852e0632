// In-place editing and the keyboard of the grid, driven by real events.
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "classlib/GridEditBox.h"
#include "classlib/GridTipWnd.h"
#include "platform/Dialog.h"
#include "tests/classlib/GridTestSupport.h"

using tallix::test::GridFixture;

namespace {

using Note = std::tuple<int, int, int>;

TEST_F(GridFixture, AClickOnTheFocusCellOpensOnReleaseWithTheCaretAtTheEnd) {
  makeGrid(5, 4);
  grid->SetItemText(2, 2, "12.5");
  click(2, 2);
  EXPECT_FALSE(grid->IsEditing());
  QTest::mousePress(grid, Qt::LeftButton, {}, centre(2, 2));
  EXPECT_FALSE(grid->IsEditing());
  QTest::mouseRelease(grid, Qt::LeftButton, {}, centre(2, 2));
  CGridEditBox* edit = grid->GetInPlaceEdit();
  ASSERT_TRUE(edit);
  EXPECT_TRUE(grid->GetModified(-1, -1));
  EXPECT_EQ(edit->text(), "12.5");
  EXPECT_EQ(edit->cursorPosition(), 4);
  EXPECT_FALSE(edit->hasSelectedText());
  // A clicked edit keeps the arrows for its caret, unless Ctrl is held.
  key(Qt::Key_Left);
  EXPECT_EQ(edit->cursorPosition(), 3);
  EXPECT_EQ(edit->property("ctrlId").toInt(), 8);
  key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(text(2, 2), "12.5");
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(3, 2));
  ASSERT_TRUE(grid->GetInPlaceEdit());
  EXPECT_EQ(grid->GetInPlaceEdit()->GetRow(), 3);
}

TEST_F(GridFixture, TypingReplacesSpaceSelectsAndArrowsLeaveATypedEdit) {
  makeGrid(5, 4);
  grid->SetItemText(1, 1, "old");
  grid->SetItemText(1, 2, "keep");
  click(1, 1);
  QTest::keyClicks(grid, "7");
  CGridEditBox* edit = grid->GetInPlaceEdit();
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->text(), "7");
  key(Qt::Key_Right);
  EXPECT_EQ(text(1, 1), "7");
  EXPECT_TRUE(grid->GetItemState(1, 1) & GRID_STATE_MODIFIED);
  // The arrow went on to the next cell and reopened it, all text selected.
  edit = grid->GetInPlaceEdit();
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->GetCol(), 2);
  EXPECT_EQ(edit->selectedText(), "keep");
  key(Qt::Key_Escape);
  EXPECT_FALSE(grid->IsEditing());

  key(Qt::Key_Space);
  edit = grid->GetInPlaceEdit();
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->selectedText(), "keep");
}

TEST_F(GridFixture, EscapeKeepsTheTextAndTheModifiedBit) {
  makeGrid(5, 4);
  grid->SetItemText(2, 1, "abc");
  click(2, 1);
  QTest::keyClicks(grid, "x");
  QTest::keyClicks(grid->GetInPlaceEdit(), "yz");
  key(Qt::Key_Escape);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(text(2, 1), "abc");
  EXPECT_FALSE(grid->GetItemState(2, 1) & GRID_STATE_MODIFIED);
  EXPECT_FALSE(grid->GetModified());
}

TEST_F(GridFixture, TabEndsNotifiesMovesAndReopensAndStaysAtTheLastCell) {
  makeGrid(3, 3);
  click(2, 1);
  owner->log.clear();
  QTest::keyClicks(grid, "5");
  key(Qt::Key_Tab);
  EXPECT_EQ(text(2, 1), "5");
  EXPECT_EQ(owner->log, (std::vector<Note>{{-105, 2, 1}, {-106, 2, 1}, {-100, 2, 1}, {-101, 2, 2}, {-105, 2, 2}}));
  ASSERT_TRUE(grid->GetInPlaceEdit());
  EXPECT_EQ(grid->GetInPlaceEdit()->GetCol(), 2);
  key(Qt::Key_Tab);
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(2, 2));
  ASSERT_TRUE(grid->GetInPlaceEdit());
  key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid->GetFocusCell(), CGridCellID(2, 1));
}

TEST_F(GridFixture, EnterInsideADialogEndsTheEditNotTheDialog) {
  CDialog dialog;
  dialog.resize(300, 200);
  auto* grid2 = new COrvoGridCtrl(3, 3, 1, 1);
  grid2->Create(QRect(0, 0, 200, 100), &dialog, 101);
  auto* ok = new QPushButton("OK", &dialog);
  ok->move(10, 150);
  ok->setDefault(true);
  bool accepted = false;
  QObject::connect(ok, &QPushButton::clicked, [&] { accepted = true; });
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  grid2->setFocus();
  grid2->SetFocusCell(1, 1);
  QTest::keyClicks(grid2, "4");
  ASSERT_TRUE(grid2->IsEditing());
  QTest::keyClick(grid2->GetInPlaceEdit(), Qt::Key_Return);
  EXPECT_FALSE(accepted);
  EXPECT_EQ(grid2->GetItemText(1, 1), "4");
  EXPECT_TRUE(dialog.isVisible());
  // Without an edit, Enter on the grid is the dialog's.
  QTest::keyClick(grid2, Qt::Key_Return);
  EXPECT_TRUE(accepted);
  EXPECT_FALSE(grid2->IsEditing());
}

TEST_F(GridFixture, TypedTextSurvivesHidingAndDestroyingTheGrid) {
  makeGrid(4, 3);
  click(1, 1);
  QTest::keyClicks(grid, "9");
  QTest::keyClicks(grid->GetInPlaceEdit(), "8");
  grid->hide();
  EXPECT_EQ(text(1, 1), "98");
  EXPECT_FALSE(grid->IsEditing());

  grid->show();
  grid->setFocus();
  grid->SetFocusCell(2, 2);
  QTest::keyClicks(grid, "1");
  ASSERT_TRUE(grid->IsEditing());
  owner.reset();  // the edit ends without calling into the grid being destroyed
}

TEST_F(GridFixture, TheOwnerHearsTheEndOfAnEditTheGridsDestructionEnds) {
  makeGrid(4, 3);
  grid->SetFocusCell(2, 2);
  QTest::keyClicks(grid, "1");
  ASSERT_TRUE(grid->IsEditing());
  owner->log.clear();
  owner->DestroyWindow();
  EXPECT_EQ(text(2, 2), "1");
  EXPECT_EQ(owner->log, (std::vector<Note>{{GRIDN_ENDTEXTCHANGE, 2, 2}}));
}

TEST_F(GridFixture, ATitleTipGoesWhenTheMouseLeavesTheGrid) {
  makeGrid(4, 3);
  auto* tipping = new CGridCtrl(4, 3, 1, 1);  // the product grid has no title tips
  tipping->Create(QRect(0, 0, 400, 300), owner.get(), 101);
  tipping->SetItemText(1, 1, "a text far wider than its cell");
  QRect cell;
  ASSERT_TRUE(tipping->GetCellRect(1, 1, &cell));
  QMouseEvent move(QEvent::MouseMove, cell.center(), tipping->mapToGlobal(cell.center()), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tipping, &move);
  CGridTipWnd* tip = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<CGridTipWnd*>(w); t && t->isVisible()) tip = t;
  ASSERT_TRUE(tip);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(tipping, &leave);
  EXPECT_FALSE(tip->isVisible());
}

TEST_F(GridFixture, KeysOnReadOnlyCellsChangeNothing) {
  makeGrid(4, 3);
  grid->SetItemText(1, 1, "ro");
  grid->SetItemState(1, 1, GRID_STATE_READONLY);
  grid->SetItemState(2, 2, GRID_STATE_READONLY | GRID_STATE_CHECKBOX);
  grid->SetFocusCell(1, 1);
  owner->log.clear();
  key(Qt::Key_Delete);
  QTest::keyClicks(grid, "5");
  EXPECT_EQ(text(1, 1), "ro");
  EXPECT_FALSE(grid->IsEditing());
  click(2, 2);  // a click and Space, each on its own, leave the box as it is
  EXPECT_FALSE(grid->GetItemState(2, 2) & GRID_STATE_CHECKED);
  key(Qt::Key_Space);
  EXPECT_FALSE(grid->GetItemState(2, 2) & GRID_STATE_CHECKED);
  for (const Note& n : owner->log) EXPECT_LT(std::get<0>(n), -99) << "no text notifications";
  for (const Note& n : owner->log) EXPECT_GT(std::get<0>(n), -102);
}

}  // namespace
