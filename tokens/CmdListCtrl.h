// CQXCmdListCtrl: a report list of commands with the columns "Commande"
// (the command's characters, shown as the list's font shows calculator
// codes), "Texte" and "Description"; each row's item data is the command's
// value. With the drag flag set, a selected command drags into token
// editors (move only) and a finished drop posts 0x8014 to the parent. The
// context menu is the first popup of menu 305, owned by the parent.
#pragma once

#include "classlib/OrvoListCtrl.h"
#include "tokens/QXCommandTable.h"

#include <vector>

class CQXCmdListCtrl : public COrvoListCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXCmdListCtrl(QWidget* parent = nullptr);
  ~CQXCmdListCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Registers the form class "CQXCmdListCtrl" (once per run).
  static void RegisterCmdListClass();

  // The three columns, their widths kept as "Column Width 1" of the owner's
  // `section` (default widths 10, 10 and 80 digits); whole rows selected.
  BOOL InitCommandColumns(const char* section);
  BOOL SaveCommandColumns(const char* section);
  // Inserts a command row at `item`; the row, -1 on failure.
  int InsertCommand(int item, DWORD value, const CQXCommandTable::Entry& entry);
  // The font of the rows: each row is made again from `table` so that its
  // characters show as the new font draws them; the selection stays.
  void SetCommandFont(const QFont& font, const CQXCommandTable& table);
  // The item values of every row, in list order.
  std::vector<DWORD> GetCommandValues() const;

  BOOL dragEnabled = FALSE;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnBeginDrag(NMHDR* header, LRESULT* result);
};

// The private message that tells a command list's or tree's parent that a
// dragged command was dropped (it adds the command to the last-used list).
inline constexpr UINT kMsgCommandDragged = 0x8014;
// Drags the command `value` out of `control` (move only); on a drop posts
// kMsgCommandDragged to the control's parent. TRUE when it was dropped.
BOOL DragCommandOut(CWnd* control, DWORD value);

// Replaces the rows by every command of `table` in enumeration order (wait
// cursor, no redrawing meanwhile); the row count, 0 for an empty table.
int FillCommandList(CQXCmdListCtrl* list, const CQXCommandTable& table);
