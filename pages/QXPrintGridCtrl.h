// CQXPrintGridCtrl: a grid that prints itself page by page. The print view
// copies the page's grid into it, lays the pages out for the printer once
// per job, prints one page at a time and lets go of its pens at the end.
//
// Grid units are the screen pixels the grid is measured in; a page maps
// them onto the printable area at the ratio of printer to screen
// resolution (a real ratio, so a 600 dpi page is not printed 4% small and
// a coarse printer does not get blank pages). Data rows are broken into
// pages by their heights; a page holds at least one row, clipped when it
// is taller than the page. Columns past the page width are not printed.
#pragma once

#include "pages/QXGridCtrl.h"
#include "platform/DC.h"
#include "platform/PrintInfo.h"

#include <memory>

class CQXPrintGridCtrl : public CQXGridCtrl {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXPrintGridCtrl(QWidget* parent = nullptr);
  DECLARE_MESSAGE_MAP()

  // Measures the printer, counts the pages (the job's last page; its
  // current page becomes 1) and makes the pens. FALSE, nothing prepared,
  // without a DC, a job or data rows, or for a resolution that cannot be
  // read. The job's drawing rectangle holds the header band's height as
  // its top and the footer band's as its bottom.
  virtual BOOL PreparePrintLayout(CDC* dc, CPrintInfo* info);
  // Prints the job's current page: the header rows, then that page's rows.
  virtual void PrintGridPage(CDC* dc, CPrintInfo* info);
  virtual void ReleasePrintPens();
  // The fixed rows, with the columns that fit `pageWidth`.
  virtual void DrawPrintHeaderCells(CDC* dc, CPrintInfo* info, int pageWidth);

  // Margins in twips, reserved on the printed page.
  void SetPrintMargins(const QRect& twips) { m_margins = twips; }

  double GetHorzScale() const { return m_horzScale; }
  double GetVertScale() const { return m_vertScale; }
  int GetRowsHeightPerPage() const { return m_rowsHeightPerPage; }
  int GetPageWidth() const { return m_pageWidth; }
  int GetPageHeight() const { return m_pageHeight; }
  int GetPrintableWidth() const { return m_printableWidth; }
  int GetPrintableHeight() const { return m_printableHeight; }
  // The header rows' height of the job in printer pixels (known once a
  // page was printed).
  int GetHeaderRowHeight() const { return m_headerRowHeight; }
  BOOL HasPrintPens() const { return m_horzPen != nullptr; }

 private:
  // The first data row of each page.
  std::vector<int> pageStarts() const;
  void drawLines(CDC* dc, const QRect& cell, bool firstRow, bool firstColumn);

  double m_horzScale = 0;
  double m_vertScale = 0;
  std::unique_ptr<CPen> m_horzPen;
  std::unique_ptr<CPen> m_vertPen;
  int m_rowsHeightPerPage = 0;
  int m_pageWidth = 0;
  int m_pageHeight = 0;
  int m_printableWidth = 0;
  int m_printableHeight = 0;
  QRect m_margins;  // left, top, right, bottom in twips
  int m_headerRowHeight = 0;
};
