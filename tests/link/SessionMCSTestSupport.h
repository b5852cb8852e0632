// What the session tests of the newer family share: a session on the
// simulator's line over a stand-in document, and items built for sending.
#pragma once

#include "link/LinkSessionMCS.h"
#include "tests/link/SessionTestSupport.h"
#include "tests/link/sim/CalcSimulatorMCS.h"

#include <atomic>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tallix::test {

// A 9-byte number whose bytes tell it apart from the others.
inline Bytes number9(BYTE tag) { return {BYTE(0x10 | (tag & 0x0F)), tag, 0, 0, 0, 0, 0, 0x01, tag}; }

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class SessionMCSFixture : public SessionFixtureOf<CQXLinkSessionMCS> {
 protected:
  void SetUp() override {
    SessionFixtureOf::SetUp();
    doc.calculatorType = "FXALGEBRA20";
    doc.calculatorName = "ALGEBRA FX 2.0";
  }

  // The calculator sends the packets once the PC is listening.
  void calcSends(const std::vector<Bytes>& packets, const char* speed = "038400") {
    sim.waitUntil([this] { return pcWaits.load(); });
    mcs::startSending(sim, speed);
    mcs::sendPackets(sim, packets);
  }

  // Receives one item: the session's result and the entry.
  int receive(std::unique_ptr<CQXDocEntry>* entry) { return session->ReceiveItem(entry); }
};

}  // namespace tallix::test
