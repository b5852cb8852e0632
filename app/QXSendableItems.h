// The items the send commands offer: paths and display names of the items
// and list files of a document's item store that hold data, in the order the
// send-selection dialog lists them; and the two store walks the document's
// item operations share with them.
#pragma once

#include "datamodel/OrvoItemStore.h"

#include <string>
#include <vector>

// Appends to the two parallel arrays; FALSE when the store has no
// \Calculator. In this order: \Calculator\Y=Data, Program, Matrix and List
// walked; the list files File1 to File6 that hold data, each as one folder
// entry "Fichier de listage <n>"; VWin walked; the first of the
// simultaneous and the polynomial equation that has data, as "Equations";
// the differential equation; Picture and Memory walked; Variable, FMem and
// FMemV5. A walk takes the children in store order and enters subfolders
// other than "Display" and "Y=Data"; an item is named by its description,
// a program as 'Programme "<description>"'.
BOOL CollectSendableItems(COrvoItemStore* store, std::vector<std::string>* paths, std::vector<std::string>* texts);

// Whether the item at `path` has a data stream of non-zero length.
BOOL ItemHasData(COrvoItemStore* store, const std::string& path);

// The children of `folder` in store order (their `path` the node name);
// none when the store or the folder is missing or the folder is empty.
std::vector<OrvoNodeInfo> ChildNodes(COrvoItemStore* store, const char* folder);
