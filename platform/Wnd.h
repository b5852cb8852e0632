// CWnd: a window of the program. Every CWnd is a QWidget (plain controls
// stay Qt's own widgets) and a command target with a message map.
//
// - Messages: SendMessage calls WindowProc at once; PostMessage queues it as
//   an event of this window, which Qt drops when the window is deleted first
//   and WindowProc ignores once the window is destroyed. WindowProc turns
//   WM_COMMAND into OnCommand, WM_NOTIFY into OnNotify, WM_TIMER into
//   OnTimer, WM_CLOSE into OnClose and looks every other number up in the
//   message map (registered messages included).
// - Timers: SetTimer(id, ms) starts or restarts timer `id` of this window;
//   each tick calls OnTimer(id) until KillTimer.
// - Pre-translation: one application event filter hands each key press and
//   release, before it is delivered, to PreTranslateMessage of every CWnd
//   from the widget that receives it outwards to its top-level window; the
//   first that answers TRUE consumes the key. While a menu is open its keys
//   are its own and reach no PreTranslateMessage.
// - Destruction: DestroyWindow runs OnDestroy, destroys the child windows
//   (each runs its OnDestroy and PostNcDestroy but stays the Qt child of
//   its parent), hides the window, takes it out of its parent at once and
//   calls PostNcDestroy; windows that own themselves (views, frames) then
//   delete themselves with deleteLater, so a window destroyed from inside
//   its own handler is freed only after that handler returned.
// - Parents: GetParent is the nearest CWnd among the ancestors (plain
//   widgets between them, such as a splitter's or a form's containers, do
//   not count), so notifications reach the window that owns the control.
// - Notifications: a control sends WM_NOTIFY to its parent, which first
//   offers it back to the control (OnChildNotify: the control's
//   notifyReflect entries), then looks it up in its own map.
// - Styles: a window keeps its style bits; ModifyStyle changes them and
//   calls OnStyleChanged, where controls act on their own bits. The extended
//   styles go the same way (ModifyStyleEx, OnExStyleChanged).
// - Wheel: a wheel turn calls OnMouseWheel; FALSE passes it on to the
//   parent widget.
// - Mouse activation: before a mouse press is delivered, OnMouseActivate
//   runs on every CWnd from the top-level window in to the one pressed
//   (views make themselves active there); MA_ACTIVATEANDEAT or
//   MA_NOACTIVATEANDEAT from the innermost one swallows the press.
#pragma once

#include "platform/CmdTarget.h"
#include "platform/WinMessages.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>

class CFrameWnd;
class QTimer;

// Creation parameters handed to OnCreate.
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;  // a CCreateContext for frames and views
  QWidget* hwndParent = nullptr;
  UINT id = 0;
};
using LPCREATESTRUCT = CREATESTRUCT*;

enum : int { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };

// The screen position of the last mouse or drag event the program saw (the
// position of "the current message").
QPoint GetMessagePos();

// A registered message id for `name`: 0xC000-0xFFFF, the same for the same
// name (without regard to case) within a run; 0 when none is left.
UINT RegisterWindowMessage(const char* name);

