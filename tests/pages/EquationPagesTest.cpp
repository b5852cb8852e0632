// The equation pages: the tables their items open as, the count spin, and
// what a commit keeps.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "CalcNumberBytes.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "pages/QXEquationPages.h"
#include "tests/pages/PageSheetHost.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

namespace tallix::test {
namespace {

class EquationPages : public ::testing::Test {
 protected:
  // A newer system of `unknowns` unknowns, cell (r, c) holding r * 100 + c.
  static CQXDocEntry* newerSystem(int unknowns) {
    auto* item = new CQXSimlCoefItem;
    item->SetNameFromHeader("SIMLCOEF");
    item->SetDimensions(DWORD(unknowns), DWORD(unknowns + 1));
    for (int r = 1; r <= unknowns; ++r)
      for (int c = 1; c <= unknowns + 1; ++c)
        item->SetReal(DWORD(r), DWORD(c), bytesOf(2, std::to_string(r * 100 + c).c_str()).data(), 9);
    auto* entry = new CQXDocEntry;
    entry->SetPath("\\Calculator\\Equation\\SimlEquation");
    entry->SetItem(item);
    return entry;
  }
  // The spin's text replaced by typing `text`, Enter not pressed.
  static void typeCount(QSpinBox* spin, const char* text) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
  }
  int rows(CQXEquationBasePage& page) { return page.GetGrid().GetDataRowCount(); }
  int columns(CQXEquationBasePage& page) { return page.GetGrid().GetDataColumnCount(); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  PageSheetHost host;
};

TEST_F(EquationPages, OlderItemsWithoutDataOpenAtTheSmallestSizeAndTheSpinSizesThem) {
  SelectedEntryPage<CQXEquationDataPage> page;
  page.current = [] {
    auto* entry = new CQXDocEntry;
    auto* item = new CQXSimlEquationItem;
    item->InitNew();
    entry->SetItem(item);
    return entry;
  };
  host.show(&page);
  EXPECT_EQ(rows(page), 2);
  EXPECT_EQ(columns(page), 3);
  EXPECT_EQ(page.GetGrid().GetItemText(0, 1), "a");
  EXPECT_FALSE(page.IsModified());
  QSpinBox* spin = page.GetCountSpin();
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->value(), 2);
  EXPECT_EQ(spin->maximum(), 6);
  spin->setValue(4);
  EXPECT_EQ(rows(page), 4);
  EXPECT_EQ(columns(page), 5);
  spin->setValue(6);
  EXPECT_EQ(rows(page), 6);
  EXPECT_EQ(columns(page), 7);
  EXPECT_TRUE(page.IsModified());

  SelectedEntryPage<CQXEquationDataPage> poly;
  CQXDocEntry entry;
  auto* item = new CQXPolyEquationItem;
  item->InitNew();
  entry.SetItem(item);
  poly.current = [] { return nullptr; };
  PageSheetHost other;
  other.show(&poly);
  ASSERT_TRUE(poly.LoadFromItem(&entry));
  EXPECT_EQ(rows(poly), 1);
  EXPECT_EQ(columns(poly), 3);
  poly.GetCountSpin()->setValue(3);
  EXPECT_EQ(columns(poly), 4);
  ASSERT_TRUE(poly.StoreToItem(&entry));
  EXPECT_EQ(item->GetMatrix().GetSecondCount(), 4);
  EXPECT_EQ(item->GetEquationKind(), 2);
}

TEST_F(EquationPages, ATypedCountAppliesOnceOnEnterAndKeepsTheCellsThatFit) {
  SelectedEntryPage<CQXEquationV5DataPage> page;
  page.current = [] { return newerSystem(10); };
  host.show(&page);
  ASSERT_EQ(rows(page), 10);
  EXPECT_FALSE(page.IsModified());
  EXPECT_EQ(page.GetGrid().GetItemText(0, 1), "0");  // 11 columns: numbered from 0
  QSpinBox* spin = page.GetCountSpin();
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->value(), 10);

  typeCount(spin, "25");
  EXPECT_EQ(rows(page), 10);  // nothing yet, not even a table for "2"
  QTest::keyClick(spin, Qt::Key_Return);
  EXPECT_EQ(rows(page), 25);
  EXPECT_EQ(columns(page), 26);
  EXPECT_EQ(page.GetGrid().GetItemText(10, 11), "1011");
  EXPECT_EQ(page.GetGrid().GetItemText(25, 26), "0");
  EXPECT_TRUE(page.IsModified());

  // Down to 3 unknowns: letters again, the kept cells stored as they were.
  spin->setValue(3);
  EXPECT_EQ(page.GetGrid().GetItemText(0, 4), "d");
  std::unique_ptr<CQXDocEntry> entry(newerSystem(10));
  ASSERT_TRUE(page.StoreToItem(entry.get()));
  auto* item = dynamic_cast<CQXEquationCoefItem*>(entry->GetItem());
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetRows(), 3u);
  EXPECT_EQ(item->GetColumns(), 4u);
  EXPECT_EQ(item->GetEquationKind(), 1);
  BYTE value[9];
  ASSERT_TRUE(item->GetReal(3, 4, value, 9));
  EXPECT_EQ(std::vector<BYTE>(value, value + 9), bytesOf(2, "304"));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EquationPages, ATableWithoutRowsRemovesTheItemAndAnUnknownKindCannotBeSized) {
  SelectedEntryPage<CQXEquationV5DataPage> page;
  page.current = [] {
    auto* entry = newerSystem(2);
    static_cast<CQXEquationCoefItem*>(entry->GetItem())->SetNameFromHeader("OTHER");
    return entry;
  };
  host.show(&page);
  EXPECT_FALSE(page.GetCountSpin()->isEnabled());

  std::unique_ptr<CQXDocEntry> empty(newerSystem(0));
  ASSERT_TRUE(page.LoadFromItem(empty.get()));
  EXPECT_EQ(rows(page), 0);
  EXPECT_TRUE(page.GetCountSpin()->isEnabled());
  ASSERT_TRUE(page.StoreToItem(empty.get()));
  EXPECT_EQ(empty->GetItem(), nullptr);
}

TEST_F(EquationPages, ComplexRootsOfAResultAreStoredAsTheyCame) {
  SelectedEntryPage<CQXEquationV5ResultDataPage> page;
  auto make = [] {
    auto* item = new CQXEquationResultItem;
    item->SetKindFromHeaderName("POLYRSLT");
    item->SetDimensions(2, 1);
    item->SetComplex(1, 1, bytesOf(2, "1+2i", true).data());
    item->SetComplex(2, 1, bytesOf(2, "1-2i", true).data());
    auto* entry = new CQXDocEntry;
    entry->SetItem(item);
    return entry;
  };
  page.current = make;
  host.show(&page);
  EXPECT_EQ(page.GetEquationKind(), 20);
  EXPECT_EQ(page.GetCountSpin(), nullptr);
  page.GetGrid().SetItemText(2, 1, "3");
  std::unique_ptr<CQXDocEntry> entry(make());
  ASSERT_TRUE(page.StoreToItem(entry.get()));
  auto* item = dynamic_cast<CQXEquationResultItem*>(entry->GetItem());
  BYTE value[18];
  ASSERT_TRUE(item->GetComplex(1, 1, value));
  EXPECT_EQ(std::vector<BYTE>(value, value + 18), bytesOf(2, "1+2i", true));
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tallix::test
