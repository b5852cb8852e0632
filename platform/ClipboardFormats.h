// Clipboard formats: the platform's numbered formats, as the clipboard and
// drag-and-drop stand-ins (COleDataObject, COleDataSource) carry them in Qt's
// MIME data.
//
// - CF_TEXT is 8-bit text ending with a NUL; it travels as the MIME data's
//   plain text, converted from and to Windows-1252, its lines ending with LF
//   there (textForOtherPrograms) whatever ends them in the bytes.
// - CF_UNICODETEXT is UTF-16 text (little-endian code units) ending with a
//   NUL unit; it travels as the same plain text, which it gives when a source
//   offers both. Any plain text offers both formats.
// - A format registered by name gets a number from 0xC000 on (the same
//   number for the same name, compared without regard to ASCII case, for the
//   whole run) and travels under the MIME type
//   application/x-qt-windows-mime;value="<name>", which Qt maps to the
//   platform's own registered format on Windows.
#pragma once

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

using CLIPFORMAT = unsigned short;

enum : CLIPFORMAT { CF_TEXT = 1, CF_UNICODETEXT = 13 };

// The number of the format `name`; 0 for a null or empty name.
UINT RegisterClipboardFormat(const char* name);

namespace tallix {

// Plain text as other programs take it: every line ending (CR LF, or CR
// alone) an LF. Text that the program gives out goes through here; the
// clipboard formats keep their own line ends in their bytes, and text taken
// in may end its lines with CR, LF or CR LF.
QString textForOtherPrograms(QString text);

// CF_UNICODETEXT's bytes for `text`, and the text of such bytes (up to the
// first NUL unit; an odd last byte is no unit).
QByteArray unicodeTextData(const QString& text);
QString textOfUnicodeData(const QByteArray& data);

// The name a format was registered with; empty for CF_TEXT and unknown numbers.
QString clipboardFormatName(CLIPFORMAT format);
// The MIME type a registered format travels under; empty for CF_TEXT and
// unknown numbers.
QString clipboardFormatMimeType(CLIPFORMAT format);

}  // namespace tallix
