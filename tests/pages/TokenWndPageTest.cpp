// The token page base in the content sheet of a main window: the pane's
// height (stored, clamped, dragged by the band), the tool bar's views, and
// commands going into a test subclass's editor by Enter, double click and
// the notice of a finished drag.
#include "app/QXContentsView.h"
#include "classlib/ProfileSettings.h"
#include "pages/QXTokenWndDataPage.h"
#include "tests/pages/PageTestSupport.h"
#include "tokens/QXTokenEditor.h"

#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using tallix::test::PageWindow;

// A token page with an editor over the program form's placeholder; 20070
// inserts the pane's command as the program pages do.
class TestTokenPage : public CQXTokenWndDataPage {
 public:
  TestTokenPage() : CQXTokenWndDataPage(621) {}
  DECLARE_MESSAGE_MAP()

  CQXTokenEditor editor;
  int inserts = 0;

  void OnInsertCommand() {
    ++inserts;
    QXCMDSELECTION selection;
    if (!GetCmdChooser().GetSelectedCommand(&selection)) return;
    editor.ReplaceSel(selection.data(), selection.length, 1);
    GetCmdChooser().AddSelectionToLastUsed();
  }

 protected:
  BOOL OnInitDialog() override {
    CQXTokenWndDataPage::OnInitDialog();
    HidePlaceholder(1063, &editorRect_);
    editor.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, editorRect_, this, 1);
    editor.SetTokenTextMap(&GetTokenTextMap());
    return FALSE;
  }
  void OnSize(UINT type, int cx, int cy) override {
    CQXTokenWndDataPage::OnSize(type, cx, cy);
    if (editor.GetTokenTextMap()) editor.setGeometry(1, editorRect_.top(), cx - 2, GetEditorBottom() - editorRect_.top());
  }

 private:
  QRect editorRect_;
};

const CMessageMap& TestTokenPage::messageMap() {
  static const CMessageMap map = MessageMapOf<TestTokenPage>(CQXTokenWndDataPage::messageMap())
                                     .command(kCmdInsertCommand, &TestTokenPage::OnInsertCommand);
  return map;
}

class TokenWndPage : public ::testing::Test {
 protected:
  void SetUp() override {
    CQXCommandTable& table = window.doc.GetTokenTable();
    table.SetCommand(0, 0x41, "A", "a", "lettre A");
    table.SetCommand(0xF7, 0x10, "Locate ", "Locate", "affiche un texte");
  }
  void open(int height) {
    page = std::make_unique<TestTokenPage>();
    host.resize(520, height);
    sheet = new CQXContentSheet(QString(), &host);
    sheet->AddPage(page.get());
    ASSERT_TRUE(sheet->Create(&host));
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    ASSERT_TRUE(page->HasWindow());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !page->GetBandRect().isEmpty(); }));
  }
  void TearDown() override {
    if (sheet) sheet->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QWidget* band() { return page->childAt(page->GetBandRect().center()); }
  // The mouse on the band at page height `y`.
  void mouseAt(int y) { QTest::mouseMove(band(), band()->mapFrom(page.get(), QPoint(20, y))); }
  // Presses the band and moves the mouse by `dy`, the button kept down.
  void dragBy(int dy) {
    ASSERT_NE(band(), nullptr);
    startY = page->GetBandRect().top() + 2;
    QTest::mousePress(band(), Qt::LeftButton, {}, QPoint(20, 2));
    mouseAt(startY + dy);
  }
  CListCtrl* list(int view) { return static_cast<CListCtrl*>(page->GetCmdChooser().GetView(view)); }
  void pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }

  PageWindow window;
  QWidget host;
  QPointer<CQXContentSheet> sheet;
  std::unique_ptr<TestTokenPage> page;
  int startY = 0;
};

