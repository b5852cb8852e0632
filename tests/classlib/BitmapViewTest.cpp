// The zoomable bitmap view: scroll sizes and zoom limits, the pixels it
// paints, keyboard scrolling, its context menu and the dialog control.
#include "classlib/OrvoBitmapScrollView.h"
#include "platform/CmdTarget.h"
#include "platform/Dialog.h"
#include "platform/SysColor.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

// Takes "Plus grand" (20066) of the image menu.
class Owner : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  int zoomIns = 0;
  void OnZoomIn() { ++zoomIns; }
};

const CMessageMap& Owner::messageMap() {
  static const CMessageMap map = MessageMapOf<Owner>(CWnd::messageMap()).command(20066, &Owner::OnZoomIn);
  return map;
}

// Shows a bitmap whose pixel (x, y) has red x * 10 and green y * 10.
void showGradient(COrvoBitmapScrollView* view, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 10 % 256, y * 10 % 256, 200));
  CBitmap bitmap;
  bitmap.SetImage(image);
  view->SetBitmap(std::move(bitmap));
  EXPECT_FALSE(bitmap.GetSafeHandle());
}

QRgb sysRgb(int index) { return ColorRefToQRgb(GetSysColor(index)); }

// Whether a dotted focus frame crosses the few pixels from (x, 2) on: the top
// edge of a frame 2 pixels inside the view.
bool frameAt(const QImage& image, int x) {
  for (int i = 0; i < 4; ++i)
    if (image.pixel(x + i, 2) != sysRgb(COLOR_WINDOW)) return true;
  return false;
}

class BitmapView : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.resize(300, 200);
    view = new COrvoBitmapScrollView;
    ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, &owner, 1));
    view->setGeometry(0, 0, 300, 200);
    owner.show();
    QApplication::setActiveWindow(&owner);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
  }
  void TearDown() override {
    owner.DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QImage shot() { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  Owner owner;
  COrvoBitmapScrollView* view = nullptr;
};

TEST_F(BitmapView, ScrollSizesFollowTheZoomWithinItsLimits) {
  showGradient(view, 128, 64);
  view->SetZoom(3);
  EXPECT_EQ(view->GetTotalSize(), QSize(392, 200));
  view->SetZoom(0);
  view->SetZoom(26);
  EXPECT_EQ(view->GetZoom(), 3);
  view->SetZoom(25);
  view->ZoomIn();
  EXPECT_EQ(view->GetZoom(), 25);
  view->SetZoom(1);
  view->ZoomOut();
  EXPECT_EQ(view->GetZoom(), 1);
  EXPECT_EQ(view->GetTotalSize(), QSize(136, 72));
}

TEST_F(BitmapView, PaintsEachPixelAsABlockCentredInTheWindowColour) {
  view->centred = TRUE;
  showGradient(view, 4, 2);
  view->SetZoom(3);
  const QImage image = shot();
  const QPoint origin((300 - 12) / 2, (200 - 6) / 2);
  EXPECT_EQ(view->GetBitmapRect(), QRect(origin, QSize(12, 6)));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x)
      ASSERT_EQ(image.pixel(origin + QPoint(x, y)), qRgb(x / 3 * 10, y / 3 * 10, 200)) << x << "," << y;
  EXPECT_EQ(image.pixel(origin - QPoint(1, 1)), sysRgb(COLOR_WINDOW));
  EXPECT_EQ(image.pixel(origin + QPoint(12, 6)), sysRgb(COLOR_WINDOW));
  EXPECT_EQ(image.pixel(150, 20), sysRgb(COLOR_WINDOW));

  // Cleared: the window colour inside a one-pixel black frame.
  view->SetBitmap(CBitmap());
  const QImage empty = shot();
  EXPECT_EQ(empty.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(empty.pixel(299, 199), qRgb(0, 0, 0));
  EXPECT_EQ(empty.pixel(150, 100), sysRgb(COLOR_WINDOW));
  EXPECT_EQ(view->GetTotalSize(), QSize(8, 8));
}

TEST_F(BitmapView, TheFocusFrameShowsWhileFocusedAndGoesWhileTheThumbIsHeld) {
  showGradient(view, 200, 10);  // wider than the window: a horizontal bar
  view->SetZoom(2);
  const int frame = 40;  // on the top edge, outside the bitmap's margin
  view->clearFocus();
  EXPECT_FALSE(frameAt(shot(), frame));
  view->SetFocus();
  ASSERT_TRUE(view->hasFocus());
  EXPECT_TRUE(frameAt(shot(), frame));

  QScrollBar* bar = view->GetScrollBarCtrl(SB_HORZ);
  ASSERT_TRUE(view->HasScrollBar(SB_HORZ));
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = Qt::Horizontal;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.pageStep = bar->pageStep();
  option.singleStep = bar->singleStep();
  const QPoint thumb =
      bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar).center();
  QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
  EXPECT_TRUE(view->IsScrolling());
  EXPECT_FALSE(frameAt(shot(), frame));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb);
  EXPECT_FALSE(view->IsScrolling());
  EXPECT_TRUE(frameAt(shot(), frame));
}

TEST_F(BitmapView, ArrowKeysScrollTenPixelsAndFiftyWithCtrl) {
  showGradient(view, 200, 200);
  view->SetZoom(2);
  view->SetFocus();
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(view->GetScrollPosition(), QPoint(10, 0));
  QTest::keyClick(view, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(view->GetScrollPosition(), QPoint(60, 50));
  QTest::keyClick(view, Qt::Key_Left);
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(view->GetScrollPosition(), QPoint(50, 40));
}

TEST_F(BitmapView, ARightClickShowsTheMenuAndItsCommandReachesTheParent) {
  showGradient(view, 10, 10);
  bool shown = false;
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    shown = true;
    for (QAction* action : menu->actions())
      if (action->data().toUInt() == 20066) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  });
  view->contextMenuId = 304;
  view->clearFocus();
  ASSERT_NE(owner.focusWidget(), view);
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), view->mapToGlobal(QPoint(20, 20)));
  QApplication::sendEvent(view, &click);
  EXPECT_TRUE(shown);
  // The view took the focus of its window (whether the window is active
  // again yet after the popup is the platform's affair).
  EXPECT_EQ(owner.focusWidget(), view);
  QCoreApplication::sendPostedEvents(&owner);
  EXPECT_EQ(owner.zoomIns, 1);

  // Without a menu id nothing shows.
  shown = false;
  view->contextMenuId = 0;
  QTimer::singleShot(0, [&] {
    if (auto* menu = QApplication::activePopupWidget()) {
      shown = true;
      menu->close();
    }
  });
  QApplication::sendEvent(view, &click);
  QTest::qWait(20);
  EXPECT_FALSE(shown);
}

TEST(BitmapControl, InsideADialogItTakesTheArrowKeysAndActivatesOnAPress) {
  CDialog dialog;
  dialog.resize(200, 150);
  auto* control = new COrvoBitmapControl;
  ASSERT_TRUE(control->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 1, &dialog));
  EXPECT_EQ(control->GetTotalSize(), QSize(0, 0));
  control->setGeometry(10, 10, 120, 100);
  showGradient(control, 100, 100);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(30, 30));
  EXPECT_TRUE(control->hasFocus());
  QTest::keyClick(control, Qt::Key_Down);
  EXPECT_EQ(control->GetScrollPosition(), QPoint(0, 10));
}

}  // namespace
