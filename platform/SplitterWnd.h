// CSplitterWnd: a static splitter of rows x columns panes over QSplitters
// (one vertical splitter of rows, each a horizontal splitter of columns).
//
// - Panes are views created by run-time class (CreateView) with the control
//   ids IdFromRowCol; their GetParent is the splitter.
// - Column widths and row heights: the ideal size (SetColumnInfo,
//   SetRowInfo, or the size a view was created with) applies at
//   RecalcLayout; every column but the last keeps its width when the
//   splitter changes size, the last takes the rest. The user moves the bars
//   with the mouse, or with the keyboard after DoKeyboardSplit: the arrow
//   keys move the bar, Enter keeps the new place, Escape restores the old.
// - The active pane is the frame's active view when it is one of the panes.
// - The wheel: OnMouseWheel passes it to the CScrollView pane under the
//   cursor (its own bars; panes share none here).
#pragma once

#include <QList>
#include <QPointer>
#include <QSize>
#include <vector>

#include "platform/RuntimeClass.h"
#include "platform/View.h"
#include "platform/Wnd.h"

class QSplitter;

class CSplitterWnd : public CWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CSplitterWnd(QWidget* parent = nullptr);
  ~CSplitterWnd() override;
  DECLARE_MESSAGE_MAP()

  // rows and columns from 1 to 16.
  virtual BOOL CreateStatic(QWidget* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                            UINT nID = AFX_IDW_PANE_FIRST);
  // A view of `viewClass` in the pane (which must be empty), created with
  // the context (its document); `sizeInit` becomes the column's ideal width
  // and the row's ideal height. FALSE when the class or the view's creation
  // fails.
  virtual BOOL CreateView(int row, int col, const CRuntimeClass* viewClass, QSize sizeInit, CCreateContext* context);
  // Destroys the pane's window; the pane is empty afterwards.
  virtual void DeleteView(int row, int col);

  int GetRowCount() const { return rows_; }
  int GetColumnCount() const { return cols_; }
  CWnd* GetPane(int row, int col) const;
  int IdFromRowCol(int row, int col) const { return int(AFX_IDW_PANE_FIRST) + row * 16 + col; }
  BOOL IsChildPane(const QWidget* window, int* row, int* col) const;

  void SetColumnInfo(int col, int ideal, int min);
  // `current` is the width now shown.
  void GetColumnInfo(int col, int& current, int& min) const;
  void SetRowInfo(int row, int ideal, int min);
  void GetRowInfo(int row, int& current, int& min) const;
  // Applies the ideal sizes.
  virtual void RecalcLayout();

  // Makes the pane (or `window`) the frame's active view and gives it the
  // focus.
  virtual void SetActivePane(int row, int col, CWnd* window = nullptr);
  virtual CWnd* GetActivePane(int* row = nullptr, int* col = nullptr);

  virtual BOOL DoKeyboardSplit();
  BOOL IsTracking() const { return tracking_; }

  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  bool event(QEvent* event) override;

 private:
  QSplitter* rowSplitter(int row) const;
  void endTracking(bool keep);

  int rows_ = 0, cols_ = 0;
  QSplitter* outer_ = nullptr;
  std::vector<QPointer<CWnd>> panes_;
  std::vector<int> colIdeal_, colMin_, rowIdeal_, rowMin_;
  bool tracking_ = false;
  QList<int> savedCols_, savedRows_;
  QPointer<QWidget> focusBefore_;
};
