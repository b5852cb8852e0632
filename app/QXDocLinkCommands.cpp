#include "app/QXDocLinkCommands.h"

#include "services/DocServices.h"
#include "classlib/SettingsTable.h"
#include "datamodel/QXCalcItem.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "link/BackupFiles.h"
#include "link/LinkCommandsMCS.h"
#include "link/LinkCommandsNP.h"
#include "link/LinkSettingsDialog.h"
#include "link/SerialLink.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"

#include <memory>
#include <string>

namespace {

constexpr UINT kFileSave = 57603;
constexpr UINT kDocProperties = 22000;

// Around one transfer: whatever way it ends, the document forgets the link
// it ran on and the answers given during it.
class TransferScope {
 public:
  explicit TransferScope(CQXDocLinkHost* host) : host_(host) {}
  ~TransferScope() {
    host_->GetLinkDocument()->SetCurrentLink(nullptr);
    host_->ResetOverwriteState();
  }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;

 private:
  CQXDocLinkHost* host_;
};

// The busy counter up for the scope's life.
class BusyScope {
 public:
  explicit BusyScope(CQXDocLinkHost* host) : host_(host) { host_->SetBusy(TRUE); }
  ~BusyScope() { host_->SetBusy(FALSE); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  CQXDocLinkHost* host_;
};

QWidget* mainWindow() { return AfxGetMainWnd(); }

}  // namespace

CQXDocLinkOperations CQXDocLinkOperations::Default() {
  CQXDocLinkOperations ops;
  ops.receiveNP = LinkReceiveNP;
  ops.receiveMCS = LinkReceiveMCS;
  ops.sendNP = LinkSendNP;
  ops.sendMCS = LinkSendMCS;
  ops.receiveScreenCopy = LinkReceiveScreenCopy;
  ops.sendBackupNP = LinkSendBackupNP;
  ops.sendBackupMCS = LinkSendBackupMCS;
  ops.loadBackupFile = [](CQXDocEntry** out) { return LoadBackupFile(out, mainWindow()); };
  ops.editBackupDescription = [] { return EditBackupDescription(mainWindow()); };
  ops.linkSettings = [](const char* model) {
    CQXLinkSettingsDialog dialog(model, mainWindow());
    dialog.DoModal();
  };
  return ops;
}

CQXDocLinkCommands::CQXDocLinkCommands(CQXDocLinkHost* host, CQXDocLinkOperations operations)
    : host_(host), ops_(std::move(operations)) {}

BOOL CQXDocLinkCommands::IsCommandEnabled(UINT id, BOOL storeOpen) {
  switch (id) {
    case ID_BACKUP_RECEIVE:
    case ID_BACKUP_SEND:
    case ID_BACKUP_DESCRIPTION: return TRUE;
    case ID_LINK_RECEIVE:
    case ID_LINK_SEND:
    case ID_LINK_SETTINGS:
    case ID_LINK_RECEIVE_SCREEN:
    case kFileSave:
    case kDocProperties: return storeOpen ? TRUE : FALSE;
    default: return FALSE;
  }
}

BOOL CQXDocLinkCommands::OnCommand(UINT id) {
  switch (id) {
    case ID_LINK_RECEIVE: OnLinkReceive(); break;
    case ID_LINK_SEND: OnLinkSend(); break;
    case ID_LINK_SETTINGS: OnLinkSettings(); break;
    case ID_BACKUP_RECEIVE: OnBackupReceive(); break;
    case ID_BACKUP_SEND: OnBackupSend(); break;
    case ID_BACKUP_DESCRIPTION: OnBackupDescription(); break;
    case ID_LINK_RECEIVE_SCREEN: OnLinkReceiveScreen(); break;
    default: return FALSE;
  }
  return TRUE;
}

BOOL CQXDocLinkCommands::UsesNewerProtocol() {
  std::string model;
  host_->GetLinkDocument()->GetCalculatorName(&model);
  return GetModelProtocolFamily(model.c_str()) == PROTOCOL_FAMILY_MCS;
}

BOOL CQXDocLinkCommands::OverwriteWithoutQuestion(const char* key) {
  return tallix::settings::readInt(tallix::settings::kSettings, key) == 0;
}

void CQXDocLinkCommands::OnLinkReceive() {
  if (!host_->IsItemStoreOpen()) return;
  host_->ClearUndo();
  host_->ResetOverwriteState();
  host_->SetOverwriteAll(OverwriteWithoutQuestion("Query Rcv Overwrite"));
  CQXDocServices* doc = host_->GetLinkDocument();
  BOOL received = FALSE;
  {
    const BOOL newer = UsesNewerProtocol();
    TransferScope transfer(host_);
    BusyScope busy(host_);
    received = newer ? ops_.receiveMCS(doc, FALSE) : ops_.receiveNP(doc, FALSE);
  }
  if (received) host_->ShowSelectedItemView();
}

void CQXDocLinkCommands::OnBackupReceive() {
  host_->ResetOverwriteState();
  CQXDocServices* doc = host_->GetLinkDocument();
  const BOOL newer = UsesNewerProtocol();
  TransferScope transfer(host_);
  if (newer)
    ops_.receiveMCS(doc, TRUE);
  else
    ops_.receiveNP(doc, TRUE);
}

void CQXDocLinkCommands::OnLinkSend() {
  if (!host_->IsItemStoreOpen()) return;
  host_->ResetOverwriteState();
  host_->SetOverwriteAll(OverwriteWithoutQuestion("Query Snd Overwrite"));
  CQXDocServices* doc = host_->GetLinkDocument();
  const BOOL newer = UsesNewerProtocol();
  TransferScope transfer(host_);
  if (newer)
    ops_.sendMCS(doc);
  else
    ops_.sendNP(doc);
}

void CQXDocLinkCommands::OnBackupSend() {
  CQXDocEntry* loaded = nullptr;
  if (!ops_.loadBackupFile(&loaded)) return;
  const std::unique_ptr<CQXDocEntry> entry(loaded);
  const CQXCalcItem* item = entry ? entry->GetItem() : nullptr;
  const int type = item ? item->GetTypeId() : 0;
  CQXDocServices* doc = host_->GetLinkDocument();
  TransferScope transfer(host_);
  if (type == CQXBackupV4Item::kTypeId)
    ops_.sendBackupNP(doc, "Backup V4", entry.get());
  else if (type == CQXBackupItem::kTypeId)
    ops_.sendBackupMCS(doc, "Backup V5", entry.get());
  else
    AfxMessageBox(kNotABackupMessage, MB_OK | MB_ICONINFORMATION);
}

void CQXDocLinkCommands::OnBackupDescription() { ops_.editBackupDescription(); }

void CQXDocLinkCommands::OnLinkReceiveScreen() {
  if (!host_->IsItemStoreOpen()) return;
  host_->SetOverwriteAll(OverwriteWithoutQuestion("Query Rcv Overwrite"));
  BOOL received = FALSE;
  {
    TransferScope transfer(host_);
    received = ops_.receiveScreenCopy(host_->GetLinkDocument());
  }
  if (received) host_->ShowSelectedItemView();
}

void CQXDocLinkCommands::OnLinkSettings() {
  std::string model;
  host_->GetLinkDocument()->GetCalculatorName(&model);
  ops_.linkSettings(model.c_str());
}
