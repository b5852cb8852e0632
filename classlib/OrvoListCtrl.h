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

class COrvoListCtrl : public CListCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoListCtrl(QWidget* parent = nullptr);
  ~COrvoListCtrl() override;
  DECLARE_MESSAGE_MAP()

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
// Fills the part of the list's client area that no item covers (from the
// top index down to the first item past the bottom) with the window colour,
// before the list draws its items. TRUE when it painted.
BOOL EraseListEmptyArea(CListCtrl* list, CDC* dc);
