// The E-CON view in the main window: set-ups shown, saved and committed
// over their own bytes, and custom probes that the set-up page offers.
#include "datamodel/QXDataLoggerItem.h"
#include "pages/QXECONSetupPage.h"
#include "pages/QXECONView.h"
#include "pages/QXViewTable.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>

using namespace tallix::test;

namespace {

const char kPath[] = "\\Calculator\\E-CON\\ECON";

// The current set-up, set-up 5 "Test" with channel 2 sensor 5 and bytes of
// its own beyond the rows, and probe 3 whose unit fills its 9 bytes.
CQXDataLoggerItem* makeItem() {
  auto* item = new CQXDataLoggerItem;
  item->AddSetupRecord(0, 0);
  item->AddSetupRecord(0, 5);
  CQXRawBlock* setup = item->FindBlock("1005");
  BYTE* data = setup->GetData();
  std::memcpy(data, "Test\0", 5);
  data[32] = 5;
  for (int i : {42, 43, 44, 45, 102, 200, 233}) data[i] = BYTE(0xA0 + i % 16);
  item->AddSetupRecord(1, 3);
  BYTE* probe = item->FindBlock("2003")->GetData();
  std::memcpy(probe, "Probe\0", 6);
  std::memcpy(probe + 19, "ABCDEFGHI", 9);
  probe[28] = 1;
  probe[60] = 0x77;
  return item;
}

class ECONPages : public ::testing::Test {
 protected:
  ECONPages() {
    RegisterQXPageClasses();
    PageTree::path = kPath;
    PageTree::description = "ECON";
    showItem(makeItem());
  }
  void showItem(CQXDataLoggerItem* item) {
    w.doc.put(kPath, item);
    view = w.show<CQXECONDataView>();
    if (view) view->EnableSheet(TRUE);
    setup = view ? qobject_cast<CQXECONSetupDataPage*>(view->GetSheet()->GetActivePage()) : nullptr;
  }
  std::unique_ptr<CQXDocEntry> stored() { return w.doc.get(kPath); }
  static std::vector<BYTE> record(CQXDocEntry* entry, const char* name) {
    auto* item = dynamic_cast<CQXDataLoggerItem*>(entry->GetItem());
    const CQXRawBlock* block = item ? item->FindBlock(name) : nullptr;
    return block ? std::vector<BYTE>(block->GetData(), block->GetData() + block->GetLength()) : std::vector<BYTE>();
  }
  // The user's typing into row `row` of the page's list.
  static void typeRow(CQXPropertyListDataPage* page, int row, const char* text) {
    COrvoPropertyListCtrl& list = page->GetList();
    list.setFocus();
    list.SelectItem(row);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(edit) << row;
    edit->selectAll();
    if (*text) QTest::keyClicks(edit, text);
    else QTest::keyClick(edit, Qt::Key_Delete);
  }
  static QString rowText(CQXPropertyListDataPage* page, int row) {
    COrvoPropertyItem item;
    page->GetList().GetItem(row, &item);
    return item.value;
  }
  static void click(CQXDataPage* page, UINT id) {
    QTest::mouseClick(page->GetDlgItemAs<QPushButton>(int(id)), Qt::LeftButton);
  }
  static void open(CQXECONSetupDataPage* page, int number) {
    page->GetCombo()->setCurrentIndex(page->GetCombo()->findData(number));
    click(page, CQXECONSetupDataPage::kOpen);
  }

