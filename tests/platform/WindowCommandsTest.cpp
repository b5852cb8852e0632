// The command route (view, document, frame, application), update handlers on
// real menu items and tool buttons, accelerators and pre-translation, menus
// used from the keyboard, and closing the frame.
#include "platform/CmdUI.h"
#include "platform/Dialog.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/PropertyPage.h"
#include "platform/PropertySheet.h"
#include "platform/View.h"
#include "platform/WinApp.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

std::vector<std::string> g_log;

class TestDoc : public CDocument {
 public:
  DECLARE_MESSAGE_MAP()
  BOOL SaveModified() override { return allowClose; }
  void OnDocCommand() { g_log.push_back("doc"); }
  void OnDocShared() { g_log.push_back("doc shared"); }
  void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
  BOOL allowClose = TRUE;
};
const CMessageMap& TestDoc::messageMap() {
  static const CMessageMap map = MessageMapOf<TestDoc>(CDocument::messageMap())
                                     .command(22201, &TestDoc::OnDocCommand)
                                     .command(22200, &TestDoc::OnDocShared)
                                     .updateUI(22201, &TestDoc::OnUpdateDisabled);
  return map;
}

}  // namespace

class TestView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE TestView() { (new QVBoxLayout(this))->addWidget(edit); }
  DECLARE_MESSAGE_MAP()
  void OnViewCommand() { g_log.push_back("view"); }
  // Copy asks for the edit's focus, as the program's editors do.
  void OnCopy() { g_log.push_back("copy"); }
  void OnUpdateCopy(CCmdUI* ui) { ui->Enable(edit->hasFocus()); }
  void OnUpdateChecked(CCmdUI* ui) {
    ui->Enable(TRUE);
    ui->SetCheck(1);
  }
  // F5 is an accelerator of the frame; the view takes it first.
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1 + 4) {
      g_log.push_back("view key");
      return TRUE;
    }
    return CView::PreTranslateMessage(msg);
  }
  void OnUpdate(CView*, LPARAM, QObject*) override { g_log.push_back("update"); }
  QLineEdit* edit = new QLineEdit(this);
};
const CMessageMap& TestView::messageMap() {
  static const CMessageMap map = MessageMapOf<TestView>(CView::messageMap())
                                     .command(22200, &TestView::OnViewCommand)
                                     .updateUI(22200, &TestView::OnUpdateChecked)
                                     .command(ID_EDIT_COPY, &TestView::OnCopy)
                                     .updateUI(ID_EDIT_COPY, &TestView::OnUpdateCopy);
  return map;
}

