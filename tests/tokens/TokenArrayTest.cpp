#include "tokens/QXTokenArray.h"
#include "tokens/QXTokenTextMap.h"

#include <gtest/gtest.h>

TEST(TokenArray, InsertAndRemoveRange) {
  CQXTokenArray a;
  for (DWORD i = 0; i < 8; ++i) a.Add(i);
  a.InsertAt(8, 100);  // at the size: appends
  a.InsertAt(0, 200);
  ASSERT_EQ(a.GetSize(), 10);
  EXPECT_EQ(a.GetAt(0), 200u);
  EXPECT_EQ(a.GetAt(9), 100u);
  a.RemoveRange(6, 3);  // elements 3..6 (values 2..5)
  ASSERT_EQ(a.GetSize(), 6);
  const DWORD expected[] = {200, 0, 1, 6, 7, 100};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.GetAt(i), expected[i]);
  a.RemoveRange(4, 99);  // cut to the array
  EXPECT_EQ(a.GetSize(), 4);
  a.RemoveAll();
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(TokenTextMap, LeadBytesFollowTheEntries) {
  CQXTokenTextMap map;
  EXPECT_FALSE(map.IsLeadByte(0x7F));
  ASSERT_TRUE(map.SetTokenText(0x7F, 0x40, "x"));
  ASSERT_TRUE(map.SetTokenText(0x7F, 0x40, "y"));  // replaces, counter stays 1
  ASSERT_TRUE(map.SetTokenText(0, 0x41, "A"));
  EXPECT_TRUE(map.IsLeadByte(0x7F));
  EXPECT_FALSE(map.IsLeadByte(0));
  ASSERT_NE(map.Lookup(0x407F), nullptr);
  EXPECT_STREQ(map.Lookup(0x407F)->GetText(), "y");
  EXPECT_EQ(map.GetCount(), 2);
  // A word above 255 in either byte would name another token.
  EXPECT_FALSE(map.SetTokenText(256, 1, "z"));
  EXPECT_FALSE(map.SetTokenText(1, 256, "z"));
  EXPECT_EQ(map.Lookup(0x0101), nullptr);
  // After a refill the old lead bytes are gone.
  map.RemoveAll();
  EXPECT_FALSE(map.IsLeadByte(0x7F));
  ASSERT_TRUE(map.SetTokenText(0xF7, 1, "q"));
  EXPECT_FALSE(map.IsLeadByte(0x7F));
  EXPECT_TRUE(map.IsLeadByte(0xF7));
}
