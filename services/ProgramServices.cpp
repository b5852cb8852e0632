#include "services/ProgramServices.h"

#include "platform/PrivateProfile.h"
#include "platform/ProgramPaths.h"

#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kModelList = "QXGraph.lst";

std::string modelListPath() { return GetProgramFilePath(kModelList); }

UINT copyOut(const char* text, size_t length, char* out, UINT size) {
  if (!out || length + 1 > size) return 0;
  std::memcpy(out, text, length);
  out[length] = '\0';
  return UINT(length);
}

std::string readModelText(const char* model, const char* key, const char* defaultValue, DWORD bufferSize) {
  std::vector<char> buf(bufferSize);
  const std::string path = modelListPath();
  const DWORD n = GetPrivateProfileString(model ? model : "", key, defaultValue ? defaultValue : "", buf.data(),
                                          bufferSize, path.c_str());
  return std::string(buf.data(), n);
}

}  // namespace

std::string GetProgramFilePath(const char* fileName) {
  return QFile::encodeName(tallix::programFilePath(QFile::decodeName(fileName ? fileName : ""))).toStdString();
}

BOOL GetProgramFilePath(const char* fileName, char* out, UINT size) {
  const std::string path = GetProgramFilePath(fileName);
  if (!out || path.size() + 1 > size) {
    if (out && size) out[0] = '\0';
    return FALSE;
  }
  std::memcpy(out, path.c_str(), path.size() + 1);
  return TRUE;
}

UINT GetItemFolderPath(const char* path, char* out, UINT size) {
  if (!path || !*path || path[0] != '\\' || size <= 1) return 0;
  const char* last = std::strrchr(path, '\\');
  if (last == path) return copyOut("\\", 1, out, size);
  return copyOut(path, size_t(last - path), out, size);
}

UINT GetItemNameFromPath(const char* path, char* out, UINT size) {
  if (!path || !*path) return 0;
  const char* last = std::strrchr(path, '\\');
  if (!last) return 0;
  return copyOut(last + 1, std::strlen(last + 1), out, size);
}

BOOL ReadModelType(const char* model, std::string* out) {
  *out = readModelText(model, "Calculator Type", "FX9850", 256);
  return TRUE;
}

BOOL ReadModelTokenListName(const char* model, std::string* out) {
  // The value is always below the program directory, even when it names a
  // sub-directory or begins with a separator; a ".." would climb out of it.
  std::string name = readModelText(model, "Token List", "QXToken.tok", 256);
  for (char& c : name)
    if (c == '\\') c = '/';
  size_t skip = 0;
  while (skip < name.size() && name[skip] == '/') ++skip;
  *out = name.substr(skip);
  for (size_t start = 0; start <= out->size();) {
    size_t end = out->find('/', start);
    if (end == std::string::npos) end = out->size();
    if (out->compare(start, end - start, "..") == 0) return FALSE;
    start = end + 1;
  }
  return TRUE;
}

BOOL ReadModelTokenList(const char* model, std::string* out) {
  std::string name;
  if (!ReadModelTokenListName(model, &name)) {
    out->clear();
    return FALSE;
  }
  *out = GetProgramFilePath(name.c_str());
  return TRUE;
}

int ReadModelInt(const char* model, const char* key, int defaultValue) {
  const std::string path = modelListPath();
  return int(GetPrivateProfileInt(model ? model : "", key, defaultValue, path.c_str()));
}

std::string* ReadModelString(std::string* out, const char* model, const char* key, const char* defaultValue) {
  *out = readModelText(model, key, defaultValue, 260);
  return out;
}

BOOL CalculatorModelList::Load(const char* filePath) {
  std::vector<char> buf(32766);
  const DWORD n = GetPrivateProfileSection("Calculator", buf.data(), DWORD(buf.size()), filePath);
  for (size_t pos = 0; pos < n;) {
    const std::string line(&buf[pos]);
    models_.push_back(line);
    pos += line.size() + 1;
  }
  return TRUE;
}

BOOL CalculatorModelList::GetAt(int index, std::string* out) const {
  if (index < 0 || index >= GetCount()) return FALSE;
  *out = models_[size_t(index)];
  return TRUE;
}
