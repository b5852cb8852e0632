#include "platform/Wnd.h"

#include "platform/CmdUI.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

#include <vector>

namespace {

// A posted message on its way to a window.
class MessageEvent : public QEvent {
 public:
  MessageEvent(UINT m, WPARAM w, LPARAM l) : QEvent(type()), message(m), wParam(w), lParam(l) {}
  static QEvent::Type type() {
    static const auto t = QEvent::Type(QEvent::registerEventType());
    return t;
  }
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct DeferredCommand {
  QPointer<CWnd> target;
  WPARAM wParam;
};

// The windows the running user commands were sent to, the innermost last.
std::vector<QPointer<CWnd>> g_commandWindows;
std::vector<DeferredCommand> g_deferred;
Qt::KeyboardModifiers g_modifiers;
// The key DispatchMessage is delivering, which skips the pre-translation.
const QEvent* g_dispatching = nullptr;
QPoint g_messagePos;

// Counts a running user command; the outermost one posts again the
// commands that arrived meanwhile.
class CommandScope {
 public:
  explicit CommandScope(CWnd* target) { g_commandWindows.emplace_back(target); }
  ~CommandScope() {
    g_commandWindows.pop_back();
    if (!g_commandWindows.empty()) return;
    std::vector<DeferredCommand> waiting;
    waiting.swap(g_deferred);
    for (const DeferredCommand& d : waiting)
      if (d.target) d.target->PostMessage(WM_COMMAND, d.wParam, 0);
  }
};

// Hands key messages to PreTranslateMessage before delivery, and keeps the
// modifier state for GetKeyState.
class PreTranslateFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::MouseButtonPress ||
        type == QEvent::MouseButtonRelease || type == QEvent::Wheel)
      g_modifiers = static_cast<QInputEvent*>(event)->modifiers();
    if (watched->isWidgetType()) {
      if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ||
          type == QEvent::MouseButtonDblClick)
        g_messagePos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      else if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)
        g_messagePos =
            static_cast<QWidget*>(watched)->mapToGlobal(static_cast<QDropEvent*>(event)->position().toPoint());
      else if (type == QEvent::Wheel)
        g_messagePos = static_cast<QWheelEvent*>(event)->globalPosition().toPoint();
    }
    if (type == QEvent::MouseButtonPress && watched->isWidgetType()) {
      auto* target = static_cast<QWidget*>(watched);
      // A press the receiver ignored travels on to its parents.
      if (event == lastMouse_ && lastMouseTarget_ && target == lastMouseTarget_->parentWidget()) {
        lastMouseTarget_ = target;
        return false;
      }
      lastMouse_ = event;
      lastMouseTarget_ = target;
      return mouseActivate(target);
    }
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType()) return false;
    if (event == g_dispatching) return false;
    // While a menu is open its keys are the menu's: what it does not take
    // (and hands to its menu bar) is no shortcut of a window.
    if (qobject_cast<QMenu*>(QApplication::activePopupWidget())) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* target = static_cast<QWidget*>(watched);
    // A key the receiver ignored travels on to its parents with the same
    // event object; those were already offered the key.
    if (event == last_ && type == lastType_ && key->key() == lastKey_ && lastTarget_ &&
        target == lastTarget_->parentWidget()) {
      lastTarget_ = target;
      return false;
    }
    last_ = event;
    lastType_ = type;
    lastKey_ = key->key();
    lastTarget_ = target;

    const bool alt = key->modifiers() & Qt::AltModifier;
    MSG msg;
    msg.hwnd = target;
    msg.message = type == QEvent::KeyPress ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    msg.wParam = VirtualKeyFromQt(key->key());
    msg.lParam = 1 | (key->isAutoRepeat() ? 0x40000000 : 0);
    msg.keyEvent = key;
    for (QPointer<QWidget> w = target; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
      CWnd* wnd = CWnd::FromHandle(w);
      if (wnd && !wnd->IsDestroyed() && wnd->PreTranslateMessage(&msg)) return true;
    }
    return false;
  }

 private:
  // OnMouseActivate from the top-level window in; TRUE swallows the press.
  static bool mouseActivate(QWidget* target) {
    QList<QPointer<CWnd>> chain;
    for (QWidget* w = target; w; w = w->isWindow() ? nullptr : w->parentWidget())
      if (CWnd* wnd = CWnd::FromHandle(w)) chain.prepend(wnd);
    if (chain.isEmpty()) return false;
    CWnd* top = chain.first();
    int result = MA_ACTIVATE;
    for (const QPointer<CWnd>& wnd : chain)
      if (wnd && !wnd->IsDestroyed()) result = wnd->OnMouseActivate(top, 1, 0x0201);
    return result == MA_ACTIVATEANDEAT || result == MA_NOACTIVATEANDEAT;
  }

  const QEvent* lastMouse_ = nullptr;
  QPointer<QWidget> lastMouseTarget_;
  const QEvent* last_ = nullptr;
  QEvent::Type lastType_ = QEvent::None;
  int lastKey_ = 0;
  QPointer<QWidget> lastTarget_;
};

