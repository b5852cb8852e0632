// CQXMainFrame: the program's main window. A static splitter of one row and
// two columns fills its client area: the document tree in column 0, the
// content view of the tree's selection in column 1, exchanged whenever the
// selection changes. The frame has a tool bar and a status bar, guards the
// commands that would leave an edited page (the page commits its edits
// first, or the command does nothing), moves the focus between the panes
// with Tab, takes dropped Internet shortcuts and answers other instances
// that look for an open file.
#pragma once

#include "services/MainFrameServices.h"
#include "classlib/InternetShortcut.h"
#include "classlib/OrvoBases.h"
#include "classlib/OrvoMainFrame.h"

#include <QPointer>

#include <memory>
#include <string>

class CQXContentsView;
class CQXInstanceListener;
class CQXTreeView;
struct COPYDATASTRUCT;

class CQXSplitterWnd : public COrvoSplitterWnd {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXSplitterWnd(QWidget* parent = nullptr);
  ~CQXSplitterWnd() override;
  DECLARE_MESSAGE_MAP()

  // Whether the splitter has had its first layout.
  bool IsLaidOut() const { return laidOut_; }

 protected:
  // The first time the splitter has a size, the panes take their ideal
  // sizes; afterwards the tree column keeps its width.
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool laidOut_ = false;
};

class CQXMainFrame : public COrvoMainFrame, public CQXMainFrameServices {
  Q_OBJECT

 public:
  static constexpr UINT kToolBarResource = 128;
  static constexpr UINT kToolBarId = 0xE800;
  static constexpr UINT kStatusBarId = 59393;
  static constexpr UINT kSplitterId = 0xE900;
  static constexpr UINT_PTR kContentTimerId = 3983;
  static constexpr UINT kContentTimerMs = 100;
  static constexpr int kDefaultTreeWidth = 200;

  Q_INVOKABLE CQXMainFrame();
  ~CQXMainFrame() override;
  DECLARE_MESSAGE_MAP()

  CToolBar* GetToolBar() override;
  CStatusBar* GetStatusBar() override;
  BOOL CreateToolBar() override;
  BOOL CreateStatusBar() override;

  // Pane (0, 0) and pane (0, 1); null when missing.
  CQXTreeView* GetTreeView() const;
  CQXContentsView* GetContentView() const;
  CQXSplitterWnd* GetSplitter() const { return splitter_; }

  // Replaces the content view by a new view of `viewClass` (null: the
  // empty view) and hands it back in `view`; the new view is activated
  // 100 ms later when asked. A view that cannot be made gives the empty
  // view and message 61705; FALSE when not even that can be made (the
  // column stays empty).
  BOOL ReplaceContentView(const CRuntimeClass* viewClass, CQXContentsView** view, BOOL activate);
  // Validates and stores the edits of the content view (see
  // CommitActivePage in app/MainFrameFunctions.h). Edits that pass the
  // check but cannot be stored as they are would keep the user on the page
  // for good, so the user is asked whether to save them: Oui tries the
  // store once more, Non drops them and lets the caller go on, Annuler
  // stays.
  BOOL CommitActivePage();

  // The active view's document, else the tree's.
  CDocument* GetActiveDocument() override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnClose() override;
  void OnTimer(UINT_PTR id) override;

  // WM_COPYDATA from another instance: TRUE when this frame's document is
  // the file it names.
  BOOL OnCopyData(CWnd* sender, const COPYDATASTRUCT* data);
  // Code 66: the item this instance last dragged out as a move was filed by
  // another one; it goes here, unless the document or the item changed since
  // or its page holds edits not stored yet.
  BOOL OnItemMovedElsewhere(const COPYDATASTRUCT* data);

  // The main-frame services of the class library.
  void SetDroppedUrl(const std::string& url) override { droppedUrl_ = url; }
  const std::string& GetDroppedUrl() const { return droppedUrl_; }
  void PostFrameMessage(UINT message) override;
  void SendFrameMessage(UINT message) override;
  bool IsMainWindowEnabled() const override;
  QWidget* GetMainWindow() const override;

  UINT_PTR GetContentTimer() const { return contentTimer_; }

  // How the frame prints the current item: the print views live above the
  // frame, so the program installs them; without them Print, Print Direct
  // and Print Preview stay disabled. `print` gets the command (57607,
  // 57608 or 57609).
  struct PrintFunctions {
    BOOL (*canPrint)() = nullptr;
    void (*print)(CQXMainFrame* frame, UINT command) = nullptr;
  };
  static void SetPrintFunctions(const PrintFunctions& functions);

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  BOOL OnCreateClient(LPCREATESTRUCT lpCreateStruct, CCreateContext* context) override;
  void OnDestroy() override;

  void OnSplit();
  void OnUpdateSplit(CCmdUI* ui);
  BOOL OnBarCheck(UINT id);
  void OnUpdateBarMenu(CCmdUI* ui);
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  void OnUpdateFilePrint(CCmdUI* ui);
  void OnHelpIndex();
  void OnHelpContext();
  void OnUpdateKeyIndicator(CCmdUI* ui);
  LRESULT OnCopyDataMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSwitchToPane(WPARAM wParam, LPARAM lParam);
  LRESULT OnSwitchToView(WPARAM wParam, LPARAM lParam);
  LRESULT OnBringToFront(WPARAM wParam, LPARAM lParam);
  LRESULT OnOpenDroppedUrl(WPARAM wParam, LPARAM lParam);

 private:
  // The column of the active pane, -1 when neither pane is active.
  int activeColumn();
  void bringToFront();
  // Column 1's view and the splitter's ideal column widths as shown now.
  void keepColumnWidths();
  // The question after a failed store of the selected entry's page; TRUE
  // when the edits were stored after all or dropped.
  BOOL askAfterFailedStore(CQXTreeView* tree, CQXContentsView* content);

  QPointer<CQXSplitterWnd> splitter_;
  QPointer<COrvoToolBar> toolBar_;
  QPointer<COrvoStatusBar> statusBar_;
  CQXUrlDropTarget dropTarget_;
  UINT_PTR contentTimer_ = 0;
  BOOL activateAfterTimer_ = FALSE;
  bool askingAfterFailedStore_ = false;
  std::string droppedUrl_;
  std::unique_ptr<CQXInstanceListener> listener_;
};

// Registers the frame, the splitter, the content view, the icon view, the
// tree view and the document by class name.
void RegisterQXMainFrameClasses();
