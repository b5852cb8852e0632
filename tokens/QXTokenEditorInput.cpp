// The token editor's window: creation, focus, keyboard, input method and
// mouse.
#include "tokens/QXTokenEditor.h"

#include "charset/Cp1252.h"
#include "datamodel/ModelLookups.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

// ---- creation ----

BOOL CQXTokenEditor::Create(DWORD style, const QRect& rect, QWidget* parent, UINT id) {
  if (!CScrollWnd<CWnd>::Create(style, parent, id)) return FALSE;
  setGeometry(rect);
  return TRUE;
}

int CQXTokenEditor::OnCreate(LPCREATESTRUCT create) {
  if (CWnd::OnCreate(create) == -1) return -1;
  prepareWindow();
  return 0;
}

// What making the window does, for an editor made by Create and for one
// that a dialog form makes.
void CQXTokenEditor::prepareWindow() {
  loadColors();
  applyStyles();
  SetFontByName("Arial", 100);
  registerDropTarget();
}

// The frame and the vertical bar the styles ask for (0x1000 is an edit
// style the editor does not use).
void CQXTokenEditor::applyStyles() {
  const bool bar = GetStyle() & (WS_VSCROLL | kTokenEditorDisableNoScroll | kTokenEditorMultiLine);
  if (hasVerticalBar_ && !bar) ShowScrollBar(SB_VERT, FALSE);
  hasVerticalBar_ = bar;
  if (GetExStyle() & WS_EX_CLIENTEDGE) SetScrollFrame(kScrollFrameSunken);
  else if (GetStyle() & WS_BORDER) SetScrollFrame(kScrollFrameLine);
  else SetScrollFrame(kScrollFrameNone);
}

void CQXTokenEditor::OnStyleChanged(DWORD, DWORD) {
  applyStyles();
  relayout();
}

void CQXTokenEditor::OnExStyleChanged(DWORD, DWORD) {
  applyStyles();
  relayout();
}

QPoint CQXTokenEditor::clientPoint(const QMouseEvent* event) const {
  return MapToClient(event->position().toPoint());
}

void CQXTokenEditor::OnDestroy() {
  endMouseSelection();
  destroyCaret();
  CWnd::OnDestroy();
}

// ---- Qt events ----

bool CQXTokenEditor::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::UngrabMouse:
      // The platform's capture change and cancel-mode: a mouse selection ends.
      cancelMouse();
      break;
    default: break;
  }
  return CWnd::event(event);
}

void CQXTokenEditor::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    loadColors();
    Invalidate();
  }
  CWnd::changeEvent(event);
}

void CQXTokenEditor::hideEvent(QHideEvent* event) {
  cancelMouse();
  CWnd::hideEvent(event);
}

void CQXTokenEditor::resizeEvent(QResizeEvent* event) {
  layoutValid_ = false;
  CWnd::resizeEvent(event);
  updateLayout();
}

void CQXTokenEditor::focusInEvent(QFocusEvent* event) {
  CWnd::focusInEvent(event);
  createCaret(1);
  Invalidate();
  PositionCaret(caretSide_);
}

void CQXTokenEditor::focusOutEvent(QFocusEvent* event) {
  CWnd::focusOutEvent(event);
  destroyCaret();
  // A selection turns to the colour of an editor without the focus.
  Invalidate();
}

// ---- keyboard ----

void CQXTokenEditor::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool enterOrEscape = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  if (key == Qt::Key_Escape && press_.active) {
    // Escape ends the wait for a drag: the press becomes a click.
    finishPress();
    return;
  }
  // A single-line editor leaves Enter and Escape to its dialog.
  if (!IsMultiLine() && enterOrEscape) {
    event->ignore();
    return;
  }
  event->accept();
  if (mouseSelecting_ || press_.active) return;
  const Qt::KeyboardModifiers mods = event->modifiers();
  if (key == Qt::Key_F10 && (mods & Qt::ShiftModifier)) {
    // The keyboard's context menu, at the top-left corner.
    const QPoint corner = GetViewport()->mapTo(this, QPoint(0, 0));
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, corner, mapToGlobal(corner), mods);
    QApplication::sendEvent(this, &menu);
    return;
  }
  OnKeyDown(VirtualKeyFromQt(key), mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
  // The characters the key makes; with Ctrl or Alt held it types nothing
  // (AltGr arrives without them).
  if (mods & (Qt::ControlModifier | Qt::AltModifier)) return;
  for (QChar ch : event->text())
    if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) typeCharacter(ch);
}

