// The first step of a send, for both calculator families: the document's
// sendable items and the send selection dialog, in which the user checks
// the items to send. The dialog sits behind one replaceable function, so
// that the send commands can be driven without a window.
#pragma once

#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

class CQXDocServices;

// Shows `names`; TRUE on OK, with the names of the items left unchecked
// emptied.
using SendSelectionQuery = std::function<BOOL(std::vector<std::string>* names)>;

// Asks through the installed query.
BOOL AskItemsToSend(std::vector<std::string>* names);
// Installs `query` (empty: the program's own dialog) and returns the one
// before.
SendSelectionQuery SetSendSelectionQuery(SendSelectionQuery query);

// The paths of the items the user chose, in the document's order. FALSE
// when nothing is to be sent: the document could not list its items
// (message 61706) or the user did not confirm (no message).
BOOL ChooseItemsToSend(CQXDocServices* doc, std::vector<std::string>* paths);
