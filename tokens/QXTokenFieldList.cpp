#include "tokens/QXTokenFieldList.h"

#include "platform/CalcShownText.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenField.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>

#include <algorithm>

namespace {

// Takes `widget` out of whichever layout of `layout` holds it, so that the
// code places it.
bool takeOutOfLayout(QLayout* layout, QWidget* widget) {
  if (!layout) return false;
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == widget) {
      delete layout->takeAt(i);
      return true;
    }
    if (takeOutOfLayout(item->layout(), widget)) return true;
  }
  return false;
}

}  // namespace

const CMessageMap& CQXTokenFieldList::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXTokenFieldList>(CStatic::messageMap()).message(kMsgScroll, &CQXTokenFieldList::OnScroll);
  return map;
}

CQXTokenFieldList::CQXTokenFieldList(QWidget* parent) : CStatic(parent) {
  // The fields lie over the list: clicks go to them.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

CQXTokenFieldList::~CQXTokenFieldList() = default;

CQXTokenField* CQXTokenFieldList::CreateField() { return nullptr; }

BOOL CQXTokenFieldList::AttachScrollBar(UINT id, CWnd* parent) {
  auto* bar = parent ? qobject_cast<CScrollBar*>(parent->GetDlgItem(int(id))) : nullptr;
  if (!bar) return FALSE;
  if (QWidget* holder = bar->parentWidget()) takeOutOfLayout(holder->layout(), bar);
  scrollBar_ = bar;
  bar->setRange(0, std::max(0, GetFieldCount() - 1));
  bar->setPageStep(kPageFields);
  tallix::ConnectScrollBarActions(bar, this, [this](UINT code, UINT pos) {
    SendMessage(kMsgScroll, MAKEWPARAM(WORD(code), WORD(pos)), 0);
  });
  RecalcLayout();
  return TRUE;
}

BOOL CQXTokenFieldList::prepare(CWnd* parent) {
  if (initialised_) return TRUE;
  if (!parent) return FALSE;
  font_.SetFont(parent->font());
  fields_.reserve(20);
  initialised_ = true;
  return TRUE;
}

std::unique_ptr<CQXTokenField> CQXTokenFieldList::makeField(const char* label, const char* text, UINT id,
                                                            CWnd* parent, std::uintptr_t data) {
  if (!prepare(parent)) return nullptr;
  std::unique_ptr<CQXTokenField> field(CreateField());
  if (!field) return nullptr;
  field->SetFieldList(this);
  if (!field->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, id, parent, data)) return nullptr;
  field->SetLabel(label);
  field->SetText(text);
  field->SetFont(&font_);
  field->SetModified(FALSE);
  labelWidth_ = std::max(labelWidth_, field->GetLabelWidth());
  takeFieldHeight(*field);
  return field;
}

void CQXTokenFieldList::takeFieldHeight(const CQXTokenField& field) { fieldHeight_ = field.GetTextHeight() + 6; }

void CQXTokenFieldList::chainFields() {
  QWidget* previous = this;
  for (const auto& field : fields_) previous = field->ChainZOrder(previous);
}

void CQXTokenFieldList::updateScrollRange() {
  if (scrollBar_) scrollBar_->setRange(0, std::max(0, GetFieldCount() - 1));
}

BOOL CQXTokenFieldList::AddField(const char* label, const char* text, UINT id, CWnd* parent, std::uintptr_t data) {
  std::unique_ptr<CQXTokenField> field = makeField(label, text, id, parent, data);
  if (!field) return FALSE;
  fields_.push_back(std::move(field));
  chainFields();
  updateScrollRange();
  return TRUE;
}

BOOL CQXTokenFieldList::InsertField(UINT afterId, const char* label, const char* text, UINT id, CWnd* parent,
                                    std::uintptr_t data) {
  if (fields_.empty()) return AddField(label, text, id, parent, data);
  const int after = FindFieldById(int(afterId));
  if (after < 0) return FALSE;
  std::unique_ptr<CQXTokenField> field = makeField(label, text, id, parent, data);
  if (!field) return FALSE;
  fields_.insert(fields_.begin() + after + 1, std::move(field));
  chainFields();
  updateScrollRange();
  RecalcLayout();
  return TRUE;
}

BOOL CQXTokenFieldList::RemoveField(int index) {
  CQXTokenField* field = GetField(index);
  if (!field) return FALSE;
  if (field->HasFocus()) {
    if (index > 0)
      FocusField(index - 1);
    else
      FocusField(index + 1);
  }
  fields_.erase(fields_.begin() + index);
  firstVisible_ = std::clamp(firstVisible_, 0, std::max(0, GetFieldCount() - 1));
  chainFields();
  updateScrollRange();
  RecalcLayout();
  return TRUE;
}

