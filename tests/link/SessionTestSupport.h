// What the session tests of the 50-byte family share: a session on the
// simulator's line over a stand-in document, the packets as the calculator
// puts them on the wire, and the calculator's side of a transfer.
#pragma once

#include "datamodel/QXDocEntry.h"
#include "link/LinkSessionNP.h"
#include "platform/LanguageLibrary.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/OldHeaderVectors.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace tallix::test {

using Sim = CalcSimulator;

// A header image (50 or 40 bytes) as the calculator sends it: ':', bytes 1
// to length-2 and a fresh checksum; a 50-byte header carries 0 at byte 4.
inline Bytes onWire(Bytes image) {
  if (image.size() == 50) image[4] = 0;
  return Sim::packet(Bytes(image.begin() + 1, image.end() - 1));
}

inline Bytes endPacket() { return Sim::packet(Sim::padded(Sim::text("END"), 48)); }

// A session of either family on the simulator's line over the stand-in
// document.
template <class Session>
class SessionFixtureOf : public LinkFixture {
 protected:
  // The progress texts come from the language library.
  void SetUp() override {
    LinkFixture::SetUp();
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXLWIN32.LNG")));
    ASSERT_TRUE(CLanguageLibrary::Load(env.programFile(QStringLiteral("QXLWIN32.LNG"))));
  }

  // `direction` 0 sends, non-zero receives.
  void open(int direction) {
    sim.setReplyDelay(2);
    link = std::make_unique<CQXCalcLink>();
    ASSERT_TRUE(link->OpenFromSettings(direction != 0, TRUE));
    session = std::make_unique<Session>(&doc, direction, link.get(), [this](DWORD, const char* text, int kind) {
      progress.emplace_back(text, kind);
    });
    ASSERT_TRUE(session->Start());
    pump.onPump = [this](int) { pcWaits = true; };
  }

  // Sends the items (each wrapped in an entry) between the handshake and the
  // end packet; the result of SendItem.
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
  std::unique_ptr<Session> session;
  std::atomic<bool> pcWaits{false};
};

class SessionFixture : public SessionFixtureOf<CQXLinkSessionNP> {
 protected:
  // The calculator as sender: its request once the PC is listening, then
  // each packet after the PC's 0x06 for the one before; nothing is expected
  // after "END".
  void calcSends(const std::vector<Bytes>& packets) {
    sim.waitUntil([this] { return pcWaits.load(); }).send({LINK_REQUEST}).expect({LINK_READY});
    for (const Bytes& p : packets) {
      sim.send(p);
      if (p != endPacket()) sim.expect({LINK_ACK});
    }
  }
  // The calculator as receiver: the PC's request, then ready.
  void calcListens() { sim.expect({LINK_REQUEST}).send({LINK_READY}); }

  // Receives one item: the session's result and the entry.
  int receive(std::unique_ptr<CQXDocEntry>* entry) { return session->ReceiveItems(entry); }
};

}  // namespace tallix::test
