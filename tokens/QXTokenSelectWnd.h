// The token-select popup: a small frameless list of the commands whose
// characters match a text typed in a token editor. The editor's host opens
// it with ConvertTextToCommand (command 40093); the user's pick comes back
// to the owner as the registered message "QXTOKWND_InsertCmdNotify" (wParam
// 0, lParam the command value), which the host passes to
// InsertNotifiedCommand.
//
// The popup is a tool window of the owner's top-level window, so that it
// takes keys and clicks also while that window is a modal dialog. It hides on
// Escape, when it is deactivated and when the focus leaves it and its list;
// the editor then gets the focus back. While it shows, a click anywhere else
// and Escape in the window it belongs to hide it too, also when it never was
// activated.
#pragma once

#include "platform/ListCtrl.h"

#include <QPointer>

#include <string>
#include <vector>

class CCmdUI;
class CFont;
class CQXCommandTable;
class CQXTokenEditor;
class CQXTokenSelectWnd;

// The id of "QXTOKWND_InsertCmdNotify"; 0 until the first popup is built
// (message maps hold it by reference).
extern UINT g_nTokenSelectInsertCmdNotify;

class CQXTokenSelectList : public CListCtrl {
  Q_OBJECT

 public:
  explicit CQXTokenSelectList(QWidget* parent = nullptr);
  ~CQXTokenSelectList() override;

 private:
  // The focus left the list for a window outside the popup: the popup is
  // told to close.
  void onFocusChanged(QWidget* old, QWidget* now);
};

class CQXTokenSelectWnd : public CWnd {
  Q_OBJECT

 public:
  CQXTokenSelectWnd();
  ~CQXTokenSelectWnd() override;
  DECLARE_MESSAGE_MAP()

  enum { kWidth = 250, kHeight = 160 };

  // Builds the hidden popup and its list; `owner` receives the notification.
  BOOL Create(CWnd* owner);
  bool IsCreated() const { return created_; }
  void SetFont(const CFont* font);
  void SetReturnFocusWindow(QWidget* window) { returnFocus_ = window; }

  void DeleteAllCommands();
  // `characters` are calculator codes, `description` Windows-1252.
  void AddCommand(const std::string& characters, const std::string& description, DWORD value);
  // Selects the exact match, else the longest command that begins the text,
  // else the shortest longer one (the items come longest first); letters
  // compare without regard to ASCII case.
  void SelectByText(const std::string& text);
  // Places the popup at `point` (screen), kept inside the screen's
  // available area, fits the columns and shows it on top.
  void ShowAt(QPoint point);
  void Hide();
  // Posts the selected command to the owner.
  void Notify();

  CQXTokenSelectList* GetList() { return &list_; }

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  LRESULT OnCancelMode(WPARAM, LPARAM);
  void OnListDblClk(NMHDR*, LRESULT* result);
  void notifyAndHide();

  CQXTokenSelectList list_;
  QPointer<QWidget> returnFocus_;
  QPointer<CWnd> owner_;
  std::vector<std::string> characters_;  // of each item, for SelectByText
  bool created_ = false;
  bool watching_ = false;
};

// Looks the editor's selected text up in `table` and opens the popup with
// the matching commands under the selection: 1 when it was shown.
int ConvertTextToCommand(CQXTokenEditor* editor, CQXTokenSelectWnd* popup, const CQXCommandTable* table);
// Command 40093 is enabled while the editor has a selection.
void UpdateConvertTextToCommand(CQXTokenEditor* editor, CCmdUI* pCmdUI);
// Replaces the editor's selection by the command of `value`: its table and
// number byte, or the number byte alone for table byte 0. Returns 0.
LRESULT InsertNotifiedCommand(CQXTokenEditor* editor, LPARAM value);
