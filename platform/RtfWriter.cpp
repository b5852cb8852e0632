// The rich-text writer: 7-bit RTF 1.x in the shape a rich-edit control
// writes, from the blocks and fragments of a QTextDocument.
#include "charset/Cp1252.h"
#include "platform/RtfCodec.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tallix {
namespace {

// Characters a text leaves out when it is written: controls, object
// placeholders and paragraph separators; inside a table also the semicolon,
// which would end the entry.
bool leftOutOfText(char16_t ch, bool inTable) {
  return ch < 0x20 || ch == 0xFFFC || ch == 0x2029 || (inTable && ch == u';');
}

// A font's name as the font table holds it. Names that differ only in
// characters left out are one entry, so that a fragment finds the entry that
// a reader will give it back.
QString fontTableName(const QString& family) {
  QString name;
  name.reserve(family.size());
  for (const QChar qc : family)
    if (!leftOutOfText(qc.unicode(), true)) name.append(qc);
  return name;
}

struct CharProps {
  int font = -1;  // -1: nothing written yet
  int halfPoints = -1;
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0;  // 0: automatic
  int vertical = 0;
  bool operator==(const CharProps&) const = default;
};

struct ParaProps {
  int align = 0;
  int left = 0, right = 0, first = 0;
  bool operator==(const ParaProps&) const = default;
};

class Writer {
 public:
  explicit Writer(const QTextDocument& document) : doc_(document) {}
  QByteArray run();

 private:
  QString familyOf(const QTextCharFormat& f) const;
  int halfPointsOf(const QTextCharFormat& f) const;
  static QColor colorOf(const QTextCharFormat& f);
  ParaProps paraOf(const QTextBlock& block) const;

  void collectTables();
  void word(const char* text, int param);
  void word(const char* text);
  CharProps propsOf(const QTextCharFormat& f) const;
  void charProps(const QTextCharFormat& f);
  void text(const QString& s, bool inTable = false);
  void literal(char c);

  const QTextDocument& doc_;
  // The tables in order, and each entry's number: a document may hold many
  // fonts and colours, so that a lookup per fragment must not be a search.
  QStringList fonts_;
  QHash<QString, int> fontIndex_;
  std::vector<QRgb> colors_;
  QHash<QRgb, int> colorIndex_;  // 1-based, as \cf numbers them
  QByteArray out_;
  bool needDelimiter_ = false;
  CharProps cur_;
};

QString Writer::familyOf(const QTextCharFormat& f) const {
  const QStringList families = f.fontFamilies().toStringList();
  if (!families.isEmpty() && !families.front().isEmpty()) return families.front();
  return doc_.defaultFont().family();
}

int Writer::halfPointsOf(const QTextCharFormat& f) const {
  double points = f.fontPointSize();
  if (points <= 0) points = doc_.defaultFont().pointSizeF();
  if (points <= 0) points = 12;
  return std::clamp(int(points * 2 + 0.5), 1, 3276);
}

QColor Writer::colorOf(const QTextCharFormat& f) {
  const QBrush brush = f.foreground();
  return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

ParaProps Writer::paraOf(const QTextBlock& block) const {
  const QTextBlockFormat b = block.blockFormat();
  ParaProps p;
  const Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
  p.align = a == Qt::AlignHCenter ? 1 : a == Qt::AlignRight ? 2 : a == Qt::AlignJustify ? 3 : 0;
  const auto twips = [](double units) { return std::clamp(int(units * kRtfTwipsPerUnit + (units < 0 ? -0.5 : 0.5)), -31680, 31680); };
  p.left = twips(b.leftMargin() + b.indent() * doc_.indentWidth());
  p.right = twips(b.rightMargin());
  p.first = twips(b.textIndent());
  return p;
}

void Writer::collectTables() {
  const auto addFont = [this](const QString& raw) {
    const QString family = fontTableName(raw);
    if (fontIndex_.contains(family)) return;
    fontIndex_.insert(family, int(fonts_.size()));
    fonts_.append(family);
  };
  addFont(doc_.defaultFont().family());
  for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      addFont(familyOf(f));
      const QColor color = colorOf(f);
      if (color.isValid() && !colorIndex_.contains(color.rgb())) {
        colors_.push_back(color.rgb());
        colorIndex_.insert(color.rgb(), int(colors_.size()));
      }
    }
  }
}

void Writer::word(const char* text, int param) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "\\%s%d", text, param);
  out_.append(buffer);
  needDelimiter_ = true;
}

void Writer::word(const char* text) {
  out_.append('\\').append(text);
  needDelimiter_ = true;
}

void Writer::literal(char c) {
  if (needDelimiter_) out_.append(' ');
  needDelimiter_ = false;
  out_.append(c);
}

