#include "tests/link/LinkTestSupport.h"
#include "tests/support/FakeDocServices.h"

#include <QElapsedTimer>

#include <atomic>
#include <cstring>

using namespace tallix::test;
using Sim = CalcSimulator;

namespace {

using PacketChannelNP = ChannelFixture;

// A 50-byte family header payload: the tag, a 0 byte, the rest 0xFF.
Bytes itemHeader(const char* tag, size_t size = 48) {
  Bytes payload = Sim::padded(Sim::text(tag), size);
  payload[3] = 0;
  return payload;
}

TEST_F(PacketChannelNP, HeaderLengthsComeFromTheTag) {
  open(1);
  const Bytes dc = Sim::padded(Sim::text("DC"), 38);
  const Bytes val = itemHeader("VALMT");
  const Bytes end = Sim::padded(Sim::text("END"), 48);
  sim.send(Sim::packet(dc))
      .send(Sim::packet(val))
      .send(Sim::packet(end))
      .send(Sim::withBadChecksum(Sim::packet(itemHeader("TXTPG"))))
      .send({':', 'X', 'Y', 'Z', 0x55})
      .send({0x16})
      .start();
  BYTE header[kMaxHeaderLengthNP];
  DWORD length = 0;
  ASSERT_EQ(channel->ReadHeaderNP(header, &length), PACKET_OK);
  EXPECT_EQ(length, 40u);
  EXPECT_EQ(Bytes(header, header + 40), Sim::packet(dc));
  ASSERT_EQ(channel->ReadHeaderNP(header, &length), PACKET_OK);
  EXPECT_EQ(length, 50u);
  EXPECT_EQ(Bytes(header, header + 50), Sim::packet(val));
  ASSERT_EQ(channel->ReadHeaderNP(header, &length), PACKET_OK);
  EXPECT_TRUE(CQXPacketChannel::IsEndPacketNP(header));
  EXPECT_EQ(channel->ReadHeaderNP(header, &length), PACKET_CHECKSUM);
  // An unknown tag fails after the tag: the next byte is still there.
  EXPECT_EQ(channel->ReadHeaderNP(header, &length), PACKET_WRONG_BYTE);
  BYTE next = 0;
  ASSERT_TRUE(link->ReadByte(&next, 1000));
  EXPECT_EQ(next, 0x55);
  EXPECT_EQ(channel->ReadHeaderNP(header, &length), PACKET_WRONG_BYTE);  // no ':'
  EXPECT_TRUE(sim.finish()) << sim.error();

  const BYTE tags[][4] = {"DD", "TXT", "FNC", "IMG", "MEM", "VAX", "EN"};
  const DWORD lengths[] = {40, 50, 50, 50, 50, 0, 0};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(CQXPacketChannel::HeaderLengthNP(tags[i]), lengths[i]) << i;
}

TEST_F(PacketChannelNP, TheRequestWaitIgnoresNulsAndRefusesAColon) {
  open(1);
  // A wait empties the input queue as it starts: each answer goes out only
  // once its wait is reading (it pumps between reads), however late it starts.
  std::atomic<int> wait{0}, reading{0};
  pump.onPump = [&](int) { reading = wait.load(); };
  sim.waitUntil([&] { return reading == 1; })
      .send({0, LINK_REQUEST})
      .waitUntil([&] { return reading == 2; })
      .send({':'})
      .start();
  wait = 1;
  EXPECT_EQ(channel->WaitForRequestNP(), PACKET_OK);
  wait = 2;
  EXPECT_EQ(channel->WaitForRequestNP(), PACKET_WRONG_BYTE);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannelNP, EachByteOfTheRequestWaitHasTheWholeTimeOut) {
  open(1);
  shorten(&LinkTimings::requestTimeout, 1000);
  // A calculator that sends NUL bytes while it waits is still there: the
  // bytes come well within the time-out of each other, all of them after it.
  sim.trickle({0, 0, 0, 0, 0, 0, 0, 0, LINK_REQUEST}, 150).start();
  EXPECT_EQ(channel->WaitForRequestNP(), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannelNP, AnAnswerRightAfterTheLastByteIsTheAnswer) {
  AppWriteProfileInt(kCommSettings, "SND char wait time", 30);
  open(0);
  sim.setReplyDelay(1);
  sim.expect(Sim::packet({1, 2, 3})).send({LINK_ACK}).start();
  const BYTE data[] = {1, 2, 3};
  EXPECT_EQ(channel->SendBlock(data, 3), PACKET_OK);
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannelNP, HeadersGoOutWithByteFourClearedAndAFreshChecksum) {
  open(0);
  Bytes image = Sim::packet(itemHeader("VALLT"));
  image[4] = 0x55;
  image.back() = 0x00;
  Bytes sent = Sim::packet(itemHeader("VALLT"));
  BYTE end[50];
  BuildEndPacketNP(end);
  sim.expect(sent).send({LINK_ACK}).expect(Bytes(end, end + 50)).start();
  EXPECT_EQ(channel->SendHeaderNP(image.data(), 50), PACKET_OK);
  EXPECT_EQ(image[4], 0);
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_OK);
  EXPECT_TRUE(channel->SendEndNP());
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannelNP, TheSenderConnectsOnReady) {
  open(0);
  sim.expect({LINK_REQUEST}).send({0, 0x41, LINK_READY}).start();
  ASSERT_EQ(channel->SendByte(LINK_REQUEST), PACKET_OK);
  EXPECT_EQ(channel->WaitForReadyNP(), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannelNP, AFailedAnswerReadIsReportedNotGuessed) {
  open(0);
  shorten(&LinkTimings::answerTimeout, 40);
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_TIMEOUT);
  link->GetPortState()->pendingErrors = CE_FRAME;
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_WRONG_BYTE);
  sim.send({'$'}).start();
  sim.finish();  // the answer is there before the short wait starts
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_MEMORY_FULL);
  link->Cancel();
  EXPECT_EQ(channel->ReadAnswerNP(), PACKET_CANCELLED);
}

