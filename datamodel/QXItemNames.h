// Small text helpers the items share: copying a name into a caller's buffer,
// the parts of an item path, the fixed-length name fields of stored records,
// and the row / column detail texts.
#pragma once

#include "datamodel/QXCalcItem.h"

#include <string>

// Copies `text` and its zero into `buffer`; FALSE (buffer untouched) when it
// does not fit `size` bytes.
BOOL CopyTextOut(const std::string& text, char* buffer, UINT size);

// The last name of an item path ("\A\B\C" gives "C"); `parent`, when given,
// receives the name before it ("B", empty when there is none).
std::string ItemPathLeaf(const char* path, std::string* parent = nullptr);

// TRUE when `text` is 1 to `maxDigits` decimal digits.
bool IsDigits(const std::string& text, size_t maxDigits);

// A name field of a stored record: dword `size` (read, not checked), then
// `size` bytes holding a zero-terminated name. A field without a zero is
// damaged (code 7). `name` receives the text before the zero.
void LoadNameField(COrvoArchive& ar, DWORD size, std::string* name);
// Writes dword `size` and the name padded with zeros to `size` bytes (a name
// is cut to size - 1 characters).
void StoreNameField(COrvoArchive& ar, DWORD size, const std::string& name);

// TRUE when the request asks for the detail text and has a buffer.
bool WantsDetail(const CQXDetailTextRecord* record);
// "<rows> * <columns> (Lignes, Colonnes)" and "<rows> (Lignes)", written
// when the request asks for them.
BOOL RowsColumnsDetail(CQXDetailTextRecord* record, DWORD rows, DWORD columns);
BOOL RowsDetail(CQXDetailTextRecord* record, DWORD rows);
