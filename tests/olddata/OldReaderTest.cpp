// The reader's own classes: the masked file, the checks of a document's
// opening, the archive's object forms and the model table.
#include "olddata/OldDataFile.h"
#include "olddata/OldModelTable.h"
#include "tests/olddata/OldFileWriter.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace qxl16;
using namespace tallix::test;

class OldReaderTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return env_.dataFile(QString::fromLatin1(name)).toStdString(); }

  // Opens a document whose archive is the usual prefix and `collections`.
  int OpenRaw(CQXOldDataFile& file, const Bytes& collections, char major = '3') {
    OldDocument doc;
    Bytes archive = doc.Prefix();
    archive.insert(archive.end(), collections.begin(), collections.end());
    WriteOldFile(Path("raw.qxi"), major, '0', archive);
    return file.Open(Path("raw.qxi").c_str());
  }

  TestEnvironment env_;
};

// Little-endian pieces of a hand-assembled archive.
struct Raw {
  Bytes bytes;
  Raw& w16(unsigned v) { return put(v, 2); }
  Raw& w32(DWORD v) { return put(v, 4); }
  Raw& put(DWORD v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(BYTE(v >> (8 * i)));
    return *this;
  }
  Raw& newClass(const char* name, unsigned schema = 0) {
    w16(0xFFFF).w16(schema).w16(unsigned(std::strlen(name)));
    bytes.insert(bytes.end(), name, name + std::strlen(name));
    return *this;
  }
  // The stored form of `object`, written by its own storing direction.
  Raw& body(CObject& object) {
    COldArchive ar(bytes);
    object.Serialize(ar);
    return *this;
  }
};

