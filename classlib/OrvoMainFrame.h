// COrvoMainFrame: the main-frame base. It reopens where the user left it:
// the first activation restores the placement kept in the profile (without
// one, the work area inset by 50 pixels), and every close outside print
// preview saves it. The program's frame fills in the four bar hooks.
#pragma once

#include "platform/FrameWnd.h"

class CStatusBar;
class CToolBar;

class COrvoMainFrame : public CFrameWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE COrvoMainFrame();
  ~COrvoMainFrame() override;
  DECLARE_MESSAGE_MAP()

  void ActivateFrame(int nCmdShow = -1) override;
  // Saves the placement (unless in print preview), then the frame's close,
  // which the document may still refuse.
  void OnClose() override;
  BOOL IsInPrintPreview() const { return m_lpfnCloseProc != nullptr; }

  virtual CToolBar* GetToolBar() { return nullptr; }
  virtual CStatusBar* GetStatusBar() { return nullptr; }
  // TRUE without creating anything.
  virtual BOOL CreateToolBar() { return TRUE; }
  virtual BOOL CreateStatusBar() { return TRUE; }

 protected:
  BOOL firstActivation = TRUE;
};
