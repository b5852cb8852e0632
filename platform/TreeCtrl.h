// CTreeCtrl: the tree control, over a QTreeWidget whose items are the
// control's item handles (HTREEITEM).
//
// - Client coordinates are those of the tree widget's viewport (the area
//   the items are drawn in): HitTest, GetItemRect, the drag point of
//   TVN_BEGINDRAG and a drop target registered on GetTreeWidget() use them.
// - Images: each item names an image and a selected image of the normal
//   image list; the caret item shows its selected image.
// - The caret item is the selected item (single selection). The drop
//   highlight (SelectDropTarget) is a state of its own that the control
//   draws as selected while the caret item is drawn plain.
// - Notifications go to the parent window as WM_NOTIFY (NMTREEVIEW,
//   NMTVDISPINFO or NMHDR):
//   TVN_SELCHANGING before the caret moves (a non-zero result refuses),
//   TVN_SELCHANGED after, with the cause TVC_BYMOUSE, TVC_BYKEYBOARD or
//   TVC_UNKNOWN (SelectItem, or a deletion that took the caret item: the
//   caret then moves from no item to the next item beside the deleted
//   one, else the one before, else the parent);
//   TVN_ITEMEXPANDING before the user expands or collapses an item
//   (non-zero refuses), TVN_ITEMEXPANDED after; Expand itself sends none;
//   TVN_DELETEITEM for every item removed, its data still readable (also
//   for every item left when the window is destroyed);
//   TVN_BEGINDRAG when the left button drags an item (not with
//   TVS_DISABLEDRAGDROP); TVN_BEGINLABELEDIT (non-zero refuses) and
//   TVN_ENDLABELEDIT (text null when cancelled; non-zero takes the text);
//   NM_RCLICK when the right button is let go (it does not move the
//   caret); NM_DBLCLK (non-zero keeps the item from toggling).
#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>

#include "platform/Wnd.h"

class CImageList;
class QPersistentModelIndex;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

using HTREEITEM = QTreeWidgetItem*;
using DWORD_PTR = std::uintptr_t;

// Special places for InsertItem: under the root, first, last, sorted.
inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(~std::uintptr_t(0xFFFF));
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(~std::uintptr_t(0xFFFE));
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(~std::uintptr_t(0xFFFD));
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(~std::uintptr_t(0xFFFC));

inline constexpr DWORD TVS_HASBUTTONS = 0x0001;
inline constexpr DWORD TVS_HASLINES = 0x0002;
inline constexpr DWORD TVS_LINESATROOT = 0x0004;
inline constexpr DWORD TVS_EDITLABELS = 0x0008;
inline constexpr DWORD TVS_DISABLEDRAGDROP = 0x0010;
inline constexpr DWORD TVS_SHOWSELALWAYS = 0x0020;
enum : UINT {
  TVGN_ROOT = 0x0,
  TVGN_NEXT = 0x1,
  TVGN_PREVIOUS = 0x2,
  TVGN_PARENT = 0x3,
  TVGN_CHILD = 0x4,
  TVGN_FIRSTVISIBLE = 0x5,
  TVGN_NEXTVISIBLE = 0x6,
  TVGN_PREVIOUSVISIBLE = 0x7,
  TVGN_DROPHILITE = 0x8,
  TVGN_CARET = 0x9,
  TVGN_LASTVISIBLE = 0xA,
};
enum : UINT { TVE_COLLAPSE = 0x1, TVE_EXPAND = 0x2, TVE_TOGGLE = 0x3 };
enum : UINT { TVC_UNKNOWN = 0x0, TVC_BYMOUSE = 0x1, TVC_BYKEYBOARD = 0x2 };
enum : UINT {
  TVIS_SELECTED = 0x0002,
  TVIS_CUT = 0x0004,
  TVIS_DROPHILITED = 0x0008,
  TVIS_BOLD = 0x0010,
  TVIS_EXPANDED = 0x0020,
  TVIS_STATEIMAGEMASK = 0xF000,
};
enum : UINT {
  TVIF_TEXT = 0x01,
  TVIF_IMAGE = 0x02,
  TVIF_PARAM = 0x04,
  TVIF_STATE = 0x08,
  TVIF_HANDLE = 0x10,
  TVIF_SELECTEDIMAGE = 0x20,
};
enum : UINT {
  TVHT_NOWHERE = 0x001,
  TVHT_ONITEMICON = 0x002,
  TVHT_ONITEMLABEL = 0x004,
  TVHT_ONITEMINDENT = 0x008,
  TVHT_ONITEMBUTTON = 0x010,
  TVHT_ONITEMRIGHT = 0x020,
  TVHT_ONITEMSTATEICON = 0x040,
  TVHT_ONITEM = 0x046,
  TVHT_ABOVE = 0x100,
  TVHT_BELOW = 0x200,
  TVHT_TORIGHT = 0x400,
  TVHT_TOLEFT = 0x800,
};
enum : int { TVSIL_NORMAL = 0, TVSIL_STATE = 2 };
enum : int {
  TVN_SELCHANGING = -401,
  TVN_SELCHANGED = -402,
  TVN_ITEMEXPANDING = -405,
  TVN_ITEMEXPANDED = -406,
  TVN_BEGINDRAG = -407,
  TVN_DELETEITEM = -409,
  TVN_BEGINLABELEDIT = -410,
  TVN_ENDLABELEDIT = -411,
};

