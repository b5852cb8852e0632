// What the link tests share: a private world, a simulated calculator on a
// pseudo-terminal that "COM 7" stands for, short timings, and a message pump
// that counts its calls and can play the user's Cancel.
#pragma once

#include "classlib/ProfileSettings.h"
#include "link/LinkTimings.h"
#include "link/PacketChannel.h"
#include "link/SerialLink.h"
#include "platform/SerialDeviceMap.h"
#include "platform/SerialPort.h"
#include "tests/link/sim/CalcSimulator.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/ioctl.h>

namespace tallix::test {

class CountingPump : public CSerialMessagePump {
 public:
  int pumps = 0;
  // Called on every pump with the pump's number (from 1).
  std::function<void(int)> onPump;
  void PumpWaitingMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
};

// Time-outs long enough never to run out while things go right, pauses of a
// few milliseconds.
inline LinkTimings fastTimings() {
  LinkTimings t = LinkTimings().ScaledDown(100);
  t.readTimeout = t.writeTimeout = t.requestTimeout = t.readyTimeout = t.answerTimeout = 3000;
  t.cancelByteTimeout = 500;
  return t;
}

class LinkFixture : public ::testing::Test {
 protected:
  static constexpr UINT kPort = 7;

  // Before the members of a test's fixture, which may hold links.
  LinkFixture() { SetLinkTimings(fastTimings()); }

  void SetUp() override {
    previousPump_ = GetSerialMessagePump();
    SetSerialMessagePump(&pump);
    ASSERT_TRUE(sim.isOpen()) << "no pseudo-terminal";
    pointComAt(kPort, sim.devicePath());
  }
  void TearDown() override {
    SetSerialMessagePump(previousPump_);
    SetLinkTimings(LinkTimings());
  }

  // Waits until `n` bytes from the simulator are in the port's input queue.
  static bool inputArrived(CQXSerialLink& link, int n) {
    for (int i = 0; i < 2500; ++i) {
      int queued = 0;
      ioctl(link.GetPortState()->handle, FIONREAD, &queued);
      if (queued >= n) return true;
      SerialPortSleep(nullptr, 2);
    }
    return false;
  }

  // "COM port" is `path`, and the link settings name that port.
  static void pointComAt(UINT port, const std::string& path) {
    AppWriteProfileString(kCommDevicesSection, SerialDeviceProfileKey(port).c_str(), path.c_str());
    AppWriteProfileInt(kCommSettings, "Port", int(port));
  }

  // The model list of this test's program directory.
  void writeModelList(const char* content) { env.writeProgramFile(QStringLiteral("QXGraph.lst"), content); }

  // Elapsed milliseconds of `f`.
  static long long timed(const std::function<void()>& f) {
    const DWORD start = GetMillisecondClock();
    f();
    return SerialElapsed(start, GetMillisecondClock());
  }

  TestEnvironment env;
  CalcSimulator sim;
  CountingPump pump;

 private:
  CSerialMessagePump* previousPump_ = nullptr;
};

// A link on the simulator's line and a packet channel over it.
class ChannelFixture : public LinkFixture {
 protected:
  // `direction` 0 sends (two stop bits), non-zero receives.
  void open(int direction) {
    link = std::make_unique<CQXCalcLink>();
    ASSERT_TRUE(link->OpenFromSettings(direction != 0, TRUE));
    channel = std::make_unique<CQXPacketChannel>(link.get(), direction);
  }
  void shorten(DWORD LinkTimings::*member, DWORD ms) {
    LinkTimings t = link->GetTimings();
    t.*member = ms;
    link->SetTimings(t);
  }

  std::unique_ptr<CQXCalcLink> link;
  std::unique_ptr<CQXPacketChannel> channel;
};

}  // namespace tallix::test
