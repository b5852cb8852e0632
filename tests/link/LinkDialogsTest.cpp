// The questions of a send: which items, overwrite, a program's password.
#include "link/OverwriteDialog.h"
#include "link/ProgramPasswordDialog.h"
#include "link/SendSelectionDialog.h"
#include "link/TransferProgress.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/CalcTextByHand.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using tallix::test::MessageLog;
using tallix::test::TestEnvironment;

namespace {

class LinkDialogs : public ::testing::Test {
 protected:
  static void click(CDialog& dialog, int id) {
    auto* button = dialog.GetDlgItemAs<QPushButton>(id);
    ASSERT_TRUE(button) << id;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
};

TEST_F(LinkDialogs, OverwriteGivesEachAnswerAndTheCloseBoxCancels) {
  const std::pair<int, int> buttons[] = {{1, 1}, {7, 2}, {2, 3}, {1030, 4}};
  for (auto [button, result] : buttons) {
    CQXOverwriteDialog dialog("Liste 1", 4001);
    ASSERT_TRUE(dialog.Create(CQXOverwriteDialog::kTemplateId));
    EXPECT_EQ(dialog.GetResult(), 2);
    EXPECT_EQ(dialog.GetDlgItemAs<QLabel>(1000)->text(), QStringLiteral("Liste 1"));
    EXPECT_FALSE(dialog.GetDlgItemAs<QLabel>(1020)->pixmap().isNull());
    click(dialog, button);
    EXPECT_FALSE(dialog.isVisible()) << button;
    EXPECT_EQ(dialog.GetResult(), result) << button;
  }
  CQXOverwriteDialog boxed("Mat A", 4005);
  ASSERT_TRUE(boxed.Create(CQXOverwriteDialog::kTemplateId));
  boxed.close();
  EXPECT_EQ(boxed.GetResult(), 3);
  CQXOverwriteDialog escaped("Mat A", 4005);
  ASSERT_TRUE(escaped.Create(CQXOverwriteDialog::kTemplateId));
  QTest::keyClick(&escaped, Qt::Key_Escape);
  EXPECT_EQ(escaped.GetResult(), 3);
}

TEST_F(LinkDialogs, APasswordInOtherCaseIsAcceptedAWrongOneRefused) {
  // "é" and "É" are one letter in two cases.
  CQXProgramPasswordDialog dialog("PROG\xC9", "s\xE9same");
  ASSERT_TRUE(dialog.Create(CQXProgramPasswordDialog::kTemplateId));
  EXPECT_EQ(dialog.GetDlgItemAs<QLineEdit>(1000)->text(), QStringLiteral("PROGÉ"));
  auto* typed = dialog.GetDlgItemAs<QLineEdit>(1002);
  QTest::keyClicks(typed, QStringLiteral("sesame"));
  click(dialog, IDOK);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(messages.texts(), std::vector<QString>{QStringLiteral("Mot de passe incorrect.")});
  EXPECT_EQ(messages.shown.at(0).type & 0xF0, UINT(MB_ICONEXCLAMATION));
  EXPECT_EQ(dialog.focusWidget(), typed);
  EXPECT_EQ(typed->selectedText(), QStringLiteral("sesame"));
  QTest::keyClicks(typed, QStringLiteral("SÉSAME"));
  click(dialog, IDOK);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.GetResult(), 0);
}

TEST_F(LinkDialogs, PasswordSkipCancelAndTheCloseBox) {
  for (auto [button, result] : {std::pair{1007, 2}, std::pair{2, 1}, std::pair{0, 1}}) {
    CQXProgramPasswordDialog dialog("P", "x");
    ASSERT_TRUE(dialog.Create(CQXProgramPasswordDialog::kTemplateId));
    if (button) click(dialog, button);
    else dialog.close();
    EXPECT_FALSE(dialog.isVisible()) << button;
    EXPECT_EQ(dialog.GetResult(), result) << button;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LinkDialogs, SendSelectionEmptiesTheNamesLeftUnchecked) {
  std::vector<std::string> none;
  CQXSendSelectionDialog empty(&none);
  ASSERT_TRUE(empty.Create(CQXSendSelectionDialog::kTemplateId));
  EXPECT_FALSE(empty.GetDlgItem(IDOK)->isEnabled());

  std::vector<std::string> names = {"Liste 1", "Mat A", "Prog \xE9t\xE9"};
  CQXSendSelectionDialog dialog(&names);
  ASSERT_TRUE(dialog.Create(CQXSendSelectionDialog::kTemplateId));
  auto* list = dialog.GetDlgItemAs<QListWidget>(1000);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(2)->text(), QStringLiteral("Prog été"));
  EXPECT_EQ(list->currentRow(), 0);
  auto checked = [&] {
    std::string marks;
    for (int i = 0; i < list->count(); ++i) marks += list->item(i)->checkState() == Qt::Checked ? 'x' : '-';
    return marks;
  };
  EXPECT_EQ(checked(), "---");
  click(dialog, IDOK);
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_EQ(messages.texts()[0], QStringLiteral("Sélectionnez s.v.p. une entrée dans la liste."));
  EXPECT_EQ(dialog.focusWidget(), list);

  click(dialog, 1002);
  EXPECT_EQ(checked(), "xxx");
  click(dialog, 1003);
  EXPECT_EQ(checked(), "---");
  click(dialog, 1001);
  EXPECT_EQ(checked(), "x--");
  list->setCurrentRow(2);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(checked(), "x-x");
  click(dialog, 1001);
  EXPECT_EQ(checked(), "x--");
  list->setCurrentRow(1);
  click(dialog, 1001);
  click(dialog, IDOK);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(names, (std::vector<std::string>{"Liste 1", "Mat A", ""}));
}

}  // namespace

