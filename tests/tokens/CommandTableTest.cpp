#include "tokens/QXCommandTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<std::string> enumerate(const CQXCommandTable& t) {
  std::vector<std::string> out;
  DWORD pos = 0;
  for (BOOL more = t.GetFirstCommand(&pos); more; more = t.GetNextCommand(&pos)) {
    int table = 0, number = 0, length = 0;
    char chars[257];
    EXPECT_TRUE(t.GetCommand(pos, &table, &number, chars, &length, nullptr, 0, nullptr, 0));
    out.push_back(std::to_string(table) + ":" + std::to_string(number) + ":" + chars);
  }
  return out;
}

std::vector<std::string> matches(const CQXCommandTable& t, const char* text, BOOL both) {
  std::vector<DWORD> values;
  t.MatchCommands(text, &values, both);
  std::vector<std::string> out;
  for (DWORD v : values) out.push_back(t.FindCommand(TextIndexTable(v), TextIndexNumber(v))->characters);
  return out;
}

}  // namespace

TEST(CommandTable, BlocksInFirstAppearanceOrderAndLimits) {
  CQXCommandTable t;
  ASSERT_TRUE(t.SetCommand(0xF7, 2, "b", "", ""));
  ASSERT_TRUE(t.SetCommand(0, 9, "z", "", ""));
  ASSERT_TRUE(t.SetCommand(0xF7, 1, "a", "", ""));
  ASSERT_TRUE(t.SetCommand(0, 9, "y", "", ""));  // replaces
  EXPECT_EQ(enumerate(t), (std::vector<std::string>{"247:1:a", "247:2:b", "0:9:y"}));
  EXPECT_EQ(t.GetCommandCount(), 3);

  // 255 is the end byte: never a command nor a lead byte.
  EXPECT_FALSE(t.SetCommand(0, 255, "x", "", ""));
  EXPECT_FALSE(t.SetCommand(255, 1, "x", "", ""));
  EXPECT_FALSE(t.SetCommand(256, 1, "x", "", ""));
  EXPECT_FALSE(t.SetCommand(-1, 1, "x", "", ""));
  const std::string chars256(256, 'c'), chars257(257, 'c');
  EXPECT_TRUE(t.SetCommand(1, 1, chars256.c_str(), std::string(70, 'l').c_str(), std::string(1100, 'd').c_str()));
  EXPECT_FALSE(t.SetCommand(1, 2, chars257.c_str(), "", ""));
  QXCOMMANDINFO info;
  ASSERT_TRUE(t.LookupCommand(1, 1, &info));
  EXPECT_EQ(std::string(info.characters), chars256);
  EXPECT_EQ(std::string(info.listText).size(), 64u);
  EXPECT_EQ(std::string(info.description).size(), 1024u);

  // An emptied block stays and is reused in its place.
  ASSERT_TRUE(t.RemoveCommand(0xF7, 1));
  ASSERT_TRUE(t.RemoveCommand(0xF7, 2));
  EXPECT_FALSE(t.RemoveCommand(0xF7, 2));
  EXPECT_EQ(enumerate(t), (std::vector<std::string>{"0:9:y", "1:1:" + chars256}));
  ASSERT_TRUE(t.SetCommand(0xF7, 5, "e", "", ""));
  EXPECT_EQ(enumerate(t).front(), "247:5:e");

  CQXCommandTable copy;
  copy.SetCommand(9, 9, "old", "", "");
  copy.RemoveAll();
  copy.CopyFrom(t);
  EXPECT_EQ(enumerate(copy), enumerate(t));
}

TEST(CommandTable, TextIndexAndMatching) {
  CQXCommandTable t;
  EXPECT_FALSE(t.BuildTextIndex());
  t.SetCommand(0, 1, "Ab", "", "");
  t.SetCommand(0, 2, "B", "", "");
  t.SetCommand(0, 3, "ABC ", "", "");
  t.SetCommand(0, 4, "Abc", "", "");
  t.SetCommand(0, 5, "  ", "", "");  // blank: not indexed
  t.SetCommand(0x7F, 6, "lo", "", "");
  t.SetCommand(0x7F, 7, "L", "", "");
  t.SetCommand(0x7F, 8, "Log", "", "");
  t.SetCommand(0x7F, 9, "lOCATE", "", "");
  ASSERT_TRUE(t.BuildTextIndex());
  std::vector<std::string> order;
  for (DWORD v : t.GetTextIndex()) order.push_back(t.FindCommand(TextIndexTable(v), TextIndexNumber(v))->characters);
  EXPECT_EQ(order, (std::vector<std::string>{"lOCATE", "Abc", "ABC ", "Log", "Ab", "lo", "B", "L"}));
  EXPECT_EQ(TextIndexLength(t.GetTextIndex()[2]), 3);

  EXPECT_EQ(matches(t, "Lo", TRUE), (std::vector<std::string>{"lOCATE", "Log", "lo", "L"}));
  EXPECT_EQ(matches(t, " Lo ", FALSE), (std::vector<std::string>{"lo", "L"}));
  EXPECT_TRUE(matches(t, "  ", TRUE).empty());
}

TEST(CommandTable, TrimText) {
  char text[] = " \t ab c \r\n";
  char* start = nullptr;
  EXPECT_EQ(CQXCommandTable::TrimText(text, &start), 4);
  EXPECT_STREQ(start, "ab c");
  char blank[] = "   ";
  EXPECT_EQ(CQXCommandTable::TrimText(blank, &start), 0);
}
