#include "pages/QXGridCtrlDataPage.h"

#include "app/MainFrameFunctions.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"

#include <QContextMenuEvent>

#include <memory>

namespace {
constexpr UINT kDelete = 22100, kEditCell = 22101;
constexpr UINT kInsertRow = 22108, kDeleteRow = 22109, kInsertColumn = 22110, kDeleteColumn = 22111;
constexpr UINT kBadSize = 10515;
constexpr UINT kCommandFailed = 61705;
}  // namespace

// --- CQXGridCtrlDataPage ---------------------------------------------------------

const CMessageMap& CQXGridCtrlDataPage::messageMap() {
  using P = CQXGridCtrlDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXDataPage::messageMap())
                                     .command(ID_EDIT_UNDO, &P::OnEditUndo)
                                     .command(ID_EDIT_CUT, &P::OnEditCut)
                                     .command(ID_EDIT_COPY, &P::OnEditCopy)
                                     .command(ID_EDIT_PASTE, &P::OnEditPaste)
                                     .command(kDelete, &P::OnEditClear)
                                     .command(ID_EDIT_SELECT_ALL, &P::OnEditSelectAll)
                                     .command(kInsertRow, &P::OnInsertRow)
                                     .command(kDeleteRow, &P::OnDeleteRow)
                                     .command(kInsertColumn, &P::OnInsertColumn)
                                     .command(kDeleteColumn, &P::OnDeleteColumn)
                                     .updateUI(ID_EDIT_UNDO, &P::OnUpdateEditUndo)
                                     .updateUI(ID_EDIT_CUT, &P::OnUpdateEditCut)
                                     .updateUI(ID_EDIT_COPY, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
                                     .updateUI(kDelete, &P::OnUpdateEditClear)
                                     .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateEditSelectAll)
                                     .updateUI(kInsertRow, &P::OnUpdateInsertRow)
                                     .updateUI(kDeleteRow, &P::OnUpdateDeleteRow)
                                     .updateUI(kInsertColumn, &P::OnUpdateInsertColumn)
                                     .updateUI(kDeleteColumn, &P::OnUpdateDeleteColumn);
  return map;
}

CQXGridCtrlDataPage::CQXGridCtrlDataPage() : CQXGridCtrlDataPage(0) {}

CQXGridCtrlDataPage::CQXGridCtrlDataPage(UINT templateId) : CQXDataPage(templateId) {
  tabTextFromDescription = TRUE;
  static const bool registered = (RegisterRuntimeClass(RUNTIME_CLASS(CQXGridCtrlDataPage)), true);
  (void)registered;
}

CQXGridCtrlDataPage::~CQXGridCtrlDataPage() = default;

BOOL CQXGridCtrlDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  CreateGrid(this, this);
  HidePlaceholder(kPlaceholderId, &m_gridRect);
  if (QWidget* frame = GetGrid().parentWidget()) frame->raise();
  OnSize(SIZE_RESTORED, width(), height());
  return FALSE;
}

void CQXGridCtrlDataPage::OnSize(UINT type, int cx, int cy) {
  CQXDataPage::OnSize(type, cx, cy);
  PlaceGrid(PlaceholderArea(kPlaceholderId, &m_gridRect, cx, cy));
}

void CQXGridCtrlDataPage::OnDestroy() {
  DestroyGrid();
  CQXDataPage::OnDestroy();
}

void CQXGridCtrlDataPage::OnDocNotify(int code, QObject*) {
  if (code != 2 || !HasWindow()) return;
  std::unique_ptr<CQXDocEntry> entry;
  if (FetchCurrentItem(&entry)) LoadFromItem(entry.get());
}

void CQXGridCtrlDataPage::contextMenuEvent(QContextMenuEvent* event) {
  CQXGridCtrl& grid = GetGrid();
  const QPoint inGrid = grid.mapFrom(this, event->pos());
  if (!grid.isVisible() || !grid.rect().contains(inGrid)) {
    CQXDataPage::contextMenuEvent(event);
    return;
  }
  if (!grid.hasFocus()) grid.setFocus(Qt::MouseFocusReason);
  CMenu menu;
  if (!menu.LoadMenu(kContextMenuId)) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return;
  UpdatePopupMenu(popup->GetSafeHmenu());
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, event->globalPos().x(), event->globalPos().y(), this);
}

