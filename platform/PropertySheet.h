// CPropertySheet: a window of tabbed pages (CPropertyPage) over one tab
// control (CTabCtrl), either modal with buttons (DoModal) or a child window
// without buttons (Create).
//
// - Pages: AddPage and RemovePage change the list at any time; the sheet
//   does not own its pages. A page's window is made when the page is first
//   activated; until then the tab shows the caption of its template. Removing
//   the active page first activates a neighbour (the next one, else the one
//   before), so a sheet emptied from its active page last never activates
//   another page; a removed page's window is destroyed.
// - Window: OnInitDialog (the base) builds the tab control at (6, 6), one tab
//   per page, the buttons of a modal sheet below it, and makes and activates
//   the start page in the tab control's display area; the sheet is sized to
//   the largest page. The window's destruction destroys the pages' windows
//   (OnDestroy of each page, then of the sheet).
// - Changing pages (a tab click, its keys, Ctrl+Tab / Ctrl+Shift+Tab,
//   Ctrl+Page Down / Page Up, SetActivePage): OnKillActive of the active
//   page (FALSE: it stays), then the new page is made when needed, placed in
//   the display area, shown, and gets OnSetActive. The tab control's
//   TCN_SELCHANGING and TCN_SELCHANGE reach the sheet's OnNotify; what the
//   sheet's map does not handle, its default processing (DefWindowProc)
//   does as above.
// - Modal: OK ("OK", id 1) asks the active page's OnKillActive and, when it
//   agrees, calls OnOK of every page that has a window, then ends with IDOK;
//   Cancel ("Annuler", id 2, also Escape and the close box) calls OnCancel of
//   those pages and ends with IDCANCEL; with PSH_HASHELP a Help button
//   ("Aide", id 9), enabled while the active page has PSP_HASHELP, sends its
//   command to the sheet. The sheet has no Apply button: every sheet of the
//   program passes PSH_NOAPPLYNOW.
// - Commands: the sheet's own map, then (commands and update requests) the
//   route of the window it belongs to (its parent, or the owner of a modal
//   sheet), then the application. The commands of the sheet's own buttons
//   (1, 2, 9) stay with the sheet. While a user command runs, a command sent
//   to the sheet or to a window inside it goes no further than the sheet.
#pragma once

#include "platform/MessageBox.h"  // IDOK, IDCANCEL
#include "platform/PropertyPage.h"
#include "platform/TabCtrl.h"

#include <QString>

#include <vector>

class QEventLoop;
class QPushButton;

// Sheet flags (m_psh.dwFlags).
enum : DWORD { PSH_DEFAULT = 0, PSH_NOAPPLYNOW = 0x0080, PSH_HASHELP = 0x0200 };
// The sheet's controls.
enum : int { IDHELP = 9, AFX_IDC_TAB_CONTROL = 0x3020 };

struct PROPSHEETHEADER {
  DWORD dwFlags = PSH_DEFAULT;
  UINT nStartPage = 0;
  QString pszCaption;
};

class CPropertySheet : public CWnd {
  Q_OBJECT

 public:
  explicit CPropertySheet(UINT nIDCaption = 0, QWidget* parent = nullptr, UINT iSelectPage = 0);
  CPropertySheet(const QString& caption, QWidget* parent = nullptr, UINT iSelectPage = 0);
  ~CPropertySheet() override;
  DECLARE_MESSAGE_MAP()

  PROPSHEETHEADER m_psh;

  void AddPage(CPropertyPage* page);
  void RemovePage(CPropertyPage* page);
  void RemovePage(int index);
  int GetPageCount() const { return int(pages_.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;
  // Before the window exists: the start page.
  int GetActiveIndex() const;
  CPropertyPage* GetActivePage() const;
  // Before the window exists: sets the start page. FALSE for an index
  // without a page or when the active page refuses to be left.
  BOOL SetActivePage(int index);
  BOOL SetActivePage(CPropertyPage* page);
  // Null until the window exists.
  CTabCtrl* GetTabControl() const { return tab_; }
  // One row of tabs is all this tab control has.
  void EnableStackedTabs(BOOL) {}
  void SetTitle(const QString& caption);

  // Runs the sheet with OK and Cancel; IDOK or IDCANCEL (-1 without pages).
  virtual int DoModal();
  // The sheet as a child window of `parent` (no buttons); FALSE without
  // pages. Of the window styles, WS_VISIBLE (0x10000000) shows it and
  // WS_DISABLED (0x08000000) disables it; the default is WS_CHILD |
  // WS_VISIBLE.
  virtual BOOL Create(QWidget* parent, DWORD style = 0x50000000);
  // Ends a modal run with `result` (pages are not asked).
  void EndDialog(int result);
  BOOL IsModal() const { return modal_; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // Ctrl+Tab and Ctrl+Page Down move to the next page, with Shift or Page Up
  // to the one before (wrapping round).
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Builds the window's content (see above); TRUE.
  virtual BOOL OnInitDialog();
  void OnDestroy() override;
  void OnClose() override;
  void keyPressEvent(QKeyEvent* event) override;

  // Where a newly active page goes, in the sheet's coordinates: the tab
  // control's display area.
  QRect DisplayRect() const;

 private:
  friend class CPropertyPage;
  void forgetPage(CPropertyPage* page);
  BOOL buildWindow();
  void destroyContent();
  BOOL changePage(int index, bool askActive);
  void onOK();
  void onCancel();
  void updateHelpButton();

  std::vector<CPropertyPage*> pages_;
  CTabCtrl* tab_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* helpButton_ = nullptr;
  int active_ = -1;
  bool windowMade_ = false;
  bool modal_ = false;
  int result_ = IDCANCEL;
  bool ended_ = false;
  QEventLoop* loop_ = nullptr;
};
