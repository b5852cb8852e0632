#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "tests/link/SessionMCSTestSupport.h"

#include <cctype>

using namespace tallix::test;

namespace {

using ReceiveMCS = SessionMCSFixture;
using mcs::block;
using mcs::header;

// The 16-byte head of a matrix block.
Bytes matrixHead(BYTE rows, BYTE columns) {
  Bytes head(16, 0);
  head[8] = rows;
  head[10] = columns;
  return head;
}

// A graph-function record: type 264, option 0, style 2, the text, 0.
Bytes functionRecord(const std::string& text) {
  Bytes r = {0x01, 0x08, 0x00, 0x02};
  for (char c : text) r.push_back(BYTE(c));
  r.push_back(0);
  return r;
}

template <class T>
T* itemOf(const std::unique_ptr<CQXDocEntry>& entry) {
  return entry ? dynamic_cast<T*>(entry->GetItem()) : nullptr;
}

TEST_F(ReceiveMCS, RealAndComplexMatricesTakeTheirSizeFromTheHead) {
  open(1);
  const Bytes real = concat({matrixHead(2, 2), number9(1), number9(2), number9(3), number9(4)});
  const Bytes complex = concat({matrixHead(1, 1), number9(5), number9(6)});
  calcSends({header(6, DWORD(real.size()), "MAT_A"), block(real), header(6, DWORD(complex.size()), "MAT_B"),
             block(complex), mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5001u);
  auto* a = itemOf<CQXMatrixV5Item>(entry);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetName(), "MAT_A");
  ASSERT_EQ(a->GetRows(), 2u);
  ASSERT_EQ(a->GetColumns(), 2u);
  EXPECT_FALSE(a->IsComplex());
  BYTE value[9];
  ASSERT_TRUE(a->GetReal(2, 1, value, 9));
  EXPECT_EQ(Bytes(value, value + 9), number9(3));

  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  auto* b = itemOf<CQXMatrixV5Item>(entry);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->IsComplex());
  ASSERT_TRUE(b->GetImag(1, 1, value, 9));
  EXPECT_EQ(Bytes(value, value + 9), number9(6));
  EXPECT_EQ(receive(&entry), SESSION_END);
  const std::vector<std::pair<std::string, int>> expected = {{"", 0}, {"Matrice A", 5001}, {"Matrice B", 5001}};
  EXPECT_EQ(progress, expected);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveMCS, AListOfAListFileAndAProtectedProgram) {
  open(1);
  Bytes listHead(14, 0);
  listHead[8] = 3;
  const Bytes list = concat({listHead, number9(1), number9(2), number9(3)});
  // Password "PW", BASE-N, the text with its end byte 0.
  const Bytes program = {'P', 'W', 0, 0, 0, 0, 0, 0, 1, 0, 0xF7, 0x0D, 0x00};
  calcSends({header(5, DWORD(list.size()), "3LIST2", "FILE03"), block(list), header(1, DWORD(program.size()), "PROG"),
             block(program), mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5002u);
  auto* l = itemOf<CQXListV5Item>(entry);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->GetName(), "List2");
  EXPECT_EQ(l->GetFileNumber(), 3);
  EXPECT_EQ(l->GetRows(), 3u);

  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 1u);
  auto* p = itemOf<CQXProgramItem>(entry);
  ASSERT_NE(p, nullptr);
  char password[16] = "";
  ASSERT_TRUE(p->GetPassword(password, sizeof password));
  EXPECT_STREQ(password, "PW");
  EXPECT_TRUE(p->IsBaseN());
  ASSERT_EQ(p->GetLength(), 3u);
  BYTE text[3];
  ASSERT_TRUE(p->GetDataBlock(text, 3));
  EXPECT_EQ(Bytes(text, text + 3), (Bytes{0xF7, 0x0D, 0xFF}));
  EXPECT_EQ(receive(&entry), SESSION_END);
  ASSERT_EQ(progress.size(), 3u);
  EXPECT_EQ(progress[1], std::make_pair(std::string("Fichier de listage 2"), 5002));  // list 2 of file 3
  EXPECT_EQ(progress[2], std::make_pair(std::string("Programme \"PROG\""), 1));
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// Thirty headers; the second announces no block and is answered once.
TEST_F(ReceiveMCS, GraphFunctionsWithAnEmptyPart) {
  open(1);
  std::vector<Bytes> packets;
  for (int n = 1; n <= 30; ++n) {
    const Bytes record = functionRecord(n == 2 ? "" : std::string(1, char('0' + n % 10)));
    packets.push_back(header(2, n == 2 ? 0 : DWORD(record.size()), std::to_string(n), "Y=Data"));
    if (n != 2) packets.push_back(block(record));
  }
  packets.push_back(mcs::endPacket());
  calcSends(packets);
  sim.expectSilence(50);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5012u);
  auto* functions = itemOf<CQXGraphFuncV5Item>(entry);
  ASSERT_NE(functions, nullptr);
  EXPECT_EQ(functions->GetEntry(0)->GetExpression(), Bytes{'1'});
  EXPECT_TRUE(functions->GetEntry(1)->GetExpression().empty());
  EXPECT_EQ(functions->GetEntry(29)->GetExpression(), Bytes{'0'});
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveMCS, ARecursionIsItsFormulasItsSetUpAndItsRange) {
  open(1);
  std::vector<Bytes> packets;
  for (char c = 'A'; c <= 'E'; ++c) {
    const Bytes record = functionRecord(std::string(1, c));
    packets.push_back(header(2, DWORD(record.size()), std::string(1, c) + "N", "Y=Data"));
    packets.push_back(block(record));
  }
  packets.push_back(mcs::packet40("SET1", {{5, {'0', 2}}, {7, Sim::text("Y=Data")}}));
  Bytes range;
  for (BYTE i = 1; i <= 14; ++i) range = concat({range, number9(i)});
  packets.push_back(header(0xFE, DWORD(range.size()), "RECRG", "Y=Data"));
  packets.push_back(block(range));
  packets.push_back(mcs::endPacket());
  calcSends(packets);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5013u);
  auto* recursion = itemOf<CQXRecursionV5Item>(entry);
  ASSERT_NE(recursion, nullptr);
  EXPECT_EQ(recursion->GetRecursionType(), 2u);
  EXPECT_EQ(recursion->GetFormula(4)->GetExpression(), Bytes{'E'});
  BYTE value[9];
  ASSERT_TRUE(recursion->GetRange().GetReal(14, 1, value, 9));
  EXPECT_EQ(Bytes(value, value + 9), number9(14));
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// Fewer than 28 variables end where another header begins; that header
// starts the next item. Each value goes to the letter its header names.
TEST_F(ReceiveMCS, VariablesTakeTheLetterOfTheirHeaderAndEndAtTheNextKindOfHeader) {
  open(1);
  const Bytes z = concat({number9(1), Bytes(9, 0)});
  const Bytes b = concat({number9(2), number9(3)});
  Bytes listHead(14, 0);
  listHead[8] = 1;
  const Bytes list = concat({listHead, number9(4)});
  calcSends({header(0, 18, "Z", "Variable"), block(z), header(0, 18, "B", "Variable"), block(b),
             header(5, DWORD(list.size()), "1LIST1"), block(list), mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5005u);
  auto* variables = itemOf<CQXAlphaMemItem>(entry);
  ASSERT_NE(variables, nullptr);
  auto real = [&](DWORD row) {
    BYTE value[9] = {};
    variables->GetReal(row, 1, value, 9);
    return Bytes(value, value + 9);
  };
  EXPECT_EQ(real(26), number9(1));
  EXPECT_EQ(real(2), number9(2));
  EXPECT_EQ(real(1), Bytes(9, 0));
  BYTE value[9];
  ASSERT_TRUE(variables->GetImag(2, 1, value, 9));
  EXPECT_EQ(Bytes(value, value + 9), number9(3));
  ASSERT_TRUE(variables->GetImag(26, 1, value, 9));
  EXPECT_EQ(Bytes(value, value + 9), Bytes(9, 0));
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_NE(itemOf<CQXListV5Item>(entry), nullptr);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// Three memories (the second one empty) become one item; the picture after
// them is the next item.
TEST_F(ReceiveMCS, FunctionMemoriesMergeIntoOneItem) {
  open(1);
  const Bytes picture(1024, 0x5A);
  calcSends({header(4, 3, std::string("FMEM\x01"), "FMEM"), block({'X', '+', 0}),
             header(4, 0, std::string("FMEM\x02"), "FMEM"), header(4, 2, std::string("FMEM\x14"), "FMEM"),
             block({'Y', 0}), header(7, DWORD(picture.size()), "PICT3"), block(picture), mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5019u);
  auto* memories = itemOf<CQXFuncMemV5Item>(entry);
  ASSERT_NE(memories, nullptr);
  EXPECT_EQ(Bytes(memories->GetEntry(0)->GetData(), memories->GetEntry(0)->GetData() + 2), (Bytes{'X', '+'}));
  EXPECT_TRUE(memories->GetEntry(1)->IsEmpty());
  EXPECT_EQ(memories->GetEntry(19)->GetLength(), 1u);
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5016u);
  auto* p = itemOf<CQXPictureV5Item>(entry);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetName(), "Picture3");
  EXPECT_EQ(p->GetLength(), 1024u);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveMCS, TwoAddInsInARowAreTwoItems) {
  open(1);
  calcSends({header(0x31, 3, "MAIN", "GEOMETRY"), block({1, 2, 3}), header(0x31, 0, "DATA", "GEOMETRY"),
             header(0x31, 2, "MAIN", "PHYSIUM"), block({4, 5}), mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5026u);
  auto* first = itemOf<CQXAddInItem>(entry);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->GetBlockList().GetCount(), 2);
  EXPECT_EQ(first->GetBlockList().GetAt(1)->GetLength(), 0u);
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  auto* second = itemOf<CQXAddInItem>(entry);
  ASSERT_NE(second, nullptr);
  char name[16] = "";
  ASSERT_TRUE(second->GetName(name, sizeof name));
  EXPECT_STREQ(name, "PHYSIUM");
  EXPECT_EQ(second->GetBlockList().GetCount(), 1);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// A backup is the whole transfer: nothing is read or sent after "END1".
TEST_F(ReceiveMCS, ABackupEndsTheTransfer) {
  open(1);
  calcSends({mcs::backupHeader(4, "RAM"), block({1, 2, 3, 4}), mcs::backupHeader(2, "ROM"), block({5, 6}),
             mcs::endPacket()});
  sim.expectSilence(100);
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(receive(&entry), SESSION_ITEM);
  EXPECT_EQ(entry->GetKind(), 5024u);
  auto* backup = itemOf<CQXBackupItem>(entry);
  ASSERT_NE(backup, nullptr);
  ASSERT_EQ(backup->GetBlockList().GetCount(), 2);
  EXPECT_EQ(backup->GetBlockList().GetAt(1)->GetLength(), 2u);
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_EQ(entry, nullptr);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(ReceiveMCS, EndAloneEndsAtOnce) {
  open(1);
  calcSends({mcs::endPacket()});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), SESSION_END);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

struct FailureCase {
  const char* what;
  std::vector<Bytes> packets;  // the last one is answered by `answer`
  BYTE answer;
  int result;
};

class ReceiveMCSFailure : public SessionMCSFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReceiveMCSFailure, GivesItsCodeAndTellsTheCalculator) {
  const FailureCase& c = GetParam();
  open(1);
  calcSends(std::vector<Bytes>(c.packets.begin(), c.packets.end() - 1));
  sim.send(c.packets.back()).expect({c.answer});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), c.result) << c.what;
  EXPECT_EQ(entry, nullptr);
  EXPECT_TRUE(sim.finish()) << c.what << ": " << sim.error();
}

