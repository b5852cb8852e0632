#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"
#include "link/ProgramPasswordDialog.h"
#include "link/ProgramPasswordQuery.h"
#include "platform/MessageBox.h"
#include "tests/link/SessionTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tallix::test;

namespace {

using SendNP = SessionFixture;

const Bytes kText = {0xF7, 0x41, 0xFF};

CQXProgramItem* program(const std::string& name, const std::string& password = {}) {
  auto* item = new CQXProgramItem;
  EXPECT_TRUE(item->ParseHeader(programHeader(name, DWORD(kText.size()), password).data(), 50));
  EXPECT_TRUE(item->SetDataBlock(kText.data(), int(kText.size())));
  return item;
}

CQXMatrixItem* matrix(char letter) {
  auto* item = new CQXMatrixItem;
  EXPECT_TRUE(item->ParseHeader(valHeader("MT", 1, 1, std::string("Mat ") + letter).data(), 50));
  EXPECT_TRUE(item->GetValues().SetCellFromRecord(valueRecord(1, 1, number(7, 0)).data(), 14));
  return item;
}

// The calculator takes a program whole and answers 0x06 throughout.
void takesProgram(CalcSimulator& sim) {
  sim.expectHeaderNP().send({LINK_ACK}).expectPacket(kText.size()).send({LINK_ACK});
}

// The installed password question for one test.
class PasswordAnswer {
 public:
  explicit PasswordAnswer(int answer) {
    previous_ = SetProgramPasswordQuery([this, answer](const char* name, const char* password) {
      asked.emplace_back(name, password);
      return answer;
    });
  }
  ~PasswordAnswer() { SetProgramPasswordQuery(previous_); }
  std::vector<std::pair<std::string, std::string>> asked;

 private:
  ProgramPasswordQuery previous_;
};

TEST_F(SendNP, AProgramGoesOutAsHeaderAndTextThenTheEnd) {
  open(0);
  calcListens();
  takesProgram(sim);
  sim.expectHeaderNP().expectSilence(20).start();
  EXPECT_EQ(sendAll({program("ABC")}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
  const std::vector<Bytes> packets = sim.packets();
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0], onWire(programHeader("ABC", 3)));
  EXPECT_EQ(packets[1], Sim::packet(kText));
  EXPECT_EQ(packets[2], endPacket());
  EXPECT_EQ(progress, (std::vector<std::pair<std::string, int>>{{"Programme \"ABC\"", 1}}));
}

struct PasswordCase {
  const char* name;
  int answer;
  int result;
  bool sent;
};

class SendProtectedProgram : public SendNP, public ::testing::WithParamInterface<PasswordCase> {
 protected:
  // Sends a protected program and an open one; the password question
  // answers as the case says.
  void sendLockedThenOpen(const PasswordCase& c) {
    open(0);
    calcListens();
    if (c.sent) takesProgram(sim);
    if (c.result == SESSION_OK) takesProgram(sim);  // the next program
    sim.expectSilence(20).start();
    CQXDocEntryArray entries;
    entries.push_back(nullptr);  // an empty slot is passed over
    for (CQXCalcItem* item :
         {static_cast<CQXCalcItem*>(program("LOCKED", "Secret")), static_cast<CQXCalcItem*>(program("OPEN"))}) {
      entries.push_back(std::make_unique<CQXDocEntry>());
      entries.back()->SetItem(item);
    }
    ASSERT_EQ(session->Connect(), SESSION_OK);
    EXPECT_EQ(session->SendItem(entries), c.result);
    EXPECT_TRUE(sim.finish()) << sim.error();
    EXPECT_EQ(link->IsCancelled(), c.answer == PROGRAM_PASSWORD_CANCEL);
    if (c.sent) {
      EXPECT_EQ(sim.packets()[0], onWire(programHeader("LOCKED", 3, "Secret")));
    }
  }
};

TEST_P(SendProtectedProgram, AsksFirst) {
  const PasswordCase& c = GetParam();
  PasswordAnswer answer(c.answer);
  sendLockedThenOpen(c);
  ASSERT_EQ(answer.asked.size(), 1u);
  EXPECT_EQ(answer.asked[0], std::make_pair(std::string("LOCKED"), std::string("Secret")));
}

// The program's own dialog, answered with the mouse: the password typed in
// other case and "OK", "Sauter", "Annuler".
TEST_P(SendProtectedProgram, TheUserAnswersThePasswordDialog) {
  const PasswordCase& c = GetParam();
  QStringList shown;
  QTimer user;
  user.setInterval(5);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<CQXProgramPasswordDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    user.stop();
    shown << dialog->GetDlgItemAs<QLineEdit>(CQXProgramPasswordDialog::IDC_PROGRAM)->text();
    const int button = c.answer == PROGRAM_PASSWORD_SEND ? IDOK
                       : c.answer == PROGRAM_PASSWORD_SKIP ? int(CQXProgramPasswordDialog::IDC_SKIP)
                                                           : IDCANCEL;
    if (button == IDOK)
      QTest::keyClicks(dialog->GetDlgItemAs<QLineEdit>(CQXProgramPasswordDialog::IDC_PASSWORD), "sECRET");
    QTest::mouseClick(dialog->GetDlgItemAs<QPushButton>(button), Qt::LeftButton);
  });
  user.start();
  sendLockedThenOpen(c);
  EXPECT_EQ(shown, QStringList{QStringLiteral("LOCKED")});
}

