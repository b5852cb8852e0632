// What the session tests of the newer family share: a session on the
// simulator's line over a stand-in document, and items built for sending.
#pragma once

#include "datamodel/QXDocEntry.h"
#include "link/LinkSessionMCS.h"
#include "platform/LanguageLibrary.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/sim/CalcSimulatorMCS.h"
#include "tests/support/FakeDocServices.h"

#include <atomic>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tallix::test {

using Sim = CalcSimulator;

// A 9-byte number whose bytes tell it apart from the others.
inline Bytes number9(BYTE tag) { return {BYTE(0x10 | (tag & 0x0F)), tag, 0, 0, 0, 0, 0, 0x01, tag}; }

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class SessionMCSFixture : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXLWIN32.LNG")));
    ASSERT_TRUE(CLanguageLibrary::Load(env.programFile(QStringLiteral("QXLWIN32.LNG"))));
    doc.calculatorType = "FXALGEBRA20";
    doc.calculatorName = "ALGEBRA FX2.0";
  }

  // `direction` 0 sends, non-zero receives.
  void open(int direction) {
    sim.setReplyDelay(2);
    link = std::make_unique<CQXCalcLink>();
    ASSERT_TRUE(link->OpenFromSettings(direction != 0, TRUE));
    session = std::make_unique<CQXLinkSessionMCS>(&doc, direction, link.get(), [this](DWORD, const char* text, int kind) {
      progress.emplace_back(text, kind);
    });
    ASSERT_TRUE(session->Start());
    pump.onPump = [this](int) { pcWaits = true; };
  }

  // The calculator sends the packets once the PC is listening.
  void calcSends(const std::vector<Bytes>& packets, const char* speed = "038400") {
    sim.waitUntil([this] { return pcWaits.load(); });
    mcs::startSending(sim, speed);
    mcs::sendPackets(sim, packets);
  }

  // Receives one item: the session's result and the entry.
  int receive(std::unique_ptr<CQXDocEntry>* entry) { return session->ReceiveItem(entry); }

  // Connects, sends the items (each wrapped in an entry) and, when all went,
  // the end packet; the result of SendItem.
  int sendAll(std::vector<CQXCalcItem*> items) {
    CQXDocEntryArray entries;
    for (CQXCalcItem* item : items) {
      entries.push_back(std::make_unique<CQXDocEntry>());
      entries.back()->SetItem(item);
    }
    EXPECT_EQ(session->Connect(), SESSION_OK);
    const int result = session->SendItem(entries);
    if (result == SESSION_OK) session->SendEnd();
    return result;
  }

  FakeDocServices doc;
  std::vector<std::pair<std::string, int>> progress;
  std::unique_ptr<CQXCalcLink> link;
  std::unique_ptr<CQXLinkSessionMCS> session;
  std::atomic<bool> pcWaits{false};
};

}  // namespace tallix::test
