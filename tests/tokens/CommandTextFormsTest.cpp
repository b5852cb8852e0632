#include "tokens/CommandTextForms.h"
#include "tokens/CommandTree.h"

#include "tests/support/MemoryArchive.h"

#include <gtest/gtest.h>

namespace {

using Nodes = CQXCommandTreeNodes;

CQXCommandTreeNode folder(int level, const char* label) { return {level, label, 0, true}; }
CQXCommandTreeNode command(int level, const char* label, DWORD value) { return {level, label, value, false}; }

}  // namespace

TEST(CommandListText, ExportAndImport) {
  QXCOMMANDINFO info;
  info.Set(0, 65, "AB", "X", "Y");
  EXPECT_EQ(FormatCommandListLine(info, false, false), "0;65;C;\"AB\";\"X\";\"Y\"");
  EXPECT_EQ(FormatCommandListLine(info, true, true), "0;65;N;41h 42h ;\"X\";\"Y\"");
  EXPECT_EQ(FormatCommandListLine(info, true, false), "0;65;N;65 66 ;\"X\";\"Y\"");

  for (const char* line : {"0;65;n;65 66;\"X\"", "0;65;N;41h 42h ;\"X\";\"\"", "0x0;41h;C;\"AB\";X"}) {
    QXCOMMANDINFO back;
    ASSERT_TRUE(ParseCommandListLine(line, &back)) << line;
    EXPECT_EQ(back.table, 0);
    EXPECT_EQ(back.number, 65);
    EXPECT_STREQ(back.characters, "AB");
    EXPECT_STREQ(back.listText, "X");
    EXPECT_STREQ(back.description, "");
  }
  QXCOMMANDINFO back;
  EXPECT_FALSE(ParseCommandListLine("0;65;C", &back));
  EXPECT_FALSE(ParseCommandListLine("x;65;C;\"A\"", &back));
  EXPECT_FALSE(ParseCommandListLine("0;65;;\"A\"", &back));
  EXPECT_FALSE(ParseCommandListLine("0;65;N;z 1;\"A\"", &back));
  // Separators inside quotes stay in the field; doubled quotes are one.
  ASSERT_TRUE(ParseCommandListLine("247;1;C;\"a;\"\"b\";\"\";\"d\"", &back));
  EXPECT_STREQ(back.characters, "a;\"b");
  EXPECT_STREQ(back.description, "d");
  // A quote in any text goes out doubled and comes back whole, even in the
  // longest texts.
  const std::string quotes(kCommandDescriptionMax, '"');
  info.Set(0, 34, "\"", "a\"b", quotes.c_str());
  EXPECT_EQ(FormatCommandListLine(info, false, false).substr(0, 20), "0;34;C;\"\"\"\";\"a\"\"b\";\"");
  ASSERT_TRUE(ParseCommandListLine(FormatCommandListLine(info, false, false).c_str(), &back));
  EXPECT_STREQ(back.characters, "\"");
  EXPECT_STREQ(back.listText, "a\"b");
  EXPECT_EQ(back.description, quotes);
  // A byte 0 would cut the characters: such a line is refused.
  EXPECT_FALSE(ParseCommandListLine("0;65;N;65 256;\"X\"", &back));
  EXPECT_FALSE(ParseCommandListLine("0;65;N;0h;\"X\"", &back));
  // Over-long texts are cut to the table's limits.
  ASSERT_TRUE(ParseCommandListLine(("1;2;C;\"c\";\"" + std::string(80, 'l') + "\"").c_str(), &back));
  EXPECT_EQ(std::string(back.listText).size(), 64u);
}

TEST(CommandTreeText, LinesOfAnItemAndItsSubtree) {
  CQXTreeTextLine line;
  EXPECT_EQ(FormatTreeTextLine({true, 3, MakeCommandValue(0xF7, 0x01), "Cmd"}), "1;3;100F7;\"Cmd\"");
  ASSERT_TRUE(ParseTreeTextLine("1;40;100F7;\"Cmd\"", &line));
  EXPECT_EQ(line.level, 16);
  EXPECT_EQ(line.value, 0x100F7u);
  EXPECT_FALSE(ParseTreeTextLine("0;1;0", &line));
  EXPECT_FALSE(ParseTreeTextLine("0;1;0;", &line));

  const Nodes tree = {folder(1, "A"), folder(2, "B"), folder(3, "C"), command(4, "x", 0x10000), command(3, "y", 0x20000),
                      command(2, "z", 0x30000), folder(1, "D")};
  EXPECT_EQ(WriteTreeText(tree, 1),
            (std::vector<std::string>{"0;2;0;\"B\"", "0;3;0;\"C\"", "1;4;10000;\"x\"", "1;3;20000;\"y\""}));
  EXPECT_EQ(WriteTreeText(tree, 3), std::vector<std::string>{"1;4;10000;\"x\""});

  // Pasted onto a folder it goes inside, onto a command among its siblings.
  Nodes pasted = tree;
  const auto text = WriteTreeText(tree, 1);
  EXPECT_EQ(ReadTreeText(text, &pasted, 6), 7);
  EXPECT_EQ(pasted.size(), 11u);
  EXPECT_EQ(pasted[7], folder(2, "B"));
  EXPECT_EQ(pasted[9], command(4, "x", 0x10000));
  pasted = tree;
  EXPECT_EQ(ReadTreeText(text, &pasted, 5), 6);
  EXPECT_EQ(pasted[6], folder(2, "B"));
  EXPECT_EQ(pasted[10], folder(1, "D"));
}

