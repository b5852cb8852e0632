// Rich text (RTF) in and out of a QTextDocument, and on the clipboard.
//
// Qt reads and writes HTML and Markdown but not RTF, which is what the
// descriptions of document entries are stored in. The reader takes what a
// rich-edit control, a word processor or a converter writes: groups, control
// words, \'hh and \uN characters, the font and colour tables, character
// formats (\plain \b \i \ul \strike \f \fs \cf \super \sub) and paragraphs
// (\pard \par \line \tab, alignment, indents); a field shows its result and
// the other destinations (pictures, objects, style sheets, document
// information, ...) are skipped. The bytes come from files and the clipboard,
// so the reader never trusts them: nesting is bounded, numbers and \binN are
// bounded by the bytes left, nothing is read past the end, and whatever could
// be read is shown.
//
// The writer gives 7-bit RTF 1.x as a rich-edit control writes it:
// \ansi\ansicpg1252\deff0, a font table, a colour table when a colour is used,
// \viewkind4\uc1, bytes of Windows-1252 as \'hh and other characters as \uN?.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QMimeData;
class QTextCursor;
class QTextDocument;

namespace tallix {

// Twips per QTextDocument unit (pixels at 96 dots per inch): the scale of
// indents, and of tab stops a caller sets in twips.
inline constexpr double kRtfTwipsPerUnit = 15.0;

enum class RtfReadResult {
  Complete,  // read to the closing brace of the outermost group
  Damaged,   // cut short or malformed: what could be read is in the document
  NotRtf,    // no "{\rtf" at the start: the bytes were taken as Windows-1252 text
};

// Replaces the contents of `document` by the rich text `rtf`. The document's
// undo history is emptied.
RtfReadResult readRtf(QByteArrayView rtf, QTextDocument& document);

// The whole document, or the selection of a cursor, as rich text. Text
// without a font of its own is written in the document's default font.
QByteArray writeRtf(const QTextDocument& document);
QByteArray writeRtf(const QTextCursor& selection);

// The clipboard's MIME type for rich text, and the name of the format the
// platform's rich-edit controls register (it travels as a named format, see
// platform/ClipboardFormats.h).
inline constexpr char kRtfMimeType[] = "text/rtf";
inline constexpr char kRtfFormatName[] = "Rich Text Format";

// Copy: adds the cursor's selection as rich text, under both names, to MIME
// data that already holds Qt's own formats (a text edit's
// createMimeDataFromSelection).
void addRtfToMimeData(QMimeData& data, const QTextCursor& selection);
// Paste: whether `data` offers rich text, and inserting it at the cursor in
// place of its selection ("text/rtf" first, then the named format).
// insertRtfFromMimeData returns false, inserting nothing, when there is no
// rich text; the caller then takes Qt's formats.
bool canInsertRtf(const QMimeData& data);
bool insertRtfFromMimeData(const QMimeData& data, QTextCursor& cursor);

}  // namespace tallix
