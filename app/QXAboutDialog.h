// CQXAboutDialog: the About box. It shows the running program's version
// (from its version record), the program's icon at twice its size on a
// button of its own, and the product name in a large bold face.
#pragma once

#include "classlib/OrvoHelpDialog.h"

#include <QFont>

class CQXAboutDialog : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 530;
  explicit CQXAboutDialog(QWidget* parent = nullptr);
  ~CQXAboutDialog() override;

  BOOL OnInitDialog() override;

 protected:
  // Paints the picture button (control 1040).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_pictureButton = nullptr;
  QFont m_titleFont;
};
