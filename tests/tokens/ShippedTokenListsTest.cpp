// The shipped token lists as a program page uses them: every byte code a
// calculator can hold has a text.
#include "tokens/CalcTokenBytes.h"
#include "tokens/QXTokenTextMap.h"
#include "tokens/TokenListFile.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class ShippedTokenLists : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedTokenLists, EveryCodeDecodesWithoutAPlaceholderSign) {
  const QString file = QDir(tallix::test::TestEnvironment::builtProgramDir()).filePath(QString::fromUtf8(GetParam()));
  CQXCommandTable table;
  ASSERT_TRUE(ReadCommandTable(QFile::encodeName(file).constData(), &table)) << file.toStdString();
  CQXTokenTextMap map;
  FillTokenTextMap(table, &map);
  // A program of every one-byte code and every two-byte code, decoded as the
  // editor decodes calculator bytes.
  std::vector<BYTE> program;
  for (int b = 0; b < 255; ++b) {
    if (map.IsLeadByte(UINT(b))) {
      for (int n = 0; n < 255; ++n) program.insert(program.end(), {BYTE(b), BYTE(n)});
    } else {
      program.push_back(BYTE(b));
    }
  }
  const std::vector<CalcByteToken> tokens = SplitCalcTokens(program.data(), int(program.size()), &map);
  int missing = 0;
  for (const CalcByteToken& t : tokens)
    if (!map.Lookup(t.word)) ++missing;
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(tokens.size(), std::size_t(255 - 3 + 3 * 255));
  ASSERT_NE(map.Lookup(0xCE00), nullptr);
  EXPECT_STREQ(map.Lookup(0xCE00)->GetText(), "\xCE");
  EXPECT_STREQ(map.Lookup(0xA17F)->GetText(), "an\x89" "1");
  // Real commands of each block, not placeholders.
  EXPECT_STREQ(map.Lookup(0x00F7)->GetText(), "If ");
  EXPECT_STREQ(map.Lookup(0x8F7F)->GetText(), "Getkey");
  EXPECT_STREQ(map.Lookup(0x8100)->GetText(), "sin ");
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedTokenLists, ::testing::Values("QXToken.tok", "QXTokenV5.tok"));

}  // namespace
