#include "datamodel/QXHeaderFields.h"
#include "datamodel/QXTextRecords.h"
#include "tests/support/OldHeaderVectors.h"

#include <gtest/gtest.h>

using namespace tallix::test;

TEST(HeaderFields, NamesArePaddedWithUnsetBytesAndRefusedWhenTooLong) {
  CQXNameField name;
  EXPECT_TRUE(name.IsEmpty());
  ASSERT_TRUE(name.SetName("ABCDEFGH"));
  Bytes h = blankHeader();
  ASSERT_TRUE(name.WriteHeader(h.data(), 50));
  EXPECT_EQ(std::string(h.begin() + 11, h.begin() + 19), "ABCDEFGH");
  EXPECT_EQ(h[10], 0xFF);
  EXPECT_EQ(h[19], 0xFF);
  EXPECT_FALSE(name.SetName("ABCDEFGHI"));
  EXPECT_TRUE(name.Equals("ABCDEFGH"));

  ASSERT_TRUE(name.SetName("f1"));
  h = blankHeader();
  name.WriteHeader(h.data(), 50);
  Bytes expected = blankHeader();
  put(expected, 11, "f1");
  EXPECT_EQ(h, expected);
  EXPECT_EQ(name.GetByte(1), '1');
  EXPECT_EQ(name.GetByte(2), 0xFF);
  EXPECT_EQ(name.GetByte(8), 0);
}

TEST(HeaderFields, EqualsComparesTheWholePaddedField) {
  CQXNameField name;
  name.SetName("f10");
  EXPECT_FALSE(name.Equals("f1"));
  EXPECT_TRUE(name.Equals("f10"));
  name.SetName("f1");
  EXPECT_FALSE(name.Equals("f10"));
  EXPECT_FALSE(name.Equals("f1xxxxxxx"));
  EXPECT_FALSE(name.Equals(""));
}

TEST(HeaderFields, GetNameNeverWritesPastTheBuffer) {
  CQXNameField name;
  name.SetName("ABCDEFGH");
  char buffer[9];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_FALSE(name.GetName(buffer, 6));
  EXPECT_EQ(buffer[0], '#');
  ASSERT_TRUE(name.GetName(buffer, 7));
  EXPECT_STREQ(buffer, "ABCDEF");
  EXPECT_EQ(buffer[7], '#');
  ASSERT_TRUE(name.GetName(buffer, 9));
  EXPECT_STREQ(buffer, "ABCDEFGH");

  CQXShortNameField shortName;
  EXPECT_FALSE(shortName.SetName("ABCDEFGH"));
  ASSERT_TRUE(shortName.SetName("ABCDEFG"));
  EXPECT_FALSE(shortName.GetName(buffer, 5));
  ASSERT_TRUE(shortName.GetName(buffer, 6));
  EXPECT_STREQ(buffer, "ABCDE");
}

TEST(HeaderFields, ReadAndWriteNeedA50ByteHeader) {
  CQXNameField name;
  Bytes h = blankHeader();
  EXPECT_EQ(name.ReadHeader(nullptr, 50), 0);
  EXPECT_EQ(name.ReadHeader(h.data(), 49), 0);
  EXPECT_EQ(name.WriteHeader(h.data(), 40), 0);
  CQXHeaderField base;
  EXPECT_EQ(base.ReadHeader(h.data(), 50), 0);
  EXPECT_EQ(base.WriteHeader(h.data(), 50), 0);
}

