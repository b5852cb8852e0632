// Fonts kept in the profile as binary records around a 60-byte LOGFONTA.
//
// Long form, 76 bytes ("Settings"/"Program Editor Font", "Edit Cmd List"/"Cmd Font"):
//   0: dword 76   4: dword 60   8: LOGFONTA (60 bytes)   68: dword 0   72: dword 0
// Short form, 72 bytes ("Settings"/"Desc Page Font"):
//   0: dword 72   4: dword 60   8: LOGFONTA (60 bytes)   68: dword 0
// Dwords are little-endian. A record of the wrong size or with other markers
// is ignored: the reader answers FALSE and the caller keeps its default font.
// Neither form can be read as the other.
#pragma once

#include "classlib/LogFont.h"
#include "platform/WinTypes.h"

constexpr UINT kProfileFontRecordSize = 76;
constexpr UINT kProfileFontShortRecordSize = 72;

// `reserved` is not used. FALSE for a null font or when the profile cannot
// be written.
BOOL WriteProfileFont(const LOGFONT* font, int reserved, const char* section, const char* key);
BOOL ReadProfileFont(LOGFONT* out, const char* section, const char* key);
BOOL WriteProfileFontShort(const LOGFONT* font, const char* section, const char* key);
BOOL ReadProfileFontShort(LOGFONT* out, const char* section, const char* key);