// "set-up without recursion" -> "SetUpWithoutRecursion".
std::string caseName(const char* what) {
  std::string name;
  bool upper = true;
  for (const char* p = what; *p; ++p) {
    if (!std::isalnum(static_cast<unsigned char>(*p))) {
      upper = true;
      continue;
    }
    name += upper ? char(std::toupper(static_cast<unsigned char>(*p))) : *p;
    upper = false;
  }
  return name;
}

Bytes badMatrix() { return concat({matrixHead(2, 2), number9(1)}); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReceiveMCSFailure,
    ::testing::Values(
        FailureCase{"set-up without recursion", {mcs::packet40("SET1", {{5, {'0', 1}}, {7, Sim::text("Y=Data")}})},
                    0x18, SESSION_PROTOCOL},
        FailureCase{"another kind among graph functions",
                    {header(2, 5, "1", "Y=Data"), block(functionRecord("")), header(5, 23, "1LIST1")},
                    0x22, SESSION_BAD_DATA},
        FailureCase{"block and head disagree", {header(6, 25, "MAT_A"), block(badMatrix())}, 0x22, SESSION_BAD_DATA},
        FailureCase{"size beyond any item", {header(6, 0xFFFFFFFF, "MAT_A")}, 0x22, SESSION_BAD_DATA},
        FailureCase{"program block under 10 bytes", {header(1, 5, "P")}, 0x22, SESSION_BAD_DATA},
        FailureCase{"unknown header", {mcs::packet40("XYZ1")}, 0x22, SESSION_NOT_SUPPORTED},
        FailureCase{"header checksum", {Sim::withBadChecksum(header(6, 0, "MAT_A"))}, 0x22, SESSION_BAD_DATA}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return caseName(info.param.what); });

TEST_F(ReceiveMCS, AModelPacketAtAnotherSpeedIsRefused) {
  open(1);
  calcSends({}, "019200");
  sim.expect({0x18});
  sim.start();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), SESSION_PROTOCOL);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

// The user's cancel during a block: 0x18 still reaches the calculator.
TEST_F(ReceiveMCS, CancelDuringABlockSendsCancel) {
  open(1);
  calcSends({header(7, 1024, "PICT1")});
  // The start of the block, then nothing until the PC cancels, however soon
  // or late the PC reads those bytes.
  const Bytes picture = block(Bytes(1024, 0x5A));
  std::atomic<bool> blockStarted{false};
  sim.send(Bytes(picture.begin(), picture.begin() + 10)).waitUntil([&] { return blockStarted = true; }).expect({0x18});
  sim.start();
  pump.onPump = [&](int) {
    pcWaits = true;
    if (blockStarted) link->Cancel();
  };
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(receive(&entry), SESSION_USER_CANCELLED);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

}  // namespace
