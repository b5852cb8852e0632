// CQXTokenFieldList: the column of labelled one-line token fields of a page
// (function memories, graph functions, recursion formulas). The list is a
// static of the page's form; its fields' windows are the page's children
// laid over the list's area, one row each, with a vertical scroll bar of the
// form at the list's right edge. A row that does not fit whole is hidden,
// never clipped. Tab from the page's pre-translation (OnTabKey) moves
// between a field's editor and its "..." button and on to the next field,
// scrolling the list as it goes.
//
// The list owns its fields. The page's own list class makes them
// (CreateField); the base makes none, so its AddField answers 0. The list
// also remembers the control id of the field editor that last took the
// focus, which is where commands chosen in the page's command pane go.
#pragma once

#include "platform/DC.h"
#include "platform/ScrollWnd.h"
#include "platform/Static.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <vector>

class CQXFieldTokenEditor;
class CQXTokenField;

class CQXTokenFieldList : public CStatic {
  Q_OBJECT

 public:
  // The scroll bar's notices: wParam the SB_ code in the low word and the
  // thumb position in the high word.
  static constexpr UINT kMsgScroll = WM_USER + 1;
  // What the list answers the dialog's question which keys it wants.
  static constexpr UINT kDlgCodeWantTab = 0x0002;
  static constexpr int kFieldGap = 4;
  static constexpr int kPageFields = 5;

  explicit CQXTokenFieldList(QWidget* parent = nullptr);
  ~CQXTokenFieldList() override;
  DECLARE_MESSAGE_MAP()

  // The form's scroll bar `id` of `parent` becomes the list's: the list
  // places it and hears its actions.
  BOOL AttachScrollBar(UINT id, CWnd* parent);
  CScrollBar* GetScrollBar() const { return scrollBar_; }

  // Appends a field; 0 when no field could be made.
  BOOL AddField(const char* label, const char* text, UINT id, CWnd* parent, std::uintptr_t data);
  // Puts a field right after the field `afterId` (as AddField when the list
  // is empty) and lays the list out; 0 when there is no such field.
  BOOL InsertField(UINT afterId, const char* label, const char* text, UINT id, CWnd* parent, std::uintptr_t data);
  // Deletes field `index`; the focus it had goes to the previous field (the
  // next one for the first).
  BOOL RemoveField(int index);
  void RemoveAllFields();

  int GetFieldCount() const { return int(fields_.size()); }
  CQXTokenField* GetField(int index) const;
  CQXFieldTokenEditor* GetFieldEditor(int index) const;
  CQXFieldTokenEditor* GetFocusedFieldEditor() const;
  QWidget* GetFocusedFieldButton() const;
  // The editor that took the focus last (none when no field has its id).
  CQXFieldTokenEditor* GetLastFocusedFieldEditor() const;
  int GetFocusedFieldIndex() const;
  int GetFocusedFieldId() const;
  BOOL HasFocusedField() const { return GetFocusedFieldIndex() >= 0; }
  int FindFieldById(int id) const;
  std::uintptr_t GetFieldData(int index) const;
  BOOL SetFieldData(int index, std::uintptr_t data);

  BOOL ShowField(int index, int showCommand);
  BOOL MoveField(int index, const QRect& rect);
  BOOL SetFieldText(int index, const char* label, const char* text);
  BOOL SetFieldFont(int index, const CFont* font);
  void SetFieldsFont(const CFont* font);
  BOOL FocusField(int index);
  BOOL FocusNextField();
  BOOL FocusPreviousField();

  // The label column as wide as `text` in `font`.
  void SetLabelWidthFromText(const char* text, const CFont* font);
  int GetLabelColumnWidth() const { return labelWidth_; }
  int GetFieldHeight() const { return fieldHeight_; }
  int GetFirstVisibleField() const { return firstVisible_; }
  int GetContentHeight() const;

  void RecalcLayout();
  // Tab and Shift+Tab from the page's pre-translation; TRUE when the list
  // moved the focus.
  BOOL OnTabKey(const MSG* msg);
  UINT GetDlgCode() const { return kDlgCodeWantTab; }

  virtual BOOL AnyModified() const;
  virtual void SetAllModified(BOOL modified);

  // The control id of the field editor that last had the focus; -1 none.
  void RememberFocusedField(int id) { lastFocusedId_ = id; }
  int GetRememberedFieldId() const { return lastFocusedId_; }

 protected:
  // A new field for AddField; the base makes none.
  virtual CQXTokenField* CreateField();

  void OnDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  LRESULT OnScroll(WPARAM wParam, LPARAM lParam);

 private:
  BOOL prepare(CWnd* parent);
  // A made, created field with its label, text and font; null on failure.
  std::unique_ptr<CQXTokenField> makeField(const char* label, const char* text, UINT id, CWnd* parent,
                                           std::uintptr_t data);
  void chainFields();
  void updateScrollRange();
  // The first visible field becomes `first` (within the list), laid out.
  void scrollTo(int first);
  void takeFieldHeight(const CQXTokenField& field);

  QPointer<CScrollBar> scrollBar_;
  bool initialised_ = false;
  CFont font_;
  std::vector<std::unique_ptr<CQXTokenField>> fields_;
  int firstVisible_ = 0;
  int fieldHeight_ = 0;
  int labelWidth_ = 0;
  int lastFocusedId_ = -1;
};
