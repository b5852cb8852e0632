// A store folder's children: the places of new children against the rule
// walked one comparison at a time, and the look-ups of large folders through
// changes.
#include "datamodel/OrvoStoreNode.h"
#include "platform/StringCompare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct Child {
  bool folder;
  std::string description;
};

// Where the rule puts a new child, walking the list from its start.
size_t placeByWalk(const std::vector<Child>& list, const Child& added, DWORD flags) {
  size_t first = 0;
  while (first < list.size() && list[first].folder) ++first;
  if (added.folder) return first;
  if (!(flags & (kNodeSortAscending | kNodeSortDescending))) return list.size();
  for (size_t i = first; i < list.size(); ++i) {
    if (list[i].description.empty()) continue;
    const int c = tallix::CompareTextLocale(list[i].description.c_str(), added.description.c_str());
    if ((flags & kNodeSortAscending) ? c > 0 : c < 0) return i;
  }
  return list.size();
}

std::unique_ptr<COrvoStoreNode> makeChild(const Child& c, DWORD id) {
  auto node = std::make_unique<COrvoStoreNode>();
  node->id = id;
  node->flags = c.folder ? DWORD(kNodeFolder) : 0u;
  node->name = "N" + std::to_string(id);
  node->description = c.description;
  return node;
}

std::vector<Child> listOf(const COrvoStoreNode& folder) {
  std::vector<Child> out;
  for (const auto& c : folder.Children()) out.push_back({c->IsFolder(), c->description});
  return out;
}

// Descriptions with many ties, accents, cases and empty ones.
std::string randomDescription(std::mt19937& rng) {
  static const char* const kParts[] = {"", "a", "A", "\xE9", "b", "B1", "b-1", "10", "2", "z", "Z"};
  std::string text;
  for (int n = int(rng() % 3); n >= 0; --n) text += kParts[rng() % std::size(kParts)];
  return text;
}

TEST(StoreFolder, NewChildrenTakeThePlacesOfTheRuleInEveryKindOfFolder) {
  for (DWORD flags : {DWORD(kNodeFolder | kNodeSortAscending), DWORD(kNodeFolder | kNodeSortDescending),
                      DWORD(kNodeFolder | kNodeSortAscending | kNodeSortDescending), DWORD(kNodeFolder)}) {
    for (bool startsOutOfOrder : {false, true}) {
      std::mt19937 rng(flags * 2 + startsOutOfOrder);
      COrvoStoreNode folder;
      folder.flags = flags;
      std::vector<Child> expected;
      DWORD id = 2;
      if (startsOutOfOrder) {
        // As read from a file: items in no order, a folder among them.
        for (int i = 0; i < 40; ++i) {
          const Child c{i == 7, randomDescription(rng)};
          folder.AppendChild(makeChild(c, id++));
          expected.push_back(c);
        }
      }
      for (int i = 0; i < 1500; ++i) {
        if (i % 300 == 150 && !expected.empty()) {
          // A description changes in place; the next places still follow the rule.
          const size_t at = rng() % expected.size();
          expected[at].description = randomDescription(rng);
          folder.Children()[at]->SetDescription(expected[at].description);
        }
        const Child c{rng() % 50 == 0, randomDescription(rng)};
        const size_t at = placeByWalk(expected, c, flags);
        expected.insert(expected.begin() + std::ptrdiff_t(at), c);
        folder.InsertChild(makeChild(c, id++));
        if (i % 7 == 3) {
          // Removals anywhere keep the rest as it was.
          const size_t gone = rng() % expected.size();
          expected.erase(expected.begin() + std::ptrdiff_t(gone));
          ASSERT_TRUE(folder.Unlink(folder.Children()[gone].get()));
        }
      }
      ASSERT_EQ(folder.Children().size(), expected.size());
      const std::vector<Child> got = listOf(folder);
      for (size_t i = 0; i < got.size(); ++i)
        ASSERT_TRUE(got[i].folder == expected[i].folder && got[i].description == expected[i].description)
            << "flags " << flags << (startsOutOfOrder ? " from disorder" : "") << ", child " << i;
    }
  }
}

TEST(StoreFolder, LargeFoldersFindTheFirstChildInOrderThroughEveryChange) {
  COrvoStoreNode folder;
  folder.flags = kNodeFolder | kNodeSortAscending;
  for (DWORD i = 0; i < 100; ++i) {
    auto c = std::make_unique<COrvoStoreNode>();
    c->id = 10 + i;
    c->name = "Item_" + std::to_string(i);
    c->description = "P" + std::to_string(i);
    folder.InsertChild(std::move(c));
  }
  auto named = [](const char* name, DWORD flags, const char* description, DWORD id) {
    auto c = std::make_unique<COrvoStoreNode>();
    c->id = id;
    c->name = name;
    c->flags = flags;
    c->description = description;
    return c;
  };
  // A folder answers before an item of the same name, though it comes later.
  COrvoStoreNode* item = folder.InsertChild(named("Twin", 0, "P50", 1000));
  COrvoStoreNode* sub = folder.InsertChild(named("Twin", kNodeFolder, "", 1001));
  EXPECT_EQ(folder.FindChild("Twin"), sub);
  EXPECT_EQ(folder.FindFolderChild("Twin"), sub);
  EXPECT_EQ(folder.Unlink(sub).get() != nullptr, true);
  EXPECT_EQ(folder.FindChild("Twin"), item);
  // Equal descriptions: the first in order ("P50" was there before).
  EXPECT_EQ(folder.FindChildByDescription("P50")->id, 60u);
  folder.FindChild("Item_50")->SetDescription("Q");
  EXPECT_EQ(folder.FindChildByDescription("P50"), item);
  EXPECT_EQ(folder.FindChildByDescription("Q")->name, "Item_50");
  // Renamed and removed children are found under their new names only.
  item->SetName("Single");
  EXPECT_EQ(folder.FindChild("Twin"), nullptr);
  EXPECT_EQ(folder.FindChild("Single"), item);
  folder.Unlink(folder.FindChild("Item_7"));
  EXPECT_EQ(folder.FindChild("Item_7"), nullptr);
  EXPECT_EQ(folder.FindChildByDescription("P7"), nullptr);
  EXPECT_EQ(folder.FindChildByDescription("P8")->name, "Item_8");
}

}  // namespace
