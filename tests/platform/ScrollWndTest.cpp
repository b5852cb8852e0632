// The scrolling base: bar actions as scroll codes, a disabled bar that stays
// on screen, and painting and input through the viewport.
#include "platform/ScrollWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSpontaneKeyEvent>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Code = std::tuple<int, UINT, UINT>;  // bar, SB_ code, position

// A window that records what reaches it and moves nothing itself.
class Recorder : public CScrollWnd<CWnd> {
 public:
  Recorder() {
    resize(200, 150);
    ShowScrollBar(SB_BOTH);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = 999;
    info.nPage = 100;
    SetScrollInfo(SB_HORZ, &info);
    SetScrollInfo(SB_VERT, &info);
  }
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override {
    EXPECT_EQ(bar, GetScrollBarCtrl(SB_HORZ));
    codes.emplace_back(SB_HORZ, code, pos);
  }
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override {
    EXPECT_EQ(bar, GetScrollBarCtrl(SB_VERT));
    codes.emplace_back(SB_VERT, code, pos);
  }
  BOOL OnMouseWheel(UINT, short delta, QPoint) override {
    wheel += delta;
    return TRUE;
  }
  std::vector<Code> codes;
  int wheel = 0;
  int presses = 0;
  QPoint pressedAt;
  int paints = 0;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    ++presses;
    pressedAt = event->position().toPoint();
  }
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter(GetViewport()).fillRect(QRect(0, 0, 10, 10), Qt::red);
  }
};

QPoint partOf(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = bar->orientation();
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.pageStep = bar->pageStep();
  option.singleStep = bar->singleStep();
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

}  // namespace

TEST(ScrollWnd, EachActionOfEitherBarArrivesOnceAsItsCodeAndTheBarWaitsForTheWindow) {
  Recorder window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int which : {SB_HORZ, SB_VERT}) {
    window.codes.clear();
    QScrollBar* bar = window.GetScrollBarCtrl(which);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(window.GetScrollLimit(which), 900);  // the range less the page

    QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarAddLine));
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    const QPoint thumb = partOf(bar, QStyle::SC_ScrollBarSlider);
    const QPoint dragged = thumb + (which == SB_HORZ ? QPoint(30, 0) : QPoint(0, 30));
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(bar, dragged);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, dragged);

    ASSERT_EQ(window.codes.size(), 7u) << which;
    const std::vector<Code> steps(window.codes.begin(), window.codes.begin() + 4);
    EXPECT_EQ(steps, (std::vector<Code>{{which, SB_LINEDOWN, 0},
                                        {which, SB_ENDSCROLL, 0},
                                        {which, SB_PAGEUP, 0},
                                        {which, SB_BOTTOM, 0}}));
    const auto [trackBar, track, trackPos] = window.codes[4];
    EXPECT_EQ(track, SB_THUMBTRACK);
    EXPECT_GT(trackPos, 0u);
    EXPECT_EQ(window.codes[5], Code(which, SB_THUMBPOSITION, trackPos));
    EXPECT_EQ(window.codes[6], Code(which, SB_ENDSCROLL, 0));
    // Nothing moved: the window did not move the bar.
    EXPECT_EQ(window.GetScrollPos(which), 0);
    EXPECT_EQ(bar->sliderPosition(), 0);
  }
  // The wheel over a bar or the viewport is the window's; it moves no bar.
  for (QWidget* target : {static_cast<QWidget*>(window.GetScrollBarCtrl(SB_VERT)), window.GetViewport()}) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    // Delivered as the user's wheel is, which goes on to the parents.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(target, &wheel);
  }
  EXPECT_EQ(window.wheel, -240);
  EXPECT_EQ(window.GetScrollPos(SB_VERT), 0);
}

TEST(ScrollWnd, ADisabledBarStaysOnScreenAndTakesNoInput) {
  Recorder window;
  window.ShowScrollBar(SB_HORZ, FALSE);
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMax = 50;
  info.nPage = 100;  // nothing to scroll
  window.SetScrollInfo(SB_VERT, &info);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QScrollBar* bar = window.GetScrollBarCtrl(SB_VERT);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(bar->isEnabled());
  QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarAddLine));
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
  EXPECT_TRUE(window.codes.empty());
  EXPECT_EQ(window.presses, 0);

  info.nMax = 500;
  window.SetScrollInfo(SB_VERT, &info);
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_FALSE(window.EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH));  // already
  EXPECT_TRUE(window.EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH));
  EXPECT_FALSE(bar->isEnabled());
}

TEST(ScrollWnd, PaintingAndMouseGoThroughTheViewportAtClientCoordinates) {
  Recorder window;
  window.ShowScrollBar(SB_HORZ, FALSE);
  // The client area leaves out the shown bar, also before the window shows.
  QRect client;
  window.GetClientRect(&client);
  EXPECT_EQ(client, QRect(0, 0, 200 - window.GetScrollBarExtent(SB_VERT), 150));
  EXPECT_EQ(window.grab().toImage().pixelColor(5, 5), QColor(Qt::red));

  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.GetViewport()->geometry(), client);
  // Repainting the window repaints what it draws.
  const int before = window.paints;
  window.repaint();
  EXPECT_GT(window.paints, before);

  QTest::mouseClick(window.GetViewport(), Qt::LeftButton, {}, QPoint(30, 40));
  EXPECT_EQ(window.presses, 1);
  EXPECT_EQ(window.pressedAt, QPoint(30, 40));
}

TEST(ScrollWnd, PositionsStayWithinTheRangeLessThePage) {
  Recorder window;
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  info.nMin = 10;
  info.nMax = 109;
  info.nPage = 20;
  info.nPos = 500;
  window.SetScrollInfo(SB_VERT, &info);
  EXPECT_EQ(window.GetScrollPos(SB_VERT), 90);
  EXPECT_EQ(window.SetScrollPos(SB_VERT, 0), 90);
  EXPECT_EQ(window.GetScrollPos(SB_VERT), 10);
  SCROLLINFO read;
  window.GetScrollInfo(SB_VERT, &read);
  EXPECT_EQ(std::tie(read.nMin, read.nMax, read.nPage, read.nPos), std::tuple(10, 109, 20u, 10));
}
