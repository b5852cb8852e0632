// CMenu: a menu over a QMenu. Items are the menu's actions; positions count
// separators and sub-menus as the platform's menus do. A command item's
// action carries its id (QAction::data() and the property "commandId", as
// the language library's menus do).
//
// A CMenu that loaded or created its menu owns it and destroys it with
// itself (or DestroyMenu); FromHandle gives the one CMenu that stands for a
// menu it does not own (a sub-menu), which lives as long as that menu.
//
// A menu may make its entries only when they are first needed (CMenuFill):
// every CMenu call that counts, reads, finds or changes entries fills it
// first, as does showing it, so that it answers as if it had been filled
// from the start.
#pragma once

#include "platform/WinMessages.h"

#include <QMenu>
#include <QPointer>
#include <QString>

class CWnd;
class QAction;

// What makes a menu's entries when they are first needed: given to a menu,
// it runs once, when the menu is about to show or a CMenu call (or
// FillMenu) first needs its entries, and goes with it; until then the menu
// holds none of them. A search by command fills the sub-menus it looks
// through.
class CMenuFill : public QObject {
 public:
  // Becomes `menu`'s child and its pending fill.
  explicit CMenuFill(QMenu* menu);
  ~CMenuFill() override;
  // The fill `menu` still waits for, or null.
  static CMenuFill* Of(const QMenu* menu);

 protected:
  // Makes `menu`'s entries; the fill is no longer pending while it runs.
  virtual void Fill(QMenu* menu) = 0;

 private:
  friend void FillMenu(QMenu* menu);
  QMenu* menu_;
};

// Runs the fill `menu` waits for, if any.
void FillMenu(QMenu* menu);

enum : UINT {
  MF_STRING = 0x0,
  MF_BYCOMMAND = 0x0,
  MF_ENABLED = 0x0,
  MF_GRAYED = 0x1,
  MF_DISABLED = 0x2,
  MF_CHECKED = 0x8,
  MF_POPUP = 0x10,
  MF_BYPOSITION = 0x400,
  MF_SEPARATOR = 0x800,
};
enum : UINT { TPM_LEFTALIGN = 0x0, TPM_RIGHTBUTTON = 0x2, TPM_RETURNCMD = 0x100 };

class CMenu {
 public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  static CMenu* FromHandle(QMenu* menu);
  QMenu* GetSafeHmenu() const { return menu_.data(); }

  // Menu resource `id` of the language library; FALSE when it is missing.
  BOOL LoadMenu(UINT id);
  BOOL CreatePopupMenu();
  BOOL Attach(QMenu* menu);  // takes ownership
  QMenu* Detach();
  // Destroys a menu this CMenu owns; either way it stands for none after.
  BOOL DestroyMenu();

  // -1 without a menu.
  int GetMenuItemCount() const;
  // The command id at `pos`: 0 for a separator, 0xFFFFFFFF for a sub-menu or
  // a position outside the menu.
  UINT GetMenuItemID(int pos) const;
  CMenu* GetSubMenu(int pos) const;

  // MF_STRING (optionally MF_GRAYED, MF_CHECKED) or MF_SEPARATOR; the text
  // may carry '&' and a '\t' before a key name.
  BOOL AppendMenu(UINT flags, UINT id = 0, const QString& text = {});
  // Before the item at `position` (MF_BYPOSITION; past the end appends) or
  // before the item with command `position` (MF_BYCOMMAND, sub-menus
  // searched too).
  BOOL InsertMenu(UINT position, UINT flags, UINT id = 0, const QString& text = {});
  // `popup` as a sub-menu with `text`, at the end or before the item at
  // `position` (past the end appends); the menu becomes its parent, so that
  // it goes with the menu. FALSE without a menu or a popup.
  BOOL AppendPopup(QMenu* popup, const QString& text);
  BOOL InsertPopup(UINT position, QMenu* popup, const QString& text);
  // Takes the item out (MF_BYPOSITION or MF_BYCOMMAND, sub-menus searched
  // too); a sub-menu itself is not destroyed.
  BOOL RemoveMenu(UINT position, UINT flags);

  // Shows the menu at screen point (x, y) until the user chooses or leaves.
  // The chosen command is posted to `owner` as WM_COMMAND and the result is
  // TRUE; with TPM_RETURNCMD nothing is posted and the result is the chosen
  // id (0 for none).
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);

 private:
  QAction* newItem(UINT flags, UINT id, const QString& text) const;

  QPointer<QMenu> menu_;
  bool owned_ = false;
};
