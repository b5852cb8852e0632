#include "datamodel/CalcNumber.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/SmallHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

TEST(SmallHelpers, ThousandsSeparatorNeedsItsWholeBuffer) {
  char out[16];
  ASSERT_TRUE(InsertThousandsSeparator("1234567", ',', out, sizeof out));
  EXPECT_STREQ(out, "1,234,567");
  ASSERT_TRUE(InsertThousandsSeparator("123", ',', out, sizeof out));
  EXPECT_STREQ(out, "123");
  ASSERT_TRUE(InsertThousandsSeparator("1000", ',', out, 6));
  EXPECT_STREQ(out, "1,000");
  std::strcpy(out, "kept");
  EXPECT_FALSE(InsertThousandsSeparator("1000", ',', out, 5));
  EXPECT_STREQ(out, "kept");
  ASSERT_TRUE(InsertThousandsSeparator("", ',', out, 1));
  EXPECT_STREQ(out, "");
}

TEST(SmallHelpers, OnlyTheFirstPointTakesTheDecimalSeparator) {
  SetCalcNumberDecimalSeparator(',');
  char a[] = "-6.3", b[] = "0.1.2", c[] = "12";
  ApplyLocaleDecimalPoint(a);
  ApplyLocaleDecimalPoint(b);
  ApplyLocaleDecimalPoint(c);
  ApplyLocaleDecimalPoint(nullptr);
  SetCalcNumberDecimalSeparator(0);
  EXPECT_STREQ(a, "-6,3");
  EXPECT_STREQ(b, "0,1.2");
  EXPECT_STREQ(c, "12");
}

TEST(SmallHelpers, FiltersEndInTwoBars) {
  tallix::test::TestEnvironment env(tallix::test::TestEnvironment::WithLanguageLibrary);
  QString filter;
  const UINT none[] = {0};
  BuildFileDialogFilter(none, &filter);
  EXPECT_EQ(filter, QStringLiteral("|"));
  filter.clear();
  const UINT ids[] = {10605, 10620, 0};
  BuildFileDialogFilter(ids, &filter);
  EXPECT_EQ(filter, QStringLiteral("Format calculatrice graphique (*.cas)|*.cas|Tous les fichiers (*.*)|*.*||"));
}

// A name is taken by whatever holds it, so that nothing is replaced unasked.
TEST(SmallHelpers, AnyEntryOfTheNameExists) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("a.qxd"));
  const QString locked = dir.filePath(QStringLiteral("b.qxd"));
  const QString dangling = dir.filePath(QStringLiteral("c.qxd"));
  ASSERT_TRUE(QDir().mkdir(folder));
  ASSERT_TRUE(tallix::test::writeFileContents(locked, "x"));
  ASSERT_TRUE(QFile::setPermissions(locked, {}));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));
  EXPECT_TRUE(FileExists(folder));
  EXPECT_TRUE(FileExists(locked));
  EXPECT_TRUE(FileExists(dangling));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("d.qxd"))));
  EXPECT_FALSE(FileExists(QString()));
}
