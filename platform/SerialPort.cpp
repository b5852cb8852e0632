#include "platform/SerialPort.h"

#include "platform/SerialDeviceMap.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

bool tallixSetCustomSerialSpeed(int fd, unsigned baud);  // SerialSpeed.cpp

namespace {

DWORD g_clockOffset = 0;
CQtSerialMessagePump g_qtPump;
CSerialMessagePump* g_pump = &g_qtPump;

void sleepMs(DWORD ms) {
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// How long one pass of a wait may sleep: until the overall time-out or until
// the next message pump is due, whichever comes first.
DWORD passSlice(const SerialPortState* state, DWORD remaining) {
  const DWORD sincePump = SerialElapsed(state->lastPumpTime, GetMillisecondClock());
  DWORD untilPump = state->pumpInterval > sincePump ? state->pumpInterval - sincePump : 1;
  if (untilPump == 0) untilPump = 1;
  return remaining < untilPump ? remaining : untilPump;
}

DWORD remainingOf(DWORD start, DWORD timeoutMs) {
  const DWORD elapsed = SerialElapsed(start, GetMillisecondClock());
  return elapsed < timeoutMs ? timeoutMs - elapsed : 0;
}

// One read call of the platform: waits up to `waitMs` for input and takes
// what is there, at most `length` bytes. The count, or -1 when the device
// failed (for example a USB adapter that was pulled out).
long readSome(SerialPortState* state, BYTE* buffer, DWORD length, DWORD waitMs) {
  pollfd p{state->handle, POLLIN, 0};
  const int ready = poll(&p, 1, int(waitMs));
  if (ready < 0) return errno == EINTR ? 0 : -1;
  if (ready == 0) return 0;
  if (p.revents & (POLLERR | POLLNVAL)) return -1;
  const ssize_t n = read(state->handle, buffer, length);
  if (n > 0) return long(n);
  if (n == 0) return -1;  // hang-up: the device is gone
  return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

// One write call: waits up to `waitMs` for room and writes what fits.
long writeSome(SerialPortState* state, const BYTE* buffer, DWORD length, DWORD waitMs) {
  if (length == 0) return 0;
  pollfd p{state->handle, POLLOUT, 0};
  const int ready = poll(&p, 1, int(waitMs));
  if (ready < 0) return errno == EINTR ? 0 : -1;
  if (ready == 0) return 0;
  const ssize_t n = write(state->handle, buffer, length);
  if (n >= 0) return long(n);
  return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

int failedCallCode(SerialPortState* state) {
  const int code = SerialPortGetError(state, nullptr);
  return code ? code : SERIAL_ERROR;
}

bool speedConstant(DWORD baud, speed_t* out) {
  static const struct {
    DWORD rate;
    speed_t constant;
  } table[] = {{50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
               {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
               {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
               {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
               {460800, B460800},
#endif
#ifdef B921600
               {921600, B921600},
#endif
  };
  for (const auto& e : table)
    if (e.rate == baud) {
      *out = e.constant;
      return true;
    }
  return false;
}

void restoreSettings(SerialPortState* state, int fd) {
  if (state->savedSettings.size() == sizeof(termios)) {
    termios saved;
    std::memcpy(&saved, state->savedSettings.data(), sizeof saved);
    tcsetattr(fd, TCSANOW, &saved);
  }
}

// Waits until the device has sent what was written, at most `timeoutMs`.
// The queue count comes first: some devices (pseudo-terminals, some
// adapters) report an empty queue before the bytes are delivered, and a
// device that never drains must not hold the close up.
void drainOutput(int fd, DWORD timeoutMs) {
  const DWORD start = GetMillisecondClock();
  for (;;) {
    int out = 0;
    if (ioctl(fd, TIOCOUTQ, &out) != 0) return;
    if (out <= 0) break;
    if (remainingOf(start, timeoutMs) == 0) return;
    sleepMs(1);
  }
  tcdrain(fd);
}

void setModemLine(int fd, int line, bool on) {
  int bits = line;
  ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);  // refused by devices without modem lines
}

// Opens the device exclusively; a port result code.
int openDevice(const std::string& path, int* fd) {
  if (path.empty()) return SERIAL_NO_PORT;
  *fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (*fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
      case ENOTDIR:
        return SERIAL_NO_PORT;
      case EACCES:
      case EPERM:
        return SERIAL_NO_ACCESS;
      case EBUSY:
      case EAGAIN:
        return SERIAL_IN_USE;
      default:
        return SERIAL_ERROR;
    }
  }
  if (flock(*fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(*fd);
    *fd = -1;
    return SERIAL_IN_USE;
  }
  ioctl(*fd, TIOCEXCL);
  return SERIAL_OK;
}

void releaseDevice(int fd) {
  ioctl(fd, TIOCNXCL);
  flock(fd, LOCK_UN);
}

}  // namespace

void tallix::setSerialClockOffset(DWORD offset) { g_clockOffset = offset; }

void SetSerialMessagePump(CSerialMessagePump* pump) { g_pump = pump; }
CSerialMessagePump* GetSerialMessagePump() { return g_pump; }

void CQtSerialMessagePump::PumpWaitingMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

DWORD GetMillisecondClock() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const unsigned long long ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ULL + ts.tv_nsec / 1000000;
  return DWORD(ms) + g_clockOffset;
}

int SerialPortOpen(const SerialPortOpenRecord* record, SerialPortState* state) {
  SerialPortCloseTrace(state);
  *state = SerialPortState{};
  const std::string path = record->devicePath.empty() ? DefaultSerialDeviceForPort(record->port) : record->devicePath;
  int fd = -1;
  const int opened = openDevice(path, &fd);
  if (opened != SERIAL_OK) return opened;

  auto fail = [&]() {
    restoreSettings(state, fd);
    releaseDevice(fd);
    close(fd);
    state->savedSettings.clear();
    return SERIAL_ERROR;
  };

  termios current{};
  if (tcgetattr(fd, &current) == 0) {
    state->savedSettings.resize(sizeof current);
    std::memcpy(state->savedSettings.data(), &current, sizeof current);
  }
  state->savedTimeouts = state->timeouts;
  state->timeoutsSaved = TRUE;
  state->timeouts = record->timeouts;

  tcflag_t size;
  switch (record->dataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return fail();
  }
  // One and a half stop bits exist only for 5-bit characters; the line's
  // longer setting stands for them.
  tcflag_t stop;
  switch (record->stopBits) {
    case 1: stop = 0; break;
    case 2:
    case 15: stop = CSTOPB; break;
    default: return fail();
  }

  termios raw = current;
  raw.c_iflag = record->parity != 0 ? INPCK : 0;
  raw.c_oflag = 0;
  raw.c_lflag = 0;
  raw.c_cflag = size | stop | CREAD | CLOCAL;
  if (record->parity != 0) raw.c_cflag |= PARENB | (record->parity == 1 ? PARODD : 0);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  speed_t speed;
  const bool standard = speedConstant(record->baudRate, &speed);
  if (standard) {
    cfsetispeed(&raw, speed);
    cfsetospeed(&raw, speed);
  }
  if (tcsetattr(fd, TCSANOW, &raw) != 0) return fail();
  if (!standard && !tallixSetCustomSerialSpeed(fd, record->baudRate)) return fail();
  setModemLine(fd, TIOCM_DTR, record->dtr != 0);
  setModemLine(fd, TIOCM_RTS, record->rts != 0);

  state->handle = fd;
  state->receiving = record->receiving;
  tcflush(fd, TCIOFLUSH);
  SerialPortGetError(state, nullptr);
  state->lastPumpTime = GetMillisecondClock();
  state->pumpInterval = record->pumpInterval;
  state->closeTimeout = record->closeTimeout;
  if (record->traceFile) SerialPortOpenTrace(state, record->traceFile);
  return SERIAL_OK;
}

int SerialPortClose(SerialPortState* state) {
  if (state->handle < 0) return SERIAL_OK;
  const int fd = state->handle;
  drainOutput(fd, state->closeTimeout);
  tcflush(fd, TCIFLUSH);
  if (state->timeoutsSaved) state->timeouts = state->savedTimeouts;
  SerialPortCloseTrace(state);
  restoreSettings(state, fd);
  releaseDevice(fd);
  state->handle = -1;
  return close(fd) == 0 ? SERIAL_OK : SERIAL_ERROR;
}

BOOL SerialPortCancel(SerialPortState* state) {
  BOOL purged = FALSE;
  if (state->handle >= 0) {
    tcflush(state->handle, TCOFLUSH);
    purged = tcflush(state->handle, TCIFLUSH) == 0 ? TRUE : FALSE;
  }
  state->cancelled = 1;
  return purged;
}

BOOL SerialPortIsCancelled(const SerialPortState* state) { return state->cancelled ? TRUE : FALSE; }

int SerialPortReadByte(SerialPortState* state, BYTE* out, DWORD timeoutMs) {
  return SerialPortRead(state, out, 1, timeoutMs);
}

int SerialPortRead(SerialPortState* state, void* buffer, DWORD length, DWORD timeoutMs) {
  if (state->cancelled) return SERIAL_CANCELLED;
  if (state->handle < 0) return SERIAL_ERROR;
  BYTE* bytes = static_cast<BYTE*>(buffer);
  DWORD done = 0;
  DWORD start = GetMillisecondClock();
  for (;;) {
    const long got = readSome(state, bytes + done, length - done, passSlice(state, remainingOf(start, timeoutMs)));
    if (got < 0) return failedCallCode(state);
    const int code = SerialPortGetError(state, nullptr);
    if (code != SERIAL_OK) return code;
    if (got > 0) {
      if (state->trace)
        for (long i = 0; i < got; ++i) SerialPortTraceByte(state, "RCV", bytes[done + DWORD(i)]);
      done += DWORD(got);
      if (done >= length) return SERIAL_OK;
      start = GetMillisecondClock();
    } else if (remainingOf(start, timeoutMs) == 0) {
      return SERIAL_TIMEOUT;
    }
    if (PumpMessages(state, nullptr, FALSE, FALSE) == SERIAL_CANCELLED) return SERIAL_CANCELLED;
  }
}

int SerialPortWrite(SerialPortState* state, const void* buffer, DWORD length, DWORD timeoutMs) {
  if (state->cancelled) return SERIAL_CANCELLED;
  if (state->handle < 0) return SERIAL_ERROR;
  const BYTE* bytes = static_cast<const BYTE*>(buffer);
  DWORD done = 0;
  DWORD start = GetMillisecondClock();
  for (;;) {
    const long put = writeSome(state, bytes + done, length - done, passSlice(state, remainingOf(start, timeoutMs)));
    if (put < 0) return failedCallCode(state);
    int code = SerialPortWaitOutputDrained(state, timeoutMs, FALSE, TRUE);
    if (code != SERIAL_OK) return code;
    code = SerialPortGetError(state, nullptr);
    if (code != SERIAL_OK) return code;
    if (put > 0) {
      done += DWORD(put);
      start = GetMillisecondClock();
    }
    if (done >= length) return SERIAL_OK;
    if (remainingOf(start, timeoutMs) == 0) return SERIAL_TIMEOUT;
    if (PumpMessages(state, nullptr, FALSE, FALSE) == SERIAL_CANCELLED) return SERIAL_CANCELLED;
  }
}

int SerialPortWriteIgnoringCancel(SerialPortState* state, const void* buffer, DWORD length, DWORD timeoutMs) {
  if (state->handle < 0) return SERIAL_ERROR;
  const BYTE* bytes = static_cast<const BYTE*>(buffer);
  DWORD done = 0;
  const DWORD start = GetMillisecondClock();
  while (done < length) {
    const DWORD remaining = remainingOf(start, timeoutMs);
    const long put = writeSome(state, bytes + done, length - done, remaining);
    if (put < 0) return failedCallCode(state);
    done += DWORD(put);
    if (done < length && remainingOf(start, timeoutMs) == 0) return SERIAL_TIMEOUT;
  }
  for (;;) {
    DWORD stats[3];
    const int code = SerialPortGetError(state, stats);
    if (code != SERIAL_OK) return code;
    if (stats[2] == 0) return SERIAL_OK;
    if (remainingOf(start, timeoutMs) == 0) return SERIAL_TIMEOUT;
    sleepMs(1);
  }
}

int SerialPortPurge(SerialPortState* state, BOOL input, BOOL output) {
  if (state->handle < 0) return SERIAL_ERROR;
  if (output && tcflush(state->handle, TCOFLUSH) != 0) return failedCallCode(state);
  if (input && tcflush(state->handle, TCIFLUSH) != 0) return failedCallCode(state);
  return SERIAL_OK;
}

int SerialPortGetError(SerialPortState* state, DWORD* stats) {
  if (state->handle < 0) return SERIAL_ERROR;
  DWORD bits = state->pendingErrors;
  state->pendingErrors = 0;
#if defined(__linux__) && defined(TIOCGICOUNT)
  serial_icounter_struct count{};
  if (ioctl(state->handle, TIOCGICOUNT, &count) == 0) {
    const int now[5] = {count.brk, count.frame, count.parity, count.overrun, count.buf_overrun};
    static const DWORD flag[5] = {CE_BREAK, CE_FRAME, CE_RXPARITY, CE_OVERRUN, CE_RXOVER};
    for (int i = 0; i < 5; ++i) {
      if (state->haveCounters && now[i] != state->counters[i]) bits |= flag[i];
      state->counters[i] = now[i];
    }
    state->haveCounters = TRUE;
  }
#endif
  if (stats) {
    int in = 0, out = 0;
    if (ioctl(state->handle, FIONREAD, &in) != 0 || ioctl(state->handle, TIOCOUTQ, &out) != 0) return SERIAL_ERROR;
    stats[0] = 0;
    stats[1] = DWORD(in < 0 ? 0 : in);
    stats[2] = DWORD(out < 0 ? 0 : out);
  } else {
    int in = 0;
    if (ioctl(state->handle, FIONREAD, &in) != 0) return SERIAL_ERROR;  // the device is gone
  }
  if (bits & CE_BREAK) return SERIAL_BREAK;
  if (bits & CE_FRAME) return SERIAL_FRAME;
  if (bits & CE_OVERRUN) return SERIAL_OVERRUN;
  if (bits & (CE_RXOVER | CE_TXFULL)) return SERIAL_OVERFLOW;
  if (bits & CE_RXPARITY) return SERIAL_PARITY;
  if (bits) return SERIAL_ERROR;
  return SERIAL_OK;
}

int SerialPortWaitOutputDrained(SerialPortState* state, DWORD timeoutMs, BOOL stopOnInput, BOOL cancellable) {
  if (cancellable && state->cancelled) return SERIAL_CANCELLED;
  DWORD stats[3];
  int code = SerialPortGetError(state, stats);
  const DWORD start = GetMillisecondClock();
  while (code == SERIAL_OK) {
    if (stats[2] == 0) return SERIAL_OK;
    if (stopOnInput && stats[1] != 0) return SERIAL_OK;
    DWORD spent = 0;
    if (PumpMessages(state, &spent, FALSE, TRUE) == SERIAL_CANCELLED && cancellable) return SERIAL_CANCELLED;
    if (spent == 0) sleepMs(1);
    code = SerialPortGetError(state, stats);
    if (code == SERIAL_OK && stats[2] != 0 && !(stopOnInput && stats[1] != 0) && remainingOf(start, timeoutMs) == 0)
      return SERIAL_TIMEOUT;
  }
  return code;
}

int SerialPortSleep(SerialPortState*, DWORD ms) {
  sleepMs(ms);
  return SERIAL_OK;
}

int PumpMessages(SerialPortState* state, DWORD* spentMs, BOOL longInterval, BOOL force) {
  if (spentMs) *spentMs = 0;
  if (state->pumpNesting != 0) return SERIAL_OK;
  const DWORD start = GetMillisecondClock();
  const DWORD interval = longInterval ? state->pumpInterval * 5 : state->pumpInterval;
  if (force || SerialElapsed(state->lastPumpTime, start) >= interval) {
    state->lastPumpTime = start;
    if (g_pump) {
      ++state->pumpNesting;
      g_pump->PumpWaitingMessages();
      --state->pumpNesting;
    }
  }
  if (spentMs) {
    const DWORD spent = SerialElapsed(start, GetMillisecondClock());
    *spentMs = spent > 1 ? spent - 1 : 0;
  }
  return state->cancelled ? SERIAL_CANCELLED : SERIAL_OK;
}

BOOL SerialPortOpenTrace(SerialPortState* state, const char* fileName) {
  SerialPortCloseTrace(state);
  state->trace = fileName ? std::fopen(fileName, "w") : nullptr;
  return state->trace ? TRUE : FALSE;
}

void SerialPortCloseTrace(SerialPortState* state) {
  if (state->trace) std::fclose(state->trace);
  state->trace = nullptr;
}

void SerialPortTraceByte(SerialPortState* state, const char* direction, BYTE byte) {
  if (!state->trace) return;
  std::fprintf(state->trace, "%s;%ld;0x%2.2x;%d;\n", direction, long(GetMillisecondClock()), unsigned(byte), int(byte));
}
