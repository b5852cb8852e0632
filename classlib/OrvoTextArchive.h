// Line-oriented text over a file archive: the reader and writer of text
// files such as command lists. Lines end with CR LF when written; CR LF, LF
// and a lone CR all end a line when read.
#pragma once

#include "platform/FileArchive.h"
#include "platform/WinTypes.h"

#include <string>

class COrvoTextArchive {
 public:
  // `file` is open for reading (mode CArchive::load) or writing
  // (CArchive::store); lines are read through a buffer of `bufferSize` bytes.
  COrvoTextArchive(CFile* file, UINT mode, UINT bufferSize, void* buffer = nullptr);
  ~COrvoTextArchive();
  COrvoTextArchive(const COrvoTextArchive&) = delete;
  COrvoTextArchive& operator=(const COrvoTextArchive&) = delete;

  // Reads the next line into `dst` (always NUL-terminated) and returns the
  // bytes consumed, the line end included: 1 for an empty line, 0 only at the
  // end of the data (or for a `size` below 2, which holds no character). A
  // line longer than size - 1 characters comes in pieces of size - 1; the
  // piece that reaches the line end consumes it, also when the line end
  // follows a full piece directly. File errors throw CFileException.
  UINT ReadLine(char* dst, UINT size);
  // Reads the next line whole, however long, without its line end; FALSE
  // only at the end of the data.
  BOOL ReadLine(std::string* line);

  void WriteLine(const char* text);
  void WriteText(const char* text, int length);
  void WriteNewLine();

  CArchive& GetArchive() { return archive_; }

 private:
  // The next byte without consuming it; -1 at the end of the data.
  int peek();

  CArchive archive_;
  UINT capacity_;
  char* lineBuffer_;
  UINT position_;
  UINT filled_ = 0;
};