void CQXTokenEditor::inputMethodEvent(QInputMethodEvent* event) {
  // What the input method commits is typed; its preedit text is not drawn.
  for (QChar ch : event->commitString())
    if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) typeCharacter(ch);
  event->accept();
}

QVariant CQXTokenEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: {
      const QRect caret = const_cast<CQXTokenEditor*>(this)->caretRect();
      return caret.translated(GetViewport()->mapTo(this, QPoint(0, 0)));
    }
    case Qt::ImFont: return font_;
    default: return CWnd::inputMethodQuery(query);
  }
}

// A character of the user's text as a character code; those without one
// are dropped.
void CQXTokenEditor::typeCharacter(QChar ch) {
  const int code = tallix::unicodeToCp1252(ch.unicode());
  if (code >= 0) OnChar(UINT(code), 1);
}

// Typing over a selection deletes it (with undo); typing without one
// forgets the undo state.
void CQXTokenEditor::replaceSelectionForTyping() {
  if (HasSelection()) {
    saveUndoState();
    removeSelectedTokens();
  } else {
    discardUndoState();
  }
}

std::optional<WORD> CQXTokenEditor::typedToken(UINT ch, bool* mapped) const {
  QXCHARMAPENTRY entry;
  entry.character = ch;
  const bool byCallback = charMap_ && charMap_(ch, &entry);
  if (mapped) *mapped = byCallback;
  if (byCallback) return MakeTokenWord(entry.leadByte, entry.tokenByte);
  if (ch < 32 || ch > 254) return std::nullopt;
  return MakeTokenWord(0, BYTE(ch));
}

void CQXTokenEditor::OnChar(UINT ch, int repeat) {
  bool mapped = false;
  const std::optional<WORD> word = typedToken(ch, &mapped);
  if (!word || !IsInsertableToken(*word)) return;
  if (mapped) {
    // The callback's token replaces the selection; without one the undo
    // state stays.
    if (HasSelection()) {
      saveUndoState();
      removeSelectedTokens();
    }
    InsertToken(*word);
  } else {
    replaceSelectionForTyping();
    for (int i = 0; i < std::max(repeat, 1); ++i) InsertToken(*word);
  }
  contentEdited();
  editDone();
}

void CQXTokenEditor::OnKeyDown(UINT vk, bool shift, bool ctrl) {
  const int count = tokens_.GetSize();
  switch (vk) {
    case VK_BACK:
    case VK_DELETE: {
      if (!HasSelection()) {
        const int at = vk == VK_BACK ? caret_ - 1 : caret_;
        if (at < 0 || at >= count) return;
        SetSelRange(at, at + 1, TRUE, FALSE);
      }
      DeleteSelection();
      return;
    }
    case VK_RETURN: {
      if (!IsMultiLine()) return;
      const WORD word = MakeTokenWord(0, firstLineBreakByte());
      if (!IsInsertableToken(word)) return;
      replaceSelectionForTyping();
      InsertToken(word);
      contentEdited();
      editDone();
      return;
    }
    default: navigate(vk, shift, ctrl);
  }
}

void CQXTokenEditor::moveCaretTo(int index, bool shift) {
  index = std::clamp(index, 0, tokens_.GetSize());
  if (shift) {
    if (!HasSelection()) {
      anchor_ = caret_;
      SetSelRange(caret_, index, caret_ != index, TRUE);
    } else if (index == anchor_) {
      SetSelRange(-1, -1, FALSE, TRUE);
    } else {
      SetSelRange(anchor_, index, TRUE, TRUE);
    }
  }
  caret_ = index;
  caretSide_ = 0;
  keepCaretInView();
  PositionCaret();
}

