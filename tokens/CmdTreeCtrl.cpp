#include "tokens/CmdTreeCtrl.h"

#include "classlib/MenuHelpers.h"
#include "classlib/OrvoTextArchive.h"
#include "platform/CalcShownText.h"
#include "platform/CalcTextEdit.h"
#include "platform/LanguageLibrary.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CommandTextForms.h"
#include "tokens/TokenClipboard.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>

#include <algorithm>
#include <new>

namespace {

constexpr UINT kImageIds[] = {7370, 7370, 7365, 7366, 7374, 7374};
constexpr UINT kRootLabel = 10242;
constexpr UINT kNoName = 61443;
// A folder's children lie one level deeper: at most the deepest level.
constexpr int kFolderLevelMax = kTreeLevelMax - 1;
constexpr int kLabelMax = 128;
constexpr UINT kLineSize = 1024;
// Each item keeps its label's calculator bytes beside the text it shows: the
// shown text cannot give them back (other fonts show several codes alike).
constexpr int kLabelBytesRole = Qt::UserRole + 16;

enum { kRootImage = 0, kFolderImage = 2, kCommandImage = 4 };

std::vector<std::string> splitLines(const QByteArray& text) {
  std::vector<std::string> lines;
  for (const QByteArray& line : text.split('\n')) {
    std::string l = line.toStdString();
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (!l.empty()) lines.push_back(l);
  }
  return lines;
}

}  // namespace

bool TreeItemIsFolder(const CTreeCtrl& tree, HTREEITEM item) {
  int image = 0, selected = 0;
  return item && tree.GetItemImage(item, image, selected) && image < kCommandImage;
}

bool TreeItemIsLeaf(const CTreeCtrl& tree, HTREEITEM item) {
  int image = 0, selected = 0;
  return item && tree.GetItemImage(item, image, selected) && image >= kCommandImage;
}

const CMessageMap& CQXCmdTreeCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXCmdTreeCtrl>(CTreeCtrl::messageMap())
                                     .notifyReflect(TVN_BEGINLABELEDIT, &CQXCmdTreeCtrl::OnBeginLabelEdit)
                                     .notifyReflect(TVN_ENDLABELEDIT, &CQXCmdTreeCtrl::OnEndLabelEdit)
                                     .notifyReflect(TVN_ITEMEXPANDING, &CQXCmdTreeCtrl::OnItemExpanding)
                                     .notifyReflect(TVN_BEGINDRAG, &CQXCmdTreeCtrl::OnBeginDrag)
                                     .notifyReflect(NM_RCLICK, &CQXCmdTreeCtrl::OnRClick);
  return map;
}

CQXCmdTreeCtrl::CQXCmdTreeCtrl(QWidget* parent) : CTreeCtrl(parent) { RegisterCmdTreeClass(); }

CQXCmdTreeCtrl::~CQXCmdTreeCtrl() { DestroyWindow(); }

void CQXCmdTreeCtrl::RegisterCmdTreeClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("CQXCmdTreeCtrl"), [](QWidget* parent, const QString& name) {
    auto* tree = new CQXCmdTreeCtrl(parent);
    tree->setObjectName(name);
    return static_cast<QWidget*>(tree);
  });
}

CQXCmdTreeCtrl* CQXCmdTreeCtrl::Init(UINT id, QWidget* parent) {
  RegisterCmdTreeClass();
  auto* tree = qobject_cast<CQXCmdTreeCtrl*>(::GetDlgItem(parent, int(id)));
  return tree && tree->LoadImages() ? tree : nullptr;
}

BOOL CQXCmdTreeCtrl::LoadImages() {
  if (!images_.GetSafeHandle() && !images_.Create(16, 16, ILC_COLOR | ILC_MASK, 6, 0)) return FALSE;
  if (images_.GetImageCount() == 0)
    for (UINT id : kImageIds) images_.Add(CLanguageLibrary::LoadIcon(id));
  if (images_.GetImageCount() < 6) return FALSE;
  SetImageList(&images_, TVSIL_NORMAL);
  return TRUE;
}

// ---- labels and levels ----

