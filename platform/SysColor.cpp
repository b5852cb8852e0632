#include "platform/SysColor.h"

#include <QApplication>
#include <QPalette>

COLORREF GetSysColor(int index) {
  QPalette::ColorRole role;
  switch (index) {
    case COLOR_WINDOW: role = QPalette::Base; break;
    case COLOR_WINDOWTEXT: role = QPalette::Text; break;
    case COLOR_HIGHLIGHT: role = QPalette::Highlight; break;
    case COLOR_HIGHLIGHTTEXT: role = QPalette::HighlightedText; break;
    case COLOR_BTNFACE: role = QPalette::Button; break;
    case COLOR_BTNSHADOW: role = QPalette::Dark; break;
    case COLOR_GRAYTEXT: role = QPalette::PlaceholderText; break;
    case COLOR_BTNTEXT: role = QPalette::ButtonText; break;
    case COLOR_BTNHIGHLIGHT: role = QPalette::Light; break;
    case COLOR_3DDKSHADOW: role = QPalette::Shadow; break;
    case COLOR_3DLIGHT: role = QPalette::Midlight; break;
    case COLOR_INFOTEXT: role = QPalette::ToolTipText; break;
    case COLOR_INFOBK: role = QPalette::ToolTipBase; break;
    default: return 0;
  }
  return ColorRefFromQColor(QApplication::palette().color(QPalette::Active, role));
}
