// What the class library asks of the main window (CQXMainFrame) without
// depending on the window classes: keeping a dropped address, the frame's
// private messages, whether a modal dialog has the main window disabled,
// and the window that owns dialogs. The main frame installs itself at
// creation; tests install a stand-in.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class QWidget;

// Private messages of the main frame (wParam 0, lParam 0).
enum : UINT {
  // Sent: brings the frame to the front (flashes it when it is not the
  // foreground window and may not take the focus).
  kFrameMsgComeToFront = 0x8014,
  // Posted: brings the frame to the front and opens the dropped address.
  kFrameMsgOpenDroppedUrl = 0x801E,
};

class CQXMainFrameServices {
 public:
  virtual ~CQXMainFrameServices() = default;

  // Keeps one dropped address (8-bit text) for kFrameMsgOpenDroppedUrl; a
  // later drop replaces it.
  virtual void SetDroppedUrl(const std::string& url) = 0;
  virtual void PostFrameMessage(UINT message) = 0;
  virtual void SendFrameMessage(UINT message) = 0;
  // False while a modal dialog runs.
  virtual bool IsMainWindowEnabled() const = 0;
  virtual QWidget* GetMainWindow() const = 0;
};

// The installed main frame, or null (no main window: nothing is dropped).
CQXMainFrameServices* GetMainFrameServices();
// Returns the previous one.
CQXMainFrameServices* SetMainFrameServices(CQXMainFrameServices* services);
