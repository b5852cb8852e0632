// The main frame reopens where the user left it.
#include "classlib/OrvoMainFrame.h"
#include "classlib/ProfileSettings.h"
#include "platform/RuntimeClass.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <gtest/gtest.h>

#include <string>

using tallix::test::TestEnvironment;

namespace {

class MainFramePlacement : public ::testing::Test {
 protected:
  ~MainFramePlacement() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // A frame as the program opens it: created, then activated.
  COrvoMainFrame* open() {
    auto* frame = qobject_cast<COrvoMainFrame*>(CreateObject(RUNTIME_CLASS(COrvoMainFrame)));
    EXPECT_TRUE(frame && frame->LoadFrame(128));
    frame->ActivateFrame();
    return frame;
  }
  static void close(COrvoMainFrame* frame) {
    QPointer<COrvoMainFrame> guard(frame);
    frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(!guard || guard->IsDestroyed());
  }
  static std::string position() {
    std::string text;
    AppGetProfileString(&text, "Settings", "WndPosition", nullptr);
    return text;
  }
  static QRect work() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

TEST_F(MainFramePlacement, NothingUsableSavedOpensNormalInsetInTheWorkArea) {
  // Absent, nine numbers, an empty rectangle from a damaged profile.
  for (const char* stored : {"", "0,1,-1,-1,-1,-1,10,10,400", "0,1,-1,-1,-1,-1,300,20,100,400"}) {
    AppWriteProfileString("Settings", "WndPosition", stored);
    AppWriteProfileInt("Settings", "WndStatus", 3);
    COrvoMainFrame* frame = open();
    EXPECT_TRUE(frame->isVisible()) << stored;
    EXPECT_FALSE(frame->isMaximized() || frame->isMinimized()) << stored;
    EXPECT_EQ(frame->geometry(), work().adjusted(50, 50, -50, -50)) << stored;
    frame->DestroyWindow();
  }
}

TEST_F(MainFramePlacement, MaximisedAndMinimisedStatesComeBack) {
  COrvoMainFrame* frame = open();
  const QRect normal(120, 90, 500, 400);
  frame->setGeometry(normal);
  frame->ShowWindow(SW_SHOWMAXIMIZED);
  close(frame);
  EXPECT_EQ(position(), "2,3,-1,-1,-1,-1,120,90,620,490");
  EXPECT_EQ(AppGetProfileInt("Settings", "WndStatus", 0), 3);

  frame = open();
  EXPECT_TRUE(frame->IsZoomed());
  EXPECT_EQ(frame->normalGeometry(), normal);
  frame->ShowWindow(SW_SHOWMINIMIZED);
  close(frame);
  EXPECT_EQ(AppGetProfileInt("Settings", "WndStatus", 0), 2);
  frame = open();
  EXPECT_TRUE(frame->IsIconic());
  frame->DestroyWindow();
}

TEST_F(MainFramePlacement, ClosingInPrintPreviewEndsThePreviewAndKeepsTheProfile) {
  AppWriteProfileString("Settings", "WndPosition", "0,1,-1,-1,-1,-1,10,20,410,320");
  COrvoMainFrame* frame = open();
  EXPECT_EQ(frame->geometry(), QRect(10, 20, 400, 300));
  frame->setGeometry(30, 40, 500, 400);
  static int previewsClosed;
  previewsClosed = 0;
  frame->m_lpfnCloseProc = [](CFrameWnd* f) {
    ++previewsClosed;
    f->m_lpfnCloseProc = nullptr;
  };
  EXPECT_TRUE(frame->IsInPrintPreview());
  frame->SendMessage(WM_CLOSE);
  EXPECT_EQ(previewsClosed, 1);
  EXPECT_FALSE(frame->IsDestroyed());
  EXPECT_EQ(position(), "0,1,-1,-1,-1,-1,10,20,410,320");
  close(frame);
  EXPECT_EQ(position(), "0,1,-1,-1,-1,-1,30,40,530,440");
}

TEST_F(MainFramePlacement, ARectangleOnAScreenThatWentComesBackVisible) {
  AppWriteProfileString("Settings", "WndPosition", "0,1,-1,-1,-1,-1,20000,-9000,20400,-8700");
  COrvoMainFrame* frame = open();
  EXPECT_EQ(frame->geometry().size(), QSize(400, 300));
  EXPECT_TRUE(work().contains(frame->geometry()));
  frame->DestroyWindow();
}

}  // namespace
