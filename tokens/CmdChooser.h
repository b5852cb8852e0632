// CQXCmdChooser: the command pane below a token editor. It has no window of
// its own: five sibling views live in the host window, one shown at a time:
// 0 the command tree (control 80), 1 all commands (81), 2 the last used
// commands (82), 3 the user's commands (83), 4 the macros (84). A view is
// filled when it is first shown and again only after Refresh.
//
// The host lays the views out (MoveViews), switches them (commands 23050 to
// 23054), asks for the selection (GetSelectedCommand) and inserts it
// itself, then tells the pane (AddSelectionToLastUsed) so that the last-used
// list follows. The three command lists share one sort state (0 as stored,
// 1 ascending, 2 descending) and column; sorting only changes what a view
// shows: the pane keeps each list's own order (table order, recency, the
// user's order) beside it, and the last-used list is added to, trimmed and
// saved in recency order.
//
// Settings of the host's section ("Token View"): "Last View", "Sort List",
// "Sort List Column" (values outside their range read 0), "LUC max" (0 or
// less is 1), "Last Selected Cmd", "Cmd Tree Last Item", "Column Width 1",
// the stored lists; "Edit Macro List"/"Last Selected Macro".
#pragma once

#include "platform/WinTypes.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/MacroListCtrl.h"

#include <QPointer>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

class CFont;
class CQXDocServices;

// The pane's selection as the host inserts it: a command's bytes (table
// byte then number byte, or the number byte alone) or a macro's.
struct QXCMDSELECTION {
  enum : int { kCommand = 0, kMacro = 2 };
  int kind = kCommand;
  int length = 0;
  BYTE bytes[2] = {};
  std::shared_ptr<CQXMacroRecord> macro;  // kMacro: the bytes, shared with the list

  const BYTE* data() const { return kind == kMacro ? (macro ? macro->bytes.data() : nullptr) : bytes; }
};

class CQXCmdChooser {
 public:
  enum : int { kViewTree, kViewAll, kViewLastUsed, kViewUser, kViewMacros, kViewCount };
  enum : UINT { kFirstViewId = 80, kLastViewId = 84 };

  CQXCmdChooser(CQXDocServices* document, const char* section);
  // Writes "Last View", "Sort List" and "Sort List Column".
  ~CQXCmdChooser();
  CQXCmdChooser(const CQXCmdChooser&) = delete;
  CQXCmdChooser& operator=(const CQXCmdChooser&) = delete;

  // Makes the views children of `parent`, hidden and disabled, then shows
  // the last-used view once (it is always loaded) and the stored view.
  BOOL Create(CWnd* parent, BOOL allowDrag);
  BOOL IsCreated() const { return created_; }

  // Nothing when `view` is already shown.
  void SetCurrentView(int view);
  int GetCurrentView() const { return current_; }
  int GetSortState() const { return sortState_; }
  int GetSortColumn() const { return sortColumn_; }

  void MoveViews(int x, int y, int width, int height, BOOL repaint = TRUE);
  // The tree's rectangle on the screen (all views share it).
  QRect GetViewRect() const;
  // Every view after `window` in the tab order.
  void PlaceViewsAfter(QWidget* window);
  BOOL HasFocus() const;
  // The tree and the command lists (the macro list keeps its own font).
  void SetFont(const CFont* font);
  CWnd* GetView(int view) const;
  CWnd* GetFirstView() const { return GetView(kViewTree); }
  CQXMacroListCtrl* GetMacroView() { return &macros_; }

  // The macro view copies the rows of `source` instead of reading the
  // macro file.
  void SetMacroSource(CQXMacroListCtrl* source) { macroSource_ = source; }

  // The current view's selection; FALSE when it gives nothing to insert (a
  // folder, a command the table no longer holds, a macro without bytes).
  BOOL GetSelectedCommand(QXCMDSELECTION* out) const;
  // The selected command goes first in the last-used list (not while that
  // list is shown, not for macros).
  void AddSelectionToLastUsed();
  // A click on a column header of the current command list.
  void OnColumnClick(int column);
  // The document's command table changed: every view is filled again when
  // shown, the current one at once.
  void Refresh();
  // Called by the host when its window goes.
  void SaveState();

  // The last-used commands, most recent first, as the pane keeps them.
  const std::vector<DWORD>& GetLastUsedCommands() const { return order_[kViewLastUsed - 1]; }

 private:
  CQXCmdListCtrl* list(int view) { return &lists_[view - kViewAll]; }
  void load(int view);
  void loadTree();
  void loadMacros();
  // Shows the list's commands in its own order or sorted; the command
  // `keep` stays selected.
  void showList(int view, DWORD keep);
  std::vector<DWORD> sorted(const std::vector<DWORD>& values) const;
  BOOL selectedValue(DWORD* value) const;
  DWORD selectedListValue(int view);
  // What a list shows: its own order (0) or the sort state and column.
  int sortKey() const { return sortState_ == 0 ? 0 : sortState_ * 3 + sortColumn_; }
  void selectRow(CListCtrl* view, int row);

  CQXDocServices* document_;
  std::string section_;
  int current_ = -1;
  int lastView_ = 0;
  int sortState_ = 0;
  int sortColumn_ = 0;
  int lastUsedMax_ = 50;
  bool created_ = false;

  CQXCmdTreeCtrl tree_;
  CQXCmdListCtrl lists_[3];
  CQXMacroListCtrl macros_;
  bool loaded_[kViewCount] = {};
  // Each command list's own order, and the sort it shows (-1: not shown).
  std::vector<DWORD> order_[3];
  int shownSort_[3] = {-1, -1, -1};
  QPointer<CQXMacroListCtrl> macroSource_;
};