void CQXGridCtrlDataPage::OnEditUndo() { GetGrid().Undo(); }
void CQXGridCtrlDataPage::OnEditCut() { GetGrid().Cut(); }
void CQXGridCtrlDataPage::OnEditCopy() { GetGrid().Copy(); }
void CQXGridCtrlDataPage::OnEditPaste() { GetGrid().Paste(); }
void CQXGridCtrlDataPage::OnEditClear() { GetGrid().Clear(); }
void CQXGridCtrlDataPage::OnEditSelectAll() { GetGrid().SelectAll(); }
void CQXGridCtrlDataPage::OnInsertRow() { InsertRow(); }
void CQXGridCtrlDataPage::OnDeleteRow() { DeleteRow(); }
void CQXGridCtrlDataPage::OnInsertColumn() { InsertColumn(); }
void CQXGridCtrlDataPage::OnDeleteColumn() { DeleteColumn(); }
void CQXGridCtrlDataPage::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(GetGrid().CanUndo()); }
void CQXGridCtrlDataPage::OnUpdateEditCut(CCmdUI* ui) { ui->Enable(GetGrid().CanCopy()); }
void CQXGridCtrlDataPage::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(GetGrid().CanCopy()); }
void CQXGridCtrlDataPage::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(GetGrid().CanPaste()); }
void CQXGridCtrlDataPage::OnUpdateEditClear(CCmdUI* ui) { ui->Enable(GetGrid().CanClear()); }
void CQXGridCtrlDataPage::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(GetGrid().CanSelectAll()); }
void CQXGridCtrlDataPage::OnUpdateInsertRow(CCmdUI* ui) { ui->Enable(CanInsertRow()); }
void CQXGridCtrlDataPage::OnUpdateDeleteRow(CCmdUI* ui) { ui->Enable(CanDeleteRow()); }
void CQXGridCtrlDataPage::OnUpdateInsertColumn(CCmdUI* ui) { ui->Enable(CanInsertColumn()); }
void CQXGridCtrlDataPage::OnUpdateDeleteColumn(CCmdUI* ui) { ui->Enable(CanDeleteColumn()); }

// --- CQXNumericalDataPage --------------------------------------------------------

const CMessageMap& CQXNumericalDataPage::messageMap() {
  using P = CQXNumericalDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXGridCtrlDataPage::messageMap())
                                     .command(kEditCell, &P::OnEditCell)
                                     .updateUI(kEditCell, &P::OnUpdateEditCell);
  return map;
}

CQXNumericalDataPage::CQXNumericalDataPage() : CQXNumericalDataPage(0) {}

CQXNumericalDataPage::CQXNumericalDataPage(UINT templateId) : CQXGridCtrlDataPage(templateId) {
  static const bool registered = (RegisterRuntimeClass(RUNTIME_CLASS(CQXNumericalDataPage)), true);
  (void)registered;
}

void CQXNumericalDataPage::OnEditCell() { GetGrid().EditFocusCell(); }
void CQXNumericalDataPage::OnUpdateEditCell(CCmdUI* ui) { ui->Enable(GetGrid().CanEditFocusCell()); }

void CQXNumericalDataPage::FocusCurrentCell() {
  CQXGridCtrl& grid = GetGrid();
  if (!grid.isVisible()) return;
  setFocus();
  const CGridCellID focus = grid.GetFocusCell();
  if (grid.IsValid(focus)) grid.SetItemState(focus.row, focus.col, grid.GetItemState(focus.row, focus.col) & ~GRID_STATE_SELECTED);
  grid.setFocus();
}

void CQXNumericalDataPage::ShowPageMessage(UINT id, const QString& arg1, const QString& arg2) {
  if (GetSheet() && GetActivePageId() != m_psp.pszTemplate) ActivatePage(m_psp.pszTemplate);
  const QString text =
      arg1.isEmpty() ? CLanguageLibrary::LoadString(id) : CLanguageLibrary::FormatMessage(id, arg1, arg2);
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
  if (GetGrid().isVisible() && GetGrid().isEnabled()) GetGrid().setFocus();
  SwitchToPane(1);
}

void CQXNumericalDataPage::OnStoreRefused(UINT id, const std::string& arg1, const std::string& arg2) {
  ShowPageMessage(id, QString::fromLatin1(arg1.c_str()), QString::fromLatin1(arg2.c_str()));
}

BOOL CQXNumericalDataPage::RefuseForeignEntry() {
  ShowPageMessage(kCommandFailed);
  return FALSE;
}

BOOL CQXNumericalDataPage::Validate(TreeItemInfo*) {
  if (GetGrid().GetDataRowCount() > 0 && GetGrid().GetDataColumnCount() > 0) return TRUE;
  ShowPageMessage(kBadSize);
  return FALSE;
}
