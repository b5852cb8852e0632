#include "platform/StatusBar.h"

#include <QLabel>

#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"

// The update state of one indicator pane.
class CStatusCmdUI : public CCmdUI {
 public:
  CStatusCmdUI(CStatusBar* bar, size_t pane) : bar_(bar), pane_(pane) {}
  void Enable(BOOL on) override {
    CCmdUI::Enable(on);
    CStatusBar::Pane& p = bar_->panes_[pane_];
    p.enabled = on != FALSE;
    bar_->showPane(p);
  }
  void SetText(const QString& text) override {
    CStatusBar::Pane& p = bar_->panes_[pane_];
    p.text = text;
    bar_->showPane(p);
  }

 private:
  CStatusBar* bar_;
  size_t pane_;
};

const CMessageMap& CStatusBar::messageMap() {
  static const CMessageMap map = MessageMapOf<CStatusBar>(CCmdTarget::messageMap());
  return map;
}

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {}

CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(QWidget* parent, DWORD style, UINT nID) { return CreateEx(parent, 0, style, nID); }

BOOL CStatusBar::CreateEx(QWidget* parent, DWORD, DWORD style, UINT nID) {
  if (!parent) return FALSE;
  if (parentWidget() != parent) setParent(parent);
  setProperty("ctrlId", nID);
  setVisible(style & WS_VISIBLE);
  return TRUE;
}

UINT CStatusBar::GetDlgCtrlID() const { return property("ctrlId").toUInt(); }

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
  if (count < 0 || (count > 0 && !ids)) return FALSE;
  for (Pane& p : panes_) delete p.label;
  panes_.clear();
  bool messagePane = false;
  for (int i = 0; i < count; ++i) {
    Pane pane;
    pane.id = ids[i];
    if (ids[i] == ID_SEPARATOR && !messagePane) {
      messagePane = true;
    } else {
      pane.label = new QLabel(this);
      pane.label->setFrameShape(QFrame::Panel);
      pane.label->setFrameShadow(QFrame::Sunken);
      if (ids[i] != ID_SEPARATOR) {
        pane.text = CLanguageLibrary::LoadString(ids[i]);
        // The pane is as wide as its text, also while it shows nothing.
        pane.label->setMinimumWidth(pane.label->fontMetrics().horizontalAdvance(pane.text) + 8);
      }
      addPermanentWidget(pane.label);
    }
    panes_.push_back(pane);
    showPane(panes_.back());
  }
  return TRUE;
}

UINT CStatusBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? panes_[size_t(index)].id : ID_SEPARATOR;
}

int CStatusBar::CommandToIndex(UINT id) const {
  for (size_t i = 0; i < panes_.size(); ++i)
    if (panes_[i].id == id) return int(i);
  return -1;
}

BOOL CStatusBar::SetPaneText(int index, const QString& text, BOOL) {
  if (index < 0 || index >= GetCount()) return FALSE;
  Pane& pane = panes_[size_t(index)];
  pane.text = text;
  if (!pane.label)
    showMessage(text);
  else
    showPane(pane);
  return TRUE;
}

QString CStatusBar::GetPaneText(int index) const {
  if (index < 0 || index >= GetCount()) return QString();
  const Pane& pane = panes_[size_t(index)];
  return pane.label ? pane.label->text() : currentMessage();
}

QLabel* CStatusBar::GetPaneLabel(int index) const {
  return index >= 0 && index < GetCount() ? panes_[size_t(index)].label : nullptr;
}

void CStatusBar::showPane(Pane& pane) {
  if (pane.label) pane.label->setText(pane.enabled ? pane.text : QString());
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler) {
  for (size_t i = 0; i < panes_.size(); ++i) {
    if (!panes_[i].label || panes_[i].id == ID_SEPARATOR) continue;
    CStatusCmdUI ui(this, i);
    ui.m_nID = panes_[i].id;
    ui.m_nIndex = UINT(i);
    ui.m_nIndexMax = UINT(panes_.size());
    ui.m_pOther = this;
    ui.DoUpdate(target, disableIfNoHandler);
  }
}
