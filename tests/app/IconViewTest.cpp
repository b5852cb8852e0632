// The icon view of a folder as a user meets it: its formats and their
// settings, opening an entry, deleting a slot's data, and the menus it
// changes while it is shown.
#include "app/MenuPopups.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/QXImageItems.h"
#include "platform/Menu.h"
#include "tests/app/ItemWindow.h"
#include "tests/support/MessageLog.h"
#include "tests/support/OverwriteClicker.h"

#include <QAbstractItemView>
#include <QMenu>
#include <gtest/gtest.h>

using namespace tallix::test;
using tallix::settings::kSettings;

namespace {

QWidget* listViewport(CQXIconView* view) { return view->GetListCtrl()->GetItemView()->viewport(); }

QPoint entryPoint(CQXIconView* view, int index) {
  QRect icon;
  view->GetListCtrl()->GetItemRect(index, &icon, LVIR_ICON);
  return icon.center();
}

// The texts of a main-menu popup's items ("-" a separator).
std::vector<QString> popupItems(int key) {
  std::vector<QString> items;
  for (QAction* action : GetMenuPopupByKey(key)->GetSafeHmenu()->actions())
    items.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
  return items;
}

TEST(IconViewFormat, AStoredTwoShowsLargeIconsAndIsWrittenBackAsOne) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  MessageLog messages;
  AppWriteProfileInt(kSettings, "List Format", 2);
  {
    ItemWindow w;
    CQXIconView* view = w.showFolder("\\Calculator\\Matrix");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetListCtrl()->GetStyle() & LVS_TYPEMASK, LVS_ICON);
    EXPECT_GT(view->GetListCtrl()->GetItemCount(), 0);
  }
  EXPECT_EQ(AppGetProfileInt(kSettings, "List Format", -1), 1);
}

class IconView : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  ItemWindow w;
};

TEST_F(IconView, DetailsTakeTheStoredWidthsWhichOnlyLeavingDetailsWrites) {
  AppWriteProfileInt(kSettings, "LV Col1 Width", 150);
  AppWriteProfileInt(kSettings, "LV Col2 Width", 220);
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  CQXIconView* view = w.showFolder("\\Calculator\\Matrix");
  ASSERT_TRUE(view);
  w.frame->SendMessage(WM_COMMAND, 22405);
  COrvoListCtrl* list = view->GetListCtrl();
  ASSERT_EQ(list->GetStyle() & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(list->GetColumnWidth(0), 150);
  EXPECT_EQ(list->GetColumnWidth(1), 220);
  EXPECT_FALSE(list->GetItemText(0, 1).isEmpty());
  EXPECT_TRUE(list->GetItemText(1, 1).isEmpty());
  list->SetColumnWidth(0, 111);
  list->SetColumnWidth(1, 222);
  EXPECT_EQ(AppGetProfileInt(kSettings, "LV Col1 Width", 0), 150);
  w.frame->SendMessage(WM_COMMAND, 22403);
  EXPECT_EQ(list->GetStyle() & LVS_TYPEMASK, LVS_ICON);
  EXPECT_EQ(AppGetProfileInt(kSettings, "LV Col1 Width", 0), 111);
  EXPECT_EQ(AppGetProfileInt(kSettings, "LV Col2 Width", 0), 222);
}

TEST_F(IconView, ADoubleClickOpensOnlyTheSelectedEntry) {
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  CQXIconView* view = w.showFolder("\\Calculator\\Matrix");
  ASSERT_TRUE(view);
  QWidget* viewport = listViewport(view);
  const QPoint a = entryPoint(view, 0);
  ASSERT_EQ(view->GetListCtrl()->GetSelectedCount(), 0u);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, a);
  QCoreApplication::processEvents();
  EXPECT_EQ(w.frame->GetContentView(), view);

  QTest::mouseClick(viewport, Qt::LeftButton, {}, a);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, a);
  QCoreApplication::processEvents();
  EXPECT_NE(w.frame->GetContentView(), view);
  TreeSelectionInfo selection;
  ASSERT_TRUE(w.tree->GetSelection(&selection));
  EXPECT_STREQ(selection.path, "\\Calculator\\Matrix\\MatA");
}

TEST_F(IconView, DeletingADefaultSlotKeepsItsEntrySelected) {
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  CQXIconView* view = w.showFolder("\\Calculator\\Matrix");
  ASSERT_TRUE(view);
  const int count = view->GetListCtrl()->GetItemCount();
  QTest::mouseClick(listViewport(view), Qt::LeftButton, {}, entryPoint(view, 0));
  QTest::keyClick(view->GetListCtrl()->GetItemView(), Qt::Key_Delete);
  QCoreApplication::processEvents();
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 0);
  EXPECT_EQ(view->GetListCtrl()->GetItemCount(), count);
  TreeItemInfo info;
  info.mask = TreeItemInfo::kPath;
  ASSERT_TRUE(view->GetSelectedInfo(&info));
  EXPECT_STREQ(info.path, "\\Calculator\\Matrix\\MatA");
  w.frame->SendMessage(WM_COMMAND, 57643);
  EXPECT_EQ(w.matrixRows("\\Calculator\\Matrix\\MatA"), 2);
}

