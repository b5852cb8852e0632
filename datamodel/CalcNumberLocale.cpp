// The two user choices that shape number texts: the locale's decimal
// separator and the rounding setting.
#include "datamodel/CalcNumber.h"

#include "charset/Cp1252.h"
#include "classlib/ProfileSettings.h"

#include <QLocale>

#include <atomic>
#include <cstring>

namespace {

std::atomic<char> g_override{0};

// A separator must not be mistaken for a part of a number.
bool usableSeparator(int c) {
  if (c <= ' ' || c == 0x7F) return false;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
  return std::strchr("+-/;", c) == nullptr;
}

char localeSeparator() {
  const QString point = QLocale::system().decimalPoint();
  if (point.isEmpty()) return '.';
  const int c = tallix::unicodeToCp1252(point.at(0).unicode());
  return usableSeparator(c) ? static_cast<char>(c) : '.';
}

}  // namespace

char CalcNumberDecimalSeparator() {
  if (const char c = g_override.load(std::memory_order_relaxed)) return c;
  static const char fromLocale = localeSeparator();
  return fromLocale;
}

void SetCalcNumberDecimalSeparator(char separator) {
  g_override.store(usableSeparator(static_cast<unsigned char>(separator)) ? separator : 0,
                   std::memory_order_relaxed);
}

BOOL GetRoundTo10DigitsSetting() { return AppGetProfileInt("Settings", "Round to 10 Digits", 1) != 0 ? TRUE : FALSE; }