void CQXTokenEditor::navigate(UINT vk, bool shift, bool ctrl) {
  const int count = tokens_.GetSize();
  if (count == 0) return;
  const bool multi = IsMultiLine();
  const auto isNavigation = [vk] {
    return vk == VK_HOME || vk == VK_END || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN ||
           vk == VK_PRIOR || vk == VK_NEXT;
  };
  if (!isNavigation()) return;
  if (!shift && HasSelection()) SetSelRange(-1, -1, FALSE, TRUE);
  caretSide_ = 0;
  updateLayout();
  const int h = screen_.lineHeight;
  const QRect area = textArea();
  const QPoint caret = CaretPoint();
  int half = 0;
  const auto hit = [&](QPoint point) {
    const int index = hitTestAt(point, false, &half);
    return index == -2 ? count - 1 : index;
  };
  if ((vk == VK_HOME || vk == VK_END) && (ctrl || !multi)) {
    moveCaretTo(vk == VK_HOME ? 0 : count, shift);
    if (vk == VK_HOME) scrollToTop();
    else scrollToEnd();
    PositionCaret();
    return;
  }
  switch (vk) {
    case VK_HOME: {
      if (caret_ == 0) return;
      int index = hit(QPoint(area.left(), caret.y()));
      if (index < 0) return;
      // A token that began on the line above: the caret goes behind it.
      if (toClient(geometryOf(index).start).y() < caret.y()) ++index;
      moveCaretTo(index, shift);
      return;
    }
    case VK_END: {
      int index = hit(QPoint(area.right(), caret.y()));
      if (index < 0) return;
      if (!isLineBreak(GetTokenAt(index))) {
        ++index;
        // The line ended with a wrap: the caret stays on it.
        if (index < count && toClient(geometryOf(index).start).y() > caret.y()) --index;
      }
      moveCaretTo(index, shift);
      return;
    }
    case VK_LEFT:
      if (caret_ > 0) moveCaretTo(caret_ - 1, shift);
      return;
    case VK_RIGHT:
      if (caret_ < count) moveCaretTo(caret_ + 1, shift);
      return;
    default: break;
  }
  if (!multi) return;
  const int page = std::max(visibleLines() - 1, 1);
  const QPoint end = toClient(contentEnd_);
  switch (vk) {
    case VK_UP: {
      int index = hit(caret - QPoint(0, h));
      if (index < 0) return;
      if (index >= count - 1 && index > 0) --index;
      moveCaretTo(index, shift);
      return;
    }
    case VK_DOWN: {
      const QPoint below = caret + QPoint(0, h);
      if (below.y() >= end.y()) return;
      int index = hit(below);
      if (index < 0) return;
      if (index == caret_ && index < count) ++index;
      moveCaretTo(index, shift);
      return;
    }
    case VK_PRIOR: {
      const QPoint target = toContent(caret - QPoint(0, page * h));
      scrollBy(page);
      const int index = hit(toClient(target));
      moveCaretTo(index < 0 ? 0 : index, shift);
      return;
    }
    case VK_NEXT: {
      const QPoint target = toContent(caret + QPoint(0, page * h));
      const int index = target.y() >= contentEnd_.y() ? count - 1 : hit(toClient(target));
      scrollBy(-page);
      if (index >= 0) moveCaretTo(index, shift);
      return;
    }
    default: return;
  }
}

// ---- mouse ----

void CQXTokenEditor::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    CWnd::mousePressEvent(event);
    return;
  }
  const QPoint point = clientPoint(event);
  SetFocus();
  PositionCaret();
  const bool selection = HasSelection();
  int half = 0;
  int index = hitTestAt(point, selection, &half);
  press_ = {};
  if (selection && index >= 0 && index >= std::min(selP_, selQ_) && index <= std::max(selP_, selQ_)) {
    press_ = {true, point, index, half, true};
    return;
  }
  if (selection) SetSelRange(-1, -1, FALSE, TRUE);
  if (index == -2) {
    index = tokens_.GetSize() - 1;
    half = 2;
  }
  if (index < 0) {
    PositionCaret();
    return;
  }
  press_ = {true, point, index, half, false};
}

// The press ended before the mouse left the drag distance: a click.
void CQXTokenEditor::finishPress() {
  if (!press_.active) return;
  press_.active = false;
  if (press_.inSelection) {
    SetSelRange(-1, -1, FALSE, TRUE);
  } else {
    caret_ = press_.index + (press_.half == 2 ? 1 : 0);
    SetSelRange(-1, -1, FALSE, TRUE);
  }
  caretSide_ = 0;
  PositionCaret();
}

