// Backup files: a whole-memory backup received from a calculator is kept as a
// ".qxm" file, a compound file in the item store's layout holding
//   \Backup                  folder
//   \Backup\Backup Data      one document entry with its backup item (4018
//                            older family, 5018 newer family)
//   \Backup\Backup Info      136 bytes, written once (BuildBackupInfo)
// and a summary-information set whose comments are the backup's description.
// Backups of the older 16-bit version (".qxb") are read through the old-data
// library (link/OldBackupLibrary.h).
//
// No function throws; each shows its own message on failure.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

#include <string>

class CQXDocEntry;
class CQXDocServices;
class QWidget;

inline constexpr char kBackupFolder[] = "\\Backup";
inline constexpr char kBackupDataPath[] = "\\Backup\\Backup Data";
inline constexpr char kBackupInfoPath[] = "\\Backup\\Backup Info";
inline constexpr UINT kBackupInfoSize = 136;

// Asks for a file name and a description and writes the backup held by
// `entry` (which stays the caller's). A file that cannot be written shows
// 61734 and offers the dialog again; FALSE only when the user cancels.
BOOL SaveBackupFile(CQXDocServices* doc, CQXDocEntry* entry, QWidget* parent = nullptr);
// Asks for a backup file (".qxm", or an older ".qxb") and loads its entry;
// TRUE with a new entry in `out`, which the caller owns.
BOOL LoadBackupFile(CQXDocEntry** out, QWidget* parent = nullptr);
// Loads an older backup file through the old-data library; TRUE with a new
// entry in `out`. Failures show a message chosen by the library's code.
BOOL LoadOldBackupFile(const char* path, CQXDocEntry** out);
// Asks for a backup file and a new description and writes it into the file's
// summary information; nothing else of the file changes.
BOOL EditBackupDescription(QWidget* parent = nullptr);

// The steps behind the dialogs. Paths are 8-bit file names.
//
// Writes the backup file: into a new file beside `path`, renamed over it
// once complete, so that a failure leaves an existing file as it was. No
// message.
BOOL WriteBackupFile(const char* path, CQXDocServices* doc, CQXDocEntry* entry, const std::string& description);
// Loads the entry of a ".qxm" file, or of an older backup file when the file
// is not a compound file; messages as LoadBackupFile.
BOOL ReadBackupFile(const char* path, CQXDocEntry** out);
// Replaces the description of a backup file. No message.
BOOL WriteBackupDescription(const char* path, const std::string& description);
// The description (summary comments, Windows-1252) of a backup file, opened
// read-only; FALSE when the file cannot be opened or has no summary.
BOOL ReadBackupDescription(const char* path, std::string* out);

// "\Backup\Backup Info": dwords 1, 1, 10, 0; the calculator type in 64 bytes
// (NUL-terminated, zero-filled); dword 52; the program's 52-byte version
// record. Little-endian.
void BuildBackupInfo(const std::string& calculatorType, const BYTE version[52], BYTE out[kBackupInfoSize]);

// The default extension a backup dialog takes from its filter: the three
// characters after the first '.' of the second "|" field.
QString DefaultExtensionFromFilter(const QString& filter);
