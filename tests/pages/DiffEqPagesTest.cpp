// The differential-equation view in the main window: the kind and counts of
// the type page, the equations renumbered with a count, the parameters and
// output lists committed and shown again as committed.
#include "datamodel/QXDiffEqItem.h"
#include "pages/QXDiffEqFieldsPage.h"
#include "pages/QXDiffEqGridPages.h"
#include "pages/QXDiffEqView.h"
#include "pages/QXViewTable.h"
#include "tests/pages/CalcNumberBytes.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"
#include "tokens/QXTokenField.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

using namespace tallix::test;

namespace {

const char kPath[] = "\\Calculator\\Equation\\DiffEquation";

void putRecord(CQXDiffEqItem* item, const std::string& name, std::vector<BYTE> data) {
  ASSERT_TRUE(item->SetRecord(name.c_str(), data));
}

std::vector<BYTE> recordOf(const CQXDiffEqItem* item, const std::string& name) {
  const CQXRawBlock* block = item ? item->FindBlock(name.c_str()) : nullptr;
  return block ? std::vector<BYTE>(block->GetData(), block->GetData() + block->GetLength()) : std::vector<BYTE>{9};
}

// An equation record whose token is `tag`.
std::vector<BYTE> equation(BYTE tag) { return {0, 0, 0, 2, tag, 0}; }

class DiffEqPages : public ::testing::Test {
 protected:
  void open(CQXDiffEqItem* item) {
    RegisterQXPageClasses();
    w.doc.put(kPath, item);
    PageTree::path = kPath;
    PageTree::description = "DiffEq";
    view = w.show<CQXDifferentialEquationDataView>();
    ASSERT_TRUE(view);
    view->EnableSheet(TRUE);
    type = qobject_cast<CQXDifferentialEquationDataPage*>(view->GetSheet()->GetActivePage());
    ASSERT_TRUE(type);
  }
  std::unique_ptr<CQXDocEntry> stored() { return w.doc.get(kPath); }
  CQXDiffEqItem* storedItem() {
    entry = stored();
    return entry ? dynamic_cast<CQXDiffEqItem*>(entry->GetItem()) : nullptr;
  }
  std::vector<BYTE> slot(int i) {
    const CQXRawBlock* r = view->GetSlot(i);
    return r ? std::vector<BYTE>(r->GetData(), r->GetData() + r->GetLength()) : std::vector<BYTE>{};
  }
  // Typed into a spin; Enter applies it when `enter`.
  static void typeCount(QSpinBox* spin, const char* text, bool enter) {
    spin->setFocus();
    spin->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(spin, text);
    if (enter) QTest::keyClick(spin, Qt::Key_Return);
  }
  // On its circle: a radio button across the page takes clicks only there.
  void clickRadio(UINT id) {
    auto* radio = type->GetDlgItemAs<QRadioButton>(int(id));
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
  }
  template <class Page>
  Page* showPage(UINT id) {
    EXPECT_TRUE(view->ShowPage(id));
    return qobject_cast<Page*>(view->GetSheet()->GetActivePage());
  }

