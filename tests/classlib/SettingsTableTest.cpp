#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using tallix::test::TestEnvironment;
namespace settings = tallix::settings;
using settings::SettingType;

namespace {

// Sections the table's caller-chosen keys are tried under.
constexpr const char* kAnySection = "Cmd Tree Pane";

const char* sectionOf(const settings::SettingDefinition& d) { return d.section ? d.section : kAnySection; }

}  // namespace

TEST(SettingsTable, EveryKeyIsListedOnceWithAUsableDefault) {
  std::set<std::pair<std::string, std::string>> seen;
  for (const auto& d : settings::definitions()) {
    if (!d.key) continue;  // list column widths: section and key are the caller's
    EXPECT_TRUE(seen.emplace(d.section ? d.section : "", d.key).second) << d.key;
    EXPECT_EQ(settings::find(sectionOf(d), d.key), &d) << d.key;
    if (d.type == SettingType::String && d.hasDefault) {
      EXPECT_NE(d.stringDefault, nullptr) << d.key;
    }
    if (d.type == SettingType::Binary && d.hasDefault) {
      EXPECT_NE(d.binaryDefault, nullptr) << d.key;
    }
  }
  EXPECT_GE(seen.size(), 60u);
  EXPECT_EQ(settings::find("Settings", "No Such Key"), nullptr);
  EXPECT_EQ(settings::find("Colors", "Round to 10 Digits"), nullptr);  // known key, wrong section
}

TEST(SettingsTable, AbsentKeysReadAsTheTablesDefaultsAndStoredOnesWin) {
  TestEnvironment env;
  for (const auto& d : settings::definitions()) {
    if (!d.key || d.type == SettingType::Binary) continue;
    const char* section = sectionOf(d);
    if (d.type == SettingType::Integer) {
      EXPECT_EQ(settings::readInt(section, d.key), d.intDefault) << d.key;
      EXPECT_EQ(AppGetProfileInt(section, d.key, d.intDefault), d.intDefault) << d.key;
      ASSERT_TRUE(AppWriteProfileInt(section, d.key, d.intDefault + 7));
      EXPECT_EQ(settings::readInt(section, d.key), d.intDefault + 7) << d.key;
    } else {
      const std::string def = d.stringDefault ? d.stringDefault : "";
      EXPECT_EQ(settings::readString(section, d.key), def) << d.key;
      ASSERT_TRUE(AppWriteProfileString(section, d.key, "stored"));
      EXPECT_EQ(settings::readString(section, d.key), "stored") << d.key;
    }
  }
}

TEST(SettingsTable, SpotChecksOfDefaultsOtherCodeRelies) {
  TestEnvironment env;
  EXPECT_EQ(settings::readInt("Settings", "Query Rcv Overwrite"), 1);
  EXPECT_EQ(settings::readInt("Settings", "Calc Pane width"), 200);
  EXPECT_EQ(settings::readInt("Settings", "Data Page List Height"), 114);
  EXPECT_EQ(settings::readInt("Settings", "Max Columns Rows"), 255);
  EXPECT_EQ(settings::readString("Comm Settings", "Baud"), "9600");
  EXPECT_EQ(settings::readString("Comm Settings", "Cable"), "TALLIX");
  EXPECT_EQ(settings::readInt("Comm Settings", "RTS"), 1);
  EXPECT_EQ(settings::readInt("Colors", "Blue"), 0xFF0000);
  EXPECT_EQ(settings::readInt("Colors", "Orange max"), 0x9696FF);
  EXPECT_EQ(settings::readInt("Edit Cmd List", "Cmd Font Size Factor"), 1);
  EXPECT_EQ(settings::readInt("Any Pane", "LUC max"), 50);
  EXPECT_EQ(settings::readString("Settings", "Default Calculator"), "");
  EXPECT_EQ(settings::readInt("Settings", "Unknown"), 0);
  const auto* font = settings::find("Settings", "Program Editor Font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->type, SettingType::Binary);
}
