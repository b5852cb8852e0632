#include "datamodel/QXHeaderFields.h"

#include <algorithm>

namespace {

struct KindCodes {
  const char* kind;
  const char* codes[10];
};

const KindCodes kKinds[] = {
    {"TXT", {"PG", "FM"}},
    {"FNC", {"GF", "RF"}},
    {"VAL", {"MT", "LT", "WD", "FT", "TR", "RR", "SE", "PE", "VM"}},
    {"IMG", {"PC"}},
    {"MEM", {"GM", "DM", "BU"}},
};

const char* const kGroups[] = {
    "Y=Data", "File 1", "File 2", "File 3", "File 4", "File 5", "File 6", "F\x99Mem",
    "V\x99Win1", "V\x99Win2", "V\x99Win3", "V\x99Win4", "V\x99Win5", "V\x99Win6", "Equation", "Variable",
};

bool same(const BYTE* bytes, const char* text, size_t n) { return std::memcmp(bytes, text, n) == 0; }

bool isColour(const BYTE* p) { return same(p, "BL", 2) || same(p, "OR", 2) || same(p, "GN", 2); }
bool isState(const BYTE* p) { return same(p, "SL", 2) || same(p, "NS", 2); }

}  // namespace

void StartOldHeader(BYTE* header, const char* kind) {
  std::memset(header, kUnsetByte, kOldHeaderLength);
  std::memcpy(header + 1, kind, 3);
}

BOOL HasOldHeaderKind(const BYTE* header, const char* kind) { return same(header + 1, kind, 3); }

BOOL IsGroupName(const std::string& text) {
  return std::any_of(std::begin(kGroups), std::end(kGroups), [&](const char* g) { return text == g; });
}

BOOL CQXGroupField::Accepts(const BYTE* run) const {
  size_t n = 0;
  while (n < 8 && run[n] != kUnsetByte) ++n;
  return n == 0 || IsGroupName(std::string(reinterpret_cast<const char*>(run), n));
}

BOOL CQXRelationField::IsRelation(BYTE b) { return b == '=' || b == '>' || b == '<' || b == 0x12 || b == 0x10; }

BOOL CQXRelationField::Set(BYTE relation) {
  if (!IsRelation(relation)) return FALSE;
  m_bytes[0] = relation;
  return TRUE;
}

BOOL CQXReservedField::Accepts(const BYTE* run) const {
  return std::all_of(run, run + 8, [](BYTE b) { return b == kUnsetByte; });
}

BOOL CQXProgModeField::Accepts(const BYTE* run) const {
  return same(run, "NL", 2) || same(run, "BN", 2) || (run[0] == kUnsetByte && run[1] == kUnsetByte);
}

BOOL CQXProgModeField::Set(const char* text) {
  const size_t n = text ? std::strlen(text) : 0;
  if (n > 8) return FALSE;
  std::array<BYTE, 8> bytes;
  bytes.fill(kUnsetByte);
  if (n) std::memcpy(bytes.data(), text, n);
  if (!Accepts(bytes.data())) return FALSE;
  m_bytes = bytes;
  return TRUE;
}

CQXKindField::CQXKindField() {
  m_kind.fill(kUnsetByte);
  m_code.fill(kUnsetByte);
}

BOOL CQXKindField::IsKindAndCode(const BYTE* kind, const BYTE* code) {
  for (const KindCodes& k : kKinds) {
    if (!same(kind, k.kind, 3)) continue;
    for (const char* c : k.codes)
      if (c && same(code, c, 2)) return TRUE;
    return FALSE;
  }
  return FALSE;
}

BOOL CQXKindField::Set(const char* kind, const char* code) {
  if (!kind || !code || std::strlen(kind) != 3 || std::strlen(code) != 2) return FALSE;
  const BYTE* k = reinterpret_cast<const BYTE*>(kind);
  const BYTE* c = reinterpret_cast<const BYTE*>(code);
  if (!IsKindAndCode(k, c)) return FALSE;
  std::copy(k, k + 3, m_kind.begin());
  std::copy(c, c + 2, m_code.begin());
  return TRUE;
}

int CQXKindField::ReadHeader(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !IsKindAndCode(header + 1, header + 5)) return 0;
  std::copy(header + 1, header + 4, m_kind.begin());
  std::copy(header + 5, header + 7, m_code.begin());
  return 1;
}

int CQXKindField::WriteHeader(BYTE* header, int length) {
  if (!IsOldHeader(header, length)) return 0;
  std::copy(m_code.begin(), m_code.end(), header + 5);
  return 1;
}

BOOL CQXKindField::Matches(const BYTE* header, int length) const {
  return IsOldHeader(header, length) && std::equal(m_code.begin(), m_code.end(), header + 5);
}

std::string CQXKindField::GetKind() const { return std::string(m_kind.begin(), m_kind.end()); }
std::string CQXKindField::GetCode() const { return std::string(m_code.begin(), m_code.end()); }

CQXGraphStyleField::CQXGraphStyleField() {
  m_code.fill(kUnsetByte);
  m_style.fill(kUnsetByte);
}

BOOL CQXGraphStyleField::IsValidStyle(const BYTE* code, const BYTE* style) {
  if (same(code, "GF", 2)) {
    static const char* const kTypes[] = {"GR", "DY", "GT"};
    for (int t = 0; t < 3; ++t) {
      const BYTE* triple = style + 6 * t;
      if (!same(triple, kTypes[t], 2) || !isColour(triple + 2) || !isState(triple + 4)) return FALSE;
    }
    return TRUE;
  }
  if (same(code, "RF", 2))
    return same(style, "RT", 2) && isColour(style + 2) && isState(style + 4) &&
           (same(style + 8, "a0", 2) || same(style + 8, "a1", 2));
  return FALSE;
}

BOOL CQXGraphStyleField::SetDefault(const char* code) {
  std::array<BYTE, kStyleLength> style;
  style.fill(kUnsetByte);
  if (code && std::strcmp(code, "GF") == 0)
    std::memcpy(style.data(), "GRBLNSDYBLNSGTBLNS", kStyleLength);
  else if (code && std::strcmp(code, "RF") == 0)
    std::memcpy(style.data(), "RTBLNS\xFF\xFF" "a0", 10);
  else
    return FALSE;
  m_code = {BYTE(code[0]), BYTE(code[1])};
  m_style = style;
  return TRUE;
}

BOOL CQXGraphStyleField::Get(BYTE* buffer, UINT size) const {
  if (!buffer || size < UINT(kStyleLength)) return FALSE;
  std::copy(m_style.begin(), m_style.end(), buffer);
  return TRUE;
}

BOOL CQXGraphStyleField::Set(const BYTE* style) {
  if (!style || !IsValidStyle(m_code.data(), style)) return FALSE;
  std::copy(style, style + kStyleLength, m_style.begin());
  return TRUE;
}

int CQXGraphStyleField::ReadHeader(const BYTE* header, int length) {
  if (!IsOldHeader(header, length) || !IsValidStyle(header + 5, header + kStyleOffset)) return 0;
  std::copy(header + 5, header + 7, m_code.begin());
  std::copy(header + kStyleOffset, header + kStyleOffset + kStyleLength, m_style.begin());
  return 1;
}

int CQXGraphStyleField::WriteHeader(BYTE* header, int length) {
  if (!IsOldHeader(header, length)) return 0;
  std::copy(m_style.begin(), m_style.end(), header + kStyleOffset);
  return 1;
}
