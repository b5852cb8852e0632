// COrvoListCtrl: a list control that deletes itself when its window is
// destroyed (autoDelete, set by the constructor), with selection helpers;
// and the helpers the program uses on any list control.
//
// Lists made with new end through their window (DestroyWindow, their own
// or their parent's): PostNcDestroy deletes them once, after the current
// event. Lists that are members of another object clear autoDelete in
// their constructor; their owner deletes them. A list deleted directly
// (delete) clears autoDelete before its destructor destroys the window, so
// it is never deleted a second time.
#pragma once

#include "platform/ListCtrl.h"

class QContextMenuEvent;

class COrvoListCtrl : public CListCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoListCtrl(QWidget* parent = nullptr);
  ~COrvoListCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Registers the form class "COrvoListCtrl" (once per run); a list a form
  // makes belongs to its dialog, never deletes itself.
  static void RegisterListClass();

  // LVIS_SELECTED / LVIS_FOCUSED of the item set or cleared.
  BOOL SetItemSelected(int item, BOOL on);
  BOOL SetItemFocused(int item, BOOL on);
  // The header's item count; 0 while the list has no header (no column
  // was ever inserted).
  int GetColumnCount() const;

  BOOL autoDelete = TRUE;

 protected:
  void PostNcDestroy() override;
};

// The first selected item, -1 when none.
int GetFirstSelectedItem(CListCtrl* list);
// Turns the state `bits` of the item on, leaving the others.
BOOL SetListItemState(CListCtrl* list, int item, UINT bits);
// The context menu of a list control of commands or macros: asked from the
// keyboard it opens at the client point (0, 0); asked with the mouse the
// item under the pointer is first focused, or also selected with
// `selectItem`. The first popup of menu resource `menuId` is tracked with
// the list's parent as owner, so its commands reach the parent. FALSE for
// menu 0 or a menu that cannot be shown.
BOOL TrackListContextMenu(CListCtrl* list, QContextMenuEvent* event, UINT menuId, BOOL selectItem);
// Fills the part of the list's client area that no item covers (from the
// top index down to the first item past the bottom) with the window colour,
// before the list draws its items. TRUE when it painted.
BOOL EraseListEmptyArea(CListCtrl* list, CDC* dc);
