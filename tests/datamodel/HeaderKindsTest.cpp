#include "datamodel/HeaderKinds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// An older-family header: ':' then `tag` at 1, `code` at 5, 0xFF elsewhere.
std::vector<BYTE> oldHeader(int length, const char* tag, const char* code = nullptr) {
  std::vector<BYTE> h(size_t(length), 0xFF);
  h[0] = ':';
  std::memcpy(&h[1], tag, std::strlen(tag));
  if (code) std::memcpy(&h[5], code, std::strlen(code));
  return h;
}

int oldKind(int length, const char* tag, const char* code = nullptr) {
  const std::vector<BYTE> h = oldHeader(length, tag, code);
  return KindFromOldHeader(h.data(), length);
}

// A newer-family header as the sender builds it: ':' tag, 0, size, type,
// name (8 bytes, 0xFF padded), group (20 bytes, 0xFF padded), checksum.
std::vector<BYTE> newHeader(const char* tag, BYTE type = 0, const std::string& name = "", const std::string& group = "") {
  std::vector<BYTE> h(40, 0xFF);
  h[0] = ':';
  std::memcpy(&h[1], tag, 4);
  h[5] = 0;
  h[6] = h[7] = h[8] = 0;
  h[9] = 16;
  h[10] = type;
  std::memcpy(&h[11], name.data(), std::min<size_t>(name.size(), 8));
  std::memcpy(&h[19], group.data(), std::min<size_t>(group.size(), 20));
  return h;
}

int newKind(const char* tag, BYTE type = 0, const std::string& name = "", const std::string& group = "") {
  return KindFromNewHeader(newHeader(tag, type, name, group).data());
}

}  // namespace

TEST(OldHeaderKinds, EveryRowAndCodeIsRecognised) {
  struct Case {
    int length;
    const char* tag;
    const char* code;
    int kind;
  };
  const Case cases[] = {
      {40, "DD", nullptr, 4022}, {40, "DC", nullptr, 4023},
      {50, "TXT", "PG", 1},      {50, "TXT", "FM", 4015},
      {50, "FNC", "GF", 4003},   {50, "FNC", "RF", 4010},
      {50, "VAL", "MT", 4001},   {50, "VAL", "LT", 4002},  {50, "VAL", "WD", 4006},
      {50, "VAL", "RR", 4011},   {50, "VAL", "FT", 4007},  {50, "VAL", "TR", 4008},
      {50, "VAL", "VM", 4012},   {50, "VAL", "SE", 4017},  {50, "VAL", "PE", 4018},
      {50, "IMG", "PC", 4019},
      {50, "MEM", "GM", 4020},   {50, "MEM", "DM", 4021},  {50, "MEM", "BU", 4024},
  };
  for (const Case& c : cases) EXPECT_EQ(oldKind(c.length, c.tag, c.code), c.kind) << c.tag << "/" << (c.code ? c.code : "");
}

TEST(OldHeaderKinds, NearMissesAreNotRecognised) {
  EXPECT_EQ(oldKind(50, "VAL", "ZZ"), 0);   // unknown code
  EXPECT_EQ(oldKind(40, "TXT", "PG"), 0);   // right tag, but that row is keyed to 50 bytes
  EXPECT_EQ(oldKind(50, "DD"), 0);          // screen copies are 40-byte headers
  EXPECT_EQ(oldKind(49, "VAL", "LT"), 0);
  EXPECT_EQ(oldKind(50, "VAX", "LT"), 0);
  EXPECT_EQ(oldKind(50, "val", "LT"), 0);   // case matters
  EXPECT_EQ(oldKind(50, "IMG", "GM"), 0);   // a code of another row
  EXPECT_EQ(oldKind(40, "DX"), 0);
  // The code must sit at offset 5, the tag at offset 1.
  std::vector<BYTE> shifted = oldHeader(50, "VAL");
  std::memcpy(&shifted[6], "LT", 2);
  EXPECT_EQ(KindFromOldHeader(shifted.data(), 50), 0);
  std::vector<BYTE> atZero(50, 0xFF);
  std::memcpy(&atZero[0], "VAL", 3);
  std::memcpy(&atZero[5], "LT", 2);
  EXPECT_EQ(KindFromOldHeader(atZero.data(), 50), 0);
  EXPECT_EQ(KindFromOldHeader(nullptr, 50), 0);
  // A short buffer with a length that no row is keyed to is never read past.
  const BYTE tiny[2] = {':', 'V'};
  EXPECT_EQ(KindFromOldHeader(tiny, 2), 0);
}

