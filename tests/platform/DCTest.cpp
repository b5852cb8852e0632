// The drawing surface on an image.
#include "platform/DC.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(DC, SelectedObjectsComeBackAndShapesFollowThePlatformsRules) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    CDC dc(&painter);
    EXPECT_FALSE(dc.IsPrinting());
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 40);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 30);
    CPen red(PS_SOLID, 1, 0x0000FF);
    CBrush blue(0xFF0000);
    CPen* oldPen = dc.SelectObject(&red);
    CBrush* oldBrush = dc.SelectObject(&blue);
    EXPECT_EQ(dc.SelectObject(&red), &red);
    dc.Rectangle(2, 2, 12, 10);  // right and bottom excluded
    EXPECT_EQ(dc.SelectObject(oldPen), &red);
    EXPECT_EQ(dc.SelectObject(oldBrush), &blue);
    dc.MoveTo(0, 20);
    dc.LineTo(10, 20);  // the end point is not drawn
    dc.SetBkColor(0x00FF00);
    dc.TextOut(20, 0, QStringLiteral("W"));
  }
  EXPECT_EQ(image.pixel(2, 2), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(11, 9), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(12, 9), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(5, 5), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(9, 20), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(10, 20), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(20, 0), qRgb(0, 255, 0));  // opaque background behind the text
}