void ensureFilter() {
  static QPointer<PreTranslateFilter> filter;
  if (filter || !qApp) return;
  filter = new PreTranslateFilter(qApp);
  qApp->installEventFilter(filter);
}

}  // namespace

UINT RegisterWindowMessage(const char* name) {
  static QHash<QString, UINT> ids;
  static UINT next = 0xC000;
  if (!name || !*name) return 0;
  const QString key = QString::fromLatin1(name).toUpper();
  auto it = ids.find(key);
  if (it != ids.end()) return it.value();
  if (next > 0xFFFF) return 0;
  ids.insert(key, next);
  return next++;
}

UINT VirtualKeyFromQt(int k) {
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return UINT(k);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK_F1 + UINT(k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

QPoint GetMessagePos() { return g_messagePos; }

short GetKeyState(int virtualKey) {
  Qt::KeyboardModifier m;
  switch (virtualKey) {
    case VK_SHIFT: m = Qt::ShiftModifier; break;
    case VK_CONTROL: m = Qt::ControlModifier; break;
    case VK_MENU: m = Qt::AltModifier; break;
    default: return 0;
  }
  return (g_modifiers & m) ? short(-128) : short(0);
}

void DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd || !msg->keyEvent) return;
  const QEvent* outer = g_dispatching;
  g_dispatching = msg->keyEvent;
  QCoreApplication::sendEvent(msg->hwnd, msg->keyEvent);
  g_dispatching = outer;
}

const CMessageMap& CWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CWnd>(CCmdTarget::messageMap());
  return map;
}

CWnd::CWnd(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) { ensureFilter(); }

CWnd::~CWnd() = default;

CWnd* CWnd::FromHandle(QWidget* widget) { return dynamic_cast<CWnd*>(widget); }

BOOL CWnd::Create(QWidget* parent, UINT nID, void* createParams) {
  if (parent && parent != parentWidget()) setParent(parent);
  SetDlgCtrlID(int(nID));
  CREATESTRUCT cs{createParams, parent, nID};
  if (OnCreate(&cs) == -1) {
    DestroyWindow();
    return FALSE;
  }
  if (parent && !isWindow()) show();
  return TRUE;
}

int CWnd::OnCreate(LPCREATESTRUCT) { return 0; }
void CWnd::OnDestroy() {}
void CWnd::PostNcDestroy() {}

BOOL CWnd::Create(DWORD style, QWidget* parent, UINT nID, void* createParams) {
  ModifyStyle(~DWORD(0), style);
  QPointer<CWnd> self(this);
  if (!Create(parent, nID, createParams)) return FALSE;
  if (!self) return FALSE;
  if (!(style & WS_VISIBLE)) hide();
  if (style & WS_DISABLED) setEnabled(false);
  return TRUE;
}

BOOL CWnd::DestroyWindow() { return destroy(true); }

BOOL CWnd::destroy(bool detach) {
  if (destroyed_) return FALSE;
  destroyed_ = true;
  OnDestroy();
  for (auto& [id, timer] : timers_) delete timer;
  timers_.clear();
  // The child windows go with their parent; those that own themselves are
  // freed by their PostNcDestroy, the others by their owner or Qt parent.
  QList<QPointer<CWnd>> children;
  for (CWnd* child : findChildren<CWnd*>())
    if (!child->isWindow() && child->GetParent() == this) children.append(child);
  for (const QPointer<CWnd>& child : children)
    if (child) child->destroy(false);
  hide();
  if (detach && !isWindow() && parentWidget()) setParent(nullptr);
  ncDestroyed_ = true;
  PostNcDestroy();
  return TRUE;
}

void CWnd::SetRedraw(BOOL redraw) {
  setUpdatesEnabled(redraw != FALSE);
  if (redraw) update();
}

void CWnd::GetClientRect(QRect* rect) const {
  if (rect) *rect = QRect(QPoint(0, 0), size());
}

BOOL CWnd::modifyBits(DWORD* bits, DWORD remove, DWORD add, void (CWnd::*changed)(DWORD, DWORD)) {
  const DWORD old = *bits;
  *bits = (old & ~remove) | add;
  if (*bits == old) return FALSE;
  (this->*changed)(old, *bits);
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
  return modifyBits(&style_, remove, add, &CWnd::OnStyleChanged);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
  return modifyBits(&exStyle_, remove, add, &CWnd::OnExStyleChanged);
}

void CWnd::OnStyleChanged(DWORD, DWORD) {}

void CWnd::OnExStyleChanged(DWORD, DWORD) {}

LRESULT CWnd::SendNotify(NMHDR* header, int code) {
  header->hwndFrom = this;
  header->idFrom = UINT_PTR(GetDlgCtrlID());
  header->code = code;
  CWnd* parent = GetParent();
  return parent ? parent->SendMessage(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header)) : 0;
}

