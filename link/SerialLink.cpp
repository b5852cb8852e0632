#include "link/SerialLink.h"

#include "services/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "platform/SerialDeviceMap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kMaxChunk = 4096;

int clampChunk(int n) { return std::clamp(n, 1, kMaxChunk); }

// The value nearest to n * 2 / 3.
DWORD twoThirds(int n) { return DWORD((2 * n + 1) / 3); }

int settingsParity(int value) { return value == 1 || value == 2 ? value : 0; }

}  // namespace

CQXSerialLink::CQXSerialLink() : timings_(GetLinkTimings()) {
  readChunk_ = clampChunk(AppGetProfileInt(kCommSettings, "Read Size", 1));
  writeChunk_ = clampChunk(AppGetProfileInt(kCommSettings, "Write Size", 1));
  charWait_ = std::max(0, AppGetProfileInt(kCommSettings, "SND char wait time", 0));
}

CQXSerialLink::~CQXSerialLink() {
  if (autoClose_) CQXSerialLink::Close();
  SerialPortCloseTrace(&state_);
}

void CQXSerialLink::Close() {
  if (!open_) return;
  const int code = SerialPortClose(&state_);
  if (code != SERIAL_OK) lastCode_ = code;
  open_ = FALSE;
}

BOOL CQXSerialLink::OpenPort(UINT port, int baud, int parity, BOOL dtr, BOOL rts, BOOL receive) {
  if (open_) Close();
  port_ = port;
  if (baud <= 0) baud = 9600;
  const DWORD perChar = baud <= 9600 ? DWORD(9600 / baud) : 1;

  SerialPortOpenRecord record;
  record.port = port;
  record.baudRate = DWORD(baud);
  record.dataBits = 8;
  record.parity = DWORD(parity);
  record.stopBits = receive ? 1 : 2;
  record.receiving = receive ? 1 : 0;
  record.rts = rts ? 1 : 0;
  record.dtr = dtr ? 1 : 0;
  record.pumpInterval = timings_.pumpInterval;
  record.closeTimeout = timings_.writeTimeout;
  record.timeouts.ReadIntervalTimeout = 0;
  record.timeouts.ReadTotalTimeoutMultiplier = perChar;
  record.timeouts.ReadTotalTimeoutConstant = readChunk_ < 2 ? perChar : twoThirds(readChunk_);
  record.timeouts.WriteTotalTimeoutMultiplier = perChar;
  record.timeouts.WriteTotalTimeoutConstant = writeChunk_ < 2 ? perChar : twoThirds(writeChunk_);
  record.devicePath = GetPortDevicePath(port);

  lastCode_ = SerialPortOpen(&record, &state_);
  open_ = lastCode_ == SERIAL_OK ? TRUE : FALSE;
  return open_;
}

std::string GetPortDevicePath(UINT port) {
  std::string device;
  AppGetProfileString(&device, kCommDevicesSection, SerialDeviceProfileKey(port).c_str(), "");
  return device.empty() ? DefaultSerialDeviceForPort(port) : device;
}

BOOL CQXSerialLink::OpenFromSettings(BOOL receive, BOOL autoClose) {
  autoClose_ = autoClose;
  std::string baud;
  AppGetProfileString(&baud, kCommSettings, "Baud", "9600");
  return OpenPort(UINT(AppGetProfileInt(kCommSettings, "Port", 1)), std::atoi(baud.c_str()),
                  settingsParity(AppGetProfileInt(kCommSettings, "Parity", 0)),
                  AppGetProfileInt(kCommSettings, "DTR", 0) != 0, AppGetProfileInt(kCommSettings, "RTS", 1) != 0,
                  receive);
}

BOOL CQXSerialLink::OpenWithModelSettings(BOOL receive, int baud, int parity, BOOL autoClose) {
  autoClose_ = autoClose;
  return OpenPort(UINT(AppGetProfileInt(kCommSettings, "Port", 1)), baud, parity,
                  AppGetProfileInt(kCommSettings, "DTR", 0) != 0, AppGetProfileInt(kCommSettings, "RTS", 1) != 0,
                  receive);
}

