// Program transfer files (".cas", ".pg"): a program as the older calculator
// family sends it over the link, three blocks of 50, N + 2 and 50 bytes:
//   ':' + the 48-byte "TXT" "PG" header (byte 4 written as 0) + checksum of
//        its 48 bytes;
//   ':' + the program's calculator bytes and its end byte 0xFF (N bytes,
//        header bytes 7-10 give N + 2) + checksum of those N bytes;
//   ':' "END", 0xFF up to byte 48, checksum of bytes 1-48.
// Checksums are the link's (0 minus the sum, modulo 256). Nothing comes
// before, between or after the blocks; a reader stops after the data block.
#pragma once

#include "platform/WinTypes.h"

#include <QByteArray>

class CQXProgramItem;

inline constexpr int kProgramFileBlockSize = 50;
// A file larger than this is not a program file: it is refused unread.
inline constexpr qint64 kMaxProgramFileSize = 16 * 1024 * 1024;

// The file's bytes for `item`; FALSE when the item cannot build its header.
BOOL BuildProgramFile(CQXProgramItem& item, QByteArray* out);

// Takes name, password and mode from the header block and the data block's
// bytes (end byte included) into `item`, a fresh item. Mode bytes other than
// "BN" are read as "NL". FALSE for a file that is not a whole program
// transfer: a short or bad header, a wrong checksum, a data length below 2
// or beyond the file's end; `item` may then be partly filled.
BOOL ParseProgramFile(const QByteArray& bytes, CQXProgramItem* item);

// The files themselves. Each failure shows its message (exclamation icon)
// and answers FALSE: 10570 the file cannot be created, 10571 writing failed
// (the file there before is kept whole), 61697 the file cannot be opened,
// 10572 it is not a program file (also one above kMaxProgramFileSize, which
// is not read further, and anything but a regular file, which is not
// opened), 61706 memory ran out.
BOOL WriteProgramFile(const char* path, CQXProgramItem& item);
// `text` (the program as UTF-8 text) as the whole file, without terminator.
BOOL WriteProgramText(const char* path, const QByteArray& text);
// Fills `item`, a fresh item, from the file.
BOOL ReadProgramFile(const char* path, CQXProgramItem* item);