std::string CQXCmdTreeCtrl::LabelBytes(HTREEITEM item) const {
  if (!item) return {};
  const QVariant bytes = item->data(0, kLabelBytesRole);
  if (bytes.isValid()) return bytes.toByteArray().toStdString();
  // An item another caller inserted: its text is all there is.
  std::string codes;
  CalcCodesFromShownText(GetItemText(item), GetTreeWidget()->font(), &codes);
  return codes;
}

QString CQXCmdTreeCtrl::LabelText(const std::string& bytes) const {
  return CalcDisplayText(bytes, GetTreeWidget()->font());
}

void CQXCmdTreeCtrl::setLabel(HTREEITEM item, const std::string& bytes) {
  item->setData(0, kLabelBytesRole, QByteArray::fromStdString(bytes));
  SetItemText(item, LabelText(bytes));
}

HTREEITEM CQXCmdTreeCtrl::insertLabelled(const std::string& bytes, int image, DWORD value, HTREEITEM parent,
                                         HTREEITEM after) {
  HTREEITEM item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, LabelText(bytes), image,
                              image + 1, 0, 0, LPARAM(value), parent, after);
  if (item) item->setData(0, kLabelBytesRole, QByteArray::fromStdString(bytes));
  return item;
}

int CQXCmdTreeCtrl::itemLevel(HTREEITEM item) const {
  int level = 0;
  for (HTREEITEM p = GetParentItem(item); p; p = GetParentItem(p)) ++level;
  return level;
}

// ---- the tree as nodes ----

CQXCommandTreeNodes CQXCmdTreeCtrl::GetCommandNodes(std::vector<HTREEITEM>* items) const {
  CQXCommandTreeNodes nodes;
  if (items) items->clear();
  const auto visit = [&](auto&& self, HTREEITEM parent, int level) -> void {
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child)) {
      CQXCommandTreeNode node;
      node.level = level;
      node.label = LabelBytes(child);
      node.folder = TreeItemIsFolder(*this, child);
      node.value = node.folder ? 0 : DWORD(GetItemData(child));
      nodes.push_back(std::move(node));
      if (items) items->push_back(child);
      self(self, child, level + 1);
    }
  };
  if (HTREEITEM root = GetRootItem()) visit(visit, root, 1);
  return nodes;
}

void CQXCmdTreeCtrl::SetCommandNodes(const CQXCommandTreeNodes& nodes, std::vector<HTREEITEM>* items) {
  DeleteAllItems();
  HTREEITEM root = InsertRootItem();
  std::vector<HTREEITEM> parents{root};
  if (items) items->clear();
  for (const CQXCommandTreeNode& node : nodes) {
    const std::size_t depth = std::size_t(std::clamp(node.level, 1, int(parents.size())));
    parents.resize(depth);
    HTREEITEM item = insertLabelled(node.label, node.folder ? kFolderImage : kCommandImage,
                                    node.folder ? 0 : node.value, parents.back(), TVI_LAST);
    parents.push_back(item);
    if (items) items->push_back(item);
  }
  Expand(root, TVE_EXPAND);
}

// ---- operations ----

HTREEITEM CQXCmdTreeCtrl::InsertRootItem() {
  return insertLabelled(CLanguageLibrary::LoadStringA(kRootLabel), kRootImage, 0, TVI_ROOT, TVI_LAST);
}

// After the folders that lead the parent's children, before its commands.
HTREEITEM CQXCmdTreeCtrl::insertFolder(HTREEITEM parent, const char* label) {
  HTREEITEM after = TVI_FIRST;
  for (HTREEITEM child = parent ? GetChildItem(parent) : GetRootItem(); child && TreeItemIsFolder(*this, child);
       child = GetNextSiblingItem(child))
    after = child;
  const std::string text = label && *label ? std::string(label) : CLanguageLibrary::LoadStringA(kNoName);
  HTREEITEM folder = insertLabelled(text, kFolderImage, 0, parent ? parent : TVI_ROOT, after);
  if (!folder) return nullptr;
  if (parent) Expand(parent, TVE_EXPAND);
  SelectItem(folder);
  EnsureVisible(folder);
  EditLabel();
  return folder;
}

HTREEITEM CQXCmdTreeCtrl::NewFolder(const char* label) {
  HTREEITEM selected = GetSelectedItem();
  HTREEITEM parent = selected ? GetParentItem(selected) : nullptr;
  if (parent && itemLevel(parent) >= kFolderLevelMax) return nullptr;
  return insertFolder(parent, label);
}