TEST(HeaderFields, GroupsMustBeOneOfTheSixteenNames) {
  CQXGroupField group;
  Bytes h = blankHeader();
  EXPECT_TRUE(group.ReadHeader(h.data(), 50));  // no group
  EXPECT_FALSE(group.IsSet());
  put(h, 19, "Y=Data");
  ASSERT_TRUE(group.ReadHeader(h.data(), 50));
  EXPECT_EQ(group.GetText(), "Y=Data");
  for (const char* name : {"File 1", "File 6", "F\x99Mem", "V\x99Win1", "V\x99Win6", "Equation", "Variable"}) {
    Bytes g = blankHeader();
    put(g, 19, name);
    EXPECT_TRUE(group.ReadHeader(g.data(), 50)) << name;
  }
  for (const char* name : {"File 7", "Y=Dat", "V\x99Win7", "y=data"}) {
    Bytes g = blankHeader();
    put(g, 19, name);
    EXPECT_FALSE(group.ReadHeader(g.data(), 50)) << name;
  }
  EXPECT_EQ(group.GetText(), "Variable");  // the refusals changed nothing
}

TEST(HeaderFields, StoredFieldsAreADwordAndEightBytes) {
  CQXStoredNameField name;
  name.SetName("R Start");
  Bytes expected;
  putDword(expected, 8);
  putBytes(expected, "R Start");
  expected.push_back(0xFF);
  EXPECT_EQ(storedBytes(name), expected);
  CQXStoredNameFieldB other;
  expected[0] = 99;  // the dword is not checked
  loadBytes(other, expected);
  EXPECT_TRUE(other.Equals("R Start"));
  EXPECT_EQ(archiveCode([&] { loadBytes(other, Bytes(expected.begin(), expected.begin() + 10)); }),
            kArchiveReadFailed);
}

TEST(HeaderFields, RelationReservedAndModeFieldsCheckTheirBytes) {
  Bytes h = blankHeader();
  CQXRelationField relation;
  EXPECT_FALSE(relation.ReadHeader(h.data(), 50));
  for (BYTE b : {BYTE('='), BYTE('>'), BYTE('<'), BYTE(0x12), BYTE(0x10)}) {
    h[18] = b;
    EXPECT_TRUE(relation.ReadHeader(h.data(), 50)) << int(b);
  }
  EXPECT_FALSE(relation.Set('!'));
  EXPECT_EQ(relation.Get(), 0x10);

  h = blankHeader();
  CQXReservedField reserved;
  EXPECT_TRUE(reserved.ReadHeader(h.data(), 50));
  std::memset(h.data() + 29, 0, 8);
  EXPECT_FALSE(reserved.ReadHeader(h.data(), 50));
  h = blankHeader();
  h[36] = 'x';
  EXPECT_FALSE(reserved.ReadHeader(h.data(), 50));

  CQXProgModeField mode;
  h = blankHeader();
  EXPECT_TRUE(mode.ReadHeader(h.data(), 50));
  put(h, 35, "BN");
  ASSERT_TRUE(mode.ReadHeader(h.data(), 50));
  EXPECT_TRUE(mode.IsBaseN());
  put(h, 35, "XX");
  EXPECT_FALSE(mode.ReadHeader(h.data(), 50));
  EXPECT_TRUE(mode.IsBaseN());
  EXPECT_TRUE(mode.Set("NL"));
  EXPECT_FALSE(mode.IsBaseN());
  EXPECT_FALSE(mode.Set("XY"));
  EXPECT_FALSE(mode.Set("NL1234567"));
}

TEST(HeaderFields, FixedRunsOwnTheirBytes) {
  Bytes h = blankHeader();
  CQXPasswordField password;
  password.SetName("SECRET");
  CQXSevenByteField seven;
  seven.SetName("1234567");
  CQXEightByteField eight;
  eight.SetName("abcdefgh");
  password.WriteHeader(h.data(), 50);
  Bytes expected = blankHeader();
  put(expected, 27, "SECRET");
  EXPECT_EQ(h, expected);
  h = blankHeader();
  seven.WriteHeader(h.data(), 50);
  eight.WriteHeader(h.data(), 50);
  expected = blankHeader();
  put(expected, 27, "1234567");
  put(expected, 34, "abcdefgh");
  EXPECT_EQ(h, expected);
}

