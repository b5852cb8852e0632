// The children of a store node: where a new one goes, and finding them by
// name and by description.
#include "datamodel/OrvoStoreNode.h"

#include "platform/StringCompare.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// Below this many children a walk costs no more than an index.
constexpr size_t kIndexThreshold = 32;
constexpr DWORD kSortBits = kNodeSortAscending | kNodeSortDescending;

using Lookup = std::unordered_multimap<std::string_view, COrvoStoreNode*>;

void eraseEntry(Lookup& map, std::string_view key, const COrvoStoreNode* node) {
  auto [it, end] = map.equal_range(key);
  for (; it != end; ++it) {
    if (it->second == node) {
      map.erase(it);
      return;
    }
  }
}

std::string keyOf(const std::string& description) {
  return description.empty() ? std::string() : tallix::MakeTextCompareKey(description.c_str());
}

}  // namespace

// Children by name and by description; the keys view the children's own texts.
struct COrvoStoreNode::Index {
  Lookup byName, byDescription;

  void add(COrvoStoreNode* child) {
    byName.emplace(child->name, child);
    byDescription.emplace(child->description, child);
  }
  void remove(const COrvoStoreNode* child) {
    eraseEntry(byName, child->name, child);
    eraseEntry(byDescription, child->description, child);
  }
};

namespace {

// The first child in order whose `field` is `text` and that `accept`s. The
// index gives the candidates; only among several equal texts is the list
// walked for the first of them.
template <typename Accept>
COrvoStoreNode* firstMatch(const COrvoStoreNode::ChildList& children, const Lookup* index,
                           std::string COrvoStoreNode::*field, const std::string& text, Accept accept) {
  if (index) {
    COrvoStoreNode* found = nullptr;
    bool several = false;
    for (auto [it, end] = index->equal_range(text); it != end; ++it) {
      if (!accept(*it->second)) continue;
      several = found != nullptr;
      found = it->second;
      if (several) break;
    }
    if (!several) return found;
  }
  for (const auto& child : children)
    if ((*child).*field == text && accept(*child)) return child.get();
  return nullptr;
}

}  // namespace

COrvoStoreNode::COrvoStoreNode() = default;
COrvoStoreNode::~COrvoStoreNode() = default;

COrvoStoreNode::Index& COrvoStoreNode::index() const {
  if (!index_) {
    index_ = std::make_unique<Index>();
    index_->byName.reserve(children_.size());
    index_->byDescription.reserve(children_.size());
    for (const auto& child : children_) index_->add(child.get());
  }
  return *index_;
}

COrvoStoreNode* COrvoStoreNode::FindFolderChild(const std::string& childName) const {
  const Lookup* lookup = children_.size() >= kIndexThreshold ? &index().byName : nullptr;
  return firstMatch(children_, lookup, &COrvoStoreNode::name, childName,
                    [](const COrvoStoreNode& c) { return c.IsFolder(); });
}

COrvoStoreNode* COrvoStoreNode::FindChild(const std::string& childName) const {
  if (COrvoStoreNode* folder = FindFolderChild(childName)) return folder;
  const Lookup* lookup = children_.size() >= kIndexThreshold ? &index().byName : nullptr;
  return firstMatch(children_, lookup, &COrvoStoreNode::name, childName,
                    [](const COrvoStoreNode& c) { return !c.IsFolder(); });
}

COrvoStoreNode* COrvoStoreNode::FindChildByDescription(const std::string& text) const {
  const Lookup* lookup = children_.size() >= kIndexThreshold ? &index().byDescription : nullptr;
  return firstMatch(children_, lookup, &COrvoStoreNode::description, text, [](const COrvoStoreNode&) { return true; });
}

COrvoStoreNode* COrvoStoreNode::AppendChild(std::unique_ptr<COrvoStoreNode> child) {
  child->parent = this;
  COrvoStoreNode* added = child.get();
  children_.push_back(std::move(child));
  if (index_) index_->add(added);
  keysReady_ = false;
  return added;
}

size_t COrvoStoreNode::FirstItem() const {
  size_t i = 0;
  while (i < children_.size() && children_[i]->IsFolder()) ++i;
  return i;
}

