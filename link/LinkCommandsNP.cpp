#include "link/LinkCommandsNP.h"

#include "services/DocServices.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "link/BackupFiles.h"
#include "link/LinkCommand.h"
#include "link/SendSelection.h"
#include "link/TransferProgress.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <cstring>
#include <string>

namespace {

CQXTransferProgress* g_progressNP = nullptr;
const CQXLinkFamily kFamilyNP = {&g_progressNP, &LinkProgressCallbackNP, &LinkTimings::pendingAnswerPauseNP};

constexpr UINT kNoMemory = 61706;

using Transfer = std::function<int(CQXLinkSessionNP&, CQXLinkCommand&)>;

BOOL run(CQXDocServices* doc, int mode, const Transfer& transfer) {
  return RunLinkCommand<CQXLinkSessionNP>(doc, kFamilyNP, mode, transfer);
}

std::unique_ptr<CQXDocEntry> entryOf(CQXCalcItem* item, const std::string& path) {
  std::unique_ptr<CQXCalcItem> owned(item);
  auto entry = std::make_unique<CQXDocEntry>();
  entry->SetPath(path.c_str());
  entry->SetItem(owned.release());
  return entry;
}

constexpr char kListFilePath[] = "\\Calculator\\File\\File1";

bool isListFile(const std::string& path) {
  const size_t n = std::strlen(kListFilePath);
  return path.size() == n && path.compare(0, n - 1, kListFilePath, n - 1) == 0 && path.back() >= '1' &&
         path.back() <= '6';
}

// Lists 1 to 6 of the list file at `path` in order, each the loaded one or
// an empty one; then every other entry.
void completeListFile(const std::string& path, CQXDocEntryArray* entries) {
  CQXDocEntryArray lists(6);
  CQXDocEntryArray others;
  for (std::unique_ptr<CQXDocEntry>& entry : *entries) {
    if (!entry) continue;
    auto* list = dynamic_cast<CQXListItem*>(entry->GetItem());
    const char number = list ? list->GetListNumber() : '\0';
    if (number >= '1' && number <= '6' && !lists[size_t(number - '1')])
      lists[size_t(number - '1')] = std::move(entry);
    else
      others.push_back(std::move(entry));
  }
  for (size_t i = 0; i < lists.size(); ++i) {
    if (lists[i]) continue;
    const std::string listPath = path + "\\List" + char('1' + i);
    lists[i] = entryOf(new CQXListItem, listPath);
    lists[i]->GetItem()->TakeNameFromPath(listPath.c_str());
  }
  for (std::unique_ptr<CQXDocEntry>& entry : others) lists.push_back(std::move(entry));
  *entries = std::move(lists);
}

// The document's equation at `path` when it has data there, else an empty
// one of type T.
template <class T>
std::unique_ptr<CQXDocEntry> equationFor(CQXDocServices* doc, const std::string& path) {
  DWORD length = 0;
  if (doc && doc->GetItemDataLength(path.c_str(), &length) && length != 0) {
    auto entry = std::make_unique<CQXDocEntry>();
    if (doc->LoadItem(path.c_str(), entry.get()) && dynamic_cast<T*>(entry->GetItem())) return entry;
  }
  return entryOf(new T, path);
}

void completeEquations(const std::string& folder, CQXDocEntryArray* entries, CQXDocServices* doc) {
  std::unique_ptr<CQXDocEntry> simultaneous, polynomial;
  CQXDocEntryArray others;
  for (std::unique_ptr<CQXDocEntry>& entry : *entries) {
    if (!entry) continue;
    CQXCalcItem* item = entry->GetItem();
    if (!simultaneous && dynamic_cast<CQXSimlEquationItem*>(item))
      simultaneous = std::move(entry);
    else if (!polynomial && dynamic_cast<CQXPolyEquationItem*>(item))
      polynomial = std::move(entry);
    else
      others.push_back(std::move(entry));
  }
  if (!simultaneous) simultaneous = equationFor<CQXSimlEquationItem>(doc, folder + "\\SimlEquation");
  if (!polynomial) polynomial = equationFor<CQXPolyEquationItem>(doc, folder + "\\PolyEquation");
  CQXDocEntryArray ordered;
  ordered.push_back(std::move(simultaneous));
  ordered.push_back(std::move(polynomial));
  for (std::unique_ptr<CQXDocEntry>& entry : others) ordered.push_back(std::move(entry));
  *entries = std::move(ordered);
}

}  // namespace

