#include "platform/PrivateProfile.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

class PrivateProfile : public ::testing::Test {
 protected:
  void write(const char* text) { env.writeProgramFile(QStringLiteral("test.ini"), QByteArray(text)); }
  std::string read(const char* section, const char* key, const char* def = "", DWORD size = 260) {
    std::vector<char> buf(size + 1, '#');
    const DWORD n = GetPrivateProfileString(section, key, def, buf.data(), size, path.c_str());
    EXPECT_EQ(buf[n], '\0');
    return std::string(buf.data(), n);
  }
  // A NUL-separated list as a vector; also checks the double NUL at its end.
  std::vector<std::string> list(DWORD n, const std::vector<char>& buf) {
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < n) {
      std::string item(&buf[pos]);
      pos += item.size() + 1;
      items.push_back(item);
    }
    EXPECT_EQ(buf[n], '\0');
    return items;
  }
  QByteArray contents() {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  TestEnvironment env;
  std::string path = env.programFile(QStringLiteral("test.ini")).toStdString();
};

TEST_F(PrivateProfile, NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted) {
  write("; leading comment\r\n"
        "[Comm Settings]\r\n"
        "  Port =  2  \r\n"
        "Name=\t\"  spaced  \"\r\n"
        "Single='x'\r\n"
        "Unmatched=\"abc'\r\n"
        "Empty=\r\n"
        "Port=9\r\n"
        "[comm settings]\r\n"
        "Other=1\r\n");
  EXPECT_EQ(read("COMM SETTINGS", "port"), "2");  // the first occurrence wins
  EXPECT_EQ(read("Comm Settings", "Name"), "  spaced  ");
  EXPECT_EQ(read("Comm Settings", "Single"), "x");
  EXPECT_EQ(read("Comm Settings", "Unmatched"), "\"abc'");
  EXPECT_EQ(read("Comm Settings", "Empty", "dflt"), "");
  EXPECT_EQ(read("Comm Settings", "Other", "dflt"), "dflt");  // only the first section of a name is read
}

TEST_F(PrivateProfile, MissingKeysSectionsAndFilesGiveTheDefault) {
  write("[A]\nx=1\n");
  EXPECT_EQ(read("A", "y", "fallback   "), "fallback");  // trailing blanks of the default go
  EXPECT_EQ(read("B", "x", nullptr), "");
  path = env.programFile(QStringLiteral("missing.ini")).toStdString();
  EXPECT_EQ(read("A", "x", "d"), "d");
  EXPECT_EQ(GetPrivateProfileInt("A", "x", 42, path.c_str()), 42u);
  char buf[16];
  EXPECT_EQ(GetPrivateProfileSection("A", buf, sizeof buf, path.c_str()), 0u);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(buf[1], '\0');
}

TEST_F(PrivateProfile, LongValuesAreCutToTheBuffer) {
  write("[S]\nk=abcdefghij\n");
  EXPECT_EQ(read("S", "k", "", 5), "abcd");
  EXPECT_EQ(read("S", "k", "", 11), "abcdefghij");
  EXPECT_EQ(read("S", "missing", "0123456789", 4), "012");
  char one[1] = {'#'};
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", one, 1, path.c_str()), 0u);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", one, 0, path.c_str()), 0u);
}

