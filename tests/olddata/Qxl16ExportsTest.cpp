// The library's nine functions over documents and backup files of both
// families, written by the test writer, and over damaged copies of them.
#include "olddata/QXL16Data.h"
#include "tests/olddata/OldFileWriter.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/TestEnvironment.h"

#include "platform/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>

namespace {

using namespace qxl16;
using namespace tallix::test;

const Bytes kMatrixBlock = [] {
  Bytes b = Counting(48, 0x20);
  Bytes data = Counting(36, 0x80);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}();

// The older family: two programs, a wrong entry, a program without data,
// a long-named screen copy, and a transfer of three blocks.
void WriteOlderDocument(const std::string& path) {
  OldDocument doc;
  doc.SetModel(0x811E);
  auto* noData = doc.Blocks<COrvoQXListItemNP>("EMPTY", {OlderProgramBlock("EMPTY", {})});
  PutBigEndian32(noData->m_records[0].bytes.data() + 6, 1);
  doc.programs = {doc.Blocks<COrvoQXListItemNP>("PROG1", {OlderProgramBlock("PROG1", Counting(30))}),
                  doc.Make<COrvoQXListItem>(),
                  doc.Blocks<COrvoQXListItemNP>("SECRET", {OlderProgramBlock("SECRET", Counting(12, 0x40))}, true),
                  noData};
  doc.second = {doc.Make<COrvoQXListItem>()};
  auto* copy = doc.Make<COrvoQXListItem>();
  copy->m_strName = std::string(200, 'S');
  copy->m_data = Counting(1024);
  doc.screenCopies = {copy};
  auto* transfer = doc.Blocks<COrvoQXListItemNP>("M", {kMatrixBlock, {}, Counting(30)}, true);
  transfer->m_records[0].data.reset();
  transfer->m_records[0].bytes = kMatrixBlock;
  std::memcpy(transfer->m_text1, "first title", 11);
  std::memset(transfer->m_text2, 'T', 32);  // fills the text, no zero
  doc.transfers = {transfer};
  WriteDocument(path, doc);
}

// The newer family: one program and a transfer of two blocks.
void WriteNewerDocument(const std::string& path) {
  OldDocument doc;
  doc.major = '2';
  doc.schema = 6;
  doc.SetModel(0xA04E);
  doc.programs = {doc.Blocks<COrvoQXListItemMCS>("ALG", {NewerProgramBlock("ALGEBRA1", Counting(10))})};
  doc.transfers = {doc.Blocks<COrvoQXListItemMCS>("T", {Counting(48, 1), Counting(38, 2)})};
  WriteDocument(path, doc);
}

Bytes OlderBackup() { return BackupFile("QX BACK UP FILE", {Counting(50 + 200)}, false); }
Bytes NewerBackup() { return BackupFile("QX MCS1 BACK UP FILE", {Counting(40), Counting(60, 7), Counting(41, 9)}, true); }

Bytes Tail(const Bytes& bytes, std::size_t from) { return Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.end()); }

// The record that a header of `headerLength` over `source` and `data` give.
void ExpectRecord(const qxl16_Record* r, const std::string& name, std::size_t headerLength, const Bytes& source,
                  const Bytes& data) {
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::string(r->name), name);
  EXPECT_EQ(r->headerLength, headerLength);
  unsigned char header[50] = {};
  if (headerLength) {
    header[0] = ':';
    std::memcpy(header + 1, source.data(), std::min(source.size(), headerLength - 2));
  }
  EXPECT_EQ(0, std::memcmp(r->header, header, sizeof header)) << name;
  EXPECT_EQ(Bytes(r->data, r->data + r->dataLength), data) << name;
  EXPECT_EQ(r->data == nullptr, data.empty());
}

class Qxl16ExportsTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return env_.dataFile(QString::fromLatin1(name)).toStdString(); }
  TestEnvironment env_;
};

