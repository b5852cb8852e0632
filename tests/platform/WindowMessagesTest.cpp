// Messages, registered messages, timers and windows that go away.
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

UINT g_switchMsg = 0;

class Receiver : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  LRESULT OnBringToFront(WPARAM w, LPARAM l) {
    calls.push_back(int(w + l));
    return 7;
  }
  LRESULT OnSwitch(WPARAM w, LPARAM) {
    calls.push_back(1000 + int(w));
    return 0;
  }
  // Replaces itself from its own handler, then still uses its members.
  LRESULT OnGoAway(WPARAM, LPARAM) {
    DestroyWindow();
    calls.push_back(-1);
    return 0;
  }
  void OnTimer(UINT_PTR id) override { ticks.push_back(id); }

  std::vector<int> calls;
  std::vector<UINT_PTR> ticks;
};
const CMessageMap& Receiver::messageMap() {
  static const CMessageMap map = MessageMapOf<Receiver>(CWnd::messageMap())
                                     .message(0x8014, &Receiver::OnBringToFront)
                                     .message(WM_APP + 1, &Receiver::OnGoAway)
                                     .registeredMessage(g_switchMsg, &Receiver::OnSwitch);
  return map;
}

// A window that owns itself, as views and frames do.
class SelfOwned : public Receiver {
 protected:
  void PostNcDestroy() override { deleteLater(); }
};

void runLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(WindowMessages, RegisteredMessagesKeepTheirIdAndReachTheMap) {
  Receiver w;
  EXPECT_EQ(w.SendMessage(0x8014, 2, 3), 7);
  g_switchMsg = RegisterWindowMessage("MSG_QXSwitchToPane");
  EXPECT_GE(g_switchMsg, 0xC000u);
  EXPECT_LE(g_switchMsg, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessage("msg_qxswitchtopane"), g_switchMsg);
  const UINT other = RegisterWindowMessage("MSG_QXSwitchToView");
  EXPECT_NE(other, g_switchMsg);
  EXPECT_GE(other, 0xC000u);
  w.SendMessage(g_switchMsg, 1);
  EXPECT_EQ(w.SendMessage(other, 1), 0);  // not in the map
  w.PostMessage(g_switchMsg, 0);
  EXPECT_EQ(w.calls, (std::vector<int>{5, 1001}));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.calls, (std::vector<int>{5, 1001, 1000}));
}

TEST(WindowMessages, AMessagePostedToAWindowThatWentIsDropped) {
  auto* gone = new Receiver;
  gone->PostMessage(0x8014, 1, 1);
  delete gone;
  Receiver destroyed;
  destroyed.PostMessage(0x8014, 1, 1);
  destroyed.DestroyWindow();
  EXPECT_FALSE(destroyed.PostMessage(0x8014, 1, 1));
  QCoreApplication::processEvents();
  EXPECT_TRUE(destroyed.calls.empty());  // posted before the destruction, never handled
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(WindowMessages, AWindowDestroyedInItsOwnHandlerIsFreedAfterIt) {
  QWidget parent;
  auto* view = new SelfOwned;
  view->setParent(&parent);
  QPointer<SelfOwned> alive(view);
  view->PostMessage(WM_APP + 1);
  QCoreApplication::processEvents();
  ASSERT_TRUE(alive);  // still there while the event ends
  EXPECT_EQ(view->calls, std::vector<int>{-1});
  EXPECT_EQ(view->parentWidget(), nullptr);  // out of its parent at once
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(alive);
}

TEST(WindowMessages, TimersTickByIdUntilKilled) {
  Receiver w;
  EXPECT_EQ(w.SetTimer(948, 5), 948u);
  EXPECT_EQ(w.SetTimer(101, 5), 101u);
  runLoop(40);
  EXPECT_TRUE(w.KillTimer(948));
  EXPECT_FALSE(w.KillTimer(948));
  const auto count = [&](UINT_PTR id) { return std::count(w.ticks.begin(), w.ticks.end(), id); };
  const auto before = count(948);
  EXPECT_GT(before, 0);
  EXPECT_GT(count(101), 0);
  runLoop(30);
  EXPECT_EQ(count(948), before);
  w.DestroyWindow();  // stops the rest
  const auto left = w.ticks.size();
  runLoop(20);
  EXPECT_EQ(w.ticks.size(), left);
}

}  // namespace