TEST_F(PrivateProfile, IntegersTakeASignAndDigits) {
  write("[N]\nneg=-12abc\npos=+7\nword=abc\nhex=0x10\nempty=\nspaced=  33 \nbig=4294967297\n");
  EXPECT_EQ(int(GetPrivateProfileInt("N", "neg", 5, path.c_str())), -12);
  EXPECT_EQ(GetPrivateProfileInt("N", "pos", 5, path.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileInt("N", "word", 5, path.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileInt("N", "hex", 5, path.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileInt("N", "spaced", 5, path.c_str()), 33u);
  EXPECT_EQ(GetPrivateProfileInt("N", "empty", 5, path.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileInt("N", "missing", -1, path.c_str()), 0xFFFFFFFFu);
  EXPECT_EQ(GetPrivateProfileInt("N", "big", 0, path.c_str()), 1u);  // 32-bit wrap
}

TEST_F(PrivateProfile, SectionsReadAsRawLines) {
  write("[Calculator]\n"
        "CFX-9850G\n"
        "  ; a comment\n"
        "\n"
        "  fx-7400G  \n"
        "Key = Value \n"
        "[Next]\nz=1\n");
  std::vector<char> buf(256, '#');
  const DWORD n = GetPrivateProfileSection("calculator", buf.data(), 256, path.c_str());
  EXPECT_EQ(list(n, buf), (std::vector<std::string>{"CFX-9850G", "fx-7400G", "Key=Value"}));
  EXPECT_EQ(buf[n + 1], '#');  // nothing written past the double NUL
}

TEST_F(PrivateProfile, NameListsEndInTwoNulsAndAreCutWhole) {
  write("[One]\na=1\nbb=2\n[Two]\n[Three]\n");
  std::vector<char> buf(64, '#');
  DWORD n = GetPrivateProfileString(nullptr, nullptr, "", buf.data(), 64, path.c_str());
  EXPECT_EQ(list(n, buf), (std::vector<std::string>{"One", "Two", "Three"}));
  n = GetPrivateProfileString("one", nullptr, "", buf.data(), 64, path.c_str());
  EXPECT_EQ(list(n, buf), (std::vector<std::string>{"a", "bb"}));

  std::fill(buf.begin(), buf.end(), '#');
  n = GetPrivateProfileString(nullptr, nullptr, "", buf.data(), 7, path.c_str());
  EXPECT_EQ(n, 5u);  // size - 2
  EXPECT_EQ(buf[5], '\0');
  EXPECT_EQ(buf[6], '\0');
  EXPECT_EQ(std::string(buf.data()), "One");
  EXPECT_EQ(buf[7], '#');
}

TEST_F(PrivateProfile, AListThatFillsTheBufferToItsLastByteWritesNoFurther) {
  // "One" and "Two" take 8 of the 9 characters: the last holds the final
  // NUL, and "Three" has no room at all.
  write("[One]\n[Two]\n[Three]\n");
  std::vector<char> buf(16, '#');
  const DWORD n = GetPrivateProfileString(nullptr, nullptr, "", buf.data(), 9, path.c_str());
  EXPECT_EQ(n, 7u);  // size - 2: cut
  EXPECT_EQ(list(n, buf), (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(buf[8], '\0');
  EXPECT_EQ(std::string(buf.begin() + 9, buf.end()), std::string(7, '#'));
}

TEST_F(PrivateProfile, WritesKeepTheRestOfTheFile) {
  write("; list of cables\r\n[Cables]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("cables", "a", "10", path.c_str()));  // the key keeps its spelling
  ASSERT_TRUE(WritePrivateProfileString("Cables", "New", "x y", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Fresh", "K", "v", path.c_str()));
  EXPECT_EQ(contents(), QByteArray("; list of cables\r\n[Cables]\r\nA=10\r\nNew=x y\r\n\r\n[Other]\r\nB=2\r\n[Fresh]\r\nK=v\r\n"));

  ASSERT_TRUE(WritePrivateProfileString("Cables", "New", nullptr, path.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Other", nullptr, nullptr, path.c_str()));
  EXPECT_EQ(contents(), QByteArray("; list of cables\r\n[Cables]\r\nA=10\r\n\r\n[Fresh]\r\nK=v\r\n"));
}

TEST_F(PrivateProfile, WritingCreatesTheFileAndSectionsCanBeEmptied) {
  ASSERT_TRUE(WritePrivateProfileString("Menu", "Count", "2", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Menu", "Item1", "A", path.c_str()));
  EXPECT_EQ(read("Menu", "Count"), "2");
  ASSERT_TRUE(WritePrivateProfileSection("Menu", "\0", path.c_str()));
  EXPECT_EQ(read("Menu", "Count", "none"), "none");
  std::vector<char> buf(64, '#');
  const DWORD n = GetPrivateProfileString(nullptr, nullptr, "", buf.data(), 64, path.c_str());
  EXPECT_EQ(list(n, buf), std::vector<std::string>{"Menu"});  // the header stays
  ASSERT_TRUE(WritePrivateProfileSection("Menu", "x=1\0y=2\0", path.c_str()));
  EXPECT_EQ(read("Menu", "y"), "2");
}

TEST_F(PrivateProfile, AFailedWriteLeavesTheFileAsItWas) {
  const std::string bad = env.programFile(QStringLiteral("no/such/dir/test.ini")).toStdString();
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", bad.c_str()));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(bad)));
}

// A file over its bound is not read at all, and a write cannot replace it
// with the one line written.
TEST_F(PrivateProfile, AFileOverItsBoundReadsAsEmptyAndIsNeverWrittenOver) {
  QByteArray big("[S]\nk=v\n");
  big.append(QByteArray(int(kMaxProfileFileSize) - big.size(), ';'));
  env.writeProgramFile(QStringLiteral("test.ini"), big);
  EXPECT_EQ(read("S", "k", "d"), "v");
  big.append('\n');
  env.writeProgramFile(QStringLiteral("test.ini"), big);
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "w", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileSection("S", "k=w\0", path.c_str()));
  EXPECT_EQ(contents(), big);
}

TEST_F(PrivateProfile, ConvenienceReadersShareTheParser) {
  write("[S]\nk = \"v\" \nflag\n");
  std::string v;
  ASSERT_TRUE(tallix::iniReadValue(path, "s", "K", &v));
  EXPECT_EQ(v, "v");
  EXPECT_FALSE(tallix::iniReadValue(path, "s", "none", &v));
  const auto entries = tallix::iniSectionEntries(path, "S");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, "\"v\"");
  EXPECT_FALSE(entries[1].hasValue);
}

}  // namespace