TEST(HeaderFields, KindsAndCodesMustBelongTogether) {
  CQXKindField kind;
  Bytes h = blankHeader();
  put(h, 1, "TXT");
  put(h, 5, "PG");
  ASSERT_TRUE(kind.ReadHeader(h.data(), 50));
  EXPECT_EQ(kind.GetKind(), "TXT");
  EXPECT_EQ(kind.GetCode(), "PG");
  put(h, 5, "GF");
  EXPECT_FALSE(kind.ReadHeader(h.data(), 50));
  put(h, 1, "XXX");
  EXPECT_FALSE(kind.ReadHeader(h.data(), 50));
  EXPECT_FALSE(kind.Set("VAL", "PG"));
  EXPECT_EQ(kind.GetCode(), "PG");
  ASSERT_TRUE(kind.Set("MEM", "BU"));
  h = blankHeader();
  kind.WriteHeader(h.data(), 50);
  Bytes expected = blankHeader();
  put(expected, 5, "BU");  // the kind letters are the record's to write
  EXPECT_EQ(h, expected);
  EXPECT_TRUE(kind.Matches(h.data(), 50));
}

TEST(HeaderFields, GraphStylesFollowTheirCode) {
  CQXGraphStyleField style;
  EXPECT_FALSE(style.SetDefault("PG"));
  ASSERT_TRUE(style.SetDefault("GF"));
  Bytes h = blankHeader();
  put(h, 5, "GF");
  style.WriteHeader(h.data(), 50);
  EXPECT_EQ(std::string(h.begin() + 27, h.begin() + 45), "GRBLNSDYBLNSGTBLNS");
  EXPECT_TRUE(style.ReadHeader(h.data(), 50));
  put(h, 27, "GRPKNS");
  EXPECT_FALSE(style.ReadHeader(h.data(), 50));
  put(h, 27, "DYBLNSGRBLNS");
  EXPECT_FALSE(style.ReadHeader(h.data(), 50));  // types out of order
  put(h, 27, "GRORSLDYGNNSGTBLSL");
  EXPECT_TRUE(style.ReadHeader(h.data(), 50));

  ASSERT_TRUE(style.SetDefault("RF"));
  Bytes rf = blankHeader();
  put(rf, 5, "RF");
  style.WriteHeader(rf.data(), 50);
  Bytes expected = blankHeader();
  put(expected, 5, "RF");
  put(expected, 27, "RTBLNS");
  put(expected, 35, "a0");
  EXPECT_EQ(rf, expected);
  put(rf, 35, "a1");
  EXPECT_TRUE(style.ReadHeader(rf.data(), 50));
  put(rf, 35, "a2");
  EXPECT_FALSE(style.ReadHeader(rf.data(), 50));
  put(rf, 5, "PG");
  put(rf, 35, "a0");
  EXPECT_FALSE(style.ReadHeader(rf.data(), 50));

  BYTE got[18];
  EXPECT_FALSE(style.Get(got, 17));
  ASSERT_TRUE(style.Get(got, 18));
  EXPECT_EQ(std::string(got, got + 2), "RT");
  got[0] = 'G';
  EXPECT_FALSE(style.Set(got));
}

TEST(TextRecords, AProgramHeaderIsBuiltFromItsFields) {
  CQXProgramRecord program;
  program.GetNameField().SetName("PROG1");
  program.GetPasswordField().SetName("AB");
  program.SetBaseN(TRUE);
  const BYTE text[] = {0x41, 0x42, 0x0D, 0xFF};
  program.SetText(text, 4);
  Bytes h(50);
  ASSERT_TRUE(program.BuildHeader(h.data(), 50));
  Bytes expected = blankHeader();
  put(expected, 1, "TXT");
  put(expected, 5, "PG");
  put32(expected, 7, 6);
  put(expected, 11, "PROG1");
  put(expected, 27, "AB");
  put(expected, 35, "BN");
  EXPECT_EQ(h, expected);

  CQXProgramRecord received;
  ASSERT_TRUE(received.ParseHeader(expected.data(), 50));
  EXPECT_TRUE(received.GetNameField().Equals("PROG1"));
  EXPECT_TRUE(received.GetPasswordField().Equals("AB"));
  EXPECT_TRUE(received.IsBaseN());
}

