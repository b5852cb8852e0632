// The Link menu of the document: receive, send, backups, screen copy and the
// link settings. Each command prepares the document's per-transfer state,
// picks the protocol family of the document's calculator model, runs the
// transfer synchronously and refreshes the right pane afterwards.
//
// Whatever way a transfer ends (an early return, an exception), the
// document's current link is cleared and its overwrite state (the "all"
// answer and the list-file answers) forgotten, so that a later paste or
// import asks its own questions and cannot cancel a dead link.
#pragma once

#include "platform/WinTypes.h"

#include <functional>

class CQXDocEntry;
class CQXDocServices;
class QWidget;

// What the commands need of the document beyond its item services.
class CQXDocLinkHost {
 public:
  virtual ~CQXDocLinkHost() = default;

  // The document the transfers file into and load from.
  virtual CQXDocServices* GetLinkDocument() = 0;
  virtual BOOL IsItemStoreOpen() = 0;
  // Forgets the last undoable step.
  virtual void ClearUndo() = 0;
  // No "all" answer and no list-file answer is remembered.
  virtual void ResetOverwriteState() = 0;
  // TRUE: existing items are replaced without a question.
  virtual void SetOverwriteAll(BOOL all) = 0;
  // Raises (TRUE) or lowers (FALSE) the busy counter; the new count.
  virtual int SetBusy(BOOL busy) = 0;
  virtual BOOL ShowSelectedItemView() = 0;
};

// The link operations the commands run; the real ones by default, so that
// the document can be tested without a calculator.
struct CQXDocLinkOperations {
  std::function<BOOL(CQXDocServices*, BOOL backupOnly)> receiveNP, receiveMCS;
  std::function<BOOL(CQXDocServices*)> sendNP, sendMCS, receiveScreenCopy;
  std::function<BOOL(CQXDocServices*, const char* text, CQXDocEntry*)> sendBackupNP, sendBackupMCS;
  // Lets the user choose a backup file; TRUE with a new entry the caller owns.
  std::function<BOOL(CQXDocEntry** out)> loadBackupFile;
  std::function<BOOL()> editBackupDescription;
  // Runs the link settings dialog for the model.
  std::function<void(const char* model)> linkSettings;

  static CQXDocLinkOperations Default();
};

class CQXDocLinkCommands {
 public:
  static constexpr UINT ID_LINK_RECEIVE = 22200;
  static constexpr UINT ID_LINK_SEND = 22201;
  static constexpr UINT ID_LINK_SETTINGS = 22202;
  static constexpr UINT ID_BACKUP_RECEIVE = 22203;
  static constexpr UINT ID_BACKUP_SEND = 22204;
  static constexpr UINT ID_BACKUP_DESCRIPTION = 22205;
  static constexpr UINT ID_LINK_RECEIVE_SCREEN = 22206;
  // Message for a backup file whose item is not a backup.
  static constexpr UINT kNotABackupMessage = 10572;

  explicit CQXDocLinkCommands(CQXDocLinkHost* host, CQXDocLinkOperations operations = CQXDocLinkOperations::Default());
  CQXDocLinkCommands(const CQXDocLinkCommands&) = delete;
  CQXDocLinkCommands& operator=(const CQXDocLinkCommands&) = delete;

  // Whether the document enables the command: the backup commands always,
  // the other Link commands, Save (57603) and Properties (22000) while the
  // item store is open. FALSE for any other id.
  static BOOL IsCommandEnabled(UINT id, BOOL storeOpen);
  // Runs the command `id` (22200-22206); FALSE for any other id.
  BOOL OnCommand(UINT id);

  void OnLinkReceive();
  void OnLinkSend();
  void OnLinkSettings();
  // Only a backup is taken; anything else the calculator sends ends the
  // transfer with the link's message and nothing is filed.
  void OnBackupReceive();
  void OnBackupSend();
  void OnBackupDescription();
  void OnLinkReceiveScreen();

 private:
  // TRUE when the document's model talks the newer family's protocol.
  BOOL UsesNewerProtocol();
  static BOOL OverwriteWithoutQuestion(const char* key);

  CQXDocLinkHost* host_;
  CQXDocLinkOperations ops_;
};