TEST(Qxl16LibraryTest, ExportsExactlyTheNineFunctions) {
  FILE* nm = popen("nm -D --defined-only '" QXL16_LIBRARY_FILE "'", "r");
  ASSERT_NE(nm, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, nm)) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) names.insert(name);
  }
  ASSERT_EQ(pclose(nm), 0);
  EXPECT_EQ(names, (std::set<std::string>{"qxl16_Open", "qxl16_Close", "qxl16_GetCalcName", "qxl16_GetCalcType",
                                           "qxl16_GetProgram", "qxl16_GetHardCopy", "qxl16_GetTransferData",
                                           "qxl16_ReadBackupFile", "qxl16_Free"}));
  EXPECT_EQ(offsetof(qxl16_Record, headerLength), 192u);
  EXPECT_EQ(offsetof(qxl16_Record, dataLength), 248u);
}

TEST_F(Qxl16ExportsTest, OlderDocumentThroughTheNineFunctions) {
  WriteOlderDocument(Path("older.qxi"));
  qxl16_Handle doc = nullptr;
  ASSERT_EQ(qxl16_Open(Path("older.qxi").c_str(), &doc), 0);
  char text[32];
  ASSERT_EQ(qxl16_GetCalcName(doc, text, 10), 0);  // "CFX-9850G" and its zero
  EXPECT_STREQ(text, "CFX-9850G");
  EXPECT_EQ(qxl16_GetCalcName(doc, text, 9), qxl16_BufferTooSmall);
  ASSERT_EQ(qxl16_GetCalcType(doc, text, sizeof text), 0);
  EXPECT_STREQ(text, "FX9850");

  qxl16_Position at = nullptr;
  qxl16_Record* r = nullptr;
  ASSERT_EQ(qxl16_GetProgram(doc, &at, &r), 0);
  ExpectRecord(r, "PROG1", 50, OlderProgramBlock("PROG1", Counting(30)), Counting(30));
  qxl16_Free(r);
  EXPECT_EQ(qxl16_GetProgram(doc, &at, &r), qxl16_BadContent);  // an entry of the wrong class
  EXPECT_EQ(r, nullptr);
  ASSERT_EQ(qxl16_GetProgram(doc, &at, &r), 0);  // the iteration went on
  ExpectRecord(r, "SECRET", 50, OlderProgramBlock("SECRET", Counting(12, 0x40)), Counting(12, 0x40));
  qxl16_Free(r);
  ASSERT_EQ(qxl16_GetProgram(doc, &at, &r), 0);
  Bytes noData = OlderProgramBlock("EMPTY", {});
  PutBigEndian32(noData.data() + 6, 1);
  ExpectRecord(r, "EMPTY", 50, noData, {});
  qxl16_Free(r);
  EXPECT_EQ(qxl16_GetProgram(doc, &at, &r), qxl16_EndOfList);
  EXPECT_EQ(qxl16_GetProgram(doc, &at, &r), qxl16_EndOfList);

  at = nullptr;
  ASSERT_EQ(qxl16_GetHardCopy(doc, &at, &r), 0);
  ExpectRecord(r, std::string(127, 'S'), 0, {}, Counting(1024));
  qxl16_Free(r);
  EXPECT_EQ(qxl16_GetHardCopy(doc, &at, &r), qxl16_EndOfList);

  at = nullptr;
  ASSERT_EQ(qxl16_GetTransferData(doc, &at, &r), 0);
  ExpectRecord(r, std::string(32, 'T'), 0, {}, {});
  EXPECT_STREQ(r->name2, "first title");
  ASSERT_TRUE(r->next && r->next->next && r->next->next->next);
  ExpectRecord(r->next, "", 50, kMatrixBlock, Tail(kMatrixBlock, 48));
  ExpectRecord(r->next->next, "", 0, {}, {});  // the empty block: an empty record
  ExpectRecord(r->next->next->next, "", 50, Counting(30), {});
  EXPECT_EQ(r->next->next->next->next, nullptr);
  qxl16_Free(r);
  EXPECT_EQ(qxl16_GetTransferData(doc, &at, &r), qxl16_EndOfList);

  // Positions and handles that the library did not hand out.
  at = reinterpret_cast<qxl16_Position>(std::uintptr_t(7));
  EXPECT_EQ(qxl16_GetHardCopy(doc, &at, &r), qxl16_BadArgument);
  EXPECT_EQ(qxl16_GetProgram(doc, nullptr, &r), qxl16_BadArgument);
  EXPECT_EQ(qxl16_Close(doc), 0);
  at = nullptr;
  EXPECT_EQ(qxl16_GetProgram(doc, &at, &r), qxl16_BadArgument);
  EXPECT_EQ(qxl16_GetCalcName(doc, text, sizeof text), qxl16_BadArgument);
  EXPECT_EQ(qxl16_Close(doc), qxl16_BadArgument);
  EXPECT_EQ(qxl16_Close(nullptr), qxl16_BadArgument);
  EXPECT_EQ(qxl16_Open(Path("older.qxi").c_str(), nullptr), qxl16_BadArgument);
  EXPECT_EQ(qxl16_Open(nullptr, &doc), qxl16_BadArgument);
  EXPECT_EQ(doc, nullptr);
  EXPECT_EQ(qxl16_Free(nullptr), 0);
}

