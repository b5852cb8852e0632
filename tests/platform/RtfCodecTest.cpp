#include "platform/RtfCodec.h"

#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

using tallix::readRtf;
using tallix::RtfReadResult;
using tallix::writeRtf;

// The format of the character at `position`.
QTextCharFormat formatAt(const QTextDocument& doc, int position) {
  QTextCursor c(const_cast<QTextDocument*>(&doc));
  c.setPosition(position + 1);
  return c.charFormat();
}

int find(const QTextDocument& doc, const QString& text) { return int(doc.toPlainText().indexOf(text)); }

// Runs a converter on `input`; its standard output.
QByteArray convert(const QString& program, const QStringList& args, const QByteArray& input) {
  QProcess p;
  p.start(program, args);
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(30000);
  return p.readAllStandardOutput();
}

bool haveTool(const char* name) {
  return QFile::exists(QStringLiteral("/usr/bin/") + QLatin1String(name));
}

TEST(RtfCodec, RoundTripKeepsTextAndFormats) {
  QTextDocument doc;
  doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
  QTextCursor c(&doc);
  const auto put = [&](const QString& text, auto setup) {
    QTextCharFormat f;
    setup(f);
    c.insertText(text, f);
  };
  put(QStringLiteral("Café "), [](QTextCharFormat&) {});
  put(QStringLiteral("€"), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
  put(QStringLiteral("Ω𝄞"), [](QTextCharFormat& f) { f.setFontItalic(true); });
  put(QStringLiteral("\tsous"), [](QTextCharFormat& f) { f.setFontUnderline(true); });
  put(QStringLiteral("gros"), [](QTextCharFormat& f) { f.setFontPointSize(16); });
  put(QStringLiteral("rouge"), [](QTextCharFormat& f) { f.setForeground(QColor(200, 10, 20)); });
  put(QStringLiteral("mono{\\}"), [](QTextCharFormat& f) { f.setFontFamilies({QStringLiteral("Courier New")}); });
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  centred.setLeftMargin(48);
  c.insertBlock(centred);
  c.insertText(QStringLiteral("fin\u2028ligne"));
  c.insertBlock(QTextBlockFormat());  // an empty last paragraph is kept too

  const QByteArray rtf = writeRtf(doc);
  for (const char byte : rtf) ASSERT_LT(static_cast<unsigned char>(byte), 0x80) << rtf.constData();
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"));
  EXPECT_TRUE(rtf.contains("\\viewkind4\\uc1\\pard"));
  EXPECT_TRUE(rtf.contains("Caf\\'e9 "));
  EXPECT_TRUE(rtf.contains("\\'80"));
  EXPECT_TRUE(rtf.contains("\\u937?\\u-10188?\\u-8930?")) << rtf.constData();

  QTextDocument back;
  back.setDefaultFont(doc.defaultFont());
  EXPECT_EQ(readRtf(rtf, back), RtfReadResult::Complete);
  EXPECT_EQ(back.toRawText(), doc.toRawText());
  EXPECT_EQ(back.blockCount(), 3);
  EXPECT_EQ(formatAt(back, 0).fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
  EXPECT_EQ(formatAt(back, 0).fontPointSize(), 10);
  EXPECT_EQ(formatAt(back, 0).fontWeight(), QFont::Normal);
  EXPECT_EQ(formatAt(back, find(back, QStringLiteral("€"))).fontWeight(), QFont::Bold);
  EXPECT_TRUE(formatAt(back, find(back, QStringLiteral("Ω"))).fontItalic());
  EXPECT_FALSE(formatAt(back, find(back, QStringLiteral("Ω"))).fontUnderline());
  EXPECT_TRUE(formatAt(back, find(back, QStringLiteral("sous"))).fontUnderline());
  EXPECT_EQ(formatAt(back, find(back, QStringLiteral("gros"))).fontPointSize(), 16);
  EXPECT_EQ(formatAt(back, find(back, QStringLiteral("rouge"))).foreground().color(), QColor(200, 10, 20));
  EXPECT_EQ(formatAt(back, find(back, QStringLiteral("gros"))).foreground().style(), Qt::NoBrush);
  EXPECT_EQ(formatAt(back, find(back, QStringLiteral("mono"))).fontFamilies().toStringList(),
            QStringList{QStringLiteral("Courier New")});
  const QTextBlockFormat second = back.findBlockByNumber(1).blockFormat();
  EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(second.leftMargin(), 48);
  EXPECT_EQ(back.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

  // Writing what was read gives the same bytes: nothing drifts on each store.
  EXPECT_EQ(writeRtf(back), rtf);
}

// Two subscript pieces that differ only in what RTF does not carry are one
// run once read: written, they share a group, so a store of what was read
// writes the same bytes again.
TEST(RtfCodec, RaisedPiecesThatReadAsOneRunShareTheirGroup) {
  QTextDocument doc;
  QTextCursor c(&doc);
  QTextCharFormat sub, subWithTip;
  sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  subWithTip = sub;
  subWithTip.setToolTip(QStringLiteral("tip"));
  c.insertText(QStringLiteral("x"));
  c.insertText(QStringLiteral("1"), sub);
  c.insertText(QStringLiteral("2"), subWithTip);
  c.insertText(QStringLiteral("y"), QTextCharFormat());
  const QByteArray rtf = writeRtf(doc);
  EXPECT_TRUE(rtf.contains("{\\sub 12}")) << rtf.constData();
  QTextDocument back;
  ASSERT_EQ(readRtf(rtf, back), RtfReadResult::Complete);
  EXPECT_EQ(back.toPlainText(), QStringLiteral("x12y"));
  EXPECT_EQ(writeRtf(back), rtf);
}

TEST(RtfCodec, ReadsWhatARichEditControlWrites) {
  const QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
      "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs20 Caf\\'e9 \\b gras\\b0  et \\cf1 rouge\\cf0\\par\r\n"
      "\\pard\\li720\\qr\\tab {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt lien}} "
      "{\\pict\\wmetafile8 0102ff}{\\*\\unknown ignor\\'e9}\\uc2\\u937\\'3f\\'3fx \\super 2\\par\r\n"
      "}\r\n";
  QTextDocument doc;
  EXPECT_EQ(readRtf(rtf, doc), RtfReadResult::Complete);
  EXPECT_EQ(doc.toPlainText(), QStringLiteral("Café gras et rouge\n\tlien Ωx 2"));
  EXPECT_EQ(doc.blockCount(), 2);
  EXPECT_EQ(formatAt(doc, 0).fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
  EXPECT_EQ(formatAt(doc, 0).fontPointSize(), 10);
  EXPECT_EQ(formatAt(doc, find(doc, QStringLiteral("gras"))).fontWeight(), QFont::Bold);
  EXPECT_EQ(formatAt(doc, find(doc, QStringLiteral(" et"))).fontWeight(), QFont::Normal);
  EXPECT_EQ(formatAt(doc, find(doc, QStringLiteral("rouge"))).foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(formatAt(doc, find(doc, QStringLiteral("2"))).verticalAlignment(), QTextCharFormat::AlignSuperScript);
  const QTextBlockFormat second = doc.findBlockByNumber(1).blockFormat();
  EXPECT_EQ(second.leftMargin(), 48);
  EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST(RtfCodec, ReadsPandocsRtf) {
  ASSERT_TRUE(haveTool("pandoc")) << "pandoc is missing: run scripts/packages.sh";
  const QByteArray rtf = convert(QStringLiteral("pandoc"), {"-f", "markdown", "-t", "rtf", "-s"},
                                 "Café *italique* et **gras**\n\nSecond € paragraphe\n");
  QTextDocument doc;
  EXPECT_EQ(readRtf(rtf, doc), RtfReadResult::Complete) << rtf.constData();
  EXPECT_EQ(doc.toPlainText(), QStringLiteral("Café italique et gras\nSecond € paragraphe"));
  EXPECT_TRUE(formatAt(doc, find(doc, QStringLiteral("italique"))).fontItalic());
  EXPECT_FALSE(formatAt(doc, find(doc, QStringLiteral(" et"))).fontItalic());
  EXPECT_EQ(formatAt(doc, find(doc, QStringLiteral("gras"))).fontWeight(), QFont::Bold);
}

TEST(RtfCodec, OursIsReadByOtherReaders) {
  ASSERT_TRUE(haveTool("pandoc") && haveTool("unrtf")) << "pandoc or unrtf is missing: run scripts/packages.sh";
  QTextDocument doc;
  QTextCursor c(&doc);
  QTextCharFormat italic, bold, raised;
  italic.setFontItalic(true);
  bold.setFontWeight(QFont::Bold);
  raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText(QStringLiteral("Café"));
  c.insertText(QStringLiteral("2"), raised);
  c.insertText(QStringLiteral(" "), QTextCharFormat());
  c.insertText(QStringLiteral("italique"), italic);
  c.insertText(QStringLiteral(" "), QTextCharFormat());
  c.insertText(QStringLiteral("gras"), bold);
  c.insertText(QStringLiteral(" € Ω"), QTextCharFormat());
  c.insertBlock();
  c.insertText(QStringLiteral("fin"));
  const QByteArray rtf = writeRtf(doc);

  EXPECT_EQ(QString::fromUtf8(convert(QStringLiteral("pandoc"), {"-f", "rtf", "-t", "markdown"}, rtf)),
            QStringLiteral("Café^2^ *italique* **gras** € Ω\n\nfin\n"));

  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("d.rtf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(rtf);
  file.close();
  const QByteArray html = convert(QStringLiteral("unrtf"), {"--html", file.fileName()}, {});
  EXPECT_TRUE(html.contains("Caf&eacute;<sup>2</sup>")) << html.constData();
  EXPECT_TRUE(html.contains("<i>italique</i> <b>gras</b> &euro; &Omega;")) << html.constData();
  EXPECT_TRUE(html.contains("fin")) << html.constData();
}

TEST(RtfCodec, DamagedInputShowsWhatCouldBeRead) {
  struct Case {
    QByteArray rtf;
    QString text;
    RtfReadResult result;
  };
  const QByteArray deep = "{\\rtf1 a" + QByteArray(100000, '{') + "b" + QByteArray(100000, '}') + "c}";
  const Case cases[] = {
      {"{\\rtf1 a{\\b b", "ab", RtfReadResult::Damaged},
      {"{\\rtf1 a}}}b", "a", RtfReadResult::Complete},
      {"{\\rtf1 a\\bin999999 cd}", "a", RtfReadResult::Damaged},
      {"{\\rtf1 a\\bin-5 cd}", "acd", RtfReadResult::Complete},
      {"{\\rtf1 a\\u99999999999999999999?b\\u-99999?c}", "a?b?c", RtfReadResult::Complete},
      {"{\\rtf1 a\\uc99999999999\\u937 bcd}", "aΩ", RtfReadResult::Complete},
      {"{\\rtf1 a\\'e", "a", RtfReadResult::Damaged},
      {"{\\rtf1 a\\'", "a", RtfReadResult::Damaged},
      {"{\\rtf1 a\\", "a", RtfReadResult::Damaged},
      {"{\\rtf1 a\\fs99999999999999999 b\\f-2147483649 c\\'00\\u-10180?}", "abc\uFFFD", RtfReadResult::Complete},
      {deep, "abc", RtfReadResult::Complete},
      {"Caf\xe9\r\nligne", "Café\nligne", RtfReadResult::NotRtf},
  };
  for (const Case& k : cases) {
    QTextDocument doc;
    EXPECT_EQ(readRtf(k.rtf, doc), k.result) << k.rtf.left(60).constData();
    EXPECT_EQ(doc.toPlainText(), k.text) << k.rtf.left(60).constData();
  }
}

TEST(RtfCodec, ClipboardOffersAndTakesRichText) {
  QTextDocument source;
  QTextCursor c(&source);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  c.insertText(QStringLiteral("un "));
  c.insertText(QStringLiteral("gras"), bold);
  c.setPosition(3);
  c.setPosition(7, QTextCursor::KeepAnchor);
  QMimeData data;
  data.setText(QStringLiteral("texte"));
  tallix::addRtfToMimeData(data, c);
  ASSERT_TRUE(tallix::canInsertRtf(data));

  QTextDocument target;
  target.setPlainText(QStringLiteral("[]"));
  QTextCursor at(&target);
  at.setPosition(1);
  EXPECT_TRUE(tallix::insertRtfFromMimeData(data, at));
  EXPECT_EQ(target.toPlainText(), QStringLiteral("[gras]"));
  EXPECT_EQ(formatAt(target, 1).fontWeight(), QFont::Bold);

  // The platform's named format is offered too, and taken when "text/rtf" is
  // missing; with both, "text/rtf" wins.
  const QString named = QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\"");
  EXPECT_EQ(data.data(named), data.data(QStringLiteral("text/rtf")));
  QMimeData fromWindows;
  fromWindows.setData(named, "{\\rtf1 W}");
  QTextCursor end(&target);
  end.movePosition(QTextCursor::End);
  EXPECT_TRUE(tallix::insertRtfFromMimeData(fromWindows, end));
  fromWindows.setData(QStringLiteral("text/rtf"), "{\\rtf1 R}");
  EXPECT_TRUE(tallix::insertRtfFromMimeData(fromWindows, end));
  EXPECT_EQ(target.toPlainText(), QStringLiteral("[gras]WR"));

  QMimeData plain;
  plain.setText(QStringLiteral("x"));
  EXPECT_FALSE(tallix::canInsertRtf(plain));
  EXPECT_FALSE(tallix::insertRtfFromMimeData(plain, at));
  EXPECT_EQ(target.toPlainText(), QStringLiteral("[gras]WR"));
}

}  // namespace
