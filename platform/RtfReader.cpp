// The rich-text reader: a single pass over the bytes with a stack of group
// states, writing text runs into the document through a cursor.
#include "charset/Cp1252.h"
#include "platform/RtfCodec.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallix {
namespace {

// Groups nested deeper than this share the state of the deepest kept one, so
// that a flood of braces costs no memory.
constexpr std::size_t kMaxKeptGroups = 1000;
// Parameters are clamped to what a 32-bit signed number holds.
constexpr std::int64_t kParamLimit = 0x7FFFFFFF;

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable, AnsiOfUpr };

struct CharState {
  bool bold = false, italic = false, underline = false, strike = false;
  int font = -1;  // -1: the default font (\deff)
  int halfPoints = 24;
  int color = -1;  // -1: automatic
  int vertical = 0;  // 1 superscript, 2 subscript
  bool operator==(const CharState&) const = default;
};

struct ParaState {
  int align = 0;  // 0 left, 1 centred, 2 right, 3 justified
  int left = 0, right = 0, first = 0;  // twips
};

struct GroupState {
  Dest dest = Dest::Text;
  CharState chars;
  ParaState para;
  int uc = 1;  // characters that stand in for a \uN
};

enum class Kw {
  // destinations
  FontTable, ColorTable, SkipDest, Upr, Ud,
  // document
  Deff, Bin, Uc, U,
  // characters
  Plain, Bold, Italic, Underline, UnderlineNone, Strike, Font, FontSize, Color, Super, Sub, NoSuperSub,
  // colour table
  Red, Green, Blue,
  // paragraphs
  Pard, Par, Line, Tab, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent, FirstIndent,
  // characters by name
  Char,
};

struct KwInfo {
  Kw kw;
  char16_t ch = 0;  // for Kw::Char
};