BOOL CQXSerialLink::Read(void* buffer, DWORD length) {
  if (!open_) {
    lastCode_ = SERIAL_ERROR;
    return FALSE;
  }
  BYTE* bytes = static_cast<BYTE*>(buffer);
  const int pumpEvery = length < 256 ? 5 : length < 1024 ? 10 : 50;
  DWORD done = 0;
  for (int chunks = 1; done < length; ++chunks) {
    const DWORD chunk = std::min<DWORD>(DWORD(readChunk_), length - done);
    const int code = SerialPortRead(&state_, bytes + done, chunk, timings_.readTimeout);
    if (code != SERIAL_OK) {
      lastCode_ = code;
      return FALSE;
    }
    bytesRead_ += chunk;
    done += chunk;
    if (chunks % pumpEvery == 0) Sleep(0);
    if (done < length && SerialPortIsCancelled(&state_)) {
      lastCode_ = SERIAL_CANCELLED;
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CQXSerialLink::Write(const void* buffer, DWORD length) {
  if (!open_) {
    lastCode_ = SERIAL_ERROR;
    return FALSE;
  }
  const BYTE* bytes = static_cast<const BYTE*>(buffer);
  DWORD done = 0;
  DWORD stats[3];
  while (done < length) {
    const DWORD chunk = std::min<DWORD>(DWORD(writeChunk_), length - done);
    const bool last = done + chunk >= length;
    // Input already waiting when a chunk goes out (the last one included),
    // or arriving while more chunks are to go, means the calculator has
    // answered early or broken off: the chunk still goes out, and the write
    // fails. Input that arrives after the last chunk is the answer to what
    // was sent, and the caller reads it.
    const int before = SerialPortGetError(&state_, stats);
    const bool early = before == SERIAL_OK && stats[1] != 0;
    int code = SerialPortWrite(&state_, bytes + done, chunk, timings_.writeTimeout);
    if (code != SERIAL_OK) {
      lastCode_ = code;
      return FALSE;
    }
    ::PumpMessages(&state_, nullptr, FALSE, FALSE);
    if (charWait_ > 0) SerialPortSleep(&state_, DWORD(charWait_));
    code = SerialPortGetError(&state_, stats);
    if (before != SERIAL_OK) code = before;
    if (code == SERIAL_OK && (early || (!last && stats[1] != 0))) code = SERIAL_ERROR;
    if (code != SERIAL_OK) {
      lastCode_ = code;
      return FALSE;
    }
    bytesWritten_ += chunk;
    done += chunk;
    if (done < length && SerialPortIsCancelled(&state_)) {
      lastCode_ = SERIAL_CANCELLED;
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CQXSerialLink::ReadByte(BYTE* out, DWORD timeoutMs) {
  if (!open_) {
    lastCode_ = SERIAL_ERROR;
    return FALSE;
  }
  lastCode_ = SerialPortReadByte(&state_, out, timeoutMs);
  if (lastCode_ != SERIAL_OK) return FALSE;
  ++bytesRead_;
  return TRUE;
}

void CQXSerialLink::Sleep(DWORD ms) {
  SerialPortSleep(&state_, ms);
  if (pump_) ::PumpMessages(&state_, nullptr, FALSE, FALSE);
}

void CQXSerialLink::Cancel() {
  if (!open_) return;
  SerialPortCancel(&state_);
  lastCode_ = SERIAL_CANCELLED;
}

int CQXSerialLink::PumpMessages() { return ::PumpMessages(&state_, nullptr, FALSE, FALSE); }

int CQXSerialLink::Purge(BOOL input, BOOL output) { return SerialPortPurge(&state_, input, output); }

BOOL CQXSerialLink::SendCancelByte() {
  if (!open_) return FALSE;
  const bool cancelled = SerialPortIsCancelled(&state_);
  if (cancelled && cancelTold_) return TRUE;
  SerialPortPurge(&state_, TRUE, TRUE);
  const BYTE cancel = LINK_CANCEL;
  const int code = SerialPortWriteIgnoringCancel(&state_, &cancel, 1, timings_.cancelByteTimeout);
  if (code != SERIAL_OK) {
    if (!cancelled) lastCode_ = code;
    return FALSE;
  }
  cancelTold_ = cancelled;
  ++bytesWritten_;
  return TRUE;
}

int CQXSerialLink::GetErrorClass() const {
  switch (lastCode_) {
    case SERIAL_OK: return LINK_ERROR_NONE;
    case SERIAL_TIMEOUT: return LINK_ERROR_TIMEOUT;
    case SERIAL_IN_USE: return LINK_ERROR_IN_USE;
    case SERIAL_CANCELLED: return LINK_ERROR_CANCELLED;
    case SERIAL_NO_PORT:
    case SERIAL_NO_ACCESS: return LINK_ERROR_NO_PORT;  // either way the port cannot be opened
    default: return LINK_ERROR_LINE;
  }
}

BOOL CQXSerialLink::IsLineError() const {
  switch (lastCode_) {
    case SERIAL_BREAK:
    case SERIAL_FRAME:
    case SERIAL_OVERRUN:
    case SERIAL_PARITY:
    case SERIAL_OVERFLOW:
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CQXSerialLink::IsCancelled() const { return SerialPortIsCancelled(&state_); }

void CQXSerialLink::SetWriteChunkSize(int n) { writeChunk_ = clampChunk(n); }
void CQXSerialLink::SetCharWait(int ms) { charWait_ = std::max(0, ms); }

CQXCalcLink::~CQXCalcLink() {
  if (AutoClose()) Close();
}

BOOL CQXCalcLink::Open(int mode, const char* modelName, BOOL autoClose) {
  SetAutoClose(autoClose);
  int fixed = 0, parity = 0, baud = 9600, screenCopyBaud = 9600;
  if (!ReadModelCommEntry(modelName, &fixed, &parity, &baud, &screenCopyBaud) || fixed == 0)
    return OpenFromSettings(mode != SEND, autoClose);
  return OpenWithModelSettings(mode != SEND, mode == SCREEN_COPY ? screenCopyBaud : baud, settingsParity(parity),
                               autoClose);
}

namespace {

// The "Comm" entry's values in order; FALSE when the entry counts as absent.
BOOL readCommValues(const char* modelName, unsigned values[5]) {
  if (!modelName) return FALSE;
  std::string entry;
  ReadModelString(&entry, modelName, "Comm", "");
  if (entry.empty() || entry.size() > 60) return FALSE;
  std::sscanf(entry.c_str(), "%u,%u,%u,%u,%u", &values[0], &values[1], &values[2], &values[3], &values[4]);
  return TRUE;
}

}  // namespace

BOOL ReadModelCommEntry(const char* modelName, int* fixed, int* parity, int* baud, int* screenCopyBaud) {
  unsigned values[5] = {0, 0, 9600, 9600, 4};
  if (!readCommValues(modelName, values)) return FALSE;
  *fixed = int(values[0]);
  *parity = int(values[1]);
  *baud = int(values[2]);
  *screenCopyBaud = int(values[3]);
  return TRUE;
}

int GetModelProtocolFamily(const char* modelName) {
  unsigned values[5] = {0, 0, 9600, 9600, 4};
  if (!readCommValues(modelName, values)) return 0;
  return int(values[4]);
}
