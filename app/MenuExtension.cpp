#include "app/MenuExtension.h"

#include "app/MenuPopups.h"
#include "classlib/RegistryReader.h"
#include "platform/Cp1252.h"
#include "platform/FrameWnd.h"
#include "platform/Menu.h"
#include "platform/PrivateProfile.h"
#include "platform/ProgramPaths.h"
#include "platform/WinApp.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr char kCommandsFile[] = "qxmenu.ini";
constexpr char kCommands[] = "Commands";
constexpr char kMenus[] = "Menus";
constexpr int kMaxDepth = 8;
constexpr int kPositionKeys = 50;  // "Position" from here on is a popup key
// Buffer sizes of the reads.
constexpr DWORD kSectionSize = 32000;
constexpr size_t kLineLength = 511;
constexpr DWORD kNameSize = 255;
constexpr DWORD kRefFileSize = 260;
constexpr DWORD kValueSize = 2047;
// Entries (popups, sub-menus, items, separators) one extension may add.
constexpr int kMaxEntries = 1000;

// What the files that commands refer to ("Ref File=") may hold together in
// one build: each is read only when it fits in what is left, however many
// files the commands name.
constexpr std::uint64_t kMaxReferredBytes = std::uint64_t(1) << 20;

// The files one build reads, each read once: the extension file, and the
// files its commands' status texts come from.
class ProfileFiles {
 public:
  const tallix::IniSnapshot& operator()(const QString& path, bool referred = false) {
    auto it = m_files.find(path);
    if (it == m_files.end()) {
      std::uint64_t bound = kMaxProfileFileSize;
      if (referred) {
        bound = m_referredRoom;
        const auto size = std::uint64_t(std::max<qint64>(QFileInfo(path).size(), 0));
        if (size <= m_referredRoom) m_referredRoom -= size;
      }
      it = m_files.emplace(path, tallix::IniSnapshot(QFile::encodeName(path).toStdString(), bound)).first;
    }
    return it->second;
  }

 private:
  std::map<QString, tallix::IniSnapshot> m_files;
  std::uint64_t m_referredRoom = kMaxReferredBytes;
};

// The lines of a section as a buffer of kSectionSize characters holds them,
// each cut to `lineLength` characters.
std::vector<std::string> sectionLines(const tallix::IniSnapshot& file, const char* section, size_t lineLength) {
  std::vector<std::string> lines;
  size_t used = 0;
  for (const tallix::IniEntry& entry : file.sectionEntries(section)) {
    std::string line = entry.hasValue ? entry.name + "=" + entry.value : entry.name;
    // The buffer ends in two NULs: the line that does not fit is cut there.
    const bool full = used + line.size() + 2 > kSectionSize;
    if (full) line.resize(kSectionSize - 2 - used);
    if (!line.empty()) lines.push_back(line.substr(0, lineLength));
    if (full) break;
    used += line.size() + 1;
  }
  return lines;
}

std::string readString(const tallix::IniSnapshot& file, const char* section, const char* key, DWORD size) {
  std::string value;
  file.readValue(section, key, &value);
  if (value.size() >= size) value.resize(size - 1);
  return value;
}

int readInt(const tallix::IniSnapshot& file, const char* section, const char* key, int defaultValue) {
  return int(file.readInt(section, key, defaultValue));
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return text.size() >= n && qstrnicmp(text.c_str(), prefix, uint(n)) == 0;
}

BOOL readCommandValue(UINT id, const char* name, std::string* out, ProfileFiles& read) {
  if (id < kFirstMenuFileCommand || id > kLastMenuFileCommand || !name || !out) return FALSE;
  QString file = tallix::findDataFile(QLatin1String(kCommandsFile));
  const std::string key = std::to_string(id) + ' ' + name;
  const std::string ref = readString(read(file), kCommands, (std::to_string(id) + " Ref File").c_str(), kRefFileSize);
  std::string value;
  if (startsWithNoCase(ref, "REG:")) {
    const std::string keyPath = ref.substr(4);
    if (keyPath.empty() || !ReadRegistryStringExpandRoot(keyPath.c_str(), key.c_str(), "", &value)) return FALSE;
  } else {
    if (!ref.empty()) file = MenuExtensionFilePath(QFile::decodeName(QByteArray::fromStdString(ref)));
    value = readString(read(file, !ref.empty()), kCommands, key.c_str(), kValueSize);
  }
  if (value.empty()) return FALSE;
  *out = value;
  return TRUE;
}

// One build of the extension: the file read once, and what may still be
// added. A file may list a section in itself many times, so the whole
// extension is bounded; what comes beyond the bound is skipped.
struct ExtensionBuild {
  ProfileFiles files;
  const tallix::IniSnapshot& menus;
  int room = kMaxEntries;
  explicit ExtensionBuild(const QString& file) : menus(files(file)) {}
  // Takes one entry's room; false when none is left.
  bool take() {
    if (room <= 0) return false;
    --room;
    return true;
  }
};

