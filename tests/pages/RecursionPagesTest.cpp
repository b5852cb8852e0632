// The recursion views of both families in the main window: the range grid by
// type, a refused type change undone, the start index in the style blocks,
// and stores that keep what the page does not show.
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXRecursionItem.h"
#include "pages/QXRecursionPages.h"
#include "pages/QXViewTable.h"
#include "platform/Menu.h"
#include "tests/pages/CalcNumberBytes.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "classlib/ProfileSettings.h"
#include "tokens/CmdChooser.h"
#include "tokens/CmdListCtrl.h"
#include "tokens/QXPasteCmdDlg.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenField.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>

using namespace tallix::test;

namespace {

const char kPath[] = "\\Calculator\\Y=Data\\Recursion";

std::vector<BYTE> rangeRecord(const std::vector<BYTE>& number) {
  std::vector<BYTE> record(4 + number.size());
  record[1] = record[3] = 1;
  std::copy(number.begin(), number.end(), record.begin() + 4);
  return record;
}

class RecursionPages : public ::testing::Test {
 protected:
  template <class View, class Page>
  Page* open(CQXCalcItem* item) {
    RegisterQXPageClasses();
    w.doc.put(kPath, item);
    PageTree::path = kPath;
    PageTree::description = "Rec";
    auto* view = w.show<View>();
    EXPECT_TRUE(view);
    if (!view) return nullptr;
    view->EnableSheet(TRUE);
    return qobject_cast<Page*>(view->GetSheet()->GetActivePage());
  }
  template <class Item>
  Item* stored() {
    entry = w.doc.get(kPath);
    return entry ? dynamic_cast<Item*>(entry->GetItem()) : nullptr;
  }
  static QStringList rowLabels(CQXRecursionCtrlDataPage* page) {
    QStringList out;
    for (int r = 1; r < page->GetGrid().GetRowCount(); ++r)
      out << QString::fromStdString(page->GetGrid().GetItemText(r, 0));
    return out;
  }
  static void selectType(CQXRecursionCtrlDataPage* page, int index) {
    page->GetTypeCombo()->setCurrentIndex(index);
    emit page->GetTypeCombo()->activated(index);
  }
  static void typeCell(CQXRecursionCtrlDataPage* page, int row, const char* text) {
    page->GetGrid().SetItemText(row, 1, text);
    page->GetGrid().SetModified(TRUE, row, 1);
  }

