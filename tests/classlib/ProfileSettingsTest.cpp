#include "classlib/ProfileSettings.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

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
