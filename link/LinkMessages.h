// The one message a link command ends with, for both calculator families:
// by the session code of a transfer, or by the link's error class when the
// port could not be opened. Both show an exclamation box and nothing for
// codes that mean success or the user's own cancel.
#pragma once

#include "platform/WinTypes.h"

// The string a session code is shown with; 0 for none (1, 2, 3, 13).
UINT LinkErrorMessageId(int sessionCode);
// The string an open failure is shown with; 0 for none (0, 4).
UINT LinkOpenErrorMessageId(int errorClass);

void ShowLinkError(int sessionCode);
// The port number fills "%1" of message 10550.
void ShowLinkOpenError(int errorClass, UINT port = 0);