  PageWindow w;
  MessageLog messages;
  CQXDifferentialEquationDataView* view = nullptr;
  CQXDifferentialEquationDataPage* type = nullptr;
  std::unique_ptr<CQXDocEntry> entry;
};

TEST_F(DiffEqPages, AnItemWithoutKindOpensAsSeparableAndTheFirstOrderKeepsTheComboKind) {
  auto* item = new CQXDiffEqItem;
  item->SetRecord("OUTP", std::vector<BYTE>(202, 0));
  // 0x7F leads two-byte tokens: the 0 after it is a token byte, not the end.
  w.doc.GetTokenTable().SetCommand(0x7F, 0, "q", "q", "");
  putRecord(item, "1", {0, 0, 0, 2, 0x7F, 0});
  putRecord(item, "9", {0, 0, 0, 2, 0x41, 0});
  open(item);
  EXPECT_EQ(w.popupTexts(4).mid(0, 5),
            (QStringList{"Type", "Equation", "Réglages de fenêtre", "Paramètre", "Description"}));
  EXPECT_TRUE(type->GetDlgItemAs<QRadioButton>(1094)->isChecked());
  EXPECT_EQ(type->GetCombo()->currentIndex(), 0);
  EXPECT_FALSE(type->GetOrderSpin()->isVisible());
  PageWindow::lookAt();

  // Four separable fields; one typed is stored in its record with the end
  // byte, its header sized for it.
  auto* fields = showPage<CQXDifferentialEquationFNCDataPage>(CQXDifferentialEquationDataView::kFieldsPage);
  ASSERT_TRUE(fields);
  CQXTokenFieldList* list = fields->GetFieldList();
  ASSERT_EQ(list->GetFieldCount(), 4);
  EXPECT_EQ(list->GetField(0)->GetLabel(), "f(x)=");
  EXPECT_EQ(list->GetField(3)->GetLabel(), "y0=");
  // Each editor begins after the whole of its label, in the page's font.
  for (int k = 0; k < list->GetFieldCount(); ++k) {
    const QString text = QString::fromLatin1(list->GetField(k)->GetLabel());
    const QLabel* label = nullptr;
    for (const QLabel* l : fields->findChildren<QLabel*>())
      if (l->text() == text) label = l;
    ASSERT_TRUE(label) << k;
    EXPECT_LE(label->x() + QFontMetrics(label->font()).horizontalAdvance(text), list->GetFieldEditor(k)->x()) << k;
  }
  EXPECT_EQ(list->GetFieldEditor(0)->GetTokensLength(1), 2);
  EXPECT_EQ(list->GetFieldEditor(2)->GetTokensLength(1), 1);
  const BYTE tokens[] = {0x41, 0x89, 0x42};
  list->GetFieldEditor(1)->SetTokens(tokens, 3, 1);
  list->GetFieldEditor(1)->SetModified(TRUE);
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(recordOf(storedItem(), "2"), (std::vector<BYTE>{0, 0, 0, 2, 0x41, 0x89, 0x42, 0}));
  BYTE header[40] = {};
  storedItem()->FindBlock("2")->GetHeader(header, 40);
  EXPECT_EQ(header[9], 8);
  ASSERT_TRUE(view->ShowPage(CQXDifferentialEquationDataView::kTypePage));

  // Bernoulli, then second order, then back to first order: Bernoulli.
  type->GetCombo()->setCurrentIndex(2);
  clickRadio(1095);
  EXPECT_FALSE(type->GetCombo()->isVisible());
  clickRadio(1094);
  int kind = -1, count = 0;
  type->GetShownEquation(&kind, &count);
  EXPECT_EQ(kind, 2);
  EXPECT_TRUE(type->IsModified());
  ASSERT_TRUE(CommitActivePage());
  CQXDiffEqItem* committed = storedItem();
  ASSERT_TRUE(committed);
  EXPECT_EQ(committed->GetEquationKind(), 2);
  EXPECT_FALSE(type->IsModified());
}

TEST_F(DiffEqPages, CountsRenumberTheEquationsByRoleAndApplyOnlyOnceTyped) {
  auto* item = new CQXDiffEqItem;
  item->InitNew();
  item->SetEquationKind(5);
  item->SetParamCount(5, 3);
  item->SetParamCount(6, 2);
  for (int i = 17; i <= 21; ++i) putRecord(item, std::to_string(i), equation(BYTE(i)));
  for (int i = 28; i <= 32; ++i) putRecord(item, std::to_string(i), equation(BYTE(i)));
  open(item);
  QSpinBox* order = type->GetOrderSpin();
  ASSERT_TRUE(order->isVisible());
  EXPECT_EQ(order->value(), 3);

  // Typing alone changes nothing; Enter makes room for one more; going back
  // drops only that one.
  typeCount(order, "4", false);
  EXPECT_FALSE(type->IsModified());
  EXPECT_FALSE(view->GetSlot(47) && slot(47)[4] == '4');
  QTest::keyClick(order, Qt::Key_Return);
  EXPECT_TRUE(type->IsModified());
  EXPECT_EQ(slot(47)[4], '4');
  EXPECT_TRUE(slot(22).empty());
  typeCount(order, "3", true);
  for (int i = 17; i <= 21; ++i) EXPECT_EQ(slot(i), equation(BYTE(i))) << i;

  // A system of 2 equations grows to 3: y1', y2' stay, x0 and the initial
  // values move up, under their new names.
  clickRadio(1097);
  typeCount(type->GetSystemSpin(), "3", true);
  EXPECT_EQ(slot(28), equation(28));
  EXPECT_EQ(slot(29), equation(29));
  EXPECT_TRUE(slot(30).empty());
  EXPECT_EQ(slot(31), equation(30));
  EXPECT_EQ(view->GetSlot(31)->Name(), "31");
  EXPECT_EQ(slot(32), equation(31));
  EXPECT_EQ(slot(33), equation(32));

  ASSERT_TRUE(CommitActivePage());
  CQXDiffEqItem* committed = storedItem();
  ASSERT_TRUE(committed);
  EXPECT_EQ(committed->GetEquationKind(), 6);
  EXPECT_EQ(committed->GetParamCount(6), 3);
  EXPECT_EQ(committed->GetParamCount(5), 3);
  EXPECT_EQ(recordOf(committed, "31"), equation(30));
  EXPECT_EQ(recordOf(committed, "30"), std::vector<BYTE>{9});  // none
  EXPECT_EQ(recordOf(committed, "19"), equation(19));
}

// A smaller order, declined with "Non" after a failed store, is undone in
// the view's copy and its pages: the next commit keeps the equation it
// would have dropped.
TEST_F(DiffEqPages, NoAfterAFailedStorePutsTheCopyBackToTheDocumentsItem) {
  auto* item = new CQXDiffEqItem;
  item->InitNew();
  item->SetEquationKind(5);
  item->SetParamCount(5, 3);
  for (int i = 17; i <= 21; ++i) putRecord(item, std::to_string(i), equation(BYTE(i)));
  open(item);
  typeCount(type->GetOrderSpin(), "2", true);
  EXPECT_TRUE(slot(21).empty());

  w.doc.fake.saveSucceeds = FALSE;
  messages.answers = {IDNO};
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QStringLiteral("Enregistrer les modifications apportées à DiffEq?"));
  EXPECT_EQ(type->GetOrderSpin()->value(), 3);
  EXPECT_EQ(slot(21), equation(21));

