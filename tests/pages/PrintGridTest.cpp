// Page layout and printing of the print grid on image-backed DCs.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "pages/QXPrintGridCtrl.h"

namespace tallix::test {
namespace {

class PrintGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetRowCount(101);
    grid.SetColumnCount(3);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int r = 0; r < 101; ++r) {
      grid.SetRowHeight(r, 20);
      for (int c = 1; c < 3; ++c) grid.SetItemText(r, c, "12345");
    }
  }
  // A page of 8.5 x 11 inches at `dpi`.
  static QImage page(int dpi) {
    QImage image(int(8.5 * dpi), 11 * dpi, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
    return image;
  }
  static bool inked(const QImage& image, QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
  }

  CQXPrintGridCtrl grid;
};

TEST_F(PrintGridTest, PagesAtCoarseAndFineResolutions) {
  const int screen = grid.logicalDpiY();
  for (int dpi : {72, 600}) {
    QImage image = page(dpi);
    QPainter painter(&image);
    CDC dc(&painter, true);
    CPrintInfo info;
    info.m_nCurPage = 3;
    ASSERT_TRUE(grid.PreparePrintLayout(&dc, &info)) << dpi;
    EXPECT_EQ(info.m_nCurPage, 1u);
    const int perPage = grid.GetRowsHeightPerPage();
    EXPECT_NEAR(perPage, 11 * screen - 20, 2) << dpi;
    const UINT expected = UINT((100 + perPage / 20 - 1) / (perPage / 20));
    EXPECT_EQ(info.GetMaxPage(), expected) << dpi;
    info.m_nCurPage = info.GetMaxPage();
    grid.PrintGridPage(&dc, &info);
    painter.end();
    // The last page's rows are printed near the top; the header row too.
    EXPECT_TRUE(inked(image, QRect(0, 0, image.width(), dpi / 2))) << dpi;
    EXPECT_EQ(grid.GetHeaderRowHeight(), int(20.0 * dpi / screen + 0.5)) << dpi;
    grid.ReleasePrintPens();
    EXPECT_FALSE(grid.HasPrintPens());
  }
}

TEST_F(PrintGridTest, RowTallerThanThePageIsPrinted) {
  grid.SetRowHeight(1, 5000);
  QImage image = page(72);
  QPainter painter(&image);
  CDC dc(&painter, true);
  CPrintInfo info;
  ASSERT_TRUE(grid.PreparePrintLayout(&dc, &info));
  // The tall row alone, then the others.
  const int rowsPerPage = grid.GetRowsHeightPerPage() / 20;
  EXPECT_EQ(info.GetMaxPage(), UINT(1 + (99 + rowsPerPage - 1) / rowsPerPage));
  grid.PrintGridPage(&dc, &info);
  painter.end();
  const int headerBottom = int(20 * 72.0 / grid.logicalDpiY()) + 2;
  EXPECT_TRUE(inked(image, QRect(0, headerBottom, image.width(), image.height() - headerBottom)));
}

}  // namespace
}  // namespace tallix::test
