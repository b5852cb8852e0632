// Helpers for the tests of the older family's items: 50-byte headers
// assembled by hand from the field tables, and store / reload round trips.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "tests/support/MemoryArchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallix::test {

using Bytes = std::vector<BYTE>;

// A 50-byte header of 0xFF bytes.
inline Bytes blankHeader() { return Bytes(50, 0xFF); }

// Writes the bytes of `text` (its full length, NULs included) at `offset`.
inline void put(Bytes& h, size_t offset, const std::string& text) {
  std::memcpy(h.data() + offset, text.data(), text.size());
}
inline void put16(Bytes& h, size_t offset, unsigned v) {
  h[offset] = BYTE(v >> 8);
  h[offset + 1] = BYTE(v);
}
inline void put32(Bytes& h, size_t offset, DWORD v) {
  for (int i = 0; i < 4; ++i) h[offset + size_t(i)] = BYTE(v >> (24 - 8 * i));
}

// A "VAL" header as the numeric items send it: kind, code, counts, the
// name at 11, the group at 19 (when given), 'R' or 'C' and 0x0A at 27-28.
inline Bytes valHeader(const std::string& code, unsigned rows, unsigned columns, const std::string& name,
                       const std::string& group = {}, char type = 'R') {
  Bytes h = blankHeader();
  put(h, 1, "VAL");
  put(h, 5, code);
  put16(h, 7, rows);
  put16(h, 9, columns);
  put(h, 11, name);
  if (!group.empty()) put(h, 19, group);
  h[27] = BYTE(type);
  h[28] = 0x0A;
  return h;
}

// A graph-function or recursion-formula header as the calculator sends it.
inline Bytes fncHeader(const std::string& code, DWORD length, const std::string& name, BYTE relation,
                       const std::string& style, const std::string& group = "Y=Data") {
  Bytes h = blankHeader();
  put(h, 1, "FNC");
  put(h, 5, code);
  put32(h, 7, length);
  put(h, 11, name);
  h[18] = relation;
  put(h, 19, group);
  put(h, 27, style);
  return h;
}

// The style bytes of a graph function and of a recursion formula.
inline const std::string kGfStyle = "GRBLNSDYBLNSGTBLNS";
inline const std::string kRfStyle = std::string("RTBLNS\xFF\xFF", 8) + "a0";

// A program header: "TXT" "PG", the text length + 2, the name, the password
// (when given) and the mode ("NL" or "BN").
inline Bytes programHeader(const std::string& name, DWORD textLength, const std::string& password = {},
                           const std::string& mode = "NL") {
  Bytes h = blankHeader();
  put(h, 1, "TXT");
  put(h, 5, "PG");
  put32(h, 7, textLength + 2);
  put(h, 11, name);
  if (!password.empty()) put(h, 27, password);
  put(h, 35, mode);
  return h;
}

// The "IMG" "PC" header of a 128 x 64 picture of one group of four planes,
// data from the bottom-right corner upwards, as a colour model sends it.
inline Bytes pictureHeader(const std::string& name) {
  Bytes h = blankHeader();
  put(h, 1, "IMG");
  put(h, 5, "PC");
  put16(h, 7, 64);   // rows
  put16(h, 9, 128);  // pixels per row
  put(h, 11, name);
  put(h, 27, "DR");
  h[29] = 'U';
  h[30] = 'W';
  h[31] = 'F';
  put16(h, 32, 4);  // planes of a group
  put16(h, 34, 1);  // groups
  return h;
}

// A 40-byte screen-copy header: "DD" or "DC", 64 rows of 128 pixels,
// bottom-left corner, rows left to right.
inline Bytes screenHeader(const char* tag) {
  Bytes h(40, 0xFF);
  put(h, 1, tag);
  h[3] = 64;
  h[4] = 128;
  h[5] = 1;  // "DL"
  h[6] = 'R';
  h[7] = 'W';
  h[8] = 'F';
  return h;
}

// A memory-image header: "MEM", the code, the data length + 2, the name and
// the two fields the program only carries.
inline Bytes memHeader(const char* code, DWORD length, const std::string& name) {
  Bytes h = blankHeader();
  put(h, 1, "MEM");
  put(h, 5, code);
  put32(h, 7, length + 2);
  put(h, 11, name);
  for (int i = 27; i <= 41; ++i) h[size_t(i)] = BYTE(i * 7);  // the two carried fields
  return h;
}

