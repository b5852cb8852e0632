#include "classlib/OrvoTextArchive.h"

#include <cstring>

COrvoTextArchive::COrvoTextArchive(CFile* file, UINT mode, UINT bufferSize, void* buffer)
    : archive_(file, mode, int(bufferSize), buffer),
      capacity_(bufferSize),
      lineBuffer_(new char[bufferSize ? bufferSize : 1]),
      position_(bufferSize) {}

COrvoTextArchive::~COrvoTextArchive() { delete[] lineBuffer_; }

int COrvoTextArchive::peek() {
  if (position_ >= filled_) {
    // Every byte of the buffer is used: read the next block. Nothing more
    // comes at the end of the data.
    filled_ = capacity_ ? archive_.Read(lineBuffer_, capacity_) : 0;
    position_ = 0;
    if (filled_ == 0) return -1;
  }
  return static_cast<unsigned char>(lineBuffer_[position_]);
}

UINT COrvoTextArchive::ReadLine(char* dst, UINT size) {
  if (size == 0) return 0;
  dst[0] = '\0';
  if (size < 2) return 0;
  UINT copied = 0, count = 0;
  bool lineEnd = false;
  while (copied < size - 1) {
    const int c = peek();
    if (c < 0) break;
    ++position_;
    ++count;
    if (c == '\r' || c == '\n') {
      if (c == '\r' && peek() == '\n') ++position_;
      lineEnd = true;
      break;
    }
    dst[copied++] = char(c);
  }
  // A full piece directly followed by its line end takes the line end along,
  // so that the next call does not return an empty line that is not there.
  if (!lineEnd && copied == size - 1) {
    const int c = peek();
    if (c == '\r' || c == '\n') {
      ++position_;
      ++count;
      if (c == '\r' && peek() == '\n') ++position_;
    }
  }
  dst[copied] = '\0';
  return count;
}

BOOL COrvoTextArchive::ReadLine(std::string* line) {
  line->clear();
  if (peek() < 0) return FALSE;
  for (int c = peek(); c >= 0; c = peek()) {
    ++position_;
    if (c == '\r' || c == '\n') {
      if (c == '\r' && peek() == '\n') ++position_;
      break;
    }
    *line += char(c);
  }
  return TRUE;
}

void COrvoTextArchive::WriteLine(const char* text) {
  archive_.Write(text, UINT(std::strlen(text)));
  WriteNewLine();
}

void COrvoTextArchive::WriteText(const char* text, int length) {
  if (length > 0) archive_.Write(text, UINT(length));
  WriteNewLine();
}

void COrvoTextArchive::WriteNewLine() { archive_.Write("\r\n", 2); }
