// The token clipboard: Copy, Cut and Paste through the system clipboard,
// the editor's drag of a selection and its drop target, and the drag with
// which lists offer a command.
#include "charset/CalcCharset.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tests/support/TestEnvironment.h"
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/TokenClipboard.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace tallix::test;

namespace {

QByteArray clipboardData(CLIPFORMAT format) {
  COleDataObject data;
  data.AttachClipboard();
  return data.GetGlobalData(format).value_or(QByteArray("absent"));
}

void setClipboard(COleDataSource& source) { source.SetClipboard(); }

// Sends what a user's drag does over `target` at `point` (window
// coordinates): enter, a move, and the drop or a leave. The effect of the
// drop, none when it was refused or left.
DROPEFFECT dragOnto(QWidget* target, QPoint point, COleDataSource& source, DROPEFFECT allowed,
                    Qt::KeyboardModifiers modifiers, bool drop = true) {
  std::unique_ptr<QMimeData> mime(source.CreateMimeData());
  Qt::DropActions actions;
  if (allowed & DROPEFFECT_COPY) actions |= Qt::CopyAction;
  if (allowed & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
  QDragEnterEvent enter(point, actions, mime.get(), Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(target, &enter);
  QDragMoveEvent move(point, actions, mime.get(), Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(target, &move);
  if (!drop) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(target, &leave);
    return DROPEFFECT_NONE;
  }
  QDropEvent dropEvent(QPointF(point), actions, mime.get(), Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(target, &dropEvent);
  if (!dropEvent.isAccepted()) return DROPEFFECT_NONE;
  return dropEvent.dropAction() == Qt::CopyAction ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

class TokenClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    fillTestMap(&map);
    parent.resize(600, 200);
    for (CQXTokenEditor* e : {&editor, &other}) {
      ASSERT_TRUE(e->Create(WS_CHILD | WS_VISIBLE | kTokenEditorMultiLine,
                            QRect(0, e == &editor ? 0 : 100, 600, 90), &parent, 1));
      e->SetTokenTextMap(&map);
    }
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  }
  void TearDown() override { SetDoDragDropHandler(previous); }

  // A point of the first line before token `index` (the end for the count).
  static QPoint before(CQXTokenEditor& e, int index) {
    const int y = e.GetLineHeight() / 2;
    if (index >= e.GetTokenCount()) return QPoint(590, y);
    for (int x = 0; x < 600; ++x) {
      int half = 0;
      if (e.HitTest(QPoint(x, y), TRUE, &half) == index) return QPoint(x + 1, y);
    }
    ADD_FAILURE() << "no token " << index;
    return {};
  }
  // Presses inside the selection of `e` and drags; `drop` stands in for the
  // user while the drag runs.
  void dragSelection(CQXTokenEditor& e, int inside, std::function<DROPEFFECT(COleDataSource&, DROPEFFECT)> drop) {
    previous = SetDoDragDropHandler([drop](COleDataSource& s, DROPEFFECT allowed, QWidget*) { return drop(s, allowed); });
    const QPoint from = before(e, inside) + QPoint(2, 0);
    QTest::mousePress(e.GetViewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(e.GetViewport(), from + QPoint(0, 2 * QApplication::startDragDistance()));
    QTest::mouseRelease(e.GetViewport(), Qt::LeftButton, {}, from);
  }

  CQXTokenTextMap map;
  ChangeCounter parent;
  CQXTokenEditor editor, other;
  DoDragDropHandler previous;
};

TEST_F(TokenClipboard, CopyPutsTheBlockAndTextAndPasteTakesTheFirstSoundFormat) {
  COleDataSource marker;
  marker.CacheGlobalData(CF_TEXT, "keep");
  setClipboard(marker);
  setTokens(&editor, "\x7F\x40XY\r", kTokenFormatBytes);
  EXPECT_FALSE(editor.Copy(5));
  EXPECT_EQ(clipboardData(CF_TEXT), QByteArray("keep", 5));

  editor.SetSel(0, 2);
  ASSERT_TRUE(editor.Copy(5));
  QByteArray expected(40, '\0');
  expected[0] = 1;
  expected[4] = 3;
  expected += "\x7F\x40X";
  EXPECT_EQ(clipboardData(GetTokenBytesFormat()), expected);
  EXPECT_EQ(clipboardData(CF_TEXT), QByteArray("Mat X", 6));
  EXPECT_EQ(clipboardData(GetTokenWordsFormat()), QByteArray("absent"));

  // Text from another program: one token per character.
  COleDataSource text;
  text.CacheGlobalData(CF_TEXT, QByteArray("AB", 3));
  setClipboard(text);
  other.SetTokens(reinterpret_cast<const BYTE*>("Z"), 1, kTokenFormatBytes);
  EXPECT_TRUE(CQXTokenEditor::IsPasteAvailable(5));
  EXPECT_FALSE(CQXTokenEditor::IsPasteAvailable(1));
  EXPECT_EQ(other.Paste(5), 1);
  EXPECT_EQ(other.GetTokenAt(0), 0x4100);
  EXPECT_EQ(other.GetTokenAt(1), 0x4200);
  EXPECT_EQ(other.GetTokenCount(), 3);

  // A block whose length claims more than it holds is passed over for the text.
  QByteArray damaged = MakeTokenBlock(1, "\x7F\x40\x41\x42", 4);
  damaged[4] = 100;
  COleDataSource both;
  both.CacheGlobalData(GetTokenBytesFormat(), damaged);
  both.CacheGlobalData(CF_TEXT, QByteArray("C", 2));
  setClipboard(both);
  other.ClearTokens();
  other.Paste(5);
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "C");
  EXPECT_FALSE(ReadTokenBlock(damaged.left(39)));

  // Cut takes the selection away.
  editor.SetSel(2, 4);
  ASSERT_TRUE(editor.Cut(5));
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "\x7F\x40X");
  EXPECT_TRUE(editor.IsModified());
}

TEST_F(TokenClipboard, ASelectionDroppedOnItselfStaysAndBehindItselfMovesSelected) {
  setTokens(&editor, "ABCDE", kTokenFormatBytes);
  editor.SetSel(1, 3);
  dragSelection(editor, 1, [&](COleDataSource& s, DROPEFFECT allowed) {
    EXPECT_EQ(editor.GetDragMarker(), 10);
    return dragOnto(&editor, before(editor, 2), s, allowed, {});
  });
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "ABCDE");
  EXPECT_EQ(editor.GetDragMarker(), 0);

  editor.SetSel(1, 3);
  dragSelection(editor, 1, [&](COleDataSource& s, DROPEFFECT allowed) {
    return dragOnto(&editor, before(editor, 4), s, allowed, {});
  });
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "ADBCE");
  int p = 0, q = 0;
  ASSERT_TRUE(editor.GetSel(&p, &q));
  EXPECT_EQ(std::minmax(p, q), std::minmax(2, 4));
  EXPECT_TRUE(editor.Undo());
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "ABCDE");
}