void CQXTokenFieldList::RemoveAllFields() {
  for (int i = GetFieldCount() - 1; i >= 0; --i) RemoveField(i);
}

CQXTokenField* CQXTokenFieldList::GetField(int index) const {
  return index >= 0 && index < GetFieldCount() ? fields_[std::size_t(index)].get() : nullptr;
}

CQXFieldTokenEditor* CQXTokenFieldList::GetFieldEditor(int index) const {
  const CQXTokenField* field = GetField(index);
  return field ? field->GetEditor() : nullptr;
}

int CQXTokenFieldList::GetFocusedFieldIndex() const {
  for (int i = 0; i < GetFieldCount(); ++i)
    if (fields_[std::size_t(i)]->HasFocus()) return i;
  return -1;
}

int CQXTokenFieldList::GetFocusedFieldId() const {
  const CQXFieldTokenEditor* editor = GetFocusedFieldEditor();
  return editor ? editor->GetDlgCtrlID() : -1;
}

CQXFieldTokenEditor* CQXTokenFieldList::GetFocusedFieldEditor() const { return GetFieldEditor(GetFocusedFieldIndex()); }

QWidget* CQXTokenFieldList::GetFocusedFieldButton() const {
  const CQXTokenField* field = GetField(GetFocusedFieldIndex());
  return field ? field->GetButton() : nullptr;
}

CQXFieldTokenEditor* CQXTokenFieldList::GetLastFocusedFieldEditor() const {
  if (lastFocusedId_ <= 0) return nullptr;
  return GetFieldEditor(FindFieldById(lastFocusedId_));
}

int CQXTokenFieldList::FindFieldById(int id) const {
  for (int i = 0; i < GetFieldCount(); ++i) {
    const CQXFieldTokenEditor* editor = fields_[std::size_t(i)]->GetEditor();
    if (editor && editor->GetDlgCtrlID() == id) return i;
  }
  return -1;
}

std::uintptr_t CQXTokenFieldList::GetFieldData(int index) const {
  const CQXTokenField* field = GetField(index);
  return field ? field->GetUserData() : 0;
}

BOOL CQXTokenFieldList::SetFieldData(int index, std::uintptr_t data) {
  CQXTokenField* field = GetField(index);
  if (!field) return FALSE;
  field->SetUserData(data);
  return TRUE;
}

BOOL CQXTokenFieldList::ShowField(int index, int showCommand) {
  CQXTokenField* field = GetField(index);
  return field && field->Show(showCommand);
}

BOOL CQXTokenFieldList::MoveField(int index, const QRect& rect) {
  CQXTokenField* field = GetField(index);
  return field && field->Move(rect, labelWidth_);
}

BOOL CQXTokenFieldList::SetFieldText(int index, const char* label, const char* text) {
  CQXTokenField* field = GetField(index);
  return field && field->SetLabel(label) && field->SetText(text);
}

BOOL CQXTokenFieldList::SetFieldFont(int index, const CFont* font) {
  CQXTokenField* field = GetField(index);
  if (!field || !field->SetFont(font)) return FALSE;
  // Rows as tall as the text of their font, so that no editor is cut, and
  // the label column as wide as the label in it.
  takeFieldHeight(*field);
  labelWidth_ = std::max(labelWidth_, field->GetLabelWidth());
  return TRUE;
}

void CQXTokenFieldList::SetFieldsFont(const CFont* font) {
  for (int i = 0; i < GetFieldCount(); ++i) SetFieldFont(i, font);
  RecalcLayout();
}

BOOL CQXTokenFieldList::FocusField(int index) {
  CQXTokenField* field = GetField(index);
  return field && field->SetFocus();
}

BOOL CQXTokenFieldList::FocusNextField() {
  const int index = GetFocusedFieldIndex();
  return index >= 0 && FocusField(index + 1);
}

BOOL CQXTokenFieldList::FocusPreviousField() {
  const int index = GetFocusedFieldIndex();
  return index > 0 && FocusField(index - 1);
}

void CQXTokenFieldList::SetLabelWidthFromText(const char* text, const CFont* font) {
  const QFont& f = font ? font->font() : this->font();
  labelWidth_ = QFontMetrics(f).horizontalAdvance(CalcDisplayText(text ? text : "", f));
}

