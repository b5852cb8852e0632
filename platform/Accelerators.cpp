#include "platform/Accelerators.h"

#include <QKeyEvent>

BOOL TranslateAccelerator(CWnd* target, const std::vector<CAcceleratorEntry>& table, const MSG* msg) {
  if (!target || !msg || !msg->keyEvent || table.empty()) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  const QKeyEvent* key = msg->keyEvent;
  const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
  for (const CAcceleratorEntry& a : table) {
    if (a.key == pressed) {
      target->ExecuteUserCommand(UINT(a.commandId), 1);
      return TRUE;
    }
  }
  return FALSE;
}