  w.doc.fake.saveSucceeds = TRUE;
  auto* param = showPage<CQXDifferentialEquationParamDataPage>(CQXDifferentialEquationDataView::kParamPage);
  ASSERT_TRUE(param);
  param->GetGrid().SetItemText(2, 1, "8");
  param->GetGrid().SetModified(TRUE, 2, 1);
  ASSERT_TRUE(CommitActivePage());
  CQXDiffEqItem* committed = storedItem();
  ASSERT_TRUE(committed);
  EXPECT_EQ(committed->GetParamCount(5), 3);
  EXPECT_EQ(recordOf(committed, "21"), equation(21));
}

TEST_F(DiffEqPages, ParametersAreCommittedIntoBothItemsAndShownAsCommitted) {
  auto* item = new CQXDiffEqItem;
  item->InitNew();
  std::vector<BYTE> param(48, 0);
  const char* values[] = {"-1.23456789012345", "7", "0.1", "2", "3"};
  for (int i = 0; i < 5; ++i) {
    const std::vector<BYTE> number = bytesOf(2, values[i]);
    std::copy(number.begin(), number.end(), param.begin() + 9 * i);
  }
  param[45] = 'E';
  param[46] = 21;  // out of range: shown as 1
  putRecord(item, "PARAM", param);
  open(item);
  auto* page = showPage<CQXDifferentialEquationParamDataPage>(CQXDifferentialEquationDataView::kParamPage);
  ASSERT_TRUE(page);
  CQXGridCtrl& grid = page->GetGrid();
  EXPECT_EQ(grid.GetItemText(2, 0), "X max");
  EXPECT_EQ(grid.GetItemText(6, 1), "1");
  EXPECT_FALSE(page->IsModified());

  grid.SetItemText(2, 1, "8");
  grid.SetItemText(6, 1, "21");
  grid.SetModified(TRUE, 2, 1);
  EXPECT_FALSE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Entrée d'un nombre invalide."));
  EXPECT_EQ(grid.GetFocusCell().row, 6);
  grid.SetItemText(6, 1, "4");
  ASSERT_TRUE(CommitActivePage());

  std::vector<BYTE> expected = param;
  const std::vector<BYTE> eight = bytesOf(2, "8");
  std::copy(eight.begin(), eight.end(), expected.begin() + 9);
  expected[46] = 4;
  EXPECT_EQ(recordOf(storedItem(), "PARAM"), expected);  // X min's 15 digits kept
  EXPECT_EQ(recordOf(view->GetWorkingItem(), "PARAM"), expected);
  view->NotifyPages(kNotifyItemChanged, nullptr);
  EXPECT_EQ(grid.GetItemText(2, 1), "8");
  EXPECT_EQ(grid.GetItemText(6, 1), "4");
  EXPECT_FALSE(page->IsModified());
}

