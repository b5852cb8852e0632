// The item store: a tree of folders and items kept in one compound file.
// The tree lives in memory while the store is open and is saved as the
// stream "Directory" at the root of the file; each item's data is the stream
// "Item_%08u" (its id) in the storage "Data_Items".
//
// Every operation returns TRUE on success and otherwise FALSE with one of the
// error codes below in GetLastError; each first clears the last error.
#pragma once

#include "datamodel/OrvoStoreNode.h"
#include "platform/storage/Storage.h"

#include <list>
#include <memory>
#include <string>

// Describes a node to and from the store (336 bytes as the record defines).
struct OrvoNodeInfo {
  DWORD size = 336;
  DWORD flags = 0;
  char path[256] = {};         // in: the full path \Folder\Name; enumeration: the node's name
  char description[64] = {};   // zero-terminated
  DWORD valueB = 0;
  DWORD valueA = 0;

  // Fills the path (and the description), cut to the fields.
  void SetPath(const char* text);
  void SetDescription(const char* text);
};
static_assert(sizeof(OrvoNodeInfo) == 336);

// The store's error codes.
enum : DWORD {
  ORVO_E_FAIL = 0x20000002,
  ORVO_E_OUTOFMEMORY = 0x20000003,
  ORVO_E_ACCESSDENIED = 0x20000004,
  ORVO_E_TOOMANYOPENFILES = 0x20000006,
  ORVO_E_BADPATH = 0x20000007,
  ORVO_E_DISKFULL = 0x20000008,
  ORVO_E_FILEEXISTS = 0x20000009,
  ORVO_E_NOTFOUND = 0x2000000A,
  ORVO_E_ROOTFOLDEREXISTS = 0x2000000B,
  ORVO_E_NODEEXISTS = 0x2000000C,
  ORVO_E_PATHNOTFOUND = 0x2000000D,
  ORVO_E_BADVERSION = 0x2000000E,
  ORVO_E_BADLAYOUT = 0x2000000F,
  ORVO_E_DAMAGED = 0x20000010,
  ORVO_E_NOTOPEN = 0x20000011,
  // The file would pass the largest compound file the program opens.
  ORVO_E_TOOLARGE = 0x20000012,
};

// Open flags.
enum : int {
  ORVO_OPEN_READONLY = 0x1,
  ORVO_SHARE_DENYNONE = 0x2,
  ORVO_SHARE_DENYWRITE = 0x4,
  ORVO_SHARE_DENYREAD = 0x8,
  ORVO_SHARE_EXCLUSIVE = 0x10,
  ORVO_OPEN_CREATE = 0x20,
  ORVO_OPEN_SAVEAS = 0x40,
  ORVO_OPEN_DIRECT = 0x80,
};

// OpenItemStream flags.
enum : int {
  ORVO_STREAM_READ = 0x1,
  ORVO_STREAM_WRITE = 0x2,
  ORVO_STREAM_CREATE = 0x1000,
  ORVO_STREAM_CREATENODE = 0x2000,
  ORVO_STREAM_NEWNODEONLY = 0x4000,
};

// Setting masks of SetNodeInfo.
enum : int {
  ORVO_SET_NAME = 0x2,
  ORVO_SET_DESCRIPTION = 0x8,
  ORVO_SET_VALUEA = 0x10,
  ORVO_SET_VALUEB = 0x20,
  ORVO_SET_ADDFLAGS = 0x40,
  ORVO_SET_CLEARFLAGS = 0x80,
};

// An open enumeration of one folder's children.
struct OrvoFindData {
  DWORD size = 12;
  DWORD position = 0;
  COrvoStoreNode* folder = nullptr;  // null once the folder is deleted
};
using OrvoFindHandle = OrvoFindData*;

class COrvoItemStore {
 public:
  COrvoItemStore();
  ~COrvoItemStore();
  COrvoItemStore(const COrvoItemStore&) = delete;
  COrvoItemStore& operator=(const COrvoItemStore&) = delete;

