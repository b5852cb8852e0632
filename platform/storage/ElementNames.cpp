#include "platform/storage/ElementNames.h"

#include "platform/Cp1252.h"
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

int compareNames(const Name16& a, const Name16& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char16_t x = upperCaseUnit(a[i]), y = upperCaseUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace tallix::cfb