TEST(CommandTreeStream, RecordsArePlacedAsTheControlPlacesThem) {
  tallix::test::MemoryArchive ar;
  // Level 3 after level 1 goes into the last folder inserted; a level above
  // the root's children climbs no further than the root.
  const Nodes written = {folder(1, "F"), folder(2, "G"), command(1, "a", 0x10000), command(3, "b", 0x20000),
                         command(0, "c", 0x30000)};
  WriteCommandTreeRecords(ar, written);
  ar.position_ = 0;
  Nodes read;
  ASSERT_TRUE(ReadCommandTreeRecords(ar, &read));
  EXPECT_EQ(read, (Nodes{folder(1, "F"), folder(2, "G"), command(3, "b", 0x20000), command(1, "a", 0x10000),
                         command(1, "c", 0x30000)}));

  // An over-long label ends the load with what was read.
  tallix::test::MemoryArchive bad;
  WriteCommandTreeRecords(bad, {folder(1, "F")});
  bad.bytes_.resize(bad.bytes_.size() - 4);
  for (DWORD v : {1u, 1024u}) {
    for (int i = 0; i < 4; ++i) bad.bytes_.push_back(BYTE(v >> (8 * i)));
  }
  bad.position_ = 0;
  EXPECT_FALSE(ReadCommandTreeRecords(bad, &read));
  EXPECT_EQ(read, Nodes{folder(1, "F")});
}

TEST(CommandTreeStream, NothingGoesBelowSixteenLevels) {
  const auto deepest = [](const Nodes& nodes) {
    int level = 0;
    for (const CQXCommandTreeNode& node : nodes) level = std::max(level, node.level);
    return level;
  };
  // Rising folders; and folders at level 2 between commands at level 1,
  // each of which the reader puts into the folder before.
  Nodes rising, alternating;
  for (int i = 1; i <= 40; ++i) {
    rising.push_back(folder(i, "r"));
    alternating.push_back(command(1, "c", 0x10000));
    alternating.push_back(folder(2, "a"));
  }
  for (const Nodes& written : {rising, alternating}) {
    tallix::test::MemoryArchive ar;
    WriteCommandTreeRecords(ar, written);
    ar.position_ = 0;
    Nodes read;
    ASSERT_TRUE(ReadCommandTreeRecords(ar, &read));
    EXPECT_EQ(read.size(), written.size());
    EXPECT_EQ(deepest(read), 16);
  }
  // Tree text whose first line sets a base far below the others.
  std::vector<std::string> lines{"0;-100000;0;\"b\""};
  lines.insert(lines.end(), 40, "0;16;0;\"t\"");
  Nodes pasted;
  ReadTreeText(lines, &pasted);
  EXPECT_EQ(pasted.size(), 41u);
  EXPECT_EQ(deepest(pasted), 16);
}

TEST(CommandTreeStream, SelectionPathAndTableAlignment) {
  const Nodes tree = {folder(1, "Maths"), command(2, "sin", 0x10000), command(2, "old", 0x20000)};
  std::vector<std::string> labels;
  ASSERT_TRUE(DecodeTreeSelectionPath(EncodeTreeSelectionPath({"Root", "Maths", "sin"}), &labels));
  int matched = 0;
  EXPECT_TRUE(MatchTreeSelectionPath("Root", tree, labels, &matched));
  EXPECT_EQ(matched, 1);
  EXPECT_FALSE(MatchTreeSelectionPath("Root", tree, {"Root", "maths"}, &matched));
  EXPECT_EQ(matched, -1);
  EXPECT_FALSE(DecodeTreeSelectionPath({'a', 0}, &labels));

  CQXCommandTable table;
  table.SetCommand(0, 1, "SIN", "", "");
  Nodes aligned = tree;
  AlignTreeWithTable(&aligned, table);
  EXPECT_EQ(aligned, (Nodes{folder(1, "Maths"), command(2, "SIN", 0x10000)}));
}
