#include "platform/CmdUI.h"

#include "platform/CmdTarget.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

void CCmdUI::Enable(BOOL on) {
  m_bEnabled = on ? TRUE : FALSE;
  m_bEnableChanged = TRUE;
  if (m_pAction) m_pAction->setEnabled(on != FALSE);
}

void CCmdUI::SetCheck(int check) {
  m_nCheck = check;
  if (!m_pAction) return;
  if (check) m_pAction->setCheckable(true);
  m_pAction->setChecked(check != 0);
}

void CCmdUI::SetRadio(BOOL on) { SetCheck(on ? 1 : 0); }

void CCmdUI::SetText(const QString& text) {
  if (m_pAction && m_pMenu) m_pAction->setText(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
  if (!target || m_nID == 0) return TRUE;
  m_bEnableChanged = FALSE;
  const BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
  if (disableIfNoHandler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info;
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
  }
  return handled;
}

UINT CommandIdOf(const QAction* action) {
  if (!action || action->isSeparator() || action->menu()) return 0;
  return action->property("commandId").toUInt();
}

void UpdateMenuCommands(QMenu* menu, CCmdTarget* target, BOOL disableIfNoHandler) {
  if (!menu || !target) return;
  QList<QPointer<QAction>> items;
  for (QAction* a : menu->actions()) items.append(a);
  const UINT count = UINT(items.size());
  for (UINT i = 0; i < count; ++i) {
    QAction* a = items[int(i)];
    const UINT id = CommandIdOf(a);
    if (!a || id == 0) continue;
    CCmdUI ui;
    ui.m_nID = id;
    ui.m_nIndex = i;
    ui.m_nIndexMax = count;
    ui.m_pAction = a;
    ui.m_pMenu = menu;
    ui.DoUpdate(target, disableIfNoHandler);
  }
}