  PageWindow w;
  MessageLog messages;
  CQXECONDataView* view = nullptr;
  CQXECONSetupDataPage* setup = nullptr;
};

TEST_F(ECONPages, SetUpsAreShownSavedOverTheirOwnBytesAndCommittedAsEdited) {
  ASSERT_TRUE(setup);
  EXPECT_EQ(w.popupTexts(4).mid(0, 3), (QStringList{"Configuration", "Sonde Particulière", "Description"}));
  ASSERT_EQ(setup->GetCombo()->count(), 2);
  EXPECT_EQ(setup->GetCombo()->itemText(0), QStringLiteral("--"));
  EXPECT_EQ(setup->GetCombo()->itemText(1), QStringLiteral("05: Test"));
  EXPECT_EQ(rowText(setup, 1), QStringLiteral("No Title"));
  EXPECT_FALSE(setup->IsModified());
  QXViewDataControl printed;
  printed.kind = kPrintKindPropertyList;
  QXViewDataRequest request{int(sizeof(QXViewDataRequest)), kPrintKindPropertyList, &printed};
  ASSERT_TRUE(SendGetViewData(&request));
  EXPECT_EQ(printed.control, &setup->GetList());

  // A sensor code no entry carries comes as "unknown Sensor (5)" and goes.
  open(setup, 5);
  EXPECT_EQ(rowText(setup, 1), QStringLiteral("Test"));
  EXPECT_EQ(rowText(setup, 5), QStringLiteral("unknown Sensor (5)"));
  PageWindow::lookAt();
  open(setup, 0);
  EXPECT_EQ(rowText(setup, 5), QStringLiteral("None"));

  // Opened, edited and saved under its number: the bytes without rows stay.
  open(setup, 5);
  EXPECT_FALSE(setup->GetList().IsModified());
  typeRow(setup, 3, "30");
  EXPECT_TRUE(setup->GetList().IsModified());
  click(setup, CQXECONSetupDataPage::kSave);  // "Recouvrir ...?" answered OK
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_EQ(messages.texts()[0], QString::fromUtf8("Recouvrir l'entrée \" 5: Test\"?"));
  EXPECT_FALSE(setup->GetList().IsModified());
  ASSERT_TRUE(CommitActivePage());
  auto entry = stored();
  std::vector<BYTE> five = record(entry.get(), "1005");
  ASSERT_EQ(five.size(), 234u);
  EXPECT_EQ(five[28], 30);
  EXPECT_EQ(five[32], 5);  // the unknown sensor kept
  for (int i : {42, 43, 44, 45, 102, 200, 233}) EXPECT_EQ(five[size_t(i)], BYTE(0xA0 + i % 16)) << i;
  std::vector<BYTE> current = record(entry.get(), "cda_mem");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(current.data())), "No Title");

  // Edited and committed without saving: the rows go into "cda_mem", "--".
  typeRow(setup, 3, "40");
  ASSERT_TRUE(CommitActivePage());
  entry = stored();
  current = record(entry.get(), "cda_mem");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(current.data())), "--");
  EXPECT_EQ(current[28], 40);
  EXPECT_EQ(current[32], 5);
  EXPECT_EQ(record(entry.get(), "1005")[28], 30);
  EXPECT_EQ(messages.texts().size(), 1u);

  // A bad number keeps the user on the row.
  typeRow(setup, 18, "1..2");
  EXPECT_FALSE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Entrée d'un nombre invalide."));
  EXPECT_EQ(setup->GetList().GetCurrentRow(), 18);
}

