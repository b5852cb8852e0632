// The token editor as a window: layout and hit-test, keys, dialogs,
// drawing, printing, and the variants' menus and focus.
#include "charset/CalcCharset.h"
#include "classlib/MenuHelpers.h"
#include "platform/CalcFontChars.h"
#include "platform/CalcShownText.h"
#include "platform/CmdUI.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/SysColor.h"
#include "tests/support/CommandHost.h"
#include "tests/support/TestEnvironment.h"
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenFieldList.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

// The calculator font of the build, added once.
QFont calculatorFont(int points) {
  static const int id =
      QFontDatabase::addApplicationFont(TestEnvironment::builtProgramDir() + QStringLiteral("/QXL2.fon"));
  EXPECT_GE(id, 0);
  QFont font(QString::fromLatin1(tallix::kCalcFontFamily));
  font.setPointSize(points);
  return font;
}

class TokenEditorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    fillTestMap(&map);
    parent.resize(400, 300);
  }
  // A shown editor in the calculator font.
  void make(CQXTokenEditor* editor, DWORD style, QRect rect) {
    ASSERT_TRUE(editor->Create(WS_CHILD | WS_VISIBLE | style, rect, &parent, 1));
    editor->SetTokenTextMap(&map);
    CFont font;
    font.SetFont(calculatorFont(10));
    editor->SetFont(&font);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  }

  CQXTokenTextMap map;
  ChangeCounter parent;
};

TEST_F(TokenEditorWindow, AWrappedTokenIsHitOnBothPieces) {
  CQXTokenEditor editor;
  make(&editor, kTokenEditorMultiLine, QRect(0, 0, 10 + 10 + 8 * 7, 100));
  const int cell = QFontMetrics(editor.GetEditorFont()).horizontalAdvance(QStringLiteral("0"));
  editor.SetMargins(10, 10);
  editor.resize(20 + 8 * cell, 100);
  // "AAAAAA" then "Mat " wraps after its second character.
  setTokens(&editor, "AAAAAA\x7F\x40" "B", kTokenFormatBytes);
  const int h = editor.GetLineHeight();
  int half = 0;
  EXPECT_EQ(editor.HitTest(QPoint(10 + 6 * cell + 1, h / 2), TRUE, &half), 6);
  EXPECT_EQ(half, 1);
  EXPECT_EQ(editor.HitTest(QPoint(10 + 1, h + h / 2), TRUE, &half), 6);
  EXPECT_EQ(half, 2);
  EXPECT_EQ(editor.HitTest(QPoint(10 + 2 * cell + 1, h + h / 2), TRUE, &half), 7);
  // Right of the last token on the last line: the end.
  QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(10 + 7 * cell, h + h / 2));
  EXPECT_EQ(editor.GetCaretIndex(), 8);
  // A window too narrow for any character still lays out and paints.
  editor.resize(12, 100);
  EXPECT_FALSE(editor.grab().isNull());
  editor.resize(0, 100);
  EXPECT_EQ(editor.HitTest(QPoint(0, 0), FALSE, &half), 0);
}

TEST_F(TokenEditorWindow, ShiftArrowsSelectTokensFromTheAnchor) {
  CQXTokenEditor editor;
  make(&editor, kTokenEditorMultiLine, QRect(0, 0, 300, 100));
  setTokens(&editor, "ABCDEFG", kTokenFormatBytes);
  editor.setFocus();
  editor.SetSel(2, 2);
  for (int i = 0; i < 3; ++i) QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
  int p = 0, q = 0;
  ASSERT_TRUE(editor.GetSel(&p, &q));
  EXPECT_EQ(std::pair(p, q), std::pair(2, 5));
  EXPECT_EQ(editor.GetCaretIndex(), 5);
  for (int i = 0; i < 3; ++i) QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_FALSE(editor.GetSel(&p, &q));
  EXPECT_EQ(editor.GetCaretIndex(), 2);
  // Up on the first line goes to the start; Down on the last changes nothing.
  QTest::keyClick(&editor, Qt::Key_Down);
  EXPECT_EQ(editor.GetCaretIndex(), 2);
  QTest::keyClick(&editor, Qt::Key_Up);
  EXPECT_EQ(editor.GetCaretIndex(), 0);
}