int CQXTokenFieldList::GetContentHeight() const {
  return fields_.empty() ? 0 : GetFieldCount() * (fieldHeight_ + kFieldGap) - kFieldGap;
}

void CQXTokenFieldList::RecalcLayout() {
  const QRect area = geometry();  // in the parent's coordinates
  int barWidth = 0;
  if (scrollBar_) {
    barWidth = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(area.right() + 1 - barWidth, area.top(), barWidth, area.height());
  }
  const int focused = GetFocusedFieldIndex();
  // Fields above the first visible one are hidden.
  for (int i = 0; i < std::min(firstVisible_, GetFieldCount()); ++i) fields_[std::size_t(i)]->Show(SW_HIDE);
  const int right = area.right() + 1 - barWidth - 6;
  int y = area.top();
  int lastShown = -1;
  for (int i = firstVisible_; i < GetFieldCount(); ++i) {
    CQXTokenField& field = *fields_[std::size_t(i)];
    field.Move(QRect(area.left(), y, std::max(0, right - area.left()), fieldHeight_), labelWidth_);
    const bool fits = y + fieldHeight_ <= area.top() + area.height();
    field.Show(fits ? SW_SHOW : SW_HIDE);
    if (fits) lastShown = i;
    y += fieldHeight_ + kFieldGap;
  }
  // A field that scrolled out of sight hands its focus to one in sight.
  if (focused >= 0 && !fields_[std::size_t(focused)]->IsShown()) {
    if (focused < firstVisible_ && lastShown >= 0)
      FocusField(firstVisible_);
    else if (lastShown >= 0)
      FocusField(lastShown);
  }
}

void CQXTokenFieldList::resizeEvent(QResizeEvent* event) {
  CStatic::resizeEvent(event);
  RecalcLayout();
}

void CQXTokenFieldList::scrollTo(int first) {
  firstVisible_ = std::clamp(first, 0, std::max(0, GetFieldCount() - 1));
  RecalcLayout();
  if (scrollBar_) scrollBar_->setValue(firstVisible_);
}

LRESULT CQXTokenFieldList::OnScroll(WPARAM wParam, LPARAM) {
  const UINT code = LOWORD(wParam);
  const int pos = HIWORD(wParam);
  const int count = GetFieldCount();
  switch (code) {
    case SB_LINEUP:
      if (firstVisible_ == 0) return 0;
      scrollTo(firstVisible_ - 1);
      break;
    case SB_LINEDOWN:
      if (firstVisible_ + 1 >= count) return 0;
      scrollTo(firstVisible_ + 1);
      break;
    case SB_PAGEUP:
      if (firstVisible_ == 0) return 0;
      scrollTo(firstVisible_ - kPageFields);
      break;
    case SB_PAGEDOWN:
      if (firstVisible_ + 1 >= count) return 0;
      scrollTo(std::min(firstVisible_ + kPageFields, count - 1));
      break;
    // The thumb scrolls while it is dragged, and where it is let go.
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      if (pos == firstVisible_) return 0;
      scrollTo(pos);
      break;
    default: break;
  }
  return 0;
}

BOOL CQXTokenFieldList::OnTabKey(const MSG* msg) {
  if (!msg) return FALSE;
  const Qt::KeyboardModifiers modifiers =
      msg->keyEvent ? msg->keyEvent->modifiers() : QApplication::keyboardModifiers();
  const bool backwards = (modifiers & Qt::ShiftModifier) || (msg->keyEvent && msg->keyEvent->key() == Qt::Key_Backtab);
  const int index = GetFocusedFieldIndex();
  if (index < 0 || (modifiers & Qt::ControlModifier)) return FALSE;
  CQXTokenField* field = GetField(index);
  if (field->MoveFocusInside(backwards)) return TRUE;
  // Shift+Tab from the first field and Tab from the last one leave the list.
  if (backwards ? index == 0 : index == GetFieldCount() - 1) return FALSE;
  const int next = backwards ? index - 1 : index + 1;
  if (!fields_[std::size_t(next)]->IsShown()) scrollTo(firstVisible_ + (next < firstVisible_ ? -1 : 1));
  FocusField(next);
  return TRUE;
}

BOOL CQXTokenFieldList::AnyModified() const {
  return std::any_of(fields_.begin(), fields_.end(), [](const auto& field) { return field->IsModified(); });
}

void CQXTokenFieldList::SetAllModified(BOOL modified) {
  for (const auto& field : fields_) field->SetModified(modified);
}

void CQXTokenFieldList::OnDestroy() {
  fields_.clear();
  firstVisible_ = 0;
  CStatic::OnDestroy();
}
