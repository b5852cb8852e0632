#include "link/LinkCommandsMCS.h"

#include "services/DocServices.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "link/BackupFiles.h"
#include "link/LinkCommand.h"
#include "link/SendSelection.h"
#include "link/TransferProgress.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <string>
#include <vector>

namespace {

CQXTransferProgress* g_progressMCS = nullptr;
const CQXLinkFamily kFamilyMCS = {&g_progressMCS, &LinkProgressCallbackMCS, &LinkTimings::pendingAnswerPauseMCS};

constexpr UINT kNoMemory = 61706;

using Transfer = std::function<int(CQXLinkSessionMCS&, CQXLinkCommand&)>;

BOOL run(CQXDocServices* doc, int mode, const Transfer& transfer) {
  return RunLinkCommand<CQXLinkSessionMCS>(doc, kFamilyMCS, mode, transfer);
}

}  // namespace

void LinkProgressCallbackMCS(DWORD byteCount, const char* text, int kind) {
  ForwardLinkProgress(kFamilyMCS, byteCount, text, kind);
}

CQXTransferProgress* GetTransferProgressMCS() { return g_progressMCS; }

BOOL LinkReceiveMCS(CQXDocServices* doc, BOOL backupOnly) {
  BOOL received = FALSE;
  std::unique_ptr<CQXDocEntry> backup;
  run(doc, CQXCalcLink::RECEIVE, [&](CQXLinkSessionMCS& session, CQXLinkCommand& command) {
    return FileReceivedItems(doc, session, command, &CQXLinkSessionMCS::ReceiveItem, kKindBackupV5, backupOnly, TRUE,
                             &received, &backup);
  });
  // After the transfer's message: the backup is offered for a backup file.
  if (backup) SaveBackupFile(doc, backup.get(), AfxGetMainWnd());
  return received;
}

BOOL LinkSendMCS(CQXDocServices* doc) {
  std::vector<std::string> paths;
  if (!ChooseItemsToSend(doc, &paths)) return FALSE;
  return run(doc, CQXCalcLink::SEND, [&](CQXLinkSessionMCS& session, CQXLinkCommand& command) {
    int code = session.Connect();
    if (code != SESSION_OK) return code;
    for (const std::string& path : paths) {
      CQXDocEntryArray entries;
      if (!doc->LoadItemsAt(path.c_str(), &entries)) {
        command.SetMessage(kNoMemory);
        return code;
      }
      code = session.SendItem(entries);
      if (code != SESSION_OK) return code;
    }
    return session.SendEnd();
  });
}

BOOL LinkSendBackupMCS(CQXDocServices* doc, const char*, CQXDocEntry* entry) {
  return run(doc, CQXCalcLink::SEND, [&](CQXLinkSessionMCS& session, CQXLinkCommand&) {
    const int code = session.Connect();
    if (code != SESSION_OK) return code;
    const CQXLentEntry lent(entry);
    const int sent = session.SendItem(lent.entries);
    return sent == SESSION_OK ? session.SendEnd() : sent;
  });
}
