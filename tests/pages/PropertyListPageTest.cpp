// The property-list page's checks and number conversions, and the sensor
// list dialog with its file.
#include "pages/QXPropertyListDataPage.h"
#include "pages/QXSensorList.h"
#include "platform/PrivateProfile.h"
#include "tests/pages/PageSheetHost.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tallix::test {
namespace {

// A page of one edit row.
class OneRowPage : public CQXPropertyListDataPage {
 public:
  OneRowPage() : CQXPropertyListDataPage(651) {}
  BOOL OnInitDialog() override {
    CQXPropertyListDataPage::OnInitDialog();
    COrvoPropertyItem row;
    row.kind = COrvoPropertyItem::EditField;
    row.label = QStringLiteral("Value");
    m_list.AddItem(row);
    return FALSE;
  }
};

TEST(PropertyListPage, RangeChecksReadLikeAtoiWithoutWrappingAndNumbersConvert) {
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  OneRowPage page;
  PageSheetHost host;
  host.show(&page);
  for (const char* text : {"100", "abc", "4294967297", "-4294967295"}) {
    page.SetRowText(0, text);
    EXPECT_FALSE(page.CheckIntRange(0, 1, 99)) << text;
  }
  page.SetRowText(0, " +42xyz");
  EXPECT_TRUE(page.CheckIntRange(0, 1, 99));
  ASSERT_EQ(messages.texts().size(), 4u);
  EXPECT_EQ(messages.texts()[0], QString::fromUtf8("Tapez un nombre entier compris entre 1 et 99."));

  page.SetRowText(0, "");
  EXPECT_FALSE(page.CheckNotEmpty(0));
  EXPECT_FALSE(page.CheckNumber(0));
  page.SetRowText(0, "1.5E-3");
  EXPECT_TRUE(page.CheckNumber(0));
  BYTE number[9] = {1, 2, 3};
  ASSERT_TRUE(page.TextToNumber(number, 9, FALSE, page.GetRowText(0)));
  std::string text;
  page.NumberToText(number, 9, FALSE, &text);
  EXPECT_EQ(text, "0.0015");
  EXPECT_FALSE(page.TextToNumber(number, 9, FALSE, "1..2"));
  EXPECT_EQ(std::count(number, number + 9, 0), 9);
  const BYTE bad[9] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  page.NumberToText(bad, 9, FALSE, &text);
  EXPECT_EQ(text, "0");
}

TEST(SensorListDialog, RefusesNamesTheFileCannotKeepAndWritesTheDataFolderCopy) {
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  const QByteArray shipped = "; the user's sensors\r\n[Sensor List]\r\nProbe A=40\r\nBroken=x\r\n";
  env.writeProgramFile(QStringLiteral("Sensor.lst"), shipped);
  CQXSensorListDlg dialog;
  ASSERT_TRUE(dialog.Create(CQXSensorListDlg::kTemplateId));
  QTreeWidget* list = dialog.GetList();
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("40"));

  auto add = [&](const QString& name, int number) {
    dialog.GetNameEdit()->setText(name);
    dialog.GetNumberSpin()->setValue(number);
    QTest::mouseClick(dialog.GetDlgItemAs<QPushButton>(CQXSensorListDlg::kAddButton), Qt::LeftButton);
  };
  for (const char* name : {"", "a=b", ";x", "[x", " x", "probe a"}) add(QString::fromLatin1(name), 7);
  add(QStringLiteral("Other"), 40);
  EXPECT_EQ(list->topLevelItemCount(), 1);
  ASSERT_EQ(messages.texts().size(), 7u);
  EXPECT_EQ(messages.texts()[5], QString::fromUtf8("S.v.p. insérez un texte."));
  EXPECT_TRUE(messages.texts()[6].startsWith(QString::fromUtf8("Le numéro est déjà")));

  add(QString::fromUtf8("Thermomètre"), 41);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_TRUE(list->topLevelItem(0)->isSelected());
  QTest::mouseClick(dialog.GetDlgItemAs<QPushButton>(1), Qt::LeftButton);
  EXPECT_EQ(dialog.GetModalResult(), IDOK);

  QFile written(env.dataFile(QStringLiteral("Sensor.lst")));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), QByteArray("; the user's sensors\r\n[Sensor List]\r\nThermom\xE8tre=41\r\nProbe A=40\r\n"));
  QFile original(env.programFile(QStringLiteral("Sensor.lst")));
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  EXPECT_EQ(original.readAll(), shipped);
  const std::vector<QXSensor> read = ReadSensorList();
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name, "Thermom\xE8tre");
}

}  // namespace
}  // namespace tallix::test
