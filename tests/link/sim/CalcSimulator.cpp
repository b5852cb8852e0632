#include "tests/link/sim/CalcSimulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tallix::test {
namespace {

void pauseMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::string hexBytes(const Bytes& bytes) {
  std::string out;
  char buf[4];
  for (BYTE b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", unsigned(b));
    out += buf;
  }
  return out;
}

CalcSimulator::CalcSimulator() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    close(master_);
    master_ = -1;
    return;
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    close(master_);
    master_ = -1;
    return;
  }
  path_ = name;
  device_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (device_ >= 0) {
    // A plain raw line at 1200 baud: what the port must give back at close.
    termios t{};
    tcgetattr(device_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B1200);
    cfsetospeed(&t, B1200);
    tcsetattr(device_, TCSANOW, &t);
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

CalcSimulator::~CalcSimulator() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (device_ >= 0) close(device_);
  if (master_ >= 0) close(master_);
}

bool CalcSimulator::deviceSettings(termios* out) const { return device_ >= 0 && tcgetattr(device_, out) == 0; }

void CalcSimulator::fail(const std::string& what) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (error_.empty()) error_ = what;
}

bool CalcSimulator::writeRaw(const BYTE* bytes, size_t n, long long deadline) {
  size_t done = 0;
  while (done < n) {
    if (stop_ || nowMs() > deadline) return false;
    const ssize_t got = write(master_, bytes + done, n - done);
    if (got > 0) {
      done += size_t(got);
    } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd p{master_, POLLOUT, 0};
      poll(&p, 1, 10);
    }
  }
  return true;
}

size_t CalcSimulator::paceLine(std::chrono::steady_clock::time_point* lineFree, size_t wanted) {
  using namespace std::chrono;
  const nanoseconds byte(byteNs_);
  // Bytes that follow within a byte time of the last keep its rhythm; a
  // line idle for longer starts afresh.
  const steady_clock::time_point now = steady_clock::now();
  const steady_clock::time_point start = now - *lineFree < byte ? *lineFree : now;
  std::this_thread::sleep_until(start + byte);
  const auto late = steady_clock::now() - (start + byte);
  const size_t due = std::min<size_t>(wanted, 1 + size_t(late / byte));
  *lineFree = start + due * byte;
  return due;
}

bool CalcSimulator::writeAll(const Bytes& bytes) {
  const long long deadline = nowMs() + expectTimeout_ + (byteNs_ * (long long)bytes.size()) / 1000000;
  if (byteNs_ == 0) return writeRaw(bytes.data(), bytes.size(), deadline);
  for (size_t done = 0; done < bytes.size();) {
    const size_t n = paceLine(&txFree_, bytes.size() - done);
    if (!writeRaw(bytes.data() + done, n, deadline)) return false;
    done += n;
  }
  return true;
}

bool CalcSimulator::readExactly(size_t n, Bytes* out) {
  out->clear();
  const long long deadline = nowMs() + expectTimeout_ + (byteNs_ * (long long)n) / 1000000;
  while (out->size() < n) {
    if (stop_ || nowMs() > deadline) return false;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) continue;
    BYTE buf[512];
    size_t want = std::min(sizeof buf, n - out->size());
    if (byteNs_ != 0) want = paceLine(&rxFree_, want);
    const ssize_t got = read(master_, buf, want);
    if (got > 0) out->insert(out->end(), buf, buf + got);
    // Fewer bytes had come than the line would have carried.
    if (byteNs_ != 0 && size_t(std::max<ssize_t>(got, 0)) < want)
      rxFree_ -= std::chrono::nanoseconds(byteNs_ * (long long)(want - size_t(std::max<ssize_t>(got, 0))));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  received_.insert(received_.end(), out->begin(), out->end());
  return true;
}

CalcSimulator& CalcSimulator::send(const Bytes& bytes) {
  const bool delay = afterPc_;
  afterPc_ = false;
  add([this, bytes, delay] {
    if (delay) pauseMs(replyDelay_);
    if (writeAll(bytes)) return true;
    fail("could not send " + hexBytes(bytes));
    return false;
  });
  return *this;
}

CalcSimulator& CalcSimulator::trickle(const Bytes& bytes, int gapMs) {
  afterPc_ = false;
  add([this, bytes, gapMs] {
    for (BYTE b : bytes) {
      pauseMs(gapMs);
      if (!writeAll(Bytes{b})) {
        fail("could not send a byte");
        return false;
      }
    }
    return true;
  });
  return *this;
}

CalcSimulator& CalcSimulator::expect(const Bytes& bytes) {
  afterPc_ = true;
  add([this, bytes] {
    Bytes got;
    if (!readExactly(bytes.size(), &got)) {
      fail("expected " + hexBytes(bytes) + "but got only " + hexBytes(got));
      return false;
    }
    if (got != bytes) {
      fail("expected " + hexBytes(bytes) + "but got " + hexBytes(got));
      return false;
    }
    return true;
  });
  return *this;
}