class CWnd : public QWidget, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
  ~CWnd() override;
  DECLARE_MESSAGE_MAP()

  // The CWnd that `widget` is, or null for a plain widget.
  static CWnd* FromHandle(QWidget* widget);
  QWidget* GetSafeHwnd() { return this; }

  // Makes the window a child of `parent` with control id `nID` and runs
  // OnCreate; -1 from it destroys the window and gives FALSE.
  BOOL Create(QWidget* parent, UINT nID, void* createParams = nullptr);
  // The same with window styles: the window keeps them; it is shown only
  // with WS_VISIBLE and disabled with WS_DISABLED.
  BOOL Create(DWORD style, QWidget* parent, UINT nID, void* createParams = nullptr);
  // Messages still reach the window and its children while they are being
  // destroyed (OnDestroy), not after.
  BOOL DestroyWindow();
  bool IsDestroyed() const { return destroyed_; }

  int GetDlgCtrlID() const;
  void SetDlgCtrlID(int id);
  // The descendant whose control id is `id`, or null.
  QWidget* GetDlgItem(int id) const;
  template <class T>
  T* GetDlgItemAs(int id) const {
    return qobject_cast<T*>(GetDlgItem(id));
  }
  CWnd* GetParent() const;
  // The nearest frame among the ancestors, or null.
  CFrameWnd* GetParentFrame() const;

  // Previous state: TRUE when the window was disabled / visible.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL ShowWindow(int nCmdShow);
  // Gives the focus to this window; the widget that had it.
  QWidget* SetFocus();
  void Invalidate(BOOL erase = TRUE);
  // Redraw off collects changes without painting them; on repaints.
  void SetRedraw(BOOL redraw = TRUE);
  // The client area in client coordinates (origin 0, 0).
  virtual void GetClientRect(QRect* rect) const;

  DWORD GetStyle() const { return style_; }
  // Removes, then adds style bits; TRUE when they changed.
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  DWORD GetExStyle() const { return exStyle_; }
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(UINT_PTR id);

  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_COMMAND: lParam 0 for menus, accelerators (high word 1) and posted
  // commands, which are first checked against the update handlers (a
  // disabled command is not run); else the control's widget, and the high
  // word is its notification code.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // WM_NOTIFY: lParam points to the NMHDR.
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnClose();
  // A notification of this control, offered back to it by its parent:
  // TRUE when a notifyReflect entry handled it.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // WM_MOUSEWHEEL: `flags` the MK_ key state, `delta`
  // 120 per notch away from the user, `point` in screen coordinates. FALSE
  // (the default) passes the wheel on to the parent.
  virtual BOOL OnMouseWheel(UINT flags, short delta, QPoint point);
  // A mouse button went down in this window or one inside it; MA_ codes.
  // The base answers MA_ACTIVATE.
  virtual int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message);

  // Files dragged from the desktop may be dropped on the window: a drop of
  // local files calls OnDropFiles with their paths. Internet shortcut files
  // are left to the window's drop target, which reads their address.
  void DragAcceptFiles(BOOL accept = TRUE);
  // The base brings the window's top-level window to the front and opens
  // each file through the application, as the frame of a document does.
  virtual void OnDropFiles(const QStringList& paths);

  // TRUE while a menu, accelerator or tool-bar command runs. Commands that
  // arrive meanwhile from the user for the main window are dropped and posted
  // ones wait until it ends; dialogs shown meanwhile are application-modal
  // and take their own commands at once.
  static BOOL IsCommandRunning();
  // TRUE while a user command runs inside another one and was sent to
  // `window` or to a window inside it (a dialog's own key or tool button
  // during a transfer).
  static BOOL IsInnerCommandFrom(const QWidget* window);
  // What a menu item, accelerator (source 1) or tool button sends.
  BOOL ExecuteUserCommand(UINT id, WORD source = 0);

 protected:
  virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
  virtual void OnDestroy();
  virtual void PostNcDestroy();
  virtual void OnStyleChanged(DWORD oldStyle, DWORD newStyle);
  virtual void OnExStyleChanged(DWORD oldExStyle, DWORD newExStyle);
  // A control's notification: fills in the header (this window, its id,
  // `code`) and sends WM_NOTIFY to the parent; the parent's answer, 0
  // without a parent.
  LRESULT SendNotify(NMHDR* header, int code);

  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  BOOL destroy(bool detach);
  // Changes style bits and tells `changed` when they differ.
  BOOL modifyBits(DWORD* bits, DWORD remove, DWORD add, void (CWnd::*changed)(DWORD, DWORD));

  bool destroyed_ = false;
  bool ncDestroyed_ = false;  // past PostNcDestroy: no more messages
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
  std::map<UINT_PTR, QTimer*> timers_;
};
