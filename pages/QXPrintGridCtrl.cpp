#include "pages/QXPrintGridCtrl.h"

#include "platform/RuntimeClass.h"

#include <QPainter>

#include <cmath>

const CMessageMap& CQXPrintGridCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXPrintGridCtrl>(CQXGridCtrl::messageMap());
  return map;
}

CQXPrintGridCtrl::CQXPrintGridCtrl(QWidget* parent) : CQXGridCtrl(0, 0, 0, 0, parent) {
  static const bool registered = (RegisterRuntimeClass(RUNTIME_CLASS(CQXPrintGridCtrl)), true);
  (void)registered;
}

std::vector<int> CQXPrintGridCtrl::pageStarts() const {
  std::vector<int> starts;
  int sum = 0;
  for (int r = GetFixedRowCount(); r < GetRowCount(); ++r) {
    const int h = GetRowHeight(r);
    // A row that does not fit starts the next page; a page holds at least
    // one row however tall it is.
    if (starts.empty() || (sum > 0 && sum + h > m_rowsHeightPerPage)) {
      starts.push_back(r);
      sum = 0;
    }
    sum += h;
  }
  return starts;
}

BOOL CQXPrintGridCtrl::PreparePrintLayout(CDC* dc, CPrintInfo* info) {
  if (!dc || !info || GetDataRowCount() <= 0) return FALSE;
  const int printerX = dc->GetDeviceCaps(LOGPIXELSX), printerY = dc->GetDeviceCaps(LOGPIXELSY);
  const int screenX = logicalDpiX(), screenY = logicalDpiY();
  if (printerX <= 0 || printerY <= 0 || screenX <= 0 || screenY <= 0) return FALSE;
  m_horzScale = double(printerX) / screenX;
  m_vertScale = double(printerY) / screenY;

  m_printableWidth = dc->GetDeviceCaps(HORZRES) - (m_margins.left() + m_margins.right()) * printerX / 1440;
  m_printableHeight = dc->GetDeviceCaps(VERTRES) - (m_margins.top() + m_margins.bottom()) * printerY / 1440;
  m_pageWidth = int(m_printableWidth / m_horzScale);
  m_pageHeight = int(m_printableHeight / m_vertScale);
  // A new job has no header rows printed yet.
  m_headerRowHeight = 0;
  // The job's drawing rectangle gives the header band as its top and the
  // footer band as its bottom: rows keep clear of both.
  const int bands = std::max(0, info->m_rectDraw.top()) + std::max(0, info->m_rectDraw.bottom());
  m_rowsHeightPerPage = m_pageHeight - int((bands + m_headerRowHeight) / m_vertScale) - GetFixedRowHeight();

  info->SetMaxPage(UINT(pageStarts().size()));
  info->m_nCurPage = 1;

  // One point on the screen, in grid units: the page mapping scales it.
  m_horzPen = std::make_unique<CPen>(PS_SOLID, std::max(1, screenX / 72), RGB(0, 0, 0));
  m_vertPen = std::make_unique<CPen>(PS_SOLID, std::max(1, screenY / 72), RGB(0, 0, 0));
  return TRUE;
}

void CQXPrintGridCtrl::ReleasePrintPens() {
  m_horzPen.reset();
  m_vertPen.reset();
}

void CQXPrintGridCtrl::drawLines(CDC* dc, const QRect& cell, bool firstRow, bool firstColumn) {
  // `cell` spans the whole cell, its grid line included.
  const int lines = GetGridLines();
  const int right = cell.left() + cell.width() - 1, bottom = cell.top() + cell.height() - 1;
  if ((lines & 1) && m_horzPen) {
    CPen* old = dc->SelectObject(m_horzPen.get());
    dc->MoveTo(cell.left(), bottom);
    dc->LineTo(right + 1, bottom);
    if (firstRow) {
      dc->MoveTo(cell.left(), cell.top());
      dc->LineTo(right + 1, cell.top());
    }
    dc->SelectObject(old);
  }
  if ((lines & 2) && m_vertPen) {
    CPen* old = dc->SelectObject(m_vertPen.get());
    dc->MoveTo(right, cell.top());
    dc->LineTo(right, bottom + 1);
    if (firstColumn) {
      dc->MoveTo(cell.left(), cell.top());
      dc->LineTo(cell.left(), bottom + 1);
    }
    dc->SelectObject(old);
  }
}

void CQXPrintGridCtrl::DrawPrintHeaderCells(CDC* dc, CPrintInfo*, int pageWidth) {
  if (!dc) return;
  int y = 0;
  for (int r = 0; r < GetFixedRowCount(); ++r) {
    const int h = GetRowHeight(r);
    int x = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
      const int w = GetColumnWidth(c);
      if (x + w > pageWidth) break;
      const QRect cell(x, y, w, h);
      DrawFixedCell(dc, r, c, cell.adjusted(0, 0, -1, -1));
      drawLines(dc, cell, r == 0, c == 0);
      x += w;
    }
    y += h;
  }
}

void CQXPrintGridCtrl::PrintGridPage(CDC* dc, CPrintInfo* info) {
  if (!dc || !info || m_horzScale <= 0 || m_vertScale <= 0 || m_pageWidth <= 0 || m_pageHeight <= 0) return;
  const std::vector<int> starts = pageStarts();
  const int saved = dc->SaveDC();
  dc->SetMapMode(MM_ANISOTROPIC);
  dc->SetWindowExt(QSize(m_pageWidth, m_pageHeight));
  dc->SetViewportExt(QSize(m_printableWidth, m_printableHeight));
  const int left = int(std::lround(info->m_rectDraw.left() / m_horzScale));
  const int top = int(std::lround(info->m_rectDraw.top() / m_vertScale));
  dc->SetWindowOrg(QPoint(-left, -top));

  // The header rows, kept in printer pixels for the job.
  const int fixedHeight = GetFixedRowHeight();
  m_headerRowHeight = int(std::lround(fixedHeight * m_vertScale));
  DrawPrintHeaderCells(dc, info, m_pageWidth);
  dc->SetWindowOrg(QPoint(-left, -top - fixedHeight));

  const size_t page = info->m_nCurPage >= 1 ? size_t(info->m_nCurPage - 1) : 0;
  if (page < starts.size()) {
    const int end = page + 1 < starts.size() ? starts[page + 1] : GetRowCount();
    QPainter* painter = dc->GetPainter();
    // Without room for rows under the headers the row still prints, over
    // the page.
    const int room = m_rowsHeightPerPage > 0 ? m_rowsHeightPerPage : m_pageHeight;
    int y = 0;
    for (int r = starts[page]; r < end; ++r) {
      const int h = GetRowHeight(r);
      // A row taller than the room left is clipped at the page's end.
      const bool clip = y + h > room;
      if (clip) {
        painter->save();
        painter->setClipRect(QRect(0, y, m_pageWidth, std::max(0, room - y)), Qt::IntersectClip);
      }
      int x = 0;
      for (int c = 0; c < GetColumnCount(); ++c) {
        const int w = GetColumnWidth(c);
        if (x + w > m_pageWidth) break;
        const QRect cell(x, y, w, h);
        if (c < GetFixedColumnCount())
          DrawFixedCell(dc, r, c, cell.adjusted(0, 0, -1, -1));
        else
          DrawCell(dc, r, c, cell.adjusted(0, 0, -1, -1));
        drawLines(dc, cell, r == starts[page] && GetFixedRowCount() == 0, c == 0);
        x += w;
      }
      if (clip) painter->restore();
      y += h;
    }
  }
  dc->RestoreDC(saved);
}
