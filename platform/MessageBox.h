// Message boxes with the platform's style and result values. Every message
// the program shows goes through here, so that tests can answer them without
// a window (see SetMessageBoxHandler).
#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <functional>

class QWidget;

// Button sets, icons and results, with the platform's values.
enum : UINT {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONSTOP = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
  QString text;
  QString caption;
  UINT type = MB_OK;
  QWidget* parent = nullptr;
};

// Shows the message and returns the button pressed (IDOK, IDYES, ...).
int ShowMessageBox(const MessageBoxRequest& request);
// The text of string `id` of the language library, captioned with the
// application title (string 57344).
int AfxMessageBox(UINT id, UINT type = MB_OK);
int AfxMessageBox(const QString& text, UINT type = MB_OK);

// Replaces how messages are shown (null: real message boxes). Returns the
// previous handler.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
