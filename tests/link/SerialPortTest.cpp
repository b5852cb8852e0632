#include "tests/link/LinkTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <sstream>

using namespace tallix::test;

namespace {

class SerialPort : public LinkFixture {
 protected:
  SerialPortOpenRecord record(DWORD stopBits = 1) {
    SerialPortOpenRecord r;
    r.port = kPort;
    r.baudRate = 9600;
    r.stopBits = stopBits;
    r.pumpInterval = 5;
    r.devicePath = sim.devicePath();
    return r;
  }
  void TearDown() override {
    SerialPortClose(&state);
    LinkFixture::TearDown();
  }
  SerialPortState state;
};

TEST_F(SerialPort, OpensExclusivelyAndFreesThePortOnClose) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  SerialPortState second;
  EXPECT_EQ(SerialPortOpen(&r, &second), SERIAL_IN_USE);
  EXPECT_EQ(SerialPortClose(&state), SERIAL_OK);
  EXPECT_EQ(SerialPortOpen(&r, &second), SERIAL_OK);
  EXPECT_EQ(SerialPortClose(&second), SERIAL_OK);
}

TEST_F(SerialPort, AMissingDeviceIsNoSuchPort) {
  QTemporaryDir dir;
  SerialPortOpenRecord r = record();
  r.devicePath = QDir(dir.path()).filePath(QStringLiteral("ttyUSB9")).toStdString();
  EXPECT_EQ(SerialPortOpen(&r, &state), SERIAL_NO_PORT);
  r.devicePath.clear();
  r.port = 0;  // no COM0 in the default map
  EXPECT_EQ(SerialPortOpen(&r, &state), SERIAL_NO_PORT);
  EXPECT_EQ(state.handle, -1);
}

TEST_F(SerialPort, SetsARawEightBitLineAndRestoresTheDeviceOnClose) {
  for (DWORD stop : {1u, 2u, 15u}) {
    SCOPED_TRACE(stop);
    SerialPortOpenRecord r = record(stop);
    r.baudRate = 4800;
    ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
    termios t{};
    ASSERT_TRUE(sim.deviceSettings(&t));
    EXPECT_EQ(bool(t.c_cflag & CSTOPB), stop != 1);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP | PARMRK));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
    ASSERT_EQ(SerialPortClose(&state), SERIAL_OK);
    ASSERT_TRUE(sim.deviceSettings(&t));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B1200));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
  }
}

TEST_F(SerialPort, UnknownStopBitsFailAndLeaveTheDeviceAsItWas) {
  SerialPortOpenRecord r = record(3);
  EXPECT_EQ(SerialPortOpen(&r, &state), SERIAL_ERROR);
  termios t{};
  ASSERT_TRUE(sim.deviceSettings(&t));
  EXPECT_EQ(cfgetospeed(&t), speed_t(B1200));
  // The port was let go: it opens again at once.
  r.stopBits = 1;
  EXPECT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
}

TEST_F(SerialPort, RatesWithoutAConstantStillOpen) {
  SerialPortOpenRecord r = record();
  r.baudRate = 14400;
  EXPECT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
}

TEST_F(SerialPort, ReadsTimeOutAndKeepWaitingWhileBytesTrickleIn) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  BYTE byte = 0;
  const long long spent = timed([&] { EXPECT_EQ(SerialPortReadByte(&state, &byte, 60), SERIAL_TIMEOUT); });
  EXPECT_GE(spent, 60);
  EXPECT_LT(spent, 3000);

  // Eight bytes 150 ms apart take longer than the time-out, but each comes
  // well within it of the one before.
  sim.trickle({1, 2, 3, 4, 5, 6, 7, 8}, 150).start();
  BYTE block[8] = {};
  EXPECT_EQ(SerialPortRead(&state, block, 8, 1000), SERIAL_OK);
  EXPECT_EQ(Bytes(block, block + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialPort, AGapLongerThanTheTimeOutEndsABlockRead) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  sim.send({1, 2}).wait(300).send({3}).start();
  BYTE block[3] = {};
  EXPECT_EQ(SerialPortRead(&state, block, 3, 100), SERIAL_TIMEOUT);
  sim.finish();
}

