#include "pages/QXPrintPreview.h"

#include "app/QXMainFrame.h"
#include "pages/QXPrintView.h"
#include "platform/Accelerators.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/View.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QToolBar>

namespace {

constexpr UINT kDlgPreviewBar = 30723;
constexpr UINT kAccelPreview = 30997;
constexpr UINT kMsgCommandFailed = 61705;
constexpr UINT kStrIdle = 57345;
constexpr UINT kCmdFilePrint = 57607;

void closePreviewOf(CFrameWnd* frame) {
  if (CQXPrintPreviewWnd* preview = CQXPrintPreviewWnd::Of(frame)) preview->Close();
}

}  // namespace

const CMessageMap& CQXPrintPreviewWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXPrintPreviewWnd>(CWnd::messageMap());
  return map;
}

CQXPrintPreviewWnd::CQXPrintPreviewWnd(CQXMainFrame* frame, CQXPrintView* job, QPrinter* printer)
    : CWnd(frame), frame_(frame), margins_(std::make_unique<CQXMinimumPrinterMargins>(printer)), job_(job), keys_(CLanguageLibrary::LoadAccelerators(kAccelPreview)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  bar_ = CLanguageLibrary::LoadDialog(kDlgPreviewBar, this);
  if (bar_) {
    layout->addWidget(bar_);
    for (UINT id : {kCmdPrint, kCmdNextPage, kCmdPrevPage, kCmdZoomIn, kCmdZoomOut, kCmdClose})
      if (auto* button = ::GetDlgItemAs<QAbstractButton>(bar_, int(id)))
        connect(button, &QAbstractButton::clicked, this, [this, id] { SendMessage(WM_COMMAND, id); });
  }
  preview_ = new QPrintPreviewWidget(printer, this);
  // Zoomed in, a page is hardly longer than the view: the thumb fills most
  // of the bar, and drawn lighter than its track (as the platform's style
  // does) the bit of track left reads as the thumb, at the wrong end. The
  // preview's bars draw their thumb darker than the track.
  preview_->setStyleSheet(QStringLiteral(
      "QScrollBar { background: palette(window); }"
      "QScrollBar:vertical { width: 16px; margin: 16px 0; }"
      "QScrollBar:horizontal { height: 16px; margin: 0 16px; }"
      "QScrollBar::handle { background: palette(mid); border: 1px solid palette(dark); }"
      "QScrollBar::handle:vertical { min-height: 20px; }"
      "QScrollBar::handle:horizontal { min-width: 20px; }"
      "QScrollBar::add-line:vertical { subcontrol-origin: margin; subcontrol-position: bottom; height: 16px; }"
      "QScrollBar::sub-line:vertical { subcontrol-origin: margin; subcontrol-position: top; height: 16px; }"
      "QScrollBar::add-line:horizontal { subcontrol-origin: margin; subcontrol-position: right; width: 16px; }"
      "QScrollBar::sub-line:horizontal { subcontrol-origin: margin; subcontrol-position: left; width: 16px; }"));
  layout->addWidget(preview_, 1);
  // The same loop as printing draws the pages, so they break alike.
  connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* target) {
    QPainter painter(target);
    pages_ = job_ ? job_->RenderJob(&painter, [target] { return target->newPage(); }) : 0;
  });
  // Next and Previous are there only where there is a page to go to. The
  // current page follows the pages' scrolling, which tells no one else.
  connect(preview_, &QPrintPreviewWidget::previewChanged, this, &CQXPrintPreviewWnd::updatePageButtons);
  if (auto* pages = preview_->findChild<QAbstractScrollArea*>()) {
    for (QScrollBar* bar : {pages->verticalScrollBar(), pages->horizontalScrollBar()})
      connect(bar, &QScrollBar::valueChanged, this, &CQXPrintPreviewWnd::updatePageButtons);
  }
  updatePageButtons();
}

CQXPrintPreviewWnd::~CQXPrintPreviewWnd() = default;

CQXPrintPreviewWnd* CQXPrintPreviewWnd::Of(const CFrameWnd* frame) {
  return frame ? frame->findChild<CQXPrintPreviewWnd*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void CQXPrintPreviewWnd::turnPage(int delta) {
  const int page = std::clamp(preview_->currentPage() + delta, 1, std::max(1, preview_->pageCount()));
  preview_->setCurrentPage(page);
  updatePageButtons();
}

void CQXPrintPreviewWnd::updatePageButtons() {
  if (!bar_) return;
  const int page = preview_->currentPage(), count = preview_->pageCount();
  if (auto* next = ::GetDlgItemAs<QAbstractButton>(bar_, int(kCmdNextPage))) next->setEnabled(page < count);
  if (auto* previous = ::GetDlgItemAs<QAbstractButton>(bar_, int(kCmdPrevPage))) previous->setEnabled(page > 1);
}

BOOL CQXPrintPreviewWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (UINT(wParam & 0xFFFF)) {
    case kCmdClose: Close(); return TRUE;
    case kCmdPrint: Close(true); return TRUE;
    case kCmdNextPage: turnPage(1); return TRUE;
    case kCmdPrevPage: turnPage(-1); return TRUE;
    case kCmdZoomIn: preview_->zoomIn(); return TRUE;
    case kCmdZoomOut: preview_->zoomOut(); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
  }
}

BOOL CQXPrintPreviewWnd::PreTranslateMessage(MSG* msg) {
  if (TranslateAccelerator(this, keys_, msg)) return TRUE;
  return CWnd::PreTranslateMessage(msg);
}

void CQXPrintPreviewWnd::Close(bool thenPrint) {
  CQXMainFrame* frame = frame_;
  if (!frame || frame->m_lpfnCloseProc == nullptr) return;
  frame->m_lpfnCloseProc = nullptr;
  hide();
  if (QLayout* layout = frame->layout()) layout->removeWidget(this);
  if (CQXSplitterWnd* splitter = frame->GetSplitter()) splitter->show();
  frame->GetMenuBar()->show();
  if (auto* bar = dynamic_cast<QToolBar*>(frame->GetToolBar()); bar && toolBarShown_) bar->show();
  if (previousView_) frame->SetActiveView(previousView_);
  frame->RecalcLayout();
  frame->SetMessageText(kStrIdle);
  frame->update();
  deleteLater();
  if (thenPrint) frame->PostMessage(WM_COMMAND, kCmdFilePrint);
}

BOOL StartPrintPreview(CQXMainFrame* frame, QPrinter* printer) {
  if (!frame || !printer || frame->IsInPrintPreview()) return FALSE;
  CQXPrintView* job = PreparePrintJob(frame, CQXPrintView::kModePreview, printer);
  if (!job) return FALSE;
  auto* box = qobject_cast<QBoxLayout*>(frame->layout());
  CQXSplitterWnd* splitter = frame->GetSplitter();
  if (!box || !splitter) {
    delete job;
    AfxMessageBox(kMsgCommandFailed, MB_ICONSTOP);
    return FALSE;
  }
  auto* preview = new CQXPrintPreviewWnd(frame, job, printer);
  job->setParent(preview);
  job->hide();
  preview->previousView_ = frame->GetActiveView();
  auto* toolBar = dynamic_cast<QToolBar*>(frame->GetToolBar());
  preview->toolBarShown_ = toolBar && !toolBar->isHidden();
  splitter->hide();
  if (toolBar) toolBar->hide();
  frame->GetMenuBar()->hide();
  box->insertWidget(box->indexOf(splitter) + 1, preview, 1);
  preview->show();
  preview->GetPreviewWidget()->setFocus();
  frame->m_lpfnCloseProc = &closePreviewOf;
  return TRUE;
}