namespace {

class TestFrame : public CFrameWnd {
 public:
  DECLARE_MESSAGE_MAP()
  void OnFrameCommand() { g_log.push_back("frame"); }
  void OnFrameShared() { g_log.push_back("frame shared"); }
};
const CMessageMap& TestFrame::messageMap() {
  static const CMessageMap map = MessageMapOf<TestFrame>(CFrameWnd::messageMap())
                                     .command(22202, &TestFrame::OnFrameCommand)
                                     .command(22200, &TestFrame::OnFrameShared);
  return map;
}

// A dialog whose context menu chooses one of its commands, as the command
// lists do.
class MenuDialog : public CDialog {
 public:
  explicit MenuDialog(CWnd* parent) : CDialog(514, parent) {}
  DECLARE_MESSAGE_MAP()
  void OnChosen() {
    g_log.push_back("chosen");
    EndDialog(IDOK);
  }
  void ChooseFromContextMenu() {
    QTimer::singleShot(0, [] {
      QWidget* popup = QApplication::activePopupWidget();
      ASSERT_TRUE(popup);
      QTest::keyClick(popup, Qt::Key_Down);
      QTest::keyClick(popup, Qt::Key_Return);
    });
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(0, 57634, QStringLiteral("Copier"));
    menu.TrackPopupMenu(0, 0, 0, this);
    // Queued behind the posted choice: ends the dialog if the choice was lost.
    QMetaObject::invokeMethod(
        this, [this] { if (GetModalResult() == -1) EndDialog(IDCANCEL); }, Qt::QueuedConnection);
  }
};
const CMessageMap& MenuDialog::messageMap() {
  static const CMessageMap map = MessageMapOf<MenuDialog>(CDialog::messageMap()).command(57634, &MenuDialog::OnChosen);
  return map;
}

class TestApp : public CWinApp {
 public:
  DECLARE_MESSAGE_MAP()
  void OnAppCommand() { g_log.push_back("app"); }
  void OnNew() { g_log.push_back(GetKeyState(VK_CONTROL) < 0 ? "new with ctrl" : "new"); }
  void OnChooser() { g_log.push_back("chooser"); }
  // A command that pumps events, as a link session does.
  void OnLongCommand() {
    g_log.push_back("long");
    if (auto* frame = qobject_cast<CFrameWnd*>(m_pMainWnd.data())) {
      frame->PostMessage(WM_COMMAND, 22202);
      frame->close();
      frame->ExecuteUserCommand(22300);
      CDialog progress(514, frame);  // a window shown meanwhile
      progress.Create(514);
      if (progress.windowModality() == Qt::ApplicationModal) g_log.push_back("modal");
    }
    QCoreApplication::processEvents();
    g_log.push_back("long end");
  }
  // A running command in which a sheet of the frame, and then a page in it,
  // send on the frame's command and this one again, as a key of their own
  // could.
  void OnCommandWithSheet() {
    if (sheetCommandRuns) {
      g_log.push_back("long again");
      return;
    }
    sheetCommandRuns = true;
    g_log.push_back("long");
    CPropertySheet sheet(QString(), m_pMainWnd);
    sheet.ExecuteUserCommand(22202);
    sheet.ExecuteUserCommand(22303);
    CPropertyPage page(638);
    sheet.AddPage(&page);
    QTimer::singleShot(0, &sheet, [&] {
      if (sheet.isAncestorOf(&page)) g_log.push_back("page");
      page.ExecuteUserCommand(22202);
      page.ExecuteUserCommand(22303);
      sheet.EndDialog(IDCANCEL);
    });
    sheet.DoModal();
    g_log.push_back("long end");
    sheetCommandRuns = false;
  }
  bool sheetCommandRuns = false;
  void OnDialogCommand() {
    MenuDialog dialog(m_pMainWnd);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.ChooseFromContextMenu(); });
    g_log.push_back(dialog.DoModal() == IDOK ? "ok" : "cancel");
  }
};
const CMessageMap& TestApp::messageMap() {
  static const CMessageMap map = MessageMapOf<TestApp>(CWinApp::messageMap())
                                     .command(22300, &TestApp::OnAppCommand)
                                     .command(57600, &TestApp::OnNew)
                                     .command(57610, &TestApp::OnChooser)
                                     .command(22304, &TestApp::OnLongCommand)
                                     .command(22303, &TestApp::OnCommandWithSheet)
                                     .command(22305, &TestApp::OnDialogCommand);
  return map;
}

QAction* findCommand(const QList<QAction*>& actions, UINT id) {
  for (QAction* a : actions) {
    if (a->menu()) {
      if (QAction* found = findCommand(a->menu()->actions(), id)) return found;
    } else if (CommandIdOf(a) == id) {
      return a;
    }
  }
  return nullptr;
}

QMenu* menuOf(QAction* item) {
  for (QObject* o : item->associatedObjects())
    if (auto* m = qobject_cast<QMenu*>(o)) return m;
  return nullptr;
}

class WindowCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    CCreateContext context{RUNTIME_CLASS(TestView), &doc};
    frame = new TestFrame;
    ASSERT_TRUE(frame->LoadFrame(128, nullptr, &context));
    app.m_pMainWnd = frame;
    view = qobject_cast<TestView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    frame->resize(400, 300);
    frame->show();
  }
  void TearDown() override {
    if (frame) frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  std::vector<std::string> run(UINT id) {
    g_log.clear();
    frame->SendMessage(WM_COMMAND, id);
    return g_log;
  }
  using Log = std::vector<std::string>;
  // A key as the window system delivers it: to the open menu, else to the
  // widget with the focus.
  static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
    ASSERT_TRUE(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
  }
  static QMenu* openMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
  void focusEdit() {
    QApplication::setActiveWindow(frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    view->edit->setFocus();
    ASSERT_TRUE(view->edit->hasFocus());
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  TestApp app;
  TestDoc doc;
  QPointer<TestFrame> frame;
  TestView* view = nullptr;
};

TEST_F(WindowCommands, ACommandGoesToTheViewItsDocumentTheFrameAndTheApplicationInTurn) {
  EXPECT_EQ(view->GetDocument(), &doc);
  EXPECT_EQ(frame->GetActiveDocument(), &doc);
  EXPECT_EQ(run(22200), Log{"view"});
  EXPECT_EQ(run(22202), Log{"frame"});
  EXPECT_EQ(run(22300), Log{"app"});
  EXPECT_FALSE(frame->OnCmdMsg(22301, CN_COMMAND, nullptr, nullptr));
  // 22201 is the document's, but its update handler disables it: a disabled
  // command is not run.
  EXPECT_EQ(run(22201), Log{});
  EXPECT_TRUE(frame->OnCmdMsg(22201, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(g_log, Log{"doc"});

  view->SetDocument(nullptr);
  EXPECT_EQ(run(22200), Log{"view"});
  frame->SetActiveView(nullptr);
  EXPECT_EQ(run(22200), Log{"frame shared"});
}

TEST_F(WindowCommands, UpdateHandlersSetMenuItemsAndToolButtonsAndUnhandledOnesAreDisabled) {
  QAction* checked = findCommand(frame->GetMenuBar()->actions(), 22200);
  QAction* disabled = findCommand(frame->GetMenuBar()->actions(), 22201);
  QAction* unhandled = findCommand(frame->GetMenuBar()->actions(), 22202 + 100);  // 22302, nobody's
  ASSERT_TRUE(checked && disabled && unhandled);
  QMenu* linkMenu = menuOf(checked);
  ASSERT_TRUE(linkMenu);
  linkMenu->popup(frame->mapToGlobal(QPoint(10, 10)));
  EXPECT_TRUE(checked->isEnabled());
  EXPECT_TRUE(checked->isChecked());
  EXPECT_FALSE(disabled->isEnabled());
  linkMenu->hide();
  QMenu* optionsSub = menuOf(unhandled);
  ASSERT_TRUE(optionsSub);
  optionsSub->popup(frame->mapToGlobal(QPoint(10, 10)));
  EXPECT_FALSE(unhandled->isEnabled());
  optionsSub->hide();

  // Tool buttons follow when the loop goes idle, and route their command.
  auto* bar = new QToolBar(frame);
  QAction* buttons[3];
  const UINT ids[3] = {22200, 22201, 22302};
  for (int i = 0; i < 3; ++i) {
    buttons[i] = bar->addAction(QStringLiteral("b%1").arg(i));
    buttons[i]->setProperty("commandId", ids[i]);
  }
  frame->RecalcLayout();
  // A loop that waits, as the program's does (the update runs when it is
  // about to block), until the update has run.
  EXPECT_FALSE(buttons[0]->isChecked());
  QEventLoop idle;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &idle, [&] {
    if (buttons[0]->isChecked()) idle.quit();
  });
  poll.start(10);
  QTimer::singleShot(5000, &idle, &QEventLoop::quit);
  idle.exec();
  EXPECT_TRUE(buttons[0]->isChecked());
  EXPECT_TRUE(bar->widgetForAction(buttons[0])->isEnabled());
  EXPECT_FALSE(bar->widgetForAction(buttons[1])->isEnabled());
  EXPECT_FALSE(bar->widgetForAction(buttons[2])->isEnabled());
  g_log.clear();
  QTest::mouseClick(bar->widgetForAction(buttons[0]), Qt::LeftButton);
  EXPECT_EQ(g_log, Log{"view"});
  g_log.clear();
  checked->trigger();
  EXPECT_EQ(g_log, Log{"view"});
}

TEST_F(WindowCommands, AcceleratorsRouteTheirOwnCommandAfterInnerWindowsHadTheKey) {
  view->setFocusPolicy(Qt::StrongFocus);
  QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(g_log, Log{"new with ctrl"});  // 57600, not the menu item's 57610
  g_log.clear();
  QTest::keyClick(view, Qt::Key_F5);  // the view takes it before the frame's 22200
  EXPECT_EQ(g_log, Log{"view key"});
  g_log.clear();
  QTest::keyClick(view, Qt::Key_F2, Qt::ControlModifier);  // 22102: nobody handles it
  QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier);  // 57601: nobody handles it
  EXPECT_EQ(g_log, Log{});
}

TEST_F(WindowCommands, EscapeOutOfAMenuGivesTheKeysBackAndEveryMenuSeesWhereTheyAre) {
  focusEdit();
  press(Qt::Key_Y);
  press(Qt::Key_E, Qt::AltModifier);
  QMenu* edition = openMenu();
  ASSERT_TRUE(edition);
  press(Qt::Key_Escape);
  EXPECT_FALSE(openMenu());
  press(Qt::Key_Z);
  EXPECT_EQ(view->edit->text(), QStringLiteral("yz"));
  // From one menu to the next by the keyboard, the update handlers see the
  // focus where the keys were.
  QAction* copy = findCommand(frame->GetMenuBar()->actions(), ID_EDIT_COPY);
  press(Qt::Key_F, Qt::AltModifier);
  press(Qt::Key_Right);
  ASSERT_EQ(openMenu(), edition);
  EXPECT_TRUE(copy->isEnabled());
  press(Qt::Key_Escape);
  press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(g_log, Log{"copy"});
}

TEST_F(WindowCommands, WhileAMenuIsOpenItsKeysAreNoShortcuts) {
  focusEdit();
  press(Qt::Key_L, Qt::AltModifier);
  ASSERT_TRUE(openMenu());
  press(Qt::Key_F5);
  press(Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(g_log, Log{});
  press(Qt::Key_Escape);
  press(Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(g_log, Log{"new with ctrl"});
}

TEST_F(WindowCommands, AViewDestroyedButNotYetFreedGetsNoUpdate) {
  g_log.clear();
  doc.UpdateAllViews(nullptr);
  EXPECT_EQ(g_log, Log{"update"});
  g_log.clear();
  view->DestroyWindow();
  doc.UpdateAllViews(nullptr);
  EXPECT_TRUE(g_log.empty());
}

TEST_F(WindowCommands, HoveringShowsThePromptAndTheTitleNamesTheDocument) {
  auto* status = new QStatusBar(frame);
  frame->RecalcLayout();
  doc.SetTitle(QStringLiteral("notes.qxd"));
  frame->OnIdleUpdateCmdUI();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("notes.qxd - TALLIX PROFESSIONAL"));
  frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Prêt"));
  QAction* open = findCommand(frame->GetMenuBar()->actions(), 57601);
  ASSERT_TRUE(open);
  open->setStatusTip(QStringLiteral("Ouvre un document"));
  open->showStatusText(frame->GetMenuBar());
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Ouvre un document"));
  QStatusTipEvent leave{QString()};
  QCoreApplication::sendEvent(frame, &leave);
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Prêt"));
}

TEST_F(WindowCommands, TheDocumentMayRefuseTheCloseOtherwiseTheFrameGoesAndTheLoopEnds) {
  doc.allowClose = FALSE;
  EXPECT_FALSE(frame->close());  // refused, so the application's quit stops too
  EXPECT_TRUE(frame->isVisible());
  EXPECT_FALSE(frame->IsDestroyed());

  doc.allowClose = TRUE;
  bool accepted = false;
  QTimer::singleShot(0, frame, [&] { accepted = frame->close(); });
  EXPECT_EQ(app.Run(), 0);  // returns: the loop ended with the main window
  EXPECT_TRUE(accepted);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(frame);
}

TEST_F(WindowCommands, WhileACommandRunsTheFrameStaysAndOtherCommandsWait) {
  frame->ExecuteUserCommand(22304);
  // The close and the user's command were refused; the posted command ran
  // after the long one.
  EXPECT_EQ(g_log, (Log{"long", "modal", "long end"}));
  EXPECT_FALSE(frame->IsDestroyed());
  QCoreApplication::processEvents();
  EXPECT_EQ(g_log, (Log{"long", "modal", "long end", "frame"}));
}

TEST_F(WindowCommands, WhileACommandRunsASheetHandsNoCommandOnToTheFrameOrTheApplication) {
  frame->ExecuteUserCommand(22303);
  EXPECT_EQ(g_log, (Log{"long", "page", "long end"}));
  QCoreApplication::processEvents();
  EXPECT_EQ(g_log, (Log{"long", "page", "long end"}));
  // With nothing running the sheet's route goes on to its owner.
  CPropertySheet sheet(QString(), frame);
  sheet.ExecuteUserCommand(22202);
  EXPECT_EQ(g_log, (Log{"long", "page", "long end", "frame"}));
}

TEST_F(WindowCommands, AContextMenuChoiceInAModalDialogOfAMenuCommandIsRunAtOnce) {
  frame->ExecuteUserCommand(22305);
  EXPECT_EQ(g_log, (Log{"chosen", "ok"}));
}

// A menu waits for one fill: a second one given to it replaces the first,
// which never runs.
TEST(MenuFill, ASecondFillReplacesTheFirstAndRunsOnce) {
  struct Entry : CMenuFill {
    Entry(QMenu* m, const char* text) : CMenuFill(m), text(text) {}
    void Fill(QMenu* m) override { m->addAction(QString::fromLatin1(text)); }
    const char* text;
  };
  QMenu menu;
  new Entry(&menu, "first");
  auto* second = new Entry(&menu, "second");
  EXPECT_EQ(CMenuFill::Of(&menu), second);
  FillMenu(&menu);
  FillMenu(&menu);
  ASSERT_EQ(menu.actions().size(), 1);
  EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("second"));
}

TEST_F(WindowCommands, QuitFromTheMenuClosesTheFrame) {
  EXPECT_TRUE(frame->ExecuteUserCommand(ID_APP_EXIT));
  QCoreApplication::processEvents();
  EXPECT_TRUE(frame->IsDestroyed());
}

}  // namespace

#include "WindowCommandsTest.moc"
