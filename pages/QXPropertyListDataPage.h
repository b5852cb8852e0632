// CQXPropertyListDataPage: a data page that edits a two-column list of
// named values (the property list, id 50, in a sunken frame over the
// placeholder 1063 down to the page's bottom). The Edit commands go to the
// current row's editor; the print view prints the list (print kind 6).
//
// The checks its subclasses validate with: a failed check brings the page
// to the front, selects the row, keeps the content pane, shows why and
// leaves the focus in the list. The number conversions take the newer
// generation's 9-byte calculator numbers.
//
// While the page is active the Edit menu has no "Entrée".
#pragma once

#include "classlib/OrvoPropertyList.h"
#include "pages/QXDataPage.h"

#include <QPointer>
#include <QRect>

#include <string>
#include <vector>

class CCmdUI;
class QFrame;

class CQXPropertyListDataPage : public CQXDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXPropertyListDataPage();
  explicit CQXPropertyListDataPage(UINT templateId);
  ~CQXPropertyListDataPage() override;
  DECLARE_MESSAGE_MAP()

  enum : UINT { kPlaceholderId = 1063, kListId = 50 };

  // The page's flag or the list's.
  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  void MergeMenus() override;
  void UnmergeMenus() override;
  int GetPrintKind() const override { return kPrintKindPropertyList; }
  QWidget* GetPrintControl() override { return &m_list; }

  COrvoPropertyListCtrl& GetList() { return m_list; }
  // The row's value as calculator codes: the row shows the codes SetRowText
  // gave it as the calculator shows them (CalcPlainText), and while it
  // shows them they are its codes; an edit of the row changes only the
  // codes the user changed (CalcEditedCodes).
  std::string GetRowText(int row) const;
  void SetRowText(int row, const std::string& text);
  // The item data of the row's chosen entry; FALSE when none is chosen.
  BOOL GetRowChoice(int row, DWORD* data) const;

  // The row's value, read as a decimal integer (blanks, a sign, digits up
  // to the first other character; none gives 0), lies within the bounds.
  BOOL CheckIntRange(int row, int minimum, int maximum);
  BOOL CheckNotEmpty(int row);
  // A non-empty value that converts into a calculator number.
  BOOL CheckNumber(int row);
  // The row's value read as CheckIntRange reads it; a value beyond the int
  // range reads as the nearest end of that range.
  int GetRowInt(int row) const;

  // The text of a `length`-byte number ("0" when it does not convert); 1.
  BOOL NumberToText(const BYTE* number, UINT length, BOOL complex, std::string* text) const;
  // The first `length` bytes of the number `text` converts into; zeros and
  // FALSE when it does not convert.
  BOOL TextToNumber(BYTE* number, UINT length, BOOL complex, const std::string& text) const;

  void OnEditUndo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateEditSelectAll(CCmdUI* ui);

 protected:
  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnDestroy() override;
  void focusInEvent(QFocusEvent* event) override;
  // Brings the page to the front, selects `row`, keeps the content pane,
  // shows `text` and focuses the list; FALSE.
  BOOL RefuseRow(int row, const QString& text);

  QRect m_listRect;
  BOOL m_modified = FALSE;
  COrvoPropertyListCtrl m_list;
  BOOL m_roundTo10Digits;

 private:
  QPointer<QFrame> m_frame;
  std::vector<std::string> m_rowCodes;  // the codes SetRowText gave each row
};

// atoi on a text: leading blanks, a sign, digits to the first other
// character; saturated at the ends of the int range instead of wrapping.
int ParseIntLikeAtoi(const std::string& text);
