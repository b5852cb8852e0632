#include "classlib/ProfileSettings.h"

#include "charset/Cp1252.h"
#include "platform/Profile.h"

#include <QSettings>

#include <cstring>

namespace {

QString settingKey(const char* section, const char* key) { return tallix::profileKey(section, key); }

QSettings profile() { return tallix::openProfile(); }

bool written(QSettings& s) {
  s.sync();
  return s.status() == QSettings::NoError;
}

}  // namespace

int AppGetProfileInt(const char* section, const char* key, int defaultValue) {
  const QVariant v = profile().value(settingKey(section, key));
  if (!v.isValid()) return defaultValue;
  bool ok = false;
  const qlonglong n = v.toLongLong(&ok);
  return ok ? int(quint32(n)) : defaultValue;
}

BOOL AppWriteProfileInt(const char* section, const char* key, int value) {
  QSettings s = profile();
  s.setValue(settingKey(section, key), value);
  return written(s) ? TRUE : FALSE;
}

std::string* AppGetProfileString(std::string* out, const char* section, const char* key, const char* defaultValue) {
  const QVariant v = profile().value(settingKey(section, key));
  if (v.isValid())
    *out = tallix::toCp1252(v.toString());
  else
    *out = defaultValue ? defaultValue : "";
  return out;
}

BOOL AppWriteProfileString(const char* section, const char* key, const char* text) {
  QSettings s = profile();
  s.setValue(settingKey(section, key), tallix::fromCp1252(text ? text : ""));
  return written(s) ? TRUE : FALSE;
}

bool tallix::profileBinary(const char* section, const char* key, std::vector<BYTE>* data) {
  data->clear();
  const QVariant v = profile().value(settingKey(section, key));
  if (!v.isValid()) return false;
  const QByteArray bytes = v.toByteArray();
  data->assign(bytes.begin(), bytes.end());
  return true;
}

BOOL AppGetProfileBinary(const char* section, const char* key, BYTE** data, UINT* size) {
  *data = nullptr;
  *size = 0;
  std::vector<BYTE> bytes;
  if (!tallix::profileBinary(section, key, &bytes)) return FALSE;
  *data = new BYTE[bytes.empty() ? 1 : bytes.size()];
  if (!bytes.empty()) std::memcpy(*data, bytes.data(), bytes.size());
  *size = UINT(bytes.size());
  return TRUE;
}

BOOL AppWriteProfileBinary(const char* section, const char* key, const BYTE* data, UINT size) {
  if (!data && size != 0) return FALSE;
  QSettings s = profile();
  s.setValue(settingKey(section, key), QByteArray(reinterpret_cast<const char*>(data), qsizetype(data ? size : 0)));
  return written(s) ? TRUE : FALSE;
}
