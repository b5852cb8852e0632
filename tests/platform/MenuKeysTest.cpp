// The menu bar and the keys: a menu used from the keyboard leaves the keys
// where they were, and while a menu is open its keys are no shortcuts.
#include "platform/CmdUI.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/View.h"
#include "platform/WinApp.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

std::vector<std::string> g_commands;

}  // namespace

// A view whose line edit takes the typing; Copy is enabled while the edit
// has the focus, as the program's editors ask.
class EditView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE EditView() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit);
  }
  DECLARE_MESSAGE_MAP()
  void OnCopy() { g_commands.push_back("copy"); }
  void OnUpdateCopy(CCmdUI* ui) { ui->Enable(edit->hasFocus()); }
  void OnReceive() { g_commands.push_back("receive"); }
  void OnConvert() { g_commands.push_back("convert"); }

  QLineEdit* edit = new QLineEdit(this);
};

const CMessageMap& EditView::messageMap() {
  static const CMessageMap map = MessageMapOf<EditView>(CView::messageMap())
                                     .command(ID_EDIT_COPY, &EditView::OnCopy)
                                     .updateUI(ID_EDIT_COPY, &EditView::OnUpdateCopy)
                                     .command(22200, &EditView::OnReceive)
                                     .command(40093, &EditView::OnConvert);
  return map;
}

namespace {

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

class MenuKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands.clear();
    CCreateContext context{RUNTIME_CLASS(EditView), &doc};
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->LoadFrame(128, nullptr, &context));
    app.m_pMainWnd = frame;
    view = qobject_cast<EditView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    frame->resize(500, 300);
    frame->show();
    QApplication::setActiveWindow(frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    view->edit->setFocus();
    ASSERT_TRUE(view->edit->hasFocus());
  }
  void TearDown() override {
    if (frame) frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // A key as the window system delivers it: to the popup while one is open,
  // else to the widget with the focus.
  static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    ASSERT_TRUE(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
  }
  static QMenu* openMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CWinApp app;
  CDocument doc;
  QPointer<CFrameWnd> frame;
  EditView* view = nullptr;
};

TEST_F(MenuKeys, EscapeOutOfAMenuGivesTheKeysBackAndEveryMenuSeesWhereTheyAre) {
  press(Qt::Key_Y);
  press(Qt::Key_E, Qt::AltModifier);
  QMenu* edition = openMenu();
  ASSERT_TRUE(edition);
  EXPECT_EQ(edition->title(), QStringLiteral("&Edition"));
  press(Qt::Key_Escape);
  EXPECT_FALSE(openMenu());
  press(Qt::Key_Z);
  EXPECT_EQ(view->edit->text(), QStringLiteral("yz"));
  EXPECT_TRUE(view->edit->hasFocus());

  // From one menu to the next by the keyboard: the update handlers see the
  // focus where the keys were.
  QAction* copy = findCommand(frame->GetMenuBar()->actions(), ID_EDIT_COPY);
  ASSERT_TRUE(copy);
  press(Qt::Key_F, Qt::AltModifier);
  ASSERT_TRUE(openMenu());
  press(Qt::Key_Right);
  ASSERT_EQ(openMenu(), edition);
  EXPECT_TRUE(copy->isEnabled());
  press(Qt::Key_Escape);
  press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(g_commands, std::vector<std::string>{"copy"});
}

TEST_F(MenuKeys, WhileAMenuIsOpenItsKeysAreNoShortcuts) {
  press(Qt::Key_E, Qt::AltModifier);
  ASSERT_TRUE(openMenu());
  press(Qt::Key_F5);
  press(Qt::Key_K, Qt::ControlModifier);
  EXPECT_TRUE(g_commands.empty());
  press(Qt::Key_Escape);
  press(Qt::Key_F5);
  EXPECT_EQ(g_commands, std::vector<std::string>{"receive"});
}

}  // namespace

#include "MenuKeysTest.moc"
