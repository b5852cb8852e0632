#include "app/MenuExtension.h"

#include "app/MenuPopups.h"
#include "charset/Cp1252.h"
#include "classlib/RegistryReader.h"
#include "platform/FrameWnd.h"
#include "platform/Menu.h"
#include "platform/PrivateProfile.h"
#include "platform/ProgramPaths.h"
#include "platform/WinApp.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>

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
constexpr std::uint64_t kMaxReferredBytes = kMaxProfileFileSize;

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

// Hands `f` the lines of a section as a buffer of kSectionSize characters
// holds them, at most kMaxSectionLines of them, each cut to `lineLength`
// characters: the name, whether the '=' is kept and the value, as views.
// The buffer ends in two NULs: the line that does not fit is cut there, and
// none comes after it.
template <class F>
void forEachSectionLine(const tallix::IniSnapshot& file, const char* section, size_t lineLength, const F& f) {
  size_t used = 0, lines = 0;
  file.forEachEntry(section, [&](std::string_view name, std::string_view value, bool hasValue) {
    size_t size = hasValue ? name.size() + 1 + value.size() : name.size();
    const bool full = used + size + 2 > kSectionSize;
    if (full) size = used + 2 < kSectionSize ? kSectionSize - 2 - used : 0;
    if (size != 0) {
      const size_t kept = std::min(size, lineLength);
      if (kept <= name.size())
        f(name.substr(0, kept), false, std::string_view());
      else
        f(name, true, value.substr(0, kept - name.size() - 1));
    }
    used += size + 1;
    return !full && ++lines < kMaxSectionLines;
  });
}