  PageWindow w;
  MessageLog messages;
  std::unique_ptr<CQXDocEntry> entry;
};

TEST_F(RecursionPages, OlderItemKeepsItsValuesAndTakesTheStartIndexIntoBothStyles) {
  auto* item = new CQXRecursionItem;
  ASSERT_TRUE(item->SetRecursionType(2));
  const std::vector<BYTE> precise = bytesOf(1, "1.23456789012345");
  for (int i = 0; i < item->GetRangeCount(); ++i)
    if (item->GetRangeName(i) == "a0") item->SetRangeValue(i, rangeRecord(precise).data(), 14);
  const BYTE formula[] = {0x7F, 0xA0, 0x89, '1', 0xFF};
  item->SetFormulaBytes(0, formula, sizeof formula);
  const BYTE unended[] = {0x41};  // no end byte: the 'A' is kept
  item->SetFormulaBytes(1, unended, 1);
  BYTE style[18] = {};
  item->GetFormulaStyle(0, style, sizeof style);
  std::memcpy(style + 2, "BLSL", 4);
  style[7] = '0';
  item->SetFormulaStyle(0, style);
  item->SetFormulaStyle(1, style);
  auto* page = open<CQXRecursionDataView, CQXRecursionDataPage>(item);
  ASSERT_TRUE(page);
  EXPECT_EQ(rowLabels(page), (QStringList{"Start", "End", "a0", "b0", "an Start", "bn Start"}));
  EXPECT_EQ(page->GetFieldTokens(0), std::vector<BYTE>(formula, formula + 4));
  EXPECT_EQ(page->GetFieldTokens(1), std::vector<BYTE>{0x41});
  page->SetFieldTokens(1, nullptr, 0);
  PageWindow::lookAt();

  QTest::mouseClick(page->GetDlgItemAs<QRadioButton>(1069), Qt::LeftButton, {}, QPoint(6, 6));
  EXPECT_EQ(page->GetStartIndex(), 1);
  EXPECT_EQ(rowLabels(page)[2], QStringLiteral("a1"));
  typeCell(page, 2, "12");
  ASSERT_TRUE(CommitActivePage());
  EXPECT_FALSE(page->IsModified());

  auto* committed = stored<CQXRecursionItem>();
  ASSERT_TRUE(committed);
  for (int f = 0; f < 2; ++f) {
    BYTE kept[18] = {};
    committed->GetFormulaStyle(f, kept, sizeof kept);
    EXPECT_EQ(kept[7], '1') << f;
    EXPECT_EQ(std::memcmp(kept + 2, "BLSL", 4), 0) << f;
  }
  std::vector<BYTE> text(committed->GetFormulaLength(1));
  committed->GetFormulaBytes(1, text.data(), DWORD(text.size()));
  EXPECT_EQ(text, std::vector<BYTE>{0xFF});
  text.resize(committed->GetFormulaLength(0));
  committed->GetFormulaBytes(0, text.data(), DWORD(text.size()));
  EXPECT_EQ(text, std::vector<BYTE>(formula, formula + sizeof formula));
  for (int i = 0; i < committed->GetRangeCount(); ++i) {
    BYTE record[24] = {};
    committed->GetRangeValue(i, record, sizeof record);
    const std::string name = committed->GetRangeName(i);
    const std::vector<BYTE> value(record, record + 14);
    if (name == "a0") {
      EXPECT_EQ(value, rangeRecord(precise));
    } else if (name == "R End") {
      EXPECT_EQ(value, rangeRecord(bytesOf(1, "12")));
    }
  }

  // The next load reads the start index back.
  page->OnDocNotify(kNotifyItemChanged, nullptr);
  EXPECT_EQ(page->GetStartIndex(), 1);
  EXPECT_TRUE(page->GetDlgItemAs<QRadioButton>(1069)->isChecked());
}

TEST_F(RecursionPages, TypesShapeTheGridAndARefusedChangeLeavesTheOldType) {
  auto* item = new CQXRecursionV5Item;
  ASSERT_TRUE(item->InitValues());
  const BYTE hidden[] = {0x41, 0x89, 0x42};
  item->GetFormula(3)->SetExpression(hidden, sizeof hidden);
  item->GetFormula(4)->SetType(7);
  item->GetFormula(0)->SetExpression(hidden, 1);
  const DWORD drawn = item->GetFormula(1)->GetOption() & 0x10;
  auto* page = open<CQXRecursionV5DataView, CQXRecursionV5DataPage>(item);
  ASSERT_TRUE(page);
  EXPECT_EQ(rowLabels(page), (QStringList{"Start", "End"}));
  EXPECT_FALSE(page->GetDlgItemAs<QRadioButton>(1068)->isVisible());
  EXPECT_EQ(page->GetFieldList().GetField(0)->GetLabel(), "an:");

  // A bad cell refuses the change: type, combo and labels stay.
  typeCell(page, 1, "1..2");
  selectType(page, 1);
  ASSERT_FALSE(messages.texts().empty());
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Entrée d'un nombre invalide."));
  EXPECT_EQ(page->GetTypeIndex(), 0);
  EXPECT_EQ(page->GetTypeCombo()->currentIndex(), 0);
  EXPECT_EQ(page->GetFieldList().GetField(2)->GetLabel(), "cn:");
  EXPECT_EQ(rowLabels(page), (QStringList{"Start", "End"}));

  typeCell(page, 1, "3");
  selectType(page, 1);
  EXPECT_EQ(rowLabels(page),
            (QStringList{"Start", "End", "a0", "b0", "c0", "an Start", "bn Start", "cn Start"}));
  EXPECT_TRUE(page->GetDlgItemAs<QRadioButton>(1068)->isVisible());
  CMenu menu;
  CMenu* popup = page->LoadVariableMenu(&menu);
  ASSERT_TRUE(popup);
  std::vector<UINT> offered;
  for (int i = 0; i < popup->GetMenuItemCount(); ++i)
    if (UINT id = popup->GetMenuItemID(i); id >= 21500 && id <= 21506) offered.push_back(id);
  EXPECT_EQ(offered, (std::vector<UINT>{21500, 21501, 21503, 21505}));

  // The store writes the shown three into the item's own set, with the
  // colour and drawing given to the focused one.
  page->SetFieldTokens(0, nullptr, 0);
  ASSERT_TRUE(page->GetFieldList().FocusField(1));
  page->OnColour(CQXRecursionCtrlDataPage::kCmdGreen);
  page->OnDraw();
  ASSERT_TRUE(CommitActivePage());
  EXPECT_FALSE(page->IsModified());
  auto* committed = stored<CQXRecursionV5Item>();
  ASSERT_TRUE(committed);
  EXPECT_EQ(committed->GetRecursionOrder(), 2);
  EXPECT_TRUE(committed->GetFormula(0)->GetExpression().empty());
  EXPECT_EQ(committed->GetFormula(3)->GetExpression(), std::vector<BYTE>(hidden, hidden + sizeof hidden));
  EXPECT_EQ(committed->GetFormula(4)->GetType(), 7u);
  EXPECT_EQ(committed->GetFormula(1)->GetStyle(), 4u);
  EXPECT_EQ(committed->GetFormula(1)->GetOption() & 0x10, drawn ^ 0x10u);
  BYTE start[9] = {};
  committed->GetRange().GetReal(1, 1, start, sizeof start);
  EXPECT_EQ(std::vector<BYTE>(start, start + 9), bytesOf(2, "3"));
}

}  // namespace

