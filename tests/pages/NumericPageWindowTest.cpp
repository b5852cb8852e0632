// A matrix edited in the real main window: the tree opens its view, a cell
// typed into the grid is stored in the document when the user commits, a bad
// number keeps the user on the page with nothing stored and the keyboard on
// the grid, and the page's Edit-menu merge comes and goes with it.
#include "CalcNumberBytes.h"

#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXDocItemOps.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "pages/QXDataPage.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXNumericPages.h"
#include "pages/QXNumericViews.h"
#include "pages/QXViewTable.h"
#include "platform/CmdUI.h"
#include "platform/FrameWnd.h"
#include "platform/WinApp.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tallix::test {
namespace {

class NumericPageWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterQXMainFrameClasses();
    RegisterQXPageClasses();
    CQXDoc::SetSelectionViewFunction(&ShowSelectionView);
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->NewDocumentForCalculator("CFX-9850G", "FX9850"));
    frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd);
    ASSERT_TRUE(frame);
    frame->setGeometry(40, 40, 760, 520);
    frame->show();
    QApplication::setActiveWindow(frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    messages.shown.clear();
  }
  void TearDown() override {
    CQXDoc::SetSelectionViewFunction(nullptr);
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Files an older matrix of 2 x 2 cells as received; its path.
  std::string fileMatrix(char letter, const char* const texts[4]) {
    CQXDocEntry entry;
    auto* matrix = new CQXMatrixItem;
    entry.SetItem(matrix);
    entry.SetKind(kKindMatrix);
    EXPECT_TRUE(matrix->SetLetter(letter));
    EXPECT_TRUE(matrix->GetValues().SetSize(2, 2));
    for (int i = 0; i < 4; ++i) putOld(matrix->GetValues(), i / 2 + 1, i % 2 + 1, bytesOf(1, texts[i]));
    char path[256] = {};
    EXPECT_TRUE(doc->StoreReceivedItem(&entry, CQXDocItemOps::kFromOutside));
    EXPECT_TRUE(doc->SaveItem(&entry, path));
    return path;
  }
  CQXValueGrid stored(const std::string& path) {
    CQXDocEntry entry;
    auto* matrix = doc->LoadItem(path.c_str(), &entry) ? dynamic_cast<CQXMatrixItem*>(entry.GetItem()) : nullptr;
    EXPECT_TRUE(matrix) << path;
    return matrix ? matrix->GetValues() : CQXValueGrid();
  }
  // A click on the entry's line in the tree, as the user selects it: given
  // to the tree's widget, or `inWindow` as the platform delivers it, through
  // the main window.
  void clickEntry(const std::string& path, bool inWindow = false) {
    CQXTreeView* tree = doc->GetTreeView();
    HTREEITEM item = tree->FindPath(path.c_str());
    ASSERT_TRUE(item) << path;
    tree->GetTreeCtrl().EnsureVisible(item);
    QTreeWidget* widget = tree->GetTreeCtrl().GetTreeWidget();
    const QPoint at = widget->visualItemRect(item).center();
    if (inWindow)
      QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {}, widget->viewport()->mapTo(frame, at));
    else
      QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
  }
  // The matrix view with its sheet enabled (the frame does that shortly
  // after the view comes in).
  CQXMatrixDataView* matrixView() {
    auto* view = qobject_cast<CQXMatrixDataView*>(frame->GetContentView());
    const QDeadlineTimer until(3000);
    while (view && !view->GetSheet()->isEnabled() && !until.hasExpired()) QTest::qWait(10);
    return view;
  }
  QList<UINT> editMenuIds() const {
    QList<UINT> ids;
    for (QAction* a : frame->GetMenuBar()->actions().at(1)->menu()->actions()) ids << CommandIdOf(a);
    return ids;
  }
  // A click on a data cell, then `text` typed and left in the in-place edit.
  void typeInto(CQXGridCtrl& grid, int row, int col, const char* text) {
    QRect cell;
    ASSERT_TRUE(grid.GetCellRect(row, col, &cell));
    QTest::mouseClick(&grid, Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(grid.GetFocusCell(), CGridCellID(row, col));
    // The first key opens the in-place edit, which takes the others.
    for (const char* c = text; *c; ++c) QTest::keyClicks(QApplication::focusWidget(), QString(QChar(*c)));
    ASSERT_NE(QApplication::focusWidget(), &grid);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  CQXDoc* doc = nullptr;
  CQXMainFrame* frame = nullptr;
};

TEST_F(NumericPageWindow, ACellTypedInTheGridIsCommittedToTheDocumentAndABadNumberIsNot) {
  const char* const texts[4] = {"1.23456789012345", "-9.87654321098765E-12", "3", "2.00000000000001"};
  const std::string pathA = fileMatrix('A', texts);
  const std::string pathB = fileMatrix('B', texts);
  const CQXValueGrid original = stored(pathA);
  // A folder shows its icon view, which takes "Entrée" out of Edit too.
  const QList<UINT> edit = editMenuIds();
  ASSERT_FALSE(edit.contains(kCmdEditEntry));

  clickEntry(pathA);
  CQXMatrixDataView* view = matrixView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->FindPageIndex(624), 0);
  EXPECT_EQ(view->FindPageIndex(CQXDescriptionPage::kPageId), 1);
  auto* page = dynamic_cast<CQXMatrixDataPage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(page);
  CQXGridCtrl& grid = page->GetGrid();
  EXPECT_EQ(grid.GetItemText(1, 1), "1.23456789");  // shown rounded
  // The page merged its Edit menu: the entry item is gone while it is shown.
  EXPECT_FALSE(editMenuIds().contains(kCmdEditEntry));

  // F3 ("Sauvegarder") with the edit still open.
  typeInto(grid, 2, 1, "7");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
  CQXValueGrid values = stored(pathA);
  EXPECT_EQ(oldValue(values, 2, 1), bytesOf(1, "7"));
  EXPECT_EQ(oldValue(values, 1, 1), oldValue(original, 1, 1));
  EXPECT_EQ(oldValue(values, 1, 2), oldValue(original, 1, 2));
  EXPECT_EQ(oldValue(values, 2, 2), oldValue(original, 2, 2));
  EXPECT_TRUE(messages.shown.empty());
  // Kept up for a look when TALLIX_SHOW_MS is set.
  if (const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS"); ms > 0) QTest::qWait(ms);

  // A bad number: leaving for another entry is refused with the message,
  // the cell keeps the focus and the document keeps the stored values.
  const CQXValueGrid before = stored(pathA);
  typeInto(grid, 1, 2, "1..2");
  clickEntry(pathB);
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_EQ(messages.texts()[0], QString::fromUtf8("Entrée d'un nombre invalide."));
  EXPECT_EQ(frame->GetContentView(), view);
  EXPECT_STREQ(view->GetEntryPath(), pathA.c_str());
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(1, 2));
  EXPECT_TRUE(stored(pathA) == before);

  // Mended, the same click commits and moves on; the new view merges
  // again, and a folder's view gives the Edit menu back as it was.
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_5);  // replaces the focused cell's text
  clickEntry(pathB);
  EXPECT_EQ(oldValue(stored(pathA), 1, 2), bytesOf(1, "5"));
  view = matrixView();
  ASSERT_TRUE(view);
  EXPECT_STREQ(view->GetEntryPath(), pathB.c_str());
  EXPECT_FALSE(editMenuIds().contains(kCmdEditEntry));
  clickEntry(pathB.substr(0, pathB.rfind('\\')));
  EXPECT_FALSE(qobject_cast<CQXMatrixDataView*>(frame->GetContentView()));
  EXPECT_EQ(editMenuIds(), edit);
  EXPECT_EQ(messages.texts().size(), 1u);
}

