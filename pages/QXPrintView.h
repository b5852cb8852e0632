// CQXPrintView: printing and previewing what the open page shows. The page
// tells its print kind through "MSG_QXGetViewData"; the view class of that
// kind (QXKindPrintViews.h) fetches the page's control or bitmap into a
// hidden window of its own (a child of the main frame) and prints it page
// by page between a header and a footer, inside the user's page margins.
//
// The view is its own print job: one loop (RenderJob) serves printing and
// the preview, so both break the pages alike. Per page the job sets the
// drawing rectangle to the whole printable area, lets the view prepare the
// device (SetupPrintDC), draws the header, the body (PrintBody, in the
// rectangle left between header and footer) and the footer; it stops after
// the last page, when the view ends printing, or when a page made no
// progress (a view that cannot tell its page count clears
// m_bContinuePrinting).
#pragma once

#include "platform/DC.h"
#include "platform/PrintInfo.h"
#include "platform/RuntimeClass.h"
#include "platform/Wnd.h"

#include <QPageLayout>
#include <QString>

#include <functional>

class CQXMainFrame;
class QPainter;
class QPrinter;

class CQXPrintView : public CWnd {
  Q_OBJECT

 public:
  enum : int { kModePreview = 1, kModePrint = 2 };
  static constexpr UINT kViewId = 0xE900;

  CQXPrintView();
  ~CQXPrintView() override;
  DECLARE_MESSAGE_MAP()

  // Overridable steps of a job, each called on the kind view.
  virtual void PrintBody(CDC* dc, CPrintInfo* info);
  virtual void SetupPrintDC(CDC* dc, CPrintInfo* info);
  // Sees the header's and the footer's heights as the drawing rectangle's
  // top and bottom (0 when they are off).
  virtual void BeginJob(CDC* dc, CPrintInfo* info);
  virtual void EndJob(CDC* dc, CPrintInfo* info);
  // Fetches the page's data before the job starts; FALSE ends it.
  virtual BOOL PrepareJob(CPrintInfo* info);
  virtual void EndPreviewJob(CDC* dc, CPrintInfo* info);
  virtual BOOL FetchViewData();

  // The job: header font, rule pen and the view's own layout
  // (BeginPrinting), one page (PrintPage), the end (EndPrinting).
  BOOL BeginPrinting(CDC* dc, CPrintInfo* info);
  void PrintPage(CDC* dc, CPrintInfo* info);
  void EndPrinting(CDC* dc, CPrintInfo* info);
  // Runs the whole job on `painter`'s device; `newPage` starts each page
  // after the first and may refuse (the user cancelled). It may also begin
  // `painter` again on another device of the same measures. The number of
  // pages drawn.
  int RenderJob(QPainter* painter, const std::function<bool()>& newPage);

  // The page's drawing rectangle shrunk by the page margins (twips turned
  // into the device's pixels).
  QRect GetMarginRect(CDC* dc, const CPrintInfo* info) const;

  // Sends the page a data request through the main frame's content view;
  // tests put a stand-in here.
  std::function<BOOL(void*)> m_sendViewData;
  // Asks the page for its print kind, then for `detail` when that is
  // `kind`.
  BOOL RequestViewData(int kind, void* detail);

  int m_nMode = kModePrint;
  BOOL m_bPrintHeader = TRUE;
  BOOL m_bPrintFooter = TRUE;
  QString m_strTitle;    // the selected entry's description
  QString m_strCaption;  // the main window's caption
  RECT m_rcMargins{};    // left, top, right, bottom in twips
  int m_nScreenDpiX = 96;
  int m_nScreenDpiY = 96;
  CFont m_headerFont;
  int m_nLineHeight = 0;
  CPen m_rulePen;

 protected:
  void drawHeader(CDC* dc, CPrintInfo* info);
  void drawFooter(CDC* dc, const QRect& rect, UINT page);
};

// The view class of the print kind of the content view's page, or null.
const CRuntimeClass* GetPrintViewClass();
BOOL CanPrintCurrentItem();
// Prints (57607 with the print dialog, 57608 on the application's printer
// without one) or previews (57609) the current item in `frame`.
void PrintCurrentItem(CQXMainFrame* frame, UINT command);
// A job of the current item's kind, made for `frame` and ready to run
// (fetched, title and margins taken), or null after telling the user why.
CQXPrintView* PreparePrintJob(CQXMainFrame* frame, int mode, QPrinter* printer);
// The whole print run on `printer` (its page margins set to the minimum
// while it runs); FALSE when nothing was printed. `withDialog` shows the
// print dialog first. The printing dialog's Cancel ends the job with
// nothing sent to the printer and no file written.
BOOL RunPrintJob(CQXMainFrame* frame, QPrinter* printer, bool withDialog);

// The printer's page margins at their least while a job runs (the user's
// margins are in the page setup's layout of the printer): header, footer
// and body place themselves by the user's margins. A printer that reports
// no unprintable border (a PDF) still gets a quarter of an inch, so header
// and footer keep off the paper's edge.
class CQXMinimumPrinterMargins {
 public:
  explicit CQXMinimumPrinterMargins(QPrinter* printer);
  ~CQXMinimumPrinterMargins();
  CQXMinimumPrinterMargins(const CQXMinimumPrinterMargins&) = delete;
  CQXMinimumPrinterMargins& operator=(const CQXMinimumPrinterMargins&) = delete;

 private:
  QPrinter* printer_;
  QPageLayout saved_;
};
