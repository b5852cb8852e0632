#include "pages/QXGridCtrl.h"

#include "platform/LanguageLibrary.h"
#include "platform/RuntimeClass.h"

#include <QApplication>

namespace {
constexpr unsigned kFocusIcon = 7376;
constexpr unsigned kEditIcon = 144;
}  // namespace

const CMessageMap& CQXGridCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXGridCtrl>(COrvoGridCtrl::messageMap());
  return map;
}

CQXGridCtrl::CQXGridCtrl(QWidget* parent) : CQXGridCtrl(0, 0, 0, 0, parent) {}

CQXGridCtrl::CQXGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : COrvoGridCtrl(rows, cols, fixedRows, fixedCols, parent) {
  static const bool registered = (RegisterRuntimeClass(RUNTIME_CLASS(CQXGridCtrl)), true);
  (void)registered;
  if (images_.Create(16, 16, ILC_COLOR | ILC_MASK, 2, 2)) {
    const QIcon focus = CLanguageLibrary::LoadIcon(kFocusIcon);
    const QIcon edit = CLanguageLibrary::LoadIcon(kEditIcon);
    images_.Add(focus);
    images_.Add(focus);
    images_.Add(edit);
    images_.Add(edit);
    SetImageList(&images_);
  }
}

void CQXGridCtrl::markCorner(int image) {
  if (!IsValid(0, 0)) return;
  SetItemFormat(0, 0, DT_CENTER);
  SetItemImage(0, 0, image);
  RedrawCell(0, 0);
}

void CQXGridCtrl::focusInEvent(QFocusEvent* e) {
  COrvoGridCtrl::focusInEvent(e);
  markCorner(kFocusImage);
}

void CQXGridCtrl::focusOutEvent(QFocusEvent* e) {
  // The in-place edit taking the focus keeps the edit icon.
  markCorner(IsEditing() ? kEditImage : -1);
  COrvoGridCtrl::focusOutEvent(e);
}

void CQXGridCtrl::OnEditCell(int row, int col, UINT ch) {
  COrvoGridCtrl::OnEditCell(row, col, ch);
  if (IsEditing()) markCorner(kEditImage);
}

void CQXGridCtrl::OnEndEditCell(int row, int col, const std::string& text) {
  markCorner(QApplication::focusWidget() == this ? kFocusImage : -1);
  COrvoGridCtrl::OnEndEditCell(row, col, text);
}
