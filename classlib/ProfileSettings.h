// The application profile: every persistent user setting, read and written
// through these wrappers. The profile is QSettings with organisation
// "Brindlewood" and application "TALLIX"; a setting lives at <section>/<key>.
// Texts are kept as Windows-1252 bytes on our side and stored as Unicode in
// the profile, so any byte string survives. Every read names its default;
// nothing is written until a caller writes.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

int AppGetProfileInt(const char* section, const char* key, int defaultValue);
BOOL AppWriteProfileInt(const char* section, const char* key, int value);

// `defaultValue` null means an empty text. Returns `out`.
std::string* AppGetProfileString(std::string* out, const char* section, const char* key, const char* defaultValue);
BOOL AppWriteProfileString(const char* section, const char* key, const char* text);

// *data is a new block the caller deletes with delete[] (null, size 0, FALSE
// when the value is absent).
BOOL AppGetProfileBinary(const char* section, const char* key, BYTE** data, UINT* size);
// Null data with size 0 writes an empty value.
BOOL AppWriteProfileBinary(const char* section, const char* key, const BYTE* data, UINT size);

namespace tallix {
// The same binary read into a vector; false when absent.
bool profileBinary(const char* section, const char* key, std::vector<BYTE>* data);
}
