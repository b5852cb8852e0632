// The program's help: one window of our own that shows the help pages of
// the language library, "help/<context in lower-case hex>.html" (dialog 512
// is context 0x20200, "help/20200.html"), and "help/index.html", the table
// of contents. CWinApp::WinHelp comes here.
#pragma once

#include "platform/WinTypes.h"

class QTextBrowser;

enum : UINT { HELP_CONTEXT = 0x1, HELP_QUIT = 0x2, HELP_INDEX = 0x3, HELP_CONTENTS = 0x3, HELP_FINDER = 0xB };

// HELP_CONTEXT shows the page of `data` (the contents when it has none);
// HELP_INDEX/HELP_CONTENTS/HELP_FINDER the contents; HELP_QUIT closes the
// window. FALSE when there is nothing to show (no language library).
//
// While a modal dialog runs, the window belongs to that dialog, so that the
// dialog's modality does not block it.
BOOL ShowHelp(DWORD data, UINT command);

// The help window while it exists, else null.
QTextBrowser* GetHelpWindow();
