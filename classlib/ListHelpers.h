// Helpers for the program's multi-column lists and list boxes.
//
// The lists are QTreeView / QTreeWidget in the role of a report-style list
// control. Their column widths are kept in the profile as one text of pixel
// widths, each written "%d " (100 and 200 are stored as "100 200 ").
#pragma once

#include "platform/WinTypes.h"

class QFont;
class QListWidget;
class QTreeView;

struct ListColumnSetup {
  int count = 0;                        // number of columns
  const UINT* captionIds = nullptr;     // string ids of the captions, `count` entries
  const int* defaultWidths = nullptr;   // in widths of the digit "0" of the list's font
  const char* section = nullptr;        // where the widths are kept
  const char* key = nullptr;
};

// Gives the list `count` left-aligned columns captioned from the language
// library, with the stored widths when the stored text holds at least
// `count` valid widths (extra ones are ignored), else with the default
// width of every column; stored and default widths are never mixed. A
// stored text longer than 511 characters, a negative width, or more than
// 128 columns also give the defaults. A QTreeWidget gets its header labels;
// another view labels the columns of its model. The last column does not
// stretch, so that every width is kept as set. FALSE only for a null list
// or setup.
BOOL InitListColumns(QTreeView* list, const ListColumnSetup* setup);

// Stores the current width of every column of the setup.
BOOL SaveListColumnWidths(QTreeView* list, const ListColumnSetup* setup);

// Lets the list box scroll horizontally far enough to show its widest item
// measured in `font`: every item is made as wide as that text plus the
// item height. FALSE for a null box or font.
BOOL SetListBoxExtent(QListWidget* box, const QFont* font);