TEST_F(SerialPort, CancelFromAPumpEndsTheWaitAndEveryLaterCall) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  pump.onPump = [&](int n) {
    if (n == 3) SerialPortCancel(&state);
  };
  BYTE block[4];
  EXPECT_EQ(SerialPortRead(&state, block, 4, 5000), SERIAL_CANCELLED);
  EXPECT_EQ(pump.pumps, 3);
  EXPECT_TRUE(SerialPortIsCancelled(&state));
  const long long spent = timed([&] {
    EXPECT_EQ(SerialPortReadByte(&state, block, 5000), SERIAL_CANCELLED);
    EXPECT_EQ(SerialPortWrite(&state, block, 1, 5000), SERIAL_CANCELLED);
    EXPECT_EQ(SerialPortWaitOutputDrained(&state, 5000, FALSE, TRUE), SERIAL_CANCELLED);
  });
  EXPECT_LT(spent, 2500);  // at once, not after the 5 s time-outs
  EXPECT_EQ(pump.pumps, 3);
}

// The program's own pump runs the Qt event loop: a Cancel button's handler
// (here a timer) reaches a waiting read.
TEST_F(SerialPort, TheQtPumpLetsTheUserCancelAWait) {
  CQtSerialMessagePump qtPump;
  SetSerialMessagePump(&qtPump);
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  QTimer::singleShot(50, [&] { SerialPortCancel(&state); });
  BYTE byte;
  const long long spent = timed([&] { EXPECT_EQ(SerialPortReadByte(&state, &byte, 5000), SERIAL_CANCELLED); });
  EXPECT_GE(spent, 40);
  EXPECT_LT(spent, 2000);
}

TEST_F(SerialPort, WritesArriveWholeAndOnlyACancelByteGetsPastACancel) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  sim.expect({0x16, 0x13, 0xFF, 0x00}).expect({0x18}).expectSilence(50).start();
  const BYTE bytes[] = {0x16, 0x13, 0xFF, 0x00};
  EXPECT_EQ(SerialPortWrite(&state, bytes, 4, 1000), SERIAL_OK);
  // A cancel throws away what the far end has not taken yet.
  ASSERT_TRUE(sim.waitReceived(4, 2000));
  SerialPortCancel(&state);
  const BYTE cancel = 0x18;
  EXPECT_EQ(SerialPortWrite(&state, bytes, 1, 1000), SERIAL_CANCELLED);
  EXPECT_EQ(SerialPortWriteIgnoringCancel(&state, &cancel, 1, 500), SERIAL_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialPort, TheLastBytesWrittenSurviveAnImmediateClose) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  // More than the far end's line buffer holds, so that the tail is still on
  // its way when the port closes.
  Bytes data(8000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i * 7);
  sim.wait(50).expect(data).start();
  EXPECT_EQ(SerialPortWrite(&state, data.data(), DWORD(data.size()), 1000), SERIAL_OK);
  EXPECT_EQ(SerialPortClose(&state), SERIAL_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SerialPort, LineErrorsAreReportedOnceInTheirOrder) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  const struct {
    DWORD bits;
    int code;
  } cases[] = {{CE_BREAK | CE_FRAME, SERIAL_BREAK}, {CE_FRAME | CE_RXPARITY, SERIAL_FRAME},
               {CE_OVERRUN | CE_RXOVER, SERIAL_OVERRUN}, {CE_RXOVER | CE_RXPARITY, SERIAL_OVERFLOW},
               {CE_TXFULL, SERIAL_OVERFLOW}, {CE_RXPARITY, SERIAL_PARITY}, {CE_IOE, SERIAL_ERROR}};
  for (const auto& c : cases) {
    state.pendingErrors = c.bits;
    EXPECT_EQ(SerialPortGetError(&state, nullptr), c.code) << c.bits;
    EXPECT_EQ(SerialPortGetError(&state, nullptr), SERIAL_OK);
  }
  // A read reports a line error even when a byte came with it.
  sim.send({0x41}).start();
  sim.finish();
  state.pendingErrors = CE_FRAME;
  BYTE byte;
  EXPECT_EQ(SerialPortReadByte(&state, &byte, 500), SERIAL_FRAME);
}

