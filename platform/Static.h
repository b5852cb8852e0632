// CStatic: a static control (text label) that is also a CWnd, for the
// classes that derive from it. Its text is shown by a QLabel that fills the
// window and draws no background of its own, so that a subclass may paint
// one. A dialog form puts it in place of a QLabel by promoting the label to
// the subclass (see CLanguageLibrary::RegisterWidgetClass); the form's
// text, alignment and word wrap arrive through the properties below.
#pragma once

#include "platform/Wnd.h"

class QLabel;

class CStatic : public CWnd {
  Q_OBJECT
  Q_PROPERTY(QString text READ GetWindowText WRITE SetWindowText)
  Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
  Q_PROPERTY(bool wordWrap READ wordWrap WRITE setWordWrap)

 public:
  explicit CStatic(QWidget* parent = nullptr);
  ~CStatic() override;
  DECLARE_MESSAGE_MAP()

  void SetWindowText(const QString& text);
  QString GetWindowText() const;
  QLabel* GetLabel() const { return label_; }

  Qt::Alignment alignment() const;
  void setAlignment(Qt::Alignment alignment);
  bool wordWrap() const;
  void setWordWrap(bool on);

 private:
  QLabel* label_;
};
