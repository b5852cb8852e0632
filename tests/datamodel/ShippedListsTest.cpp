// The model list and character conversion list the program ships with.
#include "services/ProgramServices.h"
#include "datamodel/ModelLookups.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

struct Comm {
  unsigned fixed = 0, parity = 0, baud = 0, screenBaud = 0, protocol = 4;
  int count = 0;
};

Comm readComm(const std::string& model) {
  std::string text;
  ReadModelString(&text, model.c_str(), "Comm", nullptr);
  Comm c;
  c.count = std::sscanf(text.c_str(), "%u,%u,%u,%u,%u", &c.fixed, &c.parity, &c.baud, &c.screenBaud, &c.protocol);
  return c;
}

class ShippedLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("CharCnv.lst")));
    CalculatorModelList list;
    ASSERT_TRUE(list.Load(GetProgramFilePath("QXGraph.lst").c_str()));
    for (int i = 0; i < list.GetCount(); ++i) {
      std::string name;
      list.GetAt(i, &name);
      models.push_back(name);
    }
  }
  TestEnvironment env;
  std::vector<std::string> models;
};

}  // namespace

TEST_F(ShippedLists, EveryModelIsCompleteAndOfAKnownFamily) {
  ASSERT_GE(models.size(), 3u);
  std::vector<std::string> types;
  for (const std::string& model : models) {
    SCOPED_TRACE(model);
    std::string type;
    ReadCalculatorSetting(model.c_str(), &type);
    EXPECT_TRUE(IsKnownCalculatorType(type.c_str()));
    types.push_back(type);

    ScreenFormat format;
    ASSERT_TRUE(ReadScreenFormat(model.c_str(), &format));
    EXPECT_EQ(format.width % 8, 0);
    EXPECT_EQ(format.ink, 'W');
    EXPECT_TRUE(format.planes == 1 || format.planes == 4);
    EXPECT_GE(format.extra, 1);

    const Comm comm = readComm(model);
    EXPECT_EQ(comm.count, 5);
    EXPECT_EQ(comm.parity, 0u);
    // The newer family talks 40-byte packets at 38400 baud, the older one
    // 50-byte headers at 9600.
    const bool newer = type == "FXALGEBRA20";
    EXPECT_EQ(comm.protocol, newer ? 5u : 4u);
    EXPECT_EQ(comm.baud, newer ? 38400u : 9600u);

    std::vector<DWORD> table(256);
    EXPECT_TRUE(LoadCharConvertTable(model.c_str(), table.data(), 256));
    EXPECT_EQ(table['A'], DWORD('A'));
    EXPECT_EQ(table['7'], DWORD('7'));
  }
  for (const char* family : {"FX9850", "FX7400", "FXALGEBRA20"})
    EXPECT_NE(std::find(types.begin(), types.end(), family), types.end()) << family;
}

TEST_F(ShippedLists, TheFallbackModelOfNewDocumentsExists) {
  ASSERT_NE(std::find(models.begin(), models.end(), "CFX-9850G"), models.end());
  std::string type;
  ReadCalculatorSetting("CFX-9850G", &type);
  EXPECT_EQ(type, "FX9850");
  EXPECT_EQ(ReadModelInt("CFX-9850G", "Color", 0), 1);
  EXPECT_EQ(ReadModelInt("CFX-9850G", "Display Width", 0), 21);
}
