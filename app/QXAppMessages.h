// The messages and command ids the main window and its panes exchange.
//
// The three registered messages get their ids once per run from
// RegisterQXMessages (start-up calls it; the main frame too, so that a frame
// made without the application works); message maps name the variables,
// which hold 0 until then.
#pragma once

#include "platform/WinTypes.h"

// wParam: the column (0 tree, 1 content view) that takes the focus.
extern UINT msgQXSwitchToPane;
// wParam: the index of the icon view's entry that is to be opened.
extern UINT msgQXSwitchToView;
// lParam: the page protocol's view-data request; non-zero answer: handled.
extern UINT msgQXGetViewData;

void RegisterQXMessages();

enum : UINT {
  // Private message of the content sheet: lay the active page out again.
  kSheetMsgResizeActivePage = 0x800C,
  // Commands that activate page (id - first) of the content sheet.
  kCmdSelectFirstPage = 28001,
  kCmdSelectLastPage = 28010,
};
