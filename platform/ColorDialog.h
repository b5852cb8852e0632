// CColorDialog: the colour chooser, Qt's own dialog (never the desktop's),
// so that tests can drive it. Its 16 custom colours are shared by every
// chooser of the process, as the platform's array of custom colours is.
#pragma once

#include "platform/ColorRef.h"
#include "platform/MessageBox.h"  // IDOK, IDCANCEL

#include <QColorDialog>

// With CC_RGBINIT the chooser starts on the given colour, else on black.
enum : DWORD { CC_RGBINIT = 0x1, CC_FULLOPEN = 0x2 };

class CColorDialog : public QColorDialog {
  Q_OBJECT

 public:
  explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, QWidget* parent = nullptr);
  ~CColorDialog() override;

  // Runs the chooser; IDOK or IDCANCEL.
  virtual int DoModal();
  // The colour chosen (the starting colour until then).
  COLORREF GetColor() const;

  static COLORREF GetCustomColor(int index);
  static void SetCustomColor(int index, COLORREF color);
};
