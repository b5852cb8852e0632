// Message numbers, notification codes, virtual keys, show commands and the
// standard command ids the windows of the program are written against, with
// the platform's values, so that message maps keep their numbers.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

class QKeyEvent;
class QWidget;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return WPARAM(low) | (WPARAM(high) << 16); }

enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_CLOSE = 0x0010,
  WM_CANCELMODE = 0x001F,
  WM_COPYDATA = 0x004A,
  WM_NOTIFY = 0x004E,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_COMMAND = 0x0111,
  WM_TIMER = 0x0113,
  WM_SETMESSAGESTRING = 0x0362,  // wParam: string id, or 0 and lParam: const QString*
  WM_USER = 0x0400,
  WM_APP = 0x8000,
};

// The code argument of OnCmdMsg: a command, an update request, or a
// notification (NotifyCode of its NMHDR code).
enum : int { CN_COMMAND = 0, CN_UPDATE_COMMAND_UI = -1 };
constexpr int NotifyCode(int nmCode) { return int((UINT(WM_NOTIFY) << 16) | (UINT(nmCode) & 0xFFFF)); }

// Control notifications that arrive as WM_COMMAND.
enum : int { BN_CLICKED = 0, EN_CHANGE = 0x0300 };

// The header of every WM_NOTIFY.
struct NMHDR {
  QWidget* hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  int code = 0;
};

// A keyboard message as PreTranslateMessage sees it; `keyEvent` is the Qt
// event behind it.
struct MSG {
  QWidget* hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;  // the virtual key
  LPARAM lParam = 0;  // repeat count in the low word
  QKeyEvent* keyEvent = nullptr;
};

enum : UINT {
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
  VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
  VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
  VK_F1 = 0x70,  // VK_F1 + n - 1 for Fn up to F24
};
// The virtual key of a Qt key (0 for keys without one); letters and digits
// are their upper-case ASCII codes.
UINT VirtualKeyFromQt(int qtKey);
// Negative while the key is down, as of the last input event the program saw.
short GetKeyState(int virtualKey);
// Delivers the key of `msg` to `msg->hwnd` (its event filters included)
// without offering it to any PreTranslateMessage first: a window that takes
// a key from the pre-translation route hands it on this way.
void DispatchMessage(const MSG* msg);

enum : int {
  SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_SHOWNOACTIVATE = 4,
  SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9,
};

// Standard commands, strings and window ids of the class library.
enum : UINT {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PRINT_SETUP = 57606,
  ID_FILE_PRINT_DIRECT = 57608,
  ID_FILE_MRU_FILE1 = 57616,
  ID_FILE_MRU_FILE16 = 57631,
  ID_EDIT_CLEAR = 57632,
  ID_EDIT_COPY = 57634,
  ID_EDIT_CUT = 57635,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_SELECT_ALL = 57642,
  ID_EDIT_UNDO = 57643,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  AFX_IDS_APP_TITLE = 57344,
  AFX_IDS_IDLEMESSAGE = 57345,
  AFX_IDP_UNREG_DONE = 61707,
  AFX_IDP_UNREG_FAILURE = 61708,
  AFX_IDW_PANE_FIRST = 0xE900,
};

// Messages, notifications and codes of views, scroll bars and common
// controls.
enum : UINT {
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_MOUSEWHEEL = 0x020A,
  WM_INITIALUPDATE = 0x0364,  // sent to a view before it is first shown
  WM_REFLECT_BASE = 0xBC00,   // a control's own notification, reflected back to it
};

// Notifications every common control sends.
enum : int {
  NM_CLICK = -2,
  NM_DBLCLK = -3,
  NM_RETURN = -4,
  NM_RCLICK = -5,
  NM_SETFOCUS = -7,
  NM_KILLFOCUS = -8,
};

// The code a control's notification has when it is reflected to the control
// itself (see CWnd::OnChildNotify).
constexpr int ReflectedNotifyCode(int nmCode) {
  return int(((UINT(WM_REFLECT_BASE) + UINT(WM_NOTIFY)) << 16) | (UINT(nmCode) & 0xFFFF));
}

// Key state of mouse and drag messages.
enum : DWORD {
  MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10, MK_ALT = 0x20,
};

// Window styles: the ones the program passes; a window keeps them (GetStyle)
// and the controls act on their own bits.
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
// Control styles: an edit that takes digits only, a drop-down list.
inline constexpr DWORD ES_NUMBER = 0x2000;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
// Extended window styles.
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
