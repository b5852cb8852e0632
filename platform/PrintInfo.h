// CPrintInfo (interim): the print job's page numbers and drawing rectangle.
#pragma once

#include "platform/WinTypes.h"

#include <QRect>

class CPrintInfo {
 public:
  void SetMaxPage(UINT page) { maxPage_ = page; }
  UINT GetMaxPage() const { return maxPage_; }

  QRect m_rectDraw;
  UINT m_nCurPage = 1;
  BOOL m_bContinuePrinting = TRUE;

 private:
  UINT maxPage_ = 0xFFFF;
};
