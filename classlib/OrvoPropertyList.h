// The property list: a two-column list window of named values. Each row has
// a label on the left and a value on the right; the current row's value is
// edited in place with the edit field or drop-down list the row owns.
//
// - Rows scroll whole; the vertical bar is always there (disabled when
//   nothing scrolls) with the style WS_VSCROLL or 0x2000, else it shows
//   only while there is something to scroll.
// - Keys: Tab and Shift+Tab (also from the editors, before the dialog sees
//   them), Up, Down, Page Up, Page Down, Home, End move the current row
//   while the focus is in the list (those an editor uses stay its own); a
//   left click selects the row under it.
// - Editing ends when the row changes, when the focus leaves the list and
//   its editors, and when the current row's editor loses the focus (not to
//   the drop-down's own popup): the row's value becomes the editor's.
// - Changes are reported only through the modified flag, which only the
//   user's typing or choice sets (never SetItemValue or SetChoiceIndex).
// - The print view prints the list as a two-column table of boxed cells.
#pragma once

#include "platform/DC.h"
#include "platform/PrintInfo.h"
#include "platform/ScrollWnd.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <vector>

class COrvoPropertyListCtrl;

// One row. The caller fills one for AddItem; the list keeps its own copy.
struct COrvoPropertyItem {
  static constexpr int EditField = 2;
  static constexpr int DropDownList = 3;

  int kind = 0;  // EditField, DropDownList, anything else: text only
  DWORD style = 0;  // the editor's window styles (WS_VISIBLE is ignored); ES_NUMBER: digits only
  DWORD data = 0;   // item data; a drop-down row's selected entry's after GetItem
  QString label;
  QString value;
  UINT textLimit = 0;          // the caller's: the limit of typing into the edit field, 0 for none
  QWidget* editor = nullptr;   // the stored copy's: its editor
};

// The edit field of an edit row; a child of its list.
class COrvoPropertyEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit COrvoPropertyEdit(COrvoPropertyListCtrl* list);
  ~COrvoPropertyEdit() override;
  COrvoPropertyListCtrl* list;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

// The drop-down list of a drop-down row; a child of its list. While it has
// the focus it swallows the wheel; without the focus the wheel is the
// list's.
class COrvoPropertyComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit COrvoPropertyComboBox(COrvoPropertyListCtrl* list);
  ~COrvoPropertyComboBox() override;
  COrvoPropertyListCtrl* list;

  void showPopup() override;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

class COrvoPropertyListCtrl : public CScrollWnd<CWnd> {
  Q_OBJECT

 public:
  // The message an editor sends the list when it loses the focus (wParam:
  // the editor).
  static constexpr UINT WM_EDITOR_KILLFOCUS = 0x510;

  COrvoPropertyListCtrl();
  ~COrvoPropertyListCtrl() override;

  // A child of `parent` on `rect`; WS_VISIBLE shows it.
  BOOL Create(DWORD style, const QRect& rect, QWidget* parent, UINT id);

  int GetItemCount() const { return int(items.size()); }
  // The new row's index (0 also when the copy could not be made).
  int AddItem(const COrvoPropertyItem& item);
  BOOL RemoveAll();
  // Kind, style, data, label and the value as the editor holds it now.
  BOOL GetItem(int row, COrvoPropertyItem* out) const;
  // Leaves the modified flag as it is. A text beyond the row's limit shows
  // whole; the user can shorten it, not lengthen it.
  BOOL SetItemValue(int row, const QString& text);

  // Drop-down rows; FALSE or -1 for any other row.
  int InsertChoice(int row, const QString& text, int position, DWORD itemData);
  BOOL SetChoiceIndex(int row, int position);
  BOOL SetChoiceByData(int row, DWORD itemData);
  int GetChoiceIndex(int row) const;
  BOOL DeleteChoice(int row, int position);
  // The first entry with that data; when it was selected, entry 0 is.
  BOOL DeleteChoiceByData(int row, DWORD itemData);
  BOOL ResetChoices(int row);

  BOOL SelectItem(int row);
  int GetCurrentRow() const { return currentRow; }
  int GetFirstVisibleRow() const { return firstVisibleRow; }
  BOOL IsModified() const { return modified; }
  void SetModified(BOOL value) { modified = value; }

  // `fitLabels` is not used: the label column is fitted again when it has a
  // width of its own.
  BOOL SetListFont(int pointSizeTenths, const QString& face, BOOL fitLabels);
  void FitLabelColumn();

  // The Edit commands, on the current edit row's field while it has the
  // focus.
  void Undo();
  void Cut();
  void Clear();
  void Copy();
  void Paste();
  void SelectAll();
  BOOL CanUndo() const;
  BOOL CanCopy() const;
  BOOL CanPaste() const;
  BOOL CanSelectAll() const;

  void BeginPrinting(CDC* dc, CPrintInfo* info);
  void PrintPage(CDC* dc, CPrintInfo* info);
  void EndPrinting();

  // Rows that fit in the window, at least 1.
  int RowsPerPage() const;
  // Row `row`'s rectangle at visible index `visibleIndex`, and its parts.
  QRect RowRect(int visibleIndex) const;
  QRect LabelRect(int visibleIndex) const;
  QRect ValueRect(int visibleIndex) const;
  int LabelColumnWidth() const;

  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;

  // The "OrvoPropertyList" widget class of dialog forms; done once.
  static void RegisterWindowClass();

 protected:
  virtual void OnSelChange();
  virtual void DrawRow(CDC* dc, int row, int visibleIndex);
  virtual void DrawGridLines(CDC* dc, int row, int visibleIndex);
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;

  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

  std::vector<COrvoPropertyItem*> items;
  int currentRow = 0;
  int firstVisibleRow = 0;
  int focusGuard = 0;
  int rowHeight = 18;
  int labelWidth = 0;  // 0: a third of the width
  BOOL modified = FALSE;
  CFont listFont;
  CBrush windowBrush, highlightBrush, faceBrush;
  CPen linePen{PS_SOLID, 1, RGB(128, 128, 128)};
  // Print state.
  CFont printFont;
  CPen printHorzPen, printVertPen;
  int printHorzWidth = 1, printVertWidth = 1;
  int printLabelWidth = 0, printValueWidth = 0;
  int printRowHeight = 0;
  int printRowsPerPage = 1;
  int printFirstRow = 0;

 private:
  friend class COrvoPropertyEdit;
  friend class COrvoPropertyComboBox;

  COrvoPropertyItem* itemAt(int row) const;
  COrvoPropertyComboBox* comboAt(int row) const;
  COrvoPropertyEdit* focusedEdit() const;
  // The live value of a row's editor.
  QString editorValue(const COrvoPropertyItem* item, DWORD* data) const;
  bool hasFocusInside() const;
  bool isInside(const QWidget* widget) const;
  bool rowVisible(int row) const;
  int lastFirstRow() const;
  void recreateColors();
  void updateScrolling();
  void setFirstVisibleRow(int row);
  void scrollIntoView(int row);
  // The rows a line or page step (SB_ code) moves, negative upwards.
  int stepRows(UINT code) const;
  // A line or page step of the keys, which move the current row with it.
  void scrollStep(UINT code);
  // Places the row's editor over its value (a hidden one takes the row's
  // value first when it is to show); `show` enables and shows it, `focus`
  // gives it the focus.
  void showEditor(int row, bool show, bool focus);
  void endEditing(int row);
  void redrawRow(int row);
  void onFocusChanged(QWidget* old, QWidget* now);
};