TEST_F(IconView, TheMenusComeBackAsTheFirstFolderHadThemAfterAnyNumberOfPages) {
  // An extension's sub-menu at the end of Edit.
  GetMenuPopupByKey(kPopupEdit)->GetSafeHmenu()->addMenu(QStringLiteral("Extension"))->addAction(QStringLiteral("x"));
  w.file(ItemWindow::matrix('A', 2), "\\Calculator\\Matrix\\MatA");
  ASSERT_TRUE(w.showFolder("\\Calculator\\Matrix"));
  const std::vector<QString> edit = popupItems(kPopupEdit), view = popupItems(kPopupView);
  EXPECT_EQ(view.at(2), CLanguageLibrary::LoadString(10039));
  EXPECT_EQ(edit.back(), QStringLiteral("Extension"));
  for (int i = 0; i < 20; ++i) {
    w.tree->SelectPath("\\Calculator\\Matrix\\MatA", FALSE);
    QCoreApplication::processEvents();
    ASSERT_FALSE(qobject_cast<CQXIconView*>(w.frame->GetContentView()));
    ASSERT_TRUE(w.showFolder("\\Calculator\\Matrix"));
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(popupItems(kPopupEdit), edit);
  EXPECT_EQ(popupItems(kPopupView), view);
}

}  // namespace

// A name holds the calculator's codes: the tree and every format of the icon
// view show it as the calculator does, also the details of an entry that a
// drop went over, and what they hand on keeps its bytes.
TEST_F(IconView, ANameShowsAsTheCalculatorShowsItAndKeepsItsBytes) {
  const std::string path = w.file(ItemWindow::program("A\xCE" "\x99" "1", 2));
  HTREEITEM entry = w.tree->FindPath(path.c_str());
  ASSERT_TRUE(entry);
  EXPECT_EQ(w.tree->GetTreeCtrl().GetItemText(entry), QStringLiteral("Aθ−1"));
  w.tree->SetEntryText(path.c_str(), "\xCD\xCE");
  EXPECT_EQ(w.tree->GetTreeCtrl().GetItemText(entry), QStringLiteral("rθ"));
  w.tree->SetEntryText(path.c_str(), "A\xCE" "\x99" "1");

  CQXIconView* view = w.showFolder("\\Calculator\\Program");
  ASSERT_TRUE(view);
  COrvoListCtrl* list = view->GetListCtrl();
  for (UINT format : {22403u, 22402u, 22405u}) {
    w.frame->SendMessage(WM_COMMAND, format);
    ASSERT_EQ(list->GetItemCount(), 1) << format;
    EXPECT_EQ(list->GetItemText(0, 0), QStringLiteral("Aθ−1")) << format;
  }
  QTest::mouseClick(listViewport(view), Qt::LeftButton, {}, entryPoint(view, 0));
  TreeItemInfo info;
  info.mask = TreeItemInfo::kDescription;
  ASSERT_TRUE(view->GetSelectedInfo(&info));
  EXPECT_STREQ(info.description, "A\xCE" "\x99" "1");

  // A screen copy from another window dropped over another one keeps its
  // own name.
  const auto screen = [](const char* text) {
    auto* item = new CQXScreenItem;
    item->SetText(text);
    return item;
  };
  const std::string kept = w.file(screen("\xCD\xCE"), "\\Calculator\\Display\\Display_1");
  const std::string dropped = w.file(screen("A\x99\xCE"), "\\Calculator\\Display\\Display_2");
  const auto mime = w.fromAnotherProgram(dropped.c_str(), 4017);
  view = w.showFolder("\\Calculator\\Display");
  ASSERT_TRUE(view);
  list = view->GetListCtrl();
  ASSERT_EQ(list->GetStyle() & LVS_TYPEMASK, LVS_REPORT);
  ASSERT_EQ(list->GetItemCount(), 2);
  const int over = list->GetItemText(0, 0) == QStringLiteral("rθ") ? 0 : 1;
  ASSERT_EQ(list->GetItemText(over, 0), QStringLiteral("rθ"));
  OverwriteClicker clicker;
  clicker.buttons = {1};
  const QPoint target = listViewport(view)->mapTo(view, entryPoint(view, over));
  ASSERT_EQ(ItemWindow::dropOn(view, target, mime.get()), DROPEFFECT_MOVE);
  EXPECT_EQ(clicker.questions.size(), 1u);
  EXPECT_EQ(list->GetItemText(over, 0), QStringLiteral("A−θ"));
  QTest::mouseClick(listViewport(view), Qt::LeftButton, {}, entryPoint(view, over));
  ASSERT_TRUE(view->GetSelectedInfo(&info));
  EXPECT_STREQ(info.description, "A\x99\xCE");
}
