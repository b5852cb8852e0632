#include "platform/CalcTextEdit.h"

#include "charset/CalcCharset.h"
#include "charset/Cp1252.h"
#include "platform/CalcShownText.h"
#include "platform/ClipboardFormats.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// QLineEdit's own limit when none is set.
constexpr int kMaxEditLength = 32767;

CQXCalcTextEditFilter* filterOf(const QObject* edit) {
  return edit ? edit->findChild<CQXCalcTextEditFilter*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// `text` from other programs in place of the selection, or at the caret;
// what does not fit within the edit's limit is left out.
void insertPlainText(QLineEdit* edit, const QString& text) {
  std::string codes = CalcEditCodesOf(edit, text);
  if (codes.empty() && !edit->hasSelectedText()) return;
  const CQXCalcTextEditFilter* filter = filterOf(edit);
  if (const int limit = filter ? filter->CodeLimit() : 0; limit > 0) {
    QString kept = edit->text();
    if (edit->hasSelectedText()) kept.remove(edit->selectionStart(), edit->selectionLength());
    std::string around;
    CalcCodesFromShownText(kept, edit->font(), &around);
    codes.resize(std::min(codes.size(), size_t(std::max(0, limit - int(around.size())))));
  }
  edit->insert(CalcDisplayText(codes, edit->font()));
}

}  // namespace

void MakeCalcTextEdit(QLineEdit* edit, int maxCodes) {
  if (!edit || filterOf(edit)) return;
  // The limit counts codes, not the characters that show them (x̄ is two).
  if (maxCodes > 0) edit->setMaxLength(kMaxEditLength);
  edit->setValidator(new CQXCalcTextValidator(edit));
  edit->installEventFilter(new CQXCalcTextEditFilter(edit, maxCodes));
}

void SetCalcEditCodes(QLineEdit* edit, std::string_view codes) {
  if (!edit) return;
  if (CQXCalcTextEditFilter* filter = filterOf(edit)) filter->SetGivenCodes(codes);
  edit->setText(CalcDisplayText(codes, edit->font()));
}

std::string GetCalcEditCodes(const QLineEdit* edit) {
  if (!edit) return {};
  const CQXCalcTextEditFilter* filter = filterOf(edit);
  return CalcEditedCodesIn(edit->font(), filter ? filter->GivenCodes() : std::string_view(), edit->text());
}

std::string CalcEditCodesOf(const QLineEdit* edit, const QString& text, bool* complete) {
  bool all = true;
  std::string codes;
  for (const CalcTextPiece& piece : SplitCalcPlainText(text, &all)) {
    switch (piece.kind) {
      case CalcTextPiece::kCode: codes.push_back(char(piece.value)); break;
      case CalcTextPiece::kTyped: {
        std::string typed;
        if (CalcCodesFromShownText(QString(tallix::cp1252ToUnicode(std::uint8_t(piece.value))), edit->font(), &typed))
          codes += typed;
        else all = false;
        break;
      }
      // One line only; tokens are a token editor's.
      case CalcTextPiece::kLineBreak:
      case CalcTextPiece::kToken: all = false; break;
    }
  }
  if (complete) *complete = all;
  return codes;
}

void CalcEditCopy(QLineEdit* edit, QClipboard::Mode mode) {
  // A password shows nothing of itself, so it gives nothing either.
  if (!edit || !edit->hasSelectedText() || edit->echoMode() != QLineEdit::Normal) return;
  std::string codes;
  CalcCodesFromShownText(edit->selectedText(), edit->font(), &codes);
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

CQXCalcTextValidator::CQXCalcTextValidator(QWidget* edit) : QValidator(edit), edit_(edit) {}

QValidator::State CQXCalcTextValidator::validate(QString& input, int& pos) const {
  const QFont font = edit_->font();
  std::string codes;
  if (!CalcCodesFromShownText(input, font, &codes)) return Invalid;
  if (const CQXCalcTextEditFilter* filter = filterOf(edit_);
      filter && filter->CodeLimit() > 0 && codes.size() > size_t(filter->CodeLimit()))
    return Invalid;
  // The text as the edit shows its codes: a sign typed in the form another
  // font shows it takes its code's place in the calculator fonts.
  const QString shown = CalcDisplayText(codes, font);
  if (shown != input) {
    std::string before;
    CalcCodesFromShownText(input.left(pos), font, &before);
    pos = int(std::min(CalcDisplayText(before, font).size(), shown.size()));
    input = shown;
  }
  return Acceptable;
}

CQXCalcTextEditFilter::CQXCalcTextEditFilter(QLineEdit* edit, int maxCodes)
    : QObject(edit), edit_(edit), maxCodes_(std::max(maxCodes, 0)) {}

int CQXCalcTextEditFilter::CodeLimit() const {
  return maxCodes_ > 0 ? std::max(maxCodes_, int(given_.size())) : 0;
}

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
