#include "tests/link/sim/CalcSimulatorMCS.h"

#include <algorithm>

namespace tallix::test::mcs {

namespace {

Bytes be32(DWORD v) { return {BYTE(v >> 24), BYTE(v >> 16), BYTE(v >> 8), BYTE(v)}; }

}  // namespace

Bytes packet40(const char* tag, const std::vector<std::pair<int, Bytes>>& fields) {
  Bytes image(40, 0xFF);
  std::copy(tag, tag + 4, image.begin() + 1);
  for (const auto& [offset, bytes] : fields) std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
  return CalcSimulator::packet(Bytes(image.begin() + 1, image.end() - 1));
}

Bytes header(BYTE type, DWORD size, const std::string& name, const std::string& group) {
  std::vector<std::pair<int, Bytes>> fields = {{5, {0}}, {6, be32(size)}, {10, {type}}, {11, Bytes(name.begin(), name.end())}};
  if (!group.empty()) fields.push_back({19, Bytes(group.begin(), group.end())});
  return packet40("MCS1", fields);
}

Bytes backupHeader(DWORD size, const std::string& name) {
  return packet40("BKU1", {{9, be32(size)}, {13, Bytes(name.begin(), name.end())}});
}

Bytes modelPacket(const char* speed) {
  return packet40("MDL1", {{5, CalcSimulator::text("ZX945")},
                           {11, CalcSimulator::text(speed)},
                           {17, CalcSimulator::text("N1.00")},
                           {22, be32(256)},
                           {26, be32(1024)},
                           {30, be32(256)},
                           {34, {0x03}}});
}

Bytes endPacket() { return packet40("END1"); }

Bytes block(const Bytes& data) { return CalcSimulator::packet(data); }

void startSending(CalcSimulator& sim, const char* speed) {
  const Bytes model = modelPacket(speed);
  sim.send({0x16}).expect({0x13}).send(model);
  if (std::string(speed) != "038400") return;
  sim.expect(model).send({0x06}).expect({0x06});
}

void sendPackets(CalcSimulator& sim, const std::vector<Bytes>& packets) {
  for (const Bytes& p : packets) {
    sim.send(p);
    if (p != endPacket()) sim.expect({0x06});
  }
}

void startReceiving(CalcSimulator& sim) {
  sim.expect({0x16}).send({0x13}).expectPacket(38).send(modelPacket()).expect({0x06}).send({0x06});
}

void takeItem(CalcSimulator& sim, size_t blockSize, BYTE answer) {
  sim.expectPacket(38).send({answer});
  if (answer == 0x06 && blockSize) sim.expectPacket(blockSize).send({0x06});
}

}  // namespace tallix::test::mcs
