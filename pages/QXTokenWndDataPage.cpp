#include "pages/QXTokenWndDataPage.h"

#include "app/QXAppMessages.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/CmdUI.h"
#include "platform/Document.h"
#include "platform/LanguageLibrary.h"
#include "platform/RuntimeClass.h"
#include "services/DocServices.h"
#include "tokens/CmdListCtrl.h"

#include <utility>
#include <QCursor>
#include <QLayout>
#include <QMouseEvent>

namespace {

constexpr UINT kToolBarResource = 130;
constexpr UINT kBandCursor = 30981;
constexpr UINT kFirstViewCommand = 23050;
constexpr UINT kLastViewCommand = 23054;
constexpr char kPaneHeightKey[] = "Data Page List Height";
constexpr int kBandHeight = 4;
// The pane keeps more than this, and the rest of the page more than twice it.
constexpr int kPaneMin = 80;
constexpr int kEditorMin = 160;

// The stored height; a damaged one (80 or less would let pane and editor
// overlap) reads as the default.
int storedPaneHeight() {
  const int height = tallix::settings::readInt(tallix::settings::kSettings, kPaneHeightKey);
  return height > kPaneMin ? height : CQXTokenWndDataPage::kDefaultPaneHeight;
}

CQXDocServices* docServices(CDocument* document) { return dynamic_cast<CQXDocServices*>(document); }

}  // namespace

// The tool bar of the page: no panel of its own behind the buttons (the page
// shows through), no top border.
class CQXTokenWndToolBar : public CToolBar {
 public:
  using CToolBar::CToolBar;

 protected:
  void paintEvent(QPaintEvent*) override {}
};

// The band above the pane: shows the sizing cursor and hands the mouse to
// the page. Pressed, it keeps the mouse until the button goes up.
class CQXPaneBand : public QWidget {
 public:
  explicit CQXPaneBand(CQXTokenWndDataPage* page) : QWidget(page), page_(page) {
    const QPixmap cursor = CLanguageLibrary::LoadCursorImage(kBandCursor);
    setCursor(cursor.isNull() ? QCursor(Qt::SplitVCursor) : QCursor(cursor));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) page_->OnLButtonDown(0, pagePoint(event));
  }
  void mouseMoveEvent(QMouseEvent* event) override { page_->OnMouseMove(0, pagePoint(event)); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) page_->OnLButtonUp(0, pagePoint(event));
  }
  // The window lost the mouse to another (deactivated, hidden): the drag
  // is cancelled as when the system cancels a mode.
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) cancel();
  }
  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    cancel();
  }

 private:
  QPoint pagePoint(QMouseEvent* event) const { return mapTo(page_, event->position().toPoint()); }
  void cancel() {
    if (page_->IsDraggingBand()) page_->SendMessage(WM_CANCELMODE);
  }
  CQXTokenWndDataPage* page_;
};

const CMessageMap& CQXTokenWndDataPage::messageMap() {
  static const CMessageMap map = [] {
    MessageMapOf<CQXTokenWndDataPage> m(CQXDataPage::messageMap());
    m.commandRange(kFirstViewCommand, kLastViewCommand, &CQXTokenWndDataPage::OnViewCommand)
        .updateUIRange(kFirstViewCommand, kLastViewCommand, &CQXTokenWndDataPage::OnUpdateViewCommand)
        .message(kMsgCommandDragged, &CQXTokenWndDataPage::OnCommandDragged)
        .message(WM_CANCELMODE, &CQXTokenWndDataPage::OnCancelMode);
    for (UINT id = CQXCmdChooser::kFirstViewId; id <= CQXCmdChooser::kLastViewId; ++id)
      m.notify(NM_DBLCLK, id, &CQXTokenWndDataPage::OnViewDblClk);
    for (UINT id = CQXCmdChooser::kFirstViewId + 1; id <= CQXCmdChooser::kFirstViewId + 3; ++id)
      m.notify(LVN_COLUMNCLICK, id, &CQXTokenWndDataPage::OnListColumnClick);
    return CMessageMap(m);
  }();
  return map;
}

CQXTokenWndDataPage::CQXTokenWndDataPage()
    : CQXDataPage(), toolBar_(new CQXTokenWndToolBar), pane_(docServices(document), tallix::settings::kTokenView) {
  init();
}

CQXTokenWndDataPage::CQXTokenWndDataPage(UINT templateId)
    : CQXDataPage(templateId),
      toolBar_(new CQXTokenWndToolBar),
      pane_(docServices(document), tallix::settings::kTokenView) {
  init();
}

void CQXTokenWndDataPage::init() {
  paneHeight_ = storedPaneHeight();
  dragStartHeight_ = paneHeight_;
}

// The band goes first: it asks the page about a drag when it hides, which
// the page's bases do while they take the window down.
CQXTokenWndDataPage::~CQXTokenWndDataPage() { delete std::exchange(band_, nullptr); }

CToolBar& CQXTokenWndDataPage::GetToolBar() { return *toolBar_; }

// ---- creation and notifications

BOOL CQXTokenWndDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  if (CQXDocServices* doc = docServices(document)) FillTokenTextMap(doc->GetTokenTable(), &textMap_);
  toolBarMade_ = toolBar_->Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM | CBRS_FLYBY | CBRS_TOOLTIPS,
                                  AFX_IDW_TOOLBAR) &&
                 toolBar_->LoadToolBar(kToolBarResource);
  if (!toolBarMade_) {
    SetPageState(10);
    return FALSE;
  }
  toolBar_->SetBarStyle(toolBar_->GetBarStyle() & ~CBRS_BORDER_TOP);
  toolBar_->setContentsMargins(0, 0, 0, 0);
  if (QLayout* bar = toolBar_->layout()) {
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);
  }
  toolBar_->SetOwner(this);
  toolBar_->resize(toolBarSize());
  band_ = new CQXPaneBand(this);
  band_->hide();
  if (!pane_.Create(this, TRUE)) SetPageState(10);
  return FALSE;
}