TEST(TextRecords, ARefusedHeaderChangesNothing) {
  CQXProgramRecord program;
  program.GetNameField().SetName("KEEP");
  Bytes h = blankHeader();
  put(h, 1, "TXT");
  put(h, 5, "PG");
  put(h, 11, "OTHER");
  put(h, 35, "ZZ");  // a mode the field refuses, read after the name would be
  EXPECT_FALSE(program.ParseHeader(h.data(), 50));
  put(h, 35, "NL");
  put(h, 1, "FNC");
  EXPECT_FALSE(program.ParseHeader(h.data(), 50));
  put(h, 1, "TXT");
  put(h, 5, "FM");  // a function memory is no program
  EXPECT_FALSE(program.ParseHeader(h.data(), 50));
  EXPECT_TRUE(program.GetNameField().Equals("KEEP"));
  put(h, 5, "PG");
  EXPECT_TRUE(program.ParseHeader(h.data(), 50));
  EXPECT_TRUE(program.GetNameField().Equals("OTHER"));
  EXPECT_FALSE(program.BuildHeader(h.data(), 49));
}

TEST(TextRecords, AGraphFunctionHeaderAndStoredRecord) {
  CQXGraphFuncRecord function;
  ASSERT_TRUE(function.SetDefaults("GF", "Y1"));
  const Bytes text(12, 0x41);
  function.SetText(text.data(), 12);
  Bytes h(50);
  ASSERT_TRUE(function.BuildHeader(h.data(), 50));
  Bytes expected = blankHeader();
  put(expected, 1, "FNC");
  put(expected, 5, "GF");
  put32(expected, 7, 14);
  put(expected, 11, "Y1");
  expected[18] = '=';
  put(expected, 27, "GRBLNSDYBLNSGTBLNS");
  EXPECT_EQ(h, expected);

  Bytes stored = storedBytes(function);
  EXPECT_EQ(stored.size(), 12u + 8 + 66);
  Bytes record;
  putDword(record, 1301);
  putDword(record, 12 + 50);
  putDword(record, 1);
  record.insert(record.end(), expected.begin(), expected.end());
  putDword(record, 1003);
  putDword(record, 12);
  record.insert(record.end(), text.begin(), text.end());
  putDword(record, 0xFEEF0515);
  EXPECT_EQ(stored, record);

  CQXGraphFuncRecord loaded;
  loadBytes(loaded, record);
  EXPECT_TRUE(loaded.GetNameField().Equals("Y1"));
  EXPECT_EQ(loaded.GetTextLength(), 12u);

  Bytes badEnd = record;
  badEnd.back() = 0;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badEnd); }), kArchiveBadRecord);
  Bytes badOne = record;
  badOne[8] = 2;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badOne); }), kArchiveBadRecord);
  Bytes longText = record;
  longText[4 * 3 + 50 + 4] = 0xF0;  // a data length beyond the stream
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, longText); }), kArchiveBadRecord);
}

TEST(TextRecords, FunctionMemoriesMustCarryTheirOwnName) {
  CQXFuncMemRecord memory;
  memory.SetName("f1");
  Bytes h(50);
  ASSERT_TRUE(memory.BuildHeader(h.data(), 50));
  Bytes expected = blankHeader();
  put(expected, 1, "TXT");
  put(expected, 5, "FM");
  put32(expected, 7, 3);  // no data: the end byte alone
  put(expected, 11, "f1");
  EXPECT_EQ(h, expected);
  EXPECT_TRUE(memory.ParseHeader(h.data(), 50));
  put(h, 11, "f10");
  EXPECT_FALSE(memory.ParseHeader(h.data(), 50));
  const BYTE text[] = {0x31, 0xFF};
  memory.SetText(text, 2);
  memory.BuildHeader(h.data(), 50);
  EXPECT_EQ(GetHeaderDataLength(h.data(), 50), 4u);
  EXPECT_EQ(GetHeaderDataLength(h.data(), 40), 0u);
}