INSTANTIATE_TEST_SUITE_P(EveryOutcome, SendProtectedProgram,
                         ::testing::Values(PasswordCase{"Ok", PROGRAM_PASSWORD_SEND, SESSION_OK, true},
                                           PasswordCase{"Skip", PROGRAM_PASSWORD_SKIP, SESSION_OK, false},
                                           PasswordCase{"Cancel", PROGRAM_PASSWORD_CANCEL, SESSION_USER_CANCELLED,
                                                        false}),
                         [](const ::testing::TestParamInfo<PasswordCase>& info) { return std::string(info.param.name); });

struct ExistsCase {
  const char* name;
  UINT user;
  BYTE toCalculator;
  int result;
  bool valueSent;
};

class SendExisting : public SendNP, public ::testing::WithParamInterface<ExistsCase> {};

// The calculator already has "Mat A": the user decides.
TEST_P(SendExisting, TheUserDecides) {
  const ExistsCase& c = GetParam();
  doc.overwriteAnswers = {c.user};
  open(0);
  calcListens();
  sim.expectHeaderNP().send({LINK_EXISTS}).expect({c.toCalculator});
  if (c.toCalculator != LINK_CANCEL) sim.send({LINK_ACK});
  if (c.valueSent) sim.expectPacket(14).send({LINK_ACK});
  if (c.result == SESSION_OK) sim.expectHeaderNP().send({LINK_ACK}).expectPacket(14).send({LINK_ACK});
  sim.expectSilence(20).start();
  EXPECT_EQ(session->Connect(), SESSION_OK);
  CQXDocEntryArray entries;
  for (char letter : {'A', 'B'}) {
    entries.push_back(std::make_unique<CQXDocEntry>());
    entries.back()->SetItem(matrix(letter));
  }
  EXPECT_EQ(session->SendItem(entries), c.result);
  EXPECT_TRUE(sim.finish()) << sim.error();
  ASSERT_EQ(doc.overwriteQuestions.size(), 1u);
  EXPECT_EQ(doc.overwriteQuestions[0].second, 4001);
}

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, SendExisting,
    ::testing::Values(ExistsCase{"Yes", OVERWRITE_YES, LINK_ACK, SESSION_OK, true},
                      ExistsCase{"All", OVERWRITE_ALL, LINK_ACK, SESSION_OK, true},
                      ExistsCase{"No", OVERWRITE_NO, LINK_RETRY, SESSION_OK, false},
                      ExistsCase{"Cancel", OVERWRITE_CANCEL, LINK_CANCEL, SESSION_USER_CANCELLED, false}),
    [](const ::testing::TestParamInfo<ExistsCase>& info) { return std::string(info.param.name); });

TEST_F(SendNP, AFullCalculatorAfterAValueIsToldTheTransferIsOver) {
  open(0);
  calcListens();
  sim.expectHeaderNP().send({LINK_ACK}).expectPacket(14).send({LINK_MEMORY_FULL}).expect({LINK_CANCEL});
  sim.expectSilence(20).start();
  EXPECT_EQ(sendAll({matrix('A')}), SESSION_CALC_MEMORY_FULL);
  EXPECT_TRUE(sim.finish()) << sim.error();
}

TEST_F(SendNP, ADeclinedHeaderSkipsTheWholeItem) {
  open(0);
  calcListens();
  // The first of twenty graph-function headers is declined: the rest of the
  // item stays home, the next item goes.
  sim.expectHeaderNP().send({LINK_RETRY});
  takesProgram(sim);
  sim.expectHeaderNP().expectSilence(20).start();
  EXPECT_EQ(sendAll({new CQXGraphFunc20Item, program("NEXT")}), SESSION_OK);
  EXPECT_TRUE(sim.finish()) << sim.error();
  const std::vector<Bytes> packets = sim.packets();
  ASSERT_EQ(packets.size(), 4u);
  EXPECT_EQ(packets[3], endPacket());
}

// One packet of a transfer as the calculator sends it.
struct Packet {
  Bytes bytes;
  bool header;
};

Packet header(const Bytes& image) { return {onWire(image), true}; }
Packet value(unsigned row, unsigned column, unsigned long long digits) {
  return {Sim::packet(valueRecord(row, column, number(digits, 0))), false};
}
Packet text(const Bytes& bytes) { return {Sim::packet(bytes), false}; }

