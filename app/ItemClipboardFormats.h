// The two clipboard formats a document item travels in between windows and
// between running programs: the item as a small compound file ("QXL SData
// Object") and its 1024-byte description ("QXL SData Object Info").
#pragma once

#include "platform/ClipboardFormats.h"

// Registers both names at start-up; the number of the second.
UINT RegisterItemClipboardFormats();
// Their numbers; 0 before registration.
CLIPFORMAT GetItemObjectFormat();
CLIPFORMAT GetItemInfoFormat();
