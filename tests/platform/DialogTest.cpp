// Dialogs on language-library templates.
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "tests/support/MissingResources.h"
#include "tests/support/TestEnvironment.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

constexpr UINT kTemplate = 514;  // has OK (1), Cancel (2) and a spin box 1039
constexpr int kSpin = 1039;

class CheckedDialog : public CDialog {
 public:
  CheckedDialog() : CDialog(kTemplate) {}
  int value = 0;
  int initCalls = 0;
  BOOL OnInitDialog() override {
    ++initCalls;
    return CDialog::OnInitDialog();
  }

 protected:
  // The spin box must hold an even number.
  void DoDataExchange(CDataExchange* dx) override {
    auto* spin = qobject_cast<QSpinBox*>(dx->PrepareCtrl(kSpin));
    if (!spin) return;
    if (!dx->m_bSaveAndValidate) {
      spin->setValue(value);
      return;
    }
    if (spin->value() % 2) dx->Fail();
    value = spin->value();
  }
};

class Dialogs : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

TEST_F(Dialogs, OKThatUpdateDataRefusesKeepsTheDialogOpenAndTheCloseBoxCancels) {
  CheckedDialog dialog;
  dialog.value = 4;
  ASSERT_TRUE(dialog.Create(kTemplate));
  EXPECT_EQ(dialog.initCalls, 1);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Paramètres"));
  auto* spin = dialog.GetDlgItemAs<QSpinBox>(kSpin);
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->value(), 4);
  spin->setValue(5);
  QTest::mouseClick(dialog.GetDlgItemAs<QPushButton>(IDOK), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.GetModalResult(), -1);
  EXPECT_EQ(dialog.value, 4);
  spin->setValue(6);
  QTest::mouseClick(dialog.GetDlgItemAs<QPushButton>(IDOK), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.GetModalResult(), IDOK);
  EXPECT_EQ(dialog.value, 6);

  CheckedDialog boxed;
  ASSERT_TRUE(boxed.Create(kTemplate));
  boxed.close();
  EXPECT_EQ(boxed.GetModalResult(), IDCANCEL);
  EXPECT_FALSE(boxed.isVisible());
}

// Once shown, a dialog keeps the size its form or its own code gave it,
// unless the form asks to be resized.
TEST_F(Dialogs, AreFixedSizeUnlessTheFormAsksToBeResized) {
  CheckedDialog laidOut;
  ASSERT_TRUE(laidOut.Create(kTemplate));
  EXPECT_EQ(laidOut.minimumSize(), laidOut.maximumSize());
  EXPECT_EQ(laidOut.size(), laidOut.sizeHint());

  struct SizedByHand : CheckedDialog {
    BOOL OnInitDialog() override {
      resize(700, 500);
      return CheckedDialog::OnInitDialog();
    }
  } sized;
  ASSERT_TRUE(sized.Create(kTemplate));
  EXPECT_EQ(sized.minimumSize(), QSize(700, 500));
  EXPECT_EQ(sized.maximumSize(), QSize(700, 500));

  CDialog resizable(524);  // the command pane lays itself out again
  ASSERT_TRUE(resizable.Create(524));
  EXPECT_NE(resizable.minimumSize(), resizable.maximumSize());
}

TEST_F(Dialogs, DoModalAnswersTheButtonAndMinusOneWithoutATemplate) {
  CheckedDialog dialog;
  dialog.value = 2;
  QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); });  // the default button
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.initCalls, 2);

  tallix::test::ExpectMissingResources expected;
  CDialog missing(4242);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_FALSE(missing.Create(4242));
}

}  // namespace