void Writer::text(const QString& s, bool inTable) {
  for (const QChar qc : s) {
    const char16_t ch = qc.unicode();
    if (ch == u'\\' || ch == u'{' || ch == u'}') {
      out_.append('\\').append(char(ch));
      needDelimiter_ = false;
    } else if (ch == u'\t' && !inTable) {
      word("tab");
    } else if (ch == 0x2028 && !inTable) {
      word("line");
    } else if (leftOutOfText(ch, inTable)) {
      // controls and object placeholders carry no text; a semicolon would
      // end a font name
    } else if (ch < 0x80) {
      literal(char(ch));
    } else if (const int b = unicodeToCp1252(ch); b >= 0) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\'%02x", b);
      out_.append(buffer);
      needDelimiter_ = false;
    } else {
      word("u", int(std::int16_t(ch)));
      out_.append('?');  // the stand-in for readers without Unicode
      needDelimiter_ = false;
    }
  }
}

CharProps Writer::propsOf(const QTextCharFormat& f) const {
  CharProps p;
  p.font = fontIndex_.value(fontTableName(familyOf(f)));
  p.halfPoints = halfPointsOf(f);
  p.bold = f.fontWeight() > QFont::Medium;
  p.italic = f.fontItalic();
  p.underline = f.fontUnderline();
  p.strike = f.fontStrikeOut();
  const QColor c = colorOf(f);
  p.color = c.isValid() ? colorIndex_.value(c.rgb()) : 0;
  p.vertical = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1
               : f.verticalAlignment() == QTextCharFormat::AlignSubScript ? 2
                                                                            : 0;
  return p;
}

void Writer::charProps(const QTextCharFormat& f) {
  const CharProps p = propsOf(f);
  if (p.font != cur_.font) word("f", p.font);
  if (p.halfPoints != cur_.halfPoints) word("fs", p.halfPoints);
  if (p.bold != cur_.bold) p.bold ? word("b") : word("b", 0);
  if (p.italic != cur_.italic) p.italic ? word("i") : word("i", 0);
  if (p.underline != cur_.underline) word(p.underline ? "ul" : "ulnone");
  if (p.strike != cur_.strike) p.strike ? word("strike") : word("strike", 0);
  if (p.color != cur_.color) word("cf", p.color);
  if (p.vertical != cur_.vertical) word(p.vertical == 1 ? "super" : "sub");
  cur_ = p;
}

QByteArray Writer::run() {
  collectTables();
  out_.append("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
  for (qsizetype i = 0; i < fonts_.size(); ++i) {
    out_.append('{');
    word("f", int(i));
    word("fnil");
    word("fcharset", 0);
    text(fonts_[i], true);
    out_.append(";}");
    needDelimiter_ = false;
  }
  out_.append('}');
  if (!colors_.empty()) {
    out_.append("{\\colortbl ;");
    for (const QRgb rgb : colors_) {
      word("red", qRed(rgb));
      word("green", qGreen(rgb));
      word("blue", qBlue(rgb));
      out_.append(';');
    }
    out_.append('}');
  }
  out_.append("\r\n\\viewkind4\\uc1");
  needDelimiter_ = true;

  bool first = true;
  ParaProps para;
  for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
    const ParaProps p = paraOf(block);
    if (first || !(p == para)) {
      word("pard");
      static const char* const kAlign[] = {nullptr, "qc", "qr", "qj"};
      if (p.align) word(kAlign[p.align]);
      if (p.first) word("fi", p.first);
      if (p.left) word("li", p.left);
      if (p.right) word("ri", p.right);
      para = p;
      first = false;
    }
    // A superscript or subscript run is a group of its own: other readers
    // know no word that ends it. Pieces of text that differ only in what
    // is not written share their group, as they are one run when read.
    bool inGroup = false;
    CharProps outside;
    const auto endGroup = [&] {
      out_.append('}');
      needDelimiter_ = false;
      cur_ = outside;
      inGroup = false;
    };
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      const bool raised = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ||
                          f.verticalAlignment() == QTextCharFormat::AlignSubScript;
      if (inGroup && !(raised && propsOf(f) == cur_)) endGroup();
      if (raised && !inGroup) {
        outside = cur_;
        out_.append('{');
        needDelimiter_ = false;
        inGroup = true;
      }
      charProps(f);
      text(it.fragment().text());
    }
    if (inGroup) endGroup();
    word("par");
    out_.append("\r\n");
    needDelimiter_ = false;
  }
  out_.append("}\r\n");
  return out_;
}

}  // namespace

QByteArray writeRtf(const QTextDocument& document) { return Writer(document).run(); }

QByteArray writeRtf(const QTextCursor& selection) {
  QTextDocument copy;
  if (const QTextDocument* source = selection.document()) copy.setDefaultFont(source->defaultFont());
  QTextCursor(&copy).insertFragment(selection.selection());
  return writeRtf(copy);
}

}  // namespace tallix
