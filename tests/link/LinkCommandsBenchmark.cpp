// Link command figures: a 32 KB program and a list of 255 elements (the longest) received and
// sent by the older family's commands, progress dialog included, against the
// simulated calculator paced at 9600 baud. The link's pauses are set to 0,
// so that the line time (ten bits a byte, both directions) is the whole time
// the transfer needs; "ratio" is wall time over line time and "cpu_pct" the
// program's own (user-interface thread) CPU time over wall time. Figures:
// docs/ARCHITECTURE.md.
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXProgramItem.h"
#include "link/LinkCommandsNP.h"
#include "link/SendSelection.h"
#include "platform/MessageBox.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/OldHeaderVectors.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>

namespace {

using namespace tallix::test;

constexpr int kBaud = 9600;
constexpr DWORD kProgramText = 32 * 1024;
constexpr unsigned kListLength = 255;  // the longest list these calculators keep

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double wallSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The program's own pump, which also tells the calculator that the PC waits.
class Pump : public CQtSerialMessagePump {
 public:
  std::atomic<bool> waiting{false};
  void PumpWaitingMessages() override {
    waiting = true;
    CQtSerialMessagePump::PumpWaitingMessages();
  }
};

// One transfer's world: settings, language library, a paced calculator on
// "COM 7", a document, no pauses.
struct World {
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CalcSimulator sim;
  FakeDocServices doc;
  Pump pump;
  size_t calcSent = 0;
  std::string message;

  World() {
    LinkTimings t;
    t.answerPause = t.failedAnswerPause = t.headerPause = t.pendingAnswerPauseNP = t.connectPause = 0;
    // A pseudo-terminal takes a whole packet at once, so the PC waits for
    // the answer while the paced calculator is still reading.
    t.requestTimeout = t.readTimeout = t.readyTimeout = t.answerTimeout = 120000;
    SetLinkTimings(t);
    SetSerialMessagePump(&pump);
    AppWriteProfileString(kCommDevicesSection, SerialDeviceProfileKey(7).c_str(), sim.devicePath().c_str());
    AppWriteProfileInt(kCommSettings, "Port", 7);
    sim.setReplyDelay(0);
    sim.setLineRate(kBaud);
    sim.setExpectTimeout(10000);
    SetMessageBoxHandler([this](const MessageBoxRequest& r) {
      message = r.text.toStdString();
      return IDOK;
    });
  }
  ~World() {
    SetMessageBoxHandler(nullptr);
    SetSerialMessagePump(nullptr);
    SetLinkTimings(LinkTimings());
  }
  void send(const Bytes& bytes) {
    sim.send(bytes);
    calcSent += bytes.size();
  }
  // Runs `command` and reports its times against the line time.
  void measure(benchmark::State& state, const std::function<void()>& command) {
    sim.start();
    const double wall0 = wallSeconds(), cpu0 = threadCpuSeconds();
    command();
    const double wall = wallSeconds() - wall0, cpu = threadCpuSeconds() - cpu0;
    if (!sim.finish()) state.SkipWithError((sim.error() + " after " + std::to_string(sim.received().size()) + " bytes").c_str());
    if (!message.empty()) state.SkipWithError(message.c_str());
    const double line = double(calcSent + sim.received().size()) * 10.0 / kBaud;
    state.SetIterationTime(wall);
    state.counters["line_s"] = line;
    state.counters["ratio"] = wall / line;
    state.counters["cpu_pct"] = 100.0 * cpu / wall;
  }
};

Bytes programText() {
  Bytes text(kProgramText - 1, 0x41);
  text.push_back(0xFF);
  return text;
}

Bytes listValue(unsigned row) { return valueRecord(row, 1, number(row, 0)); }

Bytes endPacket() { return CalcSimulator::packet(CalcSimulator::padded(CalcSimulator::text("END"), 48)); }

Bytes onWire(Bytes image) {
  image[4] = 0;
  return CalcSimulator::packet(Bytes(image.begin() + 1, image.end() - 1));
}

void receive(benchmark::State& state, const std::vector<Bytes>& packets) {
  for (auto _ : state) {
    World w;
    w.sim.waitUntil([&w] { return w.pump.waiting.load(); });
    w.send({LINK_REQUEST});
    w.sim.expect({LINK_READY});
    for (const Bytes& p : packets) {
      w.send(p);
      w.sim.expect({LINK_ACK});
    }
    w.send(endPacket());
    w.measure(state, [&w] { LinkReceiveNP(&w.doc, FALSE); });
  }
}

void BM_ReceiveProgram(benchmark::State& state) {
  receive(state, {onWire(programHeader("BIG", kProgramText)), CalcSimulator::packet(programText())});
}

void BM_ReceiveList(benchmark::State& state) {
  std::vector<Bytes> packets = {onWire(valHeader("LT", kListLength, 1, "List 1"))};
  for (unsigned r = 1; r <= kListLength; ++r) packets.push_back(CalcSimulator::packet(listValue(r)));
  receive(state, packets);
}

void send(benchmark::State& state, CQXCalcItem* (*make)(), const std::vector<size_t>& packetSizes) {
  for (auto _ : state) {
    World w;
    w.doc.put("\\Calculator\\Item", make());
    w.doc.sendable = {{"\\Calculator\\Item", "Item"}};
    const SendSelectionQuery previous = SetSendSelectionQuery([](std::vector<std::string>*) { return TRUE; });
    w.sim.expect({LINK_REQUEST});
    w.send({LINK_READY});
    w.sim.expectHeaderNP();
    w.send({LINK_ACK});
    for (size_t size : packetSizes) {
      w.sim.expectPacket(size);
      w.send({LINK_ACK});
    }
    w.sim.expectHeaderNP();
    w.measure(state, [&w] { LinkSendNP(&w.doc); });
    SetSendSelectionQuery(previous);
  }
}

CQXCalcItem* bigProgram() {
  auto* item = new CQXProgramItem;
  const Bytes text = programText();
  item->ParseHeader(programHeader("BIG", kProgramText).data(), 50);
  item->SetDataBlock(text.data(), int(text.size()));
  return item;
}

CQXCalcItem* bigList() {
  auto* item = new CQXListItem;
  item->ParseHeader(valHeader("LT", kListLength, 1, "List 1").data(), 50);
  for (unsigned r = 1; r <= kListLength; ++r) item->GetValues().SetCellFromRecord(listValue(r).data(), 14);
  return item;
}

void BM_SendProgram(benchmark::State& state) { send(state, bigProgram, {kProgramText}); }
void BM_SendList(benchmark::State& state) { send(state, bigList, std::vector<size_t>(kListLength, 14)); }

BENCHMARK(BM_ReceiveProgram)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ReceiveList)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendProgram)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendList)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
