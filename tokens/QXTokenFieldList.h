// CQXTokenFieldList: the list of labelled one-line token fields of a page
// (function memories, graph functions, recursion formulas). Here it is what
// the fields' editors need of it: it remembers the control id of the field
// editor that last took the focus, which is where commands chosen in the
// page's command list go.
#pragma once

#include "platform/Static.h"

class CQXTokenFieldList : public CStatic {
  Q_OBJECT

 public:
  explicit CQXTokenFieldList(QWidget* parent = nullptr) : CStatic(parent) {}

  // The control id of the field editor that last had the focus; -1 none.
  void RememberFocusedField(int id) { lastFocusedId_ = id; }
  int GetRememberedFieldId() const { return lastFocusedId_; }

 private:
  int lastFocusedId_ = -1;
};