TEST_F(Qxl16ExportsTest, NewerDocumentThroughTheNineFunctions) {
  WriteNewerDocument(Path("newer.qxi"));
  qxl16_Handle doc = nullptr;
  ASSERT_EQ(qxl16_Open(Path("newer.qxi").c_str(), &doc), 0);
  char text[32];
  ASSERT_EQ(qxl16_GetCalcType(doc, text, sizeof text), 0);
  EXPECT_STREQ(text, "FXALGEBRA20");

  qxl16_Position at = nullptr;
  qxl16_Record* r = nullptr;
  ASSERT_EQ(qxl16_GetProgram(doc, &at, &r), 0);
  ExpectRecord(r, "ALGEBRA1", 40, NewerProgramBlock("ALGEBRA1", Counting(10)), Counting(10));
  qxl16_Free(r);
  EXPECT_EQ(qxl16_GetProgram(doc, &at, &r), qxl16_EndOfList);
  at = nullptr;
  EXPECT_EQ(qxl16_GetHardCopy(doc, &at, &r), qxl16_Empty);
  EXPECT_EQ(at, nullptr);

  ASSERT_EQ(qxl16_GetTransferData(doc, &at, &r), 0);
  ASSERT_TRUE(r->next && r->next->next);
  ExpectRecord(r->next, "", 40, Counting(48, 1), Tail(Counting(48, 1), 38));
  ExpectRecord(r->next->next, "", 40, Counting(38, 2), {});
  qxl16_Free(r);
  EXPECT_EQ(qxl16_Close(doc), 0);
}

