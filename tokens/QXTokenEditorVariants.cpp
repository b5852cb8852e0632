#include "tokens/QXTokenEditorVariants.h"

#include "classlib/MenuHelpers.h"
#include "tokens/QXTokenFieldList.h"

#include <QApplication>
#include <QContextMenuEvent>

const CMessageMap& CQXCalcTokenEditor::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXCalcTokenEditor>(CQXTokenEditor::messageMap());
  return map;
}

CQXCalcTokenEditor::CQXCalcTokenEditor(QWidget* parent) : CQXTokenEditor(parent) {
  SetMargins(5, 5);
  ModifyOptions(kTokenOptionShowBreakGlyphs, kTokenOptionShowBreakGlyphs, FALSE);
  // The calculator's end-of-line marks.
  const BYTE breaks[] = {0x0D, 0x0C};
  const BYTE glyphs[] = {0xDE, 0xDD};
  SetLineBreakTokens(breaks, glyphs, 2);
}

void CQXCalcTokenEditor::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (menuId_ == 0) return;
  const QPoint client = event->reason() == QContextMenuEvent::Keyboard ? QPoint(0, 0) : MapToClient(event->pos());
  SetFocus();
  const QPoint screen = GetViewport()->mapToGlobal(client);
  // The parent owns the menu: its commands reach it and it routes them to
  // the editor.
  CWnd* owner = GetParent();
  TrackContextMenu(owner ? owner : this, screen.x(), screen.y(), menuId_, TRUE);
}

CQXFunctionTokenEditor::CQXFunctionTokenEditor(QWidget* parent) : CQXCalcTokenEditor(parent) {
  SetContextMenuId(kContextMenu);
}

void CQXFieldTokenEditor::SetFieldList(CQXTokenFieldList* list) { fieldList_ = list; }

CQXTokenFieldList* CQXFieldTokenEditor::GetFieldList() const { return fieldList_.data(); }

QWidget* CQXFieldTokenEditor::button() const {
  CWnd* parent = GetParent();
  return parent ? parent->GetDlgItem(GetDlgCtrlID() + 1) : nullptr;
}

void CQXFieldTokenEditor::focusInEvent(QFocusEvent* event) {
  CQXFunctionTokenEditor::focusInEvent(event);
  if (QWidget* b = button(); b && b->isHidden()) b->show();
  if (fieldList_) fieldList_->RememberFocusedField(GetDlgCtrlID());
}

void CQXFieldTokenEditor::focusOutEvent(QFocusEvent* event) {
  CQXFunctionTokenEditor::focusOutEvent(event);
  // The button stays while the focus goes to it.
  QWidget* b = button();
  if (b && QApplication::focusWidget() != b) b->hide();
}
