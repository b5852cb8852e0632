// The token editor's content: exchange formats, the insertion guard, undo
// and the single-line rule.
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/CalcTokenBytes.h"

#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class TokenEditorContent : public ::testing::Test {
 protected:
  void SetUp() override {
    fillTestMap(&map);
    parent.resize(300, 200);
    ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE | kTokenEditorMultiLine, QRect(0, 0, 300, 200), &parent, 1));
    editor.SetTokenTextMap(&map);
  }
  std::string bytes() const { return tokensOf(editor, kTokenFormatBytes); }

  CQXTokenTextMap map;
  ChangeCounter parent;
  CQXTokenEditor editor;
};

TEST_F(TokenEditorContent, CalculatorBytesComeBackByteForByte) {
  struct Case {
    std::string in;
    std::vector<WORD> words;
  } cases[] = {
      {"\x7F\x40\x41", {0x407F, 0x4100}},
      // After a lead byte comes its token byte, whatever its value.
      {"\x7F\x7F\x40", {0x7F7F, 0x4000}},
      {"\xF7\xFF", {0xFFF7}},
      // A lead byte at the end stands alone.
      {"\x41\xF7", {0x4100, 0xF700}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(setTokens(&editor, c.in, kTokenFormatBytes), 1);
    ASSERT_EQ(editor.GetTokenCount(), int(c.words.size()));
    for (int i = 0; i < editor.GetTokenCount(); ++i) EXPECT_EQ(editor.GetTokenAt(i), c.words[std::size_t(i)]);
    EXPECT_EQ(editor.GetTokensLength(kTokenFormatBytes), int(c.in.size()));
    EXPECT_EQ(editor.GetTokensLength(kTokenFormatWords), 2 * int(c.words.size()));
    EXPECT_EQ(bytes(), c.in);
  }
  // A word whose lead byte is not one of the map keeps both bytes.
  setTokens(&editor, std::string("\x12\x40", 2), kTokenFormatWords);
  EXPECT_EQ(bytes(), "\x12\x40");
  // The graph pages find a separator token byte-aware.
  const std::string graph = "\x7F\xF6\xF6\x41";
  const auto tokens = SplitCalcTokens(reinterpret_cast<const BYTE*>(graph.data()), 4, &map);
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[1].word, 0xF600);
  EXPECT_EQ(tokens[1].offset, 2);
  // Too small a buffer stops at the last whole token.
  setTokens(&editor, "\x41\x7F\x40", kTokenFormatBytes);
  BYTE buffer[4] = {9, 9, 9, 9};
  int length = -1;
  EXPECT_TRUE(editor.GetTokens(buffer, 2, &length, kTokenFormatBytes));
  EXPECT_EQ(length, 1);
  EXPECT_EQ(buffer[1], 0);
}

TEST_F(TokenEditorContent, TextLineBreaksAndMissingTokens) {
  for (const char* text : {"A\r\nB", "A\nB", "A\rB", "A\n\rB"}) {
    setTokens(&editor, text, kTokenFormatText);
    ASSERT_EQ(editor.GetTokenCount(), 3) << text;
    EXPECT_EQ(editor.GetTokenAt(1), 0x0D00);
    EXPECT_EQ(tokensOf(editor, kTokenFormatText), "A\r\nB");
  }
  setTokens(&editor, "\x05\x41", kTokenFormatBytes);
  EXPECT_EQ(tokensOf(editor, kTokenFormatText), "@A");
  EXPECT_EQ(setTokens(&editor, "", kTokenFormatBytes), 0);
  EXPECT_EQ(editor.GetTokenCount(), 2);
  EXPECT_EQ(setTokens(&editor, "A", 8), 0);
}

TEST_F(TokenEditorContent, NoUserInsertionMakesBytesTheCalculatorMisreads) {
  setTokens(&editor, "AB", kTokenFormatBytes);
  editor.SetSel(1, 1);
  EXPECT_EQ(replaceSel(&editor, "\xF9", kTokenFormatBytes), 1);
  replaceSel(&editor, "\xF9", kTokenFormatText);
  replaceSel(&editor, std::string("\x00\xF7\x00\xFF\x12\x40", 6), kTokenFormatWords);
  editor.setFocus();
  QTest::keyClicks(&editor, QStringLiteral("\u00F7"));
  EXPECT_EQ(bytes(), "AB");
  EXPECT_EQ(parent.changes, 0);
  EXPECT_FALSE(editor.IsModified());
  // A nul token byte is no end byte: it goes in.
  replaceSel(&editor, std::string("\x00", 1), kTokenFormatBytes);
  EXPECT_EQ(bytes(), std::string("A\x00" "B", 3));
  // A character the callback maps goes in as its whole token.
  editor.SetCharMapCallback([](UINT ch, QXCHARMAPENTRY* entry) {
    if (ch != 0xF7) return FALSE;
    entry->leadByte = 0x7F;
    entry->tokenByte = 0x41;
    return TRUE;
  });
  QTest::keyClicks(&editor, QStringLiteral("\u00F7"));
  EXPECT_EQ(bytes(), std::string("A\x00\x7F\x41" "B", 5));
  EXPECT_TRUE(editor.IsModified());
  EXPECT_EQ(parent.changes, 2);
}

TEST_F(TokenEditorContent, UndoSwapsContentAndMarksTheEdit) {
  setTokens(&editor, "ABCD", kTokenFormatBytes);
  EXPECT_TRUE(editor.SetSel(3, 1));
  int p = 0, q = 0;
  ASSERT_TRUE(editor.GetSel(&p, &q));
  EXPECT_EQ(std::pair(p, q), std::pair(1, 3));
  EXPECT_TRUE(editor.DeleteSelection());
  EXPECT_EQ(bytes(), "AD");
  EXPECT_EQ(editor.GetCaretIndex(), 1);
  editor.SetModified(FALSE);
  EXPECT_TRUE(editor.Undo());
  EXPECT_EQ(bytes(), "ABCD");
  editor.GetSel(&p, &q);
  EXPECT_EQ(std::pair(p, q), std::pair(1, 3));
  EXPECT_TRUE(editor.IsModified());
  EXPECT_TRUE(editor.Undo());
  EXPECT_EQ(bytes(), "AD");
  EXPECT_EQ(parent.changes, 3);
  // Typing without a selection forgets the undo state.
  editor.setFocus();
  QTest::keyClicks(&editor, QStringLiteral("x"));
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_TRUE(editor.SetSel(0, -1));
  editor.GetSel(&p, &q);
  EXPECT_EQ(std::pair(p, q), std::pair(0, 3));
  EXPECT_EQ(editor.GetCaretIndex(), 3);
}

TEST_F(TokenEditorContent, ASingleLineEditorNeverHoldsALineBreak) {
  CQXTokenEditor field;
  ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE, QRect(0, 0, 200, 20), &parent, 2));
  field.SetTokenTextMap(&map);
  setTokens(&field, "A\r\nB", kTokenFormatText);
  replaceSel(&field, "\r\nC\n", kTokenFormatText);
  field.InsertToken(0x0D00);
  EXPECT_EQ(tokensOf(field, kTokenFormatBytes), "CAB");
}

TEST_F(TokenEditorContent, TheInputMethodTypesWindows1252Only) {
  editor.setFocus();
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("\u00E9\u20AC\u4E2D"));
  QApplication::sendEvent(&editor, &commit);
  EXPECT_EQ(bytes(), "\xE9\x80");
  QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(bytes(), "\xE9\x80");
}

}  // namespace