TEST_F(TokenEditorWindow, TheBarScrollsByLinesAndStaysDisabledWithNothingToScroll) {
  CQXTokenEditor editor;
  make(&editor, kTokenEditorMultiLine | kTokenEditorDisableNoScroll, QRect(0, 0, 200, 100));
  editor.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  CScrollBar* bar = editor.GetScrollBarCtrl(SB_VERT);
  EXPECT_TRUE(editor.HasScrollBar(SB_VERT));
  EXPECT_FALSE(bar->isEnabled());
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "AB\x0D";
  setTokens(&editor, lines, kTokenFormatBytes);
  EXPECT_TRUE(bar->isEnabled());
  const int visible = editor.GetViewport()->height() / editor.GetLineHeight();
  EXPECT_EQ(editor.GetScrollMax(), 31 - visible);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(editor.GetFirstVisibleLine(), 1);
  EXPECT_EQ(bar->value(), 1);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(editor.GetFirstVisibleLine(), visible);
  // Inside the sunken edge a click still finds the token under it.
  QTest::mouseClick(editor.GetViewport(), Qt::LeftButton, {}, QPoint(10 + 1, editor.GetLineHeight() / 2));
  EXPECT_EQ(editor.GetCaretIndex(), 3 * visible);
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(editor.GetFirstVisibleLine(), editor.GetScrollMax());
  EXPECT_EQ(editor.GetCaretIndex(), 90);
  editor.ClearTokens();
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(editor.GetFirstVisibleLine(), 0);
}

TEST_F(TokenEditorWindow, EnterIsTheDialogsOnlyInASingleLineEditor) {
  for (DWORD style : {DWORD(kTokenEditorMultiLine), DWORD(0)}) {
    CDialog dialog(0);
    CQXTokenEditor editor;
    ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, QRect(0, 0, 200, 60), &dialog, 1));
    editor.SetTokenTextMap(&map);
    auto* next = new QPushButton(&dialog);
    next->move(0, 80);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    editor.setFocus();
    QTest::keyClick(&editor, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus());
    editor.setFocus();
    QTest::keyClick(&editor, Qt::Key_Return);
    if (style) {
      EXPECT_EQ(dialog.GetModalResult(), -1);
      EXPECT_EQ(editor.GetTokenCount(), 1);
    } else {
      EXPECT_EQ(dialog.GetModalResult(), IDOK);
      EXPECT_EQ(editor.GetTokenCount(), 0);
    }
  }
}

QRgb pixelAt(QWidget* widget, QPoint point) { return widget->grab().toImage().pixel(point); }

TEST_F(TokenEditorWindow, SelectionColoursFollowTheFocusAndThePalette) {
  CQXTokenEditor editor;
  make(&editor, kTokenEditorMultiLine, QRect(0, 0, 200, 60));
  auto* other = new QPushButton(&parent);
  other->move(0, 100);
  other->show();
  setTokens(&editor, "AB", kTokenFormatBytes);
  editor.SetSel(0, -1);
  const QPoint inCell(11, 1);
  editor.setFocus();
  EXPECT_EQ(pixelAt(&editor, inCell), ColorRefToQRgb(GetSysColor(COLOR_HIGHLIGHT)));
  other->setFocus();
  EXPECT_EQ(pixelAt(&editor, inCell), ColorRefToQRgb(GetSysColor(COLOR_BTNFACE)));
  QPalette palette = QApplication::palette();
  const QPalette saved = palette;
  palette.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
  QApplication::setPalette(palette);
  QCoreApplication::processEvents();
  EXPECT_EQ(pixelAt(&editor, inCell), qRgb(0x12, 0x34, 0x56));
  QApplication::setPalette(saved);
}

// The image of one calculator character at the editor's size.
QImage glyphImage(const QFont& font, QChar ch, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(0, QFontMetrics(font).ascent(), QString(ch));
  return image;
}

