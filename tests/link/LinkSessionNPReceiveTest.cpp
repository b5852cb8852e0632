#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"
#include "platform/LanguageLibrary.h"
#include "tests/link/SessionTestSupport.h"

using namespace tallix::test;

namespace {

using ReceiveNP = SessionFixture;

Bytes value(unsigned row, unsigned column, unsigned long long digits) {
  return Sim::packet(valueRecord(row, column, number(digits, 0)));
}

// Every function of a graph-function item: header and text packet.
std::vector<Bytes> graphFunctions(int count) {
  std::vector<Bytes> packets;
  for (int n = 1; n <= count; ++n) {
    const Bytes text = {BYTE('0' + n % 10), 0xFF};
    packets.push_back(onWire(fncHeader("GF", 4, "Y" + std::to_string(n), '=', kGfStyle)));
    packets.push_back(Sim::packet(text));
  }
  return packets;
}

TEST_F(ReceiveNP, AMatrixIsOneHeaderAndAValuePerElement) {
  open(1);
  std::vector<Bytes> packets = {onWire(valHeader("MT", 2, 3, "Mat B"))};
  for (unsigned r = 1; r <= 2; ++r)
    for (unsigned c = 1; c <= 3; ++c) packets.push_back(value(r, c, 10 * r + c));
  packets.push_back(endPacket());
  calcSends(packets);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 4001u);
  auto* matrix = dynamic_cast<CQXMatrixItem*>(entry->GetItem());
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(matrix->GetLetter(), 'B');
  ASSERT_EQ(matrix->GetValues().GetFirstCount(), 2);
  ASSERT_EQ(matrix->GetValues().GetSecondCount(), 3);
  EXPECT_EQ(Bytes(matrix->GetValues().GetCell(2, 3)->GetReal(), matrix->GetValues().GetCell(2, 3)->GetReal() + 10),
            number(23, 0));
  const std::vector<std::pair<std::string, int>> expected = {{"", 0}, {displayNameOf(*matrix), 4001}};
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_EQ(entry, nullptr);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

struct TypeCase {
  const char* type;
  int count;
  int typeId;
  DWORD storedKind;
};

class ReceiveGraphFunctions : public ReceiveNP, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ReceiveGraphFunctions, TheCalculatorTypeChoosesTheItem) {
  doc.calculatorType = GetParam().type;
  open(1);
  std::vector<Bytes> packets = graphFunctions(GetParam().count);
  packets.push_back(endPacket());
  calcSends(packets);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), GetParam().storedKind);
  ASSERT_EQ(entry->GetItem()->GetTypeId(), GetParam().typeId);
  auto* functions = static_cast<CQXGraphFuncItem*>(entry->GetItem());
  EXPECT_EQ(Bytes(functions->GetFunctionData(4), functions->GetFunctionData(4) + 2), (Bytes{'5', 0xFF}));
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_EQ(progress.back(), std::make_pair(CLanguageLibrary::LoadStringA(10310), 4003));
}

INSTANTIATE_TEST_SUITE_P(BothTypes, ReceiveGraphFunctions,
                         ::testing::Values(TypeCase{"FX7400", 10, 4002, 4004}, TypeCase{"FX9850", 20, 4003, 4005}),
                         [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.type); });

