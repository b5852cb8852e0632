// The property list's rows, editors, choices and Edit commands.
#include "classlib/OrvoPropertyList.h"

#include "platform/LanguageLibrary.h"
#include "platform/SysColor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QWheelEvent>
#include <algorithm>
#include <new>

namespace {

// Focus that moves to the drop-down's own popup, or away with the whole
// window, ends no editing.
bool endsEditing(const QFocusEvent* event) {
  return event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
}

// An edit row's length limit: the caller's, or the text's when that is
// longer.
int editLimit(UINT limit, const QString& text) {
  return int(std::min<qsizetype>(std::max<qsizetype>(qsizetype(limit), text.size()), 0x7FFFFFFF));
}

}  // namespace

COrvoPropertyEdit::COrvoPropertyEdit(COrvoPropertyListCtrl* list) : QLineEdit(list), list(list) {}

COrvoPropertyEdit::~COrvoPropertyEdit() = default;

void COrvoPropertyEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (list && endsEditing(event)) list->SendMessage(COrvoPropertyListCtrl::WM_EDITOR_KILLFOCUS, WPARAM(this));
}

COrvoPropertyComboBox::COrvoPropertyComboBox(COrvoPropertyListCtrl* list) : QComboBox(list), list(list) {
  setFocusPolicy(Qt::StrongFocus);  // the wheel gives no focus
}

COrvoPropertyComboBox::~COrvoPropertyComboBox() = default;

void COrvoPropertyComboBox::showPopup() {
  // The drop-down part is 300 pixels high.
  const int entry = count() > 0 ? std::max(view()->sizeHintForRow(0), 1) : std::max(fontMetrics().height(), 1);
  setMaxVisibleItems(std::max(300 / entry, 1));
  QComboBox::showPopup();
}

void COrvoPropertyComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (list && endsEditing(event)) list->SendMessage(COrvoPropertyListCtrl::WM_EDITOR_KILLFOCUS, WPARAM(this));
}

void COrvoPropertyComboBox::wheelEvent(QWheelEvent* event) {
  if (hasFocus())
    event->accept();  // swallowed: the choice stays
  else
    event->ignore();  // the list scrolls
}

void COrvoPropertyListCtrl::RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("OrvoPropertyList"), [](QWidget* parent, const QString&) {
    auto* list = new COrvoPropertyListCtrl;
    if (!list->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, QRect(), parent, 0)) return static_cast<QWidget*>(nullptr);
    return static_cast<QWidget*>(list);
  });
}

COrvoPropertyListCtrl::COrvoPropertyListCtrl() {
  RegisterWindowClass();
  setFocusPolicy(Qt::StrongFocus);
  windowBrush.CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  highlightBrush.CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
  faceBrush.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  connect(qApp, &QApplication::focusChanged, this, &COrvoPropertyListCtrl::onFocusChanged);
}

COrvoPropertyListCtrl::~COrvoPropertyListCtrl() {
  disconnect(qApp, &QApplication::focusChanged, this, &COrvoPropertyListCtrl::onFocusChanged);
  for (COrvoPropertyItem* item : items) {
    delete item->editor;
    delete item;
  }
}

BOOL COrvoPropertyListCtrl::Create(DWORD style, const QRect& rect, QWidget* parent, UINT id) {
  setGeometry(rect);
  return CWnd::Create(style, parent, id);
}

int COrvoPropertyListCtrl::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  recreateColors();
  SetListFont(80, QStringLiteral("MS Sans Serif"), FALSE);
  updateScrolling();
  return 0;
}

void COrvoPropertyListCtrl::recreateColors() {
  windowBrush.CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  highlightBrush.CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
  faceBrush.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  linePen.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
}

COrvoPropertyItem* COrvoPropertyListCtrl::itemAt(int row) const {
  return row >= 0 && row < GetItemCount() ? items[size_t(row)] : nullptr;
}

COrvoPropertyComboBox* COrvoPropertyListCtrl::comboAt(int row) const {
  const COrvoPropertyItem* item = itemAt(row);
  return item && item->kind == COrvoPropertyItem::DropDownList ? qobject_cast<COrvoPropertyComboBox*>(item->editor)
                                                               : nullptr;
}

