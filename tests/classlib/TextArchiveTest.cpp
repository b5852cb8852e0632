#include "classlib/OrvoTextArchive.h"
#include "classlib/ProgramVersion.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Every ReadLine result over `data`: (count, text), up to and including the 0.
std::vector<std::pair<UINT, std::string>> readAll(const QByteArray& data, UINT size, UINT buffer = 512) {
  CMemFile file(data);
  COrvoTextArchive archive(&file, CArchive::load, buffer);
  std::vector<std::pair<UINT, std::string>> out;
  std::vector<char> dst(size + 1, 'X');
  for (int guard = 0; guard < 1000; ++guard) {
    const UINT n = archive.ReadLine(dst.data(), size);
    out.emplace_back(n, size ? std::string(dst.data()) : std::string());
    if (n == 0) break;
  }
  return out;
}

using Lines = std::vector<std::pair<UINT, std::string>>;

TEST(TextArchive, EveryLineEndGivesTheSameLines) {
  const Lines crlf = readAll("ab\r\n\r\ncd", 2048);
  EXPECT_EQ(crlf, (Lines{{3, "ab"}, {1, ""}, {2, "cd"}, {0, ""}}));
  EXPECT_EQ(readAll("ab\n\ncd", 2048), crlf);
  EXPECT_EQ(readAll("ab\r\rcd", 2048), crlf);
  EXPECT_EQ(readAll("", 2048), (Lines{{0, ""}}));
}

TEST(TextArchive, LongLinesComeInPiecesOfSizeMinusOne) {
  EXPECT_EQ(readAll("abcdefghij", 4), (Lines{{3, "abc"}, {3, "def"}, {3, "ghi"}, {1, "j"}, {0, ""}}));
  EXPECT_EQ(readAll("abcdefghij\r\nk", 4), (Lines{{3, "abc"}, {3, "def"}, {3, "ghi"}, {2, "j"}, {1, "k"}, {0, ""}}));
  // A piece that fills the buffer exactly takes its line end along: no empty
  // line follows that is not in the text.
  EXPECT_EQ(readAll("abc\r\nde\nfgh\n", 4), (Lines{{4, "abc"}, {3, "de"}, {4, "fgh"}, {0, ""}}));
  // A buffer for no character returns at once instead of never advancing.
  EXPECT_EQ(readAll("abc", 1), (Lines{{0, ""}}));
  EXPECT_EQ(readAll("abc", 0), (Lines{{0, ""}}));
}

TEST(TextArchive, CrLfSplitAcrossTwoFillsIsOneLineEnd) {
  const QByteArray first(511, 'x');
  const Lines lines = readAll(first + "\r\nnext\r\n", 2048, 512);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (std::pair<UINT, std::string>{512, first.toStdString()}));
  EXPECT_EQ(lines[1], (std::pair<UINT, std::string>{5, "next"}));
  // Small buffers refill in the middle of lines and line ends alike.
  EXPECT_EQ(readAll("ab\r\ncd\r\n", 2048, 3), (Lines{{3, "ab"}, {3, "cd"}, {0, ""}}));
}

TEST(TextArchive, WritesCrLfLinesAndPutsAFileInPlaceOnlyOnClose) {
  CMemFile memory;
  {
    COrvoTextArchive archive(&memory, CArchive::store, 512);
    archive.WriteLine("0;65;C");
    archive.WriteText("xyz", 2);
    archive.WriteNewLine();
  }
  EXPECT_EQ(memory.GetData(), QByteArray("0;65;C\r\nxy\r\n\r\n"));

  tallix::test::TestEnvironment env;
  const QByteArray path = QFile::encodeName(env.dataFile("list.txt"));
  ASSERT_TRUE(tallix::test::writeFileContents(env.dataFile("list.txt"), "old"));
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.constData(), CFile::modeCreate | CFile::modeWrite));
    COrvoTextArchive archive(&file, CArchive::store, 512);
    archive.WriteLine("new");
    // Abandoned without Close: the old file stays.
  }
  CFile reader;
  ASSERT_TRUE(reader.Open(path.constData(), CFile::modeRead));
  char buf[16] = {};
  EXPECT_EQ(reader.Read(buf, sizeof buf), 3u);
  reader.Close();

  CFile file;
  ASSERT_TRUE(file.Open(path.constData(), CFile::modeCreate | CFile::modeWrite));
  {
    COrvoTextArchive archive(&file, CArchive::store, 512);
    archive.WriteLine("new");
  }
  file.Close();
  ASSERT_TRUE(reader.Open(path.constData(), CFile::modeRead));
  COrvoTextArchive in(&reader, CArchive::load, 512);
  char line[16];
  EXPECT_EQ(in.ReadLine(line, sizeof line), 4u);
  EXPECT_STREQ(line, "new");
  reader.Close();

  // A disk that fills while the buffered lines go out: the file stays whole.
  ASSERT_TRUE(file.Open(path.constData(), CFile::modeCreate | CFile::modeWrite));
  file.Write("longer line\r\n", 13);
  {
    tallix::test::FileSizeLimit full(4);
    EXPECT_THROW(file.Close(), CFileException);
  }
  EXPECT_EQ(tallix::test::fileContents(env.dataFile("list.txt")), QByteArray("new\r\n"));
}

TEST(ProgramVersion, RecordHasTheFixedLayout) {
  VS_FIXEDFILEINFO info;
  ASSERT_TRUE(GetProgramVersion(&info));
  BYTE record[kVersionRecordSize];
  StoreVersionRecord(info, record);
  const BYTE ms[4] = {BYTE(TALLIX_VERSION_MINOR), BYTE(TALLIX_VERSION_MINOR >> 8), BYTE(TALLIX_VERSION_MAJOR),
                      BYTE(TALLIX_VERSION_MAJOR >> 8)};
  const BYTE ls[4] = {BYTE(TALLIX_VERSION_TWEAK), BYTE(TALLIX_VERSION_TWEAK >> 8), BYTE(TALLIX_VERSION_PATCH),
                      BYTE(TALLIX_VERSION_PATCH >> 8)};
  const BYTE expected[kVersionRecordSize] = {
      0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00, ms[0], ms[1], ms[2], ms[3], ls[0], ls[1], ls[2], ls[3],
      ms[0], ms[1], ms[2], ms[3], ls[0], ls[1], ls[2], ls[3], 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x04, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::vector<BYTE>(record, record + 52), std::vector<BYTE>(expected, expected + 52));
  VS_FIXEDFILEINFO back{};
  LoadVersionRecord(record, &back);
  EXPECT_EQ(back.dwFileVersionMS, info.dwFileVersionMS);
  EXPECT_EQ(back.dwFileOS, 0x40004u);
  EXPECT_FALSE(GetProgramVersion(nullptr));
}

}  // namespace
