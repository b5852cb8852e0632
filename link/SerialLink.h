// The link object that the packet layers and the link commands hold: one
// serial port opened with the user's link settings ("Comm Settings") or with
// the settings a calculator model fixes (its "Comm" entry in the model list),
// block reads and writes in chunks that keep the user interface alive, single
// bytes with a time-out, pauses, byte counters for the progress display, and
// a cancel that the progress dialog's button triggers.
//
// Every operation that fails keeps the port result code and returns FALSE;
// GetErrorClass groups that code for the messages and the packet codes.
#pragma once

#include "link/LinkCodes.h"
#include "link/LinkTimings.h"
#include "platform/SerialPort.h"
#include "platform/WinTypes.h"

// The profile section of the link settings and its keys.
constexpr const char* kCommSettings = "Comm Settings";

class CQXSerialLink {
 public:
  // Reads "Read Size", "Write Size" and "SND char wait time" (chunks are kept
  // to 1..4096 bytes, the wait to 0 or more) and takes the current timings.
  CQXSerialLink();
  virtual ~CQXSerialLink();
  CQXSerialLink(const CQXSerialLink&) = delete;
  CQXSerialLink& operator=(const CQXSerialLink&) = delete;

  virtual void Close();
  virtual BOOL Read(void* buffer, DWORD length);
  // Stops with code 7 when the calculator sends anything between two chunks,
  // while data is still going out.
  virtual BOOL Write(const void* buffer, DWORD length);
  virtual BOOL ReadByte(BYTE* out, DWORD timeoutMs);

  // Opens "COM port" (the device from "Comm Devices"/"COM<n>" when the user
  // set one); 1 stop bit to receive, 2 to send. A baud rate of 0 or less
  // counts as 9600.
  BOOL OpenPort(UINT port, int baud, int parity, BOOL dtr, BOOL rts, BOOL receive);
  // Port, parity, baud, DTR and RTS from "Comm Settings".
  BOOL OpenFromSettings(BOOL receive, BOOL autoClose);
  // Port, DTR and RTS from "Comm Settings"; baud and parity as given.
  BOOL OpenWithModelSettings(BOOL receive, int baud, int parity, BOOL autoClose);

  // Pauses, then pumps messages once (not forced) when the pump flag is set.
  void Sleep(DWORD ms);
  void Cancel();
  int PumpMessages();
  int Purge(BOOL input, BOOL output);
  // After the user cancelled: empties both directions and writes one cancel
  // byte (0x18) past the cancel flag with a short time-out, so that the
  // calculator stops waiting. The link stays cancelled, and the byte goes
  // out once: a later call after the cancel writes nothing.
  BOOL SendCancelByte();

  int GetErrorClass() const;
  int GetLastCode() const { return lastCode_; }
  // The last failure was a line error (break, framing, overrun, overflow,
  // parity), not a failed device, a time-out or a cancel.
  BOOL IsLineError() const;
  BOOL IsCancelled() const;
  BOOL IsOpen() const { return open_; }
  DWORD GetByteCount() const { return bytesWritten_ + bytesRead_; }
  UINT GetPortNumber() const { return port_; }

  void SetWriteChunkSize(int n);
  void SetCharWait(int ms);
  int GetReadChunkSize() const { return readChunk_; }
  int GetWriteChunkSize() const { return writeChunk_; }
  int GetCharWait() const { return charWait_; }

  const LinkTimings& GetTimings() const { return timings_; }
  void SetTimings(const LinkTimings& timings) { timings_ = timings; }
  // The port underneath, for its statistics and time-outs.
  SerialPortState* GetPortState() { return &state_; }

 protected:
  void SetAutoClose(BOOL autoClose) { autoClose_ = autoClose; }
  // For links over something other than a port: the code of the last
  // failure, which GetErrorClass groups.
  void SetLastCode(int code) { lastCode_ = code; }
  BOOL AutoClose() const { return autoClose_; }

 private:
  UINT port_ = 0;
  SerialPortState state_;
  int lastCode_ = SERIAL_OK;
  BOOL open_ = FALSE;
  BOOL autoClose_ = TRUE;
  int readChunk_ = 1;
  int writeChunk_ = 1;
  DWORD bytesWritten_ = 0;
  DWORD bytesRead_ = 0;
  int charWait_ = 0;
  BOOL pump_ = TRUE;
  BOOL cancelTold_ = FALSE;  // the cancel byte went out after the user's cancel
  LinkTimings timings_;
};

class CQXCalcLink : public CQXSerialLink {
 public:
  enum Mode { SEND = 0, RECEIVE = 1, SCREEN_COPY = 2 };
  ~CQXCalcLink() override;
  // Opens with the model's fixed settings when its "Comm" entry fixes them,
  // else with "Comm Settings"; receives in modes 1 and 2.
  BOOL Open(int mode, const char* modelName, BOOL autoClose);
};

// The device that "COM n" opens: the profile's "Comm Devices"/"COM<n>" when
// the user set one, else the n-th device of the default list
// (platform/SerialDeviceMap.h); empty when there is none.
std::string GetPortDevicePath(UINT port);

// The model's "Comm" entry: fixed flag, parity, baud, screen-copy baud
// (defaults 0, 0, 9600, 9600). FALSE when the entry is empty or longer than
// 60 characters.
BOOL ReadModelCommEntry(const char* modelName, int* fixed, int* parity, int* baud, int* screenCopyBaud);
// The fifth value of the "Comm" entry (default 4; 5 is the 40-byte packet
// protocol); 0 without an entry.
int GetModelProtocolFamily(const char* modelName);
constexpr int PROTOCOL_FAMILY_MCS = 5;
