// COrvoPropertyPage: the base of the program's property pages (every data
// page derives from it). A page is known by its dialog template id
// (m_psp.pszTemplate); these helpers find, activate and rename the pages of
// the page's own sheet by that id.
//
// Tool tips: when the cursor rests on a control of the page that has a
// control id ("ctrlId") and no tip of its own, the page asks
// OnToolTipNeedText for the text: the string of that id, the part after its
// first "\n" (the part before it is the status-bar text), at most 80
// characters. A control without a string, or whose string has no "\n",
// shows no tip.
#pragma once

#include "platform/PropertyPage.h"

// Tool-tip notifications, both forms (the text is a QString either way).
enum : int { TTN_NEEDTEXTA = -520, TTN_NEEDTEXTW = -530 };
enum : UINT { TTF_IDISHWND = 0x0001 };
struct TOOLTIPTEXT : NMHDR {
  QString szText;  // what the tip shows
  UINT uFlags = 0;  // TTF_IDISHWND: idFrom is the control's widget
};

class COrvoPropertyPage : public CPropertyPage {
  Q_OBJECT

 public:
  Q_INVOKABLE COrvoPropertyPage();
  explicit COrvoPropertyPage(UINT templateId);
  ~COrvoPropertyPage() override;
  DECLARE_MESSAGE_MAP()

  // Sets this page's tab text in its sheet; FALSE when the page is in no
  // sheet or the sheet has no window.
  BOOL SetTabText(const QString& text);
  // The index in the page's sheet of the first page with that template id;
  // -1 when none (or outside a sheet).
  int FindPageIndex(UINT templateId) const;
  // The template id of the sheet's active page; 0 outside a sheet.
  UINT GetActivePageId() const;
  // Makes the page with that template id the active one; FALSE when there
  // is none or the active page refuses to be left.
  BOOL ActivatePage(UINT templateId);

  // TTN_NEEDTEXT: fills the TOOLTIPTEXT that pNMHDR is; FALSE when the
  // control's string is missing.
  BOOL OnToolTipNeedText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

 protected:
  bool event(QEvent* event) override;
};

// Makes the class library's creatable page class known by name.
void RegisterOrvoPropertyPageClasses();
