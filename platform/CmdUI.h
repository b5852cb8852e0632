// The update protocol: before a menu shows and when the loop goes idle,
// every menu item and tool button asks the command route whether its
// command is enabled, checked or renamed. A CCmdUI stands for one item;
// its QAction is the menu item or tool button (null when only the state is
// wanted).
#pragma once

#include "platform/WinTypes.h"

#include <QString>

class CCmdTarget;
class QAction;
class QMenu;
class QObject;

class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  UINT m_nIndex = 0;     // position in the menu or bar
  UINT m_nIndexMax = 0;  // item count of the menu or bar
  QAction* m_pAction = nullptr;
  QMenu* m_pMenu = nullptr;     // the popup being updated, null for tool bars
  QObject* m_pOther = nullptr;  // the tool bar or other owner

  // What the handlers set, also when there is no action to show it.
  BOOL m_bEnabled = TRUE;
  int m_nCheck = 0;
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;

  virtual void Enable(BOOL on = TRUE);
  // 0 unchecked, 1 checked, 2 indeterminate (shown checked).
  virtual void SetCheck(int check = 1);
  virtual void SetRadio(BOOL on = TRUE);
  // Menu items only; the text may carry '&' and a '\t' before its key name.
  virtual void SetText(const QString& text);
  // Lets the command go on along the route after this handler.
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Runs the update handlers of the route from `target`; when none set the
  // enable state and `disableIfNoHandler` is TRUE, the item is enabled
  // exactly when some target handles the command. TRUE when a handler ran.
  BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

// The command id an action carries (property "commandId"), 0 for none.
UINT CommandIdOf(const QAction* action);
// Runs DoUpdate for every command item of `menu` (not its sub-menus).
// Handlers may add or remove items while this runs.
void UpdateMenuCommands(QMenu* menu, CCmdTarget* target, BOOL disableIfNoHandler);
