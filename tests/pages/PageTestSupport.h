// The main window around the page views under test: a document with the
// in-memory items and a busy counter, a tree whose selection the test sets.
#pragma once

#include "app/MainFrameFunctions.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "platform/CmdUI.h"
#include "platform/WinApp.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <functional>
#include <map>
#include <string>

namespace tallix::test {

class PageDoc : public CQXDoc {
  Q_OBJECT

 public:
  DECLARE_MESSAGE_MAP()
  FakeDocServices fake;
  std::vector<std::string>& savedPaths = fake.savedPaths;
  int busy = 0;
  int shownSelection = 0;            // command 28020 reached the document
  int newItems = 0;                  // command 22102 reached the document
  std::map<std::string, std::string> fileUnder;  // SaveItem files path -> other path
  std::vector<std::pair<std::string, int>> removed;  // path, busy count
  std::function<void()> onFiling;  // runs inside SaveItem and RemoveItem

  void put(const std::string& path, CQXCalcItem* item) { fake.put(path, item); }
  std::unique_ptr<CQXDocEntry> get(const std::string& path) const { return fake.get(path); }
  void ClearUndo() override {}
  int SetBusy(BOOL on) override { return busy += on ? 1 : -1; }
  BOOL LoadItem(const char* path, CQXDocEntry* out) override { return fake.LoadItem(path, out); }
  BOOL SaveItem(CQXDocEntry* entry, char* outPath) override {
    if (auto it = fileUnder.find(entry->Path()); it != fileUnder.end()) entry->SetPath(it->second.c_str());
    if (onFiling) onFiling();
    if (!fake.SaveItem(entry, nullptr)) return FALSE;
    if (outPath) qstrncpy(outPath, entry->Path().c_str(), 256);
    return TRUE;
  }
  BOOL RemoveItem(const char* path, DWORD* out, BOOL undo) override {
    removed.emplace_back(path, busy);
    if (onFiling) onFiling();
    return fake.RemoveItem(path, out, undo);
  }
  void OnShowSelection() { ++shownSelection; }
  void OnNewItem() { ++newItems; }
  // The document's own rule needs a real store and tree; here New is open.
  void OnUpdateNewItem(CCmdUI* cmdUI) { cmdUI->Enable(TRUE); }
};

// One selected entry, whose path, kind and description the test sets.
class PageTree : public CQXTreeView {
  Q_OBJECT

 public:
  Q_INVOKABLE PageTree() = default;
  static inline bool hasSelection = true;
  static inline int kind = 0;
  static inline int itemData = 0;
  static inline std::string path = "\\Calculator\\Matrice\\A";
  static inline std::string description = "Mat A";
  static inline std::vector<std::pair<std::string, int>> selected;  // path, document's busy count

  BOOL GetSelectedItem(HTREEITEM* item) override {
    *item = hasSelection ? reinterpret_cast<HTREEITEM>(this) : nullptr;
    return hasSelection;
  }
  BOOL GetSelection(TreeSelectionInfo* info) override {
    if (!hasSelection) return FALSE;
    qstrncpy(info->path, path.c_str(), sizeof info->path);
    info->kind = kind;
    info->itemData = itemData;
    return TRUE;
  }
  BOOL GetItemInfo(HTREEITEM item, TreeItemInfo* info) override {
    if (!item) return FALSE;
    qstrncpy(info->path, path.c_str(), sizeof info->path);
    const size_t slash = path.rfind('\\');
    qstrncpy(info->name, path.substr(slash + 1).c_str(), sizeof info->name);
    qstrncpy(info->description, description.c_str(), sizeof info->description);
    info->kind = kind;
    info->valid = 1;
    return TRUE;
  }
  BOOL SelectPath(const char* p, BOOL) override {
    auto* doc = dynamic_cast<PageDoc*>(GetDocument());
    selected.emplace_back(p, doc ? doc->busy : -1);
    path = p;
    return TRUE;
  }
};

class PageWindow {
 public:
  PageWindow() {
    PageTree::hasSelection = true;
    PageTree::kind = 0;
    PageTree::itemData = 0;
    PageTree::path = "\\Calculator\\Matrice\\A";
    PageTree::description = "Mat A";
    PageTree::selected.clear();
    RegisterQXMainFrameClasses();
    frame = new CQXMainFrame;
    CCreateContext context{RUNTIME_CLASS(PageTree), &doc};
    frame->LoadFrame(128, nullptr, &context);
    app.m_pMainWnd = frame;
    frame->setGeometry(40, 40, 760, 520);
    frame->show();
    QApplication::setActiveWindow(frame);
    QCoreApplication::processEvents();
  }
  ~PageWindow() {
    if (frame) frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  template <class View>
  View* show(const CRuntimeClass* cls = RUNTIME_CLASS(View)) {
    CQXContentsView* view = nullptr;
    frame->ReplaceContentView(cls, &view, FALSE);
    return qobject_cast<View*>(view);
  }
  // Kept up for a look when TALLIX_SHOW_MS is set.
  static void lookAt() {
    if (const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS"); ms > 0) {
      const QDeadlineTimer until(ms);
      while (!until.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
  // The texts of a main-menu popup, '&' removed.
  QStringList popupTexts(int position) const {
    QStringList out;
    QMenu* menu = frame->GetMenuBar()->actions().at(position)->menu();
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text().remove('&').section('\t', 0, 0));
    return out;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CWinApp app;
  PageDoc doc;
  QPointer<CQXMainFrame> frame;
};

}  // namespace tallix::test
