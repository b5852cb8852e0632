// The view shown for a selection: by kind, the default and the empty view.
#include "app/MainFrameFunctions.h"
#include "datamodel/QXItemFactory.h"
#include "pages/QXDefaultPages.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXViewTable.h"
#include "platform/CmdUI.h"
#include "tests/pages/PageTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace standin {

// Views of kinds whose pages come later.
class VariableView : public CQXDataPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE VariableView() {
    mainPageId = 620;
    mainPageMenuText = 10030;
  }
  BOOL CreatePages() override {
    AddPage(new CQXDescriptionPage);
    return TRUE;
  }
};

class EquationView : public VariableView {
  Q_OBJECT

 public:
  Q_INVOKABLE EquationView() = default;
};

}  // namespace standin

namespace {

class ViewTable : public ::testing::Test {
 protected:
  ViewTable() {
    RegisterQXPageClasses();
    RegisterRuntimeClassAs("CQXVariableDataView", RUNTIME_CLASS(standin::VariableView));
    RegisterRuntimeClassAs("CQXEquationDataView", RUNTIME_CLASS(standin::EquationView));
  }
  // Selects a new item of `typeId` and shows its view.
  CQXContentsView* showKind(int typeId) {
    const std::string path = "\\Calculator\\Kind\\" + std::to_string(typeId);
    if (typeId) w.doc.put(path, CreateItemByTypeId(typeId));
    PageTree::path = path;
    TreeSelectionInfo selection;
    w.frame->GetTreeView()->GetSelection(&selection);
    EXPECT_TRUE(ShowSelectionView(selection, FALSE));
    return w.frame->GetContentView();
  }
  static const char* className(QObject* o) { return o ? o->metaObject()->className() : "(none)"; }
  PageWindow w;
};

TEST_F(ViewTable, EachKindOpensItsViewAndOthersTheDefaultOrEmptyView) {
  for (int id : {4010, 4011, 5010}) EXPECT_STREQ(className(showKind(id)), "standin::VariableView") << id;
  for (int id : {4019, 4020}) EXPECT_STREQ(className(showKind(id)), "standin::EquationView") << id;
  // A matrix opens its own view: its page, then the description.
  auto* matrix = showKind(4004);
  ASSERT_STREQ(className(matrix), "CQXMatrixDataView");
  EXPECT_EQ(static_cast<CQXPageView*>(matrix)->FindPageIndex(624), 0);
  EXPECT_EQ(static_cast<CQXPageView*>(matrix)->FindPageIndex(620), 1);
  // Backups have no row. The tab reads the entry's description as the
  // calculator shows it.
  PageTree::description = "Mat \xCE";
  for (int id : {4018, 5018}) {
    auto* view = qobject_cast<CQXDefaultDataView*>(showKind(id));
    ASSERT_TRUE(view) << id;
    EXPECT_EQ(view->FindPageIndex(638), 0);
    EXPECT_EQ(view->FindPageIndex(620), 1);
    EXPECT_EQ(view->GetSheet()->GetTabControl()->GetTabBar()->tabText(0), QStringLiteral("Mat θ"));
    auto* label = view->GetSheet()->GetPage(0)->findChild<QLabel*>("label");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "L'affichage des données n'est pas possible.");
    if (id == 4018) w.lookAt();
  }
  EXPECT_EQ(w.popupTexts(4).mid(0, 2), (QStringList{"Données", "Description"}));
  // Nothing loadable at the selection.
  EXPECT_TRUE(qobject_cast<CQXEmptyDataView*>(showKind(0)));
  EXPECT_EQ(w.popupTexts(4).first(), "Données");
  EXPECT_NE(w.popupTexts(4).at(1), "Description");
}

TEST_F(ViewTable, TheEmptyPageOffersNewOnlyForAKindThatCanBeMade) {
  auto* view = qobject_cast<CQXEmptyDataView*>(showKind(0));
  ASSERT_TRUE(view);
  auto* button = view->GetSheet()->GetPage(0)->findChild<QAbstractButton*>("button1091");
  ASSERT_TRUE(button);
  EXPECT_TRUE(button->isHidden());
  CCmdUI ui;
  ui.m_nID = kCmdNewItem;
  view->OnCmdMsg(kCmdNewItem, CN_UPDATE_COMMAND_UI, &ui, nullptr);
  EXPECT_FALSE(ui.m_bEnabled);

  PageTree::itemData = 4004;  // a matrix slot
  view = qobject_cast<CQXEmptyDataView*>(showKind(0));
  ASSERT_TRUE(view);
  view->EnableSheet(TRUE);
  w.frame->GetSplitter()->SetActivePane(0, 1);
  button = view->GetSheet()->GetPage(0)->findChild<QAbstractButton*>("button1091");
  ASSERT_TRUE(button && !button->isHidden());
  EXPECT_FALSE(button->icon().isNull());
  w.lookAt();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.doc.newItems == 1; }, 1000));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.doc.newItems, 1);
  int row = -1, column = -1;
  w.frame->GetSplitter()->GetActivePane(&row, &column);
  EXPECT_EQ(column, 0);  // the tree takes the focus for the new entry
}

}  // namespace

#include "ViewTableTest.moc"