CalcSimulator& CalcSimulator::expectBytes(size_t n) {
  afterPc_ = true;
  add([this, n] {
    Bytes got;
    if (readExactly(n, &got)) return true;
    fail("expected " + std::to_string(n) + " bytes but got " + hexBytes(got));
    return false;
  });
  return *this;
}

bool CalcSimulator::keepPacket(const Bytes& packet) {
  if (packet.size() < 2 || packet.front() != ':') {
    fail("expected a packet but got " + hexBytes(packet));
    return false;
  }
  if (checksum(Bytes(packet.begin() + 1, packet.end() - 1)) != packet.back()) {
    fail("wrong checksum in " + hexBytes(packet));
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  packets_.push_back(packet);
  return true;
}

CalcSimulator& CalcSimulator::expectPacket(size_t payload) {
  afterPc_ = true;
  add([this, payload] {
    Bytes got;
    if (!readExactly(payload + 2, &got)) {
      fail("expected a packet of " + std::to_string(payload) + " bytes but got " + hexBytes(got));
      return false;
    }
    return keepPacket(got);
  });
  return *this;
}

CalcSimulator& CalcSimulator::expectHeaderNP() {
  afterPc_ = true;
  add([this] {
    Bytes head;
    if (!readExactly(4, &head)) {
      fail("expected a header but got " + hexBytes(head));
      return false;
    }
    size_t length = 0;
    const std::string tag(head.begin() + 1, head.end());
    if (tag.compare(0, 2, "DD") == 0 || tag.compare(0, 2, "DC") == 0) length = 40;
    for (const char* t : {"TXT", "FNC", "VAL", "IMG", "MEM", "END"})
      if (tag == t) length = 50;
    if (head[0] != ':' || length == 0) {
      fail("expected a header but got " + hexBytes(head));
      return false;
    }
    Bytes rest;
    if (!readExactly(length - 4, &rest)) {
      fail("header cut short after " + hexBytes(head) + hexBytes(rest));
      return false;
    }
    head.insert(head.end(), rest.begin(), rest.end());
    return keepPacket(head);
  });
  return *this;
}

CalcSimulator& CalcSimulator::expectSilence(int ms) {
  add([this, ms] {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, ms) > 0 && (p.revents & POLLIN)) {
      BYTE buf[64];
      const ssize_t got = read(master_, buf, sizeof buf);
      fail("expected silence but got " + hexBytes(Bytes(buf, buf + (got > 0 ? got : 0))));
      return false;
    }
    return true;
  });
  return *this;
}

CalcSimulator& CalcSimulator::wait(int ms) {
  add([ms] {
    pauseMs(ms);
    return true;
  });
  return *this;
}

CalcSimulator& CalcSimulator::waitUntil(std::function<bool()> condition) {
  add([this, condition] {
    const long long deadline = nowMs() + expectTimeout_;
    while (!condition()) {
      if (stop_ || nowMs() > deadline) {
        fail("the condition never held");
        return false;
      }
      pauseMs(1);
    }
    return true;
  });
  return *this;
}

CalcSimulator& CalcSimulator::hangUp() {
  add([this] {
    if (device_ >= 0) close(device_);
    device_ = -1;
    close(master_);
    master_ = -1;
    return true;
  });
  return *this;
}

void CalcSimulator::start() {
  thread_ = std::thread([this] {
    for (Step& step : script_)
      if (stop_ || !step()) break;
  });
}

bool CalcSimulator::finish() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return error_.empty();
}

Bytes CalcSimulator::received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

std::vector<Bytes> CalcSimulator::packets() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return packets_;
}

bool CalcSimulator::waitReceived(size_t n, int timeoutMs) const {
  const long long deadline = nowMs() + timeoutMs;
  while (received().size() < n) {
    if (nowMs() > deadline) return false;
    pauseMs(1);
  }
  return true;
}

BYTE CalcSimulator::checksum(const Bytes& payload) {
  unsigned sum = 0;
  for (BYTE b : payload) sum += b;
  return BYTE((256 - sum % 256) % 256);
}

Bytes CalcSimulator::packet(const Bytes& payload) {
  Bytes out(payload.size() + 2);
  out.front() = ':';
  std::copy(payload.begin(), payload.end(), out.begin() + 1);
  out.back() = checksum(payload);
  return out;
}

Bytes CalcSimulator::withBadChecksum(Bytes packet) {
  packet.back() = BYTE(packet.back() + 1);
  return packet;
}

Bytes CalcSimulator::text(const char* s) {
  Bytes out;
  while (*s) out.push_back(BYTE(*s++));
  return out;
}

Bytes CalcSimulator::padded(const Bytes& head, size_t size) {
  Bytes out = head;
  out.resize(size, 0xFF);
  return out;
}

}  // namespace tallix::test
