// Translating a key against an accelerator table (CLanguageLibrary::
// LoadAccelerators): a key press that matches an entry is sent as that
// entry's command to `target` (WM_COMMAND from an accelerator, so the
// command's update handlers may still refuse it). TRUE when the key matched;
// the key is then consumed, also when the command was refused.
#pragma once

#include "platform/LanguageLibrary.h"
#include "platform/Wnd.h"

#include <vector>

BOOL TranslateAccelerator(CWnd* target, const std::vector<CAcceleratorEntry>& table, const MSG* msg);