// Picture block (a, b): the two block numbers, then the plane's bytes.
inline Bytes pictureBlock(unsigned a, unsigned b, BYTE fill, size_t planeSize = 1024) {
  Bytes d(4, 0);
  put16(d, 0, a);
  put16(d, 2, b);
  d.resize(4 + planeSize, fill);
  return d;
}

// A 10-byte calculator number: mantissa digits d1..d15 packed from nibble 1,
// sign mark, exponent + 100. number(15, 0) is 1.5.
inline Bytes number(unsigned long long mantissaDigits, int exponent, bool negative = false) {
  Bytes n(10, 0);
  std::string digits = std::to_string(mantissaDigits);
  digits.resize(15, '0');
  std::string nibbles = "0" + digits + (negative ? "5" : "0");
  const int e = exponent + 100;
  nibbles += char('0' + e / 100);
  nibbles += char('0' + e / 10 % 10);
  nibbles += char('0' + e % 10);
  for (size_t i = 0; i < 10; ++i) n[i] = BYTE((nibbles[2 * i] - '0') << 4 | (nibbles[2 * i + 1] - '0'));
  return n;
}

// A link value record: first and second index, real part (and imaginary).
inline Bytes valueRecord(unsigned first, unsigned second, const Bytes& real, const Bytes& imaginary = {}) {
  Bytes r(4, 0);
  put16(r, 0, first);
  put16(r, 2, second);
  r.insert(r.end(), real.begin(), real.end());
  r.insert(r.end(), imaginary.begin(), imaginary.end());
  return r;
}

// The code of the COrvoArchiveException `f` throws, 0 when none.
inline int archiveCode(const std::function<void()>& f) {
  try {
    f();
  } catch (const COrvoArchiveException& e) {
    return e.GetErrorCode();
  }
  return 0;
}

// The bytes an object stores; fails the test when GetStoredSize disagrees.
template <class T>
Bytes storedBytes(T& object) {
  MemoryArchive ar;
  object.Store(ar);
  EXPECT_EQ(ar.bytes_.size(), object.GetStoredSize());
  return ar.bytes_;
}

// Loads `bytes` into `object` and checks that all of them were read.
template <class T>
void loadBytes(T& object, const Bytes& bytes) {
  MemoryArchive ar(bytes);
  object.Load(ar);
  EXPECT_EQ(ar.position_, bytes.size());
}

// A new, empty item of the type through the factory, as the class T.
template <class T>
std::unique_ptr<T> createItem(int typeId) {
  std::unique_ptr<CQXCalcItem> item(CreateItemByTypeId(typeId));
  T* typed = dynamic_cast<T*>(item.get());
  if (typed) item.release();
  return std::unique_ptr<T>(typed);
}

inline std::string displayNameOf(CQXCalcItem& item) {
  char buffer[64];
  item.GetDisplayName(buffer, sizeof buffer);
  return buffer;
}

// The detail text; fails the test when the item gives none.
inline std::string detailTextOf(CQXCalcItem& item) {
  char buffer[128] = "";
  CQXDetailTextRecord record{1, buffer, sizeof buffer};
  EXPECT_TRUE(item.GetDetailText(&record));
  return buffer;
}

// Stores an item in a document entry and loads it back through the factory:
// the reloaded item, which must store the same bytes again.
inline std::unique_ptr<CQXCalcItem> throughDocEntry(CQXCalcItem* item) {
  CQXDocEntry entry(FALSE);
  entry.SetItem(item);
  MemoryArchive ar;
  entry.Store(ar);
  EXPECT_EQ(ar.bytes_.size(), entry.GetStoredSize());
  CQXDocEntry loaded;
  MemoryArchive in(ar.bytes_);
  loaded.Load(in);
  EXPECT_EQ(in.position_, ar.bytes_.size());
  std::unique_ptr<CQXCalcItem> result(loaded.DetachItem());
  if (result) {
    MemoryArchive again;
    result->Store(again);
    MemoryArchive first;
    item->Store(first);
    EXPECT_EQ(again.bytes_, first.bytes_);
  }
  return result;
}

}  // namespace tallix::test