TEST_F(TokenClipboard, AMoveWithinTheEditorKeepsItsBytesWhatComesFromElsewhereIsGuarded) {
  // An inner end byte and a trailing lone lead byte, as a loaded program may hold.
  setTokens(&editor, "A\xFF" "B\xF7", kTokenFormatBytes);
  editor.SetSel(1, 4);
  dragSelection(editor, 1, [&](COleDataSource& s, DROPEFFECT allowed) {
    return dragOnto(&editor, before(editor, 0), s, allowed, {});
  });
  EXPECT_EQ(tokensOf(editor, kTokenFormatWords), std::string("\0\xFF\0B\0\xF7\0A", 8));

  // The same tokens pasted or dropped into another editor lose what the guard refuses.
  editor.SetSel(0, 3);
  ASSERT_TRUE(editor.Copy(5));
  other.Paste(5);
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "B");
  dragSelection(editor, 0, [&](COleDataSource& s, DROPEFFECT allowed) {
    return dragOnto(&other, before(other, 1), s, allowed, Qt::ControlModifier);
  });
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "BB");
}

TEST_F(TokenClipboard, CtrlCopiesBetweenEditorsAndAPlainDropMoves) {
  setTokens(&editor, "ABC", kTokenFormatBytes);
  setTokens(&other, "XY", kTokenFormatBytes);
  editor.SetSel(0, 2);
  dragSelection(editor, 0, [&](COleDataSource& s, DROPEFFECT allowed) {
    return dragOnto(&other, before(other, 1), s, allowed, Qt::ControlModifier);
  });
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "ABC");
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "XABY");

  editor.SetSel(0, 2);
  dragSelection(editor, 0, [&](COleDataSource& s, DROPEFFECT allowed) {
    return dragOnto(&other, before(other, 4), s, allowed, {});
  });
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "C");
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "XABYAB");
}

