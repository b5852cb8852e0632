// The character table: start code, key moves at the edges, wheel, double
// click, the remembered position and the scaled font.
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/MessageBox.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/QXCharTableDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

LOGFONTA arial(LONG height) {
  LOGFONTA font{};
  font.lfHeight = height;
  std::strcpy(font.lfFaceName, "Arial");
  return font;
}

class CharTable : public ::testing::Test {
 protected:
  void SetUp() override {
    CQXCharTableGrid::ResetRunState();
    CQXCharTableDlg::ResetRunState();
  }
  // Runs a table modelessly with `start` and hands it to `check`.
  void open(BYTE start, CQXCharTableDlg* dlg) {
    dlg->m_chosenCode = start;
    dlg->m_logFont = arial(-16);
    ASSERT_TRUE(dlg->Create(500));
    ASSERT_NE(dlg->GetGrid(), nullptr);
  }
  void key(CQXCharTableGrid* grid, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(grid, Qt::Key(k), m);
  }
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

TEST_F(CharTable, StartCodeAndKeyMovesAtTheEdges) {
  {
    CQXCharTableDlg dlg;
    open(0, &dlg);
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 32);
    dlg.GetGrid()->SelectCode(63);
    key(dlg.GetGrid(), Qt::Key_Right);
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 64);
    dlg.GetGrid()->SelectCode(255);
    key(dlg.GetGrid(), Qt::Key_Right);
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 255);
    key(dlg.GetGrid(), Qt::Key_Down);  // row 7, column 32: nowhere to go
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 255);
    dlg.GetGrid()->SelectCode(32 + 5);  // row 1
    key(dlg.GetGrid(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 37);
    dlg.GetGrid()->SelectCode(3 * 32 + 9);
    key(dlg.GetGrid(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 32 + 9);
    key(dlg.GetGrid(), Qt::Key_Up);  // row 1: previous column, row 7
    EXPECT_EQ(dlg.GetGrid()->GetCurrentCode(), 7 * 32 + 8);
    dlg.EndDialog(IDCANCEL);
  }
  // A start code of 1..31 keeps the last cell of the run.
  CQXCharTableDlg again;
  open(17, &again);
  EXPECT_EQ(again.GetGrid()->GetCurrentCode(), 7 * 32 + 8);
}

TEST_F(CharTable, WheelActsOnWholeNotches) {
  CQXCharTableDlg dlg;
  open(100, &dlg);
  CQXCharTableGrid* grid = dlg.GetGrid();
  grid->OnMouseWheel(0, -60, {});
  EXPECT_EQ(grid->GetCurrentCode(), 100);
  grid->OnMouseWheel(0, -60, {});
  EXPECT_EQ(grid->GetCurrentCode(), 101);
  grid->OnMouseWheel(0, 120, {});
  EXPECT_EQ(grid->GetCurrentCode(), 100);
  grid->SelectCode(32);
  grid->OnMouseWheel(0, 120, {});
  EXPECT_EQ(grid->GetCurrentCode(), 32);
}

TEST_F(CharTable, DoubleClickClosesWithTheCode) {
  CQXCharTableDlg dlg;
  dlg.m_logFont = arial(-16);
  QTimer::singleShot(0, &dlg, [&] {
    CQXCharTableGrid* grid = dlg.GetGrid();
    ASSERT_NE(grid, nullptr);
    // Row 2, column 3: code 66.
    const QPoint cell(2 + 2 * (grid->GetCellWidth() + 3) + 3, 2 + (grid->GetCellHeight() + 3) + 3);
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, cell);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_chosenCode, 66);
}

TEST_F(CharTable, LayoutKeepsTheLastLinesAndScalesTheFont) {
  // The factor is a percentage, 1 by default, which keeps the height.
  const auto heightFor = [this](const int* factor) {
    if (factor) AppWriteProfileInt(tallix::settings::kEditCmdList, "Cmd Font Size Factor", *factor);
    CQXCharTableDlg dlg;
    open(65, &dlg);
    const int height = dlg.GetGrid()->font().pixelSize();
    dlg.EndDialog(IDCANCEL);
    return height;
  };
  EXPECT_EQ(heightFor(nullptr), 16);
  const int half = 50;
  EXPECT_EQ(heightFor(&half), 8);

  AppWriteProfileInt(tallix::settings::kEditCmdList, "Cmd Extended", 1);
  AppWriteProfileInt(tallix::settings::kEditCmdList, "Cmd Font Size Factor", 0);
  CQXCharTableDlg dlg;
  open(65, &dlg);
  CQXCharTableGrid* grid = dlg.GetGrid();
  const int h = grid->GetCellHeight();
  EXPECT_EQ(grid->font().pixelSize(), 16);  // a factor of 0 keeps the height
  EXPECT_EQ(grid->size(), QSize(32 * (h + 1) + 1, 7 * h + 21 + 1));
  EXPECT_TRUE(dlg.rect().contains(grid->geometry()));
  auto* display = dlg.findChild<QLabel*>(QStringLiteral("static1048"));
  ASSERT_NE(display, nullptr);
  EXPECT_TRUE(display->isVisible());
  EXPECT_EQ(display->text(), QStringLiteral("65 (41h)"));
  dlg.EndDialog(IDCANCEL);

  AppWriteProfileInt(tallix::settings::kEditCmdList, "Cmd Font Size Factor", 200);
  CQXCharTableDlg twice;
  open(65, &twice);
  EXPECT_GT(twice.GetGrid()->GetCellHeight(), h + h / 2);
  twice.EndDialog(IDCANCEL);

  AppWriteProfileInt(tallix::settings::kEditCmdList, "Cmd Font Size Factor", -200);
  CQXCharTableDlg negative;
  open(65, &negative);
  EXPECT_EQ(negative.GetGrid()->font().pixelSize(), 16);
  negative.EndDialog(IDCANCEL);
}

TEST_F(CharTable, AnOffScreenPositionCentres) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  {
    CQXCharTableDlg dlg;
    open(40, &dlg);
    dlg.move(screen->geometry().topLeft() + QPoint(30, 40));
    const QPoint kept = dlg.frameGeometry().topLeft();
    dlg.EndDialog(IDOK);
    CQXCharTableDlg next;
    open(40, &next);
    EXPECT_EQ(next.frameGeometry().topLeft(), kept);
    next.move(screen->geometry().right() + 50, 10);
    next.EndDialog(IDOK);
  }
  CQXCharTableDlg centred;
  open(40, &centred);
  EXPECT_LE(qAbs(centred.frameGeometry().center().x() - screen->availableGeometry().center().x()), 2);
}

}  // namespace
