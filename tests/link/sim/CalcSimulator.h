// A calculator on the far end of a pseudo-terminal, for the link tests.
//
// The simulator owns the master side of a fresh pseudo-terminal; the link
// under test opens the device side (devicePath()) as its serial port. It plays
// a script on a thread of its own: send these bytes, expect exactly these
// bytes, take any n bytes, wait, let bytes trickle in, stay silent, pull the
// cable. Like a real calculator, it waits a little (the reply delay) after
// the PC's last bytes before it answers.
#pragma once

#include "platform/WinTypes.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>
#include <vector>

namespace tallix::test {

using Bytes = std::vector<BYTE>;

class CalcSimulator {
 public:
  CalcSimulator();
  ~CalcSimulator();
  CalcSimulator(const CalcSimulator&) = delete;
  CalcSimulator& operator=(const CalcSimulator&) = delete;

  bool isOpen() const { return master_ >= 0; }
  const std::string& devicePath() const { return path_; }
  // The device's terminal settings as every holder of the device sees them.
  bool deviceSettings(termios* out) const;

  void setReplyDelay(int ms) { replyDelay_ = ms; }
  void setExpectTimeout(int ms) { expectTimeout_ = ms; }
  // Paces both directions like a cable at `baud` (ten bits a byte): bytes
  // go out and are taken in no faster than that. 0, the default, moves them
  // as fast as the pseudo-terminal does.
  void setLineRate(int baud) { byteNs_ = baud > 0 ? 10'000'000'000LL / baud : 0; }

  // --- The script ---
  // Sends bytes; after bytes from the PC, first waits the reply delay.
  CalcSimulator& send(const Bytes& bytes);
  // Sends bytes one at a time, `gapMs` apart.
  CalcSimulator& trickle(const Bytes& bytes, int gapMs);
  // Requires exactly these bytes from the PC next.
  CalcSimulator& expect(const Bytes& bytes);
  // Takes the next n bytes from the PC, whatever they are.
  CalcSimulator& expectBytes(size_t n);
  // Takes one packet of `payload` bytes: ':', the payload and a checksum
  // that must match. The whole packet is kept (packets()).
  CalcSimulator& expectPacket(size_t payload);
  // Takes one header of the 50-byte family: ':', a tag that gives the length
  // (40 for "DD"/"DC", 50 for "TXT", "FNC", "VAL", "IMG", "MEM", "END") and
  // the rest with a matching checksum. Kept as a packet.
  CalcSimulator& expectHeaderNP();
  // Requires the PC to send nothing for this long.
  CalcSimulator& expectSilence(int ms);
  CalcSimulator& wait(int ms);
  // Waits (at most the expect time-out) until `condition` holds; it runs on
  // the simulator's thread.
  CalcSimulator& waitUntil(std::function<bool()> condition);
  // The cable is pulled out: the device hangs up for good.
  CalcSimulator& hangUp();

  // Plays the script on the simulator's thread.
  void start();
  // Waits until the script has run; true when every step passed.
  bool finish();
  const std::string& error() const { return error_; }
  // Everything the PC sent that the script took.
  Bytes received() const;
  // The packets and headers taken by expectPacket and expectHeaderNP, in turn.
  std::vector<Bytes> packets() const;
  // Waits until the script has taken at least n bytes from the PC.
  bool waitReceived(size_t n, int timeoutMs) const;

  // --- Packets ---
  static BYTE checksum(const Bytes& payload);
  // ':' + payload + checksum.
  static Bytes packet(const Bytes& payload);
  // The same packet with its checksum off by one.
  static Bytes withBadChecksum(Bytes packet);
  static Bytes text(const char* s);
  // A payload of `size` bytes: `head` padded with 0xFF.
  static Bytes padded(const Bytes& head, size_t size);

 private:
  using Step = std::function<bool()>;
  void add(Step step) { script_.push_back(std::move(step)); }
  bool readExactly(size_t n, Bytes* out);
  bool writeAll(const Bytes& bytes);
  bool writeRaw(const BYTE* bytes, size_t n, long long deadline);
  // With a line rate: waits until the next byte of a run of `wanted` may
  // pass the line, and gives how many may pass now. `lineFree` is when the
  // line is done with the bytes before.
  size_t paceLine(std::chrono::steady_clock::time_point* lineFree, size_t wanted);
  // Checks ':' and the checksum of a packet read whole, and keeps it.
  bool keepPacket(const Bytes& packet);
  void fail(const std::string& what);

  int master_ = -1;
  int device_ = -1;  // our own hold on the device side, so that the line stays up between opens
  std::string path_;
  int replyDelay_ = 25;
  // How long a step waits for the PC: a bound that only a fault reaches,
  // also for a sanitized program starting a transfer on a busy machine.
  int expectTimeout_ = 30000;
  long long byteNs_ = 0;
  std::chrono::steady_clock::time_point txFree_, rxFree_;
  bool afterPc_ = false;
  std::vector<Step> script_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  Bytes received_;
  std::vector<Bytes> packets_;
  std::string error_;
};

std::string hexBytes(const Bytes& bytes);

}  // namespace tallix::test
