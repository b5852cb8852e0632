#include "classlib/FetchwellLibrary.h"

#include "services/MainFrameServices.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/ProgramPaths.h"
#include "platform/SaveFileDialog.h"
#include "platform/ShellOpen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QUrl>

const char kFetchwellLibraryName[] = "libFetchwell.so";

namespace {

constexpr UINT kMsgSystemComponentFailed = 10580;
constexpr UINT kMsgOpenFile = 10161;
constexpr UINT kMsgOpenFailed = 61697;
const char kDownloadFolderKey[] = "Download Folder";

void sendToFrame(UINT message) {
  if (CQXMainFrameServices* frame = GetMainFrameServices()) frame->SendFrameMessage(message);
}

QWidget* mainWindow() {
  const CQXMainFrameServices* frame = GetMainFrameServices();
  return frame ? frame->GetMainWindow() : nullptr;
}

// The last part of an address: after the last '/', else after the last '\'.
std::string lastPart(const std::string& url) {
  size_t cut = url.rfind('/');
  if (cut == std::string::npos) cut = url.rfind('\\');
  return cut == std::string::npos ? url : url.substr(cut + 1);
}

// A target is either an address (type 2) or a downloaded file's path.
QString targetText(const std::string& target, bool isFile) {
  return isFile ? QFile::decodeName(target.c_str()) : QString::fromUtf8(target.c_str());
}

}  // namespace

CFetchwellLibrary::~CFetchwellLibrary() { Unload(); }

BOOL CFetchwellLibrary::Bind() {
  if (!module_) {
    // By full path, so that nothing on the system's search path is taken.
    const QString path = QDir(tallix::programDirectory()).filePath(QString::fromLatin1(kFetchwellLibraryName));
    if (!QFileInfo(path).isFile()) return FALSE;
    auto* library = new QLibrary(path);
    if (!library->load()) {
      delete library;
      return FALSE;
    }
    module_ = library;
  }
  downloadHttpFile_ = reinterpret_cast<DownloadFunction>(module_->resolve("InetDownloadHTTPFile"));
  getServiceType_ = reinterpret_cast<ServiceTypeFunction>(module_->resolve("InetGetServiceType"));
  return downloadHttpFile_ && getServiceType_;
}

void CFetchwellLibrary::Unload() {
  downloadHttpFile_ = nullptr;
  getServiceType_ = nullptr;
  if (!module_) return;
  module_->unload();
  delete module_;
  module_ = nullptr;
}

BOOL CFetchwellLibrary::GetServiceType(const char* url, int* type) {
  if (!url || !type || !Bind()) return FALSE;
  int t = 0;
  if (getServiceType_(url, &t) == 0) return FALSE;
  *type = t;
  return TRUE;
}

BOOL CFetchwellLibrary::DownloadFile(const char* url, const char* localPath, QWidget* parent) {
  if (!url || !localPath || !Bind()) return FALSE;
  return downloadHttpFile_(url, localPath, 0, 0, parent) == 0;
}

BOOL CFetchwellLibrary::DownloadWithDialog(const char* url, std::string* localPath) {
  if (!Bind()) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgSystemComponentFailed, QString::fromLatin1(kFetchwellLibraryName)),
                  MB_ICONINFORMATION);
    return FALSE;
  }
  std::string folder;
  AppGetProfileString(&folder, tallix::settings::kSettings, kDownloadFolderKey, "");
  const QString folderPath = QFile::decodeName(folder.c_str());
  const QString name = QFile::decodeName(lastPart(url ? url : "").c_str());

  tallix::SaveFileRequest request;
  request.parent = mainWindow();
  request.fileName = folderPath.isEmpty() ? name : QDir(folderPath).filePath(name);
  request.initialDirectory = folderPath;
  QString chosen;
  if (!tallix::GetSaveFilePath(request, &chosen) || chosen.isEmpty()) return FALSE;

  // The chosen file stays as it is until a complete download replaces it.
  const QByteArray chosenFolder = QFile::encodeName(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()));
  AppWriteProfileString(tallix::settings::kSettings, kDownloadFolderKey, chosenFolder.constData());
  const QByteArray path = QFile::encodeName(chosen);
  if (!DownloadFile(url, path.constData(), mainWindow())) return FALSE;
  *localPath = path.toStdString();
  return TRUE;
}

BOOL OpenUrl(const char* url) {
  CFetchwellLibrary library;
  int type = 0;
  if (!url || !library.GetServiceType(url, &type)) return FALSE;
  std::string target;
  if (type == 1) {
    sendToFrame(kFrameMsgComeToFront);
    std::string path;
    if (library.DownloadWithDialog(url, &path)) target = path;
  } else if (type == 2) {
    target = url;
  } else {
    return FALSE;
  }
  if (target.empty()) return FALSE;

  sendToFrame(kFrameMsgComeToFront);
  const QString shown = targetText(target, type == 1);
  if (AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgOpenFile, shown), MB_YESNO | MB_ICONQUESTION) == IDYES) {
    if (!tallix::ShellOpen(shown)) AfxMessageBox(kMsgOpenFailed, MB_ICONEXCLAMATION);
  }
  return TRUE;
}

void OpenStringTableUrl(UINT urlStringId, UINT noBrowserMessageId, UINT otherErrorMessageId) {
  (void)otherErrorMessageId;
  QString target = CLanguageLibrary::LoadString(urlStringId).trimmed();
  // An address without a scheme is a file that ships in the program directory.
  if (!target.isEmpty() && QUrl(target).scheme().size() < 2) target = tallix::programFilePath(target);
  if (!tallix::ShellOpen(target)) AfxMessageBox(noBrowserMessageId, MB_ICONEXCLAMATION);
}
