#include "tests/link/LinkTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace tallix::test;

namespace {

class SerialLink : public LinkFixture {
 protected:
  speed_t deviceSpeed() {
    termios t{};
    EXPECT_TRUE(sim.deviceSettings(&t));
    return cfgetospeed(&t);
  }
  bool deviceTwoStopBits() {
    termios t{};
    EXPECT_TRUE(sim.deviceSettings(&t));
    return t.c_cflag & CSTOPB;
  }
};

TEST_F(SerialLink, OpensTheDeviceTheProfileGivesTheComNumber) {
  AppWriteProfileString(kCommSettings, "Baud", "2400");
  CQXCalcLink link;
  ASSERT_TRUE(link.Open(CQXCalcLink::RECEIVE, "NO SUCH MODEL", TRUE));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(link.GetPortNumber(), kPort);
  EXPECT_EQ(deviceSpeed(), speed_t(B2400));
  EXPECT_FALSE(deviceTwoStopBits());
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(deviceSpeed(), speed_t(B1200));
}

TEST_F(SerialLink, AModelThatFixesTheSettingsWinsOverTheUsersOnes) {
  writeModelList("[CFX-TEST]\r\nComm=1,2,4800,9600,4\r\n[FREE]\r\nComm=0,1,1200,1200,5\r\n");
  AppWriteProfileString(kCommSettings, "Baud", "19200");
  {
    CQXCalcLink link;
    ASSERT_TRUE(link.Open(CQXCalcLink::RECEIVE, "CFX-TEST", TRUE));
    EXPECT_EQ(deviceSpeed(), speed_t(B4800));
    EXPECT_FALSE(deviceTwoStopBits());
  }
  {
    CQXCalcLink link;
    ASSERT_TRUE(link.Open(CQXCalcLink::SEND, "CFX-TEST", TRUE));
    EXPECT_EQ(deviceSpeed(), speed_t(B4800));
    EXPECT_TRUE(deviceTwoStopBits());
  }
  {
    CQXCalcLink link;
    ASSERT_TRUE(link.Open(CQXCalcLink::SCREEN_COPY, "CFX-TEST", TRUE));
    EXPECT_EQ(deviceSpeed(), speed_t(B9600));
  }
  {
    // Not fixed: the user's settings hold.
    CQXCalcLink link;
    ASSERT_TRUE(link.Open(CQXCalcLink::RECEIVE, "FREE", TRUE));
    EXPECT_EQ(deviceSpeed(), speed_t(B19200));
  }
}

TEST_F(SerialLink, ReadsTheModelsCommEntry) {
  writeModelList(
      "[A]\r\nComm=1,2,4800,9600,4\r\n"
      "[B]\r\nComm=0,0,9600,9600,5\r\n"
      "[C]\r\nComm=1\r\n"
      "[D]\r\nCalculator Type=FX9850\r\n"
      "[E]\r\nComm=1,0,9600,9600,5,0000000000000000000000000000000000000000000000000000\r\n");
  int fixed = -1, parity = -1, baud = -1, screen = -1;
  ASSERT_TRUE(ReadModelCommEntry("A", &fixed, &parity, &baud, &screen));
  EXPECT_EQ(fixed, 1);
  EXPECT_EQ(parity, 2);
  EXPECT_EQ(baud, 4800);
  EXPECT_EQ(screen, 9600);
  ASSERT_TRUE(ReadModelCommEntry("C", &fixed, &parity, &baud, &screen));
  EXPECT_EQ(fixed, 1);
  EXPECT_EQ(parity, 0);
  EXPECT_EQ(baud, 9600);
  EXPECT_EQ(screen, 9600);
  EXPECT_FALSE(ReadModelCommEntry("D", &fixed, &parity, &baud, &screen));
  EXPECT_FALSE(ReadModelCommEntry("E", &fixed, &parity, &baud, &screen));  // longer than 60
  EXPECT_FALSE(ReadModelCommEntry(nullptr, &fixed, &parity, &baud, &screen));

  EXPECT_EQ(GetModelProtocolFamily("A"), 4);
  EXPECT_EQ(GetModelProtocolFamily("B"), PROTOCOL_FAMILY_MCS);
  EXPECT_EQ(GetModelProtocolFamily("C"), 4);
  EXPECT_EQ(GetModelProtocolFamily("D"), 0);
  EXPECT_EQ(GetModelProtocolFamily("E"), 0);
}

TEST_F(SerialLink, PortTimeOutsFollowTheRateAndTheChunkSizes) {
  struct Case {
    int readSize, writeSize;
    const char* baud;
    DWORD perChar, readConstant, writeConstant;
  } cases[] = {{1, 1, "9600", 1, 1, 1}, {30, 1, "9600", 1, 20, 1}, {1, 30, "4800", 2, 2, 20},
               {2, 4, "1200", 8, 1, 3}, {1, 1, "19200", 1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baud);
    AppWriteProfileInt(kCommSettings, "Read Size", c.readSize);
    AppWriteProfileInt(kCommSettings, "Write Size", c.writeSize);
    AppWriteProfileString(kCommSettings, "Baud", c.baud);
    CQXSerialLink link;
    ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
    const COMMTIMEOUTS& t = link.GetPortState()->timeouts;
    EXPECT_EQ(t.ReadIntervalTimeout, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, c.perChar);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, c.readConstant);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, c.perChar);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, c.writeConstant);
  }
}