TEST_F(TokenClipboard, CopyAndADragGiveOtherProgramsTheTextTheCalculatorShows) {
  for (int code : {0x0E, 0x89, 0xA9}) map.SetTokenText(0, UINT(code), std::string(1, char(code)).c_str());
  setTokens(&editor, "12\x89" "3\xA9" "AB\r2\x0E" "C", kTokenFormatBytes);
  editor.SetSel(0, -1);
  ASSERT_TRUE(editor.Copy(5));
  // Lines end with LF, as other programs on this system end them.
  const QString shown = QStringLiteral("12+3\u00D7AB\n2\u2192C");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), shown);
  // The private block keeps the bytes.
  EXPECT_EQ(ReadTokenBlock(clipboardData(GetTokenBytesFormat())), QByteArray("12\x89" "3\xA9" "AB\r2\x0E" "C"));

  QString dragged;
  dragSelection(editor, 0, [&](COleDataSource& s, DROPEFFECT) {
    dragged = std::unique_ptr<QMimeData>(s.CreateMimeData())->text();
    return DROPEFFECT_NONE;
  });
  EXPECT_EQ(dragged, shown);
}

TEST_F(TokenClipboard, PlainTextGoesInAsTypingItGivesAndCopiedTextComesBackAsItsBytes) {
  TestEnvironment env;
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("CharCnv.lst")));
  CQXCharConvertTable typing;
  typing.Load("CFX-9850G");
  other.SetCharMapCallback(typing.Callback());
  const auto paste = [&](const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    other.ClearTokens();
    other.Paste(5);
    return tokensOf(other, kTokenFormatBytes);
  };
  // Every one-byte code a token that shows as the code's character.
  for (int code = 1; code < 255; ++code)
    if (!map.IsLeadByte(BYTE(code))) map.SetTokenText(0, UINT(code), std::string(1, char(code)).c_str());
  // The operators of ASCII are the calculator's, as typed; "->" stays two signs.
  EXPECT_EQ(paste(QStringLiteral("A+B->C")), "A\x89" "B\x99>C");
  // The calculator's own signs become their codes; the division sign is no
  // lead byte, the mean of x one code.
  EXPECT_EQ(paste(QStringLiteral("\u00D7\u00F7\u2192\u03C0\u221A\u03B8\u2264\u2260\u2265x\u0304")),
            "\xA9\xB9\x0E\xD0\x86\xCE\x10\x11\x12\xC2");
  // Without a code, or refused by the guard (an end byte): left out.
  EXPECT_EQ(paste(QStringLiteral("1\u0416\t\u00FF2\r\n3")), "12\r3");

  // Every one-byte code out as text and in again.
  std::set<int> changed;
  for (int code = 1; code < 255; ++code) {
    if (map.IsLeadByte(BYTE(code)) || code == 0x0D || code == 0x0C) continue;
    setTokens(&editor, std::string(1, char(code)), kTokenFormatBytes);
    editor.SetSel(0, -1);
    ASSERT_TRUE(editor.Copy(kTokenFormatText));
    other.ClearTokens();
    other.Paste(5);
    if (tokensOf(other, kTokenFormatBytes) != std::string(1, char(code))) changed.insert(code);
  }
  // What does not come back: control codes the calculator shows nothing
  // for (LF a line break), ASCII that typing makes the calculator's
  // operators, codes that show as ASCII (0x88 "P") and codes that show as
  // the sign of a lower code (0xB0 the degree sign of 0x9C). The French
  // letters, which typing converts, and typographic punctuation ("…", the
  // curly quotes), which is read as the ASCII meant only where no token
  // shows it, come back: a token shows as each.
  std::set<int> expected = {0x2A, 0x2B, 0x2D, 0x2F, 0x5E, 0x88, 0x98, 0xAB, 0xCD, 0xB0, 0xB2, 0xD7};
  for (int code = 1; code < 0x20; ++code)
    if (code != 0x0C && code != 0x0D && CalcCharText(BYTE(code)).front().unicode() < 0x20) expected.insert(code);
  EXPECT_EQ(changed, expected);
}

