// CListCtrl: the list control, over one QStandardItemModel (a row per item,
// a column per sub-item) shown by one of two views that share the model and
// its selection: a QListView for LVS_ICON, LVS_SMALLICON and LVS_LIST, a
// QTreeView with a header for LVS_REPORT. ModifyStyle switches between them;
// items, selection, focus and column widths stay.
//
// - Client coordinates are those of the shown view's viewport (below the
//   header in report mode): HitTest, GetItemRect and the points of the
//   notifications use them.
// - Columns: the header exists once a column was inserted (GetHeaderCtrl is
//   null before); before that the list has its one item column. Columns
//   inserted or captioned through the model (classlib/ListHelpers.h on
//   GetReportView()) count as inserted.
// - Images: the normal list for LVS_ICON, the small one for the others.
// - LVS_SORTASCENDING: an item inserted with a text goes where its text
//   sorts among the items' texts (tallix::CompareTextLocale on the
//   Windows-1252 bytes), whatever index it was given.
// - LVS_SINGLESEL: at most one selected item; LVS_AUTOARRANGE: icons are
//   laid out again when the window changes size; LVS_NOSORTHEADER: the
//   column headers are not buttons (no LVN_COLUMNCLICK);
//   LVS_EX_FULLROWSELECT draws the whole row of a selected item;
//   LVS_EX_GRIDLINES draws lines around the cells of the report view.
// - LVIS_DROPHILITED: the item is drawn as selected while the others are
//   drawn plain, as a drop target under a drag (one item at a time).
// - Notifications to the parent: LVN_BEGINDRAG when the left button drags
//   an item, LVN_DELETEITEM for every item removed (also when the window is
//   destroyed), LVN_COLUMNCLICK, NM_DBLCLK (NMITEMACTIVATE, iItem -1 off
//   the items).
// - OnEraseBkgnd runs in every paint of the view before the items are drawn.
#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/Wnd.h"

class CDC;
class CImageList;
class QAbstractItemView;
class QHeaderView;
class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;

using DWORD_PTR = std::uintptr_t;

inline constexpr DWORD LVS_ICON = 0x0000;
inline constexpr DWORD LVS_REPORT = 0x0001;
inline constexpr DWORD LVS_SMALLICON = 0x0002;
inline constexpr DWORD LVS_LIST = 0x0003;
inline constexpr DWORD LVS_TYPEMASK = 0x0003;
inline constexpr DWORD LVS_SINGLESEL = 0x0004;
inline constexpr DWORD LVS_SHOWSELALWAYS = 0x0008;
inline constexpr DWORD LVS_SORTASCENDING = 0x0010;
inline constexpr DWORD LVS_AUTOARRANGE = 0x0100;
inline constexpr DWORD LVS_NOCOLUMNHEADER = 0x4000;
inline constexpr DWORD LVS_NOSORTHEADER = 0x8000;
inline constexpr DWORD LVS_EX_GRIDLINES = 0x0001;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;
enum : UINT { LVIS_FOCUSED = 0x0001, LVIS_SELECTED = 0x0002, LVIS_CUT = 0x0004, LVIS_DROPHILITED = 0x0008 };
enum : UINT { LVNI_ALL = 0x0000, LVNI_FOCUSED = 0x0001, LVNI_SELECTED = 0x0002 };
enum : UINT { LVIF_TEXT = 0x0001, LVIF_IMAGE = 0x0002, LVIF_PARAM = 0x0004, LVIF_STATE = 0x0008 };
enum : int { LVSIL_NORMAL = 0, LVSIL_SMALL = 1 };
enum : UINT { LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2, LVIR_SELECTBOUNDS = 3 };
enum : UINT { LVHT_NOWHERE = 0x0001, LVHT_ONITEMICON = 0x0002, LVHT_ONITEMLABEL = 0x0004, LVHT_ONITEM = 0x000E };
enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };
enum : int { LVN_DELETEITEM = -103, LVN_COLUMNCLICK = -108, LVN_BEGINDRAG = -109 };

struct NMLISTVIEW {
  NMHDR hdr;
  int iItem = -1;
  int iSubItem = 0;
  UINT uNewState = 0;
  UINT uOldState = 0;
  UINT uChanged = 0;
  QPoint ptAction;  // client coordinates
  LPARAM lParam = 0;
};

struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem = -1;
  int iSubItem = 0;
  QPoint ptAction;
  LPARAM lParam = 0;
  UINT uKeyFlags = 0;
};

struct LVHITTESTINFO {
  QPoint pt;
  UINT flags = 0;
  int iItem = -1;
  int iSubItem = 0;
};

class CListCtrl : public CWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CListCtrl(QWidget* parent = nullptr);
  ~CListCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Window and LVS_ styles; shown with WS_VISIBLE.
  BOOL Create(DWORD style, const QRect& rect, QWidget* parent, UINT nID);
  DWORD GetExtendedStyle() const { return exStyle_; }
  // The previous extended style.
  DWORD SetExtendedStyle(DWORD exStyle);

  // The view shown now, the report view (whose header holds the columns,
  // for classlib/ListHelpers.h), the icon view, and the model.
  QAbstractItemView* GetItemView() const;
  QTreeView* GetReportView() const;
  QListView* GetIconView() const;
  QStandardItemModel* GetModel() const { return model_; }
  void GetClientRect(QRect* rect) const override;

  // `width` -1 leaves the header's default. The column's index, -1 when it
  // cannot be inserted.
  int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int column);
  int GetColumnWidth(int column) const;
  BOOL SetColumnWidth(int column, int width);
  QHeaderView* GetHeaderCtrl() const;
  // The header's items: one per inserted column, 0 without a header.
  int GetHeaderItemCount() const { return headerMade_ ? columns_ : 0; }

  int GetItemCount() const;
  // The new item's index (`item` clamped to the count), -1 on failure.
  int InsertItem(int item, const QString& text, int image = -1);
  int InsertItem(UINT mask, int item, const QString& text, UINT state, UINT stateMask, int image, LPARAM data);
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  QString GetItemText(int item, int subItem) const;
  BOOL SetItemText(int item, int subItem, const QString& text);
  DWORD_PTR GetItemData(int item) const;
  BOOL SetItemData(int item, DWORD_PTR data);
  int GetItemImage(int item) const;
  BOOL SetItemImage(int item, int image);
  // LVIS_SELECTED and LVIS_FOCUSED answer the live state; item -1 sets
  // every item.
  UINT GetItemState(int item, UINT mask) const;
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetSelectedCount() const;
  // The next item after `start` (-1: from the first) with the LVNI_ flags.
  int GetNextItem(int start, UINT flags) const;

  // Not owned; the previous list.
  CImageList* SetImageList(CImageList* list, int which);
  CImageList* GetImageList(int which) const;

  BOOL EnsureVisible(int item, BOOL partialOK);
  int HitTest(QPoint point, UINT* flags = nullptr) const;
  int HitTest(LVHITTESTINFO* info) const;
  BOOL GetItemRect(int item, QRect* rect, UINT code) const;
  // First item shown in report and list mode; 0 in the icon modes.
  int GetTopIndex() const;
  int GetCountPerPage() const;
  // Scrolls by pixels.
  BOOL Scroll(QSize size);

  // The erase step of a paint, before the items are drawn; the base draws
  // nothing.
  virtual BOOL OnEraseBkgnd(CDC* dc);

 protected:
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;
  void OnDestroy() override;

 private:
  template <class Base>
  class View;
  class Delegate;
  template <class Base>
  friend class View;
  friend class Delegate;

  bool validItem(int item) const { return item >= 0 && item < GetItemCount(); }
  int modelColumns() const;
  void applyMode();
  void notifyDelete(int item);
  void adoptModelColumns();

  QStandardItemModel* model_;
  QStackedLayout* stack_;
  QListView* iconView_;
  QTreeView* reportView_;
  CImageList* normalImages_ = nullptr;
  CImageList* smallImages_ = nullptr;
  int columns_ = 0;           // inserted columns
  bool headerMade_ = false;   // a column was inserted once
  std::vector<int> formats_;  // LVCFMT_ of each column
  DWORD exStyle_ = 0;
  bool changingColumns_ = false;
  QPersistentModelIndex dropHilite_;
};