TEST_F(OldReaderTest, MaskedFileChangesExactlyTheBytesReadAndNeverTheCallersBuffer) {
  WriteBytes(Path("plain.bin"), Counting(10));
  COrvoFile file;
  ASSERT_TRUE(file.Open(Path("plain.bin").c_str(), CFile::modeRead));
  file.SetMask(true);
  BYTE buffer[12];
  std::memset(buffer, 0xEE, sizeof buffer);
  ASSERT_EQ(file.Read(buffer, 4), 4u);
  const std::unique_ptr<CFile> twin = file.Duplicate();  // shares position and mask
  ASSERT_EQ(twin->Read(buffer + 4, 8), 6u);              // only six bytes are left
  for (int i = 0; i < 10; ++i) EXPECT_EQ(buffer[i], BYTE(i ^ 0x9D)) << i;
  EXPECT_EQ(buffer[10], 0xEE);
  EXPECT_EQ(buffer[11], 0xEE);

  const Bytes original = Counting(6, 0x30);
  Bytes buffer2 = original;
  COrvoFile out;
  ASSERT_TRUE(out.Open(Path("masked.bin").c_str(), CFile::modeCreate));
  out.SetMask(true);
  out.Write(buffer2.data(), buffer2.size());
  out.Close();
  EXPECT_EQ(buffer2, original);
  const Bytes written = ReadBytes(Path("masked.bin"));
  ASSERT_EQ(written.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(written[i], BYTE(original[i] ^ 0x9D));

  // A write that fails (the file is open for reading) leaves the buffer too.
  file.SetMask(true);
  EXPECT_THROW(file.Write(buffer2.data(), buffer2.size()), OldDataError);
  EXPECT_EQ(buffer2, original);
}

TEST_F(OldReaderTest, OpenChecksVersionSignatureAndSchemaInOrder) {
  struct Case {
    char major, minor;
    const char* signature;
    WORD schema;
    bool cut;
    int expected;
  } cases[] = {
      {'1', '0', nullptr, 7, false, 4},  {'4', '0', nullptr, 7, false, 3}, {'2', '9', nullptr, 6, false, 0},
      {'3', 'x', nullptr, 7, false, 0},  {'0', '0', "nothing", 7, false, 4},
      {'3', '0', "TALLIX - BRINDLEWOOd", 7, false, 2}, {'3', '0', nullptr, 7, true, 2},
      {'3', '0', nullptr, 5, false, 4},  {'3', '0', nullptr, 8, false, 4},
  };
  for (const Case& c : cases) {
    OldDocument doc;
    doc.major = c.major, doc.minor = c.minor, doc.schema = c.schema;
    if (c.signature) doc.signature = c.signature;
    doc.SetModel(0x811E);
    Bytes archive = doc.Archive();
    if (c.cut) archive.resize(10);  // ends inside the signature
    WriteOldFile(Path("v.qxi"), c.major, c.minor, archive);
    CQXOldDataFile file;
    EXPECT_EQ(file.Open(Path("v.qxi").c_str()), c.expected) << c.major << c.minor << c.schema;
    if (c.expected == 0) {
      EXPECT_EQ(file.GetMajorVersion(), unsigned(c.major - '0'));
      ASSERT_NE(file.GetCalcInfo(), nullptr);
      EXPECT_EQ(file.GetCalcInfo()->m_nModel, 0x811E);  // 16 bits, without sign
    }
    EXPECT_TRUE(file.CalcInfo().empty() || c.expected == 0);
    EXPECT_FALSE(file.IsOpen());
  }
  CQXOldDataFile file;
  EXPECT_EQ(file.Open(Path("missing.qxi").c_str()), 1);
  EXPECT_EQ(file.Open(env_.dataDir().toStdString().c_str()), 1);  // a folder
}

TEST_F(OldReaderTest, ArchiveFormsTheWriterNeverProduces) {
  COrvoQXListItem info;
  info.m_nModel = 0x811E;
  COrvoQXListItemNP first, second;
  first.m_strName = "FIRST";
  second.m_strName = std::string(70000, 'n');  // a 32-bit string length
  COrvoQXListItem screen;
  screen.m_strName = std::string(300, 's');  // a 16-bit string length
  screen.m_data = Counting(20);

  Raw raw;
  raw.w16(0xFFFF).w32(1).newClass("COrvoQXListItem").body(info);                // class 1, object 2
  raw.w16(2).newClass("COrvoQXListItemNP").body(first);                         // class 3, object 4
  raw.w16(0x7FFF).w32(0x80000003u).body(second);                                // big class tag: object 5
  raw.w16(1).w16(0x0004);                                                       // the object read before
  raw.w16(2).w16(0x8001).body(screen).w16(0x7FFF).w32(6);                       // class 1 again, object 6 twice
  raw.w16(1).w16(0);                                                            // no object

  CQXOldDataFile file;
  ASSERT_EQ(OpenRaw(file, raw.bytes), 0);
  ASSERT_EQ(file.Programs().size(), 2u);
  auto* p0 = dynamic_cast<COrvoQXListItemNP*>(file.Programs()[0]);
  auto* p1 = dynamic_cast<COrvoQXListItemNP*>(file.Programs()[1]);
  ASSERT_TRUE(p0 && p1);
  EXPECT_EQ(p0->m_strName, "FIRST");
  EXPECT_EQ(p1->m_strName, second.m_strName);
  // One object in two lists: one object, destroyed once with the file.
  ASSERT_EQ(file.SecondList().size(), 1u);
  EXPECT_EQ(file.SecondList()[0], p0);
  ASSERT_EQ(file.ScreenCopies().size(), 2u);
  EXPECT_EQ(file.ScreenCopies()[0], file.ScreenCopies()[1]);
  auto* copy = dynamic_cast<COrvoQXListItem*>(file.ScreenCopies()[0]);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->m_strName, screen.m_strName);
  EXPECT_EQ(copy->m_data, screen.m_data);
  ASSERT_EQ(file.TransferData().size(), 1u);
  EXPECT_EQ(file.TransferData()[0], nullptr);
}

