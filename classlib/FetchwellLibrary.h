// The outside download library and what the program does with an address:
// binding libFetchwell.so, asking what kind of address a text is,
// downloading an HTTP file to a place the user chooses, and opening
// addresses and files with the shell.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class QLibrary;
class QWidget;

// The library's file name in the program directory.
extern const char kFetchwellLibraryName[];

class CFetchwellLibrary {
 public:
  CFetchwellLibrary() = default;
  ~CFetchwellLibrary();
  CFetchwellLibrary(const CFetchwellLibrary&) = delete;
  CFetchwellLibrary& operator=(const CFetchwellLibrary&) = delete;

  // Loads the library from the program directory (only there) when not yet
  // loaded, and looks up both functions; FALSE when either is missing.
  BOOL Bind();
  void Unload();
  // 1 an HTTP file to download, 2 an address to open as it is.
  BOOL GetServiceType(const char* url, int* type);
  // TRUE when the library reports success; `parent` owns its progress dialog.
  BOOL DownloadFile(const char* url, const char* localPath, QWidget* parent);
  // Asks where to save the file (proposing the address's last part in the
  // "Download Folder"), remembers the chosen folder and downloads; TRUE with
  // the chosen path (8-bit, local encoding) when the download succeeded.
  BOOL DownloadWithDialog(const char* url, std::string* localPath);

 private:
  using DownloadFunction = int (*)(const char*, const char*, int, int, void*);
  using ServiceTypeFunction = int (*)(const char*, int*);

  QLibrary* module_ = nullptr;
  DownloadFunction downloadHttpFile_ = nullptr;
  ServiceTypeFunction getServiceType_ = nullptr;
};

// The flow after an address was dropped: an HTTP file is downloaded to a file
// the user chooses, any other address kept as it is; then the user is asked
// whether to open the result. FALSE without a message when the library or a
// function is missing or the address is of no known kind; FALSE when the
// download failed or was cancelled.
BOOL OpenUrl(const char* url);

// Opens the text of string `urlStringId` with the shell (an address without
// a scheme names a file in the program directory); when that fails shows
// `noBrowserMessageId` (`otherErrorMessageId` stands for a failure without
// a reason, which cannot happen here).
void OpenStringTableUrl(UINT urlStringId, UINT noBrowserMessageId, UINT otherErrorMessageId);
