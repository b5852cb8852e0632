// The description page: its text, what a commit stores, its menus and what
// it hands to the print views.
#include "app/MainFrameFunctions.h"
#include "datamodel/QXItemFactory.h"
#include "pages/QXDefaultPages.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXViewTable.h"
#include "classlib/ProfileSettings.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

const char kPath[] = "\\Calculator\\Backup\\B";
// As a rich-edit control writes it, with a group our reader skips.
const char kStored[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}{\\*\\generator Other 1.0;}"
    "\\viewkind4\\uc1\\pard\\fs20 Caf\\'e9\\tab au lait\\par\r\n}\r\n";

class DescriptionPage : public ::testing::Test {
 protected:
  DescriptionPage() { RegisterQXPageClasses(); }
  // Shows the default view of a backup item, with `rtf` as its description.
  CQXDefaultDataView* show(const char* rtf) {
    auto entry = std::make_unique<CQXDocEntry>();
    entry->SetPath(kPath);
    entry->SetItem(CreateItemByTypeId(4018));
    if (rtf) {
      auto* description = new CQXDescription;
      description->SetBytes(std::vector<BYTE>(rtf, rtf + std::strlen(rtf)));
      entry->SetDescription(description);
    }
    w.doc.SaveItem(entry.get(), nullptr);
    PageTree::path = kPath;
    TreeSelectionInfo selection;
    w.frame->GetTreeView()->GetSelection(&selection);
    EXPECT_TRUE(ShowSelectionView(selection, FALSE));
    auto* view = qobject_cast<CQXDefaultDataView*>(w.frame->GetContentView());
    if (view) {
      view->EnableSheet(TRUE);
      view->ShowPage(620);
      page = qobject_cast<CQXDescriptionPage*>(view->GetSheet()->GetActivePage());
      edit = page ? page->GetEdit() : nullptr;
    }
    return view;
  }
  std::string storedDescription() const {
    auto entry = w.doc.get(kPath);
    if (!entry || !entry->GetDescription()) return "(none)";
    const auto& bytes = entry->GetDescription()->GetBytes();
    return std::string(bytes.begin(), bytes.end());
  }
  PageWindow w;
  CQXDescriptionPage* page = nullptr;
  CQXDescriptionEdit* edit = nullptr;
};

TEST_F(DescriptionPage, LoadsTypesTabsAndStoresOnlyWhatChanged) {
  CQXDefaultDataView* view = show(kStored);
  ASSERT_TRUE(view && edit);
  EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("Café\tau lait"));
  EXPECT_FALSE(view->IsAnyPageModified());
  // Stored as it came when nothing changed, though the reader skipped a group.
  EXPECT_TRUE(view->StorePages());
  EXPECT_EQ(storedDescription(), kStored);

  w.frame->GetSplitter()->SetActivePane(0, 1);
  edit->setFocus();
  edit->moveCursor(QTextCursor::End);
  QTest::keyClick(edit, Qt::Key_Tab);
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("Café\tau lait\tx"));
  EXPECT_TRUE(edit->hasFocus());
  w.lookAt();
  EXPECT_TRUE(CommitActivePage());
  EXPECT_NE(storedDescription().find("Caf\\'e9\\tab au lait\\tab x"), std::string::npos);
  EXPECT_FALSE(view->IsAnyPageModified());

  // Emptied: the entry has no description any more.
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_TRUE(CommitActivePage());
  EXPECT_EQ(storedDescription(), "(none)");
}