  // No path: a temporary file deleted when released. See the flags above.
  BOOL Open(const char* path, int flags);
  BOOL Close();
  BOOL Commit();
  BOOL IsOpen() const { return m_root != nullptr; }
  // The root storage, not add-ref'ed.
  IStorage* GetRootStorage() const { return m_root; }
  // Hands the root storage to the caller and releases everything else.
  IStorage* Detach();
  // Copies every element of `source` into this (freshly opened) store and
  // reads its directory.
  BOOL LoadFromStorage(IStorage* source);

  BOOL AddNode(const OrvoNodeInfo* info);
  BOOL DeleteNode(const char* path);
  BOOL SetNodeInfo(const char* path, const OrvoNodeInfo* info, int mask);
  BOOL GetNodeInfo(const char* path, OrvoNodeInfo* out);
  // The first child of the folder whose description is exactly
  // `description` (its `path` the node's name); FALSE with 0x2000000D for a
  // missing folder, 0x2000000A when no child has it.
  BOOL FindChildByDescription(const char* folderPath, const char* description, OrvoNodeInfo* out);

  BOOL FindFirst(const char* folderPath, OrvoFindHandle* out);
  BOOL FindNext(OrvoFindHandle handle);
  BOOL GetFoundInfo(OrvoFindHandle handle, OrvoNodeInfo* out);
  BOOL FindClose(OrvoFindHandle handle);

  BOOL OpenItemStream(const OrvoNodeInfo* info, IStream** out, int flags);
  BOOL CloseItemStream(IStream* stream);
  BOOL DeleteItemStream(const OrvoNodeInfo* info);

  // Stream operations used by the item stream: Read and Write succeed only
  // when the whole count moved.
  BOOL Read(IStream* stream, void* buffer, DWORD count);
  BOOL Write(IStream* stream, const void* buffer, DWORD count);
  BOOL GetStreamLength(IStream* stream, DWORD* out);
  BOOL SetStreamLength(IStream* stream, DWORD length);
  BOOL Seek(IStream* stream, DWORD position);
  BOOL GetStreamPosition(IStream* stream, DWORD* out);

  DWORD GetLastError() const { return m_lastError; }
  static DWORD MapError(HRESULT hr);
  // Writes "Directory" when the tree changed since it was read or written.
  BOOL Flush();
  BOOL IsDirty() const { return m_dirty; }
  BOOL IsTransacted() const { return m_transacted; }

 private:
  void Reset();
  BOOL Fail(DWORD code);
  BOOL FailHr(HRESULT hr);
  BOOL CreateFile(const char* path, int flags);
  BOOL OpenExisting(const char* path, int flags);
  BOOL SaveAs(const char* path, int flags);
  BOOL ReadDirectory();
  // After a tree change: dirty, and in direct mode "Directory" at once.
  BOOL TreeChanged();

  COrvoStoreNode* FindFolder(const std::string& path) const;
  COrvoStoreNode* FindNode(const std::string& path) const;
  static bool SplitPath(const std::string& path, char separator, std::string* folder, std::string* leaf);
  COrvoStoreNode* NewNode(const OrvoNodeInfo* info, const std::string& leaf);
  BOOL AddNodeChecked(const OrvoNodeInfo* info, COrvoStoreNode** created);
  void DestroyItemElement(DWORD id);
  void FreeFindHandles();

  COrvoStoreNode m_rootNode;
  char m_separator = '\\';
  DWORD m_nextFreeId = 1024;
  IStorage* m_root = nullptr;
  IStorage* m_items = nullptr;
  BOOL m_dirty = FALSE;
  BOOL m_directoryStale = TRUE;  // the tree differs from "Directory"
  DWORD m_lastError = 0;
  BOOL m_transacted = FALSE;
  std::list<std::unique_ptr<OrvoFindData>> m_findHandles;
};

// The name of an item's data stream: "Item_%08u".
std::string ItemStreamName(DWORD id);
