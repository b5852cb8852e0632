#include "classlib/PictureColors.h"

#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/ByteOrder.h"

#include <vector>

namespace {

using tallix::settings::kColors;

COLORREF get(const char* key, COLORREF defaultValue) {
  return COLORREF(AppGetProfileInt(kColors, key, int(defaultValue)));
}
void set(const char* key, COLORREF value) { AppWriteProfileInt(kColors, key, int(value)); }

}  // namespace

COLORREF GetGreenColor() { return get("Green", 0x00FF00); }
void SetGreenColor(COLORREF color) { set("Green", color); }
COLORREF GetBlueColor() { return get("Blue", 0xFF0000); }
void SetBlueColor(COLORREF color) { set("Blue", color); }
COLORREF GetOrangeColor() { return get("Orange", 0x0000FF); }
void SetOrangeColor(COLORREF color) { set("Orange", color); }
COLORREF GetBWColor() { return get("BW", 0x000000); }
void SetBWColor(COLORREF color) { set("BW", color); }
COLORREF GetBackgroundColor() { return get("Background", 0xFFFFFF); }
void SetBackgroundColor(COLORREF color) { set("Background", color); }
COLORREF GetBackgroundBWColor() { return get("Background BW", 0xFFFFFF); }
void SetBackgroundBWColor(COLORREF color) { set("Background BW", color); }

BOOL GetCustomColors(COLORREF out[kCustomColorCount]) {
  std::vector<BYTE> bytes;
  if (!tallix::profileBinary(kColors, "Custom Colors", &bytes) || bytes.size() != 4 * kCustomColorCount) return FALSE;
  for (int i = 0; i < kCustomColorCount; ++i) out[i] = GetLittleEndian32(bytes.data() + 4 * i);
  return TRUE;
}

void SetCustomColors(const COLORREF colors[kCustomColorCount]) {
  BYTE bytes[4 * kCustomColorCount];
  for (int i = 0; i < kCustomColorCount; ++i) PutLittleEndian32(bytes + 4 * i, colors[i]);
  AppWriteProfileBinary(kColors, "Custom Colors", bytes, sizeof bytes);
}

COLORREF GetOrangeMin() { return get("Orange min", 0x00005A); }
COLORREF GetOrangeMax() { return get("Orange max", 0x9696FF); }
void SetOrangeRange(COLORREF min, COLORREF max) {
  set("Orange min", min);
  set("Orange max", max);
}
COLORREF GetBlueMin() { return get("Blue min", 0x000000); }
COLORREF GetBlueMax() { return get("Blue max", 0xFF9696); }
void SetBlueRange(COLORREF min, COLORREF max) {
  set("Blue min", min);
  set("Blue max", max);
}
COLORREF GetGreenMin() { return get("Green min", 0x005A00); }
COLORREF GetGreenMax() { return get("Green max", 0x96FF96); }
void SetGreenRange(COLORREF min, COLORREF max) {
  set("Green min", min);
  set("Green max", max);
}
COLORREF GetBackgroundMin() { return get("Background min", 0xFFFFFF); }
COLORREF GetBackgroundMax() { return get("Background max", 0xFFFFFF); }

BOOL IsColorInRange(COLORREF color, COLORREF min, COLORREF max) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const BYTE c = BYTE(color >> shift), lo = BYTE(min >> shift), hi = BYTE(max >> shift);
    if (c < lo || c > hi) return FALSE;
  }
  return TRUE;
}
