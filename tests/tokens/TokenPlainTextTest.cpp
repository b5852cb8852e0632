// Text from other programs in a program editor of each family, with the
// shipped token list and character conversion table: the program's own text
// comes back as its tokens, typographic text as the ASCII meant, and every
// token copied out and pasted back is listed as it comes back.
#include "tests/support/TestEnvironment.h"
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/CalcTokenBytes.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/TokenListFile.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace tallix::test;

namespace {

class TokenPlainText : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const QString file = QDir(TestEnvironment::builtProgramDir()).filePath(QString::fromUtf8(GetParam()));
    ASSERT_TRUE(ReadCommandTable(QFile::encodeName(file).constData(), &table)) << file.toStdString();
    FillTokenTextMap(table, &map);
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("QXGraph.lst")));
    ASSERT_TRUE(env.copyFromBuild(QStringLiteral("CharCnv.lst")));
    typing.Load("CFX-9850G");
    parent.resize(600, 200);
    for (CQXTokenEditor* e : {&source, &target}) {
      ASSERT_TRUE(e->Create(WS_CHILD | WS_VISIBLE | kTokenEditorMultiLine, QRect(0, e == &source ? 0 : 100, 600, 90),
                            &parent, 1));
      e->SetTokenTextMap(&map);
      e->SetCharMapCallback(typing.Callback());
    }
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  }

  // The bytes that pasting `text` into the empty target gives.
  std::string paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    target.ClearTokens();
    target.Paste(5);
    return tokensOf(target, kTokenFormatBytes);
  }
  // The bytes that typing `text` into the empty target gives.
  std::string type(const QString& text) {
    target.ClearTokens();
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(&target, &event);
    return tokensOf(target, kTokenFormatBytes);
  }
  // What the source's tokens `bytes` give other programs.
  QString copied(const std::string& bytes) {
    setTokens(&source, bytes, kTokenFormatBytes);
    source.SetSel(0, -1);
    EXPECT_TRUE(source.Copy(kTokenFormatText));
    return QGuiApplication::clipboard()->text();
  }

  TestEnvironment env;
  CQXCommandTable table;
  CQXTokenTextMap map;
  CQXCharConvertTable typing;
  ChangeCounter parent;
  CQXProgramTokenEditor source, target;
};

TEST_P(TokenPlainText, TheProgramsOwnTextComesBackAsItsTokensNeverAsTheTokenOfASign) {
  // Each text whole, the longest first ("Σx²" before "Σx", "xσn−1" before
  // "xσn", "Graph ∫" before "∫(", leaving its bracket); a sign that no token
  // shows alone (Σ, Δ) is left out.
  EXPECT_EQ(paste(QStringLiteral(u"Σx² ∫(X) xσn Δ∞∠ G↔T ↵◢")),
            "\x8F \x8DX) \xC4 \x7F\x53\x7F\x54 \xFA \r\x0C");
  EXPECT_EQ(paste(QStringLiteral(u"ΣxΣGraph ∫(xσn−1sin⁻¹ Tθmin")), std::string("\x9F\xEF(\xC5\x91\x7F\x08", 7));
  // The same text as the program gives it.
  const std::string program = "\x8F \x8DX) \xC4 \x7F\x53\x7F\x54 \xFA \r\x91\x7F\x08";
  EXPECT_EQ(paste(copied(program)), program);
}

TEST_P(TokenPlainText, TypographicTextGoesInAsTheAsciiMeantAndCharactersWithoutATokenAreLeftOut) {
  // Quotes, the ellipsis, dashes (the calculator's minus, as '-' types) and
  // spaces as ASCII; the euro sign and n tilde have no token (their codes are
  // Pol( and Graph Y<), e acute is typed as e.
  EXPECT_EQ(paste(QStringLiteral(u"“HI” … – € año é\u00A0‘x’")), "\"HI\" ... \x99  ao e 'x'");
}

// Every token of the list, alone, copied as text and pasted back. The same
// bytes come back for the tokens whose text holds a character outside ASCII
// (θ, Σx², sin⁻¹ , Tθmin, DrawFTG−Con ...), the line break 0x0D and the
// one-character ASCII tokens that typing gives as themselves (letters,
// digits, brackets). A token whose text is ASCII comes back as typing its
// characters gives: several tokens ("sin " four, the placeholders
// "{F7 3A}" seven), a token that typing converts ('*' is the multiplication
// sign, '+' the calculator's plus) or the letter a symbol shows as (nPr "P",
// femto "f", the regression's "a"). Disp, a line break of the editor, goes
// out as LF and comes back as the line break 0x0D.
TEST_P(TokenPlainText, EveryTokenCopiedOutAndPastedBack) {
  std::vector<WORD> words;
  map.ForEachEntry([&](WORD word, const CQXTokenTextEntry&) { words.push_back(word); });
  std::sort(words.begin(), words.end());
  int same = 0, typed = 0;
  std::map<WORD, std::string> changed;
  for (WORD word : words) {
    std::string bytes;
    AppendCalcTokenBytes(word, &bytes);
    const QString text = copied(bytes);
    const std::string back = paste(text);
    if (back == bytes) {
      ++same;
    } else if (text == QLatin1String("\n")) {
      // Disp (0x0C), a line break of the editor, goes out as one.
      EXPECT_EQ(back, "\r");
      changed[word] = back;
    } else if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
      // A text of ASCII is typed character by character ("sin " is four
      // tokens, '*' the multiplication sign).
      EXPECT_EQ(back, type(text)) << text.toStdString();
      ++typed;
    } else {
      changed[word] = back;
    }
  }
  // Every token whose text holds a character outside ASCII comes back as
  // itself but Disp.
  EXPECT_EQ(changed, (std::map<WORD, std::string>{{0x0C00, "\r"}}));
  EXPECT_GT(same, 150);
  EXPECT_GT(typed, 800);
}

INSTANTIATE_TEST_SUITE_P(Families, TokenPlainText, ::testing::Values("QXToken.tok", "QXTokenV5.tok"));

}  // namespace
