#include "platform/MessageBox.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tallix::test;

TEST(MessageBox, MessagesComeFromTheLanguageLibraryWithTheApplicationTitle) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  MessageLog log;
  log.answers = {IDNO};
  EXPECT_EQ(AfxMessageBox(61706, MB_YESNO | MB_ICONSTOP), IDNO);
  EXPECT_EQ(AfxMessageBox(QStringLiteral("x"), MB_YESNOCANCEL), IDYES);
  ASSERT_EQ(log.shown.size(), 2u);
  EXPECT_EQ(log.shown[0].text, QStringLiteral("Mémoire insuffisante pour exécuter l'opération."));
  EXPECT_EQ(log.shown[0].caption, QStringLiteral("TALLIX PROFESSIONAL"));
  EXPECT_EQ(log.shown[0].type, UINT(MB_YESNO | MB_ICONSTOP));
}

// The real box: its buttons give the platform's results, and closing it
// counts as the cancel button.
TEST(MessageBox, RealBoxesAnswerWithThePlatformsValues) {
  MessageBoxHandler saved = SetMessageBoxHandler(nullptr);
  auto pressLater = [](QMessageBox::StandardButton which) {
    QTimer::singleShot(0, [which] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_TRUE(box);
      if (which == QMessageBox::NoButton)
        box->reject();
      else
        box->button(which)->click();
    });
  };
  pressLater(QMessageBox::No);
  EXPECT_EQ(ShowMessageBox({QStringLiteral("q"), QStringLiteral("t"), MB_YESNOCANCEL, nullptr}), IDNO);
  pressLater(QMessageBox::NoButton);
  EXPECT_EQ(ShowMessageBox({QStringLiteral("q"), QStringLiteral("t"), MB_YESNOCANCEL, nullptr}), IDCANCEL);
  pressLater(QMessageBox::Ok);
  EXPECT_EQ(ShowMessageBox({QStringLiteral("q"), QStringLiteral("t"), MB_OK | MB_ICONEXCLAMATION, nullptr}), IDOK);
  SetMessageBoxHandler(saved);
}