bool COrvoStoreNode::Beyond(const COrvoStoreNode& child, const std::string& key) const {
  const int c = child.sortKey_.compare(key);
  return (flags & kNodeSortAscending) ? c > 0 : c < 0;
}

// Every child's key, and whether the items with a description stand in the
// folder's order.
void COrvoStoreNode::PrepareOrder() {
  if (!keysReady_) {
    for (const auto& child : children_) child->sortKey_ = keyOf(child->description);
    keysReady_ = true;
    orderChecked_ = false;
  }
  if (orderChecked_) return;
  inOrder_ = true;
  const COrvoStoreNode* previous = nullptr;
  for (size_t i = FirstItem(); i < children_.size() && inOrder_; ++i) {
    const COrvoStoreNode& child = *children_[i];
    if (child.description.empty()) continue;
    if (previous && Beyond(*previous, child.sortKey_)) inOrder_ = false;
    previous = &child;
  }
  orderChecked_ = true;
}

// The first item from `first` on whose description lies beyond `key`, or the
// end; items without a description are passed over. The items stand in
// order, so "beyond" is false up to some item and true from there on.
size_t COrvoStoreNode::SortedPlace(const std::string& key, size_t first) const {
  size_t lo = first, hi = children_.size(), place = children_.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    size_t j = mid;
    while (j < hi && children_[j]->description.empty()) ++j;
    if (j == hi) {
      hi = mid;
    } else if (Beyond(*children_[j], key)) {
      place = j;
      hi = mid;
    } else {
      lo = j + 1;
    }
  }
  return place;
}

COrvoStoreNode* COrvoStoreNode::InsertChild(std::unique_ptr<COrvoStoreNode> child) {
  child->parent = this;
  COrvoStoreNode* added = child.get();
  const size_t first = FirstItem();
  size_t at = children_.size();
  if (child->IsFolder()) {
    at = first;  // folders keep their order of creation ahead of all items
  } else if (flags & kSortBits) {
    PrepareOrder();
    child->sortKey_ = keyOf(child->description);
    if (inOrder_) {
      at = SortedPlace(child->sortKey_, first);
    } else {
      for (size_t i = first; i < children_.size(); ++i) {
        if (!children_[i]->description.empty() && Beyond(*children_[i], child->sortKey_)) {
          at = i;
          break;
        }
      }
    }
  }
  if (keysReady_ && child->IsFolder()) child->sortKey_ = keyOf(child->description);
  children_.insert(children_.begin() + std::ptrdiff_t(at), std::move(child));
  if (index_) index_->add(added);
  return added;
}

std::unique_ptr<COrvoStoreNode> COrvoStoreNode::Unlink(COrvoStoreNode* child) {
  // From the end: a folder is emptied from its last child on.
  const auto it = std::find_if(children_.rbegin(), children_.rend(), [child](const auto& c) { return c.get() == child; });
  if (it == children_.rend()) return nullptr;
  if (index_) index_->remove(child);
  std::unique_ptr<COrvoStoreNode> owned = std::move(*it);
  children_.erase(std::next(it).base());
  owned->parent = nullptr;
  // What stays is still in order: a part of an ordered list is ordered.
  return owned;
}

void COrvoStoreNode::ClearChildren() {
  index_.reset();
  children_.clear();
  keysReady_ = false;
}

void COrvoStoreNode::SetName(std::string text) {
  Index* index = parent ? parent->index_.get() : nullptr;
  if (index) eraseEntry(index->byName, name, this);
  name = std::move(text);
  if (index) index->byName.emplace(name, this);
}

void COrvoStoreNode::SetDescription(std::string text) {
  Index* index = parent ? parent->index_.get() : nullptr;
  if (index) eraseEntry(index->byDescription, description, this);
  description = std::move(text);
  if (index) index->byDescription.emplace(description, this);
  if (parent && parent->keysReady_) {
    sortKey_ = keyOf(description);
    parent->orderChecked_ = false;
  }
}

void COrvoStoreNode::SetFlags(DWORD value) {
  const DWORD changed = flags ^ value;
  flags = value;
  // Its own order, and where its parent's items begin.
  if (changed & kSortBits) keysReady_ = false;
  if ((changed & kNodeFolder) && parent) parent->orderChecked_ = false;
}
