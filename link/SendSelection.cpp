#include "link/SendSelection.h"

#include "services/DocServices.h"
#include "link/SendSelectionDialog.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

namespace {

// The program's own question: the send selection dialog on the main window.
BOOL defaultQuery(std::vector<std::string>* names) {
  CQXSendSelectionDialog dialog(names, AfxGetMainWnd());
  return dialog.DoModal() == IDOK;
}

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
