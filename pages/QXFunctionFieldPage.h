// CQXFunctionFieldCtrlDataPage: the base of the pages that show an item as
// a column of labelled one-line token fields (function memories, graph
// functions): the field list over the form's placeholder 1063 with the
// form's scroll bar 1003, the command pane and tool bar of the token page
// below it, the Edit commands on the focused field's editor, the character
// table, the editor font, text-to-command conversion and the insertion of
// the pane's command into the field that had the focus last.
//
// Subclasses build the fields from their item (AddFunctionField, then
// FinishFields) and read them back (GetFieldTokens); field n has the control
// id 200 + 8n (the second field of a parametric pair + 4), its "..." button
// the id + 1, which opens the subclass's field menu (fieldMenuId) below the
// button.
#pragma once

#include "pages/QXTokenWndDataPage.h"
#include "tokens/QXTokenField.h"
#include "tokens/QXTokenFieldList.h"
#include "tokens/QXTokenSelectWnd.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <string>


// The page's field list: it makes plain token fields.
class CQXFunctionFieldList : public CQXTokenFieldList {
  Q_OBJECT

 public:
  using CQXTokenFieldList::CQXTokenFieldList;

 protected:
  CQXTokenField* CreateField() override { return new CQXTokenField; }
};

class CQXFunctionFieldCtrlDataPage : public CQXTokenWndDataPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 632;
  static constexpr int kListPlaceholder = 1063;
  static constexpr int kListScrollBar = 1003;
  static constexpr UINT kCmdFont = 22104;
  static constexpr UINT kCmdCharacterTable = 22106;
  static constexpr UINT kCmdDelete = 22100;
  static constexpr UINT kCmdConvertText = 40093;
  // The sample the label column is as wide as.
  static constexpr const char* kLabelSample = "XX20>=: ";

  explicit CQXFunctionFieldCtrlDataPage(UINT templateId);
  ~CQXFunctionFieldCtrlDataPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  void OnDocNotify(int code, QObject* argument) override;
  // Edit: no "Entrée"; a separator, "Po&lice de caractères..." (22104) and
  // "&Table de caractères..." (22106). Unmerge takes them out again.
  void MergeMenus() override;
  void UnmergeMenus() override;
  int GetPrintKind() const override { return kPrintKindFields; }
  QWidget* GetPrintControl() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnSize(UINT type, int cx, int cy) override;

  CQXTokenFieldList* GetFieldList() const { return fieldList_; }
  const CFont* GetPageFont() const { return pageFont_; }
  CQXTokenSelectWnd* GetTokenSelectWnd() const { return selectWnd_; }
  // The selected entry's private copy (the caller owns it).
  virtual BOOL FetchCurrentItem(std::unique_ptr<CQXDocEntry>* entry) { return GetCurrentItem(entry); }

 protected:
  BOOL OnInitDialog() override;
  void OnDestroy() override;

  // ---- for the subclasses
  // Field i's content as calculator bytes (format 1); FALSE without it.
  BOOL SetFieldTokens(int i, const std::string& bytes);
  BOOL GetFieldTokens(int i, std::string* bytes) const;
  BOOL SetFieldLabel(int i, const std::string& label);
  // Every field's (or field i's) editor gets the page's character
  // conversion and token text map.
  void PrepareFieldEditors();
  void PrepareFieldEditor(int i);
  // Adds a field (empty, its label, the id, the data), or inserts it after
  // the field `afterId` (>= 0); message 61706 and FALSE when it cannot be
  // made.
  BOOL AddFunctionField(const std::string& label, int id, std::uintptr_t data, int afterId = -1);
  // After the fields were built: the page font, the label column, the
  // editors prepared, the pane last in the tab order.
  void FinishFields(BOOL labelColumnFromSample);
  // Field n's control id.
  int FieldId(int n) const { return firstFieldId + fieldIdStep * n; }
  // The field menu at the focused field's button; nothing without one.
  LRESULT OnFieldButton(WPARAM, LPARAM);
  // The field the Edit and menu commands act on: the focused one, or,
  // while the focus is outside the page (a menu just closed), the one whose
  // menu was opened last. -1 for none.
  int CommandField() const;

  BOOL modified = FALSE;
  int firstFieldId = 200;
  int fieldIdStep = 8;
  UINT fieldMenuId = 150;
  // The function pages load the current item when their window is made.
  BOOL loadItemOnInit = FALSE;
  BOOL initialised = FALSE;

 private:
  CQXFieldTokenEditor* focusedEditor() const;
  void applyPageFont();
  void placePaneLast();

  void OnEditUndo();
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnEditCut();
  void OnEditCopy();
  void OnEditDelete();
  void OnUpdateEditSelection(CCmdUI* ui);
  void OnEditPaste();
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnEditSelectAll();
  void OnUpdateEditSelectAll(CCmdUI* ui);
  void OnCharacterTable();
  void OnUpdateCharacterTable(CCmdUI* ui);
  void OnFont();
  void OnUpdateFont(CCmdUI* ui);
  void OnInsertCommand();
  void OnUpdateInsertCommand(CCmdUI* ui);
  void OnConvertText();
  void OnUpdateConvertText(CCmdUI* ui);
  LRESULT OnInsertNotifiedCommand(WPARAM, LPARAM value);

  QPointer<CQXFunctionFieldList> fieldList_;
  CFont font_;
  const CFont* pageFont_ = nullptr;
  BYTE lastCharacter_ = 32;
  CQXCharConvertTable charConvert_;
  QPointer<CQXTokenSelectWnd> selectWnd_;
  // The editor that asked the popup last.
  QPointer<CQXTokenEditor> askingEditor_;
  QRect listRect_;
  int menuFieldId_ = -1;
};
