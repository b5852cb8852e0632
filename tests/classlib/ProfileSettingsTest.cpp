#include "classlib/ProfileSettings.h"
#include "classlib/RegistryReader.h"
#include "platform/PrivateProfile.h"
#include "platform/Profile.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

using tallix::test::TestEnvironment;

TEST(ProfileSettings, AbsentValuesGiveTheirDefaults) {
  TestEnvironment env;
  EXPECT_EQ(AppGetProfileInt("Settings", "Round to 10 Digits", 1), 1);
  std::string s = "old";
  EXPECT_EQ(*AppGetProfileString(&s, "Comm Settings", "Port", nullptr), "");
  EXPECT_EQ(*AppGetProfileString(&s, "Comm Settings", "Port", "COM1"), "COM1");
  BYTE* data = reinterpret_cast<BYTE*>(1);
  UINT size = 7;
  EXPECT_FALSE(AppGetProfileBinary("Settings", "Program Editor Font", &data, &size));
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST(ProfileSettings, ValuesRoundTripInTheApplicationsProfile) {
  TestEnvironment env;
  ASSERT_TRUE(AppWriteProfileInt("Settings", "Round to 10 Digits", 0));
  ASSERT_TRUE(AppWriteProfileInt("Colors", "Negative", -5));
  ASSERT_TRUE(AppWriteProfileString("Token View", "Name", "caf\xE9 \x80"));
  const BYTE bytes[] = {0, 1, 0xFF, 0x80};
  ASSERT_TRUE(AppWriteProfileBinary("Settings", "Blob", bytes, sizeof bytes));
  ASSERT_TRUE(AppWriteProfileBinary("Settings", "Empty", nullptr, 0));

  EXPECT_EQ(AppGetProfileInt("Settings", "Round to 10 Digits", 1), 0);
  EXPECT_EQ(AppGetProfileInt("Colors", "Negative", 0), -5);
  std::string s;
  EXPECT_EQ(*AppGetProfileString(&s, "Token View", "Name", ""), "caf\xE9 \x80");
  BYTE* data = nullptr;
  UINT size = 0;
  ASSERT_TRUE(AppGetProfileBinary("Settings", "Blob", &data, &size));
  std::unique_ptr<BYTE[]> owned(data);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(std::vector<BYTE>(data, data + size), std::vector<BYTE>(bytes, bytes + 4));
  std::vector<BYTE> empty{1};
  EXPECT_TRUE(tallix::profileBinary("Settings", "Empty", &empty));
  EXPECT_TRUE(empty.empty());

  // The profile is the application's own: organisation and application name.
  QSettings direct(QStringLiteral("Brindlewood"), QStringLiteral("TALLIX"));
  EXPECT_EQ(direct.value(QStringLiteral("Colors/Negative")).toInt(), -5);
  EXPECT_TRUE(direct.fileName().startsWith(env.settingsDir()));
}

TEST(ProfileSettings, NonNumericIntegersReadAsTheDefault) {
  TestEnvironment env;
  ASSERT_TRUE(AppWriteProfileString("Settings", "Odd", "abc"));
  EXPECT_EQ(AppGetProfileInt("Settings", "Odd", 9), 9);
  EXPECT_FALSE(AppWriteProfileBinary("Settings", "Bad", nullptr, 3));
}

// The profile is a file from outside: a FIFO or a file past the bound at its
// place is never opened or read, nor written over. The program runs on the
// defaults and keeps what it writes for the session.
TEST(ProfileSettings, AProfileThatIsNoSoundFileIsNeitherReadNorWrittenOver) {
  TestEnvironment env;
  const QString path = tallix::profileFilePath();
  ASSERT_TRUE(path.startsWith(env.settingsDir()));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  {
    tallix::test::FifoWatch fifo(path);
    ASSERT_TRUE(fifo.made());
    EXPECT_FALSE(fifo.openedDuring([] {
      EXPECT_EQ(AppGetProfileInt("Settings", "Toolbar", 7), 7);
      EXPECT_FALSE(AppWriteProfileInt("Settings", "Toolbar", 3));
      EXPECT_EQ(AppGetProfileInt("Settings", "Toolbar", 7), 3);
      EXPECT_FALSE(AppWriteProfileString("Settings", "Name", "kept"));
      std::string read;
      EXPECT_TRUE(ReadRegistryString("HKEY_CURRENT_USER\\Software\\Brindlewood\\TALLIX\\Settings", "Name", "",
                                     &read));
      EXPECT_EQ(read, "kept");
    }));
    struct stat st {};
    ASSERT_EQ(::stat(fifo.path(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
  }

  QByteArray large = "[Settings]\nLarge=5\n";
  large.append(QByteArray(qsizetype(kMaxProfileFileSize), ';'));
  ASSERT_TRUE(tallix::test::writeFileContents(path, large));
  EXPECT_EQ(AppGetProfileInt("Settings", "Large", 7), 7);
  EXPECT_FALSE(AppWriteProfileInt("Settings", "Large", 4));
  EXPECT_EQ(tallix::test::fileContents(path), large);

  // Within the bound it is the profile again.
  large.resize(large.indexOf(';'));
  ASSERT_TRUE(tallix::test::writeFileContents(path, large));
  EXPECT_EQ(AppGetProfileInt("Settings", "Large", 7), 5);
  EXPECT_TRUE(AppWriteProfileInt("Settings", "Large", 6));
  EXPECT_TRUE(tallix::test::fileContents(path).contains("Large=6"));
}
