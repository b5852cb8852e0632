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
#include <QMenu>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>
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
// Lines taken from one section: more than a menu as tall as a 4K screen
// shows (about 24 pixels an item), so no menu a person writes loses any,
// while a section listing itself endlessly costs no more than this.
constexpr size_t kMaxSectionLines = 128;

// What the files that commands refer to ("Ref File=") may hold together in
// one build: each is read only when it fits in what is left, however many
// files the commands name.
constexpr std::uint64_t kMaxReferredBytes = std::uint64_t(1) << 20;

// The files one build reads, each read once however its name is spelt: the
// extension file, and the files its commands' status texts come from.
class ProfileFiles {
 public:
  const tallix::IniSnapshot& operator()(const QString& path, bool referred = false) {
    std::shared_ptr<tallix::IniSnapshot>& named = m_byPath[path];
    if (!named) {
      const QByteArray name = QFile::encodeName(path);
      // The same file under another name is the snapshot already taken.
      struct stat st {};
      const bool there = ::stat(name.constData(), &st) == 0;
      std::shared_ptr<tallix::IniSnapshot>& file = there ? m_byFile[{st.st_dev, st.st_ino}] : named;
      if (!file) {
        std::uint64_t bound = kMaxProfileFileSize;
        if (referred) {
          bound = m_referredRoom;
          const auto size = std::uint64_t(there ? std::max<std::int64_t>(st.st_size, 0) : 0);
          if (size <= m_referredRoom) m_referredRoom -= size;
        }
        file = std::make_shared<tallix::IniSnapshot>(name.toStdString(), bound);
      }
      named = file;
    }
    return *named;
  }

 private:
  std::map<QString, std::shared_ptr<tallix::IniSnapshot>> m_byPath;
  std::map<std::pair<dev_t, ino_t>, std::shared_ptr<tallix::IniSnapshot>> m_byFile;
  std::uint64_t m_referredRoom = kMaxReferredBytes;
};

// The lines of a section as a buffer of kSectionSize characters holds them,
// each cut to `lineLength` characters; at most kMaxSectionLines of them.
std::vector<std::string> sectionLines(const tallix::IniSnapshot& file, const char* section, size_t lineLength) {
  std::vector<std::string> lines;
  size_t used = 0;
  for (const tallix::IniEntry& entry : file.sectionEntries(section, kMaxSectionLines)) {
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

// The value `name` of command `id`, from the [Commands] of `commandsFile`
// or where its "Ref File" sends the read.
BOOL readCommandValue(UINT id, const char* name, std::string* out, const QString& commandsFile, ProfileFiles& read) {
  if (id < kFirstMenuFileCommand || id > kLastMenuFileCommand || !name || !out) return FALSE;
  QString file = commandsFile;
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

// A line of an items section as the build uses it.
struct ItemLine {
  enum Kind { SubMenu, Separator, Command } kind;
  std::string text;  // the sub-menu's section and caption, or the item's text
  UINT id = 0;
};

std::vector<ItemLine> itemLines(const tallix::IniSnapshot& file, const char* section) {
  std::vector<ItemLine> items;
  for (const std::string& line : sectionLines(file, section, kLineLength)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      items.push_back({ItemLine::SubMenu, line});
      continue;
    }
    const long value = std::strtol(trimmed(line.substr(eq + 1)).c_str(), nullptr, 10);
    if (value == -1)
      items.push_back({ItemLine::Separator, {}});
    else if (value != 0)
      items.push_back({ItemLine::Command, trimmed(line.substr(0, eq)), UINT(value)});
  }
  return items;
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// One build of the extension: the file read once, and what may still be
// added. A file may list a section in itself many times, so the whole
// extension is bounded; what comes beyond the bound is skipped. Each items
// section is read once, and each command's status text looked up once,
// however often they are listed.
struct ExtensionBuild {
  ProfileFiles files;
  const tallix::IniSnapshot& menus;
  const QString commandsFile = tallix::findDataFile(QLatin1String(kCommandsFile));
  int room = kMaxEntries;
  explicit ExtensionBuild(const QString& file) : menus(files(file)) {}
  // Takes one entry's room; false when none is left.
  bool take() {
    if (room <= 0) return false;
    --room;
    return true;
  }
  const std::vector<ItemLine>& items(const char* section) {
    auto [it, added] = m_items.try_emplace(lowerAscii(section));
    if (added) it->second = itemLines(menus, section);
    return it->second;
  }
  const QString& statusText(UINT id) {
    auto [it, added] = m_status.try_emplace(id);
    if (added) {
      std::string status;
      readCommandValue(id, "Status Line", &status, commandsFile, files);
      it->second = tallix::fromCp1252(status);
    }
    return it->second;
  }

 private:
  std::map<std::string, std::vector<ItemLine>> m_items;  // by name, without regard to ASCII case
  std::map<UINT, QString> m_status;
};

BOOL addItems(CMenu* popup, const char* section, int depth, ExtensionBuild& build) {
  QMenu* menu = popup ? popup->GetSafeHmenu() : nullptr;
  if (!menu || depth >= kMaxDepth) return FALSE;
  for (const ItemLine& item : build.items(section)) {
    if (item.kind == ItemLine::SubMenu) {
      if (depth + 1 >= kMaxDepth) continue;  // deeper sections are skipped
      if (!build.take()) break;
      CMenu sub;
      sub.Attach(new QMenu(menu));
      addItems(&sub, item.text.c_str(), depth + 1, build);
      popup->AppendPopup(sub.Detach(), tallix::fromCp1252(item.text));
      continue;
    }
    if (!build.take()) break;
    if (item.kind == ItemLine::Separator) {
      popup->AppendMenu(MF_SEPARATOR);
    } else {
      // The status text is the item's tip, which the status pane shows
      // while the item is hovered.
      popup->AppendMenu(MF_STRING, item.id, tallix::fromCp1252(item.text));
      if (const QString& status = build.statusText(item.id); !status.isEmpty())
        menu->actions().constLast()->setStatusTip(status);
    }
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
    if (menus.sectionEntries(section, 1).empty()) continue;  // not in the file
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
  return readCommandValue(id, name, out, tallix::findDataFile(QLatin1String(kCommandsFile)), files);
}

BOOL GetMenuCommandTarget(UINT id, std::string* out) { return ReadMenuCommandValue(id, "URL", out); }

BOOL GetMenuCommandStatusText(UINT id, std::string* out) { return ReadMenuCommandValue(id, "Status Line", out); }