TEST_F(OldReaderTest, MalformedArchivesFailWithCodeTwo) {
  COrvoQXListItem info;
  COrvoQXListItemNP hugeBlock;
  OrvoBlockRecord record;
  record.data = std::make_unique<COrvoGDF2StaticData>();
  record.data->m_block = Counting(16);
  hugeBlock.m_records.push_back(std::move(record));
  Raw hugeBody;
  hugeBody.body(hugeBlock);
  // Make the stored block claim far more bytes than the file holds.
  const std::size_t countAt = hugeBody.bytes.size() - 16 - 4;
  hugeBody.bytes[countAt + 3] = 0x7F;

  const Bytes cases[] = {
      Raw().w16(1).newClass("CNoSuchClass").bytes,
      Raw().w16(1).newClass("COrvoQXListItem", 1).bytes,
      Raw().w16(0xFFFF).w32(0x7FFFFFFF).bytes,  // a count past the end
      Raw().w16(1).w16(0x0005).bytes,           // a reference to nothing read
      Raw().w16(2).newClass("COrvoQXListItem").body(info).w16(0x8002).bytes,  // object 2 used as a class
      Raw().w16(2).newClass("COrvoQXListItem").body(info).w16(0x0001).bytes,  // class 1 used as an object
      [&] {
        Raw raw = Raw().w16(1).newClass("COrvoQXListItemNP");
        raw.bytes.insert(raw.bytes.end(), hugeBody.bytes.begin(), hugeBody.bytes.end());
        return raw.bytes;
      }(),
  };
  for (const Bytes& collections : cases) {
    CQXOldDataFile file;
    EXPECT_EQ(OpenRaw(file, collections), 2);
    EXPECT_TRUE(file.CalcInfo().empty());
  }
}

TEST_F(OldReaderTest, UnknownBlockRecordKindLoadsEmptyAndTheLoadGoesOn) {
  COrvoQXListItem base;
  base.m_strName = "P";
  Raw raw;
  raw.w16(0).w16(1).newClass("COrvoQXListItemNP").body(base);
  raw.bytes.resize(raw.bytes.size() + 64, 0);  // the two texts
  raw.w16(3).w16(1).w16(2).w16(0xAA).w16(3).w16(1).w16(1).put(0x42, 1);
  raw.w16(1).w16(0x8001).body(base);  // the second list: one more item of the class
  raw.bytes.resize(raw.bytes.size() + 64, 0);
  raw.w16(0);                // without records
  raw.w16(0).w16(0);

  CQXOldDataFile file;
  ASSERT_EQ(OpenRaw(file, raw.bytes), 0);
  auto* item = dynamic_cast<COrvoQXListItemNP*>(file.Programs().at(0));
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->m_records.size(), 3u);
  EXPECT_EQ(item->m_records[0].bytes, Bytes({0xAA, 0x00}));
  EXPECT_TRUE(item->m_records[1].bytes.empty());
  EXPECT_EQ(item->m_records[1].data, nullptr);
  EXPECT_EQ(item->m_records[2].bytes, Bytes({0x42}));
  EXPECT_EQ(file.SecondList().size(), 1u);  // read on after the empty record
}

TEST(OldDataBlockTest, ItemsAreFoundByWalkingTheSizeWordsWithinTheBlock) {
  COrvoGDF2Data data;
  data.m_block = GroupBlock({Counting(5), Counting(3, 9)});
  const BYTE* p = nullptr;
  std::size_t n = 0;
  ASSERT_TRUE(data.GetItem(0, 1, &p, &n));
  EXPECT_EQ(Bytes(p, p + n), Counting(3, 9));  // after the padded first item
  EXPECT_FALSE(data.GetItem(0, 2, &p, &n));
  EXPECT_FALSE(data.GetItem(1, 0, &p, &n));
  data.m_block[8] = 0xF0;  // the group's size runs past the block
  EXPECT_FALSE(data.GetFirstItem(&p, &n));
  data.m_block = GroupBlock({});
  EXPECT_FALSE(data.GetFirstItem(&p, &n));  // an empty first group holds no item
}

TEST(OldModelTableTest, LookupTakesTheFirstRowWithTheCode) {
  ASSERT_EQ(std::size(OldModelTable), 35u);
  const OldModelRow* row = FindOldModel(0x811E);
  ASSERT_NE(row, nullptr);
  EXPECT_STREQ(row->name, "CFX-9850G");
  EXPECT_STREQ(row->calcType, "FX9850");
  ASSERT_NE(FindOldModel(0x8115), nullptr);
  EXPECT_EQ(FindOldModel(0x8115)->supported, 0);
  EXPECT_EQ(FindOldModel(0x1234), nullptr);
  EXPECT_STREQ(FindOldModel(0xA04E)->calcType, "FXALGEBRA20");
  EXPECT_STREQ(FindOldModel(0xA04D)->calcType, "FX7400");
  int supported = 0;
  for (const OldModelRow& r : OldModelTable) supported += r.supported;
  EXPECT_EQ(supported, 24);
}

}  // namespace
