// Builds a token list file from its text sources with the program's own
// readers and writers, and checks a built file against them.
//
//   make_token_lists build --out FILE --type TYPE --model MODEL --lng LNG
//                          --leads 127,247,249 --commands TXT [--commands TXT...]
//                          --tree TXT --charcnv LST --section NAME
//   make_token_lists check --out FILE ...the same sources...
//
// The sources are UTF-8 text in the command-list form (one file or several,
// read in order; a code may be named once) and the tree text form; lines
// starting with '#' and blank lines are comments, every other line must
// read. Every code a calculator can hold that no line names gets a
// placeholder, so that no byte of a program is left without a command.
#include "charset/CalcCharset.h"
#include "charset/Cp1252.h"
#include "classlib/ParseNumber.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/PrivateProfile.h"
#include "tokens/CommandTextForms.h"
#include "tokens/TokenListFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string mode, out, type, model, lng, tree, charcnv, section;
  std::vector<std::string> commands;
  std::vector<int> leads;
};

int errors = 0;

void fail(const std::string& text) {
  std::fprintf(stderr, "make_token_lists: %s\n", text.c_str());
  ++errors;
}

std::string hex2(int v) {
  char b[4];
  std::snprintf(b, sizeof b, "%02X", v);
  return b;
}

// The source's lines in Windows-1252 with their line numbers, comments left out.
std::vector<std::pair<int, std::string>> sourceLines(const std::string& path) {
  std::vector<std::pair<int, std::string>> lines;
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) {
    fail("cannot read " + path);
    return lines;
  }
  int number = 0;
  for (const QByteArray& raw : f.readAll().split('\n')) {
    ++number;
    const QString text = QString::fromUtf8(raw).trimmed();
    if (text.isEmpty() || text.startsWith(u'#')) continue;
    lines.emplace_back(number, tallix::toCp1252(text, '\x01'));
    if (lines.back().second.find('\x01') != std::string::npos)
      fail(path + ":" + std::to_string(number) + ": a character outside Windows-1252");
  }
  return lines;
}

// Characters are calculator character codes: a control code or a code that
// Windows-1252 leaves to control or typographic signs must have its own
// glyph in the calculator font. List texts and descriptions are plain text,
// so they keep away from the codes the calculator font draws differently.
void checkTexts(const std::string& where, const QXCOMMANDINFO& info) {
  std::set<int> redrawn;
  for (const CalcGlyph& g : CalcGlyphs()) redrawn.insert(g.code);
  for (const char* c = info.characters; *c; ++c) {
    const int code = static_cast<unsigned char>(*c);
    if ((code < 0x20 || (code >= 0x7F && code < 0xA0)) && !redrawn.count(code))
      fail(where + "character code " + hex2(code) + " has no glyph");
  }
  for (const char* text : {info.listText, info.description})
    for (const char* c = text; *c; ++c)
      if (redrawn.count(static_cast<unsigned char>(*c)))
        fail(where + "the list text or description uses the calculator character " + hex2(static_cast<unsigned char>(*c)));
}

CQXCommandTable tableFromSources(const Options& o) {
  CQXCommandTable table;
  std::set<int> seen;
  for (const std::string& path : o.commands) {
    for (const auto& [number, line] : sourceLines(path)) {
      const std::string where = path + ":" + std::to_string(number) + ": ";
      QXCOMMANDINFO info;
      if (!ParseCommandListLine(line.c_str(), &info)) {
        fail(where + "not a command line");
        continue;
      }
      if (!seen.insert(info.table << 8 | info.number).second) fail(where + "the code is named twice");
      if (!table.SetCommandInfo(&info)) fail(where + "refused by the command table");
      checkTexts(where, info);
    }
  }
  std::vector<int> blocks = {0};
  blocks.insert(blocks.end(), o.leads.begin(), o.leads.end());
  const std::set<int> leads(o.leads.begin(), o.leads.end());
  for (int t : blocks) {
    for (int n = 0; n <= 254; ++n) {
      if (t == 0 && leads.count(n)) continue;
      if (table.FindCommand(t, n)) continue;
      const std::string code = t ? hex2(t) + " " + hex2(n) : hex2(n);
      table.SetCommand(t, n, ("{" + code + "}").c_str(), code.c_str(), "Commande inconnue");
    }
  }
  return table;
}

CQXCommandTreeNodes treeFromSources(const Options& o, const CQXCommandTable& table) {
  std::vector<std::string> lines;
  CQXTreeTextLine parsed;
  for (const auto& [number, line] : sourceLines(o.tree)) {
    const std::string where = o.tree + ":" + std::to_string(number) + ": ";
    if (!ParseTreeTextLine(line.c_str(), &parsed)) {
      fail(where + "not a tree line");
      continue;
    }
    if (parsed.command && !table.FindCommand(CommandValueTable(parsed.value), CommandValueNumber(parsed.value)))
      fail(where + "names a command the table lacks");
    lines.push_back(line);
  }
  CQXCommandTreeNodes nodes;
  ReadTreeText(lines, &nodes);
  AlignTreeWithTable(&nodes, table);
  return nodes;
}

bool sameTables(const CQXCommandTable& a, const CQXCommandTable& b) {
  QXCOMMANDINFO x, y;
  DWORD p = 0, q = 0;
  BOOL moreA = a.GetFirstCommand(&p), moreB = b.GetFirstCommand(&q);
  for (; moreA && moreB; moreA = a.GetNextCommand(&p), moreB = b.GetNextCommand(&q)) {
    a.GetCommandInfo(p, &x);
    b.GetCommandInfo(q, &y);
    if (x.table != y.table || x.number != y.number || std::string(x.characters) != y.characters ||
        std::string(x.listText) != y.listText || std::string(x.description) != y.description)
      return false;
  }
  return !moreA && !moreB;
}

