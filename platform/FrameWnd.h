// CFrameWnd: a top-level window with a menu bar, tool bars, a status bar
// and a client window (the child whose control id is AFX_IDW_PANE_FIRST).
//
// A vertical layout stands for the frame's own layout code: menu bar, the
// tool bars (QToolBar children), the client, the status bars (QStatusBar
// children); RecalcLayout takes in children created since. Commands go to
// the active view (and from it to its document), then to the frame, then
// to the application. Menus update their items before they show, tool bars
// when the loop goes idle (CWinApp::OnIdle).
//
// Keys and menus: using the menu bar leaves the keys where they were. Qt's
// bar takes the keyboard when a menu opens from a key and while the user
// goes from menu to menu; the frame gives the focus back to the widget that
// last had it before each menu runs its update handlers, and when Escape
// closes a menu of the bar.
#pragma once

#include "platform/LanguageLibrary.h"
#include "platform/View.h"
#include "platform/WindowPlacement.h"
#include "platform/Wnd.h"

#include <QPointer>
#include <QString>

#include <vector>

class CDocument;
class QMenu;
class QMenuBar;
class QVBoxLayout;

class CFrameWnd : public CWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE CFrameWnd();
  ~CFrameWnd() override;
  DECLARE_MESSAGE_MAP()

  // Takes the menu, icon, accelerator table and title (field 0 of the
  // string) of resource `nIDResource`, then creates the frame (OnCreate,
  // which creates the client from the context). FALSE when creation fails.
  virtual BOOL LoadFrame(UINT nIDResource, QWidget* parent = nullptr, CCreateContext* context = nullptr);
  UINT GetResourceId() const { return resourceId_; }
  const QString& GetTitle() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }

  // Creates a view of the context's class as a child with id `nID`.
  CWnd* CreateView(CCreateContext* context, UINT nID = AFX_IDW_PANE_FIRST);
  virtual void RecalcLayout(BOOL notify = TRUE);
  // Shows the frame (SW_SHOW, or as asked) and brings it to the front.
  virtual void ActivateFrame(int nCmdShow = -1);

  CView* GetActiveView() const { return activeView_; }
  virtual void SetActiveView(CView* view, BOOL notify = TRUE);
  virtual CDocument* GetActiveDocument();
  // "<document title> - <frame title>", or the frame title alone.
  virtual void OnUpdateFrameTitle(BOOL addToTitle);

  QMenuBar* GetMenuBar() const { return menuBar_; }
  // Takes in what was added to the menu bar and its popups since (their
  // items send their commands and are updated before they show), and
  // repaints the bar.
  void DrawMenuBar();
  const std::vector<CAcceleratorEntry>& GetAccelerators() const { return accelerators_; }

  // The message pane of the status bar.
  void SetMessageText(const QString& text);
  void SetMessageText(UINT stringId);
  // The prompt of a command: its string up to the first '\n'.
  virtual void GetMessageString(UINT stringId, QString& out) const;

  // Updates tool buttons and the title; the application calls it when idle.
  virtual void OnIdleUpdateCmdUI();
  // Runs the update handlers of a popup about to show.
  virtual void OnInitMenuPopup(QMenu* popup);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // Translates the frame's accelerators into their commands.
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The active document may refuse; otherwise the frame goes, and with the
  // application's main window the message loop ends. While a print preview
  // runs in the frame, closing ends the preview instead.
  void OnClose() override;

  // Placement in the normal state (client geometry) and the show state:
  // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED.
  BOOL GetWindowPlacement(WINDOWPLACEMENT* wp) const;
  // Applies the normal rectangle and shows the window with `showCmd`.
  // FALSE for a wrong length or an empty rectangle; a rectangle that meets
  // no screen is moved onto the primary work area, shrunk to fit.
  BOOL SetWindowPlacement(const WINDOWPLACEMENT* wp);
  BOOL IsZoomed() const;
  BOOL IsIconic() const;

  // Help on the frame itself: the topic 0x20000 + its resource id.
  void OnHelp();

  // Set while a print preview runs in the frame; closing the frame calls it.
  void (*m_lpfnCloseProc)(CFrameWnd* frame) = nullptr;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpCreateStruct, CCreateContext* context);
  void OnDestroy() override;
  void PostNcDestroy() override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void wireMenu(QMenu* menu);
  // The focus to the widget of this window that last had it before the menu
  // bar; false when there is none to give it to.
  bool giveKeysBack();
  void wireAction(QAction* action, bool toolButton);

  UINT resourceId_ = 0;
  QString title_;
  QVBoxLayout* layout_;
  QVBoxLayout* topBars_;
  QVBoxLayout* bottomBars_;
  QMenuBar* menuBar_;
  QMenu* menuResource_ = nullptr;
  std::vector<CAcceleratorEntry> accelerators_;
  QPointer<CView> activeView_;
  QPointer<QWidget> keyFocus_;
  bool escaping_ = false;
};