TEST_F(ECONPages, ASavedProbeIsOfferedByTheSetUpPageAndReachesTheDocument) {
  ASSERT_TRUE(setup);
  ASSERT_TRUE(view->ShowPage(CQXECONCustomProbePage::kPageId));
  auto* probe = qobject_cast<CQXECONCustomProbePage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->GetCombo()->count(), 1);
  EXPECT_EQ(probe->GetCombo()->itemText(0), QStringLiteral("03: Probe"));
  EXPECT_EQ(rowText(probe, 1), QStringLiteral("Probe"));

  typeRow(probe, 0, "7x");  // digits only
  EXPECT_EQ(rowText(probe, 0), QStringLiteral("7"));
  typeRow(probe, 1, "Temperature sensor long name");
  typeRow(probe, 2, "Celsius degrees");
  typeRow(probe, 3, "0.5");
  typeRow(probe, 4, "-2");
  probe->GetList().SelectItem(0);
  click(probe, CQXECONCustomProbePage::kSave);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(probe->GetCombo()->currentText(), QStringLiteral("07: Temperature sensor"));
  EXPECT_TRUE(view->GetProbesChanged());
  PageWindow::lookAt();

  // Probe 3 shows its unit of nine bytes whole, and saved again it keeps
  // them and its bytes without rows.
  probe->GetCombo()->setCurrentIndex(probe->GetCombo()->findData(3));
  click(probe, CQXECONCustomProbePage::kOpen);
  EXPECT_EQ(rowText(probe, 2), QStringLiteral("ABCDEFGHI"));
  typeRow(probe, 3, "0.25");
  click(probe, CQXECONCustomProbePage::kSave);
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Recouvrir l'entrée \" 3: Probe\"?"));

  // The set-up page offers it on its next activation, and the unit of probe
  // 3 ends with its nine bytes.
  ASSERT_TRUE(view->ShowPage(CQXECONSetupDataPage::kPageId));
  EXPECT_FALSE(view->GetProbesChanged());
  COrvoPropertyListCtrl& list = setup->GetList();
  list.SelectItem(4);
  QStringList offered;
  for (QComboBox* combo : list.findChildren<QComboBox*>())
    if (combo->isVisible())
      for (int i = 0; i < combo->count(); ++i) offered << combo->itemText(i) + "=" + combo->itemData(i).toString();
  EXPECT_TRUE(offered.contains(QStringLiteral("Temperature sensor: Celsius =2007"))) << offered.join('|').toStdString();
  EXPECT_TRUE(offered.contains(QStringLiteral("Probe: ABCDEFGHI=2003"))) << offered.join('|').toStdString();

  ASSERT_TRUE(CommitActivePage());
  auto entry = stored();
  std::vector<BYTE> seven = record(entry.get(), "2007");
  ASSERT_EQ(seven.size(), 134u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(seven.data())), "Temperature sensor");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(seven.data() + 19)), "Celsius ");
  EXPECT_EQ(seven[28], 1);
  const std::vector<BYTE> three = record(entry.get(), "2003");
  ASSERT_EQ(three.size(), 134u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(three.data() + 19), 9), "ABCDEFGHI");
  EXPECT_EQ(three[60], 0x77);
}

// The records' texts are the calculator's: a probe's name typed with theta
// is the calculator's theta, shown as it shows it.
TEST_F(ECONPages, RecordTextsAreTheCalculatorsCodes) {
  ASSERT_TRUE(view->ShowPage(CQXECONCustomProbePage::kPageId));
  auto* probe = qobject_cast<CQXECONCustomProbePage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(probe);
  typeRow(probe, 0, "7");
  typeRow(probe, 1, "T");
  QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QStringLiteral("θ"), {});
  typeRow(probe, 2, "C");
  typeRow(probe, 3, "1");
  typeRow(probe, 4, "0");
  probe->GetList().SelectItem(0);
  click(probe, CQXECONCustomProbePage::kSave);
  EXPECT_EQ(probe->GetCombo()->currentText(), QStringLiteral("07: Tθ"));
  ASSERT_TRUE(CommitActivePage());
  const std::vector<BYTE> seven = record(stored().get(), "2007");
  ASSERT_EQ(seven.size(), 134u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(seven.data())), "T\xCE");
  click(probe, CQXECONCustomProbePage::kOpen);
  EXPECT_EQ(rowText(probe, 1), QStringLiteral("Tθ"));
}

