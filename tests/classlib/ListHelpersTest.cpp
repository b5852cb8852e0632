#include "classlib/ListHelpers.h"
#include "classlib/ProfileSettings.h"
#include "tests/support/TestEnvironment.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <vector>

using tallix::test::TestEnvironment;

namespace {

const UINT kCaptions[3] = {57344, 61705, 61706};
const int kDefaults[3] = {10, 20, 5};

ListColumnSetup setup(int count = 3) {
  ListColumnSetup s;
  s.count = count;
  s.captionIds = kCaptions;
  s.defaultWidths = kDefaults;
  s.section = "Cmd Pane";
  s.key = "Columns";
  return s;
}

std::vector<int> widths(const QTreeView& list, int count = 3) {
  std::vector<int> w;
  for (int i = 0; i < count; ++i) w.push_back(list.header()->sectionSize(i));
  return w;
}

std::vector<int> defaults(const QWidget& list) {
  const int zero = QFontMetrics(list.font()).horizontalAdvance(QLatin1Char('0'));
  return {10 * zero, 20 * zero, 5 * zero};
}

// The widths a fresh list gets from the stored text `text`.
std::vector<int> initWith(const char* text) {
  if (text) AppWriteProfileString("Cmd Pane", "Columns", text);
  QTreeWidget list;
  const ListColumnSetup s = setup();
  EXPECT_TRUE(InitListColumns(&list, &s));
  return widths(list);
}

}  // namespace

TEST(ListColumns, CaptionsComeFromTheLanguageLibraryAndWidthsFromTheDigitZero) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  QTreeWidget list;
  const ListColumnSetup s = setup();
  ASSERT_TRUE(InitListColumns(&list, &s));
  EXPECT_EQ(list.columnCount(), 3);
  EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("TALLIX PROFESSIONAL"));
  EXPECT_EQ(list.headerItem()->text(1), QStringLiteral("La commande a échoué."));
  EXPECT_TRUE(list.headerItem()->textAlignment(2) & Qt::AlignLeft);
  EXPECT_EQ(widths(list), defaults(list));
}

TEST(ListColumns, StoredWidthsAreUsedOnlyWhenEveryColumnHasOne) {
  TestEnvironment env;
  QTreeWidget probe;
  const std::vector<int> def = defaults(probe);

  EXPECT_EQ(initWith("120 80 60 "), (std::vector<int>{120, 80, 60}));
  EXPECT_EQ(initWith("120 80 60 40"), (std::vector<int>{120, 80, 60}));  // extra widths ignored
  EXPECT_EQ(initWith("120 80"), def);                                   // too few: all defaults
  EXPECT_EQ(initWith("120 abc 80 60"), def);                            // a bad token
  EXPECT_EQ(initWith(""), def);
  EXPECT_EQ(initWith("120 -80 60"), def);                               // negative width
  EXPECT_EQ(initWith("0 0 0"), (std::vector<int>{0, 0, 0}));            // hidden columns stay hidden

  // A text longer than 511 characters is not cut at an arbitrary place.
  std::string longText = "120 80 60 ";
  longText += std::string(600, ' ');
  EXPECT_EQ(initWith(longText.c_str()), def);
}

TEST(ListColumns, SavedWidthsAreWrittenEachFollowedByABlankAndComeBack) {
  TestEnvironment env;
  const ListColumnSetup s = setup();
  {
    QTreeWidget list;
    ASSERT_TRUE(InitListColumns(&list, &s));
    list.header()->resizeSection(0, 100);
    list.header()->resizeSection(1, 200);
    list.header()->resizeSection(2, 33);
    ASSERT_TRUE(SaveListColumnWidths(&list, &s));
  }
  std::string text;
  EXPECT_EQ(*AppGetProfileString(&text, "Cmd Pane", "Columns", nullptr), "100 200 33 ");

  QTreeWidget again;
  again.resize(800, 300);
  again.show();  // the last column must not stretch to fill the view
  ASSERT_TRUE(InitListColumns(&again, &s));
  EXPECT_EQ(widths(again), (std::vector<int>{100, 200, 33}));
}

TEST(ListColumns, AModelViewGetsItsColumnsLabelled) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  QStandardItemModel model;
  QTreeView view;
  view.setModel(&model);
  const ListColumnSetup s = setup(2);
  ASSERT_TRUE(InitListColumns(&view, &s));
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("TALLIX PROFESSIONAL"));
  EXPECT_EQ(widths(view, 2), (std::vector<int>{defaults(view)[0], defaults(view)[1]}));
  EXPECT_FALSE(InitListColumns(nullptr, &s));
  EXPECT_FALSE(InitListColumns(&view, nullptr));
}

TEST(ListBoxExtent, WidestItemPlusItemHeight) {
  QListWidget box;
  box.addItems({QStringLiteral("a"), QStringLiteral("a much longer item text"), QStringLiteral("mid")});
  QFont font = box.font();
  font.setPixelSize(30);
  ASSERT_TRUE(SetListBoxExtent(&box, &font));
  const QFontMetrics m(font);
  const int widest = m.horizontalAdvance(QStringLiteral("a much longer item text"));
  const int height = box.sizeHintForRow(0);
  for (int i = 0; i < box.count(); ++i) EXPECT_EQ(box.item(i)->sizeHint().width(), widest + height);
  EXPECT_FALSE(SetListBoxExtent(nullptr, &font));
  EXPECT_FALSE(SetListBoxExtent(&box, nullptr));
}
