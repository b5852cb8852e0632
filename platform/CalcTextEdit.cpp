#include "platform/CalcTextEdit.h"

#include "platform/CalcCharset.h"
#include "platform/ClipboardFormats.h"
#include "platform/Cp1252.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace {

// `text` from other programs in place of the selection, or at the caret.
void insertPlainText(QLineEdit* edit, const QString& text) {
  const std::string codes = CalcEditCodesOf(edit, text);
  if (codes.empty() && !edit->hasSelectedText()) return;
  edit->insert(CalcDisplayText(codes, edit->font()));
}

}  // namespace

void MakeCalcTextEdit(QLineEdit* edit) {
  if (!edit || edit->findChild<CQXCalcTextEditFilter*>(QString(), Qt::FindDirectChildrenOnly)) return;
  edit->setValidator(new CQXCalcTextValidator(edit));
  edit->installEventFilter(new CQXCalcTextEditFilter(edit));
}

std::string CalcEditCodesOf(const QLineEdit* edit, const QString& text, bool* complete) {
  bool all = true;
  std::string codes;
  for (const CalcTextPiece& piece : SplitCalcPlainText(text, &all)) {
    switch (piece.kind) {
      case CalcTextPiece::kCode: codes.push_back(char(piece.value)); break;
      case CalcTextPiece::kTyped: {
        std::string typed;
        if (CalcTextCodes(QString(tallix::cp1252ToUnicode(piece.value)), edit->font(), &typed)) codes += typed;
        else all = false;
        break;
      }
      // One line only.
      case CalcTextPiece::kLineBreak: all = false; break;
    }
  }
  if (complete) *complete = all;
  return codes;
}

void CalcEditCopy(QLineEdit* edit, QClipboard::Mode mode) {
  // A password shows nothing of itself, so it gives nothing either.
  if (!edit || !edit->hasSelectedText() || edit->echoMode() != QLineEdit::Normal) return;
  std::string codes;
  CalcTextCodes(edit->selectedText(), edit->font(), &codes);
  QGuiApplication::clipboard()->setText(tallix::textForOtherPrograms(CalcPlainText(codes)), mode);
}

void CalcEditCut(QLineEdit* edit) {
  if (!edit || edit->isReadOnly() || !edit->hasSelectedText() || edit->echoMode() != QLineEdit::Normal) return;
  CalcEditCopy(edit);
  edit->del();
}

void CalcEditPaste(QLineEdit* edit, QClipboard::Mode mode) {
  if (!edit || edit->isReadOnly()) return;
  insertPlainText(edit, QGuiApplication::clipboard()->text(mode));
}

CQXCalcTextEditFilter::CQXCalcTextEditFilter(QLineEdit* edit) : QObject(edit), edit_(edit) {}

bool CQXCalcTextEditFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::Copy)) CalcEditCopy(edit_);
      else if (key->matches(QKeySequence::Cut)) CalcEditCut(edit_);
      else if (key->matches(QKeySequence::Paste)) CalcEditPaste(edit_);
      else {
        // Keys that select put the selection's text on the system's
        // selection clipboard.
        fixSelectionLater();
        return false;
      }
      return true;
    }
    case QEvent::ContextMenu:
      showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!edit_->isReadOnly()) {
          edit_->deselect();
          edit_->setCursorPosition(edit_->cursorPositionAt(mouse->position().toPoint()));
          CalcEditPaste(edit_, QClipboard::Selection);
        }
        return true;
      }
      if (mouse->button() == Qt::LeftButton) fixSelectionLater();
      return false;
    }
    case QEvent::MouseButtonDblClick: fixSelectionLater(); return false;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (edit_->isReadOnly() || !drop->mimeData() || !drop->mimeData()->hasText()) return false;
      edit_->deselect();
      edit_->setCursorPosition(edit_->cursorPositionAt(drop->position().toPoint()));
      insertPlainText(edit_, drop->mimeData()->text());
      drop->acceptProposedAction();
      edit_->setFocus(Qt::MouseFocusReason);
      return true;
    }
    default: return false;
  }
}

// The edit's own menu, its clipboard entries ours. They are known by the
// edit's own texts, as its translation gives them (the shortcut after a tab
// where the style shows one).
void CQXCalcTextEditFilter::showContextMenu(const QPoint& global) {
  QPointer<QMenu> menu = edit_->createStandardContextMenu();
  if (!menu) return;
  const std::pair<const char*, void (*)(QLineEdit*)> ours[] = {
      {"&Copy", [](QLineEdit* e) { CalcEditCopy(e); }},
      {"Cu&t", [](QLineEdit* e) { CalcEditCut(e); }},
      {"&Paste", [](QLineEdit* e) { CalcEditPaste(e); }},
  };
  for (QAction* action : menu->actions()) {
    const QString text = action->text().section(QLatin1Char('\t'), 0, 0);
    for (const auto& [source, run] : ours) {
      if (text != QCoreApplication::translate("QLineEdit", source)) continue;
      QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
      connect(action, &QAction::triggered, edit_, [edit = edit_, run = run] { run(edit); });
    }
  }
  menu->exec(global);
  delete menu;
}

// The edit puts its raw text on the selection clipboard as the event ends;
// once it has, the text the calculator shows takes its place.
void CQXCalcTextEditFilter::fixSelectionLater() {
  if (!QGuiApplication::clipboard()->supportsSelection()) return;
  QMetaObject::invokeMethod(
      this,
      [edit = QPointer<QLineEdit>(edit_)] {
        if (edit && edit->hasSelectedText() &&
            QGuiApplication::clipboard()->text(QClipboard::Selection) == edit->selectedText())
          CalcEditCopy(edit, QClipboard::Selection);
      },
      Qt::QueuedConnection);
}