TEST(NewHeaderKinds, EveryRowIsRecognised) {
  EXPECT_EQ(newKind("BKU1"), 5024);
  EXPECT_EQ(newKind("SET1", 9), 5009);
  EXPECT_EQ(newKind("END1"), 5025);
  EXPECT_EQ(newKind("MCS1", 1, "PROG"), 1);
  EXPECT_EQ(newKind("MCS1", 6, "MAT A"), 5001);
  EXPECT_EQ(newKind("MCS1", 5, "1LIST 1"), 5002);
  EXPECT_EQ(newKind("MCS1", 5, "VMEM1"), 5004);
  EXPECT_EQ(newKind("MCS1", 5, "VWIN"), 5004);
  EXPECT_EQ(newKind("MCS1", 5, "VWINR"), 5004);
  EXPECT_EQ(newKind("MCS1", 0, "A", "Variable"), 5005);
  EXPECT_EQ(newKind("MCS1", 6, "SIMLCOEF"), 5006);
  EXPECT_EQ(newKind("MCS1", 6, "SIMLRSLT"), 5008);
  EXPECT_EQ(newKind("MCS1", 6, "POLYCOEF"), 5007);
  EXPECT_EQ(newKind("MCS1", 6, "POLYRSLT"), 5008);
  EXPECT_EQ(newKind("MCS1", 5, "FACTOR"), 5010);
  EXPECT_EQ(newKind("MCS1", 254, "RANGE"), 5011);
  EXPECT_EQ(newKind("MCS1", 254, "RECRG"), 5015);
  for (int n = 1; n <= 30; ++n) EXPECT_EQ(newKind("MCS1", 2, std::to_string(n)), 5012) << n;
  for (const char* r : {"AN", "BN", "CN", "DN", "EN"}) EXPECT_EQ(newKind("MCS1", 2, r), 5014) << r;
  EXPECT_EQ(newKind("MCS1", 4, "FMEM3"), 5019);
  EXPECT_EQ(newKind("MCS1", 7, "PICT6"), 5016);
  EXPECT_EQ(newKind("MCS1", 254, "x", "DYNA"), 5017);
  EXPECT_EQ(newKind("MCS1", 254, "GMEM20"), 5018);
  EXPECT_EQ(newKind("MCS1", 254, "x", "CAS"), 5020);
  EXPECT_EQ(newKind("MCS1", 254, "x", "ALGEBRA"), 5021);
  EXPECT_EQ(newKind("MCS1", 254, "x", "DIFF_EQ"), 5022);
  EXPECT_EQ(newKind("MCS1", 254, "SETUP", "E-CON"), 5023);
}

TEST(NewHeaderKinds, NearMissesFallToTheCatchAllOrToNothing) {
  EXPECT_EQ(newKind("MCS1", 6, "1LIST 1"), 5026);   // a list name with the matrix type
  EXPECT_EQ(newKind("MCS1", 5, "LIST"), 5026);      // "LIST" must start one byte into the name
  EXPECT_EQ(newKind("MCS1", 2, "ZZ"), 5026);
  EXPECT_EQ(newKind("MCS1", 2, "FN"), 5026);        // recursions end at "EN"
  EXPECT_EQ(newKind("MCS1", 7, "PIC1"), 5026);
  EXPECT_EQ(newKind("MCS1", 1, "", "") , 1);        // a program needs only its type
  EXPECT_EQ(newKind("MCS1", 254, "x", "DYN"), 5026);  // the group is compared whole
  EXPECT_EQ(newKind("MCS1", 253, "x", "CAS"), 5026);
  EXPECT_EQ(newKind("MCS1", 5, "x", "Variable"), 5026);
  EXPECT_EQ(newKind("MCS1", 99, "ADDIN"), 5026);
  EXPECT_EQ(newKind("XYZ1"), 0);
  EXPECT_EQ(newKind("MCS2", 1), 0);
  EXPECT_EQ(newKind("mcs1", 1), 0);
  EXPECT_EQ(KindFromNewHeader(nullptr), 0);
}
