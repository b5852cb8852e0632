// CQXDoc: the program's one document. What the main window needs of it is
// here: its run-time class and emptying the undo list before an open page
// stores its edits. The item store, the records and the item operations are
// the document's own work; the item services it offers the lower layers are
// CQXDocServices (app/DocServices.h), which the frame reaches through the
// active document.
#pragma once

#include "platform/Document.h"

class CQXDoc : public CDocument {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXDoc();
  ~CQXDoc() override;
  DECLARE_MESSAGE_MAP()

  // Forgets the last undoable step.
  virtual void ClearUndo();
};

void RegisterQXDocClass();
