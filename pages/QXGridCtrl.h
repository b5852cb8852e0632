// CQXGridCtrl: the grid of the numeric pages. Its corner cell tells where
// the keyboard is: the focus icon (image 0) while the grid has the focus,
// the edit icon (image 2) while a cell is being edited, nothing otherwise.
#pragma once

#include "classlib/OrvoGridCtrl.h"
#include "platform/ImageList.h"

class CQXGridCtrl : public COrvoGridCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXGridCtrl(QWidget* parent = nullptr);
  CQXGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent = nullptr);
  DECLARE_MESSAGE_MAP()

  // Images 0 and 1: icon 7376 (focus); 2 and 3: icon 144 (editing).
  enum : int { kFocusImage = 0, kEditImage = 2 };

  void OnEditCell(int row, int col, UINT ch) override;
  void OnEndEditCell(int row, int col, const std::string& text) override;

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void markCorner(int image);
  CImageList images_;
};
