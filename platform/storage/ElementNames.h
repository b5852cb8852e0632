// Element names: 8-bit (Windows-1252) names at the interface, UTF-16 in the
// file, ordered and matched the way the compound-file format orders its
// directory (shorter names first, then upper-cased code units).
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace tallix::cfb {

using Name16 = std::u16string;

constexpr std::size_t kMaxNameLength = 31;

// Converts and checks a caller's name: S_OK, STG_E_INVALIDPOINTER (null) or
// STG_E_INVALIDNAME (empty, longer than 31 characters, or holding '\', '/',
// ':' or '!').
HRESULT nameFromCaller(const char* name, Name16* out);
// The name as Windows-1252 bytes; characters outside it become '?'.
std::string nameToCaller(const Name16& name);

char16_t upperCaseUnit(char16_t c);
// <0, 0, >0 in the directory's order.
int compareNames(const Name16& a, const Name16& b);

struct NameOrder {
  bool operator()(const Name16& a, const Name16& b) const { return compareNames(a, b) < 0; }
};

}  // namespace tallix::cfb
