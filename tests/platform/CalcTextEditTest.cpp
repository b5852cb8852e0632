// The line edits that hold calculator text: in the calculator font and in
// any other font they take typed calculator signs as their codes, copy the
// text the calculator shows and paste text from other programs by the
// calculator's reading.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include "platform/CalcShownText.h"
#include "platform/CalcTextEdit.h"
#include "tests/support/CalcTextByHand.h"

using tallix::test::CalculatorTestFont;
using tallix::test::ChooseFromEditContextMenu;
using tallix::test::DropTextOn;

namespace {

// One character as the keyboard gives it.
void type(QLineEdit* edit, const QString& text) {
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

std::string codesOf(const QLineEdit& edit) {
  std::string codes;
  EXPECT_TRUE(CalcCodesFromShownText(edit.text(), edit.font(), &codes)) << edit.text().toStdString();
  return codes;
}

class CalcTextEdit : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    edit.setFont(GetParam() ? CalculatorTestFont() : QFont(QStringLiteral("DejaVu Sans"), 10));
    ASSERT_EQ(IsCalculatorFont(edit.font()), GetParam());
    MakeCalcTextEdit(&edit);
    edit.show();
    edit.setFocus();
  }
  void keys(const QKeySequence& sequence) { QTest::keySequence(&edit, sequence); }

  QLineEdit edit;
};

TEST_P(CalcTextEdit, TypedSignsAreTheirCodesAndTheClipboardSpeaksAsTheCalculatorShows) {
  // θ typed is the calculator's theta, shown as the edit shows that code; a
  // letter Windows-1252 has at that byte is another character than the one
  // the calculator shows there.
  type(&edit, QStringLiteral("Aθ"));
  EXPECT_EQ(codesOf(edit), "A\xCE");
  EXPECT_EQ(edit.text(), CalcDisplayText("A\xCE", edit.font()));
  if (!GetParam()) {
    type(&edit, QStringLiteral("Î"));
    EXPECT_EQ(codesOf(edit), "A\xCE");
  }
  edit.selectAll();
  keys(QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Aθ"));

  // A control code copies as its sign, never as the font's private place.
  edit.setText(CalcDisplayText("\x0E" "B", edit.font()));
  edit.selectAll();
  keys(QKeySequence::Cut);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("→B"));
  EXPECT_TRUE(edit.text().isEmpty());

  // Text from other programs goes in as the token editor takes it: signs
  // as their codes, the mean of x before its letter, line breaks and
  // characters without a code left out.
  QGuiApplication::clipboard()->setText(QStringLiteral("ABθ\nx\u0304\u03A9"));
  keys(QKeySequence::Paste);
  EXPECT_EQ(codesOf(edit), "AB\xCE\xC2");
  EXPECT_EQ(edit.text(), CalcDisplayText("AB\xCE\xC2", edit.font()));

  // A drop goes the same way, quotes that no code shows as the ASCII ones.
  edit.clear();
  DropTextOn(&edit, QStringLiteral("«√2»"));
  EXPECT_EQ(codesOf(edit), "\"\x86" "2\"");
}

// Punctuation a code shows as itself copies out as that punctuation and comes
// back as its code, never as the ASCII meant by it; a quote that no code
// shows is read as the ASCII quote.
TEST_P(CalcTextEdit, PunctuationCopiedOutPastesBackAsItsCode) {
  edit.setText(CalcDisplayText("A\x85\x93" "B\x94\xA0", edit.font()));
  edit.selectAll();
  keys(QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"A…“B”\u00A0"));
  edit.clear();
  keys(QKeySequence::Paste);
  EXPECT_EQ(codesOf(edit), "A\x85\x93" "B\x94\xA0");
  edit.clear();
  QGuiApplication::clipboard()->setText(QStringLiteral(u"‹x›"));
  keys(QKeySequence::Paste);
  EXPECT_EQ(codesOf(edit), "'x'");
}

// The edit's context menu copies and pastes as its keys do.
TEST_P(CalcTextEdit, TheContextMenuCopiesAndPastesAsTheKeysDo) {
  edit.setText(CalcDisplayText("\xCE\x0E", edit.font()));
  edit.selectAll();
  ChooseFromEditContextMenu(&edit, "&Copy");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("θ→"));
  QGuiApplication::clipboard()->setText(QStringLiteral("«x\u0304»"));
  edit.clear();
  ChooseFromEditContextMenu(&edit, "&Paste");
  EXPECT_EQ(codesOf(edit), "\"\xC2\"");
}

INSTANTIATE_TEST_SUITE_P(Fonts, CalcTextEdit, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Calculator" : "Other"; });

}  // namespace
