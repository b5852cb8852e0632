// The Save As file dialog (a CFileDialog with hide read-only and the
// overwrite prompt): asks where to write a file, and asks before an existing
// file is overwritten.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tallix {

struct SaveFileRequest {
  QWidget* parent = nullptr;
  QString initialDirectory;  // empty: the dialog's own choice
  QString fileName;          // the proposed name, possibly with a folder in front
  QString filter;            // the platform's "text|patterns||" form; empty: every file
};

// The path the user chose; false when the dialog was cancelled.
bool GetSaveFilePath(const SaveFileRequest& request, QString* chosen);

// Replaces the dialog (null: CFileDialog). Tests install one so that no
// dialog ever waits for a user. Returns the previous handler.
using SaveFileHandler = std::function<bool(const SaveFileRequest& request, QString* chosen)>;
SaveFileHandler SetSaveFileHandler(SaveFileHandler handler);

}  // namespace tallix
