#include "classlib/RegistryReader.h"

#include "charset/Cp1252.h"
#include "platform/Profile.h"

#include <QSettings>
#include <QStringList>

#include <cstring>

namespace {

constexpr size_t kMaxValueBytes = 1024;
constexpr const char* kDefaultValueName = ".";

// The profile's own key, below the current user's root.
const char* const kProfileKey[] = {"Software", "Brindlewood", "TALLIX"};

QStringList splitPath(const std::string& subKey) {
  return tallix::fromCp1252(subKey).split(QLatin1Char('\\'));
}

// Finds `name` among `names` without regard to case, as the registry does.
QString findName(const QStringList& names, const QString& name) {
  for (const QString& n : names)
    if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
  return {};
}

// Opens the profile group that `parts` (below the profile key) names; false
// when a part is empty or the group does not exist.
bool openGroup(QSettings& settings, const QStringList& parts) {
  for (const QString& part : parts) {
    const QString group = findName(settings.childGroups(), part);
    if (part.isEmpty() || group.isEmpty()) return false;
    settings.beginGroup(group);
  }
  // A key exists once something was stored in it.
  return !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
}

}  // namespace

BOOL ReadRegistryString(const char* keyPath, const char* valueName, const char* defaultValue, std::string* out) {
  if (!keyPath || !out) return FALSE;
  const std::string path = keyPath;
  bool currentUser = false;
  if (path.compare(0, std::strlen("HKEY_CURRENT_USER"), "HKEY_CURRENT_USER") == 0)
    currentUser = true;
  else if (path.compare(0, std::strlen("HKEY_LOCAL_MACHINE"), "HKEY_LOCAL_MACHINE") != 0)
    return FALSE;
  const size_t slash = path.find('\\');
  if (slash == std::string::npos) return FALSE;
  // Only the profile's own key exists here; the machine-wide tree is not
  // kept by this program.
  if (!currentUser) return FALSE;

  QStringList parts = splitPath(path.substr(slash + 1));
  for (const char* expected : kProfileKey) {
    if (parts.isEmpty() || parts.front().compare(QLatin1String(expected), Qt::CaseInsensitive) != 0) return FALSE;
    parts.pop_front();
  }

  QSettings settings = tallix::openProfile();
  if (!openGroup(settings, parts)) return FALSE;
  const QString name = valueName && *valueName ? tallix::fromCp1252(valueName) : QLatin1String(kDefaultValueName);
  const QString key = findName(settings.childKeys(), name);
  if (key.isEmpty()) return FALSE;
  const QVariant value = settings.value(key);
  // Only texts: numbers and binary values are of another registry type.
  if (value.typeId() != QMetaType::QString) return FALSE;
  const std::string text = tallix::toCp1252(value.toString());
  if (text.size() + 1 > kMaxValueBytes) return FALSE;
  *out = text.empty() ? std::string(defaultValue ? defaultValue : "") : text;
  return TRUE;
}

BOOL ReadRegistryStringExpandRoot(const char* keyPath, const char* valueName, const char* defaultValue,
                                  std::string* out) {
  std::string value;
  if (!ReadRegistryString(keyPath, valueName, defaultValue, &value)) return FALSE;
  constexpr size_t kMarker = 6;
  if (value.size() >= kMarker && QByteArray(value.data(), kMarker).compare("%ROOT%", Qt::CaseInsensitive) == 0) {
    std::string root;
    if (ReadRegistryString(keyPath, "", "", &root)) value = root + value.substr(kMarker);
  }
  *out = value;
  return TRUE;
}
