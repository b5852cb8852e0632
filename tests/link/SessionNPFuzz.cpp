// Feeds arbitrary byte streams from a calculator through the receive session
// of the 50-byte family (handshake, headers, every receiver, the answers
// owed), then sends every item it built (screen copies aside) back to a
// calculator that accepts everything: an item received must go out again.
//
// Input: byte 0 picks the calculator type ("FX9850", "FX7400", another);
// the rest is what the calculator sends after its request byte.
#include "datamodel/QXDocEntry.h"
#include "link/LinkSessionNP.h"
#include "link/ProgramPasswordQuery.h"
#include "tests/link/MemoryLink.h"
#include "tests/support/FakeDocServices.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void setUpOnce() {
  static int argc = 1;
  static char name[] = "session_np_fuzzer";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  SetProgramPasswordQuery([](const char*, const char*) { return int(PROGRAM_PASSWORD_SEND); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = (setUpOnce(), true);
  (void)ready;
  if (size < 1) return 0;
  tallix::test::FakeDocServices doc;
  const char* types[] = {"FX9850", "FX7400", "FXALGEBRA20"};
  doc.calculatorType = types[data[0] % 3];

  std::vector<BYTE> stream(data, data + size);
  stream[0] = 0x16;  // the calculator's request
  tallix::test::MemoryLink in(stream.data(), stream.size());
  CQXDocEntryArray received;
  {
    CQXLinkSessionNP session(&doc, 1, &in, nullptr);
    check(session.Start());
    std::unique_ptr<CQXDocEntry> entry;
    for (int i = 0; i < 64; ++i) {
      const int result = session.ReceiveItems(&entry);
      check((result == SESSION_ITEM) == (entry != nullptr));
      if (result != SESSION_ITEM) break;
      check(entry->GetItem() != nullptr);
      // A screen copy only ever goes from the calculator to the PC.
      if (entry->GetItem()->GetTypeId() != 4017) received.push_back(std::move(entry));
    }
  }
  if (received.empty()) return 0;

  // Every packet received took at least two bytes: one 0x06 per byte of input
  // answers everything that can go back.
  std::vector<BYTE> answers(size + 16, 0x06);
  answers[0] = 0x13;  // ready
  tallix::test::MemoryLink out(answers.data(), answers.size());
  CQXLinkSessionNP session(&doc, 0, &out, nullptr);
  check(session.Start());
  check(session.Connect() == SESSION_OK);
  check(session.SendItem(received) == SESSION_OK);
  return 0;
}
