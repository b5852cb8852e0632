#include "classlib/LogFont.h"
#include "classlib/ProfileFont.h"
#include "platform/DC.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/EditorFonts.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

bool calculatorFontPresent() { return QFontDatabase::families().contains(QString::fromLatin1(kCalculatorFontFace)); }

void storeEditorFont(const QFont& font) {
  const LOGFONT record = tallix::logFontFromFont(font);
  ASSERT_TRUE(WriteProfileFont(&record, 0, "Settings", "Program Editor Font"));
}

TEST(ProgramEditorFont, WithoutTheCalculatorFontCourierAndOneWarningPerFlag) {
  if (calculatorFontPresent()) GTEST_SKIP() << "another test of this run added the calculator font";
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  MessageLog log;
  bool asked = false;
  CFont font;
  ASSERT_TRUE(LoadProgramEditorFont(&font, asked));
  EXPECT_EQ(font.font().family(), QStringLiteral("Courier New"));
  EXPECT_EQ(font.font().pointSize(), 10);
  ASSERT_TRUE(LoadProgramEditorFont(&font, asked));
  EXPECT_EQ(log.shown.size(), 1u);

  // A stored "QXL2" is still created; the check warns once more only for a
  // fresh flag.
  storeEditorFont(QFont(QString::fromLatin1(kCalculatorFontFace), 11));
  bool otherPages = false;
  ASSERT_TRUE(LoadProgramEditorFont(&font, otherPages));
  ASSERT_TRUE(LoadProgramEditorFont(&font, otherPages));
  EXPECT_EQ(font.font().family(), QString::fromLatin1(kCalculatorFontFace));
  EXPECT_EQ(log.shown.size(), 2u);
}

TEST(ProgramEditorFont, CalculatorFontByDefaultAndTheDialogStoresEightToTwelvePointsWithoutEffects) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  const int id = QFontDatabase::addApplicationFont(TestEnvironment::builtProgramDir() + QStringLiteral("/QXL2.fon"));
  ASSERT_GE(id, 0);
  MessageLog log;
  bool asked = false;
  CFont font;
  ASSERT_TRUE(LoadProgramEditorFont(&font, asked));
  EXPECT_EQ(font.font().family(), QString::fromLatin1(kCalculatorFontFace));
  EXPECT_EQ(font.font().pointSize(), 10);

  whenModal<QFontDialog>([](QFontDialog* dialog) {
    QFont big(QStringLiteral("Courier New"));
    big.setPointSize(20);
    big.setUnderline(true);
    big.setStrikeOut(true);
    dialog->setCurrentFont(big);
    dialog->accept();
  });
  ASSERT_TRUE(ChooseProgramEditorFont(nullptr, &font));
  LOGFONT stored{};
  ASSERT_TRUE(ReadProfileFont(&stored, "Settings", "Program Editor Font"));
  QFont twelve(QStringLiteral("Courier New"));
  twelve.setPointSize(12);
  EXPECT_EQ(stored.lfHeight, tallix::logFontFromFont(twelve).lfHeight);
  EXPECT_EQ(stored.lfUnderline, 0);
  EXPECT_EQ(stored.lfStrikeOut, 0);
  CFont loaded;
  ASSERT_TRUE(LoadProgramEditorFont(&loaded, asked));
  EXPECT_EQ(loaded.font(), font.font());

  whenModal<QFontDialog>([](QFontDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(ChooseProgramEditorFont(nullptr, &font));
  EXPECT_TRUE(log.shown.empty());
  QFontDatabase::removeApplicationFont(id);
}

// The rows a list of the dialog shows, of the list that holds point sizes.
QStringList shownSizes(QFontDialog* dialog) {
  for (QListView* list : dialog->findChildren<QListView*>()) {
    QStringList shown;
    bool sizes = false;
    list->model()->index(0, 0).data().toString().toInt(&sizes);
    for (int row = 0; sizes && row < list->model()->rowCount(); ++row)
      if (!list->isRowHidden(row)) shown << list->model()->index(row, 0).data().toString();
    if (sizes) return shown;
  }
  return {};
}

TEST(ProgramEditorFont, TheDialogShowsItsSampleAndOffersOnlyEightToTwelvePoints) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  CFont font;
  ASSERT_TRUE(font.CreatePointFont(100, QStringLiteral("DejaVu Sans")));
  whenModal<QFontDialog>([](QFontDialog* dialog) {
    const QStringList offered = {"8", "9", "10", "11", "12"};
    EXPECT_EQ(shownSizes(dialog), offered);
    // Another family refills the list.
    dialog->setCurrentFont(QFont(QStringLiteral("DejaVu Serif"), 9));
    EXPECT_EQ(shownSizes(dialog), offered);
    auto* sample = dialog->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
    ASSERT_TRUE(sample);
    EXPECT_GE(sample->height(), QFontMetrics(sample->font()).height());
    // The size edit takes none of the other sizes.
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
      if (!edit->validator()) continue;
      edit->clear();
      QTest::keyClicks(edit, QStringLiteral("20"));
      EXPECT_EQ(edit->text(), QString());
      QTest::keyClicks(edit, QStringLiteral("13"));
      EXPECT_EQ(edit->text(), QStringLiteral("1"));
    }
    dialog->reject();
  });
  EXPECT_FALSE(ChooseProgramEditorFont(nullptr, &font));
}

}  // namespace