TEST_F(Qxl16ExportsTest, CalculatorAndProgramFailuresGiveTheirCodes) {
  struct Case {
    int model;
    Bytes block;
    int calc, program;
  } cases[] = {
      {0x8115, OlderProgramBlock("P", {}), qxl16_NotSupported, 0},
      {0x1234, OlderProgramBlock("P", Counting(4)), qxl16_UnknownCalc, 0},
      {0x811E, Counting(38), 0, qxl16_Empty},
      {0x811E, Counting(60), 0, qxl16_BadContent},  // no "PG"
      [] {  // a length word that claims more than the block holds
        Bytes b = OlderProgramBlock("P", Counting(4));
        PutBigEndian32(b.data() + 6, 100);
        return Case{0x811E, b, 0, qxl16_BadContent};
      }(),
      [] {  // a block too short for the data its length word claims
        Bytes b = OlderProgramBlock("P", {});
        b.resize(40);
        PutBigEndian32(b.data() + 6, 10);
        return Case{0x811E, b, 0, qxl16_BadContent};
      }(),
  };
  for (const Case& c : cases) {
    OldDocument doc;
    doc.SetModel(c.model);
    doc.programs = {doc.Blocks<COrvoQXListItemNP>("P", {c.block})};
    WriteDocument(Path("c.qxi"), doc);
    qxl16_Handle h = nullptr;
    ASSERT_EQ(qxl16_Open(Path("c.qxi").c_str(), &h), 0);
    char text[32];
    EXPECT_EQ(qxl16_GetCalcName(h, text, sizeof text), c.calc) << c.model;
    qxl16_Position at = nullptr;
    qxl16_Record* r = nullptr;
    EXPECT_EQ(qxl16_GetProgram(h, &at, &r), c.program);
    EXPECT_EQ(r == nullptr, c.program != 0);
    qxl16_Free(r);
    qxl16_Close(h);
  }
}

TEST_F(Qxl16ExportsTest, BackupFilesOfBothKinds) {
  WriteBytes(Path("v4.qxb"), OlderBackup());
  qxl16_Record* r = nullptr;
  ASSERT_EQ(qxl16_ReadBackupFile(Path("v4.qxb").c_str(), &r), 0);
  ExpectRecord(r, "Backup V4", 50, Counting(250), Tail(Counting(250), 48));
  EXPECT_EQ(r->next, nullptr);
  qxl16_Free(r);

  WriteBytes(Path("v5.qxb"), NewerBackup());
  ASSERT_EQ(qxl16_ReadBackupFile(Path("v5.qxb").c_str(), &r), 0);
  ExpectRecord(r, "Backup V5", 40, Counting(40), {38, 39});
  ASSERT_TRUE(r->next && r->next->next);
  ExpectRecord(r->next, "", 40, Counting(60, 7), Tail(Counting(60, 7), 38));
  ExpectRecord(r->next->next, "", 40, Counting(41, 9), {47, 48, 49});
  EXPECT_EQ(r->next->next->next, nullptr);
  qxl16_Free(r);

  Bytes shortHeader = OlderBackup();
  shortHeader[0] = 135;
  Bytes cutShort = OlderBackup();
  cutShort.resize(100);  // inside the header
  Bytes cutEnd = OlderBackup();
  cutEnd.pop_back();  // inside the data block
  Bytes hugeCount = NewerBackup();
  PutLittleEndian32(hugeCount.data() + 2 + 136 + 4 + 83, 0x40000000);
  const struct {
    Bytes bytes;
    int expected;
  } cases[] = {
      {shortHeader, qxl16_ReadFailed},
      {cutShort, qxl16_ReadFailed},
      {BackupFile("QX BACK UP FILE", {Counting(49)}, false), qxl16_BadContent},
      {BackupFile("QX MCS1 BACK UP FILE", {Counting(40), Counting(39)}, true), qxl16_BadContent},
      {BackupFile("QX MCS1 BACK UP FILE", {}, true), qxl16_BadContent},
      {hugeCount, qxl16_BadContent},
      {BackupFile("QX BACK UP FILES", {Counting(50)}, false), qxl16_UnknownCalc},
      {cutEnd, qxl16_BadContent},
  };
  for (const auto& c : cases) {
    WriteBytes(Path("bad.qxb"), c.bytes);
    r = reinterpret_cast<qxl16_Record*>(&r);
    EXPECT_EQ(qxl16_ReadBackupFile(Path("bad.qxb").c_str(), &r), c.expected);
    EXPECT_EQ(r, nullptr);
  }
  EXPECT_EQ(qxl16_ReadBackupFile(Path("missing.qxb").c_str(), &r), qxl16_CannotOpen);
  EXPECT_EQ(qxl16_ReadBackupFile(nullptr, &r), qxl16_BadArgument);
}