TEST_F(TokenEditorWindow, ALineEndShowsTheCalculatorsMark) {
  CQXProgramTokenEditor editor;
  make(&editor, kTokenEditorMultiLine, QRect(0, 0, 200, 60));
  setTokens(&editor, "A\x0D", kTokenFormatBytes);
  const QFontMetrics metrics(editor.GetEditorFont());
  const int cell = metrics.horizontalAdvance(tallix::calcFontChar(0xDE));
  const QRect mark(5 + metrics.horizontalAdvance(QStringLiteral("A")), 0, cell, editor.GetLineHeight());
  // Colours of the test palette: window text on window.
  QImage shown = editor.grab().toImage().copy(mark).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage expected = glyphImage(editor.GetEditorFont(), tallix::calcFontChar(0xDE), mark.size());
  ASSERT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(shown, expected);
  QFont latin(QStringLiteral("DejaVu Sans Mono"));
  latin.setPointSize(10);
  EXPECT_NE(shown, glyphImage(latin, QChar(0xDE), mark.size()));
  EXPECT_EQ(CalcDisplayText("\xDE", latin), CalcCharText(0xDE));
}

TEST_F(TokenEditorWindow, PrintedPagesGoOnWhereTheLastOneStopped) {
  CQXProgramTokenEditor editor;
  make(&editor, kTokenEditorMultiLine, QRect(0, 0, 200, 60));
  std::string program;
  for (int line = 0; line < 12; ++line) program += std::string(std::size_t(line * 3 % 11), 'A' + char(line)) + "\x7F\x40\x0D";
  setTokens(&editor, program, kTokenFormatBytes);
  // Paper is white and ink black whatever the screen's colours.
  const QPalette saved = QApplication::palette();
  QPalette dark = saved;
  dark.setColor(QPalette::Base, Qt::blue);
  dark.setColor(QPalette::Text, Qt::yellow);
  QApplication::setPalette(dark);
  QCoreApplication::processEvents();
  QImage tall(1200, 4000, QImage::Format_RGB32), pages(1200, 4000, QImage::Format_RGB32);
  for (QImage* image : {&tall, &pages}) {
    image->setDotsPerMeterX(23622);  // 600 dots per inch
    image->setDotsPerMeterY(23622);
    image->fill(Qt::white);
  }
  {
    QPainter painter(&tall);
    CDC dc(&painter, true);
    ASSERT_TRUE(editor.PreparePrinterFont(&dc));
    QRect all(0, 0, 600, 4000);
    int token = 0, offset = 0;
    editor.PrintTokens(&dc, &all, &token, &offset);
    EXPECT_EQ(token, editor.GetTokenCount());
  }
  QApplication::setPalette(saved);
  const QImage gray = tall.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(gray, tall);
  // Pages of about two and a half lines, stacked one under the other.
  QPainter painter(&pages);
  CDC dc(&painter, true);
  ASSERT_TRUE(editor.PreparePrinterFont(&dc));
  int token = 0, offset = 0, y = 0, count = 0;
  bool splitInToken = false;
  const int lineHeight = QFontMetrics(editor.GetEditorFont(), &pages).height();
  while (token < editor.GetTokenCount()) {
    ASSERT_LT(++count, 100);
    QRect page(0, y, 600, lineHeight * 5 / 2);
    const int before = token * 1000 + offset;
    editor.PrintTokens(&dc, &page, &token, &offset);
    ASSERT_GT(token * 1000 + offset, before);
    splitInToken = splitInToken || offset > 0;
    y = page.top();
  }
  painter.end();
  EXPECT_TRUE(splitInToken);
  EXPECT_GT(count, 2);
  EXPECT_EQ(pages, tall);
  // A page without room prints nothing and stays where it was.
  QPainter again(&pages);
  CDC dc2(&again, true);
  QRect none(0, 100, 600, 0);
  token = 3;
  offset = 1;
  editor.PrintTokens(&dc2, &none, &token, &offset);
  EXPECT_EQ(std::pair(token, offset), std::pair(3, 1));
  // Measured on the printer's page, not on the screen.
  setTokens(&editor, "A", kTokenFormatBytes);
  QRect one(0, 0, 600, 1000);
  token = offset = 0;
  editor.PrintTokens(&dc2, &one, &token, &offset);
  EXPECT_EQ(one.top(), lineHeight);
}

