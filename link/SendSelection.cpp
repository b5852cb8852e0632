#include "link/SendSelection.h"

#include "app/DocServices.h"
#include "platform/MessageBox.h"

namespace {

// The program's own dialog. The send selection dialog is not part of the
// program yet; until it is, nothing is chosen and nothing is sent.
BOOL defaultQuery(std::vector<std::string>*) { return FALSE; }

SendSelectionQuery& installed() {
  static SendSelectionQuery query;
  return query;
}

}  // namespace

BOOL AskItemsToSend(std::vector<std::string>* names) {
  const SendSelectionQuery& query = installed();
  return query ? query(names) : defaultQuery(names);
}

SendSelectionQuery SetSendSelectionQuery(SendSelectionQuery query) {
  SendSelectionQuery previous = std::move(installed());
  installed() = std::move(query);
  return previous;
}

BOOL ChooseItemsToSend(CQXDocServices* doc, std::vector<std::string>* paths) {
  paths->clear();
  std::vector<std::string> found;
  std::vector<std::string> names;
  if (!doc || !doc->CollectSendableItems(&found, &names)) {
    AfxMessageBox(61706, MB_ICONEXCLAMATION);
    return FALSE;
  }
  names.resize(found.size());
  if (!AskItemsToSend(&names)) return FALSE;
  for (size_t i = 0; i < found.size(); ++i)
    if (!names[i].empty() && !found[i].empty()) paths->push_back(found[i]);
  return TRUE;
}
