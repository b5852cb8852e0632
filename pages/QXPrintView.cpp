#include "pages/QXPrintView.h"

#include "app/MainFrameFunctions.h"
#include "app/QXApp.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "charset/CalcCharset.h"
#include "classlib/ProfileSettings.h"
#include "pages/QXDataPage.h"
#include "pages/QXKindPrintViews.h"
#include "pages/QXPrintPreview.h"
#include "platform/AtomicFile.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/MulDiv.h"
#include "platform/PrintSystem.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>

#include <memory>
#include <new>
#include <optional>

namespace {

constexpr UINT kMsgNoMemory = 61706;
constexpr UINT kMsgCannotPrint = 61702;
constexpr UINT kMsgHandoverCancelled = 10590;
constexpr UINT kMsgJobAbandoned = 10591;
constexpr UINT kMsgServiceRefused = 10592;
constexpr UINT kStrPage = 61507;
constexpr UINT kCmdPrint = 57607;
constexpr UINT kCmdPrintPreview = 57609;
// The border, in points, that a page keeps at the least when its printer
// reports none (a PDF): a quarter of an inch, as printers leave.
constexpr qreal kLeastPrinterBorder = 18;

}  // namespace

const CMessageMap& CQXPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXPrintView>(CWnd::messageMap());
  return map;
}

CQXPrintView::CQXPrintView()
    : m_sendViewData([](void* request) { return SendGetViewData(request); }),
      m_bPrintHeader(AppGetProfileInt("Settings", "Print Header", 1) != 0),
      m_bPrintFooter(AppGetProfileInt("Settings", "Print Footer", 1) != 0) {
  hide();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    m_nScreenDpiX = qRound(screen->logicalDotsPerInchX());
    m_nScreenDpiY = qRound(screen->logicalDotsPerInchY());
  }
}

CQXPrintView::~CQXPrintView() = default;

void CQXPrintView::PrintBody(CDC*, CPrintInfo*) {}
void CQXPrintView::SetupPrintDC(CDC*, CPrintInfo*) {}
void CQXPrintView::BeginJob(CDC*, CPrintInfo*) {}
void CQXPrintView::EndJob(CDC*, CPrintInfo*) {}
BOOL CQXPrintView::PrepareJob(CPrintInfo*) { return TRUE; }
void CQXPrintView::EndPreviewJob(CDC*, CPrintInfo*) {}
BOOL CQXPrintView::FetchViewData() { return FALSE; }

BOOL CQXPrintView::RequestViewData(int kind, void* detail) {
  if (!m_sendViewData) return FALSE;
  QXViewDataRequest query;
  if (!m_sendViewData(&query) || query.kind != kind) return FALSE;
  QXViewDataRequest request{int(sizeof(QXViewDataRequest)), kind, detail};
  return m_sendViewData(&request);
}

QRect CQXPrintView::GetMarginRect(CDC* dc, const CPrintInfo* info) const {
  const int dpiX = dc->GetDeviceCaps(LOGPIXELSX), dpiY = dc->GetDeviceCaps(LOGPIXELSY);
  const QRect& r = info->m_rectDraw;
  return QRect(QPoint(r.left() + MulDiv(m_rcMargins.left, dpiX, 1440), r.top() + MulDiv(m_rcMargins.top, dpiY, 1440)),
               QPoint(r.right() - MulDiv(m_rcMargins.right, dpiX, 1440),
                      r.bottom() - MulDiv(m_rcMargins.bottom, dpiY, 1440)));
}

BOOL CQXPrintView::BeginPrinting(CDC* dc, CPrintInfo* info) {
  const int dpiY = dc->GetDeviceCaps(LOGPIXELSY);
  if (dc->GetDeviceCaps(LOGPIXELSX) <= 0 || dpiY <= 0) return FALSE;
  m_headerFont.CreatePointFont(100, QStringLiteral("Arial"));
  CFont* old = dc->SelectObject(&m_headerFont);
  m_nLineHeight = dc->GetTextExtent(QStringLiteral("JGH")).height();
  dc->SelectObject(old);
  m_rulePen.CreatePen(PS_SOLID, std::max(1, dpiY / 72), RGB(0, 0, 0));

  // The view lays its pages out knowing how much the header and the footer
  // take from each page.
  const QRect saved = info->m_rectDraw;
  info->m_rectDraw = QRect(QPoint(0, m_bPrintHeader ? 2 * m_nLineHeight : 0),
                           QPoint(0, m_bPrintFooter ? 2 * m_nLineHeight : 0));
  BeginJob(dc, info);
  info->m_rectDraw = saved;
  return TRUE;
}