TEST_F(TokenClipboard, AMoveThatTheTargetWouldCutBecomesACopy) {
  setTokens(&editor, "A\xFF" "B\xF7", kTokenFormatBytes);
  editor.SetSel(0, 4);
  DROPEFFECT effect = DROPEFFECT_NONE;
  dragSelection(editor, 0, [&](COleDataSource& s, DROPEFFECT allowed) {
    return effect = dragOnto(&other, before(other, 0), s, allowed, {});
  });
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_EQ(tokensOf(other, kTokenFormatBytes), "AB");
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "A\xFF" "B\xF7");
}

TEST_F(TokenClipboard, ACommandDraggedFromAListLandsAsOneSelectedToken) {
  setTokens(&other, "AB", kTokenFormatBytes);
  previous = SetDoDragDropHandler([&](COleDataSource& s, DROPEFFECT allowed, QWidget*) {
    EXPECT_EQ(allowed & (DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
    // Ctrl asks for a copy, which the list does not allow: refused.
    EXPECT_EQ(dragOnto(&other, before(other, 1), s, allowed, Qt::ControlModifier), DROPEFFECT_NONE);
    return dragOnto(&other, before(other, 1), s, allowed, {});
  });
  const BYTE command[] = {0xF7, 0x00};
  EXPECT_TRUE(DragTokensOut(command, 2));
  EXPECT_EQ(other.GetTokenCount(), 3);
  EXPECT_EQ(other.GetTokenAt(1), 0x00F7);
  int p = 0, q = 0;
  ASSERT_TRUE(other.GetSel(&p, &q));
  EXPECT_EQ(std::minmax(p, q), std::minmax(1, 2));
}

TEST_F(TokenClipboard, ADragLeavingAFocusedEditorGivesItsCaretBack) {
  setTokens(&other, "ABCD", kTokenFormatBytes);
  other.SetFocus();
  QTRY_VERIFY(other.hasFocus());
  other.SetSel(4, 4);
  COleDataSource source;
  RenderTokenDragData(&source, reinterpret_cast<const BYTE*>("Q"), 1, 1);
  dragOnto(&other, before(other, 1), source, DROPEFFECT_MOVE, {}, false);
  EXPECT_EQ(other.GetCaretIndex(), 4);
  // The blinking edit caret is drawn again behind the last token.
  const QPoint caret = other.CaretPoint() + QPoint(1, other.GetLineHeight() / 2);
  QTRY_VERIFY_WITH_TIMEOUT(qGray(other.GetViewport()->grab().toImage().pixel(caret)) < 100, 10000);
}

}  // namespace
