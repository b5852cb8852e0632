// The menu extension file: extra popups, sub-menus and items for the main
// menu, described in a private-profile file ("qxmenu.ini", or the file of
// "Settings"/"Menu File"), and for each command of 15000-15999 a target the
// shell opens and a status-bar text.
//
// [Menus] lists the menu sections in the order they are built. A menu
// section names its "Caption", its "Menu Items" section and where it goes:
// "Position" below 50 is a place in the menu bar, 50 or more the key of a
// popup (app/MenuPopups.h); with "Sub Position Cmd" (after the item of that
// command, at the top when none has it) or "Sub Position" (an index) the
// popup becomes a sub-menu of that popup, with separators around it unless
// "Add Separators" is 0. Items sections hold "text=id" lines (-1 a
// separator, 0 nothing) and plain names of sections that become sub-menus,
// at most 8 levels deep. A menu section the file does not hold, or whose
// popup is not there, is skipped. The file is read once per build; a build
// takes at most 128 lines from a section (more than a menu as tall as the
// screen shows) and adds at most 1,000 entries (popups, sub-menus, items,
// separators): the rest of the file is skipped, however often it lists a
// section, and the work does not grow with what is skipped. The build makes
// the popups; each makes its entries when they are first needed (showing,
// or a CMenu call), as the whole build in order would have made them.
//
// [Commands] of "qxmenu.ini" holds "<id> URL" and "<id> Status Line", or
// "<id> Ref File" naming where they are instead: "REG:<key path>" (read
// through classlib/RegistryReader.h, with "%ROOT%"), a file path, or a file
// name of the data folder or the program directory.
//
// File names without a folder are looked up in the data folder first, then
// in the program directory; '\' and '/' both separate folders. Texts that
// are shown (captions, status texts) are Windows-1252; file names and
// targets are the system's own 8-bit names.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <string>

class CMenu;

enum : UINT { kFirstMenuFileCommand = 15000, kLastMenuFileCommand = 15999 };

// The file a menu file name stands for (see above).
QString MenuExtensionFilePath(const QString& name);

// Builds the menus of `file` into the main window's menu bar. A missing or
// empty file builds nothing; FALSE only when the main window has no menu
// bar.
BOOL BuildMenuExtension(const QString& file);
// Appends the items of `section` of `file` to `popup`; sub-menus are filled
// at `depth` + 1, when they are first needed, under the bound of one build. FALSE for a depth of 8 or
// more, or without a popup.
BOOL AddMenuExtensionItems(CMenu* popup, const QString& file, const char* section, int depth);

// The value `name` of command `id` (see [Commands] above). FALSE for an id
// outside 15000-15999, or a missing or empty value.
BOOL ReadMenuCommandValue(UINT id, const char* name, std::string* out);
// "URL": what the shell opens for the command.
BOOL GetMenuCommandTarget(UINT id, std::string* out);
// "Status Line": the command's status-bar text.
BOOL GetMenuCommandStatusText(UINT id, std::string* out);
