// Context menus whose commands show enabled and checked as their handlers
// say, and small menu helpers that take item texts from the string table.
#pragma once

#include "platform/Menu.h"

class CWnd;

// Shows the first sub-menu of menu resource `menuId` at screen point (x, y)
// with `owner` as the command target (TrackPopupWithUpdate). FALSE when the
// menu cannot be loaded or has no sub-menu.
BOOL TrackContextMenu(CWnd* owner, int x, int y, UINT menuId, BOOL updateUI);
// With `updateUI`, runs the update handlers of every item against `owner`
// first, disabling items no handler takes; then shows the popup, and the
// chosen command goes to `owner`. TRUE (FALSE only without a popup or owner).
BOOL TrackPopupWithUpdate(CWnd* owner, int x, int y, CMenu* popup, BOOL updateUI);

// The text of string `stringId` (at most 255 characters) as an item with
// command `cmdId`: inserted at `position`, or appended.
BOOL InsertMenuString(CMenu* menu, UINT stringId, UINT cmdId, UINT position);
BOOL AppendMenuString(CMenu* menu, UINT stringId, UINT cmdId);
BOOL RemoveMenuAt(CMenu* menu, UINT position);
BOOL RemoveMenuCommand(CMenu* menu, UINT cmdId);
// The position of the first item with command `cmdId` (separators count),
// -1 when there is none or the menu cannot be read.
int FindMenuCommand(CMenu* menu, UINT cmdId);