HTREEITEM CQXCmdTreeCtrl::NewSubFolder(const char* label) {
  HTREEITEM selected = GetSelectedItem();
  if (!selected) return NewFolder(label);
  if (!TreeItemIsFolder(*this, selected)) return nullptr;
  if (itemLevel(selected) >= kFolderLevelMax) return NewFolder(label);
  return insertFolder(selected, label);
}

QLineEdit* CQXCmdTreeCtrl::EditLabel() {
  HTREEITEM selected = GetSelectedItem();
  if (!selected || !GetParentItem(selected) || !TreeItemIsFolder(*this, selected)) return nullptr;
  EnsureVisible(selected);
  return CTreeCtrl::EditLabel(selected);
}

BOOL CQXCmdTreeCtrl::DeleteItem() {
  HTREEITEM selected = GetSelectedItem();
  if (!selected) return FALSE;
  const bool root = GetParentItem(selected) == nullptr;
  if (!CTreeCtrl::DeleteItem(selected)) return FALSE;
  if (root) InsertRootItem();
  return TRUE;
}

HTREEITEM CQXCmdTreeCtrl::InsertCommand(const char* label, DWORD value) {
  HTREEITEM selected = GetSelectedItem();
  if (!selected) return nullptr;
  HTREEITEM parent = TreeItemIsFolder(*this, selected) ? selected : GetParentItem(selected);
  HTREEITEM item = insertLabelled(label ? label : "", kCommandImage, value, parent ? parent : TVI_ROOT, TVI_LAST);
  if (!item) return nullptr;
  if (parent) Expand(parent, TVE_EXPAND);
  SelectItem(item);
  EnsureVisible(item);
  return item;
}

// The tree text lines of an item and its subtree.
std::vector<std::string> CQXCmdTreeCtrl::itemText(HTREEITEM item) const {
  std::vector<HTREEITEM> items;
  const CQXCommandTreeNodes nodes = GetCommandNodes(&items);
  const auto found = std::find(items.begin(), items.end(), item);
  if (found != items.end()) return WriteTreeText(nodes, int(found - items.begin()));
  std::vector<std::string> lines{FormatTreeTextLine({!TreeItemIsFolder(*this, item), 0,
                                                     DWORD(GetItemData(item)), LabelBytes(item)})};
  if (item == GetRootItem())
    for (const CQXCommandTreeNode& node : nodes)
      lines.push_back(FormatTreeTextLine({!node.folder, node.level, node.value, node.label}));
  return lines;
}