// Reads everything a document offers, as the program's import would.
void Drain(qxl16_Handle h) {
  char text[64];
  qxl16_GetCalcName(h, text, sizeof text);
  qxl16_GetCalcType(h, text, sizeof text);
  for (auto get : {&qxl16_GetProgram, &qxl16_GetHardCopy, &qxl16_GetTransferData}) {
    qxl16_Position at = nullptr;
    qxl16_Record* r = nullptr;
    for (int result = 0, n = 0; result != qxl16_EndOfList && result != qxl16_Empty && n < 100000; ++n) {
      result = get(h, &at, &r);
      ASSERT_TRUE(result >= 0 && result <= 11) << result;
      ASSERT_EQ(r == nullptr, result != 0);
      qxl16_Free(r);
      r = nullptr;
    }
  }
}

TEST_F(Qxl16ExportsTest, DamagedFilesFailWithCodesNeverACrash) {
  WriteOlderDocument(Path("older.qxi"));
  WriteNewerDocument(Path("newer.qxi"));
  const Bytes files[] = {ReadBytes(Path("older.qxi")), ReadBytes(Path("newer.qxi")), OlderBackup(), NewerBackup()};
  std::mt19937 random(35);
  const std::string path = Path("damaged");
  for (std::size_t f = 0; f < std::size(files); ++f) {
    const bool backup = f >= 2;
    auto check = [&](const Bytes& bytes) {
      WriteBytes(path, bytes);
      if (backup) {
        qxl16_Record* r = nullptr;
        const int result = qxl16_ReadBackupFile(path.c_str(), &r);
        EXPECT_TRUE(result == 0 || result == 2 || result == 5 || result == 6) << result;
        qxl16_Free(r);
        return;
      }
      qxl16_Handle h = nullptr;
      const int result = qxl16_Open(path.c_str(), &h);
      EXPECT_TRUE(result == 0 || result == 2 || result == 3 || result == 4) << result;
      if (result == 0) {
        Drain(h);
        qxl16_Close(h);
      }
    };
    for (std::size_t cut = 0; cut < files[f].size(); cut += 97)
      check(Bytes(files[f].begin(), files[f].begin() + std::ptrdiff_t(cut)));
    for (int round = 0; round < 300; ++round) {
      Bytes bytes = files[f];
      for (int flips = 1 + round % 4; flips > 0; --flips) bytes[random() % bytes.size()] ^= BYTE(1 + random() % 255);
      check(bytes);
    }
  }
}

// A FIFO as a document or a backup file cannot be opened, and is never
// opened at all: the open would wait for a writer for ever.
TEST_F(Qxl16ExportsTest, AFifoIsNeverOpened) {
  FifoWatch fifo(QString::fromStdString(Path("pipe.qxi")));
  ASSERT_TRUE(fifo.made());
  qxl16_Handle h = nullptr;
  qxl16_Record* r = nullptr;
  EXPECT_FALSE(fifo.openedDuring([&] {
    EXPECT_EQ(qxl16_Open(fifo.path(), &h), 1);
    EXPECT_EQ(qxl16_ReadBackupFile(fifo.path(), &r), 1);
  }));
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(r, nullptr);
}

// With TALLIX_OLDDATA_CORPUS set (to tests/olddata), writes the fixtures as
// the fuzz targets' starting inputs.
TEST_F(Qxl16ExportsTest, WritesFuzzCorpusWhenAsked) {
  const char* dir = std::getenv("TALLIX_OLDDATA_CORPUS");
  if (!dir) GTEST_SKIP();
  const std::string d = dir;
  WriteOlderDocument(d + "/corpus-open/older.qxi");
  WriteNewerDocument(d + "/corpus-open/newer.qxi");
  WriteBytes(d + "/corpus-backup/v4.qxb", OlderBackup());
  WriteBytes(d + "/corpus-backup/v5.qxb", NewerBackup());
}

}  // namespace
