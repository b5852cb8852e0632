#include "app/QXMainFrame.h"

#include "app/InstanceProbe.h"
#include "app/ItemTransfer.h"
#include "app/QXAppMessages.h"
#include "app/QXContentsView.h"
#include "app/QXIconView.h"
#include "app/QXDoc.h"
#include "app/QXTreeView.h"
#include "charset/CalcCharset.h"
#include "classlib/FetchwellLibrary.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/DocTemplate.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <array>

using tallix::settings::kSettings;

namespace {

enum : UINT {
  kCmdSplit = 22400,
  kCmdViewToolBar = 59392,
  kCmdViewStatusBar = 59393,
  kCmdFilePrint = 57607,
  kCmdFilePrintDirect = 57608,
  kCmdFilePrintPreview = 57609,
  kCmdHelpIndex = 57667,
  kCmdHelpContext = 57670,
  // Status-bar indicators: the Shift, Ctrl and Alt keys held down.
  kIndicatorShift = 59137,
  kIndicatorCtrl = 59138,
  kIndicatorAlt = 59139,
  kStringCommandFailed = 61705,
  kStringOutOfMemory = 61706,
  kStringSaveChanges = 61699,  // "Enregistrer les modifications apportées à %1?"
};

// The commands that would leave an edited page: the page commits its edits
// before any of them runs.
constexpr std::array<UINT, 31> kGuardedCommands = {
    57610, 57600, 57601, 57603, 57604, 22000, 57607, 57609, 57605, 57616, 57617,
    57618, 57619, 57620, 57621, 57622, 57623, 57665, 22114, 22200, 22201, 22206,
    22202, 22203, 22204, 22205, 22300, 22301, 22302, 22303, 22304};

bool isGuarded(UINT id) { return std::find(kGuardedCommands.begin(), kGuardedCommands.end(), id) != kGuardedCommands.end(); }

// The icon view of a folder belongs to another part of the program; it is
// known here by its class name only.
bool isIconView(const QObject* view) { return view && view->inherits("CQXIconView"); }

// Can the window manager draw attention to a window without raising it?
bool canFlashWindows() {
  static const bool can = [] {
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform == u"wayland" || platform == u"windows" || platform == u"cocoa";
  }();
  return can;
}

}  // namespace

const CMessageMap& CQXSplitterWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXSplitterWnd>(COrvoSplitterWnd::messageMap());
  return map;
}

CQXSplitterWnd::CQXSplitterWnd(QWidget* parent) : COrvoSplitterWnd(parent) {}

CQXSplitterWnd::~CQXSplitterWnd() = default;

void CQXSplitterWnd::resizeEvent(QResizeEvent* event) {
  COrvoSplitterWnd::resizeEvent(event);
  if (!laidOut_ && width() > 0) {
    laidOut_ = true;
    RecalcLayout();
  }
}

const CMessageMap& CQXMainFrame::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXMainFrame>(COrvoMainFrame::messageMap())
          .command(kCmdSplit, &CQXMainFrame::OnSplit)
          .updateUI(kCmdSplit, &CQXMainFrame::OnUpdateSplit)
          .commandEx(kCmdViewToolBar, kCmdViewStatusBar, &CQXMainFrame::OnBarCheck)
          .updateUIRange(kCmdViewToolBar, kCmdViewStatusBar, &CQXMainFrame::OnUpdateBarMenu)
          .command(kCmdFilePrint, &CQXMainFrame::OnFilePrint)
          .command(kCmdFilePrintDirect, &CQXMainFrame::OnFilePrintDirect)
          .command(kCmdFilePrintPreview, &CQXMainFrame::OnFilePrintPreview)
          .updateUIRange(kCmdFilePrint, kCmdFilePrintPreview, &CQXMainFrame::OnUpdateFilePrint)
          .command(kCmdHelpIndex, &CQXMainFrame::OnHelpIndex)
          .command(kCmdHelpContext, &CQXMainFrame::OnHelpContext)
          .updateUIRange(kIndicatorShift, kIndicatorAlt, &CQXMainFrame::OnUpdateKeyIndicator)
          .message(WM_COPYDATA, &CQXMainFrame::OnCopyDataMessage)
          .registeredMessage(msgQXSwitchToPane, &CQXMainFrame::OnSwitchToPane)
          .registeredMessage(msgQXSwitchToView, &CQXMainFrame::OnSwitchToView)
          .message(kFrameMsgComeToFront, &CQXMainFrame::OnBringToFront)
          .message(kFrameMsgOpenDroppedUrl, &CQXMainFrame::OnOpenDroppedUrl);
  return map;
}