void LinkProgressCallbackNP(DWORD byteCount, const char* text, int kind) {
  ForwardLinkProgress(kFamilyNP, byteCount, text, kind);
}

CQXTransferProgress* GetTransferProgressNP() { return g_progressNP; }

void AddCompanionItems(const char* path, CQXDocEntryArray* entries, CQXDocServices* doc) {
  const std::string p = path ? path : "";
  if (isListFile(p)) {
    completeListFile(p, entries);
    return;
  }
  const size_t last = p.rfind('\\');
  if (last == std::string::npos || last == 0) return;
  const std::string folder = p.substr(0, last);
  const size_t before = folder.rfind('\\');
  if (before != std::string::npos && folder.compare(before + 1, std::string::npos, "Equation") == 0)
    completeEquations(folder, entries, doc);
}

BOOL LinkSendNP(CQXDocServices* doc) {
  std::vector<std::string> paths;
  if (!ChooseItemsToSend(doc, &paths)) return FALSE;
  return run(doc, CQXCalcLink::SEND, [&](CQXLinkSessionNP& session, CQXLinkCommand& command) {
    int code = session.Connect();
    if (code != SESSION_OK) return code;
    for (const std::string& path : paths) {
      CQXDocEntryArray entries;
      if (!doc->LoadItemsAt(path.c_str(), &entries)) {
        command.SetMessage(kNoMemory);
        return code;
      }
      AddCompanionItems(path.c_str(), &entries, doc);
      code = session.SendItem(entries);
      if (code != SESSION_OK) return code;
    }
    return session.SendEnd();
  });
}

BOOL LinkSendBackupNP(CQXDocServices* doc, const char*, CQXDocEntry* entry) {
  return run(doc, CQXCalcLink::SEND, [&](CQXLinkSessionNP& session, CQXLinkCommand&) {
    const int code = session.Connect();
    if (code != SESSION_OK) return code;
    const CQXLentEntry lent(entry);
    return session.SendItem(lent.entries);
  });
}

BOOL LinkReceiveNP(CQXDocServices* doc, BOOL backupOnly) {
  BOOL received = FALSE;
  std::unique_ptr<CQXDocEntry> backup;
  run(doc, CQXCalcLink::RECEIVE, [&](CQXLinkSessionNP& session, CQXLinkCommand& command) {
    return FileReceivedItems(doc, session, command, &CQXLinkSessionNP::ReceiveItems, kKindBackup, backupOnly, FALSE,
                             &received, &backup);
  });
  // After the transfer's message: the backup is offered for a backup file.
  if (backup) SaveBackupFile(doc, backup.get(), AfxGetMainWnd());
  return received;
}

BOOL LinkReceiveScreenCopy(CQXDocServices* doc) {
  return run(doc, CQXCalcLink::SCREEN_COPY, [&](CQXLinkSessionNP& session, CQXLinkCommand& command) {
    std::unique_ptr<CQXDocEntry> entry;
    const int code = session.ReceiveItems(&entry);
    if (code != SESSION_ITEM) return code;
    auto stop = [&](UINT message) { return command.StopReceiving(message, code, session.OwesAnswer()); };
    if (!doc->StoreReceivedItem(entry.get(), TRUE)) return stop(kLinkMsgNotSupported);
    const DWORD kind = entry->GetKind();
    if (kind != kKindScreenCopyMono && kind != kKindScreenCopyColour) {
      if (session.OwesAnswer()) command.StopCalculator();
      return int(SESSION_NOT_SUPPORTED);
    }
    if (!doc->SaveItem(entry.get(), nullptr)) return stop(kLinkMsgCannotInsert);
    return int(SESSION_END);
  });
}
