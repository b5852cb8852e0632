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

// A name as the directory orders and matches it, upper-cased once: shorter
// names first, then the upper-cased code units.
class NameKey {
 public:
  explicit NameKey(const Name16& name);
  bool operator<(const NameKey& other) const {
    if (folded_.size() != other.folded_.size()) return folded_.size() < other.folded_.size();
    return folded_ < other.folded_;
  }
  bool operator==(const NameKey& other) const { return folded_ == other.folded_; }

 private:
  Name16 folded_;
};

}  // namespace tallix::cfb
