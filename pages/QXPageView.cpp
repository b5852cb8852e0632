#include "pages/QXPageView.h"

#include "services/DocServices.h"
#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXAppMessages.h"
#include "datamodel/QXDocEntry.h"
#include "pages/QXDataPage.h"
#include "pages/QXDescriptionPage.h"
#include "platform/CmdUI.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"

#include <QFocusEvent>

#include <cstring>
#include <new>

namespace {

constexpr UINT kStringOutOfMemory = 61706;
constexpr DWORD kSheetStyle = 0x5A000000;  // child, visible, disabled, clipping its children

// A command that comes back to the view from its own sheet is not offered
// to the sheet again.
int commandReentry = 0;

struct Reentry {
  Reentry() { ++commandReentry; }
  ~Reentry() { --commandReentry; }
};

// Raises the document's busy counter for the life of the guard.
struct Busy {
  explicit Busy(CQXDocServices* doc) : doc_(doc) {
    if (doc_) doc_->SetBusy(TRUE);
  }
  ~Busy() {
    if (doc_) doc_->SetBusy(FALSE);
  }
  CQXDocServices* doc_;
};

BOOL treeSelectionPath(CQXTreeView* tree, char (&path)[256]) {
  TreeSelectionInfo selection;
  path[0] = 0;
  if (!tree || !tree->GetSelection(&selection)) return FALSE;
  qstrncpy(path, selection.path, sizeof path);
  return TRUE;
}

}  // namespace

// ---------------------------------------------------------------- CQXPageView

const CMessageMap& CQXPageView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXPageView>(CQXContentsView::messageMap())
                                     .message(WM_SIZE, &CQXPageView::OnSizeMessage)
                                     .registeredMessage(msgQXGetViewData, &CQXPageView::OnGetViewData);
  return map;
}

CQXPageView::CQXPageView(QWidget* parent) : CQXContentsView(parent) {}

CQXPageView::~CQXPageView() = default;

CQXDataPage* CQXPageView::PageAt(int index) const {
  return sheet_ ? qobject_cast<CQXDataPage*>(sheet_->GetPage(index)) : nullptr;
}

CQXDocServices* CQXPageView::GetDocServices() const { return dynamic_cast<CQXDocServices*>(GetDocument()); }

void CQXPageView::rememberEntry() {
  CQXTreeView* tree = GetTreeView();
  TreeItemInfo info;
  info.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
  HTREEITEM item = nullptr;
  if (!tree || !tree->GetSelectedItem(&item) || !tree->GetItemInfo(item, &info)) return;
  entryInfo_ = info;
  qstrncpy(entryPath_, info.path, sizeof entryPath_);
  entryKnown_ = true;
}

void CQXPageView::GetEntryInfo(TreeItemInfo* info) {
  const int mask = info->mask;
  if (entryKnown_) {
    *info = entryInfo_;
  } else {
    info->mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
    GetSelectedItemInfo(info);
  }
  info->mask = mask;
}

int CQXPageView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXContentsView::OnCreate(lpCreateStruct) == -1) return -1;
  rememberEntry();
  sheet_ = new CQXContentSheet(QString(), this);
  sheet_->EnableStackedTabs(FALSE);
  // The frame enables the sheet once the replacement has settled.
  if (!CreatePages() || !sheet_->Create(this, kSheetStyle)) {
    RemovePages();
    delete sheet_;
    sheet_ = nullptr;
    return -1;
  }
  for (int i = 0; i < sheet_->GetPageCount(); ++i) {
    CQXDataPage* page = PageAt(i);
    if (page && !page->IsPageCreated()) return -1;
  }
  if (auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd())) sheet_->SetAccelerators(frame->GetAccelerators());
  layoutSheet();
  return 0;
}

void CQXPageView::OnDestroy() {
  SetRedraw(FALSE);
  if (sheet_) sheet_->EnableWindow(FALSE);
  RemovePages();
  CQXContentsView::OnDestroy();
}

void CQXPageView::layoutSheet() {
  if (sheet_ && sheet_->GetTabControl()) sheet_->LayoutInParent();
}

void CQXPageView::resizeEvent(QResizeEvent* event) {
  CQXContentsView::resizeEvent(event);
  layoutSheet();
}

LRESULT CQXPageView::OnSizeMessage(WPARAM, LPARAM) {
  layoutSheet();
  return 0;
}

void CQXPageView::focusInEvent(QFocusEvent* event) {
  CQXContentsView::focusInEvent(event);
  if (!sheet_) return;
  // The control of the sheet that had the focus last takes it again, as a
  // dialog gives it back: the pane made active after a page refused to be
  // left keeps the keyboard on the control the page focused.
  if (QWidget* last = sheet_->focusWidget(); last && last != sheet_ && SetFocusIfUsable(last)) return;
  sheet_->setFocus(event->reason());
}

