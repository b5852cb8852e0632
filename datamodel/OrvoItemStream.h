// The data stream of one item of an item store, as an archive.
#pragma once

#include "datamodel/OrvoArchive.h"

class COrvoItemStore;
class IStream;

class COrvoItemStream : public COrvoArchive {
 public:
  explicit COrvoItemStream(COrvoItemStore* store) : m_store(store) {}
  ~COrvoItemStream() override;
  COrvoItemStream(const COrvoItemStream&) = delete;
  COrvoItemStream& operator=(const COrvoItemStream&) = delete;

  // `mode` bit 0 read (read only, whatever bit 1 says), bit 1 write, neither:
  // read and write; `create` creates the data stream when it is missing.
  // FALSE with status 6 (no path), 5 (store not open) or 8 (refused).
  // A stream this object holds already is closed first.
  BOOL Open(const char* path, int mode, BOOL create) override;
  // Creates the item node when missing and its data stream; `description`
  // becomes a new node's description. FALSE with status 6, 5 or 9.
  BOOL Create(const char* path, int mode, const char* description);
  BOOL Close() override;

  void ReadDword(DWORD* out) override;
  void Read(void* buffer, UINT count) override;
  void WriteDword(const DWORD* value) override;
  void Write(const void* buffer, UINT count) override;
  void GetLength(DWORD* out) override;
  void SetLength(DWORD length) override;
  void Seek(DWORD position) override;
  void GetPosition(DWORD* out) override;

  bool IsOpen() const { return m_stream != nullptr; }

 private:
  BOOL OpenWith(const char* path, int mode, int storeFlags, const char* description, int refusedCode);
  [[noreturn]] void Throw(int code);

  COrvoItemStore* m_store;
  IStream* m_stream = nullptr;
};