namespace {

// The names in the link's dialogs are the calculator's: they read as the
// calculator shows them, and a password is typed as it shows.
TEST_F(LinkDialogs, CalculatorNamesReadAsTheCalculatorShowsThem) {
  CQXOverwriteDialog overwrite("Programme \"A\xCE\"", 4001);
  ASSERT_TRUE(overwrite.Create(CQXOverwriteDialog::kTemplateId));
  EXPECT_EQ(overwrite.GetDlgItemAs<QLabel>(1000)->text(), QStringLiteral("Programme \"Aθ\""));

  std::vector<std::string> names = {"V\x99Win1", "\xCD\xCE"};
  CQXSendSelectionDialog selection(&names);
  ASSERT_TRUE(selection.Create(CQXSendSelectionDialog::kTemplateId));
  auto* list = selection.GetDlgItemAs<QListWidget>(1000);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("V−Win1"));
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("rθ"));

  CQXTransferProgress progress(1, nullptr);
  ASSERT_TRUE(progress.Create(nullptr));
  progress.Update(12, "V\x99Win1", 4006);
  EXPECT_EQ(progress.GetDialog()->GetDlgItemAs<QLabel>(CQXTransferProgressDialog::IDC_ITEM_TEXT)->text(),
            QStringLiteral("V−Win1"));
  progress.Destroy();

  CQXProgramPasswordDialog password("A\xCE", "\xCE\xCD");
  ASSERT_TRUE(password.Create(CQXProgramPasswordDialog::kTemplateId));
  EXPECT_EQ(password.GetDlgItemAs<QLineEdit>(1000)->text(), QStringLiteral("Aθ"));
  tallix::test::CheckCalcTextEditByHand(password.GetDlgItemAs<QLineEdit>(1002));
  for (QChar c : QStringLiteral("θr"))
    QTest::sendKeyEvent(QTest::Click, password.GetDlgItemAs<QLineEdit>(1002), Qt::Key_unknown, QString(c), {});
  click(password, IDOK);
  EXPECT_FALSE(password.isVisible());
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
