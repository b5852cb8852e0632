// The serial port under the calculator link: free functions over one
// SerialPortState that open a port "COM n" for byte transfer, read and write
// with overall time-outs, keep the user interface alive while they wait, and
// can be cancelled from a message handler that runs inside one of their waits.
//
// On this platform a port is a POSIX terminal device driven through termios:
// - "COM n" names a device through the COM map (platform/SerialDeviceMap.h);
//   the open record may name the device itself.
// - The open is exclusive: TIOCEXCL for other programs and an advisory lock
//   (flock) that also holds against privileged openers; both go at close.
// - Raw binary 8-bit mode: no line editing, no echo, no translation, no
//   software (0x11/0x13 are data) or hardware flow control, modem lines
//   ignored (CLOCAL). The device's settings are saved at open and restored at
//   close.
// - Line errors (break, framing, parity, overrun, buffer overflow) come from
//   the driver's error counters where the driver keeps them (TIOCGICOUNT); a
//   device without counters (a pseudo-terminal) reports none.
// - DTR and RTS are set where the device has them; a device without modem
//   lines refuses those calls and that is ignored.
// - Every wait sleeps in poll()/nanosleep for at most the time until the next
//   message pump is due; nothing spins.
//
// Every function returns a port result code (0 = success).
#pragma once

#include "platform/WinTypes.h"

#include <cstdio>
#include <string>
#include <vector>

// Port result codes.
enum : int {
  SERIAL_OK = 0,
  SERIAL_BREAK = 1,
  SERIAL_TIMEOUT = 2,
  SERIAL_FRAME = 3,
  SERIAL_OVERRUN = 4,
  SERIAL_PARITY = 5,
  SERIAL_OVERFLOW = 6,
  SERIAL_ERROR = 7,
  SERIAL_IN_USE = 8,
  SERIAL_CANCELLED = 10,
  SERIAL_NO_PORT = 11,
  // The user may not open the device (not in its group, usually "dialout");
  // unlike SERIAL_IN_USE, no other program holds it.
  SERIAL_NO_ACCESS = 12,
};

// Error bits of the port's error state (reported and cleared by
// SerialPortGetError).
enum : DWORD {
  CE_RXOVER = 0x0001,
  CE_OVERRUN = 0x0002,
  CE_RXPARITY = 0x0004,
  CE_FRAME = 0x0008,
  CE_BREAK = 0x0010,
  CE_TXFULL = 0x0100,
  CE_IOE = 0x0400,
};

// The port's time-outs for one platform read or write call. This platform
// bounds every wait by the caller's overall time-out and the pump interval
// instead; the values are kept with the port for what they describe.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout = 0;
  DWORD ReadTotalTimeoutMultiplier = 0;
  DWORD ReadTotalTimeoutConstant = 0;
  DWORD WriteTotalTimeoutMultiplier = 0;
  DWORD WriteTotalTimeoutConstant = 0;
};

struct SerialPortOpenRecord {
  DWORD port = 1;        // 1..255, "COM n"
  DWORD baudRate = 9600;
  DWORD dataBits = 8;
  DWORD parity = 0;      // 0 none, 1 odd, anything else even
  DWORD stopBits = 1;    // 1, 2, or 15 for one and a half; others fail with 7
  DWORD receiving = 0;   // kept in the state only
  DWORD rts = 0;
  DWORD dtr = 0;
  DWORD pumpInterval = 100;
  // How long the close waits for the last bytes written to leave.
  DWORD closeTimeout = 10000;
  COMMTIMEOUTS timeouts;
  const char* traceFile = nullptr;
  // The device that stands for "COM n"; empty: the default COM map.
  std::string devicePath;
};

struct SerialPortState {
  int handle = -1;
  // Set by SerialPortCancel (possibly from a handler inside a pump); polled by
  // every loop after each pump.
  int cancelled = 0;
  DWORD receiving = 0;
  DWORD lastPumpTime = 0;
  int pumpNesting = 0;
  DWORD pumpInterval = 100;
  DWORD closeTimeout = 10000;
  // The device's terminal settings before the open; empty: nothing saved.
  std::vector<unsigned char> savedSettings;
  BOOL timeoutsSaved = FALSE;
  COMMTIMEOUTS savedTimeouts;
  COMMTIMEOUTS timeouts;
  // Error bits noted but not yet reported by SerialPortGetError.
  DWORD pendingErrors = 0;
  // The driver's error counters at the last look (break, frame, parity,
  // overrun, buffer overrun); valid only when `haveCounters`.
  BOOL haveCounters = FALSE;
  int counters[5] = {0, 0, 0, 0, 0};
  std::FILE* trace = nullptr;
};