TEST_F(DiffEqPages, OutputListsAreCheckedAndStoredOverTheRecordsOwnWords) {
  auto* item = new CQXDiffEqItem;
  item->InitNew();
  std::vector<BYTE> output(202, 0);
  output[0] = 3;             // x in list 3
  output[2 * 1] = 4;         // y, 1st: list 4
  output[2 * 10] = 7;        // a third row the separable kind does not show
  output[2 * 92] = 1;        // and its selection
  output[2 * 100] = 0x55;    // past every row
  putRecord(item, "OUTP", output);
  open(item);
  auto* page = showPage<CQXDifferentialEquationOutputDataPage>(CQXDifferentialEquationDataView::kOutputPage);
  ASSERT_TRUE(page);
  CQXGridCtrl& grid = page->GetGrid();
  ASSERT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetItemText(1, 2), "3");
  EXPECT_EQ(grid.GetItemText(1, 3), "-");
  EXPECT_EQ(grid.GetItemText(2, 2), "4");
  EXPECT_EQ(grid.GetItemText(0, 10), "9th");
  PageWindow::lookAt();

  // A click on y's "Sel" checks it.
  QRect cell;
  ASSERT_TRUE(grid.GetCellRect(2, 1, &cell));
  QTest::mouseClick(&grid, Qt::LeftButton, {}, cell.center());
  EXPECT_TRUE(grid.GetItemState(2, 1) & GRID_STATE_CHECKED);
  EXPECT_TRUE(page->IsModified());

  // The same list twice, then a list past 20.
  grid.SetItemText(2, 3, "3");
  EXPECT_FALSE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(),
            QString::fromUtf8("La liste est déjà utilisée. Veuillez entrer un numéro de liste disponible."));
  EXPECT_TRUE(grid.GetItemState(1, 2) & GRID_STATE_SELECTED);
  grid.SetItemText(2, 3, "21");
  EXPECT_FALSE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Tapez un nombre entier compris entre 1 et 20."));
  grid.SetItemText(2, 3, "5");
  ASSERT_TRUE(CommitActivePage());

  std::vector<BYTE> expected = output;
  expected[2 * 2] = 5;
  expected[2 * 91] = 1;
  EXPECT_EQ(recordOf(storedItem(), "OUTP"), expected);
  EXPECT_EQ(recordOf(view->GetWorkingItem(), "OUTP"), expected);
}

}  // namespace
