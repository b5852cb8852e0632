#include "classlib/PlacementSettings.h"

#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/WinMessages.h"

#include <cstdio>
#include <limits>
#include <string>

namespace {

using tallix::settings::kSettings;
constexpr char kPosition[] = "WndPosition";
constexpr char kStatus[] = "WndStatus";

// Reads the numbers of "%u,%u,%d,..." one by one as the C library's scanner
// would (blanks before a number, an optional sign, digits; a ',' between
// them), without its undefined results for values out of range: those stop
// the reading. The count of numbers read.
int scanNumbers(const std::string& text, long long* values, int wanted) {
  size_t i = 0;
  for (int n = 0; n < wanted; ++n) {
    if (n > 0) {
      if (i >= text.size() || text[i] != ',') return n;
      ++i;
    }
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return n;
    long long v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      v = v * 10 + (text[i++] - '0');
      if (v > (1LL << 32)) return n;
    }
    values[n] = negative ? -v : v;
  }
  return wanted;
}

}  // namespace

BOOL LoadWindowPlacement(WINDOWPLACEMENT* out, int* showCmd) {
  *showCmd = SW_SHOWNORMAL;
  std::string text;
  AppGetProfileString(&text, kSettings, kPosition, nullptr);
  long long v[10];
  if (text.empty() || scanNumbers(text, v, 10) != 10) return FALSE;
  // The two unsigned fields take what "%u" takes (a sign wraps round); the
  // eight signed ones must fit.
  for (int i = 2; i < 10; ++i)
    if (v[i] < std::numeric_limits<LONG>::min() || v[i] > std::numeric_limits<LONG>::max()) return FALSE;
  WINDOWPLACEMENT wp;
  wp.length = sizeof(WINDOWPLACEMENT);
  wp.flags = UINT(v[0]);
  wp.showCmd = UINT(v[1]);
  wp.ptMinPosition = POINT{LONG(v[2]), LONG(v[3])};
  wp.ptMaxPosition = POINT{LONG(v[4]), LONG(v[5])};
  wp.rcNormalPosition = RECT{LONG(v[6]), LONG(v[7]), LONG(v[8]), LONG(v[9])};
  // An empty rectangle would open a window nobody can see or reach.
  if (wp.rcNormalPosition.right <= wp.rcNormalPosition.left || wp.rcNormalPosition.bottom <= wp.rcNormalPosition.top)
    return FALSE;
  *out = wp;
  const int status = AppGetProfileInt(kSettings, kStatus, 0);
  *showCmd = status == SW_SHOWMINIMIZED || status == SW_SHOWMAXIMIZED ? status : SW_SHOWNORMAL;
  return TRUE;
}

void SaveWindowPlacement(const WINDOWPLACEMENT* wp) {
  char text[160];
  std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", wp->flags, wp->showCmd, wp->ptMinPosition.x,
                wp->ptMinPosition.y, wp->ptMaxPosition.x, wp->ptMaxPosition.y, wp->rcNormalPosition.left,
                wp->rcNormalPosition.top, wp->rcNormalPosition.right, wp->rcNormalPosition.bottom);
  AppWriteProfileString(kSettings, kPosition, text);
  const int status = int(wp->showCmd);
  AppWriteProfileInt(kSettings, kStatus, status == SW_SHOWMINIMIZED || status == SW_SHOWMAXIMIZED ? status : SW_SHOWNORMAL);
}