int CWnd::GetDlgCtrlID() const { return property("ctrlId").toInt(); }
void CWnd::SetDlgCtrlID(int id) { setProperty("ctrlId", id); }
QWidget* CWnd::GetDlgItem(int id) const { return ::GetDlgItem(this, id); }
CWnd* CWnd::GetParent() const {
  if (isWindow()) return nullptr;
  for (QWidget* w = parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget())
    if (CWnd* wnd = FromHandle(w)) return wnd;
  return nullptr;
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* frame = qobject_cast<CFrameWnd*>(w)) return frame;
  return nullptr;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  const BOOL wasDisabled = !isEnabled();
  setEnabled(enable != FALSE);
  return wasDisabled;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
  const BOOL wasVisible = isVisible();
  switch (nCmdShow) {
    case SW_HIDE: hide(); break;
    case SW_SHOWMINIMIZED: case SW_MINIMIZE: showMinimized(); break;
    case SW_SHOWMAXIMIZED: showMaximized(); break;
    case SW_SHOWNORMAL: case SW_RESTORE: showNormal(); break;
    case SW_SHOWNOACTIVATE:
      setAttribute(Qt::WA_ShowWithoutActivating);
      show();
      break;
    default: show(); break;
  }
  return wasVisible;
}

QWidget* CWnd::SetFocus() {
  QWidget* previous = QApplication::focusWidget();
  setFocus(Qt::OtherFocusReason);
  return previous;
}

void CWnd::Invalidate(BOOL) { update(); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ncDestroyed_ ? 0 : WindowProc(message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (destroyed_) return FALSE;
  QCoreApplication::postEvent(this, new MessageEvent(message, wParam, lParam));
  return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
  if (destroyed_) return 0;
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] {
      if (!destroyed_) WindowProc(WM_TIMER, id, 0);
    });
  }
  timer->start(int(elapseMs));
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return FALSE;
  delete it->second;
  timers_.erase(it);
  return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(wParam, lParam, &result)) return result;
      break;
    }
    case WM_TIMER:
      OnTimer(UINT_PTR(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      if (const CMessageMap::Entry* e = FindMessageEntry(message)) return e->onMessage(this, wParam, lParam);
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) { return 0; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if (lParam != 0) return OnCmdMsg(id, HIWORD(wParam), nullptr, nullptr);
  if (id == 0) return FALSE;
  CCmdUI state;
  state.m_nID = id;
  OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, nullptr);
  if (!state.m_bEnabled) return TRUE;  // disabled since the menu showed: not run
  CommandScope scope(this);
  return OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  CWnd* child = FromHandle(header->hwndFrom);
  if (child && child != this && child->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult)) return TRUE;
  AFX_NOTIFY notify{pResult, header};
  return OnCmdMsg(UINT(header->idFrom), NotifyCode(header->code), &notify, nullptr);
}

void CWnd::OnTimer(UINT_PTR) {}

BOOL CWnd::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
  if (message != WM_NOTIFY || ncDestroyed_) return FALSE;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  AFX_NOTIFY notify{pResult, header};
  return OnCmdMsg(0, ReflectedNotifyCode(header->code), &notify, nullptr);
}

BOOL CWnd::OnMouseWheel(UINT, short, QPoint) { return FALSE; }

int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return MA_ACTIVATE; }

void CWnd::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  UINT flags = 0;
  if (event->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (event->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
  if (event->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
  if (event->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
  const short d = short(std::clamp(delta, -32768, 32767));
  if (!destroyed_ && OnMouseWheel(flags, d, event->globalPosition().toPoint())) event->accept();
  else event->ignore();
}

void CWnd::OnClose() { DestroyWindow(); }

BOOL CWnd::IsCommandRunning() { return !g_commandWindows.empty(); }

BOOL CWnd::IsInnerCommandFrom(const QWidget* window) {
  if (g_commandWindows.size() < 2 || !window) return FALSE;
  const CWnd* inner = g_commandWindows.back();
  return inner && (inner == window || window->isAncestorOf(inner));
}

BOOL CWnd::ExecuteUserCommand(UINT id, WORD source) {
  // While a user command runs the main window takes no other; a window of
  // the command's own modal loop (a dialog, its keys and tool bars) runs its
  // commands at once, as it gets its posted ones.
  if (destroyed_ || (IsCommandRunning() && window() == AfxGetMainWnd())) return FALSE;
  SendMessage(WM_COMMAND, MAKEWPARAM(WORD(id), source), 0);
  return TRUE;
}

bool CWnd::event(QEvent* event) {
  if (event->type() != MessageEvent::type()) return QWidget::event(event);
  auto* m = static_cast<MessageEvent*>(event);
  if (destroyed_) return true;
  // While a user command runs, commands posted to the main window wait for
  // it to end; a window of the command's own modal loop (a dialog and its
  // context menus) gets its commands at once.
  if (m->message == WM_COMMAND && m->lParam == 0 && IsCommandRunning() && window() == AfxGetMainWnd()) {
    g_deferred.push_back({this, m->wParam});
    return true;
  }
  WindowProc(m->message, m->wParam, m->lParam);
  return true;
}

void CWnd::closeEvent(QCloseEvent* event) {
  if (!destroyed_) OnClose();
  // A window that stayed (a refused close) refuses the close, which also
  // keeps the application's quit from going on.
  if (destroyed_ || !isVisible()) event->accept();
  else event->ignore();
}
