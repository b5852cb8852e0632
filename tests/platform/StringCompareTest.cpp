#include "platform/StringCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using tallix::CompareTextLocale;

namespace {

std::vector<std::string> sorted(std::vector<std::string> v) {
  std::stable_sort(v.begin(), v.end(),
                   [](const std::string& a, const std::string& b) { return CompareTextLocale(a.c_str(), b.c_str()) < 0; });
  return v;
}

TEST(CompareTextLocale, LettersIgnoreCaseAndAccentsFirst) {
  EXPECT_EQ(sorted({"b", "C", "a", "B", "A"}), (std::vector<std::string>{"a", "A", "b", "B", "C"}));
  // "é" sorts with "e", before "f", after plain "e".
  EXPECT_EQ(sorted({"f", "\xE9", "e", "E"}), (std::vector<std::string>{"e", "E", "\xE9", "f"}));
  EXPECT_LT(CompareTextLocale("\xE9t\xE9", "ete2"), 0);  // the accent only decides on a tie
  EXPECT_LT(CompareTextLocale("Matrice A", "matrice b"), 0);
  EXPECT_LT(CompareTextLocale("\xC6on", "aeon2"), 0);  // "Æ" sorts as "ae"
}

TEST(CompareTextLocale, SymbolsThenDigitsThenLetters) {
  EXPECT_EQ(sorted({"a", "1", "_", "Z", "9", " "}), (std::vector<std::string>{" ", "_", "1", "9", "a", "Z"}));
  EXPECT_LT(CompareTextLocale("List 10", "List 2"), 0);  // no numeric ordering, as the platform
}

TEST(CompareTextLocale, HyphensAndApostrophesCountLast) {
  EXPECT_LT(CompareTextLocale("coop", "co-op"), 0);
  EXPECT_LT(CompareTextLocale("co-op", "coopa"), 0);
  EXPECT_GT(CompareTextLocale("l'a", "la"), 0);
  // Where they stand counts, and a text without any sorts first.
  EXPECT_LT(CompareTextLocale("-a", "a-"), 0);
  EXPECT_LT(CompareTextLocale("a", "a-"), 0);
  EXPECT_LT(CompareTextLocale("a-", "ab"), 0);
}

TEST(CompareTextLocale, OnlyIdenticalTextsAreEqual) {
  EXPECT_EQ(CompareTextLocale("Graphe 1", "Graphe 1"), 0);
  EXPECT_EQ(CompareTextLocale("", nullptr), 0);
  EXPECT_LT(CompareTextLocale("", "a"), 0);
  EXPECT_NE(CompareTextLocale("a", "A"), 0);
  // Antisymmetric over a mixed set.
  const std::vector<std::string> words = {"a", "A", "\xE0", "\xC0", "ab", "a-b", "a'b", "1", "!", "\xDF", "ss"};
  for (const auto& x : words)
    for (const auto& y : words) EXPECT_EQ(CompareTextLocale(x.c_str(), y.c_str()), -CompareTextLocale(y.c_str(), x.c_str()));
}

}  // namespace
