#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "link/ProgramPasswordQuery.h"
#include "tests/link/SessionMCSTestSupport.h"

using namespace tallix::test;

namespace {

using SendMCS = SessionMCSFixture;
using mcs::block;
using mcs::header;

CQXMatrixV5Item* matrixA() {
  auto* m = new CQXMatrixV5Item;
  m->SetName("MAT_A");
  m->SetDimensions(1, 2);
  m->SetReal(1, 1, number9(1).data(), 9);
  m->SetReal(1, 2, number9(2).data(), 9);
  return m;
}

CQXProgramItem* protectedProgram() {
  auto* p = new CQXProgramItem;
  p->SetName("PROG");
  p->SetPassword("PW");
  p->SetBaseN(TRUE);
  const BYTE text[] = {0xF7, 0x0D, 0xFF};
  p->SetDataBlock(text, 3);
  return p;
}

// The head's counts little-endian, the parts in turn, one checksum over all.
TEST_F(SendMCS, AMatrixBlockAsWorkedByHand) {
  open(0);
  const Bytes expected = {':',  0, 0, 0, 0, 0, 0, 0, 0,    1, 0, 2, 0, 0, 0, 0, 0,  // head: 1 row, 2 columns
                          0x11, 1, 0, 0, 0, 0, 0, 1, 1,                             // (1, 1)
                          0x12, 2, 0, 0, 0, 0, 0, 1, 2,                             // (1, 2)
                          0xD2};
  mcs::startReceiving(sim);
  sim.expect(header(6, 34, "MAT_A")).send({0x06}).expect(expected).send({0x06}).expect(mcs::endPacket());
  sim.start();
  EXPECT_EQ(sendAll({matrixA()}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SendMCS, CoefficientsAreFollowedByAnEmptyResult) {
  open(0);
  auto* coefficients = new CQXSimlCoefItem;
  coefficients->InitNew();
  mcs::startReceiving(sim);
  sim.expect(header(6, 70, "SIMLCOEF", "Equation")).send({0x06}).expectPacket(70).send({0x06});
  sim.expect(header(6, 0, "SIMLRSLT", "Equation")).send({0x06}).expect(mcs::endPacket());
  sim.start();
  EXPECT_EQ(sendAll({coefficients}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress[0].second, 4016);
  EXPECT_EQ(progress[1].second, 5008);
}

struct AnswerCase {
  const char* what;
  BYTE calculator;    // its answer to the matrix header
  UINT user;          // the overwrite question's answer, when asked
  Bytes pcAnswer;     // what the PC answers to '!'
  bool blockGoesOut;  // then the block and "END1"
  int result;
};

class SendMCSAnswer : public SessionMCSFixture, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SendMCSAnswer, DecidesWhatFollowsTheHeader) {
  const AnswerCase& c = GetParam();
  open(0);
  doc.overwriteAnswers = {c.user};
  mcs::startReceiving(sim);
  sim.expect(header(6, 34, "MAT_A")).send({c.calculator});
  if (!c.pcAnswer.empty()) sim.expect(c.pcAnswer);
  if (c.pcAnswer == Bytes{0x06} || c.pcAnswer == Bytes{0x15}) sim.send({0x06});
  if (c.blockGoesOut) sim.expectPacket(34).send({0x06});
  if (c.result == SESSION_OK) sim.expect(mcs::endPacket());
  sim.expectSilence(50);
  sim.start();
  EXPECT_EQ(sendAll({matrixA()}), c.result) << c.what;
  EXPECT_TRUE(sim.finish()) << c.what << ": " << sim.error();
  if (c.calculator == '!') {
    ASSERT_EQ(doc.overwriteQuestions.size(), 1u);
    EXPECT_EQ(doc.overwriteQuestions[0], std::make_pair(std::string("Matrice A"), 5001));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendMCSAnswer,
    ::testing::Values(AnswerCase{"Overwrite", '!', OVERWRITE_YES, {0x06}, true, SESSION_OK},
                      AnswerCase{"All", '!', OVERWRITE_ALL, {0x06}, true, SESSION_OK},
                      AnswerCase{"Keep", '!', OVERWRITE_NO, {0x15}, false, SESSION_OK},
                      AnswerCase{"Cancel", '!', OVERWRITE_CANCEL, {0x18}, false, SESSION_USER_CANCELLED},
                      AnswerCase{"Skip", 0x15, 0, {}, false, SESSION_OK},
                      AnswerCase{"MemoryFull", '$', 0, {0x18}, false, SESSION_CALC_MEMORY_FULL},
                      AnswerCase{"CalculatorError", '"', 0, {0x18}, false, SESSION_CALC_ERROR}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.what); });

class SendMCSPassword : public SessionMCSFixture {
 protected:
  void TearDown() override {
    SetProgramPasswordQuery(previous_);
    SessionMCSFixture::TearDown();
  }
  void answer(int outcome) {
    previous_ = SetProgramPasswordQuery([outcome](const char*, const char*) { return outcome; });
  }

 private:
  ProgramPasswordQuery previous_;
};

// Password padded with 0, the mode flag, 0, the text whose end byte goes out
// as 0.
TEST_F(SendMCSPassword, TheRightPasswordSendsTheProgram) {
  answer(PROGRAM_PASSWORD_SEND);
  open(0);
  mcs::startReceiving(sim);
  sim.expect(header(1, 13, "PROG")).send({0x06});
  sim.expect(block({'P', 'W', 0, 0, 0, 0, 0, 0, 1, 0, 0xF7, 0x0D, 0x00})).send({0x06}).expect(mcs::endPacket());
  sim.start();
  EXPECT_EQ(sendAll({protectedProgram()}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SendMCSPassword, SkipGoesOnWithTheNextItem) {
  answer(PROGRAM_PASSWORD_SKIP);
  open(0);
  mcs::startReceiving(sim);
  sim.expect(header(6, 34, "MAT_A")).send({0x06}).expectPacket(34).send({0x06}).expect(mcs::endPacket());
  sim.start();
  EXPECT_EQ(sendAll({protectedProgram(), matrixA()}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// The calculator waits for a header: it is told that the transfer ends.
TEST_F(SendMCSPassword, CancelTellsTheCalculator) {
  answer(PROGRAM_PASSWORD_CANCEL);
  open(0);
  mcs::startReceiving(sim);
  sim.expect({0x18}).expectSilence(50);
  sim.start();
  EXPECT_EQ(sendAll({protectedProgram(), matrixA()}), SESSION_USER_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SendMCS, NothingToSendIsAFailure) {
  open(0);
  CQXDocEntryArray entries;
  entries.push_back(std::make_unique<CQXDocEntry>());
  EXPECT_EQ(session->SendItem(entries), SESSION_SEND_ERROR);
}

// --- Round trips: what the calculator sent goes back byte for byte ---------

std::vector<Bytes> everyKind() {
  std::vector<Bytes> p;
  auto add = [&p](const Bytes& h, const Bytes& data) {
    p.push_back(h);
    p.push_back(block(data));
  };
  add(header(1, 13, "PROG"), {'P', 'W', 0, 0, 0, 0, 0, 0, 1, 0, 0xF7, 0x0D, 0x00});
  add(header(6, 34, "MAT_A"), {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0x11, 1, 0, 0, 0, 0, 0, 1, 1, 0x12,
                               2, 0, 0, 0, 0, 0, 1, 2});
  Bytes listBlock(14, 0);
  listBlock[8] = 3;
  for (BYTE i = 1; i <= 3; ++i) listBlock = concat({listBlock, number9(i)});
  add(header(5, 41, "3LIST2", "FILE03"), listBlock);
  Bytes window;
  for (BYTE i = 1; i <= 11; ++i) window = concat({window, number9(i)});
  add(header(5, 99, "VWIN", "Y=Data"), window);
  for (int v = 0; v < 28; ++v) {
    const char name = v < 26 ? char('A' + v) : char(0xCD + v - 26);
    add(header(0, 18, std::string(1, name), "Variable"), concat({number9(BYTE(v)), v == 3 ? number9(7) : Bytes(9, 0)}));
  }
  add(header(5, 18, "FACTOR", "Y=Data"), concat({number9(1), number9(2)}));
  add(header(0xFE, 27, "RANGE", "Y=Data"), concat({number9(1), number9(2), number9(3)}));
  for (int n = 1; n <= 30; ++n)
    add(header(2, 6, std::to_string(n), "Y=Data"), {0x01, 0x08, 0x00, 0x02, BYTE('0' + n % 10), 0});
  for (char c = 'A'; c <= 'E'; ++c) add(header(2, 6, std::string(1, c) + "N", "Y=Data"), {0x01, 0x08, 0, 2, BYTE(c), 0});
  p.push_back(mcs::packet40("SET1", {{5, {'0', 3}}, {7, Sim::text("Y=Data")}}));
  Bytes range;
  for (BYTE i = 1; i <= 14; ++i) range = concat({range, number9(i)});
  add(header(0xFE, 126, "RECRG", "Y=Data"), range);
  for (int n = 1; n <= 20; ++n)
    add(header(4, n == 5 ? 3 : 1, std::string("FMEM") + char(n), "FMEM"), n == 5 ? Bytes{'X', '+', 0} : Bytes{0});
  add(header(7, 1024, "PICT1"), Bytes(1024, 0xA5));
  add(header(0xFE, 100, "GMEM2", "GRAPH"), Bytes(100, 0x3C));
  add(header(0x31, 3, "MAIN", "GEOMETRY"), {1, 2, 3});
  add(header(0x31, 2, "DATA", "GEOMETRY"), {4, 5});
  add(header(0xFE, 4, "CASDATA", "CAS"), {6, 7, 8, 9});
  add(header(0xFE, 2, "47", "DIFF_EQ"), {1, 2});
  return p;
}

std::vector<Bytes> backup() {
  return {mcs::backupHeader(4, "RAM"), block({1, 2, 3, 4}), mcs::backupHeader(2, "ROM"), block({5, 6})};
}

struct Transfer {
  const char* name;
  std::vector<Bytes> (*packets)();
};

class RoundTripMCS : public SendMCSPassword, public ::testing::WithParamInterface<Transfer> {};

TEST_P(RoundTripMCS, SendsBackTheSamePackets) {
  const std::vector<Bytes> original = GetParam().packets();
  answer(PROGRAM_PASSWORD_SEND);
  // The calculator sends, then takes every packet back and answers 0x06.
  open(1);
  std::vector<Bytes> transfer = original;
  transfer.push_back(mcs::endPacket());
  calcSends(transfer);
  mcs::startReceiving(sim);
  for (const Bytes& p : original) sim.expectPacket(p.size() - 2).send({0x06});
  sim.expect(mcs::endPacket());
  sim.start();

  CQXDocEntryArray received;
  std::unique_ptr<CQXDocEntry> entry;
  int result;
  while ((result = receive(&entry)) == SESSION_ITEM) received.push_back(std::move(entry));
  ASSERT_EQ(result, SESSION_END);
  session.reset();
  link.reset();
  open(0);
  EXPECT_EQ(session->Connect(), SESSION_OK);
  EXPECT_EQ(session->SendItem(received), SESSION_OK);
  session->SendEnd();
  ASSERT_TRUE(sim.finish()) << sim.error();
  std::vector<Bytes> back = sim.packets();
  ASSERT_EQ(back.size(), original.size() + 1);
  back.erase(back.begin());  // the PC's model packet
  for (size_t i = 0; i < original.size(); ++i) EXPECT_EQ(hexBytes(back[i]), hexBytes(original[i])) << "packet " << i;
}

INSTANTIATE_TEST_SUITE_P(Transfers, RoundTripMCS,
                         ::testing::Values(Transfer{"EveryKind", &everyKind}, Transfer{"Backup", &backup}),
                         [](const ::testing::TestParamInfo<Transfer>& info) { return std::string(info.param.name); });

}  // namespace
