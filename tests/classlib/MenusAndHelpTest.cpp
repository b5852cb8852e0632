// Context menus with their commands' state, menu helpers, the Help button.
#include "classlib/MenuHelpers.h"
#include "classlib/OrvoHelpDialog.h"
#include "classlib/OrvoWinApp.h"
#include "platform/CmdUI.h"
#include "platform/Wnd.h"
#include "tests/support/MissingResources.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using tallix::test::ExpectMissingResources;
using tallix::test::TestEnvironment;

namespace {

// Handles "Copier" (57634) and checks "Nouveau" (22102); nothing else.
class Owner : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  int copies = 0;
  void OnCopy() { ++copies; }
  void OnUpdateNew(CCmdUI* ui) { ui->SetCheck(1); }
};

const CMessageMap& Owner::messageMap() {
  static const CMessageMap map = MessageMapOf<Owner>(CWnd::messageMap())
                                     .command(57634, &Owner::OnCopy)
                                     .updateUI(22102, &Owner::OnUpdateNew);
  return map;
}

QAction* itemOf(QMenu* menu, UINT id) {
  for (QAction* a : menu->actions())
    if (CommandIdOf(a) == id) return a;
  return nullptr;
}

class MenusAndHelp : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

TEST_F(MenusAndHelp, AContextMenuShowsItsCommandsStateAndSendsTheChoiceToItsOwner) {
  Owner owner;
  bool enabled[3] = {true, false, false};  // Couper, Copier, Nouveau checked
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    enabled[0] = itemOf(menu, 57635)->isEnabled();
    enabled[1] = itemOf(menu, 57634)->isEnabled();
    enabled[2] = itemOf(menu, 22102)->isChecked();
    QAction* copy = itemOf(menu, 57634);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
  });
  EXPECT_TRUE(TrackContextMenu(&owner, 10, 10, 307, TRUE));
  EXPECT_FALSE(enabled[0]);
  EXPECT_TRUE(enabled[1]);
  EXPECT_TRUE(enabled[2]);
  QCoreApplication::sendPostedEvents(&owner);
  EXPECT_EQ(owner.copies, 1);

  ExpectMissingResources missing;
  EXPECT_FALSE(TrackContextMenu(&owner, 10, 10, 999, TRUE));
}

TEST_F(MenusAndHelp, MenuHelpersCountSeparatorsAsPositions) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(307));
  CMenu* popup = menu.GetSubMenu(0);
  ASSERT_TRUE(popup);
  EXPECT_EQ(FindMenuCommand(popup, 22101), 6);  // after the separator at 4
  EXPECT_EQ(FindMenuCommand(popup, 12345), -1);
  EXPECT_TRUE(InsertMenuString(popup, 10040, 22104, 5));
  EXPECT_EQ(popup->GetSafeHmenu()->actions()[5]->text(), QStringLiteral("Po&lice de caractères..."));
  EXPECT_TRUE(AppendMenuString(popup, 10040, 22105));
  EXPECT_EQ(FindMenuCommand(popup, 22105), 8);
  EXPECT_TRUE(RemoveMenuCommand(popup, 22104));
  EXPECT_TRUE(RemoveMenuAt(popup, 4));  // the separator
  EXPECT_EQ(FindMenuCommand(popup, 22101), 5);
  EXPECT_EQ(popup->GetMenuItemCount(), 7);
  EXPECT_FALSE(RemoveMenuCommand(popup, 22104));
}

// Records the help asked for instead of showing it.
class HelpApp : public COrvoWinApp {
 public:
  std::vector<std::pair<DWORD, UINT>> asked;
  void WinHelp(DWORD data, UINT command) override { asked.emplace_back(data, command); }
};

TEST_F(MenusAndHelp, TheHelpButtonAsksForTheDialogsTopic) {
  HelpApp app;
  COrvoHelpDialog none(0);
  none.OnHelpButton();
  EXPECT_TRUE(app.asked.empty());

  COrvoHelpDialog send(512);
  ASSERT_TRUE(send.Create(512));
  QTest::mouseClick(send.GetDlgItemAs<QPushButton>(20), Qt::LeftButton);
  ASSERT_EQ(app.asked.size(), 1u);
  EXPECT_EQ(app.asked[0], std::make_pair(DWORD(0x20200), UINT(HELP_CONTEXT)));
}

TEST_F(MenusAndHelp, TheHelpWindowShowsTheTopicOrTheContents) {
  COrvoWinApp app;
  app.WinHelp(0x20200, HELP_CONTEXT);
  QTextBrowser* help = GetHelpWindow();
  ASSERT_TRUE(help);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Envoyer"));
  app.WinHelp(0x2ffff, HELP_CONTEXT);
  EXPECT_EQ(GetHelpWindow(), help);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Aide de TALLIX"));
  app.WinHelp(0, HELP_QUIT);
}

}  // namespace
