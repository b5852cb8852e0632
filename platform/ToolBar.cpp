#include "platform/ToolBar.h"

#include <QAction>
#include <QPointer>

#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Wnd.h"

const CMessageMap& CToolBar::messageMap() {
  static const CMessageMap map = MessageMapOf<CToolBar>(CCmdTarget::messageMap());
  return map;
}

CToolBar::CToolBar(QWidget* parent) : QToolBar(parent) {
  setMovable(false);
  setFloatable(false);
}

CToolBar::~CToolBar() = default;

BOOL CToolBar::Create(QWidget* parent, DWORD style, UINT nID) { return CreateEx(parent, 0, style, nID); }

BOOL CToolBar::CreateEx(QWidget* parent, DWORD, DWORD style, UINT nID) {
  if (!parent) return FALSE;
  if (parentWidget() != parent) setParent(parent);
  setProperty("ctrlId", nID);
  barStyle_ = style & 0xFFFF;
  setVisible(style & WS_VISIBLE);
  return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
  const CToolBarResource resource = CLanguageLibrary::LoadToolBar(nIDResource);
  if (!resource.isValid()) return FALSE;
  clear();
  setIconSize(resource.buttonSize);
  int image = 0;
  for (int id : resource.commandIds) {
    if (id == 0) {
      addSeparator();
      continue;
    }
    QAction* action = addAction(QIcon(resource.buttonImage(image++)), QString());
    action->setProperty("commandId", UINT(id));
    action->setData(id);
    const QString prompt = CLanguageLibrary::LoadString(UINT(id));
    action->setStatusTip(prompt.section(u'\n', 0, 0));
    action->setToolTip(prompt.section(u'\n', 1));
  }
  return TRUE;
}

UINT CToolBar::GetDlgCtrlID() const { return property("ctrlId").toUInt(); }

int CToolBar::GetCount() const { return int(actions().size()); }

UINT CToolBar::GetItemID(int index) const {
  QAction* action = GetButton(index);
  return action && !action->isSeparator() ? CommandIdOf(action) : ID_SEPARATOR;
}

int CToolBar::CommandToIndex(UINT id) const {
  const QList<QAction*> all = actions();
  for (qsizetype i = 0; i < all.size(); ++i)
    if (!all[i]->isSeparator() && CommandIdOf(all[i]) == id) return int(i);
  return -1;
}

QAction* CToolBar::GetButton(int index) const { return actions().value(index); }

CWnd* CToolBar::GetOwner() const { return owner_; }

void CToolBar::SetOwner(CWnd* owner) {
  owner_ = owner;
  QPointer<CWnd> target(owner);
  for (QAction* action : actions()) {
    if (action->isSeparator() || action->property("frameWired").toBool()) continue;
    action->setProperty("frameWired", true);
    connect(action, &QAction::triggered, this, [target, action] {
      if (target) target->ExecuteUserCommand(CommandIdOf(action));
    });
  }
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler) {
  const QList<QAction*> all = actions();
  for (qsizetype i = 0; i < all.size(); ++i) {
    const UINT id = CommandIdOf(all[i]);
    if (id == 0) continue;
    CCmdUI ui;
    ui.m_nID = id;
    ui.m_nIndex = UINT(i);
    ui.m_nIndexMax = UINT(all.size());
    ui.m_pAction = all[i];
    ui.m_pOther = this;
    ui.DoUpdate(target, disableIfNoHandler);
  }
}
