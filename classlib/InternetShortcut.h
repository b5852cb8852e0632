// Internet shortcuts dragged onto the program's windows: recognising one in
// a data object, reading its address, and the main frame's drop target that
// hands the address on.
//
// A shortcut arrives as a file group descriptor ("FileGroupDescriptor": a
// count, then 332-byte file descriptors; nFileSizeLow of the first at byte 72)
// and the shortcut file's text ("FileContents"), which begins with
// "[InternetShortcut]" and holds a line key=address.
#pragma once

#include "platform/OleDropTarget.h"
#include "platform/WinTypes.h"

#include <string>

class COleDataObject;

class CInternetShortcutReader {
 public:
  CInternetShortcutReader();

  // The data offers a descriptor with at least one entry and contents that
  // begin with "[InternetShortcut]".
  BOOL IsInternetShortcut(COleDataObject* data);
  // Clears the address, then reads it; TRUE when one was found.
  BOOL ReadUrl(COleDataObject* data);
  BOOL GetUrl(std::string& out) const;

 private:
  UINT cfFileGroupDescriptor_;
  UINT cfFileContents_;
  std::string url_;
};

// FALSE while the main window is disabled by a modal dialog (or there is no
// main window); else whether `data` is an Internet shortcut.
BOOL IsUrlDropAcceptable(COleDataObject* data);

// Gives the address of a dropped shortcut to the main frame and posts it the
// message that opens it; FALSE without an address or a main frame.
BOOL HandDroppedUrlToFrame(COleDataObject* data);

// The main frame's drop target: copies Internet shortcuts; a drop hands the
// address to the frame and posts it the message that opens it, so that the
// drop ends before any dialog shows.
class CQXUrlDropTarget : public COleDropTarget {
 public:
  DROPEFFECT OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) override;
  DROPEFFECT OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) override;
  BOOL OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect, QPoint point) override;
};
