#include "tokens/QXPasteCmdDlg.h"

#include "platform/CmdUI.h"
#include "platform/MessageBox.h"
#include "platform/ToolBar.h"
#include "tokens/CmdChooser.h"

#include <QLayout>

#include <new>

namespace {
constexpr UINT kPaste = 20070, kFirstView = 23050, kLastView = 23054;
constexpr UINT kToolBar = 130;
constexpr UINT kMsgOutOfMemory = 61706;
constexpr int kToolBarHeight = 30, kGap = 5;
}  // namespace

std::vector<BYTE> QXPASTECMDRESULT::Bytes() const {
  if (kind == kMacro) return macro;
  if (length == 2) return {tableByte, numberByte};
  if (length == 1) return {numberByte};
  return {};
}

const CMessageMap& CQXPasteCmdDlg::messageMap() {
  static const CMessageMap map = [] {
    MessageMapOf<CQXPasteCmdDlg> m(COrvoHelpDialog::messageMap());
    m.commandRange(kFirstView, kLastView, &CQXPasteCmdDlg::OnView)
        .updateUIRange(kFirstView, kLastView, &CQXPasteCmdDlg::OnUpdateView).command(kPaste, &CQXPasteCmdDlg::OnPaste);
    for (UINT id = CQXCmdChooser::kFirstViewId; id <= CQXCmdChooser::kLastViewId; ++id)
      m.notify(NM_DBLCLK, id, &CQXPasteCmdDlg::OnViewDblClk);
    for (UINT id = CQXCmdChooser::kFirstViewId + 1; id < CQXCmdChooser::kLastViewId; ++id)
      m.notify(LVN_COLUMNCLICK, id, &CQXPasteCmdDlg::OnColumnClick);
    return CMessageMap(m);
  }();
  return map;
}

CQXPasteCmdDlg::CQXPasteCmdDlg(QWidget* parent, const CFont* font, CQXDocServices* document)
    : COrvoHelpDialog(kTemplateId, parent), font_(font), document_(document) {}

CQXPasteCmdDlg::~CQXPasteCmdDlg() { DestroyWindow(); }

BOOL CQXPasteCmdDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  toolBar_ = new CToolBar(this);
  chooser_ = std::make_unique<CQXCmdChooser>(document_, "Token View");
  if (!document_ || !toolBar_->LoadToolBar(kToolBar) || !chooser_->Create(this, TRUE)) {
    AfxMessageBox(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
    EndDialog(IDCANCEL);
    return TRUE;
  }
  toolBar_->SetOwner(this);
  if (font_) chooser_->SetFont(font_);
  layoutControls();
  checkViewButtons();
  return TRUE;
}

void CQXPasteCmdDlg::OnDestroy() {
  if (chooser_ && chooser_->IsCreated()) chooser_->SaveState();
  COrvoHelpDialog::OnDestroy();
}

void CQXPasteCmdDlg::resizeEvent(QResizeEvent* event) {
  COrvoHelpDialog::resizeEvent(event);
  layoutControls();
}

void CQXPasteCmdDlg::showEvent(QShowEvent* event) {
  COrvoHelpDialog::showEvent(event);
  layoutControls();
}

// The pane's area of the form: the views above, the tool bar below.
void CQXPasteCmdDlg::layoutControls() {
  QWidget* area = findChild<QWidget*>(QStringLiteral("paneArea"));
  if (!area || !toolBar_ || !chooser_ || !chooser_->IsCreated()) return;
  if (layout()) layout()->activate();
  const QRect r(area->mapTo(this, QPoint()), area->size());
  toolBar_->setGeometry(r.x(), r.bottom() + 1 - kToolBarHeight, r.width(), kToolBarHeight);
  chooser_->MoveViews(r.x(), r.y(), r.width(), r.height() - kToolBarHeight - kGap);
}

void CQXPasteCmdDlg::checkViewButtons() {
  if (toolBar_ && chooser_) toolBar_->OnUpdateCmdUI(this, FALSE);
}

void CQXPasteCmdDlg::OnUpdateView(CCmdUI* ui) {
  ui->SetCheck(chooser_ && chooser_->GetCurrentView() == int(ui->m_nID - kFirstView));
}

void CQXPasteCmdDlg::OnView(UINT id) {
  if (!chooser_ || !chooser_->IsCreated()) return;
  chooser_->SetCurrentView(int(id - kFirstView));
  checkViewButtons();
}

bool CQXPasteCmdDlg::closeIfSelected() {
  QXCMDSELECTION selection;
  if (!chooser_ || !chooser_->GetSelectedCommand(&selection)) return false;
  OnOK();
  return true;
}

void CQXPasteCmdDlg::OnPaste() { closeIfSelected(); }

void CQXPasteCmdDlg::OnViewDblClk(NMHDR*, LRESULT* result) {
  // A folder of the tree opens as usual; a command closes the dialog.
  *result = closeIfSelected() ? 1 : 0;
}

void CQXPasteCmdDlg::OnColumnClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  chooser_->OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
}

void CQXPasteCmdDlg::OnOK() {
  m_result = QXPASTECMDRESULT();
  QXCMDSELECTION selection;
  if (chooser_ && chooser_->GetSelectedCommand(&selection)) {
    try {
      if (selection.kind == QXCMDSELECTION::kMacro) {
        m_result.kind = QXPASTECMDRESULT::kMacro;
        m_result.macro.assign(selection.data(), selection.data() + selection.length);
      } else {
        m_result.kind = QXPASTECMDRESULT::kCommand;
        m_result.tableByte = selection.length == 2 ? selection.bytes[0] : 0;
        m_result.numberByte = selection.length == 2 ? selection.bytes[1] : selection.bytes[0];
      }
      m_result.length = selection.length;
    } catch (const std::bad_alloc&) {
      m_result = QXPASTECMDRESULT();
      AfxMessageBox(kMsgOutOfMemory, MB_OK | MB_ICONSTOP);
      return;
    }
    chooser_->AddSelectionToLastUsed();
  }
  COrvoHelpDialog::OnOK();
}
