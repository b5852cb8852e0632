// CQXCmdTreeCtrl: the command tree: one root item (string 10242), folders
// and commands below it. Images: 0/1 the root, 2/3 a folder (closed, open),
// 4/5 a command; an item with an image below 4 is a folder. A command's item
// data is its command value, its label its characters. Each item keeps its
// label's bytes and shows them as the tree's font shows calculator codes;
// a new font, a paste or a move never changes the bytes.
//
// Editing: folders (never the root) are renamed in place, at most 128
// characters, an emptied label becomes "sans nom"; while a label is edited,
// Enter, Escape, Delete and Ctrl keys go to the edit field, not to the
// dialog or the accelerators. The tree text form of an item and its subtree
// (CommandTextForms.h) goes to and from the clipboard as "QX TreeCmd Data".
// The root item never collapses. Dragging a command offers its bytes to
// token editors (DragCommandOut). The context menu (137, or the one the
// owner sets) is owned by the parent.
#pragma once

#include "platform/ImageList.h"
#include "platform/TreeCtrl.h"
#include "tokens/CommandTree.h"

#include <vector>

class COrvoTextArchive;
class CQXCommandTable;

bool TreeItemIsFolder(const CTreeCtrl& tree, HTREEITEM item);
bool TreeItemIsLeaf(const CTreeCtrl& tree, HTREEITEM item);

class CQXCmdTreeCtrl : public CTreeCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXCmdTreeCtrl(QWidget* parent = nullptr);
  ~CQXCmdTreeCtrl() override;
  DECLARE_MESSAGE_MAP()

  using CTreeCtrl::DeleteItem;
  using CTreeCtrl::EditLabel;

  // Registers the form class "CQXCmdTreeCtrl" (once per run).
  static void RegisterCmdTreeClass();
  // The tree the form of `parent` made for control `id`, its images
  // loaded; null when there is none or the images are missing.
  static CQXCmdTreeCtrl* Init(UINT id, QWidget* parent);
  // FALSE when fewer than six images load.
  BOOL LoadImages();

  HTREEITEM InsertRootItem();
  // A new folder (label "sans nom" when none is given) beside the selected
  // item, or inside the selected folder; null when refused.
  HTREEITEM NewFolder(const char* label = nullptr);
  HTREEITEM NewSubFolder(const char* label = nullptr);
  // Starts editing the selected folder's label; null for the root item or a
  // command.
  QLineEdit* EditLabel();
  // Deletes the selected item with its subtree; a deleted root comes back
  // empty.
  BOOL DeleteItem();
  // A command as the last child of the selected folder (or of the selected
  // command's parent); null when nothing is selected.
  HTREEITEM InsertCommand(const char* label, DWORD value);
  // The selected item's tree text to the clipboard (also as CF_TEXT with
  // `asText`); FALSE when nothing is selected.
  BOOL Copy(BOOL asText = FALSE);
  BOOL Cut(BOOL asText = FALSE);
  // Inserts the clipboard's tree text at the selected item; TRUE also when
  // there is none.
  BOOL Paste();
  // 0 up, 1 down among the siblings, with the subtree.
  BOOL Move(int direction);

  BOOL WriteItemText(COrvoTextArchive& ar, HTREEITEM item);
  BOOL ReadItemText(COrvoTextArchive& ar, HTREEITEM target);

  // The items below the root item as a node list, in depth-first order;
  // `items` receives the item of each node.
  CQXCommandTreeNodes GetCommandNodes(std::vector<HTREEITEM>* items = nullptr) const;
  // Replaces everything by the root item and `nodes` below it; the root
  // is expanded.
  void SetCommandNodes(const CQXCommandTreeNodes& nodes, std::vector<HTREEITEM>* items = nullptr);
  // The font of the labels: each label shows its bytes as the new font
  // draws them; expanded folders and the selection stay.
  void SetLabelFont(const QFont& font);
  // Removes the commands `table` lacks and relabels the others with their
  // characters (AlignTreeWithTable); expanded folders and the selection stay.
  BOOL AlignWithTable(const CQXCommandTable& table);
  // The label's bytes, and bytes as the label shows them.
  std::string LabelBytes(HTREEITEM item) const;
  QString LabelText(const std::string& bytes) const;

  UINT contextMenuId = 137;

 protected:
  BOOL PreTranslateMessage(MSG* msg) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  int itemLevel(HTREEITEM item) const;
  void setLabel(HTREEITEM item, const std::string& bytes);
  HTREEITEM insertLabelled(const std::string& bytes, int image, DWORD value, HTREEITEM parent, HTREEITEM after);
  HTREEITEM insertFolder(HTREEITEM parent, const char* label);
  HTREEITEM copySubtree(HTREEITEM item, HTREEITEM parent, HTREEITEM after);
  std::vector<std::string> itemText(HTREEITEM item) const;
  BOOL insertText(const std::vector<std::string>& lines, HTREEITEM target);
  // SetCommandNodes, then expands each node whose former index (-1 for a
  // new one) was expanded.
  void replaceNodes(const CQXCommandTreeNodes& nodes, const std::vector<int>& former, const std::vector<bool>& expanded,
                    std::vector<HTREEITEM>* items);
  void showMenu(QPoint screen);

  void OnBeginLabelEdit(NMHDR* header, LRESULT* result);
  void OnEndLabelEdit(NMHDR* header, LRESULT* result);
  void OnItemExpanding(NMHDR* header, LRESULT* result);
  void OnBeginDrag(NMHDR* header, LRESULT* result);
  void OnRClick(NMHDR* header, LRESULT* result);

  CImageList images_;
};
