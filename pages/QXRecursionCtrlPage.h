// CQXRecursionCtrlDataPage: the page base of both recursion pages (dialog
// 630): the recursion type (combo 1066), the formulas of the sequences a, b
// and c as labelled token fields, the start index of the initial terms
// (1068 "a0", 1069 "a1") and a grid of the table range (n's start and end,
// the initial terms) by type.
//
// The fourteen range values live in the page's range table by name; the
// grid shows those of the type. A value keeps the bytes it was loaded from
// while its text stays unchanged, so that showing it rounded to ten digits
// never rounds what is stored. A type or start change takes the grid over
// first; when a cell does not convert, the change is undone.
//
// Each formula editor types through this page's character map (the model's
// conversion table) and shows the document's command texts.
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXFunctionFieldPage.h"
#include "pages/QXGridCtrl.h"
#include "platform/DC.h"
#include "tokens/QXTokenFieldList.h"
#include "tokens/QXTokenTextMap.h"

#include <QComboBox>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CCmdUI;
class CMenu;
class CQXFieldTokenEditor;
class QRadioButton;

class CQXRecursionCtrlDataPage : public CQXDataPage {
  Q_OBJECT

 public:
  enum : UINT {
    kTypeCombo = 1066,
    kTableLabel = 1067,
    kStartA0 = 1068,
    kStartA1 = 1069,
    kListPlaceholder = 1063,
    kGridId = 50,
  };
  enum : UINT { kCmdFont = 22104, kCmdCharTable = 22106, kCmdPasteCommand = 20056, kCmdFirstVariable = 21500 };
  enum : UINT { kCmdDraw = 20057, kCmdBlue = 20058, kCmdOrange = 20059, kCmdGreen = 20060 };
  static constexpr int kRangeValues = 14;
  static constexpr int kFirstFieldId = 200, kFieldIdStep = 8;

  CQXRecursionCtrlDataPage(UINT templateId, int sequenceCount);
  ~CQXRecursionCtrlDataPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  // Code 2: the page loads the selected item again.
  void OnDocNotify(int code, QObject* argument) override;
  void MergeMenus() override;
  void UnmergeMenus() override;
  // Takes the grid's values over into the range table; FALSE (nothing taken
  // over, the cell focused, 10505 shown) when one does not convert.
  virtual BOOL ApplyRangeTable() { return FALSE; }
  // Where the page takes the entry it loads from: the selection's.
  virtual BOOL FetchCurrentItem(std::unique_ptr<CQXDocEntry>* entry) { return GetCurrentItem(entry); }

  // ---- the range table
  BOOL SetRangeValueByLabel(const char* label, const std::string& text);
  BOOL GetRangeValueByLabel(const char* label, std::string* text) const;
  BOOL SetRangeValueByName(const char* name, const std::string& text);
  BOOL GetRangeValueByName(const char* name, std::string* text) const;
  // The newer item's order of the fourteen values (0-13); null outside.
  static const char* GetRangeItemName(int index);

  // Field `field` takes the calculator bytes (none or length 0: empty).
  BOOL SetFieldTokens(int field, const BYTE* bytes, int length);
  // The calculator bytes of field `field`.
  std::vector<BYTE> GetFieldTokens(int field) const;
  void SetRecursionTypeIndex(int index);
  BOOL RebuildRangeGrid(BOOL storeFirst);
  // The "..." menu of the fields: the first popup of menu 314 with the
  // variables of the type and sequence count on top, into `menu`; the popup,
  // or null when the menu is missing.
  CMenu* LoadVariableMenu(CMenu* menu);
  // The record the page gave the focused formula field, or null.
  void* GetFocusedFieldInfo() const;

  int GetTypeIndex() const { return m_typeIndex; }
  int GetStartIndex() const { return m_startIndex; }
  int GetSequenceCount() const { return m_sequenceCount; }
  CQXGridCtrl& GetGrid() { return m_grid; }
  CQXTokenFieldList& GetFieldList() { return m_formulaList; }
  QComboBox* GetTypeCombo() const { return m_typeCombo; }
  const CFont* GetPageFont() const { return m_pageFontMade ? &m_pageFont : nullptr; }

