#include "classlib/GridEditBox.h"

#include "charset/Cp1252.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>

CGridEditBox::CGridEditBox(CGridCtrl* grid, const QRect& rect, DWORD style, UINT id, int row, int col,
                           const std::string& text, UINT firstChar)
    : QLineEdit(grid), grid_(grid), row_(row), col_(col), initial_(text), exitOnArrows_(firstChar != VK_LBUTTON),
      rect_(rect) {
  setProperty("ctrlId", int(id));
  setFrame(true);
  setAlignment((style & ES_RIGHT) ? Qt::AlignRight : (style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft);
  setFont(grid->FontOf(grid->GetFont()));
  setGeometry(rect);
  setText(tallix::fromCp1252(text));
  show();
  setFocus(Qt::OtherFocusReason);
  switch (firstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
      end(false);
      break;
    case VK_BACK:
      end(false);
      backspace();
      break;
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      selectAll();
      break;
    default:
      selectAll();
      if (firstChar < 256) insert(QString(tallix::cp1252ToUnicode(static_cast<unsigned char>(firstChar))));
      growToText();
      break;
  }
}

CGridEditBox::~CGridEditBox() {
  if (grid_ && grid_->edit_ == this) grid_->edit_ = nullptr;
}

bool CGridEditBox::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  } else if (e->type() == QEvent::ShortcutOverride) {
    // Enter, Esc and Alt+key belong to the edit, not to the dialog around it.
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape ||
        (key->modifiers() & Qt::AltModifier)) {
      e->accept();
      return true;
    }
  }
  return QLineEdit::event(e);
}

void CGridEditBox::keyPressEvent(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  switch (e->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      if (exitOnArrows_ || ctrl) {
        e->accept();
        endWith(VirtualKeyFromQt(e->key()));
        return;
      }
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      e->accept();
      endWith(VK_TAB);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      e->accept();
      endWith(VK_RETURN);
      return;
    case Qt::Key_Escape:
      e->accept();
      setText(tallix::fromCp1252(initial_));
      endWith(VK_ESCAPE);
      return;
    default:
      if (e->modifiers() & Qt::AltModifier) {
        e->accept();
        return;
      }
      break;
  }
  QLineEdit::keyPressEvent(e);
  e->accept();
  if (!e->text().isEmpty()) growToText();
}

void CGridEditBox::growToText() {
  if (!grid_) return;
  const int needed = QFontMetrics(font()).horizontalAdvance(text() + QStringLiteral("  ")) + 6;
  if (needed <= width()) return;
  QRect client;
  grid_->GetClientRect(&client);
  const int widest = client.right() + 1 - x();
  const int w = std::min(needed, widest);
  if (w > width()) {
    resize(w, height());
    rect_.setWidth(w);
  }
}

void CGridEditBox::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (e->reason() != Qt::PopupFocusReason) EndEdit();
}

void CGridEditBox::endWith(UINT key) {
  endKey_ = key;
  EndEdit();
}

void CGridEditBox::EndEdit() {
  if (ended_) return;
  ended_ = true;
  QPointer<CGridCtrl> grid = grid_;
  if (grid && grid->edit_ == this) grid->edit_ = nullptr;
  if (grid && hasFocus()) grid->setFocus(Qt::OtherFocusReason);
  hide();
  if (grid && !grid->destroying_) {
    GRIDEDITEND record;
    record.hdr.hwndFrom = this;
    record.hdr.idFrom = UINT_PTR(property("ctrlId").toInt());
    record.hdr.code = GRIDN_ENDTEXTCHANGE;
    record.item.row = row_;
    record.item.col = col_;
    record.item.mask = GRID_MASK_TEXT | GRID_MASK_PARAM;
    record.item.text = tallix::toCp1252(text());
    record.item.lParam = LPARAM(endKey_);
    grid->SendMessage(WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
  }
  // An ended edit has nothing more to do with the grid.
  grid_ = nullptr;
  deleteLater();
}
