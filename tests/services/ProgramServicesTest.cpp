#include "services/ProgramServices.h"
#include "datamodel/ModelLookups.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

std::string folder(const char* path, UINT size = 260) {
  char buf[260] = "#";
  const UINT n = GetItemFolderPath(path, buf, size);
  return n ? std::string(buf, n) : std::string("<0>");
}

std::string name(const char* path, UINT size = 260) {
  char buf[260] = "#";
  const UINT n = GetItemNameFromPath(path, buf, size);
  return n ? std::string(buf, n) : std::string("<0>");
}

TEST(ItemPaths, FolderAndNameAreCutAtTheLastBackslash) {
  EXPECT_EQ(folder("\\Calculator\\Program\\A"), "\\Calculator\\Program");
  EXPECT_EQ(folder("\\A"), "\\");
  EXPECT_EQ(folder(""), "<0>");
  EXPECT_EQ(folder("A\\B"), "<0>");              // must begin with a backslash
  EXPECT_EQ(folder("\\A\\B", 1), "<0>");         // no room at all
  EXPECT_EQ(folder("\\AB\\C", 3), "<0>");        // "\AB" needs 4 with its NUL
  EXPECT_EQ(folder("\\AB\\C", 4), "\\AB");

  EXPECT_EQ(name("\\Calculator\\Program\\A"), "A");
  EXPECT_EQ(name("NoSlash"), "<0>");
  EXPECT_EQ(name(""), "<0>");
  EXPECT_EQ(name("\\ABC", 3), "<0>");
  EXPECT_EQ(name("\\ABC", 4), "ABC");
}

TEST(ProgramFilePath, JoinsTheProgramDirectoryAndRefusesSmallBuffers) {
  TestEnvironment env;
  const std::string expected = QDir(env.programDir()).filePath(QStringLiteral("QXGraph.lst")).toStdString();
  EXPECT_EQ(GetProgramFilePath("QXGraph.lst"), expected);
  std::vector<char> buf(expected.size() + 1);
  EXPECT_TRUE(GetProgramFilePath("QXGraph.lst", buf.data(), UINT(buf.size())));
  EXPECT_EQ(std::string(buf.data()), expected);
  EXPECT_FALSE(GetProgramFilePath("QXGraph.lst", buf.data(), UINT(buf.size() - 1)));
  EXPECT_EQ(buf[0], '\0');
}

class ModelList : public ::testing::Test {
 protected:
  void SetUp() override {
    QByteArray list("[Calculator]\r\n"
                    "CFX-9850G\r\n"
                    "ALGEBRA FX 2.0\r\n"
                    "[CFX-9850G]\r\n"
                    "Calculator Type=FX9850\r\n"
                    "Comm=9600,0,1,1\r\n"
                    "Picture Format=3,0,1,D,W,F\r\n"
                    "Screen Size=128,64\r\n"
                    "Display Width=21\r\n"
                    "[Narrow]\r\n"
                    "Picture Format=1,0,1,R,W,F\r\n"
                    "Screen Size=96\r\n"
                    "Token List=Tokens\\Narrow.tok\r\n"
                    "[TooLong]\r\n"
                    "Screen Size=128,64\r\n");
    // 61 characters that would parse.
    list += "Picture Format=" + QByteArray("1,0,1,R,W,F").leftJustified(60, ' ') + "x\r\n";
    env.writeProgramFile(QStringLiteral("QXGraph.lst"), list);
  }
  TestEnvironment env;
};

TEST_F(ModelList, ReadsEachModelsKeysWithDefaults) {
  std::string s;
  ReadModelType("CFX-9850G", &s);
  EXPECT_EQ(s, "FX9850");
  ReadModelType("Unknown", &s);
  EXPECT_EQ(s, "FX9850");
  EXPECT_EQ(*ReadModelString(&s, "CFX-9850G", "Comm", ""), "9600,0,1,1");
  EXPECT_EQ(*ReadModelString(&s, "Unknown", "Comm", nullptr), "");
  EXPECT_EQ(ReadModelInt("CFX-9850G", "Display Width", 0), 21);
  EXPECT_EQ(ReadModelInt("Narrow", "Color", 1), 1);
}

TEST_F(ModelList, TokenListsAreAlwaysBelowTheProgramDirectory) {
  std::string s;
  ReadModelTokenList("CFX-9850G", &s);
  EXPECT_EQ(s, env.programFile(QStringLiteral("QXToken.tok")).toStdString());
  ReadModelTokenList("Narrow", &s);
  EXPECT_EQ(s, env.programFile(QStringLiteral("Tokens/Narrow.tok")).toStdString());
}

TEST_F(ModelList, ScreenFormatsComeFromPictureFormatAndScreenSize) {
  ScreenFormat f;
  ASSERT_TRUE(ReadScreenFormat("CFX-9850G", &f));
  EXPECT_EQ(f.size, 48);
  EXPECT_EQ(f.flags, 1);
  EXPECT_EQ(f.width, 128);
  EXPECT_EQ(f.height, 64);
  EXPECT_EQ(f.planes, 3);
  EXPECT_EQ(f.extra, 0);
  EXPECT_EQ(f.origin, 1);
  EXPECT_EQ(f.scan, 'D');
  EXPECT_EQ(f.ink, 'W');
  EXPECT_EQ(f.bitOrder, 'F');

  ASSERT_TRUE(ReadScreenFormat("Narrow", &f));
  EXPECT_EQ(f.width, 96);
  EXPECT_EQ(f.height, 64);  // missing from the text

  ScreenFormat untouched;
  untouched.width = 7;
  EXPECT_FALSE(ReadScreenFormat("TooLong", &untouched));  // 61 characters
  EXPECT_FALSE(ReadScreenFormat("Unknown", &untouched));
  EXPECT_EQ(untouched.width, 7);
}

TEST_F(ModelList, TheChooserListIsTheCalculatorSection) {
  CalculatorModelList list;
  ASSERT_TRUE(list.Load(env.programFile(QStringLiteral("QXGraph.lst")).toStdString().c_str()));
  ASSERT_EQ(list.GetCount(), 2);
  std::string s;
  EXPECT_TRUE(list.GetAt(1, &s));
  EXPECT_EQ(s, "ALGEBRA FX 2.0");
  EXPECT_FALSE(list.GetAt(2, &s));
  EXPECT_FALSE(list.GetAt(-1, &s));

  CalculatorModelList none;
  EXPECT_TRUE(none.Load(env.programFile(QStringLiteral("missing.lst")).toStdString().c_str()));
  EXPECT_EQ(none.GetCount(), 0);
}

}  // namespace
