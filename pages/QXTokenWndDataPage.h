// CQXTokenWndDataPage: the base of the pages that edit calculator tokens
// (programs, function fields). Besides the editor area its subclasses fill,
// it owns what every token page shows the same way: a small tool bar along
// the bottom edge (resource 130: the pane's five views, commands 23050 to
// 23054), the command pane (CQXCmdChooser) above it, and a band between the
// editor area and the pane with which the user drags the pane's height. It
// also owns the token text map its subclasses hand to their editors.
//
// Layout (OnSize): the tool bar at the bottom left; the pane above it,
// "Settings"/"Data Page List Height" high (kept at least 80, at most the
// page's height less 80, else 114); the subclass places its editor between
// the top and GetEditorBottom(). Subclasses call OnSize first from their own
// and handle command 20070, which a double click or Enter in the pane
// posts to the page (insert the pane's selected command).
#pragma once

#include "pages/QXDataPage.h"
#include "platform/ToolBar.h"
#include "tokens/CmdChooser.h"
#include "tokens/QXTokenTextMap.h"

#include <memory>

class CQXPaneBand;

class CQXTokenWndDataPage : public CQXDataPage {
  Q_OBJECT

 public:
  // Inserts the pane's selected command into the subclass's editor.
  static constexpr UINT kCmdInsertCommand = 20070;
  static constexpr int kDefaultPaneHeight = 114;

  Q_INVOKABLE CQXTokenWndDataPage();
  explicit CQXTokenWndDataPage(UINT templateId);
  ~CQXTokenWndDataPage() override;
  DECLARE_MESSAGE_MAP()

  void OnDocNotify(int code, QObject* argument) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnSize(UINT type, int cx, int cy) override;

  CQXCmdChooser& GetCmdChooser() { return pane_; }
  CQXTokenTextMap& GetTokenTextMap() { return textMap_; }
  CToolBar& GetToolBar();
  int GetEditorBottom() const { return editorBottom_; }
  int GetPaneHeight() const { return paneHeight_; }
  BOOL IsDraggingBand() const { return dragging_; }
  // The band above the pane, in page coordinates (empty before layout).
  QRect GetBandRect() const;

  // The band's mouse handling, points in page coordinates.
  void OnLButtonDown(UINT flags, QPoint point);
  void OnMouseMove(UINT flags, QPoint point);
  void OnLButtonUp(UINT flags, QPoint point);

 protected:
  BOOL OnInitDialog() override;
  void OnDestroy() override;

 private:
  void init();
  void OnViewCommand(UINT id);
  void OnUpdateViewCommand(CCmdUI* cmdUI);
  void OnViewDblClk(NMHDR*, LRESULT* result);
  void OnListColumnClick(NMHDR* header, LRESULT* result);
  LRESULT OnCommandDragged(WPARAM, LPARAM);
  LRESULT OnCancelMode(WPARAM, LPARAM);
  void cancelDrag();
  void trackTo(QPoint point);
  // Lets the sheet lay the page out again (the page itself without one).
  void relayout();
  QSize toolBarSize() const;

  std::unique_ptr<CToolBar> toolBar_;
  CQXCmdChooser pane_;
  CQXTokenTextMap textMap_;
  int editorBottom_ = 0;
  int paneHeight_ = kDefaultPaneHeight;
  BOOL dragging_ = FALSE;
  int dragStartHeight_ = kDefaultPaneHeight;
  int dragStartY_ = 0;
  BOOL firstSizeDone_ = FALSE;
  bool toolBarMade_ = false;
  bool paneLaidOut_ = false;
  CQXPaneBand* band_ = nullptr;
};

void RegisterTokenWndPageClasses();