// "Non" after a failed store puts the description back as the document
// holds it: the dropped text never reaches the document with a later store.
TEST_F(DescriptionPage, NoAfterAFailedStorePutsTheDescriptionBack) {
  MessageLog messages;
  CQXDefaultDataView* view = show(nullptr);
  ASSERT_TRUE(view && edit);
  w.frame->GetSplitter()->SetActivePane(0, 1);
  edit->setFocus();
  QTest::keyClicks(edit, "declined");
  w.doc.fake.saveSucceeds = FALSE;
  messages.answers = {IDNO};
  ASSERT_TRUE(CommitActivePage());
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(edit->toPlainText().isEmpty());
  EXPECT_FALSE(view->IsAnyPageModified());

  w.doc.fake.saveSucceeds = TRUE;
  EXPECT_TRUE(view->StorePages());
  EXPECT_EQ(storedDescription(), "(none)");

  // A description the item had comes back as it was.
  edit->setPlainText(QStringLiteral("typed"));
  ASSERT_TRUE(view->StorePages());
  edit->selectAll();
  QTest::keyClicks(edit, "dropped");
  w.doc.fake.saveSucceeds = FALSE;
  messages.answers = {IDNO};
  ASSERT_TRUE(CommitActivePage());
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("typed"));
}

TEST_F(DescriptionPage, HandsItsControlToPrintViewsAndAddsFontItemsToTheEditMenu) {
  const QStringList edit0 = w.popupTexts(1);
  CQXDefaultDataView* view = show(nullptr);
  ASSERT_TRUE(view && edit);
  QXViewDataRequest query;
  EXPECT_TRUE(SendGetViewData(&query));
  EXPECT_EQ(query.kind, kPrintKindRichText);
  QXViewDataControl detail;
  detail.kind = kPrintKindRichText;
  QXViewDataRequest request{int(sizeof(QXViewDataRequest)), kPrintKindRichText, &detail};
  EXPECT_TRUE(SendGetViewData(&request));
  EXPECT_EQ(detail.control, edit);
  QXViewDataRequest grid{int(sizeof(QXViewDataRequest)), kPrintKindGrid, &detail};
  EXPECT_FALSE(SendGetViewData(&grid));
  QXViewDataRequest shortRecord{12, 0, nullptr};
  if (sizeof(QXViewDataRequest) != 12) {
    EXPECT_FALSE(SendGetViewData(&shortRecord));
  }
  // The default page answers nothing.
  view->ShowPage(638);
  QXViewDataRequest none;
  EXPECT_FALSE(SendGetViewData(&none));

  for (int i = 0; i < 20; ++i) {
    view->ShowPage(620);
    const QStringList merged = w.popupTexts(1);
    EXPECT_TRUE(merged.contains("Police de caractères...") && !merged.contains("Entrée"));
    view->ShowPage(638);
  }
  w.show<CQXContentsView>();
  EXPECT_EQ(w.popupTexts(1), edit0);
}

TEST_F(DescriptionPage, TheDefaultFontRecordIsACharacterFormat) {
  QFont font;
  EXPECT_FALSE(ReadDescPageFont(&font));
  EXPECT_EQ(font.family(), "Arial");
  EXPECT_EQ(font.pointSizeF(), 10.0);
  QFont chosen(QStringLiteral("Courier New"));
  chosen.setPointSizeF(12.0);
  chosen.setBold(true);
  ASSERT_TRUE(WriteDescPageFont(chosen));
  std::vector<BYTE> record;
  ASSERT_TRUE(tallix::profileBinary("Settings", "Desc Page Font", &record));
  ASSERT_EQ(record.size(), 72u);
  EXPECT_EQ(record[8], 60);                   // the format's own size
  EXPECT_EQ(record[20] | record[21] << 8, 240);  // 12 pt in twips
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record[34])), "Courier New");
  ASSERT_TRUE(ReadDescPageFont(&font));
  EXPECT_EQ(font.family(), "Courier New");
  EXPECT_EQ(font.pointSizeF(), 12.0);
  EXPECT_TRUE(font.bold());
  // A face without its terminating zero is not read.
  std::fill(record.begin() + 34, record.begin() + 66, BYTE('A'));
  AppWriteProfileBinary("Settings", "Desc Page Font", record.data(), UINT(record.size()));
  EXPECT_FALSE(ReadDescPageFont(&font));
  EXPECT_EQ(font.family(), "Arial");
}

}  // namespace