void CQXTokenEditor::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = clientPoint(event);
  if (press_.active) {
    if ((point - press_.point).manhattanLength() < QApplication::startDragDistance()) return;
    press_.active = false;
    if (press_.inSelection) {
      if (!DragSelection()) {
        SetSelRange(-1, -1, FALSE, TRUE);
        PositionCaret();
      }
      return;
    }
    startMouseSelection();
  }
  if (mouseSelecting_ && (event->buttons() & Qt::LeftButton)) {
    extendMouseSelection(point);
    return;
  }
  updateCursor(point);
}

void CQXTokenEditor::startMouseSelection() {
  anchor_ = press_.index + (press_.half == 2 ? 1 : 0);
  selP_ = press_.index;
  selQ_ = -1;
  caret_ = press_.index;
  caretSide_ = press_.half;
  mouseSelecting_ = true;
  PositionCaret(caretSide_);
}

void CQXTokenEditor::extendMouseSelection(QPoint point) {
  const int count = tokens_.GetSize();
  const int h = screen_.lineHeight;
  const QPoint end = toClient(contentEnd_);
  QPoint limited = point;
  if (IsMultiLine()) limited.setY(std::min(limited.y(), end.y() - 1));
  int half = 0;
  int index = hitTestAt(limited, false, &half);
  if (index == -2) index = count - 1;
  if (index < 0) return;
  caret_ = index;
  caretSide_ = 0;
  const int q = index >= anchor_ ? index + 1 : index;
  if (q == anchor_)
    SetSelRange(-1, -1, FALSE, TRUE);
  else
    SetSelRange(anchor_, q, TRUE, TRUE);
  if (IsMultiLine()) {
    const QRect client = clientArea();
    if (point.y() >= client.bottom() + 1 - h) scrollBy(-1);
    else if (point.y() < client.top() + h) scrollBy(1);
  } else {
    keepCaretInView();
  }
  PositionCaret();
}

void CQXTokenEditor::endMouseSelection() {
  if (!mouseSelecting_) return;
  mouseSelecting_ = false;
  if (HasSelection()) {
    caret_ = selQ_;
    Invalidate();
  } else {
    selP_ = selQ_ = -1;
  }
  caretSide_ = 0;
  setCursor(HasSelection() ? Qt::ArrowCursor : Qt::IBeamCursor);
  PositionCaret();
}

void CQXTokenEditor::cancelMouse() {
  press_.active = false;
  endMouseSelection();
}

void CQXTokenEditor::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    CWnd::mouseReleaseEvent(event);
    return;
  }
  if (press_.active) {
    finishPress();
    return;
  }
  endMouseSelection();
}

void CQXTokenEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_.active = false;
  QPoint point = clientPoint(event);
  if (IsMultiLine()) point.setY(std::min(point.y(), toClient(contentEnd_).y() - 1));
  int half = 0;
  int index = hitTestAt(point, false, &half);
  if (index == -2) index = tokens_.GetSize() - 1;
  if (index < 0) {
    SetSelRange(-1, -1, FALSE, TRUE);
    setCursor(Qt::IBeamCursor);
    return;
  }
  SetSelRange(index, index + 1, TRUE, TRUE);
  anchor_ = index;
  caret_ = index;
  caretSide_ = 0;
  setCursor(Qt::ArrowCursor);
  PositionCaret();
}

void CQXTokenEditor::updateCursor(QPoint point) {
  bool overSelection = false;
  if (HasSelection()) {
    int half = 0;
    const int index = hitTestAt(point, true, &half);
    overSelection = index >= std::min(selP_, selQ_) && index < std::max(selP_, selQ_);
  }
  setCursor(overSelection ? Qt::ArrowCursor : Qt::IBeamCursor);
}

void CQXCharConvertTable::Load(const char* model) {
  table_.fill(0);
  LoadCharConvertTable(model, table_.data(), UINT(table_.size()));
}

BOOL CQXCharConvertTable::Map(UINT character, QXCHARMAPENTRY* entry) const {
  if (character >= table_.size()) return FALSE;
  const DWORD value = table_[character];
  if (value == 0 || (value & 0xFFFF) >= 256 || value > 0xFFFFFF) return FALSE;
  entry->leadByte = BYTE(value >> 16);
  entry->tokenByte = BYTE(value & 0xFF);
  return TRUE;
}