// Texts hold codes that show as ASCII does outside the calculator font: the
// calculator's plus (0x89) shows "+", the degree sign (0x9C) "°". A row keeps
// its codes while another row is edited and the record saved, and an edit
// of the row changes only what the user typed; the set-up page offers the
// probe as the calculator shows it.
TEST_F(ECONPages, TextsKeepTheirCodesWhereTheUserDidNotEditThem) {
  auto* item = makeItem();
  std::memcpy(item->FindBlock("1005")->GetData(), "T\x89" "1\0", 4);
  BYTE* probe = item->FindBlock("2003")->GetData();
  std::memcpy(probe, "P\x89Q\0", 4);
  std::memcpy(probe + 19, "\x9C" "C\0\0\0\0\0\0\0", 9);
  showItem(item);
  ASSERT_TRUE(setup);
  const auto typeAtEnd = [](CQXPropertyListDataPage* page, int row, const char* text) {
    page->GetList().setFocus();
    page->GetList().SelectItem(row);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(edit) << row;
    edit->end(false);
    QTest::keyClicks(edit, text);
  };

  open(setup, 5);
  EXPECT_EQ(rowText(setup, 1), QStringLiteral("T+1"));
  typeRow(setup, 2, "0.5");
  click(setup, CQXECONSetupDataPage::kSave);
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Recouvrir l'entrée \" 5: T+1\"?"));
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record(stored().get(), "1005").data())), "T\x89" "1");
  typeAtEnd(setup, 1, "+");
  click(setup, CQXECONSetupDataPage::kSave);
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record(stored().get(), "1005").data())), "T\x89" "1+");

  ASSERT_TRUE(view->ShowPage(CQXECONCustomProbePage::kPageId));
  auto* probes = qobject_cast<CQXECONCustomProbePage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(probes);
  EXPECT_EQ(rowText(probes, 1), QStringLiteral("P+Q"));
  EXPECT_EQ(rowText(probes, 2), QStringLiteral("°C"));
  typeRow(probes, 3, "0.25");
  typeAtEnd(probes, 1, "r");
  click(probes, CQXECONCustomProbePage::kSave);
  ASSERT_TRUE(view->ShowPage(CQXECONSetupDataPage::kPageId));
  COrvoPropertyListCtrl& list = setup->GetList();
  list.SelectItem(4);
  QStringList offered;
  for (QComboBox* combo : list.findChildren<QComboBox*>())
    if (combo->isVisible())
      for (int i = 0; i < combo->count(); ++i) offered << combo->itemText(i);
  EXPECT_TRUE(offered.contains(QStringLiteral("P+Qr: °C"))) << offered.join('|').toStdString();
  ASSERT_TRUE(CommitActivePage());
  const std::vector<BYTE> three = record(stored().get(), "2003");
  ASSERT_EQ(three.size(), 134u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(three.data())), "P\x89Qr");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(three.data() + 19)), "\x9C" "C");
}

// A probe saved into the view's copy, then declined with "Non" after a
// failed store, is gone from the pages and never reaches the document.
TEST_F(ECONPages, NoAfterAFailedStoreDropsWhatTheCopyAlreadyHeld) {
  ASSERT_TRUE(setup);
  ASSERT_TRUE(view->ShowPage(CQXECONCustomProbePage::kPageId));
  auto* probe = qobject_cast<CQXECONCustomProbePage*>(view->GetSheet()->GetActivePage());
  ASSERT_TRUE(probe);
  typeRow(probe, 0, "7");
  typeRow(probe, 1, "Declined");
  typeRow(probe, 2, "u");
  typeRow(probe, 3, "1");
  typeRow(probe, 4, "0");
  click(probe, CQXECONCustomProbePage::kSave);
  ASSERT_EQ(probe->GetCombo()->count(), 2);

  w.doc.fake.saveSucceeds = FALSE;
  messages.answers = {IDNO};
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QStringLiteral("Enregistrer les modifications apportées à ECON?"));
  EXPECT_EQ(probe->GetCombo()->count(), 1);
  EXPECT_EQ(probe->GetCombo()->itemText(0), QStringLiteral("03: Probe"));

  w.doc.fake.saveSucceeds = TRUE;
  ASSERT_TRUE(view->ShowPage(CQXECONSetupDataPage::kPageId));
  typeRow(setup, 3, "30");
  ASSERT_TRUE(CommitActivePage());
  auto entry = stored();
  EXPECT_TRUE(record(entry.get(), "2007").empty());
  EXPECT_EQ(record(entry.get(), "2003").size(), 134u);
  EXPECT_EQ(record(entry.get(), "cda_mem")[28], 30);
}

