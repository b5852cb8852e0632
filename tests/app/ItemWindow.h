// The program's window for the tests of the item clipboard, the drags and
// the icon view: a new document of the default model in the main frame,
// whose right pane shows what the program shows (the icon view for a
// folder, the page view for an item); and a user's drop played through
// Qt's drag events on the drop target's window.
#pragma once

#include "app/AppServices.h"
#include "app/DocManagerEx.h"
#include "app/ItemClipboardFormats.h"
#include "app/ItemTransfer.h"
#include "app/QXDoc.h"
#include "app/QXIconView.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXProgramItem.h"
#include "pages/QXViewTable.h"
#include "platform/OleDataSource.h"
#include "platform/WinApp.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallix::test {

class ItemWindow {
 public:
  ItemWindow() {
    RegisterQXMainFrameClasses();
    RegisterQXPageClasses();
    RegisterItemClipboardFormats();
    BuildAppImageLists();
    CQXDoc::SetSelectionViewFunction(&ShowSelectionView);
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd);
    doc = qobject_cast<CQXDoc*>(frame->GetActiveDocument());
    tree = doc->GetTreeView();
    frame->setGeometry(40, 40, 760, 900);
    frame->show();
    QApplication::setActiveWindow(frame);
  }
  ~ItemWindow() {
    CQXDoc::SetSelectionViewFunction(nullptr);
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Files `item` at `path` (a program: in its folder) and gives the path
  // written.
  std::string file(CQXCalcItem* item, const char* path = "\\Calculator\\Program\\Program") {
    CQXDocEntry entry;
    entry.SetPath(path);
    entry.SetItem(item);
    char written[256] = "";
    EXPECT_TRUE(doc->SaveItem(&entry, written)) << path;
    return written;
  }
  static CQXCalcItem* program(const char* name, int length) {
    auto* p = new CQXProgramItem;
    p->SetName(name);
    const std::vector<BYTE> bytes(size_t(length), 'x');
    p->SetDataBlock(bytes.data(), length);
    return p;
  }
  static CQXCalcItem* matrix(char letter, int rows) {
    auto* m = new CQXMatrixItem;
    m->SetLetter(letter);
    m->GetValues().SetSize(rows, 1);
    return m;
  }
  // "name:length" of each program, in the folder's order.
  std::vector<std::string> programs() {
    std::vector<std::unique_ptr<CQXDocEntry>> entries;
    doc->LoadItemsAt("\\Calculator\\Program", &entries);
    std::vector<std::string> out;
    for (const auto& e : entries) {
      auto* p = e ? dynamic_cast<CQXProgramItem*>(e->GetItem()) : nullptr;
      char name[64] = "";
      if (p) p->GetDisplayName(name, sizeof name);
      out.push_back(p ? std::string(name) + ":" + std::to_string(p->GetLength()) : "?");
    }
    return out;
  }
  // Rows of the matrix at `path`, 0 without data.
  int matrixRows(const char* path) {
    CQXDocEntry entry;
    auto* m = doc->LoadItem(path, &entry) ? dynamic_cast<CQXMatrixItem*>(entry.GetItem()) : nullptr;
    return m ? m->GetValues().GetFirstCount() : 0;
  }
  QWidget* treeViewport() const { return tree->GetTreeCtrl().GetTreeWidget()->viewport(); }
  QPoint treePoint(const char* path) {
    HTREEITEM item = tree->FindPath(path);
    EXPECT_TRUE(item) << path;
    tree->GetTreeCtrl().EnsureVisible(item);
    QRect rect;
    tree->GetTreeCtrl().GetItemRect(item, &rect, TRUE);
    return rect.center();
  }
  CQXIconView* showFolder(const char* path) {
    tree->SelectPath(path, TRUE);
    return qobject_cast<CQXIconView*>(frame->GetContentView());
  }

  // The data object of the item at `path`, as another program's main
  // window would give it.
  std::unique_ptr<QMimeData> fromAnotherProgram(const char* path, int dataType) {
    COleDataSource source;
    EXPECT_TRUE(BuildItemDataObject(doc, path, dataType, 0, &source));
    std::unique_ptr<QMimeData> mime(source.CreateMimeData());
    const QString info = tallix::clipboardFormatMimeType(GetItemInfoFormat());
    QByteArray block = mime->data(info);
    block.replace(520, 4, QByteArray("\x01\x00\x00\x80", 4));
    mime->setData(info, block);
    return mime;
  }

  // Drags over `at` of `target` with `keys` held and drops there unless the
  // target refused the point; the effect the drop took.
  static DROPEFFECT dropOn(QWidget* target, QPoint at, const QMimeData* mime, Qt::KeyboardModifiers keys = {},
                           bool drop = true) {
    const Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, allowed, mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, allowed, mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(target, &move);
    const Qt::DropAction offered = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    if (!drop) {
      QDragLeaveEvent leave;
      QCoreApplication::sendEvent(target, &leave);
      return effectOf(offered);
    }
    QDropEvent event(QPointF(at), allowed, mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted() ? effectOf(event.dropAction()) : DROPEFFECT_NONE;
  }
  // A user's drag from `from` (pressed and moved with the left button),
  // dropped by the drag loop at `at` of `target`; the effect.
  DROPEFFECT drag(QWidget* from, QPoint start, QWidget* target, QPoint at, Qt::KeyboardModifiers keys = {}) {
    DROPEFFECT effect = DROPEFFECT_NONE;
    const DoDragDropHandler old = SetDoDragDropHandler([&](COleDataSource& source, DROPEFFECT, QWidget*) {
      const std::unique_ptr<QMimeData> mime(source.CreateMimeData());
      return effect = dropOn(target, at, mime.get(), keys);
    });
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    QTest::mouseMove(from, start + QPoint(30, 0));
    QTest::mouseRelease(from, Qt::LeftButton, {}, start + QPoint(30, 0));
    SetDoDragDropHandler(old);
    return effect;
  }
  static DROPEFFECT effectOf(Qt::DropAction action) {
    return action == Qt::CopyAction ? DROPEFFECT_COPY : action == Qt::MoveAction ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
  }

  CWinApp app;
  CQXMainFrame* frame = nullptr;
  CQXDoc* doc = nullptr;
  CQXTreeView* tree = nullptr;
};

}  // namespace tallix::test