// Entries of a value-set item: one header each, and a value for the filled
// ones (every other entry).
void addEntries(std::vector<Packet>* out, CQXValueSetItem&& item, const char* code, const char* group) {
  for (int i = 0; i < item.GetCount(); ++i) {
    const bool filled = i % 2 == 0;
    out->push_back(header(valHeader(code, filled, filled, item.GetEntryName(i), group)));
    if (filled) out->push_back(value(1, 1, unsigned(i + 1)));
  }
}

// A transfer of one item of every kind a calculator of type "FX9850" keeps.
std::vector<Packet> everyKind() {
  std::vector<Packet> t;
  t.push_back(header(programHeader("ABC", DWORD(kText.size()), {}, "BN")));
  t.push_back(text(kText));
  t.push_back(header(valHeader("MT", 2, 3, "Mat B")));
  for (unsigned r = 1; r <= 2; ++r)
    for (unsigned c = 1; c <= 3; ++c) t.push_back(value(r, c, 10 * r + c));
  t.push_back(header(valHeader("LT", 2, 1, "List 4")));
  for (unsigned r = 1; r <= 2; ++r) t.push_back(value(r, 1, r));
  for (int n = 1; n <= 20; ++n) {
    t.push_back(header(fncHeader("GF", 2 + 2, "Y" + std::to_string(n), n == 3 ? 0x12 : '=', kGfStyle)));
    t.push_back(text({BYTE('A' + n), 0xFF}));
  }
  addEntries(&t, CQXVWindowItem(), "WD", "Y=Data");
  addEntries(&t, CQXTableRangeItem(), "TR", "Y=Data");
  addEntries(&t, CQXVariable28Item(), "VM", "Variable");
  t.push_back(header(fncHeader("RF", 4, "an", '=', kRfStyle)));
  t.push_back(text({'1', 0xFF}));
  t.push_back(header(fncHeader("RF", 4, "bn", '=', kRfStyle)));
  t.push_back(text({'2', 0xFF}));
  t.push_back(header(valHeader("RR", 1, 1, "R Start", "Y=Data")));
  t.push_back(value(1, 1, 1));
  t.push_back(header(valHeader("RR", 1, 1, "R End", "Y=Data")));
  t.push_back(value(1, 1, 9));
  for (int n = 1; n <= 6; ++n) {
    Bytes h = blankHeader();
    put(h, 1, "TXT");
    put(h, 5, "FM");
    put32(h, 7, n == 2 ? 3 : 4);
    put(h, 11, "f" + std::to_string(n));
    t.push_back(header(h));
    t.push_back(text(n == 2 ? Bytes{0xFF} : Bytes{BYTE('0' + n), 0xFF}));
  }
  t.push_back(header(pictureHeader("Picture6")));
  for (unsigned b = 0; b < 4; ++b) t.push_back(text(pictureBlock(0, b, BYTE(0x10 + b))));
  t.push_back(header(memHeader("GM", 5, "G\x99Mem2")));
  t.push_back(text({1, 2, 3, 4, 5}));
  t.push_back(header(memHeader("DM", 3, "DYNA")));
  t.push_back(text({9, 8, 7}));
  t.push_back(header(valHeader("SE", 2, 3, "Mat Siml")));
  for (unsigned r = 1; r <= 2; ++r)
    for (unsigned c = 1; c <= 3; ++c) t.push_back(value(r, c, r + c));
  t.push_back({endPacket(), true});
  return t;
}

}  // namespace

// What arrives from the calculator goes back to it byte for byte.
TEST_F(SendNP, ItemsReceivedGoBackUnchanged) {
  const std::vector<Packet> transfer = everyKind();
  std::vector<Bytes> sent;
  for (const Packet& p : transfer) sent.push_back(p.bytes);
  calcSends(sent);
  calcListens();
  for (const Packet& p : transfer) {
    if (p.header)
      sim.expectHeaderNP();
    else
      sim.expectPacket(p.bytes.size() - 2);
    if (p.bytes != endPacket()) sim.send({LINK_ACK});
  }
  sim.expectSilence(20);

  open(1);
  sim.start();
  CQXDocEntryArray received;
  std::unique_ptr<CQXDocEntry> entry;
  int result;
  while ((result = session->ReceiveItems(&entry)) == SESSION_ITEM) received.push_back(std::move(entry));
  EXPECT_EQ(result, SESSION_END);
  ASSERT_EQ(received.size(), 13u);
  session.reset();
  link.reset();

  open(0);
  ASSERT_EQ(session->Connect(), SESSION_OK);
  EXPECT_EQ(session->SendItem(received), SESSION_OK);
  session->SendEnd();
  EXPECT_TRUE(sim.finish()) << sim.error();
  const std::vector<Bytes> back = sim.packets();
  ASSERT_EQ(back.size(), sent.size());
  for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(hexBytes(back[i]), hexBytes(sent[i])) << "packet " << i;
}
