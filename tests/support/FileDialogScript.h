// Answers the file dialogs that the code under test runs (CFileDialog): each
// dialog, once shown, gets the next action of the script; a dialog the action
// leaves open, or one shown after the script ran out, is cancelled. Installed
// for a scope. The helpers drive the dialog's own widgets.
#pragma once

#include "platform/FileDialog.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

namespace tallix::test {

class FileDialogScript {
 public:
  using Action = std::function<void(CFileDialog& dialog)>;
  FileDialogScript();
  ~FileDialogScript();
  FileDialogScript(const FileDialogScript&) = delete;
  FileDialogScript& operator=(const FileDialogScript&) = delete;

  std::deque<Action> actions;
  int shown = 0;  // dialogs run so far
};

// Puts `path` into the file name field and presses the accept button.
void chooseFile(CFileDialog& dialog, const QString& path);
void pressAccept(CFileDialog& dialog);
// The names the file list shows, once the folder has been read.
QStringList listedFiles(CFileDialog& dialog);
// Clicks the file of that name in the list; false when it is not listed.
bool clickListedFile(CFileDialog& dialog, const QString& name);

}  // namespace tallix::test
