#include "tokens/MacroFile.h"

#include "classlib/OrvoTextArchive.h"
#include "classlib/ParseNumber.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/MessageBox.h"
#include "platform/ProgramPaths.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/SmallHelpers.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr char kHeader[] = "QXLWIN Macro File";
constexpr char kDefaultFile[] = "qxlmacro.qxc";
constexpr UINT kLineSize = 1025;
constexpr int kNumbersPerLine = 32;
constexpr int kBytesPerLine = 16;

constexpr UINT kMsgOutOfMemory = 61706;
constexpr UINT kMsgReadError = 61733;
constexpr UINT kMsgWriteError = 61734;
constexpr UINT kMsgBadFormat = 61877;

bool startsWith(const char* line, const char* prefix) { return std::strncmp(line, prefix, std::strlen(prefix)) == 0; }

}  // namespace

BOOL ReadMacroRecords(COrvoTextArchive& ar, std::vector<CQXMacro>* macros) {
  char line[kLineSize];
  for (;;) {
    if (ar.ReadLine(line, sizeof line) == 0) return FALSE;
    if (qstricmp(line, kHeader) == 0) break;
  }
  enum { kName, kDescription, kStart, kBytes } state = kName;
  CQXMacro macro;
  std::vector<BYTE> bytes;
  while (ar.ReadLine(line, sizeof line) != 0) {
    if (line[0] == '\0' || line[0] == ';') continue;
    switch (state) {
      case kName:
        if (startsWith(line, "Name=")) {
          macro = {};
          macro.name = std::string(line + 5).substr(0, kMacroNameMax);
          state = kDescription;
        }
        break;
      case kDescription:
        if (startsWith(line, "Description=")) {
          macro.description = std::string(line + 12).substr(0, kMacroDescriptionMax);
          state = kStart;
        }
        break;
      case kStart:
        if (std::strlen(line) > 9 && startsWith(line, "Macro Star")) {
          bytes.clear();
          state = kBytes;
        }
        break;
      case kBytes: {
        if (std::strlen(line) > 8 && startsWith(line, "Macro End")) {
          if (!bytes.empty()) macro.record = std::make_shared<CQXMacroRecord>(CQXMacroRecord{bytes});
          macros->push_back(std::move(macro));
          macro = {};
          state = kName;
          break;
        }
        int values[kNumbersPerLine];
        int count = 0;
        if (ParseNumberList(line, values, kNumbersPerLine, &count))
          for (int i = 0; i < count; ++i) bytes.push_back(BYTE(values[i] & 0xFF));
        break;
      }
    }
  }
  return TRUE;
}

void WriteMacroRecords(COrvoTextArchive& ar, const std::vector<CQXMacro>& macros) {
  ar.WriteLine(kHeader);
  ar.WriteNewLine();
  for (const CQXMacro& macro : macros) {
    ar.WriteLine(("Name=" + macro.name).c_str());
    ar.WriteLine(("Description=" + macro.description).c_str());
    ar.WriteLine("Macro Start");
    const std::vector<BYTE> none;
    const std::vector<BYTE>& bytes = macro.record ? macro.record->bytes : none;
    for (std::size_t i = 0; i < bytes.size(); i += kBytesPerLine) {
      std::string text;
      for (std::size_t j = i; j < std::min(bytes.size(), i + kBytesPerLine); ++j) {
        char item[8];
        std::snprintf(item, sizeof item, "%02Xh ", bytes[j]);
        text += item;
      }
      ar.WriteLine(text.c_str());
    }
    ar.WriteLine("Macro End");
    ar.WriteNewLine();
  }
}

BOOL ReadMacroFile(CQXMacroListCtrl* list, const char* path) {
  if (!list || !path) return FALSE;
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    ShowFileMessage(kMsgReadError, path);
    return FALSE;
  }
  // Read into a list of its own: the rows change only when the whole file
  // was read.
  std::vector<CQXMacro> macros;
  try {
    COrvoTextArchive ar(&file, CArchive::load, kLineSize);
    if (!ReadMacroRecords(ar, &macros)) {
      file.Abort();
      ShowFileMessage(kMsgBadFormat, path);
      return FALSE;
    }
    file.Close();
  } catch (const CFileException&) {
    file.Abort();
    ShowFileMessage(kMsgReadError, path);
    return FALSE;
  } catch (const std::bad_alloc&) {
    file.Abort();
    AfxMessageBox(kMsgOutOfMemory, MB_ICONEXCLAMATION);
    return FALSE;
  }
  list->DeleteAllMacros();
  for (CQXMacro& macro : macros) list->AddMacro(macro, FALSE);
  return TRUE;
}

BOOL WriteMacroFile(CQXMacroListCtrl* list, const char* path) {
  if (!list || !path) return FALSE;
  std::vector<CQXMacro> macros;
  for (int row = 0; row < list->GetItemCount(); ++row) macros.push_back(list->GetMacro(row));
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) {
    ShowFileMessage(kMsgWriteError, path);
    return FALSE;
  }
  try {
    COrvoTextArchive ar(&file, CArchive::store, kLineSize);
    WriteMacroRecords(ar, macros);
    file.Close();
  } catch (const CFileException&) {
    file.Abort();
    ShowFileMessage(kMsgWriteError, path);
    return FALSE;
  } catch (const std::bad_alloc&) {
    file.Abort();
    AfxMessageBox(kMsgOutOfMemory, MB_ICONEXCLAMATION);
    return FALSE;
  }
  return TRUE;
}

std::string MacroFilePath(bool forWriting) {
  std::string path;
  AppGetProfileString(&path, tallix::settings::kEditMacroList, "Macro File", "");
  if (!path.empty()) return path;
  const QString name = QString::fromLatin1(kDefaultFile);
  return QFile::encodeName(forWriting ? tallix::writableDataFilePath(name) : tallix::findDataFile(name)).toStdString();
}
