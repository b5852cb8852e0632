// How instances of the program find out whether another one has a file
// open. Every main frame listens on a local socket named
// "orvoQXFrameClass.<process id>" in a folder of the user's own (mode 0700,
// below the runtime location). An instance that looks for a file asks each
// other socket there in turn: {data code 65, byte count, the path's bytes},
// 32-bit little-endian numbers. The frame answers as it answers WM_COPYDATA:
// one byte 1 or 0, then its window title (32-bit length, UTF-8 bytes).
//
// A peer gets at most one second; a socket nobody listens on is removed.
//
// An instance that filed an item another instance dragged to it as a move
// tells that instance, which then removes its item: {data code 66, byte
// count, the drag's view id (32-bit) and the item's document path}.
#pragma once

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QLocalServer>
#include <QPointer>
#include <QString>

#include <cstdint>

class CQXMainFrame;

// What WM_COPYDATA carries (lParam points to it).
struct COPYDATASTRUCT {
  std::uintptr_t dwData = 0;  // the data code
  DWORD cbData = 0;           // bytes at lpData
  const void* lpData = nullptr;
};

enum : DWORD {
  kProbeDataCode = 65,
  kItemMovedDataCode = 66,
  // A path of this many bytes or more is refused.
  kProbeMaxPathBytes = 260,
};

// The folder the frames' sockets are in (made when missing).
QString InstanceFolder();
// The socket name of this process's frame.
QString InstanceSocketName();

// Asks the other instances, one after another, whether one has `path` open;
// TRUE with its window title (Windows-1252, cut to titleSize - 1 bytes and
// terminated) from the first that has.
BOOL FindInstanceWithFile(const QString& path, char* title, UINT titleSize);

// Tells the instance of process `pid` that the item it dragged from its view
// `view` (document path `path`) was filed here as a move; TRUE when it
// answered that it removed its item.
BOOL TellInstanceItemMoved(DWORD pid, DWORD view, const char* path);

// The frame's side: answers the questions that arrive on its socket.
class CQXInstanceListener : public QObject {
  Q_OBJECT

 public:
  explicit CQXInstanceListener(CQXMainFrame* frame);
  ~CQXInstanceListener() override;
  // FALSE when the socket cannot be made (the frame then is not found by
  // others).
  BOOL Listen();
  QString SocketPath() const;

 private:
  void onConnection();

  QPointer<CQXMainFrame> frame_;
  QLocalServer server_;
};
