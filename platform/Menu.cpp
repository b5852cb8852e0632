#include "platform/Menu.h"

#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Wnd.h"

#include <QAction>
#include <QMenu>

#include <unordered_map>

namespace {

// The fills menus wait for.
std::unordered_map<const QMenu*, CMenuFill*>& pendingFills() {
  static std::unordered_map<const QMenu*, CMenuFill*> fills;
  return fills;
}

// The CMenu that stands for a menu nobody owns through a CMenu; a child of
// that menu, so that it goes with it.
class MenuHandle : public QObject {
 public:
  explicit MenuHandle(QMenu* menu) : QObject(menu) { setObjectName(QLatin1String(kName)); }
  static constexpr char kName[] = "tallix-CMenu";
  CMenu wrapper;
};

// The menu and position of the first item with command `id`, searching
// sub-menus too.
bool findCommand(QMenu* menu, UINT id, QMenu** owner, int* position) {
  FillMenu(menu);
  const QList<QAction*> actions = menu->actions();
  for (int i = 0; i < actions.size(); ++i) {
    if (QMenu* sub = actions[i]->menu()) {
      if (findCommand(sub, id, owner, position)) return true;
    } else if (CommandIdOf(actions[i]) == id) {
      *owner = menu;
      *position = i;
      return true;
    }
  }
  return false;
}

}  // namespace

CMenuFill::CMenuFill(QMenu* menu) : QObject(menu), menu_(menu) {
  // A fill already pending is replaced; its destructor must not find this
  // one in the table.
  auto& fills = pendingFills();
  if (const auto it = fills.find(menu); it != fills.end()) {
    CMenuFill* old = it->second;
    fills.erase(it);
    delete old;
  }
  fills[menu] = this;
  connect(menu, &QMenu::aboutToShow, this, [menu] { FillMenu(menu); });
}

CMenuFill::~CMenuFill() {
  const auto it = pendingFills().find(menu_);
  if (it != pendingFills().end() && it->second == this) pendingFills().erase(it);
}

CMenuFill* CMenuFill::Of(const QMenu* menu) {
  const auto it = pendingFills().find(menu);
  return it == pendingFills().end() ? nullptr : it->second;
}

void FillMenu(QMenu* menu) {
  const auto it = pendingFills().find(menu);
  if (it == pendingFills().end()) return;
  CMenuFill* fill = it->second;
  pendingFills().erase(it);
  fill->Fill(menu);
  delete fill;
}

CMenu::~CMenu() {
  if (owned_) delete menu_.data();
}

CMenu* CMenu::FromHandle(QMenu* menu) {
  if (!menu) return nullptr;
  for (QObject* child : menu->children())
    if (child->objectName() == QLatin1String(MenuHandle::kName)) return &static_cast<MenuHandle*>(child)->wrapper;
  auto* handle = new MenuHandle(menu);
  handle->wrapper.menu_ = menu;
  return &handle->wrapper;
}

BOOL CMenu::LoadMenu(UINT id) {
  QMenu* menu = CLanguageLibrary::LoadMenu(id);
  return menu ? Attach(menu) : FALSE;
}

BOOL CMenu::CreatePopupMenu() { return Attach(new QMenu); }

BOOL CMenu::Attach(QMenu* menu) {
  if (!menu || menu_) return FALSE;
  menu_ = menu;
  owned_ = true;
  return TRUE;
}

QMenu* CMenu::Detach() {
  QMenu* menu = menu_;
  menu_ = nullptr;
  owned_ = false;
  return menu;
}

BOOL CMenu::DestroyMenu() {
  const bool owned = owned_;
  QMenu* menu = Detach();
  if (!menu) return FALSE;
  if (owned) delete menu;
  return TRUE;
}

int CMenu::GetMenuItemCount() const {
  if (!menu_) return -1;
  FillMenu(menu_);
  return int(menu_->actions().size());
}

UINT CMenu::GetMenuItemID(int pos) const {
  if (menu_) FillMenu(menu_);
  if (!menu_ || pos < 0 || pos >= menu_->actions().size()) return UINT(-1);
  QAction* action = menu_->actions()[pos];
  if (action->menu()) return UINT(-1);
  return action->isSeparator() ? 0 : CommandIdOf(action);
}

CMenu* CMenu::GetSubMenu(int pos) const {
  if (menu_) FillMenu(menu_);
  if (!menu_ || pos < 0 || pos >= menu_->actions().size()) return nullptr;
  return FromHandle(menu_->actions()[pos]->menu());
}

QAction* CMenu::newItem(UINT flags, UINT id, const QString& text) const {
  auto* action = new QAction(menu_);
  if (flags & MF_SEPARATOR) {
    action->setSeparator(true);
    return action;
  }
  action->setText(text);
  action->setData(id);
  action->setProperty("commandId", id);
  action->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
  if (flags & MF_CHECKED) {
    action->setCheckable(true);
    action->setChecked(true);
  }
  return action;
}

BOOL CMenu::AppendMenu(UINT flags, UINT id, const QString& text) {
  if (!menu_ || (flags & MF_POPUP)) return FALSE;
  FillMenu(menu_);
  menu_->addAction(newItem(flags, id, text));
  return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT id, const QString& text) {
  if (!menu_ || (flags & MF_POPUP)) return FALSE;
  FillMenu(menu_);
  QMenu* target = menu_;
  int index = 0;
  if (flags & MF_BYPOSITION) {
    index = position >= UINT(menu_->actions().size()) ? -1 : int(position);
  } else if (!findCommand(menu_, position, &target, &index)) {
    return FALSE;
  }
  QAction* item = newItem(flags, id, text);
  if (item->parent() != target) item->setParent(target);
  target->insertAction(index < 0 ? nullptr : target->actions()[index], item);
  return TRUE;
}

BOOL CMenu::AppendPopup(QMenu* popup, const QString& text) { return InsertPopup(UINT(-1), popup, text); }

BOOL CMenu::InsertPopup(UINT position, QMenu* popup, const QString& text) {
  if (!menu_ || !popup || popup == menu_) return FALSE;
  FillMenu(menu_);
  popup->setTitle(text);
  if (popup->parent() != menu_) popup->setParent(menu_, popup->windowFlags());
  const QList<QAction*> actions = menu_->actions();
  menu_->insertMenu(position < UINT(actions.size()) ? actions[int(position)] : nullptr, popup);
  return TRUE;
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags) {
  if (!menu_) return FALSE;
  FillMenu(menu_);
  QMenu* owner = menu_;
  int index = 0;
  if (flags & MF_BYPOSITION) {
    if (position >= UINT(menu_->actions().size())) return FALSE;
    index = int(position);
  } else if (!findCommand(menu_, position, &owner, &index)) {
    return FALSE;
  }
  QAction* action = owner->actions()[index];
  owner->removeAction(action);
  if (!action->menu() && action->parent() == owner) delete action;
  return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) {
  if (!menu_ || !owner) return FALSE;
  QPointer<CWnd> target(owner);
  QAction* chosen = menu_->exec(QPoint(x, y));
  const UINT id = CommandIdOf(chosen);
  if (flags & TPM_RETURNCMD) return BOOL(id);
  if (id != 0 && target) target->PostMessage(WM_COMMAND, MAKEWPARAM(WORD(id), 0), 0);
  return TRUE;
}
