#include "pages/QXECONRecords.h"

#include "charset/CalcCharset.h"
#include "datamodel/QXDataLoggerItem.h"
#include "platform/StringCompare.h"

#include <QComboBox>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string recordName(int prefix, int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%d%02d", prefix, number);
  return name;
}

}  // namespace

std::string EconSetupRecordName(int number) { return number == 0 ? std::string("cda_mem") : recordName(10, number); }

std::string EconProbeRecordName(int number) { return recordName(20, number); }

int EconRecordNumber(const CQXRawBlock* record, const char* prefix) {
  const std::string name = record ? record->Name() : std::string();
  const size_t n = std::strlen(prefix);
  if (name.size() != n + 2 || name.compare(0, n, prefix) != 0) return 0;
  const char a = name[n], b = name[n + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return 0;
  return (a - '0') * 10 + (b - '0');
}

std::string ReadEconText(const CQXRawBlock* record, int field, size_t maxLength) {
  const int width = CQXDataLoggerItem::GetFieldWidth(field);
  if (width <= 0) return {};
  std::vector<BYTE> bytes(size_t(width), 0);
  if (CQXDataLoggerItem::GetBytesField(record, field, bytes.data(), UINT(bytes.size())) != 1) return {};
  size_t length = 0;
  while (length < bytes.size() && length < maxLength && bytes[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(bytes.data()), length);
}

BOOL WriteEconText(CQXRawBlock* record, int field, const std::string& text, size_t width) {
  if (width == 0) return FALSE;
  std::vector<BYTE> bytes(width, 0);
  std::memcpy(bytes.data(), text.data(), std::min(text.size(), width));
  return CQXDataLoggerItem::SetBytesField(record, field, bytes.data(), UINT(width)) == 1;
}

int InsertSortedEntry(QComboBox* combo, const std::string& text, int data) {
  int at = 0;
  const auto codesAt = [combo](int i) {
    std::string codes;
    CalcCodesFromPlainText(combo->itemText(i), &codes);
    return codes;
  };
  while (at < combo->count() && tallix::CompareTextLocale(codesAt(at).c_str(), text.c_str()) <= 0) ++at;
  combo->insertItem(at, CalcPlainText(text), data);
  return at;
}

int FindEntryByData(const QComboBox* combo, int data) { return combo->findData(data); }

void ReplaceSortedEntry(QComboBox* combo, const std::string& text, int data) {
  const int old = FindEntryByData(combo, data);
  if (old >= 0) combo->removeItem(old);
  combo->setCurrentIndex(InsertSortedEntry(combo, text, data));
}

BOOL GetSelectedEntryData(const QComboBox* combo, int* data) {
  if (!combo || combo->currentIndex() < 0) return FALSE;
  *data = combo->currentData().toInt();
  return TRUE;
}

std::string FormatEconEntry(const char* format, int number, const std::string& text) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, number, text.c_str());
  return buffer;
}
