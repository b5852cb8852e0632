#include "app/MenuPopups.h"

#include "platform/FrameWnd.h"
#include "platform/Menu.h"
#include "platform/WinApp.h"

#include <QAction>
#include <QMenuBar>

#include <algorithm>
#include <array>

namespace {

struct PopupEntry {
  int key = 0;
  int position = -1;
};

// At most 19 keys are used; a key of 0 ends the list.
struct PopupTable {
  std::array<PopupEntry, 20> entries{};
  bool initialised = false;
  int nextKey = kFirstInsertedPopupKey;
};

PopupTable& table() {
  static PopupTable t;
  return t;
}

}  // namespace

void InitMenuPopupTable() {
  PopupTable& t = table();
  t.entries.fill(PopupEntry{});
  const int keys[] = {kPopupFile, kPopupEdit, kPopupLink, kPopupOptions, kPopupView, kPopupHelp};
  for (int i = 0; i < 6; ++i) t.entries[size_t(i)] = {keys[i], i};
  t.initialised = true;
  t.nextKey = kFirstInsertedPopupKey;
}

CMenu* GetMenuPopupByPosition(int position) {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  QMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
  if (!bar || position < 0) return nullptr;
  const QList<QAction*> actions = bar->actions();
  if (position >= actions.size() || !actions[position]->menu()) return nullptr;
  return CMenu::FromHandle(actions[position]->menu());
}

CMenu* GetMenuPopupByKey(int key) {
  PopupTable& t = table();
  if (!t.initialised) InitMenuPopupTable();
  for (const PopupEntry& e : t.entries) {
    if (e.key == 0) break;
    if (e.key == key) return e.position == -1 ? nullptr : GetMenuPopupByPosition(e.position);
  }
  return nullptr;
}

namespace {

QMenuBar* mainMenuBar() {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  return frame ? frame->GetMenuBar() : nullptr;
}

// The popup goes into the bar at `position`, which is also its index in the
// table: the table keeps the bar's popups in their order.
BOOL insertPopupAt(CMenu* popup, const QString& caption, int position, int* newKey) {
  PopupTable& t = table();
  const auto used = int(std::find_if(t.entries.begin(), t.entries.end(), [](const PopupEntry& e) { return e.key == 0; }) -
                        t.entries.begin());
  QMenuBar* bar = mainMenuBar();
  if (!t.initialised || used >= int(t.entries.size()) - 1 || !bar || !popup || !popup->GetSafeHmenu()) return FALSE;
  position = std::clamp(position, 0, used);
  QMenu* menu = popup->GetSafeHmenu();
  menu->setTitle(caption);
  const QList<QAction*> actions = bar->actions();
  bar->insertMenu(position < actions.size() ? actions[position] : nullptr, menu);
  popup->Detach();
  menu->setParent(bar, menu->windowFlags());
  for (int i = used; i > position; --i) t.entries[size_t(i)] = {t.entries[size_t(i - 1)].key, t.entries[size_t(i - 1)].position + 1};
  t.entries[size_t(position)] = {t.nextKey, position};
  if (newKey) *newKey = t.nextKey;
  ++t.nextKey;
  static_cast<CFrameWnd*>(AfxGetMainWnd())->DrawMenuBar();
  return TRUE;
}

}  // namespace

BOOL InsertPopupAtPosition(CMenu* popup, const QString& caption, int position, int* newKey) {
  return insertPopupAt(popup, caption, position, newKey);
}

BOOL InsertPopupBeforeKey(CMenu* popup, const QString& caption, int key, int* newKey) {
  const PopupTable& t = table();
  for (const PopupEntry& e : t.entries) {
    if (e.key == 0) break;
    if (e.key == key) return e.position == -1 ? FALSE : insertPopupAt(popup, caption, e.position, newKey);
  }
  return FALSE;
}