TEST_F(RecursionPages, PasteCommandPutsThePickedCommandIntoTheFieldFocusedLast) {
  ASSERT_TRUE(w.doc.GetTokenTable().SetCommand(0x7F, 0x3A, "Xmax", "Xmax", ""));
  auto* item = new CQXRecursionV5Item;
  ASSERT_TRUE(item->InitValues());
  auto* page = open<CQXRecursionV5DataView, CQXRecursionV5DataPage>(item);
  ASSERT_TRUE(page);
  CQXFieldTokenEditor* editor = page->GetFieldList().GetFieldEditor(1);
  ASSERT_TRUE(editor);
  editor->setFocus();
  AppWriteProfileInt("Token View", "Last View", CQXCmdChooser::kViewAll);
  QXCMDSELECTION picked;
  whenModal<CQXPasteCmdDlg>([&picked](CQXPasteCmdDlg* dialog) {
    auto* list = static_cast<CQXCmdListCtrl*>(dialog->GetChooser()->GetView(CQXCmdChooser::kViewAll));
    if (list->GetItemCount() > 0) list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    if (dialog->GetChooser()->GetSelectedCommand(&picked))
      dialog->SendMessage(WM_COMMAND, 20070);
    else
      dialog->EndDialog(IDCANCEL);
  });
  page->SendMessage(WM_COMMAND, 20056);
  ASSERT_GT(picked.length, 0);
  std::vector<BYTE> bytes(16);
  int length = 0;
  ASSERT_TRUE(editor->GetTokens(bytes.data(), int(bytes.size()), &length, 1));
  bytes.resize(size_t(length));
  if (!bytes.empty() && bytes.back() == 0xFF) bytes.pop_back();
  EXPECT_EQ(bytes, std::vector<BYTE>(picked.bytes, picked.bytes + picked.length));
}
