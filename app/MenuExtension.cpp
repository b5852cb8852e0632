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

#include <cstdlib>
#include <cstring>
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

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }

// The lines of a section (NUL-separated in the buffer), each cut to
// `lineLength` characters.
std::vector<std::string> sectionLines(const QString& file, const char* section, size_t lineLength) {
  std::vector<char> buffer(kSectionSize, '\0');
  GetPrivateProfileSection(section, buffer.data(), kSectionSize, nativeName(file).constData());
  std::vector<std::string> lines;
  for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) lines.emplace_back(p, std::min(std::strlen(p), lineLength));
  return lines;
}

std::string readString(const QString& file, const char* section, const char* key, DWORD size) {
  std::vector<char> buffer(size + 1, '\0');
  GetPrivateProfileString(section, key, "", buffer.data(), size, nativeName(file).constData());
  return buffer.data();
}

int readInt(const QString& file, const char* section, const char* key, int defaultValue) {
  return int(GetPrivateProfileInt(section, key, defaultValue, nativeName(file).constData()));
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

// The item of command `id` with its status text as its tip, as the status
// pane shows it while the item is hovered.
void appendCommand(QMenu* menu, const std::string& text, UINT id) {
  CMenu::FromHandle(menu)->AppendMenu(MF_STRING, id, tallix::fromCp1252(text));
  std::string status;
  if (id >= kFirstMenuFileCommand && id <= kLastMenuFileCommand) GetMenuCommandStatusText(id, &status);
  menu->actions().constLast()->setStatusTip(tallix::fromCp1252(status));
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
  QMenu* menu = popup ? popup->GetSafeHmenu() : nullptr;
  if (!menu || depth >= kMaxDepth) return FALSE;
  for (const std::string& line : sectionLines(file, section, kLineLength)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      if (depth + 1 >= kMaxDepth) continue;  // deeper sections are skipped
      auto* sub = new QMenu(menu);
      AddMenuExtensionItems(CMenu::FromHandle(sub), file, line.c_str(), depth + 1);
      popup->AppendPopup(sub, tallix::fromCp1252(line));
      continue;
    }
    const long value = std::strtol(trimmed(line.substr(eq + 1)).c_str(), nullptr, 10);
    if (value == -1) popup->AppendMenu(MF_SEPARATOR);
    else if (value != 0) appendCommand(menu, trimmed(line.substr(0, eq)), UINT(value));
  }
  return TRUE;
}

BOOL BuildMenuExtension(const QString& file) {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !frame->GetMenuBar()) return FALSE;
  for (const std::string& name : sectionLines(file, kMenus, kSectionSize)) {
    const char* section = name.c_str();
    if (sectionLines(file, section, kSectionSize).empty()) continue;  // not in the file
    CMenu popup;
    if (!popup.CreatePopupMenu()) return FALSE;
    AddMenuExtensionItems(&popup, file, readString(file, section, "Menu Items", kNameSize).c_str(), 0);
    const QString caption = tallix::fromCp1252(readString(file, section, "Caption", kNameSize));
    const int position = readInt(file, section, "Position", 0);
    const int subPositionCmd = readInt(file, section, "Sub Position Cmd", -1);
    const int subPosition = subPositionCmd == -1 ? readInt(file, section, "Sub Position", -1) : -1;
    if (subPositionCmd != -1 || subPosition != -1) {
      insertSubMenu(&popup, caption, position, subPositionCmd, subPosition,
                    readInt(file, section, "Add Separators", 1) != 0);
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
  if (id < kFirstMenuFileCommand || id > kLastMenuFileCommand || !name || !out) return FALSE;
  QString file = tallix::findDataFile(QLatin1String(kCommandsFile));
  const std::string key = std::to_string(id) + ' ' + name;
  const std::string ref = readString(file, kCommands, (std::to_string(id) + " Ref File").c_str(), kRefFileSize);
  std::string value;
  if (startsWithNoCase(ref, "REG:")) {
    const std::string keyPath = ref.substr(4);
    if (keyPath.empty() || !ReadRegistryStringExpandRoot(keyPath.c_str(), key.c_str(), "", &value)) return FALSE;
  } else {
    if (!ref.empty()) file = MenuExtensionFilePath(QFile::decodeName(QByteArray::fromStdString(ref)));
    value = readString(file, kCommands, key.c_str(), kValueSize);
  }
  if (value.empty()) return FALSE;
  *out = value;
  return TRUE;
}

BOOL GetMenuCommandTarget(UINT id, std::string* out) { return ReadMenuCommandValue(id, "URL", out); }

BOOL GetMenuCommandStatusText(UINT id, std::string* out) { return ReadMenuCommandValue(id, "Status Line", out); }
