#include "datamodel/QXItemNames.h"

#include "platform/LanguageLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

BOOL CopyTextOut(const std::string& text, char* buffer, UINT size) {
  if (!buffer || text.size() >= size) return FALSE;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return TRUE;
}

std::string ItemPathLeaf(const char* path, std::string* parent) {
  const std::string p = path ? path : "";
  const size_t slash = p.rfind('\\');
  if (parent) {
    parent->clear();
    if (slash != std::string::npos && slash > 0) {
      const size_t before = p.rfind('\\', slash - 1);
      const size_t from = before == std::string::npos ? 0 : before + 1;
      *parent = p.substr(from, slash - from);
    }
  }
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool IsDigits(const std::string& text, size_t maxDigits) {
  return !text.empty() && text.size() <= maxDigits &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void LoadNameField(COrvoArchive& ar, DWORD size, std::string* name) {
  ar.ReadDwordValue();  // the field's length, written as `size`
  const std::vector<BYTE> bytes = ar.ReadBytes(size);
  const auto end = std::find(bytes.begin(), bytes.end(), BYTE(0));
  if (end == bytes.end()) ThrowArchiveException(kArchiveBadRecord);
  name->assign(bytes.begin(), end);
}

void StoreNameField(COrvoArchive& ar, DWORD size, const std::string& name) {
  std::vector<BYTE> bytes(size, 0);
  std::memcpy(bytes.data(), name.data(), std::min<size_t>(name.size(), size - 1));
  ar.WriteDwordValue(size);
  ar.Write(bytes.data(), size);
}

bool WantsDetail(const CQXDetailTextRecord* record) {
  return record && (record->mask & 1) && record->buffer && record->size != 0;
}

BOOL RowsDetail(CQXDetailTextRecord* record, DWORD rows) {
  if (!WantsDetail(record)) return FALSE;
  std::snprintf(record->buffer, record->size, "%d (%s)", int(rows), CLanguageLibrary::LoadStringA(10206).c_str());
  return TRUE;
}

BOOL RowsColumnsDetail(CQXDetailTextRecord* record, DWORD rows, DWORD columns) {
  if (!WantsDetail(record)) return FALSE;
  std::snprintf(record->buffer, record->size, "%d * %d (%s, %s)", int(rows), int(columns),
                CLanguageLibrary::LoadStringA(10206).c_str(), CLanguageLibrary::LoadStringA(10207).c_str());
  return TRUE;
}