std::vector<std::string> sectionLines(const tallix::IniSnapshot& file, const char* section, size_t lineLength) {
  std::vector<std::string> lines;
  forEachSectionLine(file, section, lineLength, [&lines](std::string_view name, bool eq, std::string_view value) {
    std::string line(name);
    if (eq) (line += '=') += value;
    lines.push_back(std::move(line));
  });
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
  forEachSectionLine(file, section, kLineLength, [&items](std::string_view name, bool eq, std::string_view value) {
    if (!eq) {
      items.push_back({ItemLine::SubMenu, std::string(name)});
      return;
    }
    const long number = std::strtol(std::string(value).c_str(), nullptr, 10);
    if (number == -1)
      items.push_back({ItemLine::Separator, {}});
    else if (number != 0)
      items.push_back({ItemLine::Command, trimmed(std::string(name)), UINT(number)});
  });
  return items;
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// What a popup of the extension holds before its entries are made.
struct Planned {
  enum Kind { Item, Separator, SubMenu, Inserted } kind;
  explicit Planned(Kind k, std::string t = {}, UINT i = 0, int r = 0) : kind(k), text(std::move(t)), id(i), room(r) {}
  std::string text;  // the item's text, or the sub-menu's section and caption
  UINT id = 0;
  int room = 0;           // a sub-menu: what its own entries may still take
  QPointer<QMenu> popup;  // a popup a later menu section placed here
  QString caption;
};

// One build of the extension: the file read once, and what may still be
// added. A file may list a section in itself many times, so the whole
// extension is bounded; what comes beyond the bound is skipped. Each items
// section is read once, and each command's status text looked up once,
// however often they are listed.
//
// The start makes only the popups; each popup makes its entries when they
// are first needed, each sub-menu in turn. What a popup holds is what one
// build in order would give it: the entries of the whole extension, in
// order, take the build's room, so a popup's entries start from the room
// that the entries before it leave, which counting them tells without
// making them.
class ExtensionBuild {
 public:
  explicit ExtensionBuild(const QString& file) : menus(files(file)) {}

  ProfileFiles files;
  const tallix::IniSnapshot& menus;
  const QString commandsFile = tallix::findDataFile(QLatin1String(kCommandsFile));

  const std::vector<ItemLine>& items(const std::string& section) {
    auto [it, added] = m_items.try_emplace(lowerAscii(section));
    if (added) it->second = itemLines(menus, section.c_str());
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
  // The entries (sub-menus, items, separators, and what they hold) that the
  // items of `section` add at `depth` given all the room they want, counted
  // up to kMaxEntries.
  int entries(const std::string& section, int depth) {
    if (depth >= kMaxDepth) return 0;
    auto [it, added] = m_entries.try_emplace({lowerAscii(section), depth}, 0);
    if (!added) return it->second;
    int count = 0;
    for (const ItemLine& item : items(section)) {
      if (item.kind == ItemLine::SubMenu) {
        if (depth + 1 >= kMaxDepth) continue;  // deeper sections are skipped
        count += 1 + entries(item.text, depth + 1);
      } else {
        ++count;
      }
      if (count >= kMaxEntries) {
        count = kMaxEntries;
        break;
      }
    }
    return it->second = count;
  }
  // The entries of a popup filled from `section` at `depth` with `room`.
  std::vector<Planned> plan(const std::string& section, int depth, int room) {
    std::vector<Planned> out;
    if (depth >= kMaxDepth) return out;
    // The room a sub-menu's entries take is counted only when an entry
    // after it needs to know what is left.
    const std::string* uncounted = nullptr;
    for (const ItemLine& item : items(section)) {
      if (item.kind == ItemLine::SubMenu && depth + 1 >= kMaxDepth) continue;
      if (uncounted) room -= std::min(room, entries(*uncounted, depth + 1));
      uncounted = nullptr;
      if (room <= 0) break;
      --room;
      switch (item.kind) {
        case ItemLine::SubMenu:
          out.emplace_back(Planned::SubMenu, item.text, 0, room);
          uncounted = &item.text;
          break;
        case ItemLine::Separator:
          out.emplace_back(Planned::Separator);
          break;
        case ItemLine::Command:
          out.emplace_back(Planned::Item, item.text, item.id);
          break;
      }
    }
    return out;
  }

 private:
  std::map<std::string, std::vector<ItemLine>> m_items;  // by name, without regard to ASCII case
  std::map<UINT, QString> m_status;
  std::map<std::pair<std::string, int>, int> m_entries;
};

void makeEntries(QMenu* menu, const std::shared_ptr<ExtensionBuild>& build, const std::vector<Planned>& entries,
                 int depth);

// A popup of the extension whose entries are not made yet.
class PlannedPopup : public CMenuFill {
 public:
  PlannedPopup(QMenu* menu, std::shared_ptr<ExtensionBuild> build, std::string section, int depth, int room)
      : CMenuFill(menu), m_build(std::move(build)), m_section(std::move(section)), m_depth(depth), m_room(room) {}
  // What the popup will hold; a later menu section may place its popup
  // among it.
  std::vector<Planned>& Entries() {
    if (!m_planned) m_entries = m_build->plan(m_section, m_depth, m_room);
    m_planned = true;
    return m_entries;
  }

 protected:
  void Fill(QMenu* menu) override { makeEntries(menu, m_build, Entries(), m_depth); }

 private:
  std::shared_ptr<ExtensionBuild> m_build;
  std::string m_section;
  int m_depth;
  int m_room;
  bool m_planned = false;
  std::vector<Planned> m_entries;
};

void makeEntries(QMenu* menu, const std::shared_ptr<ExtensionBuild>& build, const std::vector<Planned>& entries,
                 int depth) {
  CMenu* popup = CMenu::FromHandle(menu);
  for (const Planned& entry : entries) {
    switch (entry.kind) {
      case Planned::Item:
        // The status text is the item's tip, which the status pane shows
        // while the item is hovered.
        popup->AppendMenu(MF_STRING, entry.id, tallix::fromCp1252(entry.text));
        if (const QString& status = build->statusText(entry.id); !status.isEmpty())
          menu->actions().constLast()->setStatusTip(status);
        break;
      case Planned::Separator:
        popup->AppendMenu(MF_SEPARATOR);
        break;
      case Planned::SubMenu: {
        auto* sub = new QMenu(menu);
        new PlannedPopup(sub, build, entry.text, depth + 1, entry.room);
        popup->AppendPopup(sub, tallix::fromCp1252(entry.text));
        break;
      }
      case Planned::Inserted:
        if (entry.popup) popup->AppendPopup(entry.popup, entry.caption);
        break;
    }
  }
}

// The entries of a popup a menu section's popup goes into: the popup's own,
// or what a popup of the extension will hold, so that placing a sub-menu
// there makes none of its entries.
class PlacementTarget {
 public:
  explicit PlacementTarget(CMenu* target) : m_menu(target) {
    if (auto* planned = dynamic_cast<PlannedPopup*>(CMenuFill::Of(target->GetSafeHmenu())))
      m_planned = &planned->Entries();
  }
  int count() const { return m_planned ? int(m_planned->size()) : m_menu->GetMenuItemCount(); }
  // As CMenu::GetMenuItemID.
  UINT id(int i) const {
    if (!m_planned) return m_menu->GetMenuItemID(i);
    if (i < 0 || i >= count()) return UINT(-1);
    const Planned& entry = (*m_planned)[size_t(i)];
    return entry.kind == Planned::Item ? entry.id : entry.kind == Planned::Separator ? 0 : UINT(-1);
  }
  void insertPopup(int i, CMenu* popup, const QString& caption) {
    if (!m_planned) {
      m_menu->InsertPopup(UINT(i), popup->Detach(), caption);
      return;
    }
    QMenu* menu = popup->Detach();
    menu->setParent(m_menu->GetSafeHmenu(), menu->windowFlags());  // it goes with the popup
    Planned entry(Planned::Inserted);
    entry.popup = menu;
    entry.caption = caption;
    m_planned->insert(m_planned->begin() + std::min(i, count()), std::move(entry));
  }
  void insertSeparator(int i) {
    if (!m_planned)
      m_menu->InsertMenu(UINT(i), MF_BYPOSITION | MF_SEPARATOR);
    else
      m_planned->insert(m_planned->begin() + std::min(i, count()), Planned(Planned::Separator));
  }

 private:
  CMenu* m_menu;
  std::vector<Planned>* m_planned = nullptr;
};

// Places a menu section's popup as a sub-menu of the popup at `position`
// (a key from 50 on): after the item of `subPositionCmd`, else at index
// `subPosition`. FALSE when that popup is not there.
BOOL insertSubMenu(CMenu* popup, const QString& caption, int position, int subPositionCmd, int subPosition,
                   bool addSeparators) {
  CMenu* menu = position < kPositionKeys ? GetMenuPopupByPosition(position) : GetMenuPopupByKey(position);
  if (!menu) return FALSE;
  PlacementTarget target(menu);
  const int count = target.count();
  int index = 0;
  if (subPositionCmd != -1) {
    for (int i = 0; i < count; ++i) {
      if (target.id(i) == UINT(subPositionCmd)) {
        index = i + 1;
        break;
      }
    }
  } else {
    index = subPosition < 0 || subPosition > count ? count : subPosition;
  }
  target.insertPopup(index, popup, caption);
  if (addSeparators) {
    const auto isSeparator = [&target](int i) { return target.id(i) == 0; };
    if (index != 0 && !isSeparator(index - 1)) target.insertSeparator(index++);
    if (index + 1 < target.count() && !isSeparator(index + 1)) target.insertSeparator(index + 1);
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
  QMenu* menu = popup ? popup->GetSafeHmenu() : nullptr;
  if (!menu || depth >= kMaxDepth || !section) return FALSE;
  auto build = std::make_shared<ExtensionBuild>(file);
  makeEntries(menu, build, build->plan(section, depth, kMaxEntries), depth);
  return TRUE;
}

BOOL BuildMenuExtension(const QString& file) {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !frame->GetMenuBar()) return FALSE;
  auto build = std::make_shared<ExtensionBuild>(file);
  const tallix::IniSnapshot& menus = build->menus;
  int room = kMaxEntries;
  // The items of the popup before, whose entries take their room only once
  // a later popup needs to know what is left.
  std::string uncounted;
  bool counted = true;
  for (const std::string& name : sectionLines(menus, kMenus, kSectionSize)) {
    const char* section = name.c_str();
    if (menus.sectionEntries(section, 1).empty()) continue;  // not in the file
    if (!counted) room -= std::min(room, build->entries(uncounted, 0));
    counted = true;
    if (room <= 0) break;
    --room;
    CMenu popup;
    if (!popup.CreatePopupMenu()) return FALSE;
    uncounted = readString(menus, section, "Menu Items", kNameSize);
    counted = false;
    new PlannedPopup(popup.GetSafeHmenu(), build, uncounted, 0, room);
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