struct TVITEM {
  UINT mask = 0;
  HTREEITEM hItem = nullptr;
  UINT state = 0;
  UINT stateMask = 0;
  // The label; in TVN_ENDLABELEDIT the edited text, null when cancelled.
  QString* pszText = nullptr;
  int iImage = 0;
  int iSelectedImage = 0;
  LPARAM lParam = 0;
};

struct NMTREEVIEW {
  NMHDR hdr;
  UINT action = 0;  // TVC_ for selection changes, TVE_ for expansion
  TVITEM itemOld;
  TVITEM itemNew;
  QPoint ptDrag;  // client coordinates
};

struct NMTVDISPINFO {
  NMHDR hdr;
  TVITEM item;
};

struct TVHITTESTINFO {
  QPoint pt;
  UINT flags = 0;
  HTREEITEM hItem = nullptr;
};

class CTreeCtrl : public CWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CTreeCtrl(QWidget* parent = nullptr);
  ~CTreeCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Window and TVS_ styles; shown with WS_VISIBLE.
  BOOL Create(DWORD style, const QRect& rect, QWidget* parent, UINT nID);
  // The widget that shows the items (its viewport gives the client area).
  QTreeWidget* GetTreeWidget() const;
  void GetClientRect(QRect* rect) const override;

  HTREEITEM InsertItem(const QString& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
  HTREEITEM InsertItem(const QString& text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                       HTREEITEM after = TVI_LAST);
  // TVIF_ mask says which of text, images, state and data are given.
  HTREEITEM InsertItem(UINT mask, const QString& text, int image, int selectedImage, UINT state, UINT stateMask,
                       LPARAM data, HTREEITEM parent, HTREEITEM after);
  // Removes the item and everything below it (TVI_ROOT: every item).
  BOOL DeleteItem(HTREEITEM item);
  BOOL DeleteAllItems();
  UINT GetCount() const;
  UINT GetVisibleCount() const;

  QString GetItemText(HTREEITEM item) const;
  BOOL SetItemText(HTREEITEM item, const QString& text);
  DWORD_PTR GetItemData(HTREEITEM item) const;
  BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
  BOOL GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
  BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);
  // TVIS_SELECTED, TVIS_DROPHILITED and TVIS_EXPANDED answer the live
  // state; other bits are kept as set.
  UINT GetItemState(HTREEITEM item, UINT mask) const;
  BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
  BOOL ItemHasChildren(HTREEITEM item) const;

  // Not owned; the previous list.
  CImageList* SetImageList(CImageList* list, int which);
  CImageList* GetImageList(int which) const;

  HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
  HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
  HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
  HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
  HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
  HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
  HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
  HTREEITEM GetNextVisibleItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXTVISIBLE); }
  HTREEITEM GetPrevVisibleItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUSVISIBLE); }
  HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
  HTREEITEM GetDropHilightItem() const { return GetNextItem(nullptr, TVGN_DROPHILITE); }

  BOOL Expand(HTREEITEM item, UINT code);
  // TVGN_CARET, TVGN_DROPHILITE or TVGN_FIRSTVISIBLE; null clears.
  BOOL Select(HTREEITEM item, UINT code);
  // Moves the caret (TVN_SELCHANGING may refuse) and shows the item.
  BOOL SelectItem(HTREEITEM item);
  BOOL SelectDropTarget(HTREEITEM item);
  BOOL SelectSetFirstVisible(HTREEITEM item);
  // Expands the item's parents and scrolls it into view.
  BOOL EnsureVisible(HTREEITEM item);

  // The item on the row at `point` (flags say where on it), null for none.
  HTREEITEM HitTest(QPoint point, UINT* flags = nullptr) const;
  HTREEITEM HitTest(TVHITTESTINFO* info) const;
  // The item's whole row (textOnly FALSE) or its label; FALSE when the
  // item is not shown (a parent collapsed).
  BOOL GetItemRect(HTREEITEM item, QRect* rect, BOOL textOnly) const;

  // Starts editing the label (TVN_BEGINLABELEDIT may refuse); the edit
  // field, null when refused.
  QLineEdit* EditLabel(HTREEITEM item);
  QLineEdit* GetEditControl() const;

 protected:
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;
  // Every item goes (TVN_DELETEITEM each) while the parent still listens.
  void OnDestroy() override;

 private:
  class Widget;
  class Delegate;
  friend class Widget;
  friend class Delegate;

  TVITEM itemInfo(HTREEITEM item) const;
  HTREEITEM insertAt(QTreeWidgetItem* item, HTREEITEM parent, HTREEITEM after);
  void notifyDeletes(HTREEITEM item);
  void caretChanged(HTREEITEM from, HTREEITEM to);
  HTREEITEM survivingOld(HTREEITEM old, const QPersistentModelIndex& still) const;
  void afterInput();
  void expansionChanged(HTREEITEM item, bool expanded);
  bool beginLabelEdit(HTREEITEM item);
  bool endLabelEdit(QString* text);
  void setCurrentQuietly(HTREEITEM item);
  void setDropHilite(HTREEITEM item);
  void afterCaretRemoved(HTREEITEM next);

  Widget* tree_;
  CImageList* normalImages_ = nullptr;
  CImageList* stateImages_ = nullptr;
  HTREEITEM dropHilite_ = nullptr;
  HTREEITEM editItem_ = nullptr;
  QPointer<QLineEdit> editor_;
  bool editEnded_ = false;
  int quiet_ = 0;  // caret and expansion changes made by the control itself
  UINT cause_ = TVC_UNKNOWN;
};
