// Reader of absolute registry paths, as the menu extension names them:
// "HKEY_CURRENT_USER\Software\Brindlewood\TALLIX\<section>" or
// "HKEY_LOCAL_MACHINE\...".
//
// The program's settings are the application profile (QSettings, organisation
// "Brindlewood", application "TALLIX"), so the one tree this reader can
// answer for is the profile's own: a current-user path under
// Software\Brindlewood\TALLIX (names compared without regard to case) reads
// the profile, the rest of the path naming the section and its sub-keys.
// Every other path answers FALSE, and the caller takes its own fallback.
#pragma once

#include "platform/WinTypes.h"

#include <string>

// FALSE when the root is neither "HKEY_CURRENT_USER" nor "HKEY_LOCAL_MACHINE"
// (compared case-sensitively at the start of the path), when the path has no
// '\', when the key does not exist, when the value is missing, is not a text
// (a binary value, or a number where the profile keeps its type), or needs
// more than 1024 bytes with its NUL. An empty `valueName` is the
// key's default (unnamed) value; it is kept in the profile under the name
// ".". An empty value gives `defaultValue` (null meaning ""). On FALSE,
// `out` is left as it was.
BOOL ReadRegistryString(const char* keyPath, const char* valueName, const char* defaultValue, std::string* out);

// As ReadRegistryString; when the value then begins with "%ROOT%" (compared
// without regard to case), that prefix is replaced by the same key's default
// value. When the key has no default value the text stays as it was read and
// the call still succeeds.
BOOL ReadRegistryStringExpandRoot(const char* keyPath, const char* valueName, const char* defaultValue,
                                  std::string* out);