TEST_F(PacketChannelNP, AnOwedAnswerGoesOutOnce) {
  open(1);
  // Once the PC's last call has returned, whatever it wrote is already on
  // the line: the calculator finds nothing more there. Only then does the
  // PC cancel (a cancel throws away what the far end has not read).
  std::atomic<bool> answered{false}, checked{false};
  sim.expect({LINK_READY})
      .send({LINK_RETRY})
      .expect({LINK_ACK})
      .waitUntil([&] { return answered.load(); })
      .expectSilence(20)
      .waitUntil([&] { return checked = true; })
      .expect({LINK_CANCEL})
      .expectSilence(40)
      .start();
  BYTE pending = 0;
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_OK);
  pending = LINK_READY;
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_OK);
  EXPECT_EQ(pending, 0);
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_OK);
  // The calculator spoke before the answer went out: it goes out, fails,
  // and stays owed.
  ASSERT_TRUE(inputArrived(*link, 1));
  pending = LINK_ACK;
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_SEND_ERROR);
  EXPECT_EQ(pending, LINK_ACK);
  answered = true;
  QElapsedTimer clock;
  clock.start();
  while (!checked && clock.elapsed() < 10000) SerialPortSleep(nullptr, 1);
  // After the user's Cancel the owed 0x18 still reaches the calculator,
  // once, whatever is owed after it.
  link->Cancel();
  pending = LINK_CANCEL;
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_USER_CANCELLED);
  pending = LINK_ACK;
  EXPECT_EQ(channel->SendPendingAnswer(&pending, 1), SESSION_USER_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// One answer after a header sent, each case against a fresh calculator.
struct AnswerCase {
  const char* name;
  Bytes answers;          // what the calculator answers, in turn
  std::vector<UINT> doc;  // the user's answers to the overwrite question
  Bytes expected;         // what the calculator must get back
  int session;
  size_t questions;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class SendAnswer : public PacketChannelNP, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SendAnswer, EndsAsTheCalculatorAndTheUserSay) {
  const AnswerCase& c = GetParam();
  open(0);
  sim.send({c.answers[0]});
  if (c.questions > 0 || c.answers.size() > 1) sim.expect({c.expected[0]});
  if (c.answers.size() > 1) sim.send({c.answers[1]});
  if (c.questions == 0 && !c.expected.empty()) sim.expect(c.expected);
  sim.expectSilence(40).start();
  FakeDocServices doc;
  doc.overwriteAnswers.assign(c.doc.begin(), c.doc.end());
  EXPECT_EQ(channel->ReadSendAnswer(&doc, "Programme \"A\"", 1), c.session);
  EXPECT_TRUE(sim.finish()) << sim.error();
  ASSERT_EQ(doc.overwriteQuestions.size(), c.questions);
  if (c.questions) {
    EXPECT_EQ(doc.overwriteQuestions[0].first, "Programme \"A\"");
    EXPECT_EQ(doc.overwriteQuestions[0].second, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, SendAnswer,
    ::testing::Values(AnswerCase{"Ack", {LINK_ACK}, {}, {}, SESSION_OK, 0},
                      AnswerCase{"CalcCancels", {LINK_CANCEL}, {}, {LINK_CANCEL}, SESSION_CALC_CANCELLED, 0},
                      AnswerCase{"CalcDeclines", {LINK_RETRY}, {}, {}, SESSION_SKIPPED, 0},
                      AnswerCase{"CalcError", {'"'}, {}, {LINK_CANCEL}, SESSION_CALC_ERROR, 0},
                      AnswerCase{"MemoryFull", {'$'}, {}, {LINK_CANCEL}, SESSION_CALC_MEMORY_FULL, 0},
                      AnswerCase{"WrongByte", {'X'}, {}, {LINK_CANCEL}, SESSION_PROTOCOL, 0},
                      AnswerCase{"ExistsYes", {'!', LINK_ACK}, {OVERWRITE_YES}, {LINK_ACK}, SESSION_OK, 1},
                      AnswerCase{"ExistsAll", {'!', LINK_ACK}, {OVERWRITE_ALL}, {LINK_ACK}, SESSION_OK, 1},
                      AnswerCase{"ExistsNo", {'!', LINK_ACK}, {OVERWRITE_NO}, {LINK_RETRY}, SESSION_SKIPPED, 1},
                      AnswerCase{"ExistsCancel", {'!'}, {OVERWRITE_CANCEL}, {LINK_CANCEL}, SESSION_USER_CANCELLED, 1},
                      AnswerCase{"ExistsOdd", {'!'}, {9}, {LINK_CANCEL}, SESSION_PROTOCOL, 1},
                      AnswerCase{"ExistsYesThenFull", {'!', '$'}, {OVERWRITE_YES}, {LINK_ACK},
                                 SESSION_CALC_MEMORY_FULL, 1}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(PacketChannelNP, ASilentCalculatorTimesOutAndIsToldToStop) {
  open(0);
  shorten(&LinkTimings::answerTimeout, 60);
  sim.expect({LINK_CANCEL}).start();
  FakeDocServices doc;
  EXPECT_EQ(channel->ReadSendAnswer(&doc, "X", 4001), SESSION_TIMEOUT);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

}  // namespace