void CQXPrintView::drawHeader(CDC* dc, CPrintInfo* info) {
  QRect& r = info->m_rectDraw;
  CFont* oldFont = dc->SelectObject(&m_headerFont);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  QRect band(r.left(), r.top(), r.width(), m_nLineHeight);
  dc->DrawText(m_strTitle, &band, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  band = QRect(r.left(), r.top(), r.width(), m_nLineHeight);
  dc->DrawText(m_strCaption, &band, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  CPen* oldPen = dc->SelectObject(&m_rulePen);
  const int y = r.top() + m_nLineHeight + m_nLineHeight / 4;
  dc->MoveTo(r.left(), y);
  dc->LineTo(r.right() + 1, y);
  dc->SelectObject(oldPen);
  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
  r.setTop(r.top() + 2 * m_nLineHeight);
}

void CQXPrintView::drawFooter(CDC* dc, const QRect& r, UINT page) {
  CFont* oldFont = dc->SelectObject(&m_headerFont);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  CPen* oldPen = dc->SelectObject(&m_rulePen);
  const int bottom = r.bottom() + 1;
  const int y = bottom - m_nLineHeight / 4 - m_nLineHeight;
  dc->MoveTo(r.left(), y);
  dc->LineTo(r.right() + 1, y);
  dc->SelectObject(oldPen);
  QRect band(r.left(), bottom - m_nLineHeight, r.width(), m_nLineHeight);
  QString text = CLanguageLibrary::LoadString(kStrPage);
  text.replace(QStringLiteral("%u"), QString::number(page));
  dc->DrawText(text, &band, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
}

void CQXPrintView::PrintPage(CDC* dc, CPrintInfo* info) {
  if (m_bPrintHeader) drawHeader(dc, info);
  const QRect whole = info->m_rectDraw;
  if (m_bPrintFooter) info->m_rectDraw.setBottom(info->m_rectDraw.bottom() - 2 * m_nLineHeight);
  const int saved = dc->SaveDC();
  PrintBody(dc, info);
  dc->RestoreDC(saved);
  if (m_bPrintFooter) drawFooter(dc, whole, info->m_nCurPage);
}

void CQXPrintView::EndPrinting(CDC* dc, CPrintInfo* info) {
  if (m_nMode == kModePreview) EndPreviewJob(dc, info);
  else EndJob(dc, info);
}

int CQXPrintView::RenderJob(QPainter* painter, const std::function<bool()>& newPage) {
  CDC dc(painter, true);
  const QRect page(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
  CPrintInfo info;
  info.m_rectDraw = page;
  if (!BeginPrinting(&dc, &info)) return 0;
  int printed = 0;
  for (info.m_nCurPage = 1; info.m_nCurPage <= info.GetMaxPage() && info.m_bContinuePrinting; ++info.m_nCurPage) {
    if (printed > 0) {
      if (newPage && !newPage()) break;
      // The painter may be a fresh one for the new page: it gets the DC's
      // pen, brush, font and mapping again.
      dc.RestoreDC(dc.SaveDC());
    }
    info.m_rectDraw = page;
    SetupPrintDC(&dc, &info);
    PrintPage(&dc, &info);
    ++printed;
  }
  EndPrinting(&dc, &info);
  return printed;
}

const CRuntimeClass* GetPrintViewClass() {
  QXViewDataRequest query;
  if (!SendGetViewData(&query)) return nullptr;
  return PrintViewClassOfKind(query.kind);
}

BOOL CanPrintCurrentItem() { return GetPrintViewClass() != nullptr; }

CQXPrintView* PreparePrintJob(CQXMainFrame* frame, int mode, QPrinter* printer) {
  const CRuntimeClass* cls = GetPrintViewClass();
  if (!cls || !frame) return nullptr;
  std::unique_ptr<CQXPrintView> view;
  try {
    view.reset(qobject_cast<CQXPrintView*>(CreateObject(cls)));
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kMsgNoMemory, MB_ICONSTOP);
    return nullptr;
  }
  if (!view) return nullptr;
  view->setParent(frame);
  view->hide();
  view->setProperty("ctrlId", CQXPrintView::kViewId);
  view->m_nMode = mode;
  if (auto* app = dynamic_cast<CQXApp*>(AfxGetApp())) view->m_rcMargins = app->m_rcPageMargin;
  CPrintInfo info;
  if (!view->PrepareJob(&info)) return nullptr;
  if (printer && (printer->logicalDpiX() <= 0 || printer->logicalDpiY() <= 0)) {
    AfxMessageBox(kMsgCannotPrint, MB_ICONSTOP);
    return nullptr;
  }
  TreeItemInfo item;
  item.mask = TreeItemInfo::kDescription;
  if (GetSelectedItemInfo(&item)) view->m_strTitle = CalcPlainText(item.description);
  view->m_strCaption = frame->windowTitle();
  return view.release();
}

CQXMinimumPrinterMargins::CQXMinimumPrinterMargins(QPrinter* printer)
    : printer_(printer), saved_(printer->pageLayout()) {
  QPageLayout layout = saved_;
  layout.setMode(QPageLayout::StandardMode);
  layout.setUnits(QPageLayout::Point);
  const QMarginsF least = layout.minimumMargins();
  const auto atLeast = [](qreal margin) { return std::max(margin, kLeastPrinterBorder); };
  layout.setMargins(QMarginsF(atLeast(least.left()), atLeast(least.top()), atLeast(least.right()), atLeast(least.bottom())));
  printer_->setPageLayout(layout);
}

CQXMinimumPrinterMargins::~CQXMinimumPrinterMargins() { printer_->setPageLayout(saved_); }

namespace {

// What the user is told when a job went nowhere.
struct JobMessage {
  QString text;
  UINT type = MB_ICONSTOP;
};

// Where a job's pages go as they are drawn. A job into a PDF file draws
// into a file beside it, which takes the file's place once whole. A job for
// a printer draws into a PDF spooled on the side, measured like the
// printer, which goes whole to the print service at the end (its own
// engine would send a cancelled job all the same). Destroyed before Finish,
// it leaves the file as it was and sends nothing.
class JobOutput {
 public:
  explicit JobOutput(QPrinter* printer) : printer_(printer), target_(printer->outputFileName()) {
    if (!target_.isEmpty()) {
      staged_ = std::make_unique<tallix::StagedFile>(target_);
      if (staged_->path().isEmpty()) return;
      printer_->setOutputFileName(staged_->path());
      device_ = printer_;
      return;
    }
    // A printer that writes no file of its own prints through the service.
    client_ = tallix::printSystemClient();
    if (client_.isEmpty() || !spoolDir_.isValid()) return;
    spool_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    spool_->setOutputFormat(QPrinter::PdfFormat);
    spool_->setOutputFileName(spoolDir_.filePath(QStringLiteral("job.pdf")));
    spool_->setResolution(printer->resolution());
    spool_->setFullPage(printer->fullPage());
    spool_->setPageLayout(printer->pageLayout());
    spool_->setColorMode(printer->colorMode());
    spool_->setDocName(printer->docName());
    spool_->setCreator(printer->creator());
    device_ = spool_.get();
  }
  ~JobOutput() {
    if (staged_) printer_->setOutputFileName(target_);
  }
  JobOutput(const JobOutput&) = delete;
  JobOutput& operator=(const JobOutput&) = delete;

  // What the pages are drawn on; null when the job has nowhere to go.
  QPrinter* device() const { return device_; }

  // After the last page: the file takes its place, or the job goes to the
  // print service while the printing dialog `progress` stays, its Cancel
  // ending the handover. Nothing when the job went where it was to go.
  std::optional<JobMessage> Finish(QWidget* progress) {
    if (spool_) return handOver(progress);
    QString error;
    if (staged_) {
      printer_->setOutputFileName(target_);
      if (staged_->Commit(&error)) return std::nullopt;
    }
    if (!error.isEmpty()) qWarning("print job: %s", qPrintable(error));
    return JobMessage{CLanguageLibrary::LoadString(kMsgCannotPrint)};
  }

 private:
  std::optional<JobMessage> handOver(QWidget* progress) {
    tallix::PrintHandover handover(client_, *printer_, spool_->outputFileName());
    tallix::onPrintingCancel(progress, &handover, [&handover] { handover.Cancel(); });
    switch (handover.Run()) {
      case tallix::PrintHandover::Done: return std::nullopt;
      case tallix::PrintHandover::Cancelled:
        return JobMessage{CLanguageLibrary::LoadString(kMsgHandoverCancelled), MB_ICONINFORMATION};
      case tallix::PrintHandover::TimedOut: return JobMessage{CLanguageLibrary::LoadString(kMsgJobAbandoned)};
      case tallix::PrintHandover::Failed: break;
    }
    if (handover.said().isEmpty()) return JobMessage{CLanguageLibrary::LoadString(kMsgCannotPrint)};
    return JobMessage{CLanguageLibrary::FormatMessage(kMsgServiceRefused, handover.said())};
  }

  QPrinter* printer_;
  QString target_;
  std::unique_ptr<tallix::StagedFile> staged_;
  QString client_;
  QTemporaryDir spoolDir_;
  std::unique_ptr<QPrinter> spool_;
  QPrinter* device_ = nullptr;
};

}  // namespace

BOOL RunPrintJob(CQXMainFrame* frame, QPrinter* printer, bool withDialog) {
  if (!printer) return FALSE;
  std::unique_ptr<CQXPrintView> view(PreparePrintJob(frame, CQXPrintView::kModePrint, printer));
  if (!view) return FALSE;
  if (withDialog) {
    QPrintDialog dialog(printer, frame);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted) return FALSE;
  }
  CQXMinimumPrinterMargins margins(printer);
  printer->setDocName(frame ? frame->windowTitle() : QString());
  if (printer->logicalDpiX() <= 0 || printer->logicalDpiY() <= 0) {
    AfxMessageBox(kMsgCannotPrint, MB_ICONSTOP);
    return FALSE;
  }
  // The printing dialog shows before the first page; its Cancel ends the
  // job whenever it comes, and the output then goes nowhere. Between pages
  // the windows handle their events, so they repaint while the pages go
  // out; the dialog stays while a printer's job is handed over.
  std::unique_ptr<QWidget> progress = tallix::showPrintingDialog(frame);
  bool cancelled = false;
  tallix::onPrintingCancel(progress.get(), progress.get(), [&cancelled] { cancelled = true; });
  const auto goOn = [&cancelled] {
    QCoreApplication::processEvents();
    return !cancelled;
  };
  if (!goOn()) return FALSE;
  JobOutput output(printer);
  QPrinter* device = output.device();
  QPainter painter;
  if (!device || !painter.begin(device)) {
    progress.reset();
    AfxMessageBox(kMsgCannotPrint, MB_ICONSTOP);
    return FALSE;
  }
  bool failed = false;
  view->RenderJob(&painter, [&] {
    if (!goOn()) return false;
    failed = !device->newPage();
    return !failed;
  });
  failed = !painter.end() || failed;
  if (!goOn()) return FALSE;
  const std::optional<JobMessage> end =
      failed ? JobMessage{CLanguageLibrary::LoadString(kMsgCannotPrint)} : output.Finish(progress.get());
  progress.reset();
  if (end) {
    AfxMessageBox(end->text, end->type);
    return FALSE;
  }
  return TRUE;
}

void PrintCurrentItem(CQXMainFrame* frame, UINT command) {
  // Nothing to print asks no one.
  if (!frame || !AfxGetApp() || !GetPrintViewClass()) return;
  QPrinter* printer = AfxGetApp()->GetPrinterIfServiceAnswers();
  if (!printer) return;
  if (command == kCmdPrintPreview) {
    StartPrintPreview(frame, printer);
    return;
  }
  RunPrintJob(frame, printer, command == kCmdPrint);
}
