// The rules the function pages apply to bytes and records: the end byte,
// the separator token, labels with relations as text, the style block.
#include "pages/QXFunctionFieldBytes.h"
#include "tokens/QXTokenTextMap.h"

#include <gtest/gtest.h>

namespace {

TEST(FunctionFieldBytes, OnlyAFinalEndByteGoesAndOnlyASeparatorTokenSplits) {
  const BYTE end[] = {0x41, 0xFF}, last[] = {0x41, 0x42};
  EXPECT_EQ(WithoutEndByte(end, 2), "A");
  EXPECT_EQ(WithoutEndByte(last, 2), "AB");
  EXPECT_EQ(WithoutEndByte(nullptr, 0), "");

  CQXTokenTextMap map;
  map.SetTokenText(0x7F, 0xF6, "Q");
  std::string first, second;
  EXPECT_TRUE(SplitParametric("A\xF6" "B", &map, &first, &second));
  EXPECT_EQ(first + "|" + second, "A|B");
  EXPECT_FALSE(SplitParametric("\x7F\xF6" "B", &map, &first, &second));
  EXPECT_EQ(first, "\x7F\xF6" "B");
  EXPECT_EQ(second, "");
  EXPECT_EQ(JoinParametric("A", ""), "A\xF6");
}

TEST(FunctionFieldBytes, LabelsAndStyles) {
  CQXGraphFunctionInfo info = NewGraphFunctionInfo(2);
  info.relation = kRelationGreaterEqual;
  EXPECT_EQ(OlderGraphFunctionLabel(info), "Y3>=");
  info.typeLetter = kGraphLetterParametric;
  info.relation = '=';
  info.further = 2;
  EXPECT_EQ(OlderGraphFunctionLabel(info), "Yt3=");

  CQXGraphFuncV5Record record;
  record.number = 4;
  record.type = kGraphTypeParametric;
  record.part = 2;
  EXPECT_EQ(NewerGraphFunctionLabel(record), "Yt4=");

  SetStyleColour(&info, 2, "GN");
  EXPECT_TRUE(StyleHasColour(info, 2, "GN"));
  EXPECT_FALSE(StyleHasColour(info, 1, "GN"));
  EXPECT_FALSE(StyleIsDrawn(info, 2));
  ToggleStyleDrawn(&info, 2);
  EXPECT_TRUE(StyleIsDrawn(info, 2));
  ToggleStyleDrawn(&info, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.style) + 16, 2), "NS");
}

}  // namespace