// The interface the port pumps while it waits. The program installs one that
// runs the Qt event loop, so that the progress dialog's Cancel reaches the
// port; with none installed (the default) waits pump nothing.
class CSerialMessagePump {
 public:
  virtual ~CSerialMessagePump() = default;
  // Handles the messages that are waiting and returns; never blocks.
  virtual void PumpWaitingMessages() = 0;
};
void SetSerialMessagePump(CSerialMessagePump* pump);
CSerialMessagePump* GetSerialMessagePump();

// Runs QCoreApplication::processEvents() once per pump.
class CQtSerialMessagePump : public CSerialMessagePump {
 public:
  void PumpWaitingMessages() override;
};

// Milliseconds of a monotonic clock, truncated to 32 bits. Intervals are
// taken as unsigned differences, so a wrap-around neither ends a wait early
// nor makes it endless.
DWORD GetMillisecondClock();
inline DWORD SerialElapsed(DWORD start, DWORD now) { return now - start; }

int SerialPortOpen(const SerialPortOpenRecord* record, SerialPortState* state);
// Lets the bytes written leave first (at most the close time-out), drops
// unread input, restores the device's settings and closes it. Output is
// never purged here: the last packet of a transfer is often written just
// before the close.
int SerialPortClose(SerialPortState* state);
// Purges both directions and sets the cancel flag; TRUE when the purge
// worked. Safe inside a handler that a pump of this layer runs.
BOOL SerialPortCancel(SerialPortState* state);
BOOL SerialPortIsCancelled(const SerialPortState* state);
int SerialPortReadByte(SerialPortState* state, BYTE* out, DWORD timeoutMs);
// 0 when all `length` bytes arrived; the time-out runs from the start or from
// the last pass that brought bytes.
int SerialPortRead(SerialPortState* state, void* buffer, DWORD length, DWORD timeoutMs);
// 0 when every byte was written and the output queue has drained.
int SerialPortWrite(SerialPortState* state, const void* buffer, DWORD length, DWORD timeoutMs);
// Writes bytes even when the port is cancelled, without pumping: the one way
// to tell the peer that a cancelled transfer has ended.
int SerialPortWriteIgnoringCancel(SerialPortState* state, const void* buffer, DWORD length, DWORD timeoutMs);
int SerialPortPurge(SerialPortState* state, BOOL input, BOOL output);
// The first pending error as a code (break 1, framing 3, overrun 4, overflow
// 6, parity 5, any other 7), clearing the error state. `stats`, when given,
// receives the status word (always 0 here), the bytes in the input queue and
// the bytes in the output queue.
int SerialPortGetError(SerialPortState* state, DWORD* stats);
int SerialPortWaitOutputDrained(SerialPortState* state, DWORD timeoutMs, BOOL stopOnInput, BOOL cancellable);
// Pauses `ms` milliseconds without pumping; always 0.
int SerialPortSleep(SerialPortState* state, DWORD ms);
// Pumps waiting messages when the pump interval (five times it with
// `longInterval`) has passed since the last pump, or always with `force`;
// never inside a handler that a pump started. 10 when cancelled, else 0.
int PumpMessages(SerialPortState* state, DWORD* spentMs, BOOL longInterval, BOOL force);

// Trace of received bytes: "RCV;<ms>;0x<hex>;<dec>;" per line.
BOOL SerialPortOpenTrace(SerialPortState* state, const char* fileName);
void SerialPortCloseTrace(SerialPortState* state);
void SerialPortTraceByte(SerialPortState* state, const char* direction, BYTE byte);

namespace tallix {
// Shifts the millisecond clock, so that tests can run a wait across the
// 32-bit wrap-around.
void setSerialClockOffset(DWORD offset);
}  // namespace tallix