CQXMainFrame::CQXMainFrame() {
  if (msgQXSwitchToPane == 0) RegisterQXMessages();
  setObjectName(QStringLiteral("orvoQXFrameClass"));
}

CQXMainFrame::~CQXMainFrame() {
  if (GetMainFrameServices() == this) SetMainFrameServices(nullptr);
}

int CQXMainFrame::OnCreate(LPCREATESTRUCT cs) {
  if (COrvoMainFrame::OnCreate(cs) == -1) return -1;
  const QIcon icon = CLanguageLibrary::LoadIcon(128);
  if (!icon.isNull()) setWindowIcon(icon);
  if (CreateToolBar() && CreateStatusBar()) {
    statusBar_->setVisible(AppGetProfileInt(kSettings, "Status Bar", 1) != 0);
    toolBar_->setVisible(AppGetProfileInt(kSettings, "Toolbar", 1) != 0);
    dropTarget_.Register(this);
  } else {
    // Without both bars the window has none and takes no drops.
    delete toolBar_;
    delete statusBar_;
  }
  RecalcLayout();
  SetMessageText(AFX_IDS_IDLEMESSAGE);
  SetMainFrameServices(this);
  listener_ = std::make_unique<CQXInstanceListener>(this);
  listener_->Listen();
  return 0;
}

CToolBar* CQXMainFrame::GetToolBar() { return toolBar_; }

CStatusBar* CQXMainFrame::GetStatusBar() { return statusBar_; }

BOOL CQXMainFrame::CreateToolBar() {
  auto* bar = new COrvoToolBar;
  if (!bar->Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, kToolBarId) || !bar->LoadToolBar(kToolBarResource)) {
    delete bar;
    return FALSE;
  }
  bar->SetBarStyle(bar->GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
  toolBar_ = bar;
  return TRUE;
}

BOOL CQXMainFrame::CreateStatusBar() {
  static const UINT indicators[] = {ID_SEPARATOR, kIndicatorShift, kIndicatorCtrl, kIndicatorAlt};
  auto* bar = new COrvoStatusBar;
  if (!bar->Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, kStatusBarId) ||
      !bar->SetIndicators(indicators, int(std::size(indicators)))) {
    delete bar;
    return FALSE;
  }
  statusBar_ = bar;
  return TRUE;
}

BOOL CQXMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
  if (!context || !context->m_pNewViewClass) return FALSE;
  auto* splitter = new CQXSplitterWnd;
  if (!splitter->CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, kSplitterId)) {
    delete splitter;
    return FALSE;
  }
  splitter_ = splitter;
  const int width = AppGetProfileInt(kSettings, "Calc Pane width", kDefaultTreeWidth);
  if (!splitter->CreateView(0, 0, context->m_pNewViewClass, QSize(width, 32000), context)) return FALSE;
  CCreateContext content{RUNTIME_CLASS(CQXContentsView), context->m_pCurrentDoc};
  if (!splitter->CreateView(0, 1, RUNTIME_CLASS(CQXContentsView), QSize(0, 0), &content)) return FALSE;
  SetActiveView(qobject_cast<CView*>(splitter->GetPane(0, 0)));
  return TRUE;
}

void CQXMainFrame::OnDestroy() {
  if (contentTimer_) KillTimer(contentTimer_);
  contentTimer_ = 0;
  // A splitter never laid out has no width to keep.
  if (splitter_ && splitter_->width() > 0) {
    int current = 0, min = 0;
    splitter_->GetColumnInfo(0, current, min);
    AppWriteProfileInt(kSettings, "Calc Pane width", current);
  }
  listener_.reset();
  if (GetMainFrameServices() == this) SetMainFrameServices(nullptr);
  COrvoMainFrame::OnDestroy();
}

void CQXMainFrame::OnClose() {
  if (CommitActivePage()) COrvoMainFrame::OnClose();
}

CQXTreeView* CQXMainFrame::GetTreeView() const {
  return splitter_ ? qobject_cast<CQXTreeView*>(splitter_->GetPane(0, 0)) : nullptr;
}

CQXContentsView* CQXMainFrame::GetContentView() const {
  return splitter_ ? qobject_cast<CQXContentsView*>(splitter_->GetPane(0, 1)) : nullptr;
}

CDocument* CQXMainFrame::GetActiveDocument() {
  if (CDocument* doc = COrvoMainFrame::GetActiveDocument()) return doc;
  CQXTreeView* tree = GetTreeView();
  return tree ? tree->GetDocument() : nullptr;
}

int CQXMainFrame::activeColumn() {
  int row = -1, col = -1;
  if (!splitter_ || !splitter_->GetActivePane(&row, &col)) return -1;
  return col;
}

