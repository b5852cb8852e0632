#include "platform/storage/ElementNames.h"

#include "charset/Cp1252.h"
#include "platform/storage/StorageTypes.h"

#include <QChar>

namespace tallix::cfb {

HRESULT nameFromCaller(const char* name, Name16* out) {
  if (!name) return STG_E_INVALIDPOINTER;
  out->clear();
  for (const char* p = name; *p; ++p) {
    const char c = *p;
    if (c == '\\' || c == '/' || c == ':' || c == '!') return STG_E_INVALIDNAME;
    if (out->size() == kMaxNameLength) return STG_E_INVALIDNAME;
    out->push_back(cp1252ToUnicode(static_cast<unsigned char>(c)).unicode());
  }
  return out->empty() ? STG_E_INVALIDNAME : S_OK;
}

std::string nameToCaller(const Name16& name) {
  std::string out;
  out.reserve(name.size());
  for (char16_t c : name) {
    const int b = unicodeToCp1252(c);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

char16_t upperCaseUnit(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? char16_t(c - 0x20) : c;
  // Surrogates stay as they are; every other unit takes its simple upper case
  // when that is a single unit of the basic plane.
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  const char32_t up = QChar::toUpper(char32_t(c));
  return up <= 0xFFFF ? char16_t(up) : c;
}

NameKey::NameKey(const Name16& name) : folded_(name) {
  for (char16_t& c : folded_) c = upperCaseUnit(c);
}

}  // namespace tallix::cfb
