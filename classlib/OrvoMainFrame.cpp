#include "classlib/OrvoMainFrame.h"

#include "classlib/PlacementSettings.h"

const CMessageMap& COrvoMainFrame::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoMainFrame>(CFrameWnd::messageMap());
  return map;
}

COrvoMainFrame::COrvoMainFrame() = default;
COrvoMainFrame::~COrvoMainFrame() = default;

void COrvoMainFrame::ActivateFrame(int nCmdShow) {
  if (firstActivation) {
    firstActivation = FALSE;
    WINDOWPLACEMENT wp;
    wp.length = sizeof(WINDOWPLACEMENT);
    if (!LoadWindowPlacement(&wp, &nCmdShow)) {
      RECT work;
      if (!SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0)) work = RECT{0, 0, 640, 480};
      wp.rcNormalPosition = RECT{work.left + 50, work.top + 50, work.right - 50, work.bottom - 50};
      wp.ptMinPosition = wp.ptMaxPosition = POINT{-1, -1};
    }
    wp.flags = 0;
    wp.showCmd = SW_HIDE;
    if (!SetWindowPlacement(&wp)) {
      const RECT& r = wp.rcNormalPosition;
      if (r.right > r.left && r.bottom > r.top) setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    ShowWindow(nCmdShow);
  }
  CFrameWnd::ActivateFrame(nCmdShow);
}

void COrvoMainFrame::OnClose() {
  if (!IsInPrintPreview()) {
    WINDOWPLACEMENT wp;
    wp.length = sizeof(WINDOWPLACEMENT);
    if (GetWindowPlacement(&wp)) {
      wp.flags = IsZoomed() ? UINT(WPF_RESTORETOMAXIMIZED) : 0u;
      SaveWindowPlacement(&wp);
    }
  }
  CFrameWnd::OnClose();
}
