#include "services/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/KindIcons.h"
#include "datamodel/ModelLookups.h"
#include "platform/LanguageLibrary.h"
#include "platform/PrivateProfile.h"
#include "tests/support/TestEnvironment.h"

#include <QIcon>
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <vector>

using tallix::test::TestEnvironment;

TEST(ModelLookups, KnownCalculatorTypesAreComparedByteForByte) {
  for (const char* t : {"FXALGEBRA20", "GRPH100P", "FX9850", "FX7400"}) EXPECT_TRUE(IsKnownCalculatorType(t)) << t;
  for (const char* t : {"fx9850", "FX9850 ", "FX985", "", "CFX-9850G"}) EXPECT_FALSE(IsKnownCalculatorType(t)) << t;
  EXPECT_FALSE(IsKnownCalculatorType(nullptr));
}

TEST(ModelLookups, DefaultCalculatorIsTheSettingWhenSet) {
  TestEnvironment env;
  std::string model = "old";
  EXPECT_FALSE(GetDefaultCalculator(&model));
  EXPECT_EQ(model, "");
  ASSERT_TRUE(AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G"));
  EXPECT_TRUE(GetDefaultCalculator(&model));
  EXPECT_EQ(model, "CFX-9850G");
}

TEST(ModelLookups, CalculatorTypeComesFromTheModelList) {
  TestEnvironment env;
  env.writeProgramFile(QStringLiteral("QXGraph.lst"), "[AFX]\r\nCalculator Type=FXALGEBRA20\r\n");
  std::string type;
  ReadCalculatorSetting("AFX", &type);
  EXPECT_EQ(type, "FXALGEBRA20");
  ReadCalculatorSetting("Missing", &type);
  EXPECT_EQ(type, "FX9850");
}

TEST(CharConvertTable, FillsCharacterAndTableBytes) {
  TestEnvironment env;
  env.writeProgramFile(QStringLiteral("QXGraph.lst"),
                       "[Own]\r\nChar Convert Table=Own Table\r\n"
                       "[Blank]\r\nChar Convert Table=\r\n"
                       "[Plain]\r\nCalculator Type=FX7400\r\n");
  env.writeProgramFile(QStringLiteral("CharCnv.lst"),
                       "[Own Table]\r\n"
                       "5 Char=65\r\n"             // no table byte
                       "6 Char=66\r\n6 Table=127\r\n"
                       "7 Char=300\r\n7 Table=1\r\n"  // character out of range: nothing
                       "8 Char=67\r\n8 Table=256\r\n"  // table out of range: 0
                       "9 Char=-1\r\n"
                       "10 Table=5\r\n"             // a table byte alone: nothing
                       "254 Char=1\r\n255 Char=2\r\n"
                       "[Default Char Convert Table]\r\n65 Char=65\r\n");
  std::vector<DWORD> table(256, 0xDEADBEEF);
  ASSERT_TRUE(LoadCharConvertTable("Own", table.data(), 256));
  EXPECT_EQ(table[5], 65u);
  EXPECT_EQ(table[6], (127u << 16) | 66u);
  EXPECT_EQ(table[7], 0u);
  EXPECT_EQ(table[8], 67u);
  EXPECT_EQ(table[9], 0u);
  EXPECT_EQ(table[10], 0u);
  EXPECT_EQ(table[254], 1u);
  EXPECT_EQ(table[255], 0u);  // never filled
  EXPECT_EQ(table[0], 0u);

  // A model without the key takes the default section.
  ASSERT_TRUE(LoadCharConvertTable("Plain", table.data(), 256));
  EXPECT_EQ(table[65], 65u);
  EXPECT_EQ(table[5], 0u);

  // More entries than characters: the rest is cleared too.
  std::vector<DWORD> bigger(300, 7);
  ASSERT_TRUE(LoadCharConvertTable("Own", bigger.data(), 300));
  EXPECT_EQ(bigger[299], 0u);
}

TEST(CharConvertTable, ReadsTheListOnceForAllItsCharacters) {
  TestEnvironment env;
  env.writeProgramFile(QStringLiteral("QXGraph.lst"), "[Own]\r\nChar Convert Table=Own Table\r\n");
  QByteArray list = "[Own Table]\r\n";
  for (int i = 0; i < 100; ++i) list += QByteArray::number(i) + " Char=" + QByteArray::number(i + 1) + "\r\n";
  env.writeProgramFile(QStringLiteral("CharCnv.lst"), list);
  std::vector<DWORD> table(256, 0);
  const std::uint64_t before = tallix::iniSectionLinesRead();
  ASSERT_TRUE(LoadCharConvertTable("Own", table.data(), 256));
  // The table's 100 lines once, and the model's line.
  EXPECT_LE(tallix::iniSectionLinesRead() - before, 110u);
  EXPECT_EQ(table[99], 100u);
}

TEST(CharConvertTable, RefusesSmallTablesAndEmptySectionNames) {
  TestEnvironment env;
  env.writeProgramFile(QStringLiteral("QXGraph.lst"), "[Blank]\r\nChar Convert Table=\r\n");
  std::vector<DWORD> table(256, 7);
  EXPECT_FALSE(LoadCharConvertTable("Blank", table.data(), 256));
  EXPECT_FALSE(LoadCharConvertTable("Other", table.data(), 255));
  EXPECT_FALSE(LoadCharConvertTable("Other", nullptr, 256));
  EXPECT_EQ(table[0], 7u);  // untouched on failure
  // No list file at all: TRUE, every entry cleared.
  EXPECT_TRUE(LoadCharConvertTable("Other", table.data(), 256));
  EXPECT_EQ(table[0], 0u);
}

TEST(KindIcons, EveryKindHasItsIconAndUnknownKindsTheFallback) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  const std::pair<int, UINT> expected[] = {
      {1, 200},    {4001, 201}, {5001, 201}, {5002, 202}, {2, 203},    {4005, 204}, {5012, 204},
      {5004, 205}, {5010, 206}, {4008, 207}, {5015, 208}, {4014, 210}, {5019, 211}, {5008, 212},
      {4019, 213}, {5017, 214}, {4023, 215}, {5024, 133}, {0, 7373},   {5020, 7377}, {5021, 7378},
      {5003, 7379}, {5026, 7379}, {5022, 7380}, {5023, 7381}, {9999, 7367}, {5025, 7367}, {-1, 7367},
  };
  for (auto [kind, icon] : expected) EXPECT_EQ(KindIconId(kind), icon) << kind;

  // Every kind either recogniser can produce has an icon of its own in the
  // library, except the end of a transfer, which is never shown.
  std::vector<int> kinds = {0, 1};
  for (int k = 4001; k <= 4024; ++k) kinds.push_back(k);
  for (int k = 5001; k <= 5026; ++k) kinds.push_back(k);
  for (int kind : kinds) {
    if (KindIconId(kind) == kFallbackKindIcon) continue;
    EXPECT_FALSE(CLanguageLibrary::LoadIcon(KindIconId(kind)).isNull()) << kind;
  }
  QIcon icon;
  EXPECT_TRUE(LoadKindIcon(9999, &icon));
  EXPECT_FALSE(icon.isNull());
  EXPECT_TRUE(LoadKindIcon(kKindProgram, &icon));
  EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

TEST(KindIcons, WithoutTheLanguageLibraryNothingLoads) {
  TestEnvironment env;
  QIcon icon;
  EXPECT_FALSE(LoadKindIcon(kKindProgram, &icon));
  EXPECT_FALSE(LoadKindIcon(kKindProgram, nullptr));
}