BOOL CQXMainFrame::CommitActivePage() {
  CQXTreeView* tree = GetTreeView();
  CQXContentsView* content = GetContentView();
  if (!tree || !content) return FALSE;
  TreeSelectionInfo selection;
  if (!tree->GetSelection(&selection) || selection.kind == 1) return TRUE;
  if (!content->HasPendingEdits()) return TRUE;
  // A command that comes while the user is being asked waits for the answer.
  if (askingAfterFailedStore_) return FALSE;
  if (auto* doc = qobject_cast<CQXDoc*>(tree->GetDocument())) doc->ClearUndo();
  if (!content->Validate()) return FALSE;
  // Edits the user can mend keep the user on the page to mend them.
  if (!content->SaveToDocument() && (content->CanMendFailedStore() || !askAfterFailedStore(tree, content)))
    return FALSE;
  content->SetPendingEdits(FALSE);
  return TRUE;
}

BOOL CQXMainFrame::askAfterFailedStore(CQXTreeView* tree, CQXContentsView* content) {
  TreeItemInfo info;
  info.mask = TreeItemInfo::kName | TreeItemInfo::kDescription;
  HTREEITEM item = nullptr;
  if (tree->GetSelectedItem(&item)) tree->GetItemInfo(item, &info);
  const QString name = CalcPlainText(info.description[0] ? info.description : info.name);
  const QPointer<CQXContentsView> asked = content;
  askingAfterFailedStore_ = true;
  const int answer =
      AfxMessageBox(CLanguageLibrary::FormatMessage(kStringSaveChanges, name), MB_YESNOCANCEL | MB_ICONQUESTION);
  askingAfterFailedStore_ = false;
  // The view may have gone while the question was open.
  if (!asked || asked != GetContentView()) return FALSE;
  if (answer == IDYES) return content->SaveToDocument();
  if (answer != IDNO) return FALSE;
  content->DiscardPendingEdits();
  return TRUE;
}

BOOL CQXMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (nCode == CN_COMMAND && !pHandlerInfo && isGuarded(nID) && !CommitActivePage()) return TRUE;
  if (COrvoMainFrame::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  // The page's commands also work while the tree has the focus.
  if (!IsInPrintPreview() && activeColumn() == 0)
    if (CQXContentsView* content = GetContentView()) return content->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  return FALSE;
}

BOOL CQXMainFrame::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && msg->keyEvent && !IsInPrintPreview()) {
    const Qt::KeyboardModifiers mods = msg->keyEvent->modifiers();
    const int column = activeColumn();
    if (mods & Qt::ControlModifier) {
      PostMessage(msgQXSwitchToPane, column == 0 ? 1 : 0);
      PostMessage(WM_COMMAND, kCmdSelectFirstPage);
      return TRUE;
    }
    if (!(mods & Qt::ShiftModifier)) {
      if (column == 0) {
        PostMessage(msgQXSwitchToPane, 1);
        return TRUE;
      }
      if (column == 1 && isIconView(GetContentView())) PostMessage(msgQXSwitchToPane, 0);
    }
  }
  // The preview has keys of its own; the frame's are off while it runs.
  if (IsInPrintPreview()) return CWnd::PreTranslateMessage(msg);
  return COrvoMainFrame::PreTranslateMessage(msg);
}

void CQXMainFrame::keepColumnWidths() {
  // Before the first layout the columns have no widths of their own yet.
  if (!splitter_ || !splitter_->IsLaidOut()) return;
  int current = 0, min = 0;
  splitter_->GetColumnInfo(0, current, min);
  splitter_->SetColumnInfo(0, current, min);
}

