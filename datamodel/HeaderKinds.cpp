#include "datamodel/HeaderKinds.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// --- Older family: a row per header tag, each with its codes. ---

struct OldCode {
  const char* code;
  int length;
  int offset;
  int kind;  // kKindOldTableEnd closes the row
};

struct OldRow {
  const char* tag;
  int tagLength;
  int tagOffset;
  int headerLength;
  OldCode codes[10];
};

constexpr OldCode kEnd = {nullptr, 0, 0, kKindOldTableEnd};

const OldRow kOldRows[] = {
    {"DD", 2, 1, 40, {{"DD", 2, 1, kKindScreenCopyMono}, kEnd}},
    {"DC", 2, 1, 40, {{"DC", 2, 1, kKindScreenCopyColour}, kEnd}},
    {"TXT", 3, 1, 50, {{"PG", 2, 5, kKindProgram}, {"FM", 2, 5, kKindFunctionMemory}, kEnd}},
    {"FNC", 3, 1, 50, {{"GF", 2, 5, kKindGraphFunctions}, {"RF", 2, 5, kKindRecursionFormulas}, kEnd}},
    {"VAL",
     3,
     1,
     50,
     {{"MT", 2, 5, kKindMatrix},
      {"LT", 2, 5, kKindList},
      {"WD", 2, 5, kKindVWindow},
      {"RR", 2, 5, kKindRecursionRange},
      {"FT", 2, 5, kKindZoomFactor},
      {"TR", 2, 5, kKindTableRange},
      {"VM", 2, 5, kKindVariables},
      {"SE", 2, 5, kKindSimultaneousEquation},
      {"PE", 2, 5, kKindPolynomialEquation},
      kEnd}},
    {"IMG", 3, 1, 50, {{"PC", 2, 5, kKindPicture}, kEnd}},
    {"MEM",
     3,
     1,
     50,
     {{"GM", 2, 5, kKindGraphMemory}, {"DM", 2, 5, kKindDynamicGraphMemory}, {"BU", 2, 5, kKindBackup}, kEnd}},
};

bool bytesEqual(const BYTE* header, int offset, const char* text, int length) {
  return std::memcmp(header + offset, text, size_t(length)) == 0;
}

// --- Newer family: a row per recognisable header, tried in order. ---

constexpr int kTagOffset = 1;
constexpr int kTypeOffset = 10;
constexpr int kNameOffset = 11;
constexpr int kGroupOffset = 19;

struct NewRow {
  std::string tag;
  bool check;       // false: the tag alone decides
  BYTE type;        // the type byte at offset 10
  std::string name;  // prefix of the name at 11 + nameOffset, or empty
  int nameOffset;
  std::string group;  // prefix of the group at 19, or empty
  int kind;
};

std::vector<NewRow> buildNewRows() {
  auto mcs = [](BYTE type, const char* name, int kind) { return NewRow{"MCS1", true, type, name, 0, "", kind}; };
  auto group = [](const char* g, int kind) { return NewRow{"MCS1", true, 254, "", 0, g, kind}; };
  std::vector<NewRow> rows = {
      {"BKU1", false, 0, "", 0, "", kKindBackupV5},
      {"MCS1", true, 1, "", 0, "", kKindProgram},
      mcs(6, "MAT", kKindMatrixV5),
      {"MCS1", true, 5, "LIST", 1, "", kKindListV5},
      mcs(5, "VMEM", kKindVWindowV5),
      mcs(5, "VWIN", kKindVWindowV5),
      mcs(5, "VWINR", kKindVWindowV5),
      {"MCS1", true, 0, "", 0, "Variable", kKindAlphaMemory},
      mcs(6, "SIMLCOEF", kKindSimultaneousCoefficients),
      mcs(6, "SIMLRSLT", kKindEquationResult),
      mcs(6, "POLYCOEF", kKindPolynomialCoefficients),
      mcs(6, "POLYRSLT", kKindEquationResult),
      {"SET1", false, 0, "", 0, "", kKindSetUp},
      mcs(5, "FACTOR", kKindZoomFactorV5),
      mcs(254, "RANGE", kKindTableRangeV5),
      mcs(254, "RECRG", kKindRecursionRangeV5),
  };
  // Graph functions "1" to "30": names are compared as prefixes, so "1" also
  // takes "10" to "19", which have the same kind.
  for (int n = 1; n <= 30; ++n) rows.push_back({"MCS1", true, 2, std::to_string(n), 0, "", kKindGraphFunctionV5});
  for (const char* r : {"AN", "BN", "CN", "DN", "EN"}) rows.push_back(mcs(2, r, kKindRecursionFormulaV5));
  rows.push_back(mcs(4, "FMEM", kKindFunctionMemoryV5));
  rows.push_back(mcs(7, "PICT", kKindPictureV5));
  rows.push_back(group("DYNA", kKindDynamicGraphMemoryV5));
  rows.push_back(mcs(254, "GMEM", kKindGraphMemoryV5));
  rows.push_back(group("CAS", kKindCasMemory));
  rows.push_back(group("ALGEBRA", kKindAlgebraMemory));
  rows.push_back(group("DIFF_EQ", kKindDifferentialEquations));
  rows.push_back(group("E-CON", kKindDataLoggerSetUp));
  rows.push_back({"END1", false, 0, "", 0, "", kKindEndOfTransfer});
  rows.push_back({"MCS1", false, 0, "", 0, "", kKindOtherMemory});
  return rows;
}

const std::vector<NewRow>& newRows() {
  static const std::vector<NewRow> rows = buildNewRows();
  return rows;
}

bool matches(const NewRow& row, const BYTE* header) {
  if (!bytesEqual(header, kTagOffset, row.tag.data(), 4)) return false;
  if (!row.check) return true;
  if (header[kTypeOffset] != row.type) return false;
  if (!row.name.empty()) return bytesEqual(header, kNameOffset + row.nameOffset, row.name.data(), int(row.name.size()));
  if (!row.group.empty()) return bytesEqual(header, kGroupOffset, row.group.data(), int(row.group.size()));
  return true;
}

}  // namespace

int KindFromOldHeader(const BYTE* header, int length) {
  if (!header) return kKindUnknown;
  for (const OldRow& row : kOldRows) {
    if (row.headerLength != length || !bytesEqual(header, row.tagOffset, row.tag, row.tagLength)) continue;
    for (const OldCode& code : row.codes) {
      if (code.kind == kKindOldTableEnd) break;
      if (bytesEqual(header, code.offset, code.code, code.length)) return code.kind;
    }
  }
  return kKindUnknown;
}

int KindFromNewHeader(const BYTE* header) {
  if (!header) return kKindUnknown;
  for (const NewRow& row : newRows())
    if (matches(row, header)) return row.kind;
  return kKindUnknown;
}