const std::unordered_map<std::string_view, KwInfo>& keywords() {
  static const std::unordered_map<std::string_view, KwInfo> table = [] {
    std::unordered_map<std::string_view, KwInfo> t;
    t.emplace("fonttbl", KwInfo{Kw::FontTable});
    t.emplace("colortbl", KwInfo{Kw::ColorTable});
    t.emplace("upr", KwInfo{Kw::Upr});
    t.emplace("ud", KwInfo{Kw::Ud});
    // Destinations whose contents are not text of the document. A field's
    // instruction is skipped and its result (\fldrslt) read as text; the
    // numbering texts (\pntext, \listtext) are read, as they stand for the
    // numbers and bullets.
    for (const char* name :
         {"stylesheet", "info", "pict", "object", "objdata", "objclass", "objname", "objalias", "objsect",
          "objitem", "objtopic", "objtime", "result", "header", "headerl", "headerr", "headerf", "footer",
          "footerl", "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor", "atnref", "atndate",
          "atnicn", "atrfstart", "atrfend", "author", "operator", "title", "subject", "keywords", "comment",
          "doccomm", "company", "category", "manager", "hlinkbase", "creatim", "revtim", "printim", "buptim",
          "template", "fldinst", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "filetbl", "revtbl",
          "nonshppict", "shp", "shpinst", "shptxt", "sp", "sn", "sv", "listtable", "listoverridetable",
          "rsidtbl", "xmlnstbl", "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl",
          "private", "userprops", "nextfile", "fchars", "lchars", "pn", "pnseclvl", "pntxta", "pntxtb",
          "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "docvar", "generator", "mmathPr",
          "falt", "panose", "fname", "fontemb", "fontfile", "pxe", "wgrffmtfilter", "formfield", "datafield"})
      t.emplace(name, KwInfo{Kw::SkipDest});
    t.emplace("deff", KwInfo{Kw::Deff});
    t.emplace("bin", KwInfo{Kw::Bin});
    t.emplace("uc", KwInfo{Kw::Uc});
    t.emplace("u", KwInfo{Kw::U});
    t.emplace("plain", KwInfo{Kw::Plain});
    t.emplace("b", KwInfo{Kw::Bold});
    t.emplace("i", KwInfo{Kw::Italic});
    for (const char* name : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                             "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                             "ulwave"})
      t.emplace(name, KwInfo{Kw::Underline});
    t.emplace("ulnone", KwInfo{Kw::UnderlineNone});
    t.emplace("strike", KwInfo{Kw::Strike});
    t.emplace("striked", KwInfo{Kw::Strike});
    t.emplace("f", KwInfo{Kw::Font});
    t.emplace("fs", KwInfo{Kw::FontSize});
    t.emplace("cf", KwInfo{Kw::Color});
    t.emplace("super", KwInfo{Kw::Super});
    t.emplace("sub", KwInfo{Kw::Sub});
    t.emplace("nosupersub", KwInfo{Kw::NoSuperSub});
    t.emplace("red", KwInfo{Kw::Red});
    t.emplace("green", KwInfo{Kw::Green});
    t.emplace("blue", KwInfo{Kw::Blue});
    t.emplace("pard", KwInfo{Kw::Pard});
    // Sections, pages and table rows end a paragraph; a table cell reads as
    // a tab, so that a table shows as lines of tab-separated cells.
    for (const char* name : {"par", "sect", "page", "row", "nestrow"}) t.emplace(name, KwInfo{Kw::Par});
    t.emplace("line", KwInfo{Kw::Line});
    for (const char* name : {"tab", "cell", "nestcell"}) t.emplace(name, KwInfo{Kw::Tab});
    t.emplace("ql", KwInfo{Kw::AlignLeft});
    t.emplace("qc", KwInfo{Kw::AlignCenter});
    t.emplace("qr", KwInfo{Kw::AlignRight});
    t.emplace("qj", KwInfo{Kw::AlignJustify});
    t.emplace("qd", KwInfo{Kw::AlignJustify});
    t.emplace("li", KwInfo{Kw::LeftIndent});
    t.emplace("lin", KwInfo{Kw::LeftIndent});
    t.emplace("ri", KwInfo{Kw::RightIndent});
    t.emplace("rin", KwInfo{Kw::RightIndent});
    t.emplace("fi", KwInfo{Kw::FirstIndent});
    const std::pair<const char*, char16_t> chars[] = {
        {"emdash", 0x2014}, {"endash", 0x2013},   {"bullet", 0x2022},   {"lquote", 0x2018},
        {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
        {"enspace", 0x2002}, {"qmspace", 0x2005},  {"zwj", 0x200D},       {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F}};
    for (const auto& [name, ch] : chars) t.emplace(name, KwInfo{Kw::Char, ch});
    return t;
  }();
  return table;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters the document does not take as text: controls other than the tab
// (line and paragraph ends come from control words), the object placeholder
// and the paragraph separator.
bool isDroppedChar(char16_t ch) { return (ch < 0x20 && ch != u'\t') || ch == 0xFFFC || ch == 0x2029; }

class Reader {
 public:
  Reader(QByteArrayView in, QTextDocument& document)
      : p_(in.data()), end_(in.data() + in.size()), cursor_(&document) {}

  RtfReadResult run();

 private:
  // Input.
  bool atEnd() const { return p_ >= end_; }
  void controlSymbolOrWord();
  void controlWord();
  void hexChar();
  void openGroup();
  bool closeGroup();  // true when the outermost group closed

  // Meaning.
  void keyword(std::string_view word, bool hasParam, int param);
  void character(char16_t ch);
  void finishFontEntry();
  void finishColorEntry();

  // Output.
  void putChar(char16_t ch);
  void paragraph();
  void flushRun();
  QTextCharFormat charFormat(const CharState& c) const;
  static QTextBlockFormat blockFormat(const ParaState& p);

  const char* p_;
  const char* end_;
  bool damaged_ = false;

  std::vector<GroupState> stack_;
  std::size_t unkeptGroups_ = 0;
  GroupState st_;
  bool starPending_ = false;  // \* seen: the next control word opens an optional destination
  int fallbackLeft_ = 0;      // characters after a \uN still to skip

  int defaultFont_ = 0;
  std::map<int, QString> fonts_;
  int fontNumber_ = -1;
  QString fontName_;
  std::vector<QColor> colors_;  // invalid: automatic
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorGiven_ = false;

  QTextCursor cursor_;
  QString run_;
  CharState runChars_;
  ParaState lastTextPara_;
  bool pendingPar_ = false;  // a paragraph ended; the next text opens a new one
};

RtfReadResult Reader::run() {
  while (!atEnd() && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n')) ++p_;
  if (end_ - p_ < 5 || std::string_view(p_, 5) != "{\\rtf") return RtfReadResult::NotRtf;
  while (!atEnd()) {
    const char c = *p_++;
    switch (c) {
      case '{':
        openGroup();
        break;
      case '}':
        if (closeGroup()) {
          flushRun();
          if (!pendingPar_) cursor_.setBlockFormat(blockFormat(lastTextPara_));
          return damaged_ ? RtfReadResult::Damaged : RtfReadResult::Complete;
        }
        break;
      case '\\':
        controlSymbolOrWord();
        break;
      case '\r':
      case '\n':
        break;
      default:
        starPending_ = false;
        if (fallbackLeft_ > 0) {
          --fallbackLeft_;
          break;
        }
        character(cp1252ToUnicode(static_cast<unsigned char>(c)).unicode());
    }
  }
  // The outermost group never closed: keep what was read.
  flushRun();
  if (!pendingPar_) cursor_.setBlockFormat(blockFormat(lastTextPara_));
  return RtfReadResult::Damaged;
}

void Reader::openGroup() {
  starPending_ = false;
  fallbackLeft_ = 0;
  if (stack_.size() < kMaxKeptGroups)
    stack_.push_back(st_);
  else
    ++unkeptGroups_;
}

bool Reader::closeGroup() {
  starPending_ = false;
  fallbackLeft_ = 0;
  if (st_.dest == Dest::FontTable) finishFontEntry();
  if (unkeptGroups_ > 0) {
    --unkeptGroups_;
    return false;
  }
  if (stack_.empty()) return true;
  st_ = stack_.back();
  stack_.pop_back();
  return stack_.empty();
}

void Reader::controlSymbolOrWord() {
  if (atEnd()) {
    damaged_ = true;
    return;
  }
  const char c = *p_;
  if (isLetter(c)) {
    controlWord();
    return;
  }
  ++p_;
  if (c == '\'') {
    hexChar();
    return;
  }
  if (c == '*') {
    starPending_ = true;
    return;
  }
  starPending_ = false;
  if (fallbackLeft_ > 0) {
    --fallbackLeft_;
    return;
  }
  switch (c) {
    case '\\':
    case '{':
    case '}':
      character(char16_t(c));
      break;
    case '~':
      character(0x00A0);
      break;
    case '_':
      character(0x2011);
      break;
    case '\r':
    case '\n':
      if (st_.dest == Dest::Text) paragraph();
      break;
    default:  // \- (optional hyphen), \: (index subentry), \| and unknown symbols
      break;
  }
}

void Reader::controlWord() {
  const char* start = p_;
  while (!atEnd() && isLetter(*p_)) ++p_;
  const std::string_view word(start, std::size_t(p_ - start));
  bool negative = false;
  if (end_ - p_ >= 2 && *p_ == '-' && isDigit(p_[1])) {
    negative = true;
    ++p_;
  }
  bool hasParam = false;
  std::int64_t value = 0;
  while (!atEnd() && isDigit(*p_)) {
    hasParam = true;
    value = std::min<std::int64_t>(value * 10 + (*p_ - '0'), kParamLimit + 1);
    ++p_;
  }
  if (!atEnd() && *p_ == ' ') ++p_;
  if (negative) value = -value;
  const int param = int(std::clamp<std::int64_t>(value, -kParamLimit, kParamLimit));

  if (word == "bin") {
    // Binary data: skipped whatever the destination, never past the end.
    const std::int64_t left = end_ - p_;
    const std::int64_t count = hasParam && value > 0 ? value : 0;
    if (count > left) damaged_ = true;
    p_ += std::min(count, left);
    return;
  }
  const bool star = starPending_;
  starPending_ = false;
  if (st_.dest == Dest::Skip) return;
  if (fallbackLeft_ > 0) {
    --fallbackLeft_;
    return;
  }
  if (star) {
    // An optional destination: skipped unless it is one we read.
    if (word == "ud" && st_.dest == Dest::AnsiOfUpr)
      st_.dest = Dest::Text;
    else
      st_.dest = Dest::Skip;
    return;
  }
  keyword(word, hasParam, param);
}

void Reader::hexChar() {
  int value = 0;
  for (int i = 0; i < 2; ++i) {
    const int digit = atEnd() ? -1 : hexValue(*p_);
    if (digit < 0) {
      damaged_ = true;
      return;
    }
    value = value * 16 + digit;
    ++p_;
  }
  starPending_ = false;
  if (fallbackLeft_ > 0) {
    --fallbackLeft_;
    return;
  }
  character(cp1252ToUnicode(static_cast<unsigned char>(value)).unicode());
}

void Reader::keyword(std::string_view word, bool hasParam, int param) {
  const auto found = keywords().find(word);
  if (found == keywords().end()) return;
  const KwInfo& k = found->second;
  const bool on = !hasParam || param != 0;

  switch (k.kw) {
    case Kw::FontTable:
      st_.dest = Dest::FontTable;
      return;
    case Kw::ColorTable:
      st_.dest = Dest::ColorTable;
      colors_.clear();
      return;
    case Kw::SkipDest:
      st_.dest = Dest::Skip;
      return;
    case Kw::Upr:
      st_.dest = Dest::AnsiOfUpr;
      return;
    case Kw::Deff:
      defaultFont_ = param;
      return;
    default:
      break;
  }

  switch (st_.dest) {
    case Dest::FontTable:
      if (k.kw == Kw::Font) {
        finishFontEntry();
        fontNumber_ = param;
        return;
      }
      break;
    case Dest::ColorTable:
      if (k.kw == Kw::Red || k.kw == Kw::Green || k.kw == Kw::Blue) {
        const int v = std::clamp(param, 0, 255);
        (k.kw == Kw::Red ? red_ : k.kw == Kw::Green ? green_ : blue_) = v;
        colorGiven_ = true;
      }
      return;
    case Dest::Text:
      break;
    default:
      return;
  }

  switch (k.kw) {
    case Kw::Uc:
      st_.uc = std::clamp(param, 0, 255);
      return;
    case Kw::U: {
      // A 16-bit code unit, written signed above 32767. Out of range: the
      // stand-in characters that follow are shown instead.
      const int unit = param < 0 ? param + 0x10000 : param;
      if (!hasParam || unit < 0 || unit > 0xFFFF) return;
      character(char16_t(unit));
      fallbackLeft_ = st_.uc;
      return;
    }
    default:
      break;
  }
  if (st_.dest != Dest::Text) return;

  CharState& c = st_.chars;
  ParaState& pp = st_.para;
  switch (k.kw) {
    case Kw::Plain:
      c = CharState{};
      break;
    case Kw::Bold:
      c.bold = on;
      break;
    case Kw::Italic:
      c.italic = on;
      break;
    case Kw::Underline:
      c.underline = on;
      break;
    case Kw::UnderlineNone:
      c.underline = false;
      break;
    case Kw::Strike:
      c.strike = on;
      break;
    case Kw::Font:
      c.font = hasParam ? std::max(param, 0) : -1;
      break;
    case Kw::FontSize:
      c.halfPoints = hasParam && param > 0 ? std::min(param, 3276) : 24;
      break;
    case Kw::Color:
      c.color = hasParam ? param : -1;
      break;
    case Kw::Super:
      c.vertical = 1;
      break;
    case Kw::Sub:
      c.vertical = 2;
      break;
    case Kw::NoSuperSub:
      c.vertical = 0;
      break;
    case Kw::Pard:
      pp = ParaState{};
      break;
    case Kw::Par:
      paragraph();
      break;
    case Kw::Line:
      putChar(0x2028);
      break;
    case Kw::Tab:
      putChar(u'\t');
      break;
    case Kw::AlignLeft:
      pp.align = 0;
      break;
    case Kw::AlignCenter:
      pp.align = 1;
      break;
    case Kw::AlignRight:
      pp.align = 2;
      break;
    case Kw::AlignJustify:
      pp.align = 3;
      break;
    case Kw::LeftIndent:
      pp.left = std::clamp(param, -31680, 31680);
      break;
    case Kw::RightIndent:
      pp.right = std::clamp(param, -31680, 31680);
      break;
    case Kw::FirstIndent:
      pp.first = std::clamp(param, -31680, 31680);
      break;
    case Kw::Char:
      putChar(k.ch);
      break;
    default:
      break;
  }
}

void Reader::character(char16_t ch) {
  switch (st_.dest) {
    case Dest::Text:
      putChar(ch);
      break;
    case Dest::FontTable:
      if (ch == u';')
        finishFontEntry();
      else if (fontNumber_ >= 0 && fontName_.size() < 256 && !isDroppedChar(ch))
        fontName_.append(QChar(ch));
      break;
    case Dest::ColorTable:
      if (ch == u';') finishColorEntry();
      break;
    default:
      break;
  }
}

void Reader::finishFontEntry() {
  if (fontNumber_ >= 0) fonts_[fontNumber_] = fontName_.trimmed();
  fontNumber_ = -1;
  fontName_.clear();
}

void Reader::finishColorEntry() {
  colors_.push_back(colorGiven_ ? QColor(red_, green_, blue_) : QColor());
  red_ = green_ = blue_ = 0;
  colorGiven_ = false;
}

void Reader::putChar(char16_t ch) {
  if (isDroppedChar(ch)) return;
  if (pendingPar_) {
    cursor_.insertBlock();
    pendingPar_ = false;
  }
  if (!(st_.chars == runChars_)) {
    flushRun();
    runChars_ = st_.chars;
  }
  run_.append(QChar(ch));
  lastTextPara_ = st_.para;
}

void Reader::paragraph() {
  flushRun();
  if (pendingPar_) cursor_.insertBlock();
  cursor_.setBlockFormat(blockFormat(st_.para));
  pendingPar_ = true;
}

void Reader::flushRun() {
  if (run_.isEmpty()) return;
  // A surrogate without its partner is no character.
  for (qsizetype i = 0; i < run_.size(); ++i) {
    const QChar ch = run_.at(i);
    if (ch.isHighSurrogate() && i + 1 < run_.size() && run_.at(i + 1).isLowSurrogate())
      ++i;
    else if (ch.isSurrogate())
      run_[i] = QChar(QChar::ReplacementCharacter);
  }
  cursor_.insertText(run_, charFormat(runChars_));
  run_.clear();
}

QTextCharFormat Reader::charFormat(const CharState& c) const {
  QTextCharFormat f;
  const auto font = fonts_.find(c.font < 0 ? defaultFont_ : c.font);
  if (font != fonts_.end() && !font->second.isEmpty()) f.setFontFamilies(QStringList{font->second});
  f.setFontPointSize(c.halfPoints / 2.0);
  f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(c.italic);
  f.setFontUnderline(c.underline);
  f.setFontStrikeOut(c.strike);
  if (c.color >= 0 && std::size_t(c.color) < colors_.size() && colors_[std::size_t(c.color)].isValid())
    f.setForeground(colors_[std::size_t(c.color)]);
  if (c.vertical == 1) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (c.vertical == 2) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return f;
}

QTextBlockFormat Reader::blockFormat(const ParaState& p) {
  QTextBlockFormat b;
  static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
  b.setAlignment(kAlign[p.align]);
  b.setLeftMargin(p.left / kRtfTwipsPerUnit);
  b.setRightMargin(p.right / kRtfTwipsPerUnit);
  b.setTextIndent(p.first / kRtfTwipsPerUnit);
  return b;
}

// Bytes that are no rich text: shown as Windows-1252 text, one paragraph a line.
void readPlainText(QByteArrayView bytes, QTextDocument& document) {
  QString text = fromCp1252(std::string_view(bytes.data(), std::size_t(bytes.size())));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(u'\r', u'\n');
  text.removeIf([](QChar ch) { return ch != u'\n' && isDroppedChar(ch.unicode()); });
  QTextCursor(&document).insertText(text);
}

}  // namespace

RtfReadResult readRtf(QByteArrayView rtf, QTextDocument& document) {
  const bool undo = document.isUndoRedoEnabled();
  document.setUndoRedoEnabled(false);
  document.clear();
  // One edit block: the document lays its text out once at the end, not after
  // every run (a paragraph of many runs would cost their square).
  QTextCursor whole(&document);
  whole.beginEditBlock();
  RtfReadResult result = Reader(rtf, document).run();
  whole.endEditBlock();
  if (result == RtfReadResult::NotRtf) readPlainText(rtf, document);
  document.setUndoRedoEnabled(undo);
  return result;
}

}  // namespace tallix