std::unique_ptr<CQXDocEntry> CQXPageView::LoadShownEntry() {
  CQXDocServices* doc = GetDocServices();
  TreeItemInfo info;
  info.mask = TreeItemInfo::kPath;
  GetEntryInfo(&info);
  auto entry = std::make_unique<CQXDocEntry>();
  if (!doc || !info.path[0] || !doc->LoadItem(info.path, entry.get()) || !entry->GetItem()) return nullptr;
  return entry;
}

BOOL CQXPageView::CreatePages() { return FALSE; }

void CQXPageView::AddPage(CQXDataPage* page) {
  if (sheet_ && page) sheet_->AddPage(page);
}

void CQXPageView::RemovePages() {
  if (!sheet_) return;
  const int count = sheet_->GetPageCount();
  const int active = count > 0 ? std::max(0, sheet_->GetActiveIndex()) : 0;
  // In front of the active page, then behind it, the active one last: no
  // other page is activated meanwhile.
  auto removeAt = [this](int index) {
    CPropertyPage* page = sheet_->GetPage(index);
    sheet_->RemovePage(index);
    delete page;
  };
  for (int i = 0; i < active; ++i) removeAt(0);
  for (int i = 0; i < count - active - 1; ++i) removeAt(1);
  if (sheet_->GetPageCount() > 0) removeAt(0);
}

BOOL CQXPageView::IsAnyPageModified() {
  for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i)
    if (CQXDataPage* page = PageAt(i); page && page->IsModified()) return TRUE;
  return FALSE;
}

void CQXPageView::SetPagesModified(BOOL modified) {
  for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i)
    if (CQXDataPage* page = PageAt(i)) page->SetModified(modified);
}

void CQXPageView::NotifyPages(int code, QObject* argument) {
  for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i)
    if (CQXDataPage* page = PageAt(i)) page->OnDocNotify(code, argument);
}

void CQXPageView::OnUpdate(CView*, LPARAM hint, QObject* hintObject) { NotifyPages(int(hint), hintObject); }

void CQXPageView::DiscardPendingEdits() {
  NotifyPages(kNotifyItemChanged, nullptr);
  // The description page shows what it was given until it is given anew:
  // the dropped text would go into the document with the item's next store.
  for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i) {
    auto* description = qobject_cast<CQXDescriptionPage*>(PageAt(i));
    if (!description) continue;
    try {
      description->LoadFromItem(LoadShownEntry().get());
    } catch (const std::bad_alloc&) {
      AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
    }
  }
  // A page that counts what it shows as a change is not asked again.
  SetPagesModified(FALSE);
}

BOOL CQXPageView::ValidatePages() {
  try {
    TreeItemInfo info;
    info.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
    GetEntryInfo(&info);
    for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i)
      if (CQXDataPage* page = PageAt(i); page && !page->Validate(&info)) return FALSE;
    return TRUE;
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
}

