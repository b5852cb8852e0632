#include "tokens/CommandTree.h"

#include "datamodel/OrvoArchive.h"
#include "tokens/CommandTextForms.h"
#include "tokens/QXCommandTable.h"

#include <algorithm>

namespace {

constexpr int kRoot = -1;

// The tree with parent links, built from or flattened into a node list.
class TreeShape {
 public:
  TreeShape() = default;
  explicit TreeShape(const CQXCommandTreeNodes& nodes) {
    std::vector<int> spine;  // the open folders, by depth
    for (const CQXCommandTreeNode& node : nodes) {
      const size_t depth = size_t(std::clamp(node.level - 1, 0, int(spine.size())));
      spine.resize(depth);
      const int index = Add(spine.empty() ? kRoot : spine.back(), node);
      spine.push_back(index);
    }
  }

  int Add(int parent, const CQXCommandTreeNode& node) {
    m_nodes.push_back({node, parent, {}});
    const int index = int(m_nodes.size()) - 1;
    Children(parent).push_back(index);
    return index;
  }
  void Remove(int index) {
    std::vector<int>& siblings = Children(m_nodes[size_t(index)].parent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), index));
  }
  int Parent(int index) const { return index == kRoot ? kRoot : m_nodes[size_t(index)].parent; }
  int Level(int index) const { return index == kRoot ? 0 : Level(Parent(index)) + 1; }
  bool IsFolder(int index) const { return index == kRoot || m_nodes[size_t(index)].node.folder; }
  CQXCommandTreeNode& Node(int index) { return m_nodes[size_t(index)].node; }
  const std::vector<int>& ChildrenOf(int parent) const {
    return parent == kRoot ? m_rootChildren : m_nodes[size_t(parent)].children;
  }

  // Depth-first, with real levels; `positions` maps shape indices to list
  // positions.
  CQXCommandTreeNodes Flatten(std::vector<int>* positions = nullptr) const {
    CQXCommandTreeNodes out;
    if (positions) positions->assign(m_nodes.size(), -1);
    Visit(kRoot, 0, &out, positions);
    return out;
  }

 private:
  struct Slot {
    CQXCommandTreeNode node;
    int parent;
    std::vector<int> children;
  };
  std::vector<int>& Children(int parent) { return parent == kRoot ? m_rootChildren : m_nodes[size_t(parent)].children; }
  void Visit(int parent, int level, CQXCommandTreeNodes* out, std::vector<int>* positions) const {
    for (int child : ChildrenOf(parent)) {
      if (positions) (*positions)[size_t(child)] = int(out->size());
      out->push_back(m_nodes[size_t(child)].node);
      out->back().level = level + 1;
      Visit(child, level + 1, out, positions);
    }
  }

  std::vector<Slot> m_nodes;
  std::vector<int> m_rootChildren;
};

}  // namespace

void WriteCommandTreeRecords(COrvoArchive& ar, const CQXCommandTreeNodes& nodes) {
  for (const CQXCommandTreeNode& node : nodes) {
    const DWORD length = DWORD(std::min<size_t>(node.label.size(), kTreeLabelMax));
    ar.WriteDwordValue(DWORD(node.level));
    ar.WriteDwordValue(length);
    if (length) ar.Write(node.label.data(), length);
    ar.WriteDwordValue(node.folder ? 0 : node.value);
    ar.WriteDwordValue(0);
  }
  ar.WriteDwordValue(0xFFFFFFFF);
}

bool ReadCommandTreeRecords(COrvoArchive& ar, CQXCommandTreeNodes* nodes) {
  TreeShape shape;
  int depth = 0;
  int parent = kRoot;
  int lastFolder = kRoot;
  bool complete = true;
  struct Flush {
    TreeShape& shape;
    CQXCommandTreeNodes* nodes;
    ~Flush() { *nodes = shape.Flatten(); }
  } flush{shape, nodes};
  for (LONG stored = LONG(ar.ReadDwordValue()); stored != -1; stored = LONG(ar.ReadDwordValue())) {
    const int level = std::clamp(stored, LONG(0), LONG(kTreeLevelMax));
    const DWORD length = ar.ReadDwordValue();
    if (length > kTreeLabelMax) {
      complete = false;
      break;
    }
    const std::vector<BYTE> text = ar.ReadBytes(length);
    const DWORD value = ar.ReadDwordValue();
    if (level < depth) {
      for (int up = depth - level; up > 0 && parent != kRoot; --up) parent = shape.Parent(parent);
      depth = level;
    } else if (level > depth) {
      depth = level;
      parent = lastFolder;
    }
    // The last folder may lie deeper than the level says: what would go
    // below the deepest level goes at it.
    while (parent != kRoot && shape.Level(parent) >= kTreeLevelMax) parent = shape.Parent(parent);
    CQXCommandTreeNode node;
    node.label.assign(text.begin(), text.end());
    node.value = value;
    node.folder = value == 0;
    const int index = shape.Add(parent, node);
    if (node.folder) lastFolder = index;
    ar.ReadDwordValue();  // reserved
  }
  return complete;
}

