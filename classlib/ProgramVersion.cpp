#include "classlib/ProgramVersion.h"

#include "platform/ByteOrder.h"

#include <cstring>

// The build passes the project version's four numbers.
#ifndef TALLIX_VERSION_MAJOR
#error "the build defines TALLIX_VERSION_MAJOR, _MINOR, _PATCH and _TWEAK"
#endif

BOOL GetProgramVersion(VS_FIXEDFILEINFO* out) {
  if (!out) return FALSE;
  const DWORD ms = DWORD(TALLIX_VERSION_MAJOR) << 16 | DWORD(TALLIX_VERSION_MINOR);
  const DWORD ls = DWORD(TALLIX_VERSION_PATCH) << 16 | DWORD(TALLIX_VERSION_TWEAK);
  *out = {0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 0x40004, 1, 0, 0, 0};
  return TRUE;
}

namespace {
constexpr WORD kShippedLanguage = 0x0800;
constexpr WORD kShippedCodePage = 1250;
WORD g_language = kShippedLanguage;
}  // namespace

BOOL GetProgramTranslation(VersionTranslation* out) {
  if (!out) return FALSE;
  *out = {g_language, kShippedCodePage};
  return TRUE;
}

void SetProgramTranslationLanguage(WORD language) { g_language = language ? language : kShippedLanguage; }

void StoreVersionRecord(const VS_FIXEDFILEINFO& info, BYTE out[kVersionRecordSize]) {
  DWORD values[kVersionRecordSize / 4];
  std::memcpy(values, &info, sizeof values);
  for (UINT i = 0; i < kVersionRecordSize / 4; ++i) PutLittleEndian32(out + 4 * i, values[i]);
}

void LoadVersionRecord(const BYTE in[kVersionRecordSize], VS_FIXEDFILEINFO* out) {
  DWORD values[kVersionRecordSize / 4];
  for (UINT i = 0; i < kVersionRecordSize / 4; ++i) values[i] = GetLittleEndian32(in + 4 * i);
  std::memcpy(out, values, sizeof values);
}