// The checks every shipped file passes.
void checkFile(const Options& o, const CQXCommandTable& expected, const CQXCommandTreeNodes& expectedTree) {
  CQXCommandTable table;
  CQXCommandTreeNodes tree;
  if (!ReadCommandTable(o.out.c_str(), &table) || !ReadCommandTree(o.out.c_str(), &tree)) {
    fail(o.out + ": cannot be read back");
    return;
  }
  if (!sameTables(table, expected)) fail(o.out + ": the commands differ from the sources");
  if (tree != expectedTree) fail(o.out + ": the command tree differs from the sources");

  std::set<int> leads(o.leads.begin(), o.leads.end());
  for (int t = 1; t < 256; ++t)
    if (table.FindBlock(t, nullptr)) leads.insert(t);
  // Lead bytes the character conversion types into.
  const tallix::IniSnapshot charcnv(o.charcnv);  // read once for all its questions
  for (int c = 0; c < 255 && !o.charcnv.empty(); ++c) {
    const int ch = int(charcnv.readInt(o.section, std::to_string(c) + " Char", -1));
    if (ch < 0 || ch > 255) continue;
    int t = int(charcnv.readInt(o.section, std::to_string(c) + " Table", 0));
    if (t < 0 || t > 255) t = 0;
    if (t) leads.insert(t);
    if (!table.FindCommand(t, ch)) fail("character " + std::to_string(c) + " is typed as a code without command");
    if (t == 0 && leads.count(ch)) fail("character " + std::to_string(c) + " is typed as a lead byte");
  }
  // A typed character without an entry goes in as its own code; DEL (127)
  // is no typed character.
  for (int t : leads) {
    const bool typeable = t >= 32 && t != 127;
    if (typeable && !o.charcnv.empty() &&
        int(charcnv.readInt(o.section, std::to_string(t) + " Char", -1)) < 0)
      fail("character " + std::to_string(t) + " would be typed as a lead byte");
  }
  for (int t : leads) {
    const CQXCommandTable::Block* block = nullptr;
    if (!table.FindBlock(t, &block) || block->used == 0) fail("lead byte " + hex2(t) + " has no block");
    if (table.FindCommand(0, t)) fail("one-byte command " + hex2(t) + " is a lead byte");
  }
  for (int t = 0; t < 256; ++t) {
    if (table.FindCommand(t, 255)) fail("number byte 255 in table " + hex2(t));
    if (t != 0 && !leads.count(t)) continue;
    for (int n = 0; n <= 254; ++n)
      if (!(t == 0 && leads.count(n)) && !table.FindCommand(t, n)) fail("code " + hex2(t) + " " + hex2(n) + " has no command");
  }
  if (!table.FindCommand(0, 0x0D) || !table.FindCommand(0, 0x0C)) fail("a line-break command is missing");
  for (const CQXCommandTreeNode& node : tree)
    if (!node.folder && !table.FindCommand(CommandValueTable(node.value), CommandValueNumber(node.value)))
      fail("the tree names a missing command: " + node.label);
}

bool parseOptions(int argc, char** argv, Options* o) {
  if (argc < 2) return false;
  o->mode = argv[1];
  std::map<std::string, std::string*> named = {{"--out", &o->out},     {"--type", &o->type},
                                               {"--model", &o->model}, {"--lng", &o->lng},
                                               {"--tree", &o->tree},   {"--charcnv", &o->charcnv},
                                               {"--section", &o->section}};
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--leads") {
      for (const QString& part : QString::fromUtf8(argv[i + 1]).split(u',', Qt::SkipEmptyParts)) {
        int v = 0;
        if (!ParseNumber(part.toUtf8().constData(), &v) || v < 1 || v > 255) return false;
        o->leads.push_back(v);
      }
    } else if (key == "--commands") {
      o->commands.push_back(argv[i + 1]);
    } else if (named.count(key)) {
      *named[key] = argv[i + 1];
    } else {
      return false;
    }
  }
  return (o->mode == "build" || o->mode == "check") && !o->out.empty() && !o->commands.empty() && !o->tree.empty();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options o;
  if (!parseOptions(argc, argv, &o)) {
    std::fprintf(stderr, "usage: make_token_lists build|check --out FILE --type T --model M --lng LNG "
                         "--leads L,L --commands TXT [--commands TXT...] --tree TXT --charcnv LST --section NAME\n");
    return 2;
  }
  SetMessageBoxHandler([](const MessageBoxRequest& r) {
    fail(r.text.toStdString());
    return IDOK;
  });
  const CQXCommandTable table = tableFromSources(o);
  const CQXCommandTreeNodes tree = treeFromSources(o, table);
  if (errors) return 1;
  if (o.mode == "build") {
    if (!o.lng.empty() && !CLanguageLibrary::Load(QString::fromStdString(o.lng))) fail("cannot load " + o.lng);
    QFile::remove(QString::fromStdString(o.out));
    if (errors || !WriteTokenListFileWithTree(o.out.c_str(), table, o.type.c_str(), o.model.c_str(), tree)) return 1;
  }
  checkFile(o, table, tree);
  if (errors && o.mode == "build") QFile::remove(QString::fromStdString(o.out));
  CLanguageLibrary::Unload();
  return errors ? 1 : 0;
}
