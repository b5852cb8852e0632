// The main menu's popups by stable key. Keys stay valid while popups are
// inserted into the menu bar: the table maps each key to the popup's current
// position (100 File, 200 Edit, 300 Link, 400 Options, 500 View, 600 Help).
#pragma once

#include "platform/WinTypes.h"

#include <QString>

class CMenu;

enum : int {
  kPopupFile = 100,
  kPopupEdit = 200,
  kPopupLink = 300,
  kPopupOptions = 400,
  kPopupView = 500,
  kPopupHelp = 600,
};

// The key the first popup inserted into the menu bar takes; each later one
// takes the next.
enum : int { kFirstInsertedPopupKey = 1000 };

// Clears the table, writes the six keys at positions 0 to 5 and starts the
// keys of inserted popups again at 1000.
void InitMenuPopupTable();
// The main window's popup of that key (the table is initialised when
// needed); null without a main menu, for an unknown key or a key whose
// position is -1.
CMenu* GetMenuPopupByKey(int key);
// The main window's popup at that position of the menu bar, or null.
CMenu* GetMenuPopupByPosition(int position);

// Insert `popup` (which the menu bar then owns; the CMenu stands for no menu
// after) with `caption` into the main window's menu bar: before the popup of
// `key`, or at `position` (clipped to the keys the table holds). The popups
// from there on move one place, the new one takes the next key (`newKey`).
// FALSE, and nothing changes, when the table is not initialised or full
// (19 keys), the main window has no menu bar, the key is unknown or its
// position is -1.
BOOL InsertPopupBeforeKey(CMenu* popup, const QString& caption, int key, int* newKey);
BOOL InsertPopupAtPosition(CMenu* popup, const QString& caption, int position, int* newKey);
