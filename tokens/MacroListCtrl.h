// CQXMacroListCtrl: the report list of macros, one row per macro: its name
// and description, sorted by name, and the macro's bytes as the row's
// record (shared, see CQXMacroRecord). Dragging a row offers its bytes to
// token editors when the drag flag is set; the context menu (305 by
// default, 0 for none) is owned by the parent, which gets its commands.
// Column widths are kept as "Edit Macro List"/"Column Width 1".
#pragma once

#include "classlib/OrvoListCtrl.h"
#include "tokens/MacroFile.h"

#include <map>

class CQXMacroListCtrl : public COrvoListCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXMacroListCtrl(QWidget* parent = nullptr);
  ~CQXMacroListCtrl() override;
  DECLARE_MESSAGE_MAP()

  // Registers the form class "CQXMacroListCtrl" (once per run).
  static void RegisterMacroListClass();

  // Inserts a row at its sorted place with a copy of the bytes (none for
  // length 0), selected and focused with `select`; the row, -1 when memory
  // runs out (message 61706).
  int AddMacro(int length, const BYTE* bytes, const char* name, const char* description, BOOL select);
  // The same, sharing the macro's record.
  int AddMacro(const CQXMacro& macro, BOOL select);
  // Releases the row's record and, with `removeRow`, removes the row; FALSE
  // for a row outside the list.
  BOOL DeleteMacro(int row, BOOL removeRow);
  void DeleteAllMacros();
  // The row's name, description and record (empty for a row outside).
  CQXMacro GetMacro(int row) const;

  BOOL ownsData = TRUE;
  BOOL dragEnabled = FALSE;
  UINT contextMenuId = 305;

 protected:
  int OnCreate(LPCREATESTRUCT create) override;
  void OnDestroy() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void prepare();
  void OnBeginDrag(NMHDR* header, LRESULT* result);

  std::map<DWORD_PTR, std::shared_ptr<CQXMacroRecord>> records_;
  bool prepared_ = false;
};