int COrvoPropertyListCtrl::AddItem(const COrvoPropertyItem& source) {
  auto* item = new (std::nothrow) COrvoPropertyItem(source);
  if (!item) return 0;
  item->editor = nullptr;
  if (item->kind == COrvoPropertyItem::EditField) {
    auto* edit = new COrvoPropertyEdit(this);
    edit->setFrame(true);
    edit->setText(item->value);
    edit->setFont(listFont.font());
    if (item->textLimit > 0) edit->setMaxLength(int(std::min<UINT>(item->textLimit, 0x7FFFFFFF)));
    if (item->style & ES_NUMBER) edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    connect(edit, &QLineEdit::textEdited, this, [this, edit, limit = item->textLimit] {
      modified = TRUE;
      // A longer value that SetItemValue gave shrinks back to the limit as
      // the user shortens it; typing never lengthens it.
      if (limit > 0) edit->setMaxLength(editLimit(limit, edit->text()));
    });
    item->editor = edit;
  } else if (item->kind == COrvoPropertyItem::DropDownList) {
    auto* combo = new COrvoPropertyComboBox(this);
    combo->setFont(listFont.font());
    combo->setGeometry(0, 0, 100, 300);
    connect(combo, &QComboBox::activated, this, [this] { modified = TRUE; });
    item->editor = combo;
  }
  if (item->editor) {
    item->editor->hide();
    item->editor->setEnabled(false);
  }
  items.push_back(item);
  updateScrolling();
  update();
  return GetItemCount() - 1;
}

BOOL COrvoPropertyListCtrl::RemoveAll() {
  std::vector<COrvoPropertyItem*> gone;
  gone.swap(items);
  for (COrvoPropertyItem* item : gone) {
    if (item->editor && item->editor->hasFocus()) SetFocus();
    delete item->editor;
    delete item;
  }
  updateScrolling();
  update();
  return TRUE;
}

QString COrvoPropertyListCtrl::editorValue(const COrvoPropertyItem* item, DWORD* data) const {
  if (auto* edit = qobject_cast<COrvoPropertyEdit*>(item->editor)) return edit->text();
  if (auto* combo = qobject_cast<COrvoPropertyComboBox*>(item->editor); combo && combo->currentIndex() >= 0) {
    if (data) *data = combo->currentData().toUInt();
    return combo->currentText();
  }
  return item->value;
}

BOOL COrvoPropertyListCtrl::GetItem(int row, COrvoPropertyItem* out) const {
  const COrvoPropertyItem* item = itemAt(row);
  if (!item || !out) return FALSE;
  out->kind = item->kind;
  out->style = item->style;
  out->data = item->data;
  out->label = item->label;
  out->value = editorValue(item, &out->data);
  return TRUE;
}

BOOL COrvoPropertyListCtrl::SetItemValue(int row, const QString& text) {
  COrvoPropertyItem* item = itemAt(row);
  if (!item) return FALSE;
  item->value = text;
  // Neither call counts as the user's edit.
  if (auto* edit = qobject_cast<COrvoPropertyEdit*>(item->editor)) {
    // The limit holds the user's typing: a longer value given here shows
    // whole.
    if (item->textLimit > 0) edit->setMaxLength(editLimit(item->textLimit, text));
    edit->setText(text);
  }
  if (auto* combo = qobject_cast<COrvoPropertyComboBox*>(item->editor))
    if (const int found = combo->findText(text, Qt::MatchExactly); found >= 0) combo->setCurrentIndex(found);
  redrawRow(row);
  return TRUE;
}

int COrvoPropertyListCtrl::InsertChoice(int row, const QString& text, int position, DWORD itemData) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo) return -1;
  const int at = position < 0 || position > combo->count() ? combo->count() : position;
  combo->insertItem(at, text, QVariant::fromValue(uint(itemData)));
  return at;
}

BOOL COrvoPropertyListCtrl::SetChoiceIndex(int row, int position) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo || position < 0 || position >= combo->count()) return FALSE;
  combo->setCurrentIndex(position);
  itemAt(row)->value = combo->itemText(position);
  if (rowVisible(row)) redrawRow(row);
  return TRUE;
}

