// The character table: a modal dialog (500) in which the user picks one
// character code from 32 to 255 by click, double click, keys or the wheel.
// CQXCharTableGrid draws the 224 codes as 7 rows of 32 cells in the font the
// caller describes; the cell last chosen and the dialog's last position are
// kept for the run and shared by every table.
#pragma once

#include "classlib/LogFont.h"
#include "platform/Dialog.h"

#include <QFont>

class QLabel;

class CQXCharTableGrid : public CWnd {
  Q_OBJECT

 public:
  explicit CQXCharTableGrid(QWidget* parent = nullptr);
  ~CQXCharTableGrid() override;

  // The factory of the dialog form's grid (class "CQXCharTableGrid").
  static void RegisterGridClass();

  // Creates the font from `font` (scaled by "Edit Cmd List"/"Cmd Font Size
  // Factor" in percent when above 1) and sizes the cells by its height.
  void Measure(const LOGFONTA& font);
  // Width and height of the grid, the last lines included.
  QSize GetGridSize() const { return grid_.size(); }
  int GetCellHeight() const { return cellHeight_; }
  int GetCellWidth() const { return cellWidth_; }
  // The label that shows the current code, or null.
  void SetCodeDisplay(QLabel* label) { codeDisplay_ = label; }

  int GetCurrentCode() const { return 32 * row_ + col_ - 1; }
  // Codes outside 32..255 are ignored.
  void SelectCode(int code);
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;

  // The cell last chosen in this run (row 1..7, column 1..32).
  static void ResetRunState();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QRect cellRect(int row, int col) const;
  // The cell under `point`: false when there is none.
  bool hitCell(QPoint point, int* row, int* col) const;
  void moveTo(int row, int col);
  bool moveByKey(int key, bool ctrl);

  short wheelSum_ = 0;
  int wheelStep_ = 1;
  QLabel* codeDisplay_ = nullptr;
  QFont font_;
  QRect grid_;
  int cellHeight_ = 0;
  int cellWidth_ = 0;
  int row_;
  int col_;
  LOGFONTA logFont_{};
};

class CQXCharTableDlg : public CDialog {
  Q_OBJECT

 public:
  explicit CQXCharTableDlg(QWidget* parent = nullptr);
  ~CQXCharTableDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  CQXCharTableGrid* GetGrid() const { return grid_; }

  // In: the start code (0 means 32). Out after OK: the chosen code.
  BYTE m_chosenCode = 0;
  // The font the table draws in; set before the dialog runs.
  LOGFONTA m_logFont{};

  // Forgets the position kept for the run.
  static void ResetRunState();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void OnHelp();
  void layoutControls();
  void placeWindow();

  CQXCharTableGrid* grid_ = nullptr;
  QLabel* codeDisplay_ = nullptr;
};
