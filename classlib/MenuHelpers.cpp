#include "classlib/MenuHelpers.h"

#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Wnd.h"

namespace {

QString menuText(UINT stringId) { return CLanguageLibrary::LoadString(stringId).left(255); }

}  // namespace

BOOL TrackContextMenu(CWnd* owner, int x, int y, UINT menuId, BOOL updateUI) {
  CMenu menu;
  if (!menu.LoadMenu(menuId)) return FALSE;
  const BOOL shown = TrackPopupWithUpdate(owner, x, y, menu.GetSubMenu(0), updateUI);
  menu.DestroyMenu();
  return shown;
}

BOOL TrackPopupWithUpdate(CWnd* owner, int x, int y, CMenu* popup, BOOL updateUI) {
  if (!owner || !popup || !popup->GetSafeHmenu()) return FALSE;
  if (updateUI) UpdateMenuCommands(popup->GetSafeHmenu(), owner, TRUE);
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, owner);
  return TRUE;
}

BOOL InsertMenuString(CMenu* menu, UINT stringId, UINT cmdId, UINT position) {
  return menu && menu->InsertMenu(position, MF_BYPOSITION | MF_STRING, cmdId, menuText(stringId));
}

BOOL AppendMenuString(CMenu* menu, UINT stringId, UINT cmdId) {
  return menu && menu->AppendMenu(MF_STRING, cmdId, menuText(stringId));
}

BOOL RemoveMenuAt(CMenu* menu, UINT position) { return menu && menu->RemoveMenu(position, MF_BYPOSITION); }

BOOL RemoveMenuCommand(CMenu* menu, UINT cmdId) { return menu && menu->RemoveMenu(cmdId, MF_BYCOMMAND); }

int FindMenuCommand(CMenu* menu, UINT cmdId) {
  const int count = menu ? menu->GetMenuItemCount() : -1;
  for (int i = 0; i < count; ++i)
    if (menu->GetMenuItemID(i) == cmdId) return i;
  return -1;
}