// The item of command `id` with its status text as its tip, as the status
// pane shows it while the item is hovered.
void appendCommand(QMenu* menu, const std::string& text, UINT id, ExtensionBuild& build) {
  CMenu::FromHandle(menu)->AppendMenu(MF_STRING, id, tallix::fromCp1252(text));
  std::string status;
  readCommandValue(id, "Status Line", &status, build.files);
  menu->actions().constLast()->setStatusTip(tallix::fromCp1252(status));
}

BOOL addItems(CMenu* popup, const char* section, int depth, ExtensionBuild& build) {
  QMenu* menu = popup ? popup->GetSafeHmenu() : nullptr;
  if (!menu || depth >= kMaxDepth) return FALSE;
  for (const std::string& line : sectionLines(build.menus, section, kLineLength)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      if (depth + 1 >= kMaxDepth) continue;  // deeper sections are skipped
      if (!build.take()) break;
      auto* sub = new QMenu(menu);
      addItems(CMenu::FromHandle(sub), line.c_str(), depth + 1, build);
      popup->AppendPopup(sub, tallix::fromCp1252(line));
      continue;
    }
    const long value = std::strtol(trimmed(line.substr(eq + 1)).c_str(), nullptr, 10);
    if (value == 0) continue;
    if (!build.take()) break;
    if (value == -1)
      popup->AppendMenu(MF_SEPARATOR);
    else
      appendCommand(menu, trimmed(line.substr(0, eq)), UINT(value), build);
  }
  return TRUE;
}

// Places a menu section's popup as a sub-menu of the popup at `position`
// (a key from 50 on): after the item of `subPositionCmd`, else at index
// `subPosition`. FALSE when that popup is not there.
BOOL insertSubMenu(CMenu* popup, const QString& caption, int position, int subPositionCmd, int subPosition,
                   bool addSeparators) {
  CMenu* target = position < kPositionKeys ? GetMenuPopupByPosition(position) : GetMenuPopupByKey(position);
  if (!target) return FALSE;
  const int count = target->GetMenuItemCount();
  int index = 0;
  if (subPositionCmd != -1) {
    for (int i = 0; i < count; ++i) {
      if (target->GetMenuItemID(i) == UINT(subPositionCmd)) {
        index = i + 1;
        break;
      }
    }
  } else {
    index = subPosition < 0 || subPosition > count ? count : subPosition;
  }
  target->InsertPopup(UINT(index), popup->Detach(), caption);
  if (addSeparators) {
    const auto isSeparator = [target](int i) { return target->GetMenuItemID(i) == 0; };
    if (index != 0 && !isSeparator(index - 1)) target->InsertMenu(UINT(index++), MF_BYPOSITION | MF_SEPARATOR);
    if (index + 1 < target->GetMenuItemCount() && !isSeparator(index + 1))
      target->InsertMenu(UINT(index + 1), MF_BYPOSITION | MF_SEPARATOR);
  }
  return TRUE;
}

}  // namespace

QString MenuExtensionFilePath(const QString& name) {
  QString path = name;
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return QDir::isAbsolutePath(path) ? path : tallix::findDataFile(path);
}

BOOL AddMenuExtensionItems(CMenu* popup, const QString& file, const char* section, int depth) {
  ExtensionBuild build(file);
  return addItems(popup, section, depth, build);
}

BOOL BuildMenuExtension(const QString& file) {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !frame->GetMenuBar()) return FALSE;
  ExtensionBuild build(file);
  const tallix::IniSnapshot& menus = build.menus;
  for (const std::string& name : sectionLines(menus, kMenus, kSectionSize)) {
    const char* section = name.c_str();
    if (menus.sectionEntries(section).empty()) continue;  // not in the file
    if (!build.take()) break;
    CMenu popup;
    if (!popup.CreatePopupMenu()) return FALSE;
    addItems(&popup, readString(menus, section, "Menu Items", kNameSize).c_str(), 0, build);
    const QString caption = tallix::fromCp1252(readString(menus, section, "Caption", kNameSize));
    const int position = readInt(menus, section, "Position", 0);
    const int subPositionCmd = readInt(menus, section, "Sub Position Cmd", -1);
    const int subPosition = subPositionCmd == -1 ? readInt(menus, section, "Sub Position", -1) : -1;
    if (subPositionCmd != -1 || subPosition != -1) {
      insertSubMenu(&popup, caption, position, subPositionCmd, subPosition,
                    readInt(menus, section, "Add Separators", 1) != 0);
    } else if (position < kPositionKeys) {
      InsertPopupAtPosition(&popup, caption, position, nullptr);
    } else {
      InsertPopupBeforeKey(&popup, caption, position, nullptr);
    }
    // A popup nothing took goes with `popup`.
  }
  frame->DrawMenuBar();
  return TRUE;
}

BOOL ReadMenuCommandValue(UINT id, const char* name, std::string* out) {
  ProfileFiles files;
  return readCommandValue(id, name, out, files);
}

BOOL GetMenuCommandTarget(UINT id, std::string* out) { return ReadMenuCommandValue(id, "URL", out); }

BOOL GetMenuCommandStatusText(UINT id, std::string* out) { return ReadMenuCommandValue(id, "Status Line", out); }