int ReadTreeText(const std::vector<std::string>& lines, CQXCommandTreeNodes* nodes, int target,
                 std::vector<int>* inserted) {
  const int before = int(nodes->size());
  TreeShape shape(*nodes);
  if (target < kRoot || target >= int(nodes->size())) target = kRoot;
  const int targetLevel = std::min(shape.Level(target) + (shape.IsFolder(target) ? 1 : 0), kTreeLevelMax);
  bool haveBase = false;
  int baseLevel = 0;
  int parent = target;
  int first = -2;
  CQXTreeTextLine line;
  for (const std::string& text : lines) {
    if (!ParseTreeTextLine(text.c_str(), &line)) continue;
    // Levels below 0 count as 0, and nothing goes below the deepest level:
    // a base far below the later lines would nest each folder line deeper.
    const int lineLevel = std::clamp(line.level, 0, kTreeLevelMax);
    if (!haveBase) {
      baseLevel = lineLevel;
      haveBase = true;
    }
    const int wanted = std::min(targetLevel + lineLevel - baseLevel, kTreeLevelMax);
    const int level = shape.Level(parent);
    if (level == wanted) {
      parent = shape.Parent(parent);
    } else if (level > wanted) {
      for (int up = level - wanted + 1; up > 0 && parent != kRoot; --up) parent = shape.Parent(parent);
    }
    // Commands go into folders only.
    if (!shape.IsFolder(parent)) parent = shape.Parent(parent);
    CQXCommandTreeNode node;
    node.label = line.label;
    node.folder = !line.command;
    node.value = line.command ? line.value : 0;
    const int index = shape.Add(parent, node);
    if (first == -2) first = index;
    if (node.folder) parent = index;
  }
  std::vector<int> positions;
  *nodes = shape.Flatten(&positions);
  if (inserted) inserted->assign(positions.begin() + before, positions.end());
  return first >= 0 ? positions[size_t(first)] : -1;
}

std::vector<std::string> WriteTreeText(const CQXCommandTreeNodes& nodes, int index) {
  std::vector<std::string> lines;
  if (index < 0 || index >= int(nodes.size())) return lines;
  const int startLevel = nodes[size_t(index)].level;
  for (size_t i = size_t(index); i < nodes.size(); ++i) {
    const CQXCommandTreeNode& node = nodes[i];
    if (i > size_t(index) && node.level <= startLevel) break;
    lines.push_back(FormatTreeTextLine({!node.folder, node.level, node.value, node.label}));
    if (i == size_t(index) && !node.folder) break;
  }
  return lines;
}

void AlignTreeWithTable(CQXCommandTreeNodes* nodes, const CQXCommandTable& table, std::vector<int>* kept) {
  TreeShape shape(*nodes);
  std::vector<int> stale;
  if (kept) kept->clear();
  for (int i = 0; i < int(nodes->size()); ++i) {
    CQXCommandTreeNode& node = shape.Node(i);
    const CQXCommandTable::Entry* entry =
        node.folder ? nullptr : table.FindCommand(CommandValueTable(node.value), CommandValueNumber(node.value));
    if (!node.folder && !entry) {
      stale.push_back(i);
      continue;
    }
    if (entry) node.label = entry->characters;
    if (kept) kept->push_back(i);
  }
  for (int i : stale) shape.Remove(i);
  *nodes = shape.Flatten();
}

std::vector<BYTE> EncodeTreeSelectionPath(const std::vector<std::string>& labels) {
  std::vector<BYTE> value;
  for (const std::string& label : labels) {
    value.insert(value.end(), label.begin(), label.end());
    value.push_back(0);
  }
  value.push_back(0);
  return value;
}

bool DecodeTreeSelectionPath(const std::vector<BYTE>& value, std::vector<std::string>* labels) {
  labels->clear();
  size_t start = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != 0) continue;
    if (i == start) return true;  // the final empty string
    labels->emplace_back(value.begin() + std::ptrdiff_t(start), value.begin() + std::ptrdiff_t(i));
    start = i + 1;
  }
  labels->clear();
  return false;
}

bool MatchTreeSelectionPath(const std::string& rootLabel, const CQXCommandTreeNodes& nodes,
                            const std::vector<std::string>& labels, int* matched) {
  *matched = -2;
  if (labels.empty()) return true;
  if (labels[0] != rootLabel) return false;
  *matched = kRoot;
  const TreeShape shape(nodes);
  for (size_t k = 1; k < labels.size(); ++k) {
    int found = -2;
    for (int child : shape.ChildrenOf(*matched)) {
      if (nodes[size_t(child)].label == labels[k]) {
        found = child;
        break;
      }
    }
    if (found == -2) return false;
    *matched = found;
  }
  return true;
}
