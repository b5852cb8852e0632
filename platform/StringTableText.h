// The text form of string tables in resource files: one "id<TAB>text" line
// per string, UTF-8, with the escapes "\n", "\t" and "\\"; blank lines and
// lines that begin with '#' are skipped. Header-only, so that the download
// library can read its own satellite without the rest of the platform layer.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <map>

namespace tallix {

inline QString unescapeResourceText(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\' && i + 1 < text.size()) {
      const QChar n = text[++i];
      if (n == u'n') out.append(u'\n');
      else if (n == u't') out.append(u'\t');
      else if (n == u'\\') out.append(u'\\');
      else { out.append(c); out.append(n); }
    } else {
      out.append(c);
    }
  }
  return out;
}

// `text` with "%1" and "%2" filled in one pass (a "%2" inside the first
// argument stays as it is).
inline QString fillPlaceholders(const QString& text, const QString& arg1, const QString& arg2) {
  QString out;
  out.reserve(text.size() + arg1.size() + arg2.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u'1' || text[i + 1] == u'2')) {
      out.append(text[i + 1] == u'1' ? arg1 : arg2);
      ++i;
    } else {
      out.append(text[i]);
    }
  }
  return out;
}

// Adds the strings of one table file to `out` (a later line wins).
inline void parseStringTable(const QByteArray& utf8, std::map<unsigned, QString>& out) {
  const QString text = QString::fromUtf8(utf8);
  for (QStringView line : QStringView(text).split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    const qsizetype tab = line.indexOf(u'\t');
    if (tab <= 0) continue;
    bool ok = false;
    const unsigned id = line.left(tab).toUInt(&ok);
    if (ok) out[id] = unescapeResourceText(line.mid(tab + 1));
  }
}

}  // namespace tallix
