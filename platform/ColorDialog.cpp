#include "platform/ColorDialog.h"

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, QWidget* parent) : QColorDialog(parent) {
  setOption(QColorDialog::DontUseNativeDialog);
  setCurrentColor(ColorRefToQColor(flags & CC_RGBINIT ? initial : 0));
}

CColorDialog::~CColorDialog() = default;

int CColorDialog::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

COLORREF CColorDialog::GetColor() const {
  return ColorRefFromQColor(result() == QDialog::Accepted ? selectedColor() : currentColor());
}

COLORREF CColorDialog::GetCustomColor(int index) { return ColorRefFromQColor(customColor(index)); }

void CColorDialog::SetCustomColor(int index, COLORREF color) { setCustomColor(index, ColorRefToQColor(color)); }
