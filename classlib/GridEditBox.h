// CGridEditBox: the grid's in-place edit (control id 8). It opens over a
// cell with the cell's text, ends on Tab, Enter, Esc (which restores the
// opening text), on the arrow and page keys when it was opened by typing
// (or with Ctrl), and when it loses the focus; its text then goes to the
// grid as an end-edit record. Tab, Enter and Esc never reach a dialog's
// default or cancel button. It deletes itself once ended.
#pragma once

#include "classlib/GridCtrl.h"

#include <QLineEdit>
#include <QPointer>
#include <QRect>

#include <string>

// Edit styles of the in-place edit.
enum : DWORD { ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_AUTOHSCROLL = 0x80 };
// The opening character of an edit started by a mouse click.
enum : UINT { VK_LBUTTON = 0x01 };

// The end-edit record: code GRIDN_ENDTEXTCHANGE from control 8; the item's
// mask is text and lParam, lParam the ending key.
struct GRIDEDITEND {
  NMHDR hdr;
  GRIDITEMINFO item;
};

class CGridEditBox : public QLineEdit {
  Q_OBJECT

 public:
  CGridEditBox(CGridCtrl* grid, const QRect& rect, DWORD style, UINT id, int row, int col, const std::string& text,
               UINT firstChar);
  ~CGridEditBox() override;

  int GetRow() const { return row_; }
  int GetCol() const { return col_; }
  UINT GetEndKey() const { return endKey_; }
  BOOL ExitsOnArrows() const { return exitOnArrows_; }
  QRect GetEditRect() const { return rect_; }
  // Ends the edit once: the text goes to the grid, the edit hides and
  // deletes itself later.
  void EndEdit();
  bool IsEnded() const { return ended_; }
  // The grid is going away: ending calls nothing of it any more.
  void DetachFromGrid() { grid_ = nullptr; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void endWith(UINT key);
  void growToText();

  QPointer<CGridCtrl> grid_;
  int row_, col_;
  std::string initial_;
  UINT endKey_ = 0;
  BOOL exitOnArrows_;
  QRect rect_;
  bool ended_ = false;
};