void CQXTokenWndDataPage::OnDocNotify(int code, QObject* argument) {
  if (code == kNotifyCommandListsChanged) {
    if (HasWindow()) pane_.Refresh();
    return;
  }
  CQXDataPage::OnDocNotify(code, argument);
}

void CQXTokenWndDataPage::OnDestroy() {
  pane_.SaveState();
  AppWriteProfileInt(tallix::settings::kSettings, kPaneHeightKey, paneHeight_);
  CQXDataPage::OnDestroy();
}

// ---- layout

QSize CQXTokenWndDataPage::toolBarSize() const {
  const QWidget* first = toolBar_->widgetForAction(toolBar_->GetButton(0));
  const QSize button = first ? first->sizeHint() : toolBar_->iconSize();
  return QSize(toolBar_->GetCount() * button.width(), button.height());
}

void CQXTokenWndDataPage::OnSize(UINT type, int cx, int cy) {
  CQXDataPage::OnSize(type, cx, cy);
  if (!toolBarMade_) return;
  const QSize bar = toolBarSize();
  const int barTop = cy - bar.height() - 2;
  toolBar_->setGeometry(1, barTop, bar.width(), bar.height());
  editorBottom_ = barTop;
  if (!firstSizeDone_) {
    // The first size may still be the form's own: the stored height is not
    // clamped to it. The pane is placed once the page has settled, whether
    // or not its sheet sizes it again.
    firstSizeDone_ = TRUE;
    QMetaObject::invokeMethod(
        this, [this] { OnSize(SIZE_RESTORED, width(), height()); }, Qt::QueuedConnection);
    return;
  }
  if (cy - paneHeight_ < kPaneMin) paneHeight_ = cy - kPaneMin > kPaneMin ? cy - kPaneMin : kDefaultPaneHeight;
  const int paneTop = barTop - paneHeight_ - 4;
  pane_.MoveViews(1, paneTop, cx - 2, paneHeight_);
  paneLaidOut_ = true;
  editorBottom_ = barTop - paneHeight_ - 8;
  if (band_) {
    band_->setGeometry(1, paneTop - kBandHeight, std::max(0, cx - 2), kBandHeight);
    band_->show();
  }
}

QRect CQXTokenWndDataPage::GetBandRect() const {
  if (!paneLaidOut_) return QRect();
  const QRect pane = pane_.GetViewRect();
  return QRect(mapFromGlobal(pane.topLeft()) - QPoint(0, kBandHeight), QSize(pane.width(), kBandHeight));
}

// ---- the band

void CQXTokenWndDataPage::OnLButtonDown(UINT, QPoint point) {
  if (!GetBandRect().contains(point)) return;
  dragging_ = TRUE;
  dragStartHeight_ = paneHeight_;
  dragStartY_ = point.y();
  if (band_) band_->grabMouse();
}

void CQXTokenWndDataPage::OnMouseMove(UINT, QPoint point) {
  if (dragging_) trackTo(point);
}

void CQXTokenWndDataPage::OnLButtonUp(UINT, QPoint point) {
  if (!dragging_) return;
  dragging_ = FALSE;
  if (band_) band_->releaseMouse();
  trackTo(point);
}

void CQXTokenWndDataPage::trackTo(QPoint point) {
  const int height = dragStartHeight_ + dragStartY_ - point.y();
  if (height <= kPaneMin || this->height() - height <= kEditorMin || height == paneHeight_) return;
  paneHeight_ = height;
  relayout();
}

void CQXTokenWndDataPage::cancelDrag() {
  dragging_ = FALSE;
  if (band_) band_->releaseMouse();
  paneHeight_ = dragStartHeight_;
  relayout();
}

LRESULT CQXTokenWndDataPage::OnCancelMode(WPARAM, LPARAM) {
  if (dragging_) cancelDrag();
  return 0;
}

void CQXTokenWndDataPage::relayout() {
  CWnd* sheet = GetParent();
  if (sheet && sheet->SendMessage(kSheetMsgResizeActivePage)) return;
  OnSize(SIZE_RESTORED, width(), height());
}

BOOL CQXTokenWndDataPage::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    if (dragging_ && msg->wParam == VK_ESCAPE) {
      cancelDrag();
    } else if (msg->wParam == VK_RETURN && pane_.HasFocus()) {
      PostMessage(WM_COMMAND, kCmdInsertCommand);
      return TRUE;
    }
  }
  return CQXDataPage::PreTranslateMessage(msg);
}

// ---- the pane's views

void CQXTokenWndDataPage::OnViewCommand(UINT id) { pane_.SetCurrentView(int(id - kFirstViewCommand)); }

void CQXTokenWndDataPage::OnUpdateViewCommand(CCmdUI* cmdUI) {
  cmdUI->Enable(TRUE);
  cmdUI->SetCheck(pane_.GetCurrentView() == int(cmdUI->m_nID - kFirstViewCommand));
}

void CQXTokenWndDataPage::OnViewDblClk(NMHDR*, LRESULT* result) {
  PostMessage(WM_COMMAND, kCmdInsertCommand);
  *result = 0;
}

void CQXTokenWndDataPage::OnListColumnClick(NMHDR* header, LRESULT* result) {
  pane_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
  *result = 0;
}

LRESULT CQXTokenWndDataPage::OnCommandDragged(WPARAM, LPARAM) {
  pane_.AddSelectionToLastUsed();
  return 0;
}

void RegisterTokenWndPageClasses() { RegisterRuntimeClass(RUNTIME_CLASS(CQXTokenWndDataPage)); }
