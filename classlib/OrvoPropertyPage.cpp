#include "classlib/OrvoPropertyPage.h"

#include "platform/LanguageLibrary.h"
#include "platform/PropertySheet.h"
#include "platform/RuntimeClass.h"

#include <QHelpEvent>
#include <QToolTip>

namespace {
constexpr int kMaxStringLength = 255;
constexpr int kMaxTipLength = 80;

// The control with a control id under `pos` (the page's coordinates).
QWidget* controlAt(QWidget* page, const QPoint& pos) {
  for (QWidget* w = page->childAt(pos); w && w != page; w = w->parentWidget()) {
    bool ok = false;
    w->property("ctrlId").toInt(&ok);
    if (ok) return w;
  }
  return nullptr;
}
}  // namespace

const CMessageMap& COrvoPropertyPage::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoPropertyPage>(CPropertyPage::messageMap());
  return map;
}

COrvoPropertyPage::COrvoPropertyPage() = default;
COrvoPropertyPage::COrvoPropertyPage(UINT templateId) : CPropertyPage(templateId) {}
COrvoPropertyPage::~COrvoPropertyPage() = default;

BOOL COrvoPropertyPage::SetTabText(const QString& text) {
  CPropertySheet* sheet = GetSheet();
  CTabCtrl* tab = sheet ? sheet->GetTabControl() : nullptr;
  if (!tab) return FALSE;
  const int index = sheet->GetPageIndex(this);
  if (index < 0) return FALSE;
  TCITEM item;
  item.mask = TCIF_TEXT;
  item.pszText = text;
  return tab->SetItem(index, &item);
}

int COrvoPropertyPage::FindPageIndex(UINT templateId) const {
  const CPropertySheet* sheet = GetSheet();
  if (!sheet) return -1;
  for (int i = 0; i < sheet->GetPageCount(); ++i)
    if (sheet->GetPage(i)->m_psp.pszTemplate == templateId) return i;
  return -1;
}

UINT COrvoPropertyPage::GetActivePageId() const {
  const CPropertySheet* sheet = GetSheet();
  const CPropertyPage* active = sheet ? sheet->GetActivePage() : nullptr;
  return active ? active->m_psp.pszTemplate : 0;
}

BOOL COrvoPropertyPage::ActivatePage(UINT templateId) {
  const int index = FindPageIndex(templateId);
  return index >= 0 && GetSheet()->SetActivePage(index);
}

BOOL COrvoPropertyPage::OnToolTipNeedText(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
  auto* tip = static_cast<TOOLTIPTEXT*>(pNMHDR);
  UINT id = UINT(tip->idFrom);
  if (tip->uFlags & TTF_IDISHWND) {
    const auto* control = reinterpret_cast<const QWidget*>(tip->idFrom);
    id = control ? UINT(control->property("ctrlId").toInt()) & 0xFFFF : 0;
  }
  QString text;
  if (id != 0) {
    const QString string = CLanguageLibrary::LoadString(id).left(kMaxStringLength);
    if (string.isEmpty()) return FALSE;
    const qsizetype lineBreak = string.indexOf(QLatin1Char('\n'));
    if (lineBreak >= 0) text = string.mid(lineBreak + 1);
  }
  tip->szText = text.left(kMaxTipLength);
  if (pResult) *pResult = 0;
  return TRUE;  // Qt keeps its tip window on top by itself
}

bool COrvoPropertyPage::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return CPropertyPage::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  QWidget* control = controlAt(this, help->pos());
  TOOLTIPTEXT tip;
  tip.hwndFrom = this;
  tip.idFrom = reinterpret_cast<UINT_PTR>(control);
  tip.code = TTN_NEEDTEXTW;
  tip.uFlags = TTF_IDISHWND;
  LRESULT result = 0;
  if (control && OnToolTipNeedText(0, &tip, &result) && !tip.szText.isEmpty())
    QToolTip::showText(help->globalPos(), tip.szText, control);
  else
    QToolTip::hideText();
  return true;
}

void RegisterOrvoPropertyPageClasses() { RegisterRuntimeClass(RUNTIME_CLASS(COrvoPropertyPage)); }