BOOL COrvoPropertyListCtrl::SetChoiceByData(int row, DWORD itemData) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo) return FALSE;
  const int found = combo->findData(QVariant::fromValue(uint(itemData)));
  return found >= 0 && SetChoiceIndex(row, found);
}

int COrvoPropertyListCtrl::GetChoiceIndex(int row) const {
  const COrvoPropertyComboBox* combo = comboAt(row);
  return combo ? combo->currentIndex() : -1;
}

BOOL COrvoPropertyListCtrl::DeleteChoice(int row, int position) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo || position < 0 || position >= combo->count()) return FALSE;
  combo->removeItem(position);
  return TRUE;
}

BOOL COrvoPropertyListCtrl::DeleteChoiceByData(int row, DWORD itemData) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo) return FALSE;
  const int found = combo->findData(QVariant::fromValue(uint(itemData)));
  if (found < 0) return FALSE;
  const bool selected = found == combo->currentIndex();
  combo->removeItem(found);
  if (selected && combo->count() > 0) SetChoiceIndex(row, 0);
  return TRUE;
}

BOOL COrvoPropertyListCtrl::ResetChoices(int row) {
  COrvoPropertyComboBox* combo = comboAt(row);
  if (!combo) return FALSE;
  combo->clear();
  return TRUE;
}

BOOL COrvoPropertyListCtrl::SetListFont(int pointSizeTenths, const QString& face, BOOL) {
  if (!listFont.CreatePointFont(pointSizeTenths, face)) return FALSE;
  for (COrvoPropertyItem* item : items)
    if (item->editor) item->editor->setFont(listFont.font());
  setFont(listFont.font());
  if (labelWidth)
    FitLabelColumn();
  else
    updateScrolling();
  update();
  return TRUE;
}

void COrvoPropertyListCtrl::FitLabelColumn() {
  const QFontMetrics metrics(listFont.font(), this);
  int widest = 0;
  for (const COrvoPropertyItem* item : items)
    widest = std::max(widest, metrics.horizontalAdvance(item->label) + metrics.height());
  labelWidth = widest;
  updateScrolling();
  update();
}

COrvoPropertyEdit* COrvoPropertyListCtrl::focusedEdit() const {
  const COrvoPropertyItem* item = itemAt(currentRow);
  if (!item || item->kind != COrvoPropertyItem::EditField) return nullptr;
  auto* edit = qobject_cast<COrvoPropertyEdit*>(item->editor);
  return edit && edit->hasFocus() ? edit : nullptr;
}

void COrvoPropertyListCtrl::Undo() {
  if (!CanUndo()) return;
  focusedEdit()->undo();
  modified = TRUE;
}

void COrvoPropertyListCtrl::Cut() {
  if (!CanCopy()) return;
  focusedEdit()->cut();
  modified = TRUE;
}

void COrvoPropertyListCtrl::Clear() {
  if (!CanCopy()) return;
  focusedEdit()->del();  // the selection, undoable
  modified = TRUE;
}

void COrvoPropertyListCtrl::Copy() {
  if (CanCopy()) focusedEdit()->copy();
}

void COrvoPropertyListCtrl::Paste() {
  if (!CanPaste()) return;
  COrvoPropertyEdit* edit = focusedEdit();
  const QString before = edit->text();
  edit->paste();
  if (edit->text() != before) modified = TRUE;
}

void COrvoPropertyListCtrl::SelectAll() {
  if (CanSelectAll()) focusedEdit()->selectAll();
}

BOOL COrvoPropertyListCtrl::CanUndo() const {
  const COrvoPropertyEdit* edit = focusedEdit();
  return edit && edit->isUndoAvailable();
}

BOOL COrvoPropertyListCtrl::CanCopy() const {
  const COrvoPropertyEdit* edit = focusedEdit();
  return edit && edit->hasSelectedText();
}

BOOL COrvoPropertyListCtrl::CanPaste() const {
  if (!focusedEdit()) return FALSE;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

BOOL COrvoPropertyListCtrl::CanSelectAll() const {
  const COrvoPropertyEdit* edit = focusedEdit();
  return edit && !edit->text().isEmpty();
}
