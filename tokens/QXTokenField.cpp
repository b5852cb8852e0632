#include "tokens/QXTokenField.h"

#include "platform/CalcShownText.h"
#include "platform/LanguageLibrary.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenFieldList.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <cstring>

UINT g_nCmdButtonClickedMessage = 0;

UINT RegisterCmdButtonMessage() {
  if (g_nCmdButtonClickedMessage == 0) g_nCmdButtonClickedMessage = RegisterWindowMessage("MSG_QX_CMDBTN_CLICKED");
  return g_nCmdButtonClickedMessage;
}

// ---- the "..." button ----

CQXCmdButton::CQXCmdButton(QWidget* parent) : QToolButton(parent) {
  RegisterCmdButtonMessage();
  setFocusPolicy(Qt::StrongFocus);
  setIcon(CLanguageLibrary::LoadIcon(kIconId));
  connect(this, &QToolButton::clicked, this, &CQXCmdButton::clicked);
}

int CQXCmdButton::GetDlgCtrlID() const { return property("ctrlId").toInt(); }

void CQXCmdButton::clicked() {
  if (CWnd* parent = CWnd::FromHandle(parentWidget()))
    parent->PostMessage(g_nCmdButtonClickedMessage, WPARAM(GetDlgCtrlID()), 0);
}

void CQXCmdButton::focusOutEvent(QFocusEvent* event) {
  QToolButton::focusOutEvent(event);
  // The button stays while its menu is open and when the focus goes back
  // to its editor.
  QWidget* now = QApplication::focusWidget();
  if (event->reason() == Qt::PopupFocusReason || now == this) return;
  const CWnd* editor = CWnd::FromHandle(now);
  if (!editor || editor->GetDlgCtrlID() != GetDlgCtrlID() - 1) hide();
}

// ---- the field ----

CQXTokenField::CQXTokenField() = default;

CQXTokenField::~CQXTokenField() {
  delete label_.data();
  if (editor_) {
    editor_->DestroyWindow();
    delete editor_.data();
  }
  delete button_.data();
}

BOOL CQXTokenField::Create(DWORD style, UINT id, CWnd* parent, std::uintptr_t userData) {
  if (!parent || editor_) return FALSE;
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(false);
  label->setVisible(style & WS_VISIBLE);
  label_ = label;

  auto* editor = new CQXFieldTokenEditor;
  editor_ = editor;
  if (!editor->Create(style & ~WS_BORDER, QRect(), parent, id)) {
    delete editor;
    return FALSE;
  }
  editor->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  editor->SetFieldList(list_);

  auto* button = new CQXCmdButton(parent);
  button->setProperty("ctrlId", int(id) + 1);
  button->hide();
  button_ = button;
  userData_ = userData;
  return TRUE;
}

BOOL CQXTokenField::SetFocus() {
  if (!editor_) return FALSE;
  editor_->SetFocus();
  return TRUE;
}

BOOL CQXTokenField::HasFocus() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == editor_.data() || focus == button_.data() || (editor_ && editor_->isAncestorOf(focus)));
}

BOOL CQXTokenField::Show(int showCommand) {
  if (!editor_) return FALSE;
  const bool show = showCommand != SW_HIDE;
  label_->setVisible(show);
  editor_->setVisible(show);
  return TRUE;
}

bool CQXTokenField::IsShown() const { return editor_ && !editor_->isHidden(); }

BOOL CQXTokenField::Move(const QRect& rect, int labelWidth) {
  if (!editor_) return FALSE;
  const int height = rect.height();
  const int right = rect.left() + rect.width();
  label_->setGeometry(rect.left(), rect.top() + 5, labelWidth, height);
  editor_->setGeometry(rect.left() + labelWidth, rect.top(), std::max(0, right - height - rect.left() - labelWidth),
                       height);
  button_->setGeometry(right - height, rect.top() + 3, std::max(0, height - 4), std::max(0, height - 6));
  return TRUE;
}

BOOL CQXTokenField::SetText(const char* text) {
  if (!editor_) return FALSE;
  const int length = text ? int(std::strlen(text)) : 0;
  if (length == 0)
    editor_->ClearTokens();
  else
    editor_->SetTokens(reinterpret_cast<const BYTE*>(text), length, kTokenFormatText);
  editor_->update();
  return TRUE;
}

BOOL CQXTokenField::GetText(std::string* text) const {
  if (!editor_ || !text) return FALSE;
  text->assign(std::size_t(editor_->GetTokensLength(kTokenFormatText)), '\0');
  int length = 0;
  editor_->GetTokens(reinterpret_cast<BYTE*>(text->data()), int(text->size()), &length, kTokenFormatText);
  text->resize(std::size_t(length));
  return TRUE;
}

int CQXTokenField::GetText(char* buffer, int size) const {
  std::string text;
  if (!buffer || size <= 0 || !GetText(&text)) return 0;
  const int length = std::min(int(text.size()), size - 1);
  std::memcpy(buffer, text.data(), std::size_t(length));
  buffer[length] = 0;
  return length;
}

BOOL CQXTokenField::SetLabel(const char* label) {
  if (!label_) return FALSE;
  labelBytes_ = label ? label : "";
  label_->setText(CalcDisplayText(labelBytes_, label_->font()));
  return TRUE;
}

std::string CQXTokenField::GetLabel() const { return label_ ? labelBytes_ : std::string(); }

BOOL CQXTokenField::SetFont(const CFont* font) {
  if (!editor_ || !font) return FALSE;
  label_->setFont(font->font());
  label_->setText(CalcDisplayText(labelBytes_, label_->font()));
  button_->setFont(font->font());
  editor_->SetFont(font);
  return TRUE;
}

BOOL CQXTokenField::IsModified() const { return editor_ && editor_->IsModified(); }

BOOL CQXTokenField::SetModified(BOOL modified) {
  if (!editor_) return FALSE;
  editor_->SetModified(modified);
  return TRUE;
}

int CQXTokenField::GetTextHeight() const {
  return label_ ? QFontMetrics(label_->font()).size(Qt::TextSingleLine, QStringLiteral("j0")).height() : 0;
}

int CQXTokenField::GetLabelWidth() const {
  if (!label_) return 0;
  return QFontMetrics(label_->font()).horizontalAdvance(label_->text().left(256));
}

QWidget* CQXTokenField::ChainZOrder(QWidget* previous) {
  if (!editor_) return previous;
  if (previous) {
    QWidget::setTabOrder(previous, editor_);
    editor_->stackUnder(previous);
  }
  QWidget::setTabOrder(editor_, button_);
  button_->stackUnder(editor_);
  return button_;
}

BOOL CQXTokenField::MoveFocusInside(BOOL backwards) {
  if (!editor_) return FALSE;
  const QWidget* focus = QApplication::focusWidget();
  if (!backwards && focus == editor_.data()) {
    button_->show();
    button_->setFocus(Qt::TabFocusReason);
    return TRUE;
  }
  if (backwards && focus == button_.data()) {
    editor_->setFocus(Qt::BacktabFocusReason);
    return TRUE;
  }
  return FALSE;
}
