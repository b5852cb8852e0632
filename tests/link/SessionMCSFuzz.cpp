// Feeds arbitrary byte streams from a calculator through the receive session
// of the 40-byte family (model packet, headers, every receiver, the answers
// owed, the headers kept for the next item), then sends every item it built
// back to a calculator that accepts everything: an item received must go
// out again.
//
// Input: byte 0 holds two switches. Bit 0 set: the calculator's request,
// model packet and answer come first, so that the rest starts at its first
// header; clear: the rest is all the calculator sends after its request
// byte. Bit 1 set: the document already holds a function memory, into which
// received memories merge.
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "link/LinkSessionMCS.h"
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
  static char name[] = "session_mcs_fuzzer";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  SetProgramPasswordQuery([](const char*, const char*) { return int(PROGRAM_PASSWORD_SEND); });
}

class FuzzDoc : public tallix::test::FakeDocServices {
 public:
  bool holdsMemories = false;
  BOOL LoadItem(const char*, CQXDocEntry* out) override {
    if (!holdsMemories) return FALSE;
    auto* memories = new CQXFuncMemV5Item;
    const BYTE text[] = {'X', 0};
    memories->GetEntry(3)->SetBytes(text, 2);
    out->SetItem(memories);
    return TRUE;
  }
};

std::vector<BYTE> modelPacket() {
  std::vector<BYTE> p(40, 0xFF);
  BuildModelPacket(p.data());
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = (setUpOnce(), true);
  (void)ready;
  if (size < 1) return 0;
  FuzzDoc doc;
  doc.calculatorType = "FXALGEBRA20";
  doc.holdsMemories = (data[0] & 2) != 0;

  std::vector<BYTE> stream = {0x16};
  if (data[0] & 1) {
    const std::vector<BYTE> model = modelPacket();
    stream.insert(stream.end(), model.begin(), model.end());
    stream.push_back(0x06);
  }
  stream.insert(stream.end(), data + 1, data + size);
  tallix::test::MemoryLink in(stream.data(), stream.size());
  CQXDocEntryArray received;
  {
    CQXLinkSessionMCS session(&doc, 1, &in, nullptr);
    check(session.Start());
    std::unique_ptr<CQXDocEntry> entry;
    for (int i = 0; i < 64; ++i) {
      const int result = session.ReceiveItem(&entry);
      check((result == SESSION_ITEM) == (entry != nullptr));
      if (result != SESSION_ITEM) break;
      check(entry->GetItem() != nullptr);
      // An equation's result only ever goes from the calculator to the PC.
      if (entry->GetItem()->GetTypeId() != 5020) received.push_back(std::move(entry));
    }
  }
  if (received.empty()) return 0;

  // The calculator's ready byte, its model packet and 0x06, then 0x06 for
  // every header and block: one item received fills at most a few dozen
  // headers going back, and every member took bytes of the input.
  std::vector<BYTE> answers = {0x13};
  const std::vector<BYTE> model = modelPacket();
  answers.insert(answers.end(), model.begin(), model.end());
  answers.resize(answers.size() + 200 * received.size() + 2 * size + 16, 0x06);
  tallix::test::MemoryLink out(answers.data(), answers.size());
  CQXLinkSessionMCS session(&doc, 0, &out, nullptr);
  check(session.Start());
  check(session.Connect() == SESSION_OK);
  check(session.SendItem(received) == SESSION_OK);
  return 0;
}
