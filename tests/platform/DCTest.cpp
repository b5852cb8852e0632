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

TEST(DC, AnisotropicMappingSavedStatesAndTheClipBox) {
  QImage image(100, 80, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.translate(10, 0);  // the painter's own offset stays under the mapping
    CDC dc(&painter);
    const int saved = dc.SaveDC();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(QSize(1000, 1000));
    dc.SetViewportExt(QSize(50, 50));
    dc.SetWindowOrg(QPoint(200, 0));
    EXPECT_EQ(dc.LPtoDP(QPoint(400, 600)), QPoint(10, 30));
    EXPECT_EQ(dc.DPtoLP(QPoint(10, 30)), QPoint(400, 600));
    dc.FillSolidRect(QRect(400, 600, 200, 200), 0x0000FF);  // device 10..19 x 30..39, plus the offset
    QRect box;
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box.left(), 0);  // window origin 200 and the painter's 10 pixels: logical 0 is device 0
    EXPECT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.GetMapMode(), 1);
    EXPECT_EQ(dc.LPtoDP(QPoint(5, 5)), QPoint(5, 5));
    EXPECT_FALSE(dc.RestoreDC(saved));
  }
  EXPECT_EQ(image.pixel(20, 30), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(29, 39), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(30, 40), qRgb(255, 255, 255));
}
