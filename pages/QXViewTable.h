// Which page view the right pane shows for a tree selection: folders the
// icon view, items the view of their kind (the kind-to-view table), items
// of kinds without a view of their own the default view, and a selection
// without an item the empty view.
//
// The table names the view classes; each page issue registers its view
// class by name (RegisterRuntimeClass), and a row whose class is not
// registered gives the default view.
#pragma once

#include "platform/RuntimeClass.h"
#include "platform/WinTypes.h"

struct TreeSelectionInfo;

struct QXViewTableRow {
  int typeId;
  const char* viewClass;
};

// The rows in their order, ended by {0, null}.
const QXViewTableRow* GetViewTable();
// The registered view class of the first row with that type id; null for
// no row or a class not registered.
const CRuntimeClass* SelectDataViewClass(int typeId);
// The view class for the item selected in the tree: the empty view without
// an item, the default view for a kind without a view.
const CRuntimeClass* GetSelectedItemViewClass();
// Has the main frame show the view for `selection` (activated 100 ms later
// when asked); TRUE when the view exists and its Refill agreed.
BOOL ShowSelectionView(const TreeSelectionInfo& selection, BOOL activate);

// Registers the page views and pages of this folder by class name and the
// description page's rich-text control for its dialog.
void RegisterQXPageClasses();