TEST_F(TokenWndPage, ThePaneKeepsItsPlaceAndAStoredHeightOfNothingReadsTheDefault) {
  AppWriteProfileInt("Settings", "Data Page List Height", 0);
  open(460);
  EXPECT_EQ(page->GetPaneHeight(), 114);
  const QRect pane = page->GetCmdChooser().GetView(0)->geometry();
  const QRect bar = page->GetToolBar().geometry();
  EXPECT_EQ(pane.height(), 114);
  EXPECT_EQ(pane.bottom() + 1 + 4, bar.top());
  EXPECT_EQ(page->GetEditorBottom(), pane.top() - 4);
  EXPECT_EQ(bar.bottom() + 1 + 2, page->height());
  EXPECT_GT(page->editor.height(), 100);

  // A page too low for the pane keeps 114 rather than nothing.
  host.resize(520, 200);
  sheet->LayoutInParent();
  sheet->ResizeActivePage();
  ASSERT_LT(page->height(), 160);
  EXPECT_EQ(page->GetPaneHeight(), 114);

  // The height goes back to the profile with the page.
  host.resize(520, 460);
  sheet->LayoutInParent();
  sheet->ResizeActivePage();
  AppWriteProfileInt("Settings", "Data Page List Height", 150);
  sheet->DestroyWindow();
  EXPECT_EQ(AppGetProfileInt("Settings", "Data Page List Height", 0), 114);
}

TEST_F(TokenWndPage, TheBandDragsWithinItsBoundsAndEscapeOrALostGrabRestore) {
  AppWriteProfileInt("Settings", "Data Page List Height", 120);
  open(460);
  const int pageHeight = page->height();
  dragBy(-30);
  EXPECT_EQ(page->GetPaneHeight(), 150);
  EXPECT_EQ(page->GetCmdChooser().GetView(0)->height(), 150);
  mouseAt(startY + 40);  // would leave the pane 80
  EXPECT_EQ(page->GetPaneHeight(), 150);
  mouseAt(startY + 120 - (pageHeight - 160));  // would leave the rest 160
  EXPECT_EQ(page->GetPaneHeight(), 150);
  QTest::keyClick(&page->editor, Qt::Key_Escape);
  EXPECT_FALSE(page->IsDraggingBand());
  EXPECT_EQ(page->GetPaneHeight(), 120);

  dragBy(-40);
  EXPECT_EQ(page->GetPaneHeight(), 160);
  page->SendMessage(WM_CANCELMODE);
  EXPECT_EQ(page->GetPaneHeight(), 120);

  dragBy(-20);
  QTest::mouseRelease(band(), Qt::LeftButton, {}, band()->mapFrom(page.get(), QPoint(20, startY - 20)));
  EXPECT_FALSE(page->IsDraggingBand());
  EXPECT_EQ(page->GetPaneHeight(), 140);
}

TEST_F(TokenWndPage, EnterAndDoubleClickInThePaneInsertTheCommandEnterElsewhereNot) {
  open(460);
  CQXCmdChooser& pane = page->GetCmdChooser();
  // The tool bar's second button shows the list of all commands, checked.
  page->GetToolBar().GetButton(1)->trigger();
  ASSERT_EQ(pane.GetCurrentView(), 1);
  page->GetToolBar().OnUpdateCmdUI(page.get(), TRUE);
  EXPECT_TRUE(page->GetToolBar().GetButton(1)->isChecked());
  EXPECT_FALSE(page->GetToolBar().GetButton(0)->isChecked());

  CListCtrl* all = list(1);
  all->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  all->SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  pump();
  EXPECT_EQ(page->inserts, 1);
  EXPECT_EQ(page->editor.GetTokensLength(1), 2);

  page->editor.SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  pump();
  EXPECT_EQ(page->inserts, 1);

  auto* view = static_cast<QTreeView*>(all->GetItemView());
  const QRect row = view->visualRect(view->model()->index(0, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
  pump();
  EXPECT_EQ(page->inserts, 2);
  EXPECT_EQ(page->editor.GetTokensLength(1), 3);

  // A finished drag of the selected command reaches the last-used list.
  all->SetItemState(0, 0, LVIS_SELECTED);
  all->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  page->PostMessage(kMsgCommandDragged);
  pump();
  EXPECT_EQ(pane.GetLastUsedCommands(), (std::vector<DWORD>{MakeCommandValue(0xF7, 0x10), MakeCommandValue(0, 0x41)}));
  PageWindow::lookAt();
}

}  // namespace