// A set-up edit declined with "Non" after a failed store leaves the rows
// too: the next commit of another edit stores only that one.
TEST_F(ECONPages, NoAfterAFailedStorePutsTheSetUpRowsBack) {
  ASSERT_TRUE(setup);
  const QString shown = rowText(setup, 3);
  ASSERT_NE(shown, QStringLiteral("30"));
  typeRow(setup, 3, "30");
  w.doc.fake.saveSucceeds = FALSE;
  messages.answers = {IDNO};
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(messages.texts().back(), QStringLiteral("Enregistrer les modifications apportées à ECON?"));
  EXPECT_EQ(rowText(setup, 3), shown);

  w.doc.fake.saveSucceeds = TRUE;
  typeRow(setup, 8, "7");
  ASSERT_TRUE(CommitActivePage());
  const std::vector<BYTE> current = record(stored().get(), "cda_mem");
  ASSERT_GT(current.size(), 38u);
  EXPECT_EQ(current[38], 7);
  EXPECT_NE(current[28], 30);
}

// As the calculator may send them: a title that fills its 19 bytes, no
// record-time list (0), no current set-up. The commit makes what is
// missing, also an item the document no longer holds.
TEST_F(ECONPages, ACalculatorsSetUpIsSavedWholeAndTheCommitMakesWhatIsMissing) {
  auto* item = new CQXDataLoggerItem;
  item->AddSetupRecord(0, 6);
  BYTE* data = item->FindBlock("1006")->GetData();
  std::memcpy(data, "Nineteen characters", 19);
  data[51] = 0;
  showItem(item);
  ASSERT_TRUE(setup);
  open(setup, 6);
  EXPECT_EQ(rowText(setup, 1), QStringLiteral("Nineteen characters"));
  EXPECT_TRUE(rowText(setup, 15).isEmpty());
  typeRow(setup, 3, "30");
  click(setup, CQXECONSetupDataPage::kSave);
  typeRow(setup, 3, "40");
  ASSERT_TRUE(CommitActivePage());
  auto entry = stored();
  std::vector<BYTE> six = record(entry.get(), "1006");
  ASSERT_EQ(six.size(), 234u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(six.data()), 19), "Nineteen characters");
  EXPECT_EQ(six[28], 30);
  EXPECT_EQ(six[51], 0);
  std::vector<BYTE> current = record(entry.get(), "cda_mem");
  ASSERT_EQ(current.size(), 234u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(current.data())), "--");
  EXPECT_EQ(current[28], 40);

  DWORD kind = 0;
  ASSERT_TRUE(w.doc.fake.RemoveItem(kPath, &kind, FALSE));
  typeRow(setup, 3, "50");
  ASSERT_TRUE(CommitActivePage());
  entry = stored();
  ASSERT_TRUE(entry && dynamic_cast<CQXDataLoggerItem*>(entry->GetItem()));
  EXPECT_EQ(record(entry.get(), "cda_mem")[28], 50);
  EXPECT_EQ(record(entry.get(), "1006")[28], 30);
  EXPECT_EQ(messages.texts().size(), 1u);  // "Recouvrir ...?"

  typeRow(setup, 15, "21");
  click(setup, CQXECONSetupDataPage::kSave);
  EXPECT_EQ(messages.texts().back(), QStringLiteral("Tapez un nombre entier compris entre 1 et 20."));
}

}  // namespace
