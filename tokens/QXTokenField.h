// A labelled one-line token field, as the function and recursion pages show
// many of them in a CQXTokenFieldList: a label (the function's name) on the
// left, a single-line token editor in the middle and a small "..." button on
// the right that opens the field's command menu.
//
// The three windows are children of the page (siblings of the list), so
// that the editor's commands and the button's message reach the page. The
// editor has the field's control id, the button id + 1.
//
// Labels and texts are calculator bytes (Windows-1252 for display); the
// field's text is its editor's content as token texts (format 4).
#pragma once

#include "platform/DC.h"
#include "platform/Wnd.h"
#include "tokens/QXTokenEditorVariants.h"

#include <QLabel>
#include <QPointer>
#include <QToolButton>

#include <cstdint>

#include <string>

class CQXTokenFieldList;

// The id of the registered message "MSG_QX_CMDBTN_CLICKED" that a field's
// "..." button posts to its parent (wParam its control id, lParam 0).
extern UINT g_nCmdButtonClickedMessage;
// Registers it once per run; its id.
UINT RegisterCmdButtonMessage();

// The "..." button of a field (icon 7372). A click posts
// "MSG_QX_CMDBTN_CLICKED"; it hides itself when the focus leaves it for
// anything but its own editor (control id - 1).
class CQXCmdButton : public QToolButton {
  Q_OBJECT

 public:
  static constexpr UINT kIconId = 7372;
  explicit CQXCmdButton(QWidget* parent = nullptr);

  int GetDlgCtrlID() const;

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void clicked();
};

// What the field list asks of a field. Every operation of the base does
// nothing and answers 0.
class CQXFieldBase {
 public:
  virtual ~CQXFieldBase() = default;
  // Makes the field's windows as children of `parent` with the window
  // styles `style` (WS_VISIBLE shows label and editor); FALSE on failure.
  virtual BOOL Create(DWORD style, UINT id, CWnd* parent, std::uintptr_t userData) = 0;
  virtual BOOL SetFocus() { return FALSE; }
  virtual BOOL HasFocus() const { return FALSE; }
  // SW_ command for label and editor; the button keeps its own visibility.
  virtual BOOL Show(int showCommand) { return (void)showCommand, FALSE; }
  // Places the field in `rect` (parent coordinates) with a label column
  // `labelWidth` wide.
  virtual BOOL Move(const QRect& rect, int labelWidth) { return (void)rect, (void)labelWidth, FALSE; }
  virtual BOOL SetText(const char* text) { return (void)text, FALSE; }
  virtual BOOL SetLabel(const char* label) { return (void)label, FALSE; }
  virtual BOOL SetFont(const CFont* font) { return (void)font, FALSE; }
  // The text into `buffer` (`size` bytes with a terminating 0); its length.
  virtual int GetText(char* buffer, int size) const { return (void)buffer, (void)size, 0; }
  virtual BOOL GetText(std::string* text) const { return (void)text, FALSE; }
  virtual BOOL IsModified() const { return FALSE; }
  virtual BOOL SetModified(BOOL modified) { return (void)modified, FALSE; }
  virtual CQXFieldTokenEditor* GetEditor() const { return nullptr; }
  virtual int GetTextHeight() const { return 0; }
  virtual int GetLabelWidth() const { return 0; }
  // Puts the field after `previous` in the tab and stacking order; the
  // window the next field goes after.
  virtual QWidget* ChainZOrder(QWidget* previous) { return (void)previous, nullptr; }
  // Tab from the editor to the button (or, backwards, from the button to
  // the editor); TRUE when the focus moved.
  virtual BOOL MoveFocusInside(BOOL backwards) { return (void)backwards, FALSE; }
};

class CQXTokenField : public CQXFieldBase {
 public:
  CQXTokenField();
  ~CQXTokenField() override;
  CQXTokenField(const CQXTokenField&) = delete;
  CQXTokenField& operator=(const CQXTokenField&) = delete;

  BOOL Create(DWORD style, UINT id, CWnd* parent, std::uintptr_t userData) override;
  BOOL SetFocus() override;
  BOOL HasFocus() const override;
  BOOL Show(int showCommand) override;
  BOOL Move(const QRect& rect, int labelWidth) override;
  BOOL SetText(const char* text) override;
  BOOL SetLabel(const char* label) override;
  BOOL SetFont(const CFont* font) override;
  int GetText(char* buffer, int size) const override;
  BOOL GetText(std::string* text) const override;
  BOOL IsModified() const override;
  BOOL SetModified(BOOL modified) override;
  CQXFieldTokenEditor* GetEditor() const override { return editor_; }
  int GetTextHeight() const override;
  int GetLabelWidth() const override;
  QWidget* ChainZOrder(QWidget* previous) override;
  BOOL MoveFocusInside(BOOL backwards) override;
  virtual std::string GetLabel() const;

  std::uintptr_t GetUserData() const { return userData_; }
  void SetUserData(std::uintptr_t data) { userData_ = data; }
  CQXTokenFieldList* GetFieldList() const { return list_; }
  void SetFieldList(CQXTokenFieldList* list) { list_ = list; }
  CQXCmdButton* GetButton() const { return button_; }
  QLabel* GetLabelWindow() const { return label_; }
  // Label and editor are shown (the button shows with the focus).
  bool IsShown() const;

 private:
  std::uintptr_t userData_ = 0;
  CQXTokenFieldList* list_ = nullptr;
  // Children of the page: the page deletes them when it goes first.
  QPointer<QLabel> label_;
  std::string labelBytes_;  // calculator codes, drawn in the label font
  QPointer<CQXFieldTokenEditor> editor_;
  QPointer<CQXCmdButton> button_;
};