TEST_F(SerialLink, NonsenseSettingsAreKeptInBounds) {
  AppWriteProfileInt(kCommSettings, "Read Size", 0);
  AppWriteProfileInt(kCommSettings, "Write Size", 100000);
  AppWriteProfileInt(kCommSettings, "SND char wait time", -500);
  AppWriteProfileString(kCommSettings, "Baud", "0");
  CQXSerialLink link;
  EXPECT_EQ(link.GetReadChunkSize(), 1);
  EXPECT_EQ(link.GetWriteChunkSize(), 4096);
  EXPECT_EQ(link.GetCharWait(), 0);
  link.SetWriteChunkSize(-3);
  EXPECT_EQ(link.GetWriteChunkSize(), 1);
  link.SetCharWait(-1);
  EXPECT_EQ(link.GetCharWait(), 0);
  ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
  EXPECT_EQ(deviceSpeed(), speed_t(B9600));
  link.Close();
  AppWriteProfileString(kCommSettings, "Baud", "fast");
  ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
  EXPECT_EQ(deviceSpeed(), speed_t(B9600));
  // A block with chunk size 1 and no pause still goes through.
  sim.send({1, 2, 3}).start();
  BYTE three[3];
  EXPECT_TRUE(link.Read(three, 3));
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialLink, ALongReadPumpsAfterEveryTenthChunk) {
  LinkTimings t = fastTimings();
  t.pumpInterval = 0;
  SetLinkTimings(t);
  CQXSerialLink link;
  ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
  Bytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i * 7);
  sim.send(data).start();
  ASSERT_TRUE(sim.finish()) << sim.error();
  ASSERT_TRUE(inputArrived(link, 300));
  pump.pumps = 0;
  Bytes got(300);
  ASSERT_TRUE(link.Read(got.data(), 300));
  EXPECT_EQ(got, data);
  EXPECT_EQ(pump.pumps, 30);
  EXPECT_EQ(link.GetByteCount(), 300u);
}

TEST_F(SerialLink, ASendStopsWhenTheCalculatorSpeaks) {
  CQXSerialLink link;
  ASSERT_TRUE(link.OpenFromSettings(FALSE, TRUE));
  sim.send({0x18}).start();
  ASSERT_TRUE(sim.finish());
  ASSERT_TRUE(inputArrived(link, 1));
  const BYTE data[4] = {1, 2, 3, 4};
  EXPECT_FALSE(link.Write(data, 4));
  EXPECT_EQ(link.GetLastCode(), SERIAL_ERROR);
  EXPECT_EQ(link.GetErrorClass(), LINK_ERROR_LINE);
  EXPECT_FALSE(link.IsLineError());
  EXPECT_EQ(link.GetByteCount(), 0u);
  // A single byte too: the calculator's byte was there before it went out.
  EXPECT_FALSE(link.Write(data, 1));
  EXPECT_EQ(link.GetLastCode(), SERIAL_ERROR);
}