BOOL CQXMainFrame::ReplaceContentView(const CRuntimeClass* viewClass, CQXContentsView** view, BOOL activate) {
  if (contentTimer_) KillTimer(contentTimer_);
  contentTimer_ = 0;
  activateAfterTimer_ = FALSE;
  if (view) *view = nullptr;
  if (!splitter_) return FALSE;

  CWnd* old = splitter_->GetPane(0, 1);
  CDocument* doc = nullptr;
  if (auto* oldView = qobject_cast<CView*>(old)) doc = oldView->GetDocument();
  else if (CQXTreeView* tree = GetTreeView()) doc = tree->GetDocument();
  int width = 0, height = 0, min = 0;
  splitter_->GetColumnInfo(1, width, min);
  splitter_->GetRowInfo(0, height, min);
  keepColumnWidths();
  if (splitter_->GetPane(0, 0)) splitter_->SetActivePane(0, 0);

  // The old view leaves the pane and the routing now; it is freed once the
  // current event is handled, since this may run inside one of its own
  // handlers.
  if (old) splitter_->DeleteView(0, 1);
  CCreateContext context{viewClass, doc};
  CQXContentsView* created = nullptr;
  if (viewClass && splitter_->CreateView(0, 1, viewClass, QSize(width, height), &context)) {
    created = GetContentView();
    if (!created) splitter_->DeleteView(0, 1);  // not a content view
  }
  if (created) {
    if (view) *view = created;
    contentTimer_ = SetTimer(kContentTimerId, kContentTimerMs);
    activateAfterTimer_ = activate;
  } else {
    const CRuntimeClass* empty = FindRuntimeClass("CQXEmptyDataView");
    if (!empty) empty = RUNTIME_CLASS(CQXContentsView);
    context.m_pNewViewClass = empty;
    if (!splitter_->CreateView(0, 1, empty, QSize(width, height), &context)) {
      // The column stays empty; the document and the program live on.
      splitter_->RecalcLayout();
      AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
      return FALSE;
    }
    splitter_->RecalcLayout();
    AfxMessageBox(kStringCommandFailed);
    contentTimer_ = SetTimer(kContentTimerId, kContentTimerMs);
  }
  splitter_->RecalcLayout();
  return TRUE;
}

void CQXMainFrame::OnTimer(UINT_PTR id) {
  if (id != kContentTimerId) {
    COrvoMainFrame::OnTimer(id);
    return;
  }
  KillTimer(id);
  contentTimer_ = 0;
  // A page view comes with its sheet disabled until it has settled.
  if (CQXContentsView* content = GetContentView())
    for (CPropertySheet* sheet : content->findChildren<CPropertySheet*>())
      if (dynamic_cast<CQXContentSheet*>(sheet)) sheet->EnableWindow(TRUE);
  if (activateAfterTimer_) OnSwitchToPane(1, 0);
  activateAfterTimer_ = FALSE;
}

void CQXMainFrame::OnSplit() {
  if (splitter_) splitter_->DoKeyboardSplit();
}

void CQXMainFrame::OnUpdateSplit(CCmdUI* ui) { ui->Enable(splitter_ != nullptr); }

BOOL CQXMainFrame::OnBarCheck(UINT id) {
  QWidget* bar = id == kCmdViewToolBar ? static_cast<QWidget*>(toolBar_) : static_cast<QWidget*>(statusBar_);
  if (!bar) return FALSE;
  const bool show = bar->isHidden();
  bar->setVisible(show);
  AppWriteProfileInt(kSettings, id == kCmdViewToolBar ? "Toolbar" : "Status Bar", show ? 1 : 0);
  RecalcLayout();
  return TRUE;
}

void CQXMainFrame::OnUpdateBarMenu(CCmdUI* ui) {
  QWidget* bar = ui->m_nID == kCmdViewToolBar ? static_cast<QWidget*>(toolBar_) : static_cast<QWidget*>(statusBar_);
  ui->Enable(bar != nullptr);
  ui->SetCheck(bar && !bar->isHidden() ? 1 : 0);
}

namespace {
CQXMainFrame::PrintFunctions printFunctions;
}

void CQXMainFrame::SetPrintFunctions(const PrintFunctions& functions) { printFunctions = functions; }

// Printing goes through the print view of the kind of the content view's
// page (also while the tree has the focus).
void CQXMainFrame::OnFilePrint() {
  if (printFunctions.print && !IsInPrintPreview()) printFunctions.print(this, kCmdFilePrint);
}

void CQXMainFrame::OnFilePrintDirect() {
  if (printFunctions.print && !IsInPrintPreview()) printFunctions.print(this, kCmdFilePrintDirect);
}

void CQXMainFrame::OnFilePrintPreview() {
  if (printFunctions.print && !IsInPrintPreview()) printFunctions.print(this, kCmdFilePrintPreview);
}

void CQXMainFrame::OnUpdateFilePrint(CCmdUI* ui) {
  ui->Enable(!IsInPrintPreview() && printFunctions.canPrint && printFunctions.canPrint());
}

void CQXMainFrame::OnHelpIndex() {
  if (CWinApp* app = AfxGetApp()) app->OnHelpFinder();
}

void CQXMainFrame::OnHelpContext() { OnHelp(); }

void CQXMainFrame::OnUpdateKeyIndicator(CCmdUI* ui) {
  const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
  const Qt::KeyboardModifier key = ui->m_nID == kIndicatorShift  ? Qt::ShiftModifier
                                   : ui->m_nID == kIndicatorCtrl ? Qt::ControlModifier
                                                                 : Qt::AltModifier;
  ui->Enable(mods.testFlag(key));
}