// A dialog that takes its editor's context-menu commands.
class MenuOwner : public CDialog {
 public:
  explicit MenuOwner(UINT templateId = 0) : CDialog(templateId) {}
  DECLARE_MESSAGE_MAP()
  void OnUndo() {
    ++undos;
    EndDialog(IDOK);
  }
  void OnUpdateUndo(CCmdUI* ui) { ui->Enable(TRUE); }
  int undos = 0;
};
const CMessageMap& MenuOwner::messageMap() {
  static const CMessageMap map = MessageMapOf<MenuOwner>(CDialog::messageMap())
                                     .command(ID_EDIT_UNDO, &MenuOwner::OnUndo)
                                     .updateUI(ID_EDIT_UNDO, &MenuOwner::OnUpdateUndo);
  return map;
}

// Presses Shift+F10 in `editor` and, when a menu shows, takes "Annuler"
// (the first item); records where the menu stood.
void shiftF10(CQXTokenEditor* editor, QPoint* menuAt, bool* shown) {
  QTimer::singleShot(0, [menuAt, shown] {
    QWidget* popup = QApplication::activePopupWidget();
    *shown = popup != nullptr;
    if (!popup) return;
    *menuAt = popup->pos();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
  });
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_F10, Qt::ShiftModifier);
  QCoreApplication::sendPostedEvents();
}

TEST_F(TokenEditorWindow, ShiftF10ShowsTheFunctionMenuAtTheTopLeftCorner) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  {
    MenuOwner owner;
    CQXFunctionTokenEditor editor;
    ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE, QRect(20, 30, 200, 24), &owner, 1));
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QPoint at;
    bool shown = false;
    shiftF10(&editor, &at, &shown);
    EXPECT_TRUE(shown);
    EXPECT_EQ(at, editor.mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(owner.undos, 1);

    CQXProgramTokenEditor program;
    ASSERT_TRUE(program.Create(WS_CHILD | WS_VISIBLE, QRect(20, 60, 200, 24), &owner, 2));
    shiftF10(&program, &at, &shown);
    EXPECT_FALSE(shown);
  }
  // The same inside a modal dialog that a menu command opened.
  CommandHost host;
  int undos = 0;
  host.run = [&undos] {
    MenuOwner owner(514);
    CQXFunctionTokenEditor editor;
    editor.Create(WS_CHILD | WS_VISIBLE, QRect(20, 30, 200, 24), &owner, 1);
    QTimer::singleShot(0, &owner, [&editor, &owner] {
      QPoint at;
      bool shown = false;
      shiftF10(&editor, &at, &shown);
      // Ends the dialog when the choice was held back.
      QMetaObject::invokeMethod(
          &owner, [&owner] { if (owner.GetModalResult() == -1) owner.EndDialog(IDCANCEL); }, Qt::QueuedConnection);
    });
    owner.DoModal();
    undos = owner.undos;
  };
  host.Run();
  EXPECT_EQ(undos, 1);
}

TEST_F(TokenEditorWindow, AFieldsButtonShowsWhileItsEditorOrItHasTheFocus) {
  CQXTokenFieldList list(&parent);
  CQXFieldTokenEditor editor;
  ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, QRect(0, 0, 200, 24), &parent, 200));
  editor.SetFieldList(&list);
  auto* button = new QPushButton(&parent);
  button->setProperty("ctrlId", 201);
  button->move(210, 0);
  button->hide();
  auto* other = new QPushButton(&parent);
  other->move(0, 50);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  editor.setFocus();
  EXPECT_TRUE(button->isVisible());
  EXPECT_EQ(list.GetRememberedFieldId(), 200);
  button->setFocus();
  EXPECT_TRUE(button->isVisible());
  editor.setFocus();
  other->setFocus();
  EXPECT_FALSE(button->isVisible());
}

}  // namespace
