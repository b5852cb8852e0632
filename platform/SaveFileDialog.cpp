#include "platform/SaveFileDialog.h"

#include "platform/FileDialog.h"

namespace tallix {
namespace {

SaveFileHandler& handler() {
  static SaveFileHandler h;
  return h;
}

}  // namespace

bool GetSaveFilePath(const SaveFileRequest& request, QString* chosen) {
  if (handler()) return handler()(request, chosen);
  CFileDialog dialog(FALSE, {}, request.fileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, request.filter,
                     request.parent);
  dialog.SetInitialDirectory(request.initialDirectory);
  if (dialog.DoModal() != IDOK) return false;
  *chosen = dialog.GetPathName();
  return true;
}

SaveFileHandler SetSaveFileHandler(SaveFileHandler h) {
  SaveFileHandler previous = std::move(handler());
  handler() = std::move(h);
  return previous;
}

}  // namespace tallix