LRESULT CQXMainFrame::OnCopyDataMessage(WPARAM wParam, LPARAM lParam) {
  return OnCopyData(CWnd::FromHandle(reinterpret_cast<QWidget*>(wParam)),
                    reinterpret_cast<const COPYDATASTRUCT*>(lParam));
}

BOOL CQXMainFrame::OnCopyData(CWnd*, const COPYDATASTRUCT* data) {
  if (data && data->dwData == kItemMovedDataCode) return OnItemMovedElsewhere(data);
  if (!data || !(data->dwData & 0x01)) return FALSE;
  if ((data->dwData & 0x20) || !(data->dwData & 0x40) || data->cbData >= kProbeMaxPathBytes || !data->lpData)
    return FALSE;
  QByteArray bytes(static_cast<const char*>(data->lpData), qsizetype(data->cbData));
  if (const qsizetype end = bytes.indexOf('\0'); end >= 0) bytes.truncate(end);
  CDocument* doc = GetActiveDocument();
  if (!doc || doc->GetPathName().isEmpty() || bytes.isEmpty()) return FALSE;
  return IsSameFile(QFile::decodeName(bytes), doc->GetPathName()) ? TRUE : FALSE;
}

BOOL CQXMainFrame::OnItemMovedElsewhere(const COPYDATASTRUCT* data) {
  if (data->cbData <= 4 || data->cbData >= kProbeMaxPathBytes || !data->lpData) return FALSE;
  const auto* bytes = static_cast<const char*>(data->lpData);
  const DWORD view = qFromLittleEndian<quint32>(bytes);
  const std::string path(bytes + 4, strnlen(bytes + 4, data->cbData - 4));
  auto* doc = qobject_cast<CQXDoc*>(GetActiveDocument());
  if (!doc || !ConfirmMovedElsewhere(doc, view, path.c_str())) return FALSE;
  // Its page holds edits not stored yet: the user keeps working on it.
  TreeSelectionInfo selection;
  CQXTreeView* tree = GetTreeView();
  CQXContentsView* content = GetContentView();
  if (tree && content && tree->GetSelection(&selection) && path == selection.path && content->HasPendingEdits())
    return FALSE;
  return doc->RemoveMovedItem(path.c_str());
}

LRESULT CQXMainFrame::OnSwitchToPane(WPARAM wParam, LPARAM) {
  const int column = int(wParam);
  if (!splitter_ || column < 0 || column > 1) return 0;
  if (activeColumn() != column) {
    if (CQXTreeView* tree = GetTreeView()) tree->FlushDelayedSelection();
    splitter_->SetActivePane(0, column);
  }
  return 0;
}

LRESULT CQXMainFrame::OnSwitchToView(WPARAM, LPARAM) {
  CQXContentsView* content = GetContentView();
  if (activeColumn() == 1 && isIconView(content)) {
    auto* icons = dynamic_cast<CQXSelectedInfoSource*>(content);
    TreeItemInfo info;
    info.mask = TreeItemInfo::kPath;
    if (!icons || !icons->GetSelectedInfo(&info)) return 0;
    if (CQXTreeView* tree = GetTreeView()) tree->SelectPath(info.path, TRUE);
  }
  OnSwitchToPane(1, 0);
  return 0;
}

void CQXMainFrame::bringToFront() {
  if (canFlashWindows()) {
    QApplication::alert(this, 0);
  } else {
    raise();
    activateWindow();
  }
}

LRESULT CQXMainFrame::OnBringToFront(WPARAM, LPARAM) {
  if (!isActiveWindow()) bringToFront();
  return 0;
}

LRESULT CQXMainFrame::OnOpenDroppedUrl(WPARAM, LPARAM) {
  bringToFront();
  const std::string url = droppedUrl_;
  OpenUrl(url.c_str());
  return 0;
}

void CQXMainFrame::PostFrameMessage(UINT message) { PostMessage(message); }

void CQXMainFrame::SendFrameMessage(UINT message) { SendMessage(message); }

bool CQXMainFrame::IsMainWindowEnabled() const { return isEnabled(); }

QWidget* CQXMainFrame::GetMainWindow() const { return const_cast<CQXMainFrame*>(this); }

void RegisterQXMainFrameClasses() {
  RegisterQXMessages();
  RegisterRuntimeClass(RUNTIME_CLASS(CQXMainFrame));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXSplitterWnd));
  RegisterQXContentsViewClass();
  RegisterQXIconViewClass();
  RegisterQXTreeViewClass();
  RegisterQXDocClass();
}
