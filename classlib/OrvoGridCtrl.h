// COrvoGridCtrl: the grid the pages and print views derive theirs from.
// Title tips off; a right click selects like a left click; Delete clears
// the selection (else the focus cell); the edit commands go to the open
// in-place edit, else to the grid; counts of the data rows and columns; a
// modified test that counts an open edit; and a copy of a whole grid (to
// print what is shown).
#pragma once

#include "classlib/GridCtrl.h"

class COrvoGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit COrvoGridCtrl(QWidget* parent = nullptr);
  COrvoGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent = nullptr);
  DECLARE_MESSAGE_MAP()

  int GetDataRowCount() const { return GetRowCount() - GetFixedRowCount(); }
  int GetDataColumnCount() const { return GetColumnCount() - GetFixedColumnCount(); }
  // No selected cell, no focus cell, no kept Ctrl-selection.
  void ClearSelection();
  // TRUE while a cell is being edited; else with row > 0 and col > 0 the
  // cell's modified bit, else the grid's flag.
  BOOL GetModified(int row = -1, int col = -1) const;
  // Counts, sizes and every cell's text, state, colours, format and font
  // (not images or cell data).
  BOOL CopyGridFrom(const CGridCtrl& source);

  void OnRButtonDown(UINT flags, QPoint point) override;
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;

  // The edit commands: to the in-place edit while one is open, else to the
  // grid (when it has the focus, for cut, copy and paste).
  BOOL IsEditing() const;
  void Cut();
  void Copy();
  void Paste();
  void Clear();
  BOOL Undo();
  void SelectAll();
  BOOL CanCopy() const;
  BOOL CanPaste() const;
  BOOL CanClear() const;
  BOOL CanUndo() const;
  BOOL CanSelectAll() const;
  BOOL CanEditFocusCell() const;
  void EditFocusCell();

 private:
  bool gridHasFocus() const;
};