TEST_F(ReceiveNP, VariablesOfAnFX7400AreTwentySix) {
  doc.calculatorType = "FX7400";
  open(1);
  std::vector<Bytes> packets;
  for (char c = 'A'; c <= 'Z'; ++c) {
    const bool filled = c == 'A' || c == 'Z';
    packets.push_back(onWire(valHeader("VM", filled, filled, std::string(1, c), "Variable")));
    if (filled) packets.push_back(value(1, 1, unsigned(c)));
  }
  packets.push_back(endPacket());
  calcSends(packets);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 4014u);
  auto* variables = dynamic_cast<CQXVariable26Item*>(entry->GetItem());
  ASSERT_NE(variables, nullptr);
  BYTE record[24];
  ASSERT_EQ(variables->GetValueRecord(25, record, sizeof record), 14u);
  EXPECT_EQ(Bytes(record + 4, record + 14), number('Z', 0));
  EXPECT_EQ(variables->GetValueRecord(1, record, sizeof record), 0u);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveNP, RecursionFormulasWaitForTheirRanges) {
  open(1);
  const Bytes text = {'1', 0xFF};
  calcSends({onWire(fncHeader("RF", 4, "an", '=', kRfStyle)), Sim::packet(text),
             onWire(fncHeader("RF", 4, "bn", '=', kRfStyle)), Sim::packet(text),
             onWire(valHeader("RR", 1, 1, "R Start", "Y=Data")), value(1, 1, 1),
             onWire(valHeader("RR", 1, 1, "R End", "Y=Data")), value(1, 1, 9), endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 4009u);
  auto* recursion = dynamic_cast<CQXRecursionItem*>(entry->GetItem());
  ASSERT_NE(recursion, nullptr);
  EXPECT_EQ(recursion->GetRecursionType(), 1);
  EXPECT_EQ(recursion->GetFormulaLength(1), 2u);
  BYTE record[24];
  EXPECT_EQ(recursion->GetRangeValue(1, record, sizeof record), 14u);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// A screen copy or a backup is a whole transfer.
struct WholeCase {
  const char* name;
  Bytes header;
  std::vector<Bytes> blocks;
  DWORD kind;
};

void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }

class ReceiveWhole : public ReceiveNP, public ::testing::WithParamInterface<WholeCase> {};

TEST_P(ReceiveWhole, EndsTheTransferAfterItsLastAnswer) {
  const WholeCase& c = GetParam();
  open(1);
  std::vector<Bytes> packets = {c.header};
  packets.insert(packets.end(), c.blocks.begin(), c.blocks.end());
  calcSends(packets);
  if (c.kind != 4024) {
    sim.expectSilence(30);
  } else {
    // ... and a backup goes back as it came: the PC's next byte is its request.
    calcListens();
    sim.expectHeaderNP().send({LINK_ACK}).expectPacket(c.blocks[0].size() - 2).send({LINK_ACK});
  }
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), c.kind);
  // The 0x06 for the last block is on the line before anything else is read.
  EXPECT_TRUE(sim.waitReceived(1 + packets.size(), 1000));
  std::unique_ptr<CQXDocEntry> none;
  EXPECT_EQ(receive(&none), SESSION_END);
  if (auto* screen = dynamic_cast<CQXScreenItem*>(entry->GetItem())) {
    const std::vector<BYTE>& bits = screen->GetImage().GetBits();
    ASSERT_EQ(bits.size(), 1024u * c.blocks.size());
    EXPECT_EQ(bits.back(), c.blocks.back()[c.blocks.back().size() - 2]);
  } else {
    session.reset();
    link.reset();
    open(0);
    EXPECT_EQ(session->Connect(), SESSION_OK);
    CQXDocEntryArray back;
    back.push_back(std::move(entry));
    EXPECT_EQ(session->SendItem(back), SESSION_OK);
    EXPECT_EQ(sim.packets(), (std::vector<Bytes>{c.header, c.blocks[0]}));
  }
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// A block of a screen copy: a colour block leads with its plane number.
Bytes screenBlock(int plane, BYTE fill) {
  Bytes payload(1024, fill);
  if (plane) payload.insert(payload.begin(), BYTE(plane));
  return Sim::packet(payload);
}

Bytes backupBytes() {
  Bytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i);
  return Sim::packet(data);
}

INSTANTIATE_TEST_SUITE_P(
    ScreenCopiesAndBackups, ReceiveWhole,
    ::testing::Values(WholeCase{"Mono", onWire(screenHeader("DD")), {screenBlock(0, 0x11)}, 4022},
                      WholeCase{"Colour",
                                onWire(screenHeader("DC")),
                                {screenBlock(1, 0x11), screenBlock(2, 0x22), screenBlock(3, 0x33)},
                                4023},
                      WholeCase{"Backup", onWire(memHeader("BU", 300, "BACKUP")), {backupBytes()}, 4024}),
    [](const ::testing::TestParamInfo<WholeCase>& info) { return std::string(info.param.name); });

