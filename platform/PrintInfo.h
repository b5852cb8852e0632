// CPrintInfo: what a print job tells the view printing it, and what the
// view tells the job back: the drawing rectangle of the page, the page
// being printed (counted from 1), the number of pages once the view knows
// it, and whether printing goes on.
#pragma once

#include "platform/WinTypes.h"

#include <QRect>

class CPrintInfo {
 public:
  void SetMaxPage(UINT maxPage) { maxPage_ = maxPage; }
  // 0xFFFF until the view sets it.
  UINT GetMaxPage() const { return maxPage_; }

  QRect m_rectDraw;
  UINT m_nCurPage = 1;
  BOOL m_bContinuePrinting = TRUE;

 private:
  UINT maxPage_ = 0xFFFF;
};
