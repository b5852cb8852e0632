// What the two E-CON pages share: the names of the data-logger records,
// their text fields, and the sorted "Configuration" combo boxes whose
// entries carry a record number as their item data.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class CQXDataLoggerItem;
class CQXRawBlock;
class QComboBox;

// "cda_mem" for set-up 0, "10%02d" for set-ups 1-99, "20%02d" for probes.
std::string EconSetupRecordName(int number);
std::string EconProbeRecordName(int number);
// The number 1-99 of a record named `prefix` and two digits, else 0.
int EconRecordNumber(const CQXRawBlock* record, const char* prefix);

// The text of a field: at most `maxLength` bytes, ending at the first NUL.
std::string ReadEconText(const CQXRawBlock* record, int field, size_t maxLength);
// `text` (cut to `width` bytes) and NULs over the first `width` bytes of the
// field; the field's bytes beyond them stay. A text that fills the width,
// as the calculator may send one, goes back whole, without a NUL: readers
// stop at the width.
BOOL WriteEconText(CQXRawBlock* record, int field, const std::string& text, size_t width);

// Inserts `text` (Windows-1252) at its place in text order (the locale's
// comparison); its index.
int InsertSortedEntry(QComboBox* combo, const std::string& text, int data);
int FindEntryByData(const QComboBox* combo, int data);
// The entry of `data` becomes `text` (added when there is none) and is
// selected.
void ReplaceSortedEntry(QComboBox* combo, const std::string& text, int data);
// The selected entry's item data; FALSE when none is selected.
BOOL GetSelectedEntryData(const QComboBox* combo, int* data);

// "%02d: %s" and its relatives, on Windows-1252 text.
std::string FormatEconEntry(const char* format, int number, const std::string& text);
