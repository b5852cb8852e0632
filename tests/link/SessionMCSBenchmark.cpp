// One large item received and sent over the simulated calculator's line,
// paced at the newer models' 38400 baud: the wall time against the time the
// line needs plus the pauses the protocol prescribes, and the program's own
// CPU time during the transfer (its waits must block, never spin).
//
// Counters: line_s (bytes x 10 / baud), pauses_s, wall_s, ratio =
// wall / (line + pauses), cpu_pct = the transfer thread's CPU time / wall.
#include "classlib/ProfileSettings.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "link/LinkSessionMCS.h"
#include "link/SerialLink.h"
#include "platform/SerialDeviceMap.h"
#include "tests/link/sim/CalcSimulatorMCS.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>

using namespace tallix::test;

namespace {

constexpr int kBaud = 38400;
constexpr UINT kPort = 7;
// The pauses of one item of one header and one block: receiving, the ready
// byte, the model packet's echo and its answer, four owed answers and two
// header pauses; sending, the connect pause, two around the model packet and
// its answer, the header's answer, the pause before the block and its answer.
constexpr double kReceivePauses = 6 * 0.250 + 2 * 0.050;
constexpr double kSendPauses = 0.500 + 6 * 0.250;

double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Tells when the PC waits for the calculator (its input emptied).
class WaitingPump : public CSerialMessagePump {
 public:
  std::atomic<bool> waiting{false};
  void PumpWaitingMessages() override { waiting = true; }
};

struct Large {
  Bytes header;  // as the calculator sends it
  Bytes data;
  std::function<CQXCalcItem*()> make;  // the same item for sending
};

Large program() {
  Large l;
  Bytes text(32758, 0x41);
  text.back() = 0x00;
  l.data = Bytes(10, 0);
  l.data.insert(l.data.end(), text.begin(), text.end());
  l.header = mcs::header(1, DWORD(l.data.size()), "BIG");
  l.make = [] {
    auto* p = new CQXProgramItem;
    p->SetName("BIG");
    Bytes text(32758, 0x41);
    text.back() = 0xFF;
    p->SetDataBlock(text.data(), int(text.size()));
    return p;
  };
  return l;
}

Large matrix() {
  Large l;
  l.data = Bytes(16, 0);
  l.data[8] = 255;
  l.data[10] = 255;
  l.data.resize(16 + 255 * 255 * 9, 0x11);
  l.header = mcs::header(6, DWORD(l.data.size()), "MAT_Z");
  l.make = [] {
    auto* m = new CQXMatrixV5Item;
    m->SetName("MAT_Z");
    m->SetDimensions(255, 255);
    const Bytes value(9, 0x11);
    for (DWORD r = 1; r <= 255; ++r)
      for (DWORD c = 1; c <= 255; ++c) m->SetReal(r, c, value.data(), 9);
    return m;
  };
  return l;
}

Large addIn() {
  Large l;
  l.data = Bytes(65536, 0x5A);
  l.header = mcs::header(0x31, DWORD(l.data.size()), "MAIN", "GEOMETRY");
  l.make = [] {
    auto* a = new CQXAddInItem;
    const Bytes h = mcs::header(0x31, 65536, "MAIN", "GEOMETRY");
    const Bytes data(65536, 0x5A);
    a->GetBlockList().AddBlock(h.data(), 40, data.data(), DWORD(data.size()));
    return a;
  };
  return l;
}

void report(benchmark::State& state, double wall, double cpu, size_t lineBytes, double pauses) {
  const double line = double(lineBytes) * 10 / kBaud;
  state.SetIterationTime(wall);
  state.counters["line_s"] = line;
  state.counters["pauses_s"] = pauses;
  state.counters["wall_s"] = wall;
  state.counters["ratio"] = wall / (line + pauses);
  state.counters["cpu_pct"] = 100 * cpu / wall;
}

// A session over the paced line: `direction` 0 sends, 1 receives.
struct Line {
  explicit Line(int direction) {
    sim.setReplyDelay(0);
    sim.setExpectTimeout(600000);
    sim.setLineRate(kBaud);
    AppWriteProfileString(kCommDevicesSection, SerialDeviceProfileKey(kPort).c_str(), sim.devicePath().c_str());
    AppWriteProfileInt(kCommSettings, "Port", int(kPort));
    link.OpenFromSettings(direction != 0, TRUE);
    session = std::make_unique<CQXLinkSessionMCS>(&doc, direction, &link, nullptr);
    session->Start();
  }
  TestEnvironment env;
  CalcSimulator sim;
  FakeDocServices doc;
  CQXCalcLink link;
  std::unique_ptr<CQXLinkSessionMCS> session;
};

void Receive(benchmark::State& state, Large (*which)()) {
  const Large item = which();
  for (auto _ : state) {
    Line line(1);
    // The clock starts with the calculator's request.
    WaitingPump pump;
    CSerialMessagePump* previous = GetSerialMessagePump();
    SetSerialMessagePump(&pump);
    std::atomic<double> wall0{0};
    line.sim.waitUntil([&] {
      if (!pump.waiting) return false;
      wall0 = nowSeconds();
      return true;
    });
    mcs::startSending(line.sim);
    mcs::sendPackets(line.sim, {item.header, mcs::block(item.data), mcs::endPacket()});
    line.sim.start();
    const double cpu0 = threadCpuSeconds();
    std::unique_ptr<CQXDocEntry> entry;
    if (line.session->ReceiveItem(&entry) != SESSION_ITEM || line.session->ReceiveItem(&entry) != SESSION_END)
      state.SkipWithError("the transfer failed");
    const double wall = nowSeconds() - wall0, cpu = threadCpuSeconds() - cpu0;
    SetSerialMessagePump(previous);
    if (!line.sim.finish()) state.SkipWithError(line.sim.error().c_str());
    // The PC's bytes, then the calculator's: 0x16, its model packet, 0x06,
    // the header, the block and "END1".
    report(state, wall, cpu, line.sim.received().size() + 2 + 40 + 40 + item.data.size() + 2 + 40, kReceivePauses);
  }
}

void Send(benchmark::State& state, Large (*which)()) {
  const Large item = which();
  for (auto _ : state) {
    Line line(0);
    mcs::startReceiving(line.sim);
    mcs::takeItem(line.sim, item.data.size());
    line.sim.expect(mcs::endPacket());
    CQXDocEntryArray entries;
    entries.push_back(std::make_unique<CQXDocEntry>());
    entries.back()->SetItem(item.make());
    const double wall0 = nowSeconds(), cpu0 = threadCpuSeconds();
    line.sim.start();
    if (line.session->Connect() != SESSION_OK || line.session->SendItem(entries) != SESSION_OK)
      state.SkipWithError("the transfer failed");
    line.session->SendEnd();
    if (!line.sim.finish()) state.SkipWithError(line.sim.error().c_str());
    const double wall = nowSeconds() - wall0, cpu = threadCpuSeconds() - cpu0;
    // What the calculator sent: 0x13, its model packet, and one answer for
    // the model packet, the header and the block.
    report(state, wall, cpu, line.sim.received().size() + 1 + 40 + 3, kSendPauses);
  }
}

BENCHMARK_CAPTURE(Receive, Program32K, &program)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Send, Program32K, &program)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Receive, AddIn64K, &addIn)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Send, AddIn64K, &addIn)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Receive, Matrix255x255, &matrix)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Send, Matrix255x255, &matrix)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Brindlewood"));
  QCoreApplication::setApplicationName(QStringLiteral("TALLIX"));
  isolateProcess();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