TEST_F(SerialPort, AFailedDeviceEndsAReadAtOnce) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  sim.hangUp().start();
  sim.finish();
  BYTE byte;
  const long long spent = timed([&] { EXPECT_EQ(SerialPortReadByte(&state, &byte, 3000), SERIAL_ERROR); });
  EXPECT_LT(spent, 1000);
}

TEST_F(SerialPort, AClockWrapAroundNeitherEndsNorStretchesAWait) {
  SerialPortOpenRecord r = record();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  // The 32-bit clock wraps some 40 ms into the wait.
  tallix::setSerialClockOffset(0);
  tallix::setSerialClockOffset(DWORD(0) - GetMillisecondClock() - 40);
  BYTE byte;
  const long long spent = timed([&] { EXPECT_EQ(SerialPortReadByte(&state, &byte, 150), SERIAL_TIMEOUT); });
  tallix::setSerialClockOffset(0);
  EXPECT_GE(spent, 150);
  EXPECT_LT(spent, 1500);
}

TEST_F(SerialPort, PumpsAreThrottledUnlessForcedAndNeverNested) {
  SerialPortOpenRecord r = record();
  r.pumpInterval = 10000;
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  EXPECT_EQ(PumpMessages(&state, nullptr, FALSE, FALSE), SERIAL_OK);
  EXPECT_EQ(pump.pumps, 0);
  EXPECT_EQ(PumpMessages(&state, nullptr, FALSE, TRUE), SERIAL_OK);
  EXPECT_EQ(pump.pumps, 1);
  int nested = -1;
  pump.onPump = [&](int) { nested = PumpMessages(&state, nullptr, FALSE, TRUE); };
  PumpMessages(&state, nullptr, FALSE, TRUE);
  EXPECT_EQ(pump.pumps, 2);  // the handler's own pump did nothing
  EXPECT_EQ(nested, SERIAL_OK);
  SerialPortCancel(&state);
  EXPECT_EQ(PumpMessages(&state, nullptr, FALSE, FALSE), SERIAL_CANCELLED);
}

TEST_F(SerialPort, TracesReceivedBytes) {
  QTemporaryDir dir;
  const std::string file = QDir(dir.path()).filePath(QStringLiteral("trace.txt")).toStdString();
  SerialPortOpenRecord r = record();
  r.traceFile = file.c_str();
  ASSERT_EQ(SerialPortOpen(&r, &state), SERIAL_OK);
  sim.send({0x16, 0xFF}).start();
  BYTE two[2];
  ASSERT_EQ(SerialPortRead(&state, two, 2, 1000), SERIAL_OK);
  sim.finish();
  SerialPortClose(&state);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  const std::string lines = text.str();
  EXPECT_NE(lines.find(";0x16;22;\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find(";0xff;255;\n"), std::string::npos) << lines;
  EXPECT_EQ(lines.rfind("RCV;", 0), 0u);
}

TEST(SerialDeviceMap, NumbersRealPortsFirstThenAdaptersInNumericOrder) {
  QTemporaryDir dev, sys;
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyS1", "ttyS0", "ttyS12", "ttyACM0", "ttyS", "tty0", "ttyUSBx"})
    QFile(QDir(dev.path()).filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
  // ttyS1 has no UART behind it; ttyS12 has no sysfs entry and stays.
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
    QDir(sys.path()).mkpath(QLatin1String(name));
    QFile f(QDir(sys.path()).filePath(QLatin1String(name) + QStringLiteral("/type")));
    f.open(QIODevice::WriteOnly);
    f.write(type);
  }
  const std::string d = dev.path().toStdString();
  const std::vector<std::string> expected = {d + "/ttyS0", d + "/ttyS12", d + "/ttyUSB2", d + "/ttyUSB10",
                                             d + "/ttyACM0"};
  EXPECT_EQ(ListSerialDevices(d, sys.path().toStdString()), expected);
  EXPECT_EQ(SerialDeviceProfileKey(3), "COM3");
}

}  // namespace
