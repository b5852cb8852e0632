// The token list file of a calculator model: a compound file of the item
// store holding
//   "\Token\Token Table Info"  136 bytes identifying the writer (1, 1, 10, 0,
//                              the calculator type in 64 bytes, 52 and the
//                              program's 52-byte version record)
//   "\Token\Table"             a 1024-byte header (1024, 1, 0, zeros), one
//                              record per command in enumeration order
//                              (number, table, then length and bytes of the
//                              characters, list text and description), and
//                              the end record (-1, -1, 0, 0, 0)
//   "\Token\Command Tree"      the command tree below its root item
// and the summary information at its root. All integers 32-bit
// little-endian; texts without NUL.
//
// Every writer builds a whole new file beside the target and renames it
// over the target only when everything is written, so a failure leaves the
// previous file as it was.
#pragma once

#include "tokens/CommandTree.h"
#include "tokens/QXCommandTable.h"

#include <cstdint>
#include <string>

class COrvoArchive;

inline constexpr DWORD kTokenTableHeaderSize = 1024;
// The largest token list file the document reads (its bytes are held to see
// whether the file changed).
inline constexpr std::uint64_t kMaxTokenListFileSize = std::uint64_t(16) << 20;
inline constexpr DWORD kTokenTableInfoSize = 136;

// One command record. The reader clears the record first; it throws
// COrvoArchiveException code 7 for a length above its field (256, 64, 1024)
// and code 11 when the stream ends early.
void WriteTokenRecord(COrvoArchive& ar, const QXCOMMANDINFO& info);
void ReadTokenRecord(COrvoArchive& ar, QXCOMMANDINFO* info);
// The whole "Table" stream: header, records, end record.
void WriteCommandTableRecords(COrvoArchive& ar, const CQXCommandTable& table);
// Reads the "Table" stream into `table`; records whose bytes lie outside the
// table's range are skipped. Throws as ReadTokenRecord does.
void ReadCommandTableRecords(COrvoArchive& ar, CQXCommandTable* table);
// The 136-byte "Token Table Info" record.
void WriteTokenTableInfo(COrvoArchive& ar, const char* calcType);

// Writes the table and the calculator type, keeping the command tree of the
// file it replaces. Messages 61706 (memory) and 61734 (any write failure,
// with the path); 1 on success.
BOOL WriteTokenListFile(const char* path, const CQXCommandTable& table, const char* calcType, const char* modelName);
// The same with a new command tree, in one write.
BOOL WriteTokenListFileWithTree(const char* path, const CQXCommandTable& table, const char* calcType,
                                const char* modelName, const CQXCommandTreeNodes& tree);
// Replaces the command tree of an existing file; its other contents stay.
BOOL WriteCommandTree(const char* path, const CQXCommandTreeNodes& tree);

// Adds the file's commands to `table`. 0, `table` unchanged and no message,
// when the file or its "Table" stream cannot be opened, a record is damaged
// or the stream ends before its end record, or memory runs out.
BOOL ReadCommandTable(const char* path, CQXCommandTable* table);
// Reads the command tree. 0 with message 61733 (with the path) when the
// file or the stream cannot be opened or the stream ends early, 61706 when
// memory runs out; `tree` is then left as it was. An overlong label ends
// the load with the nodes read so far and no message (result 1).
BOOL ReadCommandTree(const char* path, CQXCommandTreeNodes* tree);

// The token list file of a model: the user's edited copy in the data folder
// when there is one, else the program directory's; and where an edited
// copy is written. Empty when the model list names a file outside them.
std::string TokenListReadPath(const char* model);
std::string TokenListWritePath(const char* model);