TEST_F(SerialLink, CountsBytesBothWaysAndPausesAfterEachChunk) {
  AppWriteProfileInt(kCommSettings, "SND char wait time", 20);
  AppWriteProfileInt(kCommSettings, "Write Size", 2);
  CQXSerialLink link;
  ASSERT_TRUE(link.OpenFromSettings(FALSE, TRUE));
  sim.expect({1, 2, 3, 4, 5}).send({9, 8}).start();
  const BYTE data[5] = {1, 2, 3, 4, 5};
  const long long spent = timed([&] { EXPECT_TRUE(link.Write(data, 5)); });
  EXPECT_GE(spent, 60);  // three chunks
  BYTE answer;
  EXPECT_TRUE(link.ReadByte(&answer, 1000));
  EXPECT_EQ(answer, 9);
  EXPECT_TRUE(link.ReadByte(&answer, 1000));
  EXPECT_EQ(link.GetByteCount(), 7u);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialLink, FailuresAreGroupedIntoErrorClasses) {
  CQXSerialLink first;
  ASSERT_TRUE(first.OpenFromSettings(TRUE, TRUE));
  EXPECT_EQ(first.GetErrorClass(), LINK_ERROR_NONE);

  CQXSerialLink second;
  EXPECT_FALSE(second.OpenFromSettings(TRUE, TRUE));
  EXPECT_EQ(second.GetErrorClass(), LINK_ERROR_IN_USE);

  pointComAt(kPort + 1, "/nonexistent/ttyUSB0");
  CQXSerialLink missing;
  EXPECT_FALSE(missing.OpenFromSettings(TRUE, TRUE));
  EXPECT_EQ(missing.GetErrorClass(), LINK_ERROR_NO_PORT);
  EXPECT_EQ(missing.GetPortNumber(), kPort + 1);

  // A device the user may not open is held by no one: it cannot be opened,
  // and is not "in use". Root opens anything, so the open runs as nobody.
  QTemporaryDir dir;
  const QString locked = dir.filePath(QStringLiteral("ttyUSB0"));
  ASSERT_TRUE(writeFileContents(locked, "x"));
  ASSERT_TRUE(QFile::setPermissions(locked, {}));
  SerialPortOpenRecord record;
  record.devicePath = locked.toStdString();
  SerialPortState state;
  const bool root = geteuid() == 0;
  ASSERT_TRUE(!root || seteuid(65534) == 0);
  const int refused = SerialPortOpen(&record, &state);
  ASSERT_TRUE(!root || seteuid(0) == 0);
  EXPECT_EQ(refused, SERIAL_NO_ACCESS);
  struct CodedLink : CQXSerialLink {
    using CQXSerialLink::SetLastCode;
  } coded;
  coded.SetLastCode(refused);
  EXPECT_EQ(coded.GetErrorClass(), LINK_ERROR_NO_PORT);

  BYTE byte;
  EXPECT_FALSE(first.ReadByte(&byte, 30));
  EXPECT_EQ(first.GetErrorClass(), LINK_ERROR_TIMEOUT);
  first.GetPortState()->pendingErrors = CE_OVERRUN;
  EXPECT_FALSE(first.ReadByte(&byte, 30));
  EXPECT_EQ(first.GetErrorClass(), LINK_ERROR_LINE);
  EXPECT_TRUE(first.IsLineError());
  first.Cancel();
  EXPECT_EQ(first.GetErrorClass(), LINK_ERROR_CANCELLED);
  EXPECT_FALSE(first.Read(&byte, 1));
  EXPECT_EQ(first.GetErrorClass(), LINK_ERROR_CANCELLED);
}

TEST_F(SerialLink, CancelDuringABlockReadStopsItAndTheCancelByteStillGoesOut) {
  CQXSerialLink link;
  ASSERT_TRUE(link.OpenFromSettings(TRUE, TRUE));
  pump.onPump = [&](int n) {
    if (n == 2) link.Cancel();
  };
  sim.expect({0x18}).expectSilence(50).start();
  Bytes buffer(10);
  EXPECT_FALSE(link.Read(buffer.data(), 10));
  EXPECT_TRUE(link.IsCancelled());
  EXPECT_FALSE(link.Write(buffer.data(), 1));
  EXPECT_TRUE(link.SendCancelByte());
  EXPECT_TRUE(link.SendCancelByte());  // told once is enough
  EXPECT_EQ(link.GetErrorClass(), LINK_ERROR_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialLink, OnlyAnAutoClosingLinkClosesOnDestruction) {
  {
    CQXCalcLink link;
    ASSERT_TRUE(link.Open(CQXCalcLink::RECEIVE, "", TRUE));
  }
  {
    CQXCalcLink link;  // the first one let go of the port
    ASSERT_TRUE(link.Open(CQXCalcLink::RECEIVE, "", FALSE));
  }
  CQXCalcLink third;  // the second one kept it
  EXPECT_FALSE(third.Open(CQXCalcLink::RECEIVE, "", TRUE));
  EXPECT_EQ(third.GetErrorClass(), LINK_ERROR_IN_USE);
}

}  // namespace
