// CGridTipWnd: the title tip of a grid, a tool-tip window that shows the
// whole text of a cell too narrow for it, over the cell. It takes no input:
// the grid hides it when the mouse leaves the cell or the grid, on a key, a button,
// scrolling and when the grid loses the focus.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class CGridCtrl;

class CGridTipWnd : public QWidget {
  Q_OBJECT

 public:
  explicit CGridTipWnd(CGridCtrl* grid);

  // Offers the tip for a cell: `textRect` and `cellRect` in the grid's
  // client coordinates. Shown only when the text is wider than its
  // rectangle and the application has the focus.
  void Show(const QRect& textRect, const QString& text, const QRect& cellRect, const QFont& font);
  void Hide();
  // The cell rectangle the tip stands for (grid coordinates), empty when
  // none.
  QRect GetHoverRect() const { return hover_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  CGridCtrl* grid_;
  QRect hover_;
  QString text_;
};