  // Commands and their update handlers.
  void OnEditUndo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnEditCell();
  void OnCharTable();
  void OnFont();
  void OnPasteCommand();
  void OnVariable(UINT command);
  void OnStartA0() { ChangeStartIndex(0); }
  void OnStartA1() { ChangeStartIndex(1); }
  // 20058-20060 (blue, orange, green) and 20057 (drawn or not) on the
  // focused field; without one they do nothing and show no mark.
  void OnColour(UINT command);
  void OnDraw();
  void OnUpdateColour(CCmdUI* ui);
  void OnUpdateDraw(CCmdUI* ui);
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnUpdateEditCut(CCmdUI* ui);
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateEditClear(CCmdUI* ui);
  void OnUpdateEditSelectAll(CCmdUI* ui);
  void OnUpdateEditCell(CCmdUI* ui);
  void OnUpdateCharTable(CCmdUI* ui);
  void OnUpdateFont(CCmdUI* ui);
  void OnUpdatePasteCommand(CCmdUI* ui);

 protected:
  // The base part, then the selected item loaded.
  BOOL OnInitDialog() override;
  // The fields give their records back.
  void OnDestroy() override;
  void OnSize(UINT type, int cx, int cy) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT OnCmdButtonClicked(WPARAM wParam, LPARAM lParam);

  // The body of ApplyRangeTable in number form `generation` (1 older, 2
  // newer).
  BOOL ApplyRangeTableAs(int generation);
  // A loaded value: its text (rounded as set) into the table, its bytes kept
  // for an unchanged text; "0" when the bytes do not convert.
  void LoadRangeValue(const char* name, int generation, const BYTE* bytes, bool complex);
  // The bytes to store for value `name`: the kept ones while its text is
  // unchanged, else the conversion of the text. FALSE when it does not
  // convert.
  bool RangeValueBytes(const char* name, int generation, std::vector<BYTE>* bytes, bool* complex) const;
  // Every range value back to its first text, no bytes kept.
  void ResetRangeTable();
  // The page in front, 10505, the grid focused, the content pane active.
  void ShowInvalidNumber();
  // The paste-command dialog (524) over this page in the page font; TRUE
  // with the chosen command's calculator bytes.
  BOOL ChoosePasteCommand(std::vector<BYTE>* bytes);
  // Replaces the last focused field's selection by `bytes` and focuses it.
  void InsertIntoLastField(const BYTE* bytes, int length);
  // A start button changed the start index; FALSE when the grid refused.
  BOOL ChangeStartIndex(int index);
  // The radio buttons show the start index.
  void ShowStartIndex();
  // Called after a start-index change the grid took over.
  virtual void OnStartIndexChanged() {}
  // The colour and drawing of a field's record, in the subclass's form.
  virtual void SetRecordColour(void*, UINT) {}
  virtual BOOL IsRecordColour(const void*, UINT) const { return FALSE; }
  virtual void ToggleRecordDrawn(void*) {}
  virtual BOOL IsRecordDrawn(const void*) const { return FALSE; }
  // The editor of formula field `field`, or null.
  CQXFieldTokenEditor* FieldEditor(int field) const;
  // The grid or its open cell edit has the focus.
  BOOL GridHasFocus() const;

  BOOL m_modified = FALSE;
  int m_sequenceCount;
  int m_typeIndex = 0;
  int m_startIndex = 0;
  BOOL m_roundTo10Digits;

 private:
  struct RangeRow {
    const char* label;
    const char* name;
    std::string text;
    // The text shown at the load and the bytes behind it.
    std::string loadedText;
    int loadedGeneration = 0;
    bool loadedComplex = false;
    std::vector<BYTE> loadedBytes;
  };
  RangeRow* rowByLabel(const char* label);
  RangeRow* rowByName(const char* name);
  const RangeRow* rowByName(const char* name) const;
  void createPageFont();
  void addFormulaFields();
  void relabelFields();
  std::string fieldLabel(int field) const;
  void onTypeSelected(int index);

  CQXFunctionFieldList m_formulaList;
  CQXGridCtrl m_grid;
  CFont m_pageFont;
  BOOL m_pageFontMade = FALSE;
  int m_lastCharacter = 32;
  CQXCharConvertTable m_charConvert;
  CQXTokenTextMap m_textMap;
  QPointer<QComboBox> m_typeCombo;
  QPointer<QRadioButton> m_startButtons[2];
  QPointer<QWidget> m_tableLabel;
  std::vector<RangeRow> m_range;
  BOOL m_initialised = FALSE;
};
