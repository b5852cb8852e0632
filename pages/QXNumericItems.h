// What the six numeric pages (matrix, list, zoom factor, table range,
// variables, V-Window) do with their items, apart from the page windows:
// the table's settings for each page, the defaults that an empty item
// shows, loading an entry's item of either family into the table and
// storing the table back, by the item's type.
#pragma once

#include "pages/QXGridTable.h"

class CQXDocEntry;

enum class QXNumericPage { kMatrix, kList, kGraphFactor, kTableRange, kVariable, kVWin };

// Rows and columns editable, limit ("Settings"/"Max Columns Rows" for the
// matrix and list), row header format, unit positions; complex numbers for
// the variables. The matrix and the newer list set complex numbers
// themselves when they load a newer item.
void SetupNumericTable(CQXGridTable& table, QXNumericPage page);

// The text row `row` (from 1) of an empty item shows; FALSE, the buffer
// unchanged, when the page has none there or it does not fit. The V-Window
// knows its defaults only for the types 4006 and 5006 and writes them with
// the user's decimal separator.
BOOL GetNumericDefaultText(QXNumericPage page, int itemType, int row, char* buffer, UINT size);

enum QXNumericLoad : int {
  kNumericLoadForeign = 0,  // another type: nothing loaded
  kNumericLoaded = 1,       // the item's values, unmodified
  kNumericLoadedNew = 2,    // defaults or a new table, modified
  kNumericLoadNoItem = 3,   // an entry without an item
};
// Loads the entry's item into the table and lays the grid out for the
// page (header names, column widths, the list number), setting the
// modified state the page has after the load. An entry without an item
// gives the matrix and the list a new 1 x 1 table, the other pages no rows.
// `itemType` (may be null) receives the item's type before its values are
// read, so that the defaults can depend on it.
QXNumericLoad LoadNumericItem(CQXGridTable& table, QXNumericPage page, const CQXDocEntry* entry,
                              int* itemType = nullptr);

enum QXNumericStore : int {
  kNumericStoreRefused = 0,  // the table reported why (a bad number, a table too large)
  kNumericStored = 1,
  kNumericStoreForeign = 2,  // no item, or another type: nothing stored
};
QXNumericStore StoreNumericItem(CQXGridTable& table, QXNumericPage page, CQXDocEntry* entry);
