// CPropertyPage: one page of a property sheet, a dialog on a template of the
// language library. The template id is also the page's identity (the
// template field of its page description, m_psp.pszTemplate).
//
// A page's window is made at its first activation: the sheet builds the
// template into the page as its child, laid over the display area of the
// tab control, and runs OnInitDialog. Pages never shown have no window,
// and get neither OnOK nor OnCancel. The sheet destroys the window (the
// page's OnDestroy runs, the page leaves the sheet's widget tree) when the
// page is removed or the sheet's window goes; the page object stays with
// its owner, who deletes it.
//
// Activation: OnSetActive when the page becomes the active one (the base
// refills the controls from the members from the second activation on),
// OnKillActive before it stops being it (FALSE keeps it; the base runs the
// saving data exchange). A size change of the window calls OnSize(SIZE_RESTORED, cx, cy),
// as does WM_SIZE sent to the page.
//
// Commands: the page's own map first (without the dialog's OK and Cancel
// entries: those are the sheet's), then commands and update requests go on
// to its sheet (whose route may come back to the page; sheets that offer
// commands to their page guard against that).
//
// Keys: Enter and Escape go on to the sheet (OK and Cancel of a modal one).
#pragma once

#include "platform/Dialog.h"

#include <QSize>
#include <QString>

class CPropertySheet;

enum : UINT { WM_SIZE = 0x0005 };
enum : UINT { SIZE_RESTORED = 0 };
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return LPARAM(DWORD(low) | (DWORD(high) << 16)); }

// Page description flags.
enum : DWORD { PSP_DEFAULT = 0, PSP_USETITLE = 0x0008, PSP_HASHELP = 0x0020 };

struct PROPSHEETPAGE {
  DWORD dwFlags = PSP_DEFAULT;
  UINT pszTemplate = 0;  // the dialog template id
  QString pszTitle;      // with PSP_USETITLE: the tab text instead of the form's title
};

class CPropertyPage : public CDialog {
  Q_OBJECT

 public:
  // `nIDCaption` non-zero: the tab text is that string rather than the
  // form's title.
  explicit CPropertyPage(UINT nIDTemplate = 0, UINT nIDCaption = 0);
  ~CPropertyPage() override;
  DECLARE_MESSAGE_MAP()

  PROPSHEETPAGE m_psp;

  // The sheet the page was added to, or null.
  CPropertySheet* GetSheet() const { return sheet_; }
  // TRUE once the page's window was made (its OnInitDialog ran) and until
  // it is destroyed.
  BOOL HasWindow() const { return made_; }
  // The tab text: the caption string, else the form's title.
  QString GetCaption();
  // The size the form asks for (its layout's size hint), read without
  // making the window when it is not made yet.
  QSize GetTemplateSize();

  virtual BOOL OnSetActive();
  virtual BOOL OnKillActive();
  // OK and Cancel of a modal sheet, on every page that has a window.
  void OnOK() override;
  void OnCancel() override;
  virtual void OnSize(UINT nType, int cx, int cy);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class CPropertySheet;
  // Called by the sheet.
  BOOL makeWindow(QWidget* sheet);
  void destroyWindow();
  void probeTemplate();

  CPropertySheet* sheet_ = nullptr;  // kept by the sheet
  bool made_ = false;
  bool activatedBefore_ = false;
  bool probed_ = false;
  QString templateTitle_;
  QSize templateSize_;
};
