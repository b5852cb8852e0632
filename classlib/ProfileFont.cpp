#include "classlib/ProfileFont.h"

#include "classlib/ProfileSettings.h"

#include <vector>

namespace {

constexpr DWORD kLogFontMarker = 60;
constexpr size_t kLogFontOffset = 8;

void putDword(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = BYTE(v >> (8 * i));
}

DWORD getDword(const BYTE* p) {
  DWORD v = 0;
  for (int i = 0; i < 4; ++i) v |= DWORD(p[i]) << (8 * i);
  return v;
}

BOOL writeRecord(const LOGFONT* font, UINT size, const char* section, const char* key) {
  if (!font) return FALSE;
  std::vector<BYTE> record(size, 0);
  putDword(record.data(), size);
  putDword(record.data() + 4, kLogFontMarker);
  tallix::logFontToBytes(*font, record.data() + kLogFontOffset);
  return AppWriteProfileBinary(section, key, record.data(), size);
}

// `trailerOffset` is the dword that must be 0.
BOOL readRecord(LOGFONT* out, UINT size, size_t trailerOffset, const char* section, const char* key) {
  std::vector<BYTE> record;
  if (!out || !tallix::profileBinary(section, key, &record)) return FALSE;
  if (record.size() != size || getDword(record.data() + 4) != kLogFontMarker ||
      getDword(record.data() + trailerOffset) != 0)
    return FALSE;
  *out = tallix::logFontFromBytes(record.data() + kLogFontOffset);
  return TRUE;
}

}  // namespace

BOOL WriteProfileFont(const LOGFONT* font, int /*reserved*/, const char* section, const char* key) {
  return writeRecord(font, kProfileFontRecordSize, section, key);
}

BOOL ReadProfileFont(LOGFONT* out, const char* section, const char* key) {
  return readRecord(out, kProfileFontRecordSize, 72, section, key);
}

BOOL WriteProfileFontShort(const LOGFONT* font, const char* section, const char* key) {
  return writeRecord(font, kProfileFontShortRecordSize, section, key);
}

BOOL ReadProfileFontShort(LOGFONT* out, const char* section, const char* key) {
  return readRecord(out, kProfileFontShortRecordSize, 68, section, key);
}
