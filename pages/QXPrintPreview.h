// The print preview in the main window: the splitter with the tree and the
// content view is hidden and in its place come the preview bar (dialog
// 30723: print, next and previous page, zoom in and out, close) over the
// pages, drawn by the same job loop as printing. The menu and tool bars are
// hidden while it runs (the status bar stays), the preview keys (table
// 30997) work, and closing the window ends only the preview.
#pragma once

#include "platform/Wnd.h"

#include <QPointer>

#include <memory>
#include <vector>

class CFrameWnd;
class CQXMainFrame;
class CQXMinimumPrinterMargins;
class CQXPrintView;
class CView;
class QPrinter;
class QPrintPreviewWidget;
struct CAcceleratorEntry;

class CQXPrintPreviewWnd : public CWnd {
  Q_OBJECT

 public:
  enum : UINT {
    kCmdClose = 58112,
    kCmdNextPage = 58114,
    kCmdPrevPage = 58115,
    kCmdPrint = 58116,
    kCmdZoomIn = 58117,
    kCmdZoomOut = 58118,
  };

  // Takes `job`.
  CQXPrintPreviewWnd(CQXMainFrame* frame, CQXPrintView* job, QPrinter* printer);
  ~CQXPrintPreviewWnd() override;
  DECLARE_MESSAGE_MAP()

  // The preview shown in `frame`, or null.
  static CQXPrintPreviewWnd* Of(const CFrameWnd* frame);

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* msg) override;

  QPrintPreviewWidget* GetPreviewWidget() const { return preview_; }
  QWidget* GetBar() const { return bar_; }
  CQXPrintView* GetJob() const { return job_.get(); }
  int GetPageCount() const { return pages_; }
  // Ends the preview and gives the frame back its panes; `thenPrint` runs
  // Print (57607) after.
  void Close(bool thenPrint = false);

 private:
  friend BOOL StartPrintPreview(CQXMainFrame* frame, QPrinter* printer);
  void turnPage(int delta);
  void updatePageButtons();

  QPointer<CQXMainFrame> frame_;
  std::unique_ptr<CQXMinimumPrinterMargins> margins_;
  std::unique_ptr<CQXPrintView> job_;
  QPrintPreviewWidget* preview_ = nullptr;
  QWidget* bar_ = nullptr;
  QPointer<CView> previousView_;
  bool toolBarShown_ = false;
  int pages_ = 0;
  std::vector<CAcceleratorEntry> keys_;
};

// Starts the preview of the current item in `frame`: FALSE, after message
// 61705, when it cannot start.
BOOL StartPrintPreview(CQXMainFrame* frame, QPrinter* printer);