// The message shown as the user sees it, answered with Return: the keyboard
// is on the grid again, where the page put it, although the click had given
// it to the tree.
TEST_F(NumericPageWindow, AfterTheInvalidNumberMessageTheKeysGoToTheGrid) {
  const char* const texts[4] = {"1", "2", "3", "4"};
  const std::string pathA = fileMatrix('A', texts);
  const std::string pathB = fileMatrix('B', texts);
  clickEntry(pathA);
  CQXMatrixDataView* view = matrixView();
  ASSERT_TRUE(view);
  auto* page = dynamic_cast<CQXMatrixDataPage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(page);
  CQXGridCtrl& grid = page->GetGrid();
  typeInto(grid, 1, 1, "x");
  QTest::keyClick(frame->windowHandle(), Qt::Key_Return);
  ASSERT_EQ(QApplication::focusWidget(), &grid);

  const MessageBoxHandler answering = SetMessageBoxHandler(nullptr);
  QString shown;
  whenModal<QMessageBox>([&shown](QMessageBox* box) {
    shown = box->text();
    QTest::keyClick(box->windowHandle(), Qt::Key_Return);
  });
  clickEntry(pathB, true);
  SetMessageBoxHandler(answering);
  EXPECT_EQ(shown, QString::fromUtf8("Entrée d'un nombre invalide."));
  ASSERT_EQ(frame->GetContentView(), view);
  // The window manager gives the window back its activation.
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  QCoreApplication::processEvents();

  QTest::keyClick(frame->windowHandle(), Qt::Key_Down);
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(2, 1));
  QTest::keyClick(frame->windowHandle(), Qt::Key_7);
  EXPECT_TRUE(grid.GetInPlaceEdit());
  QTest::keyClick(frame->windowHandle(), Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(2, 1), "7");
}

}  // namespace
}  // namespace tallix::test
