// The calculator chooser and the About box, driven as a user would.
#include "app/QXAboutDialog.h"
#include "app/QXCalculatorDialog.h"
#include "classlib/ProfileSettings.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class CalculatorChooser : public ::testing::Test {
 protected:
  void SetUp() override {
    env.writeProgramFile(QStringLiteral("QXGraph.lst"),
                         "[Calculator]\nCFX-9850G\nALGEBRA FX 2.0\nFX-7400G\n\n[CFX-9850G]\nCalculator Type=FX9850\n");
  }
  static void setDefault(const char* model) { AppWriteProfileString("Settings", "Default Calculator", model); }
  static std::string storedDefault() {
    std::string s;
    AppGetProfileString(&s, "Settings", "Default Calculator", "");
    return s;
  }
  static void click(CDialog& d, int id) { QTest::mouseClick(d.GetDlgItemAs<QPushButton>(id), Qt::LeftButton); }
  static QListWidget* list(CDialog& d) { return d.GetDlgItemAs<QListWidget>(1000); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
};

TEST_F(CalculatorChooser, OffersTheModelsInFileOrderWithTheDefaultSelected) {
  setDefault("ALGEBRA FX 2.0");
  CQXCalculatorDialog dialog;
  ASSERT_TRUE(dialog.Create(CQXCalculatorDialog::kTemplateId));
  QListWidget* models = list(dialog);
  ASSERT_EQ(models->count(), 3);
  EXPECT_EQ(models->item(0)->text(), QStringLiteral("CFX-9850G"));
  EXPECT_EQ(models->item(2)->text(), QStringLiteral("FX-7400G"));
  ASSERT_EQ(models->selectedItems().size(), 1);
  EXPECT_EQ(models->selectedItems()[0]->text(), QStringLiteral("ALGEBRA FX 2.0"));
  // A double-click on another model chooses it.
  const QRect row = models->visualItemRect(models->item(2));
  QTest::mouseClick(models->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(models->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.GetModalResult(), IDOK);
  EXPECT_EQ(storedDefault(), "FX-7400G");
}

// The row the list shows as current is the chosen one: OK and Return take
// it at once, without a stored model as with one the list no longer has,
// and a click that would unselect it leaves it chosen.
TEST_F(CalculatorChooser, TheRowShownCurrentIsChosenAndReturnTakesIt) {
  for (const char* stored : {"", "CFX-9850GB PLUS"}) {
    setDefault(stored);
    CQXCalculatorDialog dialog;
    ASSERT_TRUE(dialog.Create(CQXCalculatorDialog::kTemplateId));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QListWidget* models = list(dialog);
    ASSERT_EQ(models->currentRow(), 0) << stored;
    ASSERT_EQ(models->selectedItems().size(), 1);
    EXPECT_EQ(models->selectedItems()[0], models->currentItem());
    const QRect row = models->visualItemRect(models->item(0));
    QTest::mouseClick(models->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
    EXPECT_EQ(models->selectedItems().size(), 1);
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.GetModalResult(), IDOK);
    EXPECT_EQ(storedDefault(), "CFX-9850G");
    EXPECT_TRUE(messages.shown.empty());
  }
}

TEST_F(CalculatorChooser, AnEmptyListLeavesOnlyCancel) {
  env.writeProgramFile(QStringLiteral("QXGraph.lst"), "");
  CQXCalculatorDialog dialog;
  ASSERT_TRUE(dialog.Create(CQXCalculatorDialog::kTemplateId));
  QApplication::setActiveWindow(&dialog);
  EXPECT_EQ(list(dialog)->count(), 0);
  click(dialog, IDOK);
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(messages.texts(), std::vector<QString>{QStringLiteral("Sélectionnez s.v.p. une entrée dans la liste.")});
  EXPECT_EQ(messages.shown[0].type & 0xF0, UINT(MB_ICONINFORMATION));
  EXPECT_EQ(QApplication::focusWidget(), list(dialog));
  click(dialog, IDCANCEL);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.GetModalResult(), IDCANCEL);
  EXPECT_EQ(storedDefault(), "");
}

TEST(AboutBox, ShowsTheBuildsVersionAndTheIconAtTwiceItsSize) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  CQXAboutDialog dialog;
  ASSERT_TRUE(dialog.Create(CQXAboutDialog::kTemplateId));
  const QString version = QStringLiteral(TALLIX_BUILD_VERSION).section(QLatin1Char('.'), 0, 2);
  EXPECT_EQ(dialog.GetDlgItemAs<QLabel>(1000)->text(), QStringLiteral("  ") + version);
  QWidget* button = dialog.GetDlgItem(1040);
  const int icon = dialog.style()->pixelMetric(QStyle::PM_LargeIconSize);
  EXPECT_EQ(button->size(), QSize(2 * icon + 4, 2 * icon + 4));
  // Each pixel of the icon covers two by two pixels inside the margin.
  const QImage shown = button->grab().toImage();
  const QImage original = CLanguageLibrary::LoadIcon(128).pixmap(icon, icon).toImage();
  int compared = 0;
  for (int y = 0; y < icon; y += 5)
    for (int x = 0; x < icon; x += 5)
      if (qAlpha(original.pixel(x, y)) == 255) {
        EXPECT_EQ(shown.pixel(2 + 2 * x + 1, 2 + 2 * y + 1), original.pixel(x, y)) << x << "," << y;
        ++compared;
      }
  EXPECT_GT(compared, 0);

  // Return is OK's, whatever holds the focus first.
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  QCoreApplication::processEvents();
  ASSERT_TRUE(QApplication::focusWidget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.GetModalResult(), IDOK);
}

}  // namespace
