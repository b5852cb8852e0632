#include "tests/link/LinkTestSupport.h"

#include <atomic>
#include <cstring>

using namespace tallix::test;
using Sim = CalcSimulator;

namespace {

using PacketChannel = ChannelFixture;

Bytes header40(const char* tag) { return Sim::padded(Sim::text(tag), 38); }

TEST(PacketChecksum, MatchesValuesWorkedOutByHand) {
  const BYTE abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(CQXPacketChannel::ComputeChecksum(abc, 3), 0xDA);
  EXPECT_EQ(CQXPacketChannel::ComputeChecksum(abc, 3, 0), 0xDA);
  EXPECT_EQ(CQXPacketChannel::ComputeChecksum(abc, 0), 0x00);

  // 50-byte "END": 0x45 + 0x4E + 0x44 + 45 x 0xFF = 11690, 11690 mod 256 = 170.
  BYTE end[50];
  BuildEndPacketNP(end);
  EXPECT_EQ(end[0], ':');
  EXPECT_EQ(std::memcmp(end + 1, "END", 3), 0);
  EXPECT_EQ(end[4], 0xFF);
  EXPECT_EQ(end[48], 0xFF);
  EXPECT_EQ(end[49], 256 - 170);

  // "END1": 0x45 + 0x4E + 0x44 + 0x31 + 34 x 0xFF = 8934, mod 256 = 230.
  BYTE end1[40];
  BuildEndPacket(end1);
  EXPECT_EQ(Bytes(end1, end1 + 40), Sim::packet(header40("END1")));
  EXPECT_EQ(end1[39], 256 - 230);

  // The PC's "MDL1": 270 + "ZX945" 340 + 0xFF + "038400" 303 + 'N' 78 +
  // "1.00" 191 + 1 + 4 + 1 + 3 + 4 x 0xFF = 2466, mod 256 = 162.
  BYTE mdl[40];
  BuildModelPacket(mdl);
  const BYTE expected[40] = {':', 'M', 'D', 'L', '1', 'Z', 'X', '9', '4', '5', 0xFF, '0', '3', '8',
                             '4', '0', '0', 'N', '1', '.', '0', '0', 0, 0, 1, 0, 0, 0,
                             4, 0, 0, 0, 1, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 256 - 162};
  EXPECT_EQ(Bytes(mdl, mdl + 40), Bytes(expected, expected + 40));
  EXPECT_TRUE(IsModelPacketAcceptable(mdl));

  // Payload and checksum always sum to 0 mod 256.
  Bytes payload;
  for (int i = 0; i < 300; ++i) payload.push_back(BYTE(i * 37 + 11));
  unsigned sum = CQXPacketChannel::ComputeChecksum(payload.data(), DWORD(payload.size()));
  for (BYTE b : payload) sum += b;
  EXPECT_EQ(sum % 256, 0u);
}

TEST(PacketCodes, MapLinkClassesAndSessionCodes) {
  EXPECT_EQ(CQXPacketChannel::LinkErrorToPacketCode(LINK_ERROR_NONE), PACKET_OK);
  EXPECT_EQ(CQXPacketChannel::LinkErrorToPacketCode(LINK_ERROR_TIMEOUT), PACKET_TIMEOUT);
  EXPECT_EQ(CQXPacketChannel::LinkErrorToPacketCode(LINK_ERROR_CANCELLED), PACKET_CANCELLED);
  for (int c : {int(LINK_ERROR_LINE), int(LINK_ERROR_IN_USE), int(LINK_ERROR_NO_PORT), 99})
    EXPECT_EQ(CQXPacketChannel::LinkErrorToPacketCode(c), PACKET_WRONG_BYTE) << c;

  const int table[][2] = {{0, 1}, {1, 4}, {2, 10}, {3, 11}, {4, 7}, {5, 6}, {6, 12}, {7, 13},
                          {8, 5}, {9, 8}, {10, 14}, {11, 6}, {12, 6}, {-1, 6}, {40, 6}};
  for (const auto& row : table) EXPECT_EQ(PacketCodeToSessionCode(row[0]), row[1]) << row[0];
}

TEST_F(PacketChannel, BlocksGoBothWaysFramedAndChecked) {
  open(0);
  const Bytes payload{0x10, 0xFF, 0x3A, 0x00, 0x13};
  sim.expect(Sim::packet({1, 2, 3}))
      .send(Sim::packet(payload))
      .send(Sim::withBadChecksum(Sim::packet(payload)))
      .send({'#', 1, 2, 3, 4, 5, 0})
      .start();
  const BYTE out[] = {1, 2, 3};
  EXPECT_EQ(channel->SendBlock(out, 3), PACKET_OK);
  BYTE in[7];
  EXPECT_EQ(channel->ReadPacket(in, 7, 1), PACKET_OK);
  EXPECT_EQ(Bytes(in + 1, in + 6), payload);
  EXPECT_EQ(channel->ReadPacket(in, 7, 1), PACKET_CHECKSUM);
  EXPECT_EQ(channel->ReadPacket(in, 7, 1), PACKET_WRONG_BYTE);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, ABlockSentInPiecesCarriesOneChecksum) {
  open(0);
  const Bytes a{0x80, 0x81}, b{0xFE}, c{0x01, 0x02, 0x03};
  Bytes all = a;
  all.insert(all.end(), b.begin(), b.end());
  all.insert(all.end(), c.begin(), c.end());
  sim.expect(Sim::packet(all)).start();
  int running = 0;
  ASSERT_EQ(channel->SendByte(':'), PACKET_OK);
  for (const Bytes* piece : {&a, &b, &c})
    ASSERT_EQ(channel->WriteCounted(piece->data(), DWORD(piece->size()), &running), PACKET_OK);
  ASSERT_EQ(channel->SendByte(BYTE(running & 0xFF)), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, FailedReadsAndWritesGiveTheirCodes) {
  open(1);
  shorten(&LinkTimings::readTimeout, 40);
  BYTE buffer[4] = {};
  EXPECT_EQ(channel->ReadBytes(buffer, 4), PACKET_READ_FAILED);
  // The calculator talks while we send: a line-class failure of the write.
  sim.send({0x22}).start();
  sim.finish();
  SerialPortSleep(nullptr, 50);
  EXPECT_EQ(channel->WriteBytes(buffer, 2), PACKET_CALC_CANCELLED);
  link->Cancel();
  EXPECT_EQ(channel->ReadBytes(buffer, 4), PACKET_CANCELLED);
  EXPECT_EQ(channel->WriteBytes(buffer, 2), PACKET_CANCELLED);
  EXPECT_EQ(channel->SendByte(LINK_ACK), PACKET_CANCELLED);
}

TEST_F(PacketChannel, AfterCancelOnlyTheCancelByteReachesTheCalculator) {
  open(1);
  sim.expect({LINK_CANCEL}).expectSilence(60).start();
  link->Cancel();
  EXPECT_EQ(channel->SendByte(LINK_ACK), PACKET_CANCELLED);
  EXPECT_EQ(channel->SendByte(LINK_CANCEL), PACKET_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// The request wait empties the line first, so the simulator speaks only
// once each wait is reading (it pumps between reads).
TEST_F(PacketChannel, TheRequestWaitSkipsNulsAndRefusesOtherBytes) {
  open(1);
  std::atomic<int> wait{0}, reading{0};
  pump.onPump = [&](int) { reading = wait.load(); };
  sim.waitUntil([&] { return reading == 1; })
      .send({0, 0, LINK_REQUEST})
      .waitUntil([&] { return reading == 2; })
      .send({':'})
      .start();
  wait = 1;
  EXPECT_EQ(channel->WaitForRequest(), PACKET_OK);
  wait = 2;
  EXPECT_EQ(channel->WaitForRequest(), PACKET_WRONG_BYTE);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, TheRequestWaitEndsOnItsDeadlineOrOnCancel) {
  open(1);
  shorten(&LinkTimings::requestTimeout, 80);
  const long long spent = timed([&] { EXPECT_EQ(channel->WaitForRequest(), PACKET_TIMEOUT); });
  EXPECT_GE(spent, 80);
  pump.pumps = 0;
  pump.onPump = [&](int n) {
    if (n == 3) link->Cancel();
  };
  EXPECT_EQ(channel->WaitForRequest(), PACKET_CANCELLED);
}

TEST_F(PacketChannel, TheRequestWaitReadsPastLineErrorsWithinItsDeadline) {
  open(1);
  // Noise on the line for the first pumps, then the request.
  std::atomic<bool> noiseDone{false};
  pump.onPump = [&](int n) {
    if (n <= 4)
      link->GetPortState()->pendingErrors = CE_FRAME;
    else
      noiseDone = true;
  };
  sim.waitUntil([&] { return noiseDone.load(); }).send({LINK_REQUEST}).start();
  EXPECT_EQ(channel->WaitForRequest(), PACKET_OK);
  EXPECT_GE(pump.pumps, 4);
  EXPECT_TRUE(sim.finish()) << sim.error();

  // A line that never stops failing still ends with the deadline, and the
  // queue is pumped all along.
  shorten(&LinkTimings::requestTimeout, 120);
  pump.pumps = 0;
  pump.onPump = [&](int) { link->GetPortState()->pendingErrors = CE_BREAK; };
  link->GetPortState()->pendingErrors = CE_BREAK;
  const long long spent = timed([&] { EXPECT_EQ(channel->WaitForRequest(), PACKET_TIMEOUT); });
  EXPECT_GE(spent, 120);
  EXPECT_LT(spent, 2000);
  EXPECT_GT(pump.pumps, 3);
}

TEST_F(PacketChannel, TheRequestWaitGivesUpAtOnceWhenTheAdapterIsPulled) {
  open(1);
  sim.wait(30).hangUp().start();
  const long long spent = timed([&] { EXPECT_EQ(channel->WaitForRequest(), PACKET_WRONG_BYTE); });
  EXPECT_LT(spent, 1500);  // the request wait is 3 s here
  EXPECT_EQ(link->GetErrorClass(), LINK_ERROR_LINE);
  EXPECT_FALSE(link->IsLineError());
  sim.finish();
}

TEST_F(PacketChannel, TheReadyWaitAllowsTenOtherBytes) {
  open(0);
  Bytes nine(9, 0x00);
  nine.push_back(LINK_READY);
  Bytes ten(10, 0x41);
  ten.push_back(LINK_READY);
  sim.send(nine).wait(30).send(ten).start();
  EXPECT_EQ(channel->WaitForReady(), PACKET_OK);
  EXPECT_EQ(channel->WaitForReady(), PACKET_WRONG_BYTE);
  EXPECT_TRUE(sim.finish()) << sim.error();
  shorten(&LinkTimings::readyTimeout, 40);
  BYTE rest;
  ASSERT_TRUE(link->ReadByte(&rest, 500));  // the late 0x13
  EXPECT_EQ(channel->WaitForReady(), PACKET_TIMEOUT);
}

TEST_F(PacketChannel, TheSenderExchangesModelPackets) {
  open(0);
  BYTE own[40];
  BuildModelPacket(own);
  // The calculator's own model code, version and sizes are not checked.
  Bytes theirs = header40("MDL1ZY123");
  std::memcpy(theirs.data() + 10, "038400N9.99", 11);
  sim.expect(Bytes(own, own + 40)).send(Sim::packet(theirs)).expect({LINK_ACK}).send({LINK_ACK}).start();
  EXPECT_EQ(channel->ExchangeModelPacket(), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, TheSenderRefusesAModelPacketAtAnotherSpeed) {
  open(0);
  Bytes theirs = header40("MDL1ZX945");
  std::memcpy(theirs.data() + 10, "019200N", 7);
  sim.expectBytes(40).send(Sim::packet(theirs)).expect({LINK_CANCEL}).start();
  EXPECT_EQ(channel->ExchangeModelPacket(), PACKET_WRONG_BYTE);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, TheReceiverEchoesTheCalculatorsModelPacket) {
  open(1);
  Bytes theirs = header40("MDL1ZX945");
  std::memcpy(theirs.data() + 10, "038400N1.00", 11);
  sim.send(Sim::packet(theirs)).expect(Sim::packet(theirs)).send({LINK_ACK}).start();
  EXPECT_EQ(channel->ExchangeModelPacket(), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();

  CalcSimulator second;
  pointComAt(kPort, second.devicePath());
  link->Close();
  open(1);
  second.send(Sim::withBadChecksum(Sim::packet(theirs))).expectSilence(60).start();
  EXPECT_EQ(channel->ExchangeModelPacket(), PACKET_CHECKSUM);
  EXPECT_TRUE(second.finish()) << second.error();
}

TEST_F(PacketChannel, HeadersAreReadCheckedAndSentWithAFreshChecksum) {
  open(1);
  Bytes mcs = header40("MCS1");
  mcs[4] = 0;
  mcs[8] = 0x12;
  mcs[9] = 1;
  std::memcpy(mcs.data() + 10, "A", 1);
  Bytes stale = Sim::packet(mcs);
  stale.back() = 0x00;
  stale.front() = '#';
  sim.send(Sim::packet(mcs))
      .send(Sim::withBadChecksum(Sim::packet(mcs)))
      .send({'#'})
      .wait(20)
      .expect(Sim::packet(mcs))
      .start();
  BYTE header[40];
  ASSERT_EQ(channel->ReadHeaderPacket(header), PACKET_OK);
  EXPECT_EQ(Bytes(header, header + 40), Sim::packet(mcs));
  EXPECT_EQ(channel->ReadHeaderPacket(header), PACKET_CHECKSUM);
  EXPECT_EQ(channel->ReadHeaderPacket(header), PACKET_WRONG_BYTE);
  EXPECT_EQ(channel->SendHeaderPacket(stale.data(), 40), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, ItemHeadersCarrySizeTypeNameAndGroup) {
  BYTE header[40];
  BuildMCSHeader(header, 0x05, 0x01020304, "LIST 1", "LISTFILE1");
  Bytes expected = header40("MCS1");
  const BYTE fields[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 'L', 'I', 'S', 'T', ' ', '1', 0xFF, 0xFF,
                         'L', 'I', 'S', 'T', 'F', 'I', 'L', 'E', '1'};
  std::copy(std::begin(fields), std::end(fields), expected.begin() + 4);
  EXPECT_EQ(Bytes(header, header + 40), Sim::packet(expected));

  // No group leaves its bytes 0xFF; texts too long for their field are cut.
  BuildMCSHeader(header, 0x01, 0, "ABCDEFGHIJ", "");
  EXPECT_EQ(Bytes(header + 11, header + 19), Sim::text("ABCDEFGH"));
  EXPECT_EQ(Bytes(header + 19, header + 39), Bytes(20, 0xFF));
  BuildMCSHeader(header, 0x01, 0, "A", "0123456789012345678901234");
  EXPECT_EQ(header[12], 0xFF);
  EXPECT_EQ(Bytes(header + 19, header + 39), Sim::text("01234567890123456789"));

  // Both ways over the line.
  open(0);
  BuildMCSHeader(header, 0xFE, 18, "RANGE", "Y=Data");
  const Bytes sent(header, header + 40);
  sim.expect(sent).send({LINK_ACK}).send(sent).start();
  EXPECT_EQ(channel->SendHeaderPacket(header, 40), PACKET_OK);
  EXPECT_EQ(channel->ReadAnswer(), PACKET_OK);
  BYTE back[40];
  EXPECT_EQ(channel->ReadHeaderPacket(back), PACKET_OK);
  EXPECT_EQ(Bytes(back, back + 40), sent);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, TheEndPacketIsSentWholeAndKnownByThreeLetters) {
  open(0);
  sim.expect(Sim::packet(header40("END1"))).start();
  EXPECT_TRUE(channel->SendEndPacket());
  EXPECT_TRUE(sim.finish()) << sim.error();
  const Bytes end2 = Sim::packet(header40("END2"));
  const Bytes mcs = Sim::packet(header40("MCS1"));
  EXPECT_TRUE(CQXPacketChannel::IsEndPacket(end2.data()));
  EXPECT_FALSE(CQXPacketChannel::IsEndPacket(mcs.data()));
}

TEST_F(PacketChannel, DataBlocksAreFramedAndChecked) {
  open(1);
  const Bytes data{0xFF, 0x00, 0x3A, 0x16, 0x13, 0x11};
  sim.send(Sim::packet(data)).send(Sim::withBadChecksum(Sim::packet(data))).send({'#'}).send(Sim::packet({})).start();
  BYTE buffer[6];
  ASSERT_EQ(channel->ReadDataBlock(buffer, 6), PACKET_OK);
  EXPECT_EQ(Bytes(buffer, buffer + 6), data);
  EXPECT_EQ(channel->ReadDataBlock(buffer, 6), PACKET_CHECKSUM);
  EXPECT_EQ(channel->ReadDataBlock(buffer, 6), PACKET_WRONG_BYTE);
  EXPECT_EQ(channel->ReadDataBlock(buffer, 0), PACKET_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, EveryAnswerByteHasItsCode) {
  open(0);
  const std::pair<BYTE, int> answers[] = {{0x06, PACKET_OK},           {0x15, PACKET_RETRY},
                                          {0x18, PACKET_CALC_CANCELLED}, {'!', PACKET_ITEM_EXISTS},
                                          {'"', PACKET_CALC_ERROR},      {'$', PACKET_MEMORY_FULL},
                                          {0x13, PACKET_WRONG_BYTE},     {0x00, PACKET_WRONG_BYTE}};
  Bytes all;
  for (const auto& a : answers) all.push_back(a.first);
  sim.send(all).start();
  for (const auto& a : answers) EXPECT_EQ(channel->ReadAnswer(), a.second) << int(a.first);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(PacketChannel, AFailedAnswerReadSaysWhy) {
  open(0);
  shorten(&LinkTimings::answerTimeout, 40);
  EXPECT_EQ(channel->ReadAnswer(), PACKET_TIMEOUT);
  link->GetPortState()->pendingErrors = CE_RXPARITY;
  EXPECT_EQ(channel->ReadAnswer(), PACKET_WRONG_BYTE);
  link->Cancel();
  EXPECT_EQ(channel->ReadAnswer(), PACKET_CANCELLED);
}

}  // namespace
