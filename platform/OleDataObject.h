// The receiving side of the clipboard and of drag and drop: a data object
// over Qt's MIME data (see ClipboardFormats.h for how formats map).
//
// Shortcut files: a file manager offers a dragged file as a text/uri-list.
// When that list names exactly one local file whose first 18 bytes are
// "[InternetShortcut]", the data object also offers what the platform's shell
// offers for such a file: a file group descriptor under "FileGroupDescriptor"
// (count 1 and one 332-byte file descriptor: flags FD_FILESIZE, the file size
// in nFileSizeHigh/nFileSizeLow at bytes 68/72 of the block, the file name at
// byte 76) and at most 64 KiB of the file under "FileContents". A web address
// in the list (a browser's link drag) offers neither.
#pragma once

#include "platform/ClipboardFormats.h"

#include <QByteArray>

#include <memory>
#include <optional>

class QMimeData;

class COleDataObject {
 public:
  COleDataObject();
  ~COleDataObject();
  COleDataObject(const COleDataObject&) = delete;
  COleDataObject& operator=(const COleDataObject&) = delete;

  // Works on `data` from now on; with `autoRelease` the object deletes it
  // when it is released. A data object attached before is released first.
  void Attach(const QMimeData* data, BOOL autoRelease = TRUE);
  // Works on what the system clipboard holds now (owned by the clipboard).
  BOOL AttachClipboard();
  void Release();
  const QMimeData* GetMimeData() const { return data_; }

  BOOL IsDataAvailable(CLIPFORMAT format) const;
  // The bytes offered under `format` (CF_TEXT: Windows-1252 text and its
  // NUL; CF_UNICODETEXT: UTF-16 text and its NUL unit); nothing when the
  // format is not offered.
  std::optional<QByteArray> GetGlobalData(CLIPFORMAT format) const;

 private:
  struct ShortcutFile {
    QByteArray descriptor, contents;
  };
  const ShortcutFile* shortcutFile() const;

  const QMimeData* data_ = nullptr;
  bool owned_ = false;
  mutable bool shortcutLooked_ = false;
  mutable std::unique_ptr<ShortcutFile> shortcut_;
};
