#include "platform/SysColor.h"

#include <QGuiApplication>
#include <QPalette>

COLORREF GetSysColor(int index) {
  const QPalette palette = QGuiApplication::palette();
  switch (index) {
    case COLOR_WINDOW: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::Base));
    case COLOR_WINDOWTEXT: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::Text));
    case COLOR_HIGHLIGHT: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::HighlightedText));
    case COLOR_BTNFACE: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::Button));
    case COLOR_BTNSHADOW: return ColorRefFromQColor(palette.color(QPalette::Active, QPalette::Dark));
    default: return RGB(0, 0, 0);
  }
}