BOOL CQXCmdTreeCtrl::Copy(BOOL asText) {
  HTREEITEM selected = GetSelectedItem();
  if (!selected) return FALSE;
  try {
    QByteArray text;
    for (const std::string& line : itemText(selected)) text += QByteArray::fromStdString(line) + "\r\n";
    COleDataSource source;
    source.CacheGlobalData(GetTreeCmdFormat(), text + '\0');
    if (asText) source.CacheGlobalData(CF_TEXT, text + '\0');
    source.SetClipboard();
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXCmdTreeCtrl::Cut(BOOL asText) {
  if (!Copy(asText)) return FALSE;
  return DeleteItem();
}

BOOL CQXCmdTreeCtrl::Paste() {
  COleDataObject data;
  if (!data.AttachClipboard()) return TRUE;
  const std::optional<QByteArray> block = data.GetGlobalData(GetTreeCmdFormat());
  if (!block) return TRUE;
  const qsizetype end = block->indexOf('\0');
  return insertText(splitLines(end < 0 ? *block : block->left(end)), GetSelectedItem());
}

BOOL CQXCmdTreeCtrl::WriteItemText(COrvoTextArchive& ar, HTREEITEM item) {
  if (!item) return FALSE;
  try {
    for (const std::string& line : itemText(item)) ar.WriteLine(line.c_str());
  } catch (const CFileException&) {
    return FALSE;
  }
  return TRUE;
}

void CQXCmdTreeCtrl::replaceNodes(const CQXCommandTreeNodes& nodes, const std::vector<int>& former,
                                  const std::vector<bool>& expanded, std::vector<HTREEITEM>* items) {
  SetCommandNodes(nodes, items);
  for (std::size_t i = 0; i < items->size() && i < former.size(); ++i) {
    const int old = former[i];
    if (old >= 0 && std::size_t(old) < expanded.size() && expanded[std::size_t(old)]) Expand((*items)[i], TVE_EXPAND);
  }
}

void CQXCmdTreeCtrl::SetLabelFont(const QFont& font) {
  std::vector<HTREEITEM> items;
  GetCommandNodes(&items);
  if (HTREEITEM root = GetRootItem()) items.push_back(root);
  setFont(font);
  for (HTREEITEM item : items) setLabel(item, LabelBytes(item));
}

BOOL CQXCmdTreeCtrl::AlignWithTable(const CQXCommandTable& table) {
  try {
    std::vector<HTREEITEM> items;
    CQXCommandTreeNodes nodes = GetCommandNodes(&items);
    std::vector<bool> expanded;
    for (HTREEITEM item : items) expanded.push_back(GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED);
    const auto found = std::find(items.begin(), items.end(), GetSelectedItem());
    const int selected = found == items.end() ? -1 : int(found - items.begin());
    std::vector<int> kept;
    AlignTreeWithTable(&nodes, table, &kept);
    replaceNodes(nodes, kept, expanded, &items);
    const auto still = std::find(kept.begin(), kept.end(), selected);
    if (still != kept.end()) {
      SelectItem(items[std::size_t(still - kept.begin())]);
      EnsureVisible(items[std::size_t(still - kept.begin())]);
    }
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXCmdTreeCtrl::ReadItemText(COrvoTextArchive& ar, HTREEITEM target) {
  std::vector<std::string> lines;
  try {
    char line[kLineSize];
    while (ar.ReadLine(line, sizeof line) != 0)
      if (line[0]) lines.emplace_back(line);
  } catch (const CFileException&) {
    return FALSE;
  }
  return insertText(lines, target);
}

// Places the lines below `target` as the tree text reader does and shows
// the first item inserted; the other items keep their expanded state.
BOOL CQXCmdTreeCtrl::insertText(const std::vector<std::string>& lines, HTREEITEM target) {
  try {
    std::vector<HTREEITEM> items;
    CQXCommandTreeNodes nodes = GetCommandNodes(&items);
    std::vector<bool> expanded;
    for (HTREEITEM item : items) expanded.push_back(GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED);
    const auto found = std::find(items.begin(), items.end(), target);
    const int index = found == items.end() ? -1 : int(found - items.begin());
    std::vector<int> inserted;
    const int first = ReadTreeText(lines, &nodes, index, &inserted);
    if (first < 0) return TRUE;
    std::vector<bool> isNew(nodes.size(), false);
    for (int i : inserted) isNew[std::size_t(i)] = true;
    std::vector<int> former;
    for (std::size_t i = 0, old = 0; i < nodes.size(); ++i) former.push_back(isNew[i] ? -1 : int(old++));
    replaceNodes(nodes, former, expanded, &items);
    SelectItem(items[std::size_t(first)]);
    EnsureVisible(items[std::size_t(first)]);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

HTREEITEM CQXCmdTreeCtrl::copySubtree(HTREEITEM item, HTREEITEM parent, HTREEITEM after) {
  int image = 0, selected = 0;
  GetItemImage(item, image, selected);
  HTREEITEM copy = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE, GetItemText(item),
                              image, selected, GetItemState(item, TVIS_STATEIMAGEMASK), TVIS_STATEIMAGEMASK,
                              LPARAM(GetItemData(item)), parent ? parent : TVI_ROOT, after);
  if (!copy) return nullptr;
  copy->setData(0, kLabelBytesRole, item->data(0, kLabelBytesRole));
  for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
    copySubtree(child, copy, TVI_LAST);
  if (GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) Expand(copy, TVE_EXPAND);
  return copy;
}

BOOL CQXCmdTreeCtrl::Move(int direction) {
  HTREEITEM item = GetSelectedItem();
  if (!item) return FALSE;
  HTREEITEM after = nullptr;
  if (direction == 0) {
    HTREEITEM previous = GetPrevSiblingItem(item);
    if (!previous) return FALSE;
    after = GetPrevSiblingItem(previous);
    if (!after) after = TVI_FIRST;
  } else {
    after = GetNextSiblingItem(item);
    if (!after) return FALSE;
  }
  HTREEITEM copy = copySubtree(item, GetParentItem(item), after);
  if (!copy) return FALSE;
  CTreeCtrl::DeleteItem(item);
  SelectItem(copy);
  EnsureVisible(copy);
  return TRUE;
}

// ---- notifications, keys and menus ----

void CQXCmdTreeCtrl::OnBeginLabelEdit(NMHDR* header, LRESULT* result) {
  HTREEITEM item = reinterpret_cast<NMTVDISPINFO*>(header)->item.hItem;
  // Folders only; the root's label is not stored, so it is not edited.
  *result = item && GetParentItem(item) && TreeItemIsFolder(*this, item) ? 0 : 1;
  // The edit exists once this notification is answered; the whole label is
  // selected, so that typing replaces it.
  if (*result == 0)
    QMetaObject::invokeMethod(
        this,
        [self = QPointer<CQXCmdTreeCtrl>(this)] {
          if (QLineEdit* edit = self ? self->GetEditControl() : nullptr) {
            MakeCalcTextEdit(edit, kLabelMax);
            edit->selectAll();
          }
        },
        Qt::QueuedConnection);
}

void CQXCmdTreeCtrl::OnEndLabelEdit(NMHDR* header, LRESULT* result) {
  const TVITEM& item = reinterpret_cast<NMTVDISPINFO*>(header)->item;
  *result = 0;
  // A cancelled edit keeps the label.
  if (!item.pszText || !item.hItem) return;
  // The codes of the old label that still show stay as they were.
  std::string bytes = CalcEditedCodesIn(GetTreeWidget()->font(), LabelBytes(item.hItem), *item.pszText);
  bytes.resize(std::min<std::size_t>(bytes.size(), kLabelMax));
  if (bytes.empty()) bytes = CLanguageLibrary::LoadStringA(kNoName);
  setLabel(item.hItem, bytes);
}

void CQXCmdTreeCtrl::OnItemExpanding(NMHDR* header, LRESULT* result) {
  const auto* nm = reinterpret_cast<NMTREEVIEW*>(header);
  *result = (nm->action & TVE_COLLAPSE) && !(nm->action & TVE_EXPAND) && !GetParentItem(nm->itemNew.hItem) ? 1 : 0;
}

void CQXCmdTreeCtrl::OnBeginDrag(NMHDR* header, LRESULT* result) {
  *result = 0;
  HTREEITEM item = reinterpret_cast<NMTREEVIEW*>(header)->itemNew.hItem;
  if (TreeItemIsLeaf(*this, item) && GetItemData(item) != 0) DragCommandOut(this, DWORD(GetItemData(item)));
}

void CQXCmdTreeCtrl::showMenu(QPoint screen) {
  CWnd* owner = GetParent();
  TrackContextMenu(owner ? owner : this, screen.x(), screen.y(), contextMenuId, TRUE);
}

void CQXCmdTreeCtrl::OnRClick(NMHDR*, LRESULT* result) {
  *result = 1;
  const QPoint cursor = GetMessagePos();
  if (HTREEITEM item = HitTest(GetTreeWidget()->viewport()->mapFromGlobal(cursor))) SelectItem(item);
  showMenu(cursor);
}

void CQXCmdTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
  // The mouse's menu comes with NM_RCLICK.
  if (event->reason() != QContextMenuEvent::Keyboard) return;
  event->accept();
  HTREEITEM item = GetSelectedItem();
  if (!item) return;
  EnsureVisible(item);
  QRect label;
  if (!GetItemRect(item, &label, TRUE)) return;
  showMenu(GetTreeWidget()->viewport()->mapToGlobal(label.bottomRight()));
}

BOOL CQXCmdTreeCtrl::PreTranslateMessage(MSG* msg) {
  QLineEdit* edit = GetEditControl();
  if (edit && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_DELETE ||
       msg->wParam == VK_CONTROL || GetKeyState(VK_CONTROL) < 0)) {
    // Straight to the edit field: no dialog button or accelerator takes it.
    MSG forward = *msg;
    forward.hwnd = edit;
    DispatchMessage(&forward);
    return TRUE;
  }
  return CTreeCtrl::PreTranslateMessage(msg);
}
