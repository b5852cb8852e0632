#include "platform/MessageBox.h"

#include "platform/LanguageLibrary.h"

#include <QMessageBox>

namespace {

MessageBoxHandler& handler() {
  static MessageBoxHandler h;
  return h;
}

int showReal(const MessageBoxRequest& r) {
  QMessageBox box(r.parent);
  box.setText(r.text);
  box.setWindowTitle(r.caption);
  switch (r.type & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct Button { QMessageBox::StandardButton button; int result; };
  std::vector<Button> buttons;
  switch (r.type & 0x0F) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNOCANCEL:
      buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
  }
  for (const Button& b : buttons) box.addButton(b.button);
  const size_t def = (r.type & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
  box.setDefaultButton(buttons[def].button);
  const int pressed = box.exec();
  for (const Button& b : buttons)
    if (pressed == b.button) return b.result;
  // Closed with the window's close box: the cancel or only button.
  return (r.type & 0x0F) == MB_OK ? IDOK : (r.type & 0x0F) == MB_YESNO ? IDNO : IDCANCEL;
}

}  // namespace

int ShowMessageBox(const MessageBoxRequest& request) {
  return handler() ? handler()(request) : showReal(request);
}

int AfxMessageBox(const QString& text, UINT type) {
  return ShowMessageBox({text, CLanguageLibrary::LoadString(57344), type, nullptr});
}

int AfxMessageBox(UINT id, UINT type) { return AfxMessageBox(CLanguageLibrary::LoadString(id), type); }

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler h) {
  MessageBoxHandler previous = std::move(handler());
  handler() = std::move(h);
  return previous;
}