BOOL CQXPageView::StorePages() {
  if (!sheet_) return TRUE;
  CQXDocServices* doc = GetDocServices();
  CQXTreeView* tree = GetTreeView();
  // What fails below, but a page's own refusal, the user cannot mend.
  storeMendable_ = false;
  try {
    TreeItemInfo info;
    info.mask = TreeItemInfo::kName | TreeItemInfo::kPath | TreeItemInfo::kDescription;
    GetEntryInfo(&info);
    std::unique_ptr<CQXDocEntry> entry = LoadShownEntry();
    if (!entry) entry = std::make_unique<CQXDocEntry>();  // a new item
    entry->SetPath(info.path);
    for (int i = 0; i < sheet_->GetPageCount(); ++i)
      if (CQXDataPage* page = PageAt(i); page && !page->StoreToItem(entry.get())) {
        storeMendable_ = page->IsRefusalMendable();
        return FALSE;
      }
    if (!doc) return FALSE;

    char selectedBefore[256];
    treeSelectionPath(tree, selectedBefore);
    char expected[256];
    qstrncpy(expected, selectedBefore, sizeof expected);
    {
      // Busy over the whole filing: a change of the selection it causes
      // does not rebuild this view from inside its own store.
      Busy busy(doc);
      if (entry->GetItem()) {
        char filedPath[256];
        qstrncpy(filedPath, info.path, sizeof filedPath);
        if (!doc->SaveItem(entry.get(), filedPath)) return FALSE;
        if (std::strcmp(filedPath, info.path) != 0) {
          if (tree) tree->SelectPath(filedPath, FALSE);
          qstrncpy(entryPath_, filedPath, sizeof entryPath_);
          qstrncpy(entryInfo_.path, filedPath, sizeof entryInfo_.path);
          if (const char* name = std::strrchr(filedPath, '\\'))
            qstrncpy(entryInfo_.name, name + 1, sizeof entryInfo_.name);
          entryKnown_ = true;
          qstrncpy(expected, filedPath, sizeof expected);
        }
      } else {
        doc->RemoveItem(info.path, nullptr, FALSE);
      }
    }
    // The filing moved the selection elsewhere: the document shows it once
    // this store is over.
    char selectedAfter[256];
    treeSelectionPath(tree, selectedAfter);
    if (std::strcmp(selectedAfter, expected) != 0)
      if (CWnd* frame = AfxGetMainWnd()) frame->PostMessage(WM_COMMAND, kCmdShowSelectedItem);
    storeMendable_ = true;
    return TRUE;
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
}

int CQXPageView::FindPageIndex(UINT pageId) const {
  for (int i = 0; sheet_ && i < sheet_->GetPageCount(); ++i)
    if (CQXDataPage* page = PageAt(i); page && page->GetPageId() == pageId) return i;
  return -1;
}

BOOL CQXPageView::IsPageShown(UINT pageId) const {
  if (!sheet_) return FALSE;
  auto* page = qobject_cast<CQXDataPage*>(sheet_->GetActivePage());
  return page && page->GetPageId() == pageId;
}

BOOL CQXPageView::ShowPage(UINT pageId) {
  const int index = FindPageIndex(pageId);
  if (index < 0) return FALSE;
  if (sheet_->GetActiveIndex() != index) sheet_->SetActivePage(index);
  return TRUE;
}

void CQXPageView::EnableSheet(BOOL enable) {
  if (sheet_) sheet_->EnableWindow(enable);
}

void CQXPageView::UpdatePageCommand(UINT pageId, CCmdUI* ui) {
  if (FindPageIndex(pageId) < 0) {
    ui->Enable(FALSE);
    return;
  }
  ui->Enable(TRUE);
  ui->SetCheck(IsPageShown(pageId) ? 1 : 0);
}

BOOL CQXPageView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (sheet_ && commandReentry == 0) {
    Reentry guard;
    if (sheet_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  }
  return CQXContentsView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CQXPageView::OnGetViewData(WPARAM wParam, LPARAM lParam) {
  CPropertyPage* page = sheet_ ? sheet_->GetActivePage() : nullptr;
  if (!page || !page->HasWindow()) return 0;
  return page->SendMessage(msgQXGetViewData, wParam, lParam);
}

// ---------------------------------------------------------------- View menu

void ReplaceViewMenuItems(const std::vector<std::pair<UINT, UINT>>& items) {
  CMenu* view = GetMenuPopupByKey(kPopupView);
  if (!view) return;
  view->RemoveMenu(kCmdSelectView, MF_BYCOMMAND);
  // Inserted at the top in reverse, so that the first stays first.
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    view->InsertMenu(0, MF_BYPOSITION | MF_STRING, it->first, CLanguageLibrary::LoadString(it->second));
}

void RestoreViewMenuItems() {
  CMenu* view = GetMenuPopupByKey(kPopupView);
  if (!view) return;
  view->RemoveMenu(kCmdShowMainPage, MF_BYCOMMAND);
  view->RemoveMenu(kCmdShowDescription, MF_BYCOMMAND);
  view->RemoveMenu(kCmdSelectView, MF_BYCOMMAND);  // never twice
  view->InsertMenu(0, MF_BYPOSITION | MF_STRING, kCmdSelectView, CLanguageLibrary::LoadString(10038));
}

// ---------------------------------------------------------------- CQXDataPageView

const CMessageMap& CQXDataPageView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXDataPageView>(CQXPageView::messageMap())
                                     .command(kCmdShowMainPage, &CQXDataPageView::OnShowMainPage)
                                     .updateUI(kCmdShowMainPage, &CQXDataPageView::OnUpdateShowMainPage)
                                     .command(kCmdShowDescription, &CQXDataPageView::OnShowDescription)
                                     .updateUI(kCmdShowDescription, &CQXDataPageView::OnUpdateShowDescription);
  return map;
}

CQXDataPageView::CQXDataPageView(QWidget* parent) : CQXPageView(parent) {}

CQXDataPageView::~CQXDataPageView() = default;

int CQXDataPageView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXPageView::OnCreate(lpCreateStruct) == -1) return -1;
  ReplaceViewMenuItems({{kCmdShowMainPage, mainPageMenuText}, {kCmdShowDescription, 10022}});
  menuReplaced = TRUE;
  return 0;
}

void CQXDataPageView::OnDestroy() {
  if (menuReplaced) {
    RestoreViewMenuItems();
    menuReplaced = FALSE;
  }
  CQXPageView::OnDestroy();
}

void CQXDataPageView::OnShowMainPage() { ShowPage(mainPageId); }

void CQXDataPageView::OnUpdateShowMainPage(CCmdUI* ui) { UpdatePageCommand(mainPageId, ui); }

void CQXDataPageView::OnShowDescription() { ShowPage(kDescriptionPageId); }

void CQXDataPageView::OnUpdateShowDescription(CCmdUI* ui) { UpdatePageCommand(kDescriptionPageId, ui); }