// Failures end with their session code and the byte a calculator expects.
struct FailureCase {
  const char* name;
  std::vector<Bytes> packets;  // what the calculator sends, each answered 0x06 but the last
  int session;
  BYTE owed;  // what the PC must send after the last packet (0: nothing)
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ReceiveFailure : public ReceiveNP, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReceiveFailure, EndsWithItsCodeAndAnswer) {
  const FailureCase& c = GetParam();
  open(1);
  sim.waitUntil([this] { return pcWaits.load(); }).send({LINK_REQUEST}).expect({LINK_READY});
  for (size_t i = 0; i < c.packets.size(); ++i) {
    sim.send(c.packets[i]);
    if (i + 1 < c.packets.size()) sim.expect({LINK_ACK});
  }
  if (c.owed) sim.expect({c.owed});
  sim.expectSilence(30);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), c.session);
  EXPECT_EQ(entry, nullptr);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

std::vector<Bytes> gfThenValue() {
  std::vector<Bytes> packets = graphFunctions(1);
  packets.push_back(onWire(valHeader("MT", 1, 1, "Mat A")));
  return packets;
}

// A program header whose bytes 7-10 announce `length` (text + 2).
Bytes programAnnouncing(DWORD length) {
  Bytes h = programHeader("BIG", 0);
  put32(h, 7, length);
  return onWire(h);
}

INSTANTIATE_TEST_SUITE_P(
    DamagedOrUnexpected, ReceiveFailure,
    ::testing::Values(
        FailureCase{"RangeWithoutFormulas", {onWire(valHeader("RR", 1, 1, "R Start", "Y=Data"))},
                    SESSION_PROTOCOL, LINK_CANCEL},
        FailureCase{"GraphFunctionsThenAMatrix", gfThenValue(), SESSION_PROTOCOL, LINK_CANCEL},
        FailureCase{"UnknownCode", {onWire(valHeader("ZZ", 1, 1, "Mat A"))}, SESSION_PROTOCOL, LINK_CANCEL},
        FailureCase{"UnknownTag", {Sim::packet(Sim::padded(Sim::text("XYZ"), 48))}, SESSION_PROTOCOL, LINK_ERROR},
        FailureCase{"HeaderChecksum", {Sim::withBadChecksum(onWire(valHeader("MT", 1, 1, "Mat A")))},
                    SESSION_BAD_DATA, LINK_ERROR},
        FailureCase{"ValueChecksum",
                    {onWire(valHeader("MT", 1, 1, "Mat A")), Sim::withBadChecksum(value(1, 1, 5))},
                    SESSION_BAD_DATA, LINK_ERROR},
        FailureCase{"ValueOutsideTheMatrix", {onWire(valHeader("MT", 1, 1, "Mat A")), value(2, 1, 5)},
                    SESSION_BAD_DATA, LINK_ERROR},
        FailureCase{"LengthBelowTheFrame", {programAnnouncing(1)}, SESSION_BAD_DATA,
                    LINK_ERROR},
        FailureCase{"LengthOfFourGigabytes", {programAnnouncing(0xFFFFFFFF)}, SESSION_BAD_DATA, LINK_ERROR},
        FailureCase{"RefusedHeader", {onWire(valHeader("MT", 0, 3, "Mat A"))}, SESSION_BAD_DATA, LINK_ERROR}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(ReceiveNP, AnUnsupportedCalculatorTypeIsRefused) {
  doc.calculatorType = "FXALGEBRA20";
  open(1);
  sim.waitUntil([this] { return pcWaits.load(); })
      .send({LINK_REQUEST})
      .expect({LINK_READY})
      .send(graphFunctions(1)[0])
      .expect({LINK_ERROR})
      .start();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), SESSION_NOT_SUPPORTED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveNP, TheUsersCancelDuringAPacketReachesTheCalculator) {
  open(1);
  const Bytes text(200, 0x41);
  const Bytes packet = Sim::packet(text);
  sim.waitUntil([this] { return pcWaits.load(); })
      .send({LINK_REQUEST})
      .expect({LINK_READY})
      .send(onWire(programHeader("SLOW", DWORD(text.size()))))
      .expect({LINK_ACK})
      .trickle(Bytes(packet.begin(), packet.begin() + 20), 2)
      .expect({LINK_CANCEL})
      .start();
  int bytesSeen = 0;
  pump.onPump = [&](int) {
    pcWaits = true;
    if (link->GetByteCount() > 60 && ++bytesSeen == 1) link->Cancel();
  };
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), SESSION_USER_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

}  // namespace
