// Helpers for the tests of the newer family's items: stored records and
// "MCS1" header images assembled by hand.
#pragma once

#include "tests/support/OldHeaderVectors.h"

namespace tallix::test {

// A 16-byte record header with its tag.
inline void putRecordHeader(Bytes& v, DWORD tag) {
  putDword(v, tag);
  for (int i = 0; i < 3; ++i) putDword(v, 0);
}

inline void append(Bytes& v, const Bytes& more) { v.insert(v.end(), more.begin(), more.end()); }

// A 40-byte "MCS1" header as the calculator sends it.
inline Bytes mcs1Header(BYTE type, const std::string& name, const std::string& group, DWORD size) {
  Bytes h(40, 0xFF);
  put(h, 0, ":MCS1");
  h[5] = 0;
  put32(h, 6, size);
  h[10] = type;
  put(h, 11, name);
  put(h, 19, group);
  return h;
}

// A name field: dword `size`, the name padded with zeros.
inline void putNameField(Bytes& v, DWORD size, const std::string& name) {
  putDword(v, size);
  Bytes field(size, 0);
  put(field, 0, name);
  append(v, field);
}

}  // namespace tallix::test
