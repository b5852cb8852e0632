#include "classlib/ProfileSettings.h"
#include "classlib/RegistryReader.h"
#include "tests/support/TestEnvironment.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <string>

using tallix::test::TestEnvironment;

namespace {

constexpr const char* kMenuKey = "HKEY_CURRENT_USER\\Software\\Brindlewood\\TALLIX\\Menus";

// The value read, or "FALSE".
std::string read(const char* path, const char* name, const char* def = "dflt", bool expand = false) {
  std::string out = "untouched";
  const BOOL ok = expand ? ReadRegistryStringExpandRoot(path, name, def, &out) : ReadRegistryString(path, name, def, &out);
  if (!ok) return out == "untouched" ? "FALSE" : "FALSE but changed";
  return out;
}

void setDefaultValue(const char* section, const char* text) {
  QSettings(QStringLiteral("Brindlewood"), QStringLiteral("TALLIX"))
      .setValue(QString::fromLatin1(section) + QStringLiteral("/."), QString::fromLatin1(text));
}

}  // namespace

TEST(RegistryReader, ReadsTextsOfTheProfilesOwnKey) {
  TestEnvironment env;
  ASSERT_TRUE(AppWriteProfileString("Menus", "Tools", "C:\\Tools\\menu.ini"));
  ASSERT_TRUE(AppWriteProfileString("Menus", "Empty", ""));
  EXPECT_EQ(read(kMenuKey, "Tools"), "C:\\Tools\\menu.ini");
  // Key names are compared as the registry does, without regard to case.
  EXPECT_EQ(read("HKEY_CURRENT_USER\\SOFTWARE\\brindlewood\\Tallix\\menus", "TOOLS"), "C:\\Tools\\menu.ini");
  // An empty value gives the caller's default.
  EXPECT_EQ(read(kMenuKey, "Empty"), "dflt");
  EXPECT_EQ(read(kMenuKey, "Empty", nullptr), "");
}

TEST(RegistryReader, AnswersFalseForEverythingItCannotRead) {
  TestEnvironment env;
  ASSERT_TRUE(AppWriteProfileString("Menus", "Tools", "x"));
  const BYTE bytes[] = {1, 2, 3};
  ASSERT_TRUE(AppWriteProfileBinary("Menus", "Blob", bytes, sizeof bytes));
  ASSERT_TRUE(AppWriteProfileString("Menus", "Long", std::string(1024, 'L').c_str()));
  ASSERT_TRUE(AppWriteProfileString("Menus", "Longest", std::string(1023, 'L').c_str()));

  EXPECT_EQ(read("HKEY_CLASSES_ROOT\\Software\\Brindlewood\\TALLIX\\Menus", "Tools"), "FALSE");
  EXPECT_EQ(read("HKEY_CURRENT_USER", "Tools"), "FALSE");                        // no '\'
  EXPECT_EQ(read("hkey_current_user\\Software\\Brindlewood\\TALLIX\\Menus", "Tools"), "FALSE");  // root is case-sensitive
  EXPECT_EQ(read("HKEY_LOCAL_MACHINE\\Software\\Brindlewood\\TALLIX\\Menus", "Tools"), "FALSE");
  EXPECT_EQ(read("HKEY_CURRENT_USER\\Software\\Other\\TALLIX\\Menus", "Tools"), "FALSE");
  EXPECT_EQ(read("HKEY_CURRENT_USER\\Software\\Brindlewood\\TALLIX\\Nothing", "Tools"), "FALSE");
  EXPECT_EQ(read("HKEY_CURRENT_USER\\Software\\Brindlewood\\TALLIX\\\\Menus", "Tools"), "FALSE");
  EXPECT_EQ(read(kMenuKey, "Missing"), "FALSE");
  EXPECT_EQ(read(kMenuKey, "Blob"), "FALSE");     // not a text
  EXPECT_EQ(read(kMenuKey, "Long"), "FALSE");     // 1024 characters and the NUL exceed 1024 bytes
  EXPECT_EQ(read(kMenuKey, "Longest").size(), 1023u);
  EXPECT_EQ(read(nullptr, "Tools"), "FALSE");
}

TEST(RegistryReader, RootPrefixIsReplacedByTheKeysDefaultValue) {
  TestEnvironment env;
  ASSERT_TRUE(AppWriteProfileString("Menus", "Bin", "%root%\\bin"));
  ASSERT_TRUE(AppWriteProfileString("Menus", "Plain", "C:\\Other"));
  EXPECT_EQ(read(kMenuKey, "Bin", "", true), "%root%\\bin");  // no default value yet: unchanged, still TRUE
  setDefaultValue("Menus", "C:\\App");
  EXPECT_EQ(read(kMenuKey, "Bin", "", true), "C:\\App\\bin");
  EXPECT_EQ(read(kMenuKey, "Plain", "", true), "C:\\Other");
  EXPECT_EQ(read(kMenuKey, "", "", false), "C:\\App");         // the default value itself
  EXPECT_EQ(read(kMenuKey, "Missing", "", true), "FALSE");
}
